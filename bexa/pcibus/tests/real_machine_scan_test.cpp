// Scans of whole machines: the embedded machine and dumps of real ones.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>

#include "device_list.h"
#include "machine_file.h"
#include "memory_tree.h"
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

}  // namespace
}  // namespace bexa
