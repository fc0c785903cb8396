// How the scan numbers buses: the bus counter rises for every bridge the scan follows, not
// for every bridge it meets, so that no top-level bus is skipped. Each case lists every
// function exactly once.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "device_list.h"
#include "memory_tree.h"
#include "service.h"
#include "sim_machine.h"

namespace bexa {
namespace {

// A function as the scan sees it: a header type 0 function, or a PCI-to-PCI bridge with its
// bus numbers.
tvk::FunctionImage Image(int bus, int device, uint16_t vendor, int headerType = 0) {
    tvk::FunctionImage f;
    f.bus = uint8_t(bus);
    f.device = uint8_t(device);
    f.config.assign(256, 0);
    f.config[0] = uint8_t(vendor);
    f.config[1] = uint8_t(vendor >> 8);
    f.config[2] = 0x34;
    f.config[3] = 0x12;
    f.config[0x0E] = uint8_t(headerType);
    if (headerType == 1) f.config[0x0B] = 0x06, f.config[0x0A] = 0x04;
    return f;
}

tvk::FunctionImage BridgeImage(int bus, int device, int secondary, int subordinate) {
    tvk::FunctionImage f = Image(bus, device, 0x8086, 1);
    f.config[0x18] = uint8_t(bus);
    f.config[0x19] = uint8_t(secondary);
    f.config[0x1A] = uint8_t(subordinate);
    return f;
}

struct Scan {
    MemoryTree tree;
    std::unique_ptr<PciDeviceList> list;
    // "bus.device" of every entry and of its tree parent's entry ("host" for "host CPU").
    std::map<std::string, std::string> parentOf;
    std::vector<std::string> order;
};

void RunScan(const std::vector<tvk::FunctionImage>& functions, Scan& scan) {
    auto sim = std::make_unique<tvk::SimMachine>();
    std::string error;
    for (const auto& f : functions)
        ASSERT_TRUE(sim->AddFunction(f, error)) << error;
    tvk::InstallMachine(std::move(sim));
    scan.list = BuildDeviceList(scan.tree, AccessMode::Ports, 16);
    auto name = [](const PciDevice& d) {
        return std::to_string(d.bus) + "." + std::to_string(d.Device());
    };
    for (int i = 0; i < scan.list->Count(); ++i) {
        const PciDevice& d = scan.list->Entry(i);
        scan.order.push_back(name(d));
        const TreeItem parent = scan.tree.ParentItem(d.treeItem);
        std::string parentName = "host";
        for (int j = 0; j < scan.list->Count(); ++j)
            if (scan.list->Entry(j).treeItem == parent) parentName = name(scan.list->Entry(j));
        scan.parentOf[name(d)] = parentName;
    }
}

TEST(BusNumbering, AnUnconfiguredBridgeDoesNotHideTheNextTopLevelBus) {
    // Counting every bridge would set the counter to 1 after bus 0 and go on at bus 2.
    Scan scan;
    RunScan(
        {BridgeImage(0, 1, 0, 0), Image(0, 2, 0x10EC), Image(1, 0, 0x8086), Image(1, 3, 0x1106)},
        scan);
    EXPECT_EQ(scan.order, (std::vector<std::string>{"0.1", "0.2", "1.0", "1.3"}));
    EXPECT_EQ(scan.parentOf["1.0"], "host");
    EXPECT_EQ(scan.parentOf["1.3"], "host");
    EXPECT_EQ(scan.list->highestBus, 1);
}

TEST(BusNumbering, TwoBridgesToOneBusListItOnceAndSkipNoTopLevelBus) {
    // Both bridges claim bus 1; counting both would go on at bus 3 and miss bus 2.
    Scan scan;
    RunScan({BridgeImage(0, 1, 1, 1), BridgeImage(0, 2, 1, 1), Image(1, 0, 0x10EC),
             Image(2, 0, 0x1106)},
            scan);
    EXPECT_EQ(scan.order, (std::vector<std::string>{"0.1", "1.0", "0.2", "2.0"}));
    EXPECT_EQ(scan.parentOf["1.0"], "0.1");
    EXPECT_EQ(scan.parentOf["2.0"], "host");
    EXPECT_EQ(scan.list->highestBus, 2);
}

}  // namespace
}  // namespace bexa
