#include "pci_device.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "id_database.h"
#include "service.h"
#include "sim_builder.h"

namespace bexa {
namespace {

// A record whose image counts up bytewise: byte at offset o holds o (dwords 0x03020100, ...),
// with the header type and the ids replaced.
PciDevice Counting(uint8_t header) {
    PciDevice d;
    for (int r = 0; r < 64; ++r) {
        const uint32_t o = uint32_t(4 * r);
        d.image[size_t(r)] = o | (o + 1) << 8 | (o + 2) << 16 | (o + 3) << 24;
    }
    d.image[3] = (d.image[3] & 0xFF00FFFF) | uint32_t(header) << 16;
    d.valid = 1;
    return d;
}

TEST(PciDevice, HeaderKinds) {
    struct Case {
        uint8_t header;
        bool bridge, cardBus, multi;
        HeaderKind kind;
    } cases[] = {
        {0x00, false, false, false, HeaderKind::Device},
        {0x80, false, false, true, HeaderKind::Device},
        {0x01, true, false, false, HeaderKind::PciBridge},
        {0x81, true, false, true, HeaderKind::PciBridge},
        {0x82, false, true, true, HeaderKind::CardBus},
        {0x02, false, false, false, HeaderKind::Device},  // CardBus without bit 7: ordinary
        {0x7F, false, false, false, HeaderKind::Device},
    };
    for (const Case& c : cases) {
        const PciDevice d = Counting(c.header);
        EXPECT_EQ(d.IsPciBridge(), c.bridge) << int(c.header);
        EXPECT_EQ(d.IsCardBusBridge(), c.cardBus) << int(c.header);
        EXPECT_EQ(d.IsMultiFunction(), c.multi) << int(c.header);
        EXPECT_EQ(d.Kind(), c.kind) << int(c.header);
    }
}

TEST(PciDevice, DerivedValuesOfAnOrdinaryFunction) {
    const PciDevice d = Counting(0x02);  // CardBus layout without bit 7 reads as ordinary
    EXPECT_EQ(d.VendorId(), 0x0100);
    EXPECT_EQ(d.DeviceId(), 0x0302);
    EXPECT_EQ(d.Command(), 0x0504);
    EXPECT_EQ(d.Status(), 0x0706);
    EXPECT_EQ(d.Revision(), 0x08);
    EXPECT_EQ(d.ProgIf(), 0x09);
    EXPECT_EQ(d.SubClass(), 0x0A);
    EXPECT_EQ(d.BaseClass(), 0x0B);
    EXPECT_EQ(d.CacheLineSize(), 0x0C);
    EXPECT_EQ(d.LatencyTimer(), 0x0D);
    EXPECT_EQ(d.HeaderType(), 0x02);
    EXPECT_EQ(d.Bist(), 0x0F);
    for (int n = 0; n < 6; ++n)
        EXPECT_EQ(d.Bar(n), d.image[size_t(4 + n)]) << n;
    EXPECT_EQ(d.Bar(6), 0u);
    EXPECT_EQ(d.Bar(-1), 0u);
    EXPECT_EQ(d.SubsystemVendorId(), 0x2D2C);
    EXPECT_EQ(d.SubsystemId(), 0x2F2E);
    EXPECT_EQ(d.ExpansionRomBase(), 0x33323130u);
    EXPECT_EQ(d.InterruptLine(), 0x3C);
    EXPECT_EQ(d.InterruptPin(), 0x3D);
    EXPECT_EQ(d.MinGnt(), 0x3E);
    EXPECT_EQ(d.MaxLat(), 0x3F);
    EXPECT_EQ(d.PrimaryBus(), 0);
    EXPECT_EQ(d.SecondaryBus(), 0);
    EXPECT_EQ(d.SubordinateBus(), 0);
    EXPECT_EQ(d.MemoryBase(), 0);
    EXPECT_EQ(d.MemoryLimit(), 0);
    EXPECT_EQ(d.PrefetchableBase(), 0);
    EXPECT_EQ(d.PrefetchableLimit(), 0);
}

TEST(PciDevice, DerivedValuesOfABridge) {
    const PciDevice d = Counting(0x81);
    EXPECT_EQ(d.Bar(0), 0x13121110u);
    EXPECT_EQ(d.Bar(1), 0x17161514u);
    EXPECT_EQ(d.Bar(2), 0u);
    EXPECT_EQ(d.Bar(5), 0u);
    EXPECT_EQ(d.SubsystemVendorId(), 0);
    EXPECT_EQ(d.SubsystemId(), 0);
    EXPECT_EQ(d.ExpansionRomBase(), 0x3B3A3938u);
    EXPECT_EQ(d.MinGnt(), 0);
    EXPECT_EQ(d.MaxLat(), 0);
    EXPECT_EQ(d.InterruptLine(), 0x3C);
    EXPECT_EQ(d.InterruptPin(), 0x3D);
    EXPECT_EQ(d.PrimaryBus(), 0x18);
    EXPECT_EQ(d.SecondaryBus(), 0x19);
    EXPECT_EQ(d.SubordinateBus(), 0x1A);
    EXPECT_EQ(d.MemoryBase(), 0x2120);
    EXPECT_EQ(d.MemoryLimit(), 0x2322);
    EXPECT_EQ(d.PrefetchableBase(), 0x2524);
    EXPECT_EQ(d.PrefetchableLimit(), 0x2726);
    EXPECT_EQ(d.SubsystemVendorName(), " --------------");
    EXPECT_EQ(d.SubsystemName(), "");
}

TEST(PciDevice, CardBusBridgeHasBusNumbersButOrdinaryRegisters) {
    const PciDevice d = Counting(0x82);
    EXPECT_EQ(d.PrimaryBus(), 0x18);
    EXPECT_EQ(d.SecondaryBus(), 0x19);
    EXPECT_EQ(d.SubordinateBus(), 0x1A);
    EXPECT_EQ(d.Bar(5), d.image[9]);
    EXPECT_EQ(d.SubsystemVendorId(), 0x2D2C);
    EXPECT_EQ(d.ExpansionRomBase(), 0x33323130u);
    EXPECT_EQ(d.MemoryBase(), 0);
}

// Writes an ID file with names for vendor BEEF and returns its path.
std::string WriteIdFile(const std::string& deviceName) {
    const std::string path = testing::TempDir() + "pci_device_test_ids.txt";
    std::ofstream out(path);
    out << "# test ids\n\n\nV BEEF\tBeef Systems\nD 0001\t" << deviceName
        << "\nO BEEF\tBeef OEM\nS 0042\tBeef Card 42\n";
    return path;
}

TEST(DeviceLine, FormatsAnOrdinaryFunctionAndABridge) {
    LoadIdFile(WriteIdFile("Beef NIC").c_str());
    PciDevice d;
    d.image.fill(0);
    d.image[0] = 0x0001BEEF;
    d.image[2] = 0x02000001;  // Ethernet controller
    d.image[11] = 0x0042BEEF;
    d.bus = 12;
    d.devfn = 7 * 8 + 3;
    const std::string cls = ClassName(0xBEEF, 0x0001, 0x02, 0x00, 0x00);
    EXPECT_EQ(d.DeviceLine(),
              "12.07.3        " + cls + "  beef 0001 [" + VendorShortName(0xBEEF) +
                  "] Beef NIC: Beef NIC // SubIDs beef 0042  Beef OEM: Beef Card 42");
    EXPECT_EQ(d.line, d.DeviceLine());

    PciDevice b;
    b.image.fill(0);
    b.image[0] = 0x0001BEEF;
    b.image[2] = 0x06040000;
    b.image[3] = 0x00010000;
    b.image[6] = 0x00050400;  // primary 0, secondary 4, subordinate 5
    b.devfn = 30 * 8;
    const std::string bcls = ClassName(0xBEEF, 0x0001, 0x06, 0x04, 0x00);
    EXPECT_EQ(b.DeviceLine(), "0.30.0    0->4 (5)  " + bcls + "  beef 0001 [" +
                                  VendorShortName(0xBEEF) +
                                  "] Beef NIC: Beef NIC // SubIDs 0000 0000   --------------: ");
    FreeIdFile();
}

TEST(DeviceLine, GrowsPastTheTextFieldForLongNames) {
    const std::string longName(500, 'n');  // the ID file cuts lines at 511 characters
    LoadIdFile(WriteIdFile(longName).c_str());
    PciDevice d;
    d.image.fill(0);
    d.image[0] = 0x0001BEEF;
    d.image[11] = 0x0042BEEF;
    const std::string& line = d.DeviceLine();
    EXPECT_GT(line.size(), 1024u);
    EXPECT_NE(
        line.find(longName + ": " + longName + " // SubIDs beef 0042  Beef OEM: Beef Card 42"),
        std::string::npos);
    EXPECT_EQ(line.substr(line.size() - 12), "Beef Card 42");
    FreeIdFile();
}

TEST(ReloadDevice, ReadsAllDwordsAtTheNewAddressKeepingTheMode) {
    tvk::FunctionImage f = tvk::test::Function(1, 3, 0, 0x8086, 0x1229);
    tvk::test::Put32(f.config, 0x100 - 4, 0xCAFEF00D);
    tvk::SimMachine& sim = tvk::test::InstallSim({f});
    PciDevice d;
    d.ReloadDevice(1, 3 * 8, 64);
    EXPECT_EQ(d.valid, 1);
    EXPECT_EQ(d.bus, 1);
    EXPECT_EQ(d.devfn, 24);
    EXPECT_EQ(d.image[63], 0xCAFEF00Du);
    EXPECT_EQ(sim.ConfigReads(), 64u);

    sim.ResetCounters();
    d.ReloadDevice(1, 4 * 8, 16);  // nobody there: all dwords read all the same
    EXPECT_EQ(d.valid, 0);
    EXPECT_EQ(sim.ConfigReads(), 16u);

    d.mode = AccessMode::Bios;
    d.ReloadDevice(1, 3 * 8, 16);
    EXPECT_EQ(d.mode, AccessMode::Bios);
    EXPECT_EQ(d.valid, 0);
}

TEST(ReadMissingDwords, ReadsOnlyWhatTheLastBlockReadDidNotReach) {
    tvk::FunctionImage f = tvk::test::Function(0, 9, 0, 0x8086, 0x1229);
    tvk::test::Put32(f.config, 40 * 4, 0x12345678);
    tvk::SimMachine& sim = tvk::test::InstallSim({f});
    PciDevice d(0, 9 * 8, AccessMode::Ports, 16);
    ASSERT_EQ(d.dwordsRead, 16);
    sim.ResetCounters();
    d.ReadMissingDwords(64);
    EXPECT_EQ(sim.ConfigReads(), 48u);
    EXPECT_EQ(d.image[40], 0x12345678u);
    d.ReadMissingDwords(64);
    EXPECT_EQ(sim.ConfigReads(), 48u);
}

class BridgeOperations : public testing::Test {
  protected:
    void SetUp() override {
        tvk::FunctionImage bridge = tvk::test::Bridge(0, 1, 0, 2, 2);
        tvk::test::Put32(bridge.config, 0x3C, 0x000201FF);  // bridge control bit 1 set, pin 1
        tvk::test::Put32(bridge.config, 0x1C, 0x2000F000);  // secondary status: master abort
        sim_ = &tvk::test::InstallSim({bridge, tvk::test::Function(2, 0, 0, 0x8086, 0x100E)});
        sim_->SetLogging(true);
        bridge_ = PciDevice(0, 8, AccessMode::Ports, 16);
        ASSERT_EQ(bridge_.valid, 1);
    }
    tvk::SimMachine* sim_ = nullptr;
    PciDevice bridge_;
};

TEST_F(BridgeOperations, ResetPulsesSecondaryBusResetAndWaits) {
    std::vector<int> waits;
    std::vector<bool> inReset;
    uint32_t seenBehind = 0;
    bridge_.ResetSecondaryBus(0, 8, [&](int ms) {
        waits.push_back(ms);
        inReset.push_back(sim_->BusInReset(2));
        if (ms == 600) ReadConfigDword(AccessMode::Ports, 2, 0, 0, 0, seenBehind);
    });
    EXPECT_EQ(waits, (std::vector<int>{600, 100}));
    EXPECT_EQ(inReset, (std::vector<bool>{true, false}));
    EXPECT_EQ(seenBehind, 0xFFFFFFFFu);  // held in reset during the pulse
    ASSERT_EQ(sim_->WriteLog().size(), 2u);
    EXPECT_EQ(sim_->WriteLog()[0], (tvk::ConfigWrite{0, 1, 0, 0x3C, 0x004201FF}));
    EXPECT_EQ(sim_->WriteLog()[1], (tvk::ConfigWrite{0, 1, 0, 0x3C, 0x000201FF}));
    uint32_t behind = 0;
    ReadConfigDword(AccessMode::Ports, 2, 0, 0, 0, behind);
    EXPECT_EQ(behind, 0x100E8086u);
}

TEST_F(BridgeOperations, ClearSecondaryMasterAbortWritesBit29Back) {
    PciDevice other;  // any record: its mode is used, the address is the bridge's
    other.ClearSecondaryMasterAbort(0, 8);
    ASSERT_EQ(sim_->WriteLog().size(), 1u);
    EXPECT_EQ(sim_->WriteLog()[0].offset, 0x1C);
    EXPECT_EQ(sim_->WriteLog()[0].value & 0x20000000u, 0x20000000u);
    uint32_t status = 0;
    ReadConfigDword(AccessMode::Ports, 0, 1, 0, 7, status);
    EXPECT_EQ(status & 0x20000000u, 0u);  // the bit is cleared by writing 1
}

TEST_F(BridgeOperations, BiosModeTouchesNothing) {
    bridge_.mode = AccessMode::Bios;
    int waits = 0;
    bridge_.ResetSecondaryBus(0, 8, [&](int) { ++waits; });
    bridge_.ClearSecondaryMasterAbort(0, 8);
    EXPECT_EQ(waits, 2);
    EXPECT_TRUE(sim_->WriteLog().empty());
}

}  // namespace
}  // namespace bexa
