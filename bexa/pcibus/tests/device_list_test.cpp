#include "device_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memory_tree.h"
#include "service.h"
#include "sim_builder.h"

namespace bexa {
namespace {

using tvk::test::Bridge;
using tvk::test::Function;
using tvk::test::InstallSim;

// "b.dd.f" of every entry, in list order.
std::vector<std::string> Addresses(const PciDeviceList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) {
        const PciDevice& d = list.Entry(i);
        out.push_back(std::to_string(d.bus) + "." + std::to_string(d.Device()) + "." +
                      std::to_string(d.Function()));
    }
    return out;
}

using Strings = std::vector<std::string>;

TEST(BuildDeviceList, EmptyMachineCostsOneReadPerSlot) {
    tvk::SimMachine& sim = InstallSim({});
    MemoryTree tree;
    auto list = BuildDeviceList(tree, AccessMode::Ports, 16);
    EXPECT_EQ(sim.ConfigReads(), 256u * 32u);
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(list->highestBus, 0);
    ASSERT_EQ(tree.ItemCount(), 1u);
    EXPECT_EQ(tree.ItemText(tree.FirstItem()), "host CPU");
    EXPECT_EQ(tree.ItemData(tree.FirstItem()), 0);
    EXPECT_TRUE(tree.IsExpanded(tree.FirstItem()));
}

TEST(BuildDeviceList, SingleFunctionDeviceIsNotProbedBeyondFunctionZero) {
    // Function 1 exists but the header type of function 0 says single-function.
    tvk::SimMachine& sim =
        InstallSim({Function(0, 3, 0, 0x8086, 0x7000), Function(0, 3, 1, 0x8086, 0x7010)});
    MemoryTree tree;
    auto list = BuildDeviceList(tree, AccessMode::Ports, 16);
    EXPECT_EQ(Addresses(*list), Strings{"0.3.0"});
    EXPECT_EQ(sim.ConfigReads(), 256u * 32u - 1 + 16);
    EXPECT_EQ(list->highestBus, 0);
}

TEST(BuildDeviceList, MultiFunctionDeviceProbesAllEightFunctions) {
    tvk::SimMachine& sim =
        InstallSim({Function(0, 7, 0, 0x8086, 0x7000, 0x80), Function(0, 7, 2, 0x8086, 0x7111),
                    Function(0, 7, 7, 0x8086, 0x7113)});
    MemoryTree tree;
    auto list = BuildDeviceList(tree, AccessMode::Ports, 64);
    EXPECT_EQ(Addresses(*list), (Strings{"0.7.0", "0.7.2", "0.7.7"}));
    EXPECT_EQ(sim.ConfigReads(), 256u * 32u - 1 + 3 * 64 + 5);
    for (int i = 0; i < list->Count(); ++i) {
        EXPECT_EQ(list->Entry(i).dwordsRead, 64);
        EXPECT_EQ(tree.ItemData(list->Entry(i).treeItem), i);
        EXPECT_EQ(tree.ItemText(list->Entry(i).treeItem), list->Entry(i).line);
    }
}

TEST(BuildDeviceList, FunctionsBehindABridgeHangUnderItAndTheirBusIsScannedOnce) {
    tvk::SimMachine& sim =
        InstallSim({Function(0, 0, 0, 0x8086, 0x1237, 0x00, 0x060000), Bridge(0, 1, 0, 1, 1),
                    Function(1, 0, 0, 0x10EC, 0x8139), Function(1, 5, 0, 0x10EC, 0x8029)});
    MemoryTree tree;
    auto list = BuildDeviceList(tree, AccessMode::Ports, 16);
    EXPECT_EQ(Addresses(*list), (Strings{"0.0.0", "0.1.0", "1.0.0", "1.5.0"}));
    EXPECT_EQ(list->highestBus, 1);
    EXPECT_EQ(sim.ConfigReads(), 256u * 32u + 4 * 15);

    const TreeItem host = tree.FirstItem();
    EXPECT_EQ(tree.Children(host),
              (std::vector<TreeItem>{list->Entry(0).treeItem, list->Entry(1).treeItem}));
    EXPECT_EQ(tree.Children(list->Entry(1).treeItem),
              (std::vector<TreeItem>{list->Entry(2).treeItem, list->Entry(3).treeItem}));
    for (int i = 0; i < list->Count(); ++i)
        EXPECT_TRUE(tree.IsExpanded(list->Entry(i).treeItem));
}

TEST(BuildDeviceList, BusCounterFollowsBridgesAndLaterRootBusesHangUnderHostCpu) {
    InstallSim({Bridge(0, 1, 0, 1, 2), Bridge(1, 0, 0, 2, 2), Function(2, 0, 0, 0x10EC, 0x8139),
                Function(3, 0, 0, 0x8086, 0x1237)});
    MemoryTree tree;
    auto list = BuildDeviceList(tree, AccessMode::Ports, 16);
    EXPECT_EQ(Addresses(*list), (Strings{"0.1.0", "1.0.0", "2.0.0", "3.0.0"}));
    EXPECT_EQ(list->highestBus, 3);
    EXPECT_EQ(tree.ParentItem(list->Entry(2).treeItem), list->Entry(1).treeItem);
    EXPECT_EQ(tree.ParentItem(list->Entry(3).treeItem), tree.FirstItem());
}

TEST(BuildDeviceList, BusReachedBehindABridgeIsNeverScannedTwice) {
    // Bridges numbered with a gap: bus 5 lies behind bus 0 but the bus counter says 1, so the
    // top-level loop passes bus 5 again; and a second bridge claims the same secondary bus.
    InstallSim({Bridge(0, 1, 0, 5, 5), Bridge(0, 2, 0, 5, 5), Function(5, 0, 0, 0x10EC, 0x8139)});
    MemoryTree tree;
    auto list = BuildDeviceList(tree, AccessMode::Ports, 16);
    EXPECT_EQ(Addresses(*list), (Strings{"0.1.0", "5.0.0", "0.2.0"}));
    EXPECT_EQ(list->highestBus, 1);  // the bus counter, not the bus number
}

TEST(BuildDeviceList, UnconfiguredOrLoopingBridgesAreNotFollowed) {
    InstallSim({Bridge(0, 1, 0, 0, 0),                         // unconfigured: secondary bus 0
                Bridge(0, 2, 0, 1, 1), Bridge(1, 0, 0, 1, 1),  // secondary equals its own bus
                Bridge(1, 1, 0, 0, 0),                         // points back to bus 0
                Function(1, 2, 0, 0x10EC, 0x8139)});
    MemoryTree tree;
    auto list = BuildDeviceList(tree, AccessMode::Ports, 16);
    EXPECT_EQ(Addresses(*list), (Strings{"0.1.0", "0.2.0", "1.0.0", "1.1.0", "1.2.0"}));
    EXPECT_EQ(list->highestBus, 1);
}

TEST(BuildDeviceList, CardBusWithHeader02IsAnOrdinaryFunction) {
    tvk::FunctionImage cardBus = Function(0, 4, 0, 0x104C, 0xAC56, 0x02, 0x060700);
    tvk::test::Put32(cardBus.config, 0x18, 0x00020200);  // secondary bus 2
    tvk::test::Put32(cardBus.config, 0x24, 0xE0001000);  // dword 9
    InstallSim({cardBus, Function(2, 0, 0, 0x10EC, 0x8139)});
    MemoryTree tree;
    auto list = BuildDeviceList(tree, AccessMode::Ports, 16);
    ASSERT_EQ(Addresses(*list), (Strings{"0.4.0", "2.0.0"}));
    EXPECT_EQ(tree.ParentItem(list->Entry(1).treeItem), tree.FirstItem());  // not behind it
    EXPECT_EQ(list->Entry(0).Bar(5), 0xE0001000u);
    EXPECT_EQ(list->highestBus, 2);
}

TEST(BuildDeviceList, CardBusWithHeader82IsFollowed) {
    tvk::FunctionImage cardBus = Function(0, 4, 0, 0x104C, 0xAC56, 0x82, 0x060700);
    tvk::test::Put32(cardBus.config, 0x18, 0x00020200);
    InstallSim({cardBus, Function(2, 0, 0, 0x10EC, 0x8139)});
    MemoryTree tree;
    auto list = BuildDeviceList(tree, AccessMode::Ports, 16);
    ASSERT_EQ(Addresses(*list), (Strings{"0.4.0", "2.0.0"}));
    EXPECT_EQ(tree.ParentItem(list->Entry(1).treeItem), list->Entry(0).treeItem);
    EXPECT_EQ(list->highestBus, 1);
}

TEST(BuildDeviceList, StopsStoringAt1024EntriesAndKeepsScanning) {
    std::vector<tvk::FunctionImage> functions;
    for (int bus = 0; bus < 5; ++bus) {
        for (int device = 0; device < 32; ++device) {
            for (int function = 0; function < 8; ++function) {
                functions.push_back(Function(uint8_t(bus), uint8_t(device), uint8_t(function),
                                             0x8086, uint16_t(bus << 8 | device << 3 | function),
                                             0x80));
            }
        }
    }
    InstallSim(functions);
    MemoryTree tree;
    auto list = BuildDeviceList(tree, AccessMode::Ports, 16);
    ASSERT_EQ(list->Count(), PciDeviceList::kMaxEntries);
    EXPECT_EQ(list->dropped, 1280 - 1024);
    EXPECT_EQ(tree.ItemCount(), 1u + 1024u);
    for (int i = 0; i < list->Count(); ++i) {
        ASSERT_EQ(list->Entry(i).DeviceId(), i) << "entry " << i << " overwritten";
    }
    EXPECT_EQ(list->root.bus, 0);
    EXPECT_EQ(list->root.devfn, 0);
    EXPECT_EQ(list->root.image[0], 0xFFFFFFFFu);  // the scratch record was never written
    EXPECT_EQ(list->highestBus, 4);
}

TEST(BuildDeviceList, BiosModeFindsNothingOnThesePlatforms) {
    tvk::SimMachine& sim = InstallSim({Function(0, 0, 0, 0x8086, 0x1237)});
    MemoryTree tree;
    auto list = BuildDeviceList(tree, AccessMode::Bios, 16);
    EXPECT_EQ(list->Count(), 0);
    EXPECT_EQ(list->mode, AccessMode::Bios);
    EXPECT_EQ(list->root.mode, AccessMode::Bios);
    EXPECT_EQ(sim.ConfigReads(), 0u);
}

}  // namespace
}  // namespace bexa
