#include "config_access.h"

#include <gtest/gtest.h>

#include <vector>

#include "pci_device.h"
#include "service.h"
#include "sim_builder.h"

namespace bexa {
namespace {

using tvk::test::Function;
using tvk::test::InstallSim;

TEST(ConfigAddress, PacksBusDeviceFunctionAndRegister) {
    struct Case {
        uint8_t bus, device, function, reg;
        uint32_t address;
    } cases[] = {
        {0, 31, 7, 63, 0x8000FFFC},                             // every field at its maximum
        {255, 0, 0, 0, 0x80FF0000},                             // bus in bits 23-16
        {0, 0, 0, 0, 0x80000000},                               // enable bit alone
        {1, 2, 3, 4, 0x80011310},   {0, 0, 0, 64, 0x80000000},  // register taken modulo 64
        {0, 32, 8, 0, 0x80000000},  // device and function do not spill into other fields
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConfigAddress(c.bus, c.device, c.function, c.reg), c.address)
            << int(c.bus) << "." << int(c.device) << "." << int(c.function) << " r" << int(c.reg);
    }
}

TEST(ConfigDword, PortPathReadsAndWritesTheAddressedFunction) {
    tvk::FunctionImage f = Function(3, 17, 5, 0x1234, 0x5678);
    tvk::test::Put32(f.config, 0x3C, 0x0000010B);
    tvk::SimMachine& sim = InstallSim({f});
    sim.SetLogging(true);

    uint32_t value = 0;
    EXPECT_EQ(ReadConfigDword(AccessMode::Ports, 3, 17, 5, 0, value), 0);
    EXPECT_EQ(value, 0x56781234u);
    EXPECT_EQ(ReadConfigDword(AccessMode::Ports, 3, 17, 5, 15, value), 0);
    EXPECT_EQ(value, 0x0000010Bu);
    EXPECT_EQ(sim.ConfigReads(), 2u);

    EXPECT_EQ(WriteConfigDword(AccessMode::Ports, 3, 17, 5, 15, 0x0000010A), 0);
    ASSERT_EQ(sim.WriteLog().size(), 1u);
    EXPECT_EQ(sim.WriteLog()[0], (tvk::ConfigWrite{3, 17, 5, 0x3C, 0x0000010A}));
}

TEST(ConfigDword, PortPathIgnoresFailuresAndReadsAllOnesWhereNothingAnswers) {
    InstallSim({});
    uint32_t value = 0;
    EXPECT_EQ(ReadConfigDword(AccessMode::Ports, 0, 0, 0, 0, value), 0);
    EXPECT_EQ(value, 0xFFFFFFFFu);

    tvk::InstallMachine(nullptr);  // no machine: every port call fails
    value = 0;
    EXPECT_EQ(ReadConfigDword(AccessMode::Ports, 0, 0, 0, 0, value), 0);
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_EQ(WriteConfigDword(AccessMode::Ports, 0, 0, 0, 0, 1), 0);
}

TEST(ConfigDword, BiosPathFailsWithoutTouchingBufferOrHardware) {
    tvk::SimMachine& sim = InstallSim({Function(0, 0, 0, 0x8086, 0x1237)});
    uint32_t value = 0x12345678;
    EXPECT_EQ(ReadConfigDword(AccessMode::Bios, 0, 0, 0, 0, value), 1);
    EXPECT_EQ(value, 0x12345678u);
    EXPECT_EQ(ReadConfigDwordRetried(AccessMode::Bios, 0, 0, 0, 0, value), 1);
    EXPECT_EQ(value, 0x12345678u);
    EXPECT_EQ(WriteConfigDword(AccessMode::Bios, 0, 0, 0, 15, 0), 1);
    EXPECT_EQ(sim.ConfigReads() + sim.ConfigWrites(), 0u);
}

TEST(RetryRule, RetriesOnlyWhileTheResultIsExactlyOne) {
    struct Case {
        std::vector<int> results;  // what successive attempts return
        int calls;
        int result;
    } cases[] = {
        {{0}, 1, 0},
        {{1, 1, 0}, 3, 0},
        {{1, 1, 1, 1, 1, 0}, 5, 1},  // five attempts in all, then the caller goes on
        {{2}, 1, 2},                 // a BIOS status byte other than 1 is not retried
        {{1, 0x86}, 2, 0x86},
    };
    for (const Case& c : cases) {
        int calls = 0;
        const int result = WithRetries([&] { return c.results[size_t(calls++)]; });
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(result, c.result);
    }
}

TEST(ReadConfigBlock, EmptySlotCostsOneReadUnlessAllAreRead) {
    tvk::SimMachine& sim = InstallSim({});
    PciDevice rec;
    EXPECT_EQ(ReadConfigBlock(rec, 0, 8, 64, false), 1);
    EXPECT_EQ(sim.ConfigReads(), 1u);

    sim.ResetCounters();
    EXPECT_EQ(ReadConfigBlock(rec, 0, 8, 16, true), 1);
    EXPECT_EQ(sim.ConfigReads(), 16u);
}

TEST(ReadConfigBlock, ReadsTheCountOfDwordsIntoTheImage) {
    tvk::FunctionImage f = Function(2, 4, 1, 0x10EC, 0x8139);
    for (int r = 1; r < 64; ++r)
        tvk::test::Put32(f.config, 4 * r, 0xA0000000u + uint32_t(r));
    tvk::SimMachine& sim = InstallSim({f});

    struct Case {
        int count;
        int reads;
    } cases[] = {{16, 16}, {64, 64}, {300, 44} /* modulo 256 */, {100, 64} /* image size */};
    for (const Case& c : cases) {
        sim.ResetCounters();
        PciDevice rec;
        EXPECT_EQ(ReadConfigBlock(rec, 2, 4 * 8 + 1, c.count, false), 0);
        EXPECT_EQ(sim.ConfigReads(), uint64_t(c.reads)) << c.count;
        EXPECT_EQ(rec.dwordsRead, c.reads);
        EXPECT_EQ(rec.image[0], 0x813910ECu);
        EXPECT_EQ(rec.image[size_t(c.reads - 1)], 0xA0000000u + uint32_t(c.reads - 1));
        if (c.reads < 64) {
            EXPECT_EQ(rec.image[size_t(c.reads)], 0xFFFFFFFFu);
        }
    }
}

TEST(ReadConfigBlock, DeviceIdAllOnesCountsAsNoFunction) {
    InstallSim({Function(0, 1, 0, 0x1234, 0xFFFF)});
    PciDevice rec;
    EXPECT_EQ(ReadConfigBlock(rec, 0, 8, 16, false), 1);
    EXPECT_EQ(rec.dwordsRead, 16);  // the early stop looks at the vendor ID only
}

TEST(ReadConfigBlock, BiosPathFailureLeavesNoValidImage) {
    tvk::SimMachine& sim = InstallSim({Function(0, 0, 0, 0x8086, 0x1237)});
    PciDevice rec;
    rec.mode = AccessMode::Bios;
    EXPECT_EQ(ReadConfigBlock(rec, 0, 0, 16, false), 1);
    EXPECT_EQ(rec.image[0], 0xFFFFFFFFu);
    EXPECT_EQ(sim.ConfigReads(), 0u);
}

TEST(WriteConfigBlock, WritesNothingUnlessTheRecordIsValid) {
    tvk::SimMachine& sim = InstallSim({Function(1, 2, 0, 0x8086, 0x100E)});
    sim.SetLogging(true);
    PciDevice rec(1, 2 * 8, AccessMode::Ports, 16);
    ASSERT_EQ(rec.valid, 1);
    sim.ResetCounters();

    rec.valid = 0;
    EXPECT_EQ(WriteConfigBlock(rec, 1, 2 * 8, 16), 1);
    EXPECT_EQ(sim.ConfigReads() + sim.ConfigWrites(), 0u);
    EXPECT_TRUE(sim.WriteLog().empty());

    rec.valid = 1;
    EXPECT_EQ(WriteConfigBlock(rec, 1, 2 * 8, 16), 0);
    ASSERT_EQ(sim.WriteLog().size(), 16u);
    for (int r = 0; r < 16; ++r) {
        const tvk::ConfigWrite& w = sim.WriteLog()[size_t(r)];
        EXPECT_EQ(w, (tvk::ConfigWrite{1, 2, 0, uint16_t(4 * r), rec.image[size_t(r)]}));
    }
}

}  // namespace
}  // namespace bexa
