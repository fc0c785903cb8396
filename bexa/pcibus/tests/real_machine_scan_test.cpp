// Scans of whole machines: the embedded machine and dumps of real ones.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "config_dump.h"
#include "device_list.h"
#include "listing.h"
#include "machine_file.h"
#include "memory_tree.h"
#include "pnp_machine.h"
#include "service.h"
#include "sim_machine.h"

namespace bexa {
namespace {

// Every entry hangs under "host CPU" or under the bridge whose secondary bus it is on, and its
// tree item carries its index and its line.
void ExpectConsistentTree(const MemoryTree& tree, const PciDeviceList& list) {
    const TreeItem host = tree.FirstItem();
    ASSERT_EQ(tree.ItemText(host), "host CPU");
    std::set<std::string> addresses;
    for (int i = 0; i < list.Count(); ++i) {
        const PciDevice& d = list.Entry(i);
        EXPECT_EQ(d.valid, 1);
        EXPECT_EQ(tree.ItemData(d.treeItem), i);
        EXPECT_EQ(tree.ItemText(d.treeItem), d.line);
        char address[16];
        std::snprintf(address, sizeof address, "%d.%02d.%d", d.bus, d.Device(), d.Function());
        EXPECT_EQ(d.line.rfind(std::string(address) + "    ", 0), 0u) << d.line;
        EXPECT_TRUE(addresses.insert(address).second) << "listed twice: " << address;
        const TreeItem parent = tree.ParentItem(d.treeItem);
        if (parent == host) continue;
        const PciDevice& bridge = list.Entry(int(tree.ItemData(parent)));
        EXPECT_TRUE(bridge.IsPciBridge() || bridge.IsCardBusBridge()) << bridge.line;
        EXPECT_EQ(bridge.SecondaryBus(), d.bus) << d.line;
    }
}

TEST(EmbeddedMachineScan, FindsEveryFunctionBehindItsBridges) {
    std::string error;
    std::unique_ptr<tvk::Machine> machine = tvk::OpenMachine("embedded", error);
    ASSERT_TRUE(machine) << error;
    const auto* sim = dynamic_cast<const tvk::SimMachine*>(machine.get());
    ASSERT_NE(sim, nullptr);
    tvk::InstallMachine(std::move(machine));
    MemoryTree tree;
    auto list = BuildDeviceList(tree, AccessMode::Ports, 64);
    ExpectConsistentTree(tree, *list);
    EXPECT_EQ(size_t(list->Count()), sim->FunctionCount());  // nothing unreachable

    int bridges = 0, cardBus = 0, multi = 0, behind = 0;
    for (int i = 0; i < list->Count(); ++i) {
        const PciDevice& d = list->Entry(i);
        bridges += d.IsPciBridge();
        cardBus += d.IsCardBusBridge();
        multi += d.IsMultiFunction() && d.Function() > 0;
        behind += tree.ParentItem(d.treeItem) != tree.FirstItem();
    }
    EXPECT_GE(bridges, 1);
    EXPECT_GE(cardBus, 1);
    EXPECT_GE(multi, 1);
    EXPECT_GE(behind, 2);
    EXPECT_GE(list->highestBus, 1);
}

TEST(RealDumpScan, VirtualMachineWithOneBus) {
    std::string error;
    std::unique_ptr<tvk::SimMachine> machine =
        tvk::LoadMachineFile(std::string(BEXA_TEST_DATA) + "/virtio_vm.lspci", error);
    ASSERT_TRUE(machine) << error;
    tvk::SimMachine& sim = *machine;
    tvk::InstallMachine(std::move(machine));
    MemoryTree tree;
    auto list = BuildDeviceList(tree, AccessMode::Ports, 16);
    ExpectConsistentTree(tree, *list);
    ASSERT_EQ(list->Count(), 6);  // lspci -t: 00.0 to 05.0 on bus 0
    EXPECT_EQ(list->highestBus, 0);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(list->Entry(i).devfn, i * 8);
    EXPECT_NE(list->Entry(0).line.find("  8086 0d57 ["), std::string::npos) << list->Entry(0).line;
    EXPECT_NE(list->Entry(3).line.find("  1af4 1041 ["), std::string::npos) << list->Entry(3).line;
    EXPECT_EQ(sim.ConfigReads(), 256u * 32u + 6u * 15u);
}

// A desktop as Windows' Plug and Play manager describes it: a host bridge, a multi-function
// USB controller with I/O BARs, audio with a 64-bit BAR, a PCI bridge to bus 1 with a capture
// card (32-bit prefetchable memory and I/O) and a second bridge to bus 2.
std::vector<tvk::PnpDevice> WindowsDesktop() {
    auto device = [](const std::string& instance, const std::string& parent, uint32_t bus,
                     uint32_t slot, uint32_t function, const std::string& hardwareId,
                     const std::string& classId) {
        tvk::PnpDevice d;
        d.instanceId = instance;
        d.parentId = parent;
        d.busNumber = bus;
        d.address = slot << 16 | function;
        d.hardwareIds = {hardwareId};
        d.compatibleIds = {classId};
        return d;
    };
    auto range = [](tvk::PnpRange::Space space, uint64_t start, uint64_t length, bool wide,
                    bool prefetchable) {
        tvk::PnpRange r;
        r.space = space;
        r.start = start;
        r.length = length;
        r.wide = wide;
        r.prefetchable = prefetchable;
        return r;
    };
    using Space = tvk::PnpRange::Space;
    const std::string root = "ACPI\\PNP0A08\\0";
    std::vector<tvk::PnpDevice> list;
    list.push_back(device("PCI\\HOST", root, 0, 0, 0,
                          "PCI\\VEN_8086&DEV_2580&SUBSYS_25801458&REV_04", "PCI\\CC_060000"));
    for (uint32_t function : {0u, 1u}) {
        tvk::PnpDevice usb = device(
            "PCI\\USB" + std::to_string(function), root, 0, 0x1D, function,
            "PCI\\VEN_8086&DEV_265" + std::to_string(8 + function) + "&REV_03", "PCI\\CC_0C0300");
        usb.ranges = {range(Space::Io, 0xE000 + 0x20 * function, 0x20, false, false)};
        usb.interruptLine = 23;
        usb.interruptPin = 1;
        list.push_back(usb);
    }
    tvk::PnpDevice audio = device("PCI\\AUDIO", root, 0, 0x1B, 0,
                                  "PCI\\VEN_8086&DEV_2668&SUBSYS_01231043&REV_03", "PCI\\CC_0403");
    audio.ranges = {range(Space::Memory, 0xFEBF8000, 0x4000, true, false)};
    audio.interruptLine = 22;
    audio.interruptPin = 1;
    list.push_back(audio);
    list.push_back(device("PCI\\BRIDGE1", root, 0, 0x1E, 0, "PCI\\VEN_8086&DEV_244E&REV_D3",
                          "PCI\\CC_060401"));
    tvk::PnpDevice card = device("PCI\\CARD", "PCI\\BRIDGE1", 1, 5, 0,
                                 "PCI\\VEN_14F1&DEV_8800&SUBSYS_34010070&REV_05", "PCI\\CC_0400");
    card.ranges = {range(Space::Memory, 0xD0000000, 0x1000000, false, true),
                   range(Space::Io, 0xD000, 32, false, false)};
    card.interruptLine = 10;
    card.interruptPin = 1;
    list.push_back(card);
    list.push_back(device("PCI\\BRIDGE2", "PCI\\BRIDGE1", 1, 0, 0, "PCI\\VEN_10B5&DEV_6152&REV_01",
                          "PCI\\CC_0604"));
    list.push_back(device("PCI\\TUNER", "PCI\\BRIDGE2", 2, 4, 0, "PCI\\VEN_1131&DEV_7134&REV_01",
                          "PCI\\CC_0480"));
    return list;
}

std::string ListingOfInstalledMachine(MemoryTree& tree, std::unique_ptr<PciDeviceList>& list) {
    list = BuildDeviceList(tree, AccessMode::Ports, 64);
    std::string text;
    AppendListing(tree, *list, 64, true, text);
    return text;
}

// The emulated images of a Windows PC list as any machine does: every function under its
// bridge, and the same listing as the machine file of their dump, which lspci reads as the
// same functions.
TEST(WindowsMachineScan, ListsAsTheDumpOfItsImagesDoes) {
    auto machine = std::make_unique<tvk::PnpMachine>(WindowsDesktop());
    ASSERT_TRUE(machine->Notes().empty()) << machine->Notes().front();
    const size_t functions = machine->FunctionCount();
    tvk::InstallMachine(std::move(machine));
    MemoryTree tree;
    std::unique_ptr<PciDeviceList> list;
    const std::string listing = ListingOfInstalledMachine(tree, list);
    ExpectConsistentTree(tree, *list);
    EXPECT_EQ(size_t(list->Count()), functions);
    EXPECT_EQ(list->highestBus, 2);
    const std::string dump = tvk::DumpConfigSpaces();

    const std::string path = testing::TempDir() + "windows_desktop.lspci";
    {
        std::ofstream out(path, std::ios::binary);
        out << dump;
    }
    std::string error;
    std::unique_ptr<tvk::SimMachine> fromDump = tvk::LoadMachineFile(path, error);
    ASSERT_TRUE(fromDump) << error;
    tvk::InstallMachine(std::move(fromDump));
    MemoryTree dumpTree;
    std::unique_ptr<PciDeviceList> dumpList;
    EXPECT_EQ(ListingOfInstalledMachine(dumpTree, dumpList), listing);
    tvk::InstallMachine(nullptr);

#ifdef _WIN32
    GTEST_SKIP() << "lspci runs natively only";
#else
    // lspci, the peer, names the same functions with the same identifiers.
    const char lspci[] = "/usr/bin/lspci";
    if (std::FILE* probe = std::fopen(lspci, "r")) {
        std::fclose(probe);
    } else {
        GTEST_SKIP() << "no " << lspci;
    }
    FILE* pipe = popen((std::string(lspci) + " -n -F '" + path + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> fromLspci;
    char line[256];
    while (std::fgets(line, sizeof line, pipe)) {
        unsigned bus, slot, function, classCode, vendor, device;
        if (std::sscanf(line, "%x:%x.%x %x: %x:%x", &bus, &slot, &function, &classCode, &vendor,
                        &device) == 6) {
            char key[64];
            std::snprintf(key, sizeof key, "%d.%02d.%d %04x %04x", bus, slot, function, vendor,
                          device);
            fromLspci.insert(key);
        }
    }
    EXPECT_EQ(pclose(pipe), 0);
    std::set<std::string> fromBexa;
    for (int i = 0; i < list->Count(); ++i) {
        const PciDevice& d = list->Entry(i);
        char key[64];
        std::snprintf(key, sizeof key, "%d.%02d.%d %04x %04x", d.bus, d.Device(), d.Function(),
                      d.VendorId(), d.DeviceId());
        fromBexa.insert(key);
    }
    EXPECT_EQ(fromBexa, fromLspci);
#endif
}

}  // namespace
}  // namespace bexa
