// The simulated machine on its own: register behaviour, BAR sizing, bridge reset, memory
// and ports behind BARs, counters and the write log.
#include <cstring>

#include "test_support.h"

namespace tvk {
namespace {

using test::Function;
using test::Put32;
using test::Read;

std::unique_ptr<SimMachine> Machine(const std::vector<FunctionImage>& functions) {
    auto sim = std::make_unique<SimMachine>();
    std::string error;
    for (const auto& f : functions)
        EXPECT_TRUE(sim->AddFunction(f, error)) << error;
    return sim;
}

TEST(SimBarSizing, WritingAllOnesReadsBackTheSizeMask) {
    struct Case {
        const char* what;
        uint32_t value;  // power-on BAR value
        uint64_t size;
        uint32_t mask;  // read back after writing FFFFFFFF
    };
    const Case cases[] = {
        {"I/O 32 bytes", 0x0000D001, 32, 0xFFFFFFE1},
        {"I/O 256 bytes", 0x0000E001, 256, 0xFFFFFF01},
        {"memory 16 MB prefetchable", 0xD0000008, 16u << 20, 0xFF000008},
        {"memory 4 KB", 0xFEBFF000, 4096, 0xFFFFF000},
        {"memory 16 bytes", 0xFEBFF010, 16, 0xFFFFFFF0},
        {"unimplemented", 0x00000000, 0, 0x00000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FunctionImage f = Function(0, 3, 0, 0x1234, 0x5678);
        Put32(f.config, 0x18, c.value);  // BAR 2
        f.barSize[2] = c.size;
        auto sim = Machine({f});
        sim->WriteConfig(0, 3, 0, 0x18, 0xFFFFFFFF);
        EXPECT_EQ(Read(*sim, 0, 3, 0, 0x18), c.mask);
        sim->WriteConfig(0, 3, 0, 0x18, c.value);
        EXPECT_EQ(Read(*sim, 0, 3, 0, 0x18), c.value);
    }
}

TEST(SimBarSizing, SixtyFourBitBarsSizeBothHalves) {
    FunctionImage f = Function(0, 27, 0, 0x8086, 0x2668);
    Put32(f.config, 0x10, 0xFEBF8004);  // 16 KB, 64-bit
    f.barSize[0] = 16384;
    Put32(f.config, 0x18, 0x0000000C);  // 8 GB, 64-bit prefetchable at 0x4_0000_0000
    Put32(f.config, 0x1C, 0x00000004);
    f.barSize[2] = uint64_t(8) << 30;
    auto sim = Machine({f});
    for (uint16_t off : {0x10, 0x14, 0x18, 0x1C})
        sim->WriteConfig(0, 27, 0, off, 0xFFFFFFFF);
    EXPECT_EQ(Read(*sim, 0, 27, 0, 0x10), 0xFFFFC004u);
    EXPECT_EQ(Read(*sim, 0, 27, 0, 0x14), 0xFFFFFFFFu);
    EXPECT_EQ(Read(*sim, 0, 27, 0, 0x18), 0x0000000Cu);
    EXPECT_EQ(Read(*sim, 0, 27, 0, 0x1C), 0xFFFFFFFEu);
}

TEST(SimBarSizing, ExpansionRomSizesWithItsEnableBit) {
    FunctionImage f = Function(1, 2, 0, 0x10EC, 0x8139);
    Put32(f.config, 0x30, 0xF7D20000);
    f.barSize[kRomBar] = 65536;
    FunctionImage bridge = test::Bridge(0, 30, 0, 1, 1);
    bridge.barSize[kRomBar] = 2048;
    auto sim = Machine({f, bridge});
    sim->WriteConfig(1, 2, 0, 0x30, 0xFFFFFFFF);
    EXPECT_EQ(Read(*sim, 1, 2, 0, 0x30), 0xFFFF0001u);
    sim->WriteConfig(0, 30, 0, 0x38, 0xFFFFFFFF);  // a bridge's ROM register is at 0x38
    EXPECT_EQ(Read(*sim, 0, 30, 0, 0x38), 0xFFFFF801u);
}

TEST(SimRegisters, ReadOnlyAndWritableBitsAsHardware) {
    FunctionImage f = Function(0, 4, 0, 0x1131, 0x7134);
    Put32(f.config, 0x04, 0x02900006);  // status: capabilities, medium DEVSEL, fast b2b
    Put32(f.config, 0x2C, 0x00001131);
    f.config[0x34] = 0x40;
    f.config[0x3E] = 0x04;
    Put32(f.config, 0x40, 0x06024C01);  // power management capability, next 0x4C
    Put32(f.config, 0x4C, 0x00000003);  // VPD, last
    auto sim = Machine({f});
    auto write = [&](uint16_t off) { sim->WriteConfig(0, 4, 0, off, 0xFFFFFFFF); };

    for (uint16_t off : {0x00, 0x08, 0x2C, 0x34}) {
        const uint32_t before = Read(*sim, 0, 4, 0, off);
        write(off);
        EXPECT_EQ(Read(*sim, 0, 4, 0, off), before) << "offset " << off;
    }
    write(0x0C);  // cache line and latency writable; header type and BIST read-only
    EXPECT_EQ(Read(*sim, 0, 4, 0, 0x0C), 0x0000FFFFu);
    write(0x3C);  // interrupt line writable; pin, Min_Gnt, Max_Lat read-only
    EXPECT_EQ(Read(*sim, 0, 4, 0, 0x3C), 0x000401FFu);
    write(0x40);  // capability ID and next pointer read-only, the rest writable
    EXPECT_EQ(Read(*sim, 0, 4, 0, 0x40), 0xFFFF4C01u);
    sim->WriteConfig(0, 4, 0, 0x04, 0x00000547);  // command bits writable, status untouched
    EXPECT_EQ(Read(*sim, 0, 4, 0, 0x04), 0x02900547u);
}

TEST(SimRegisters, StatusErrorBitsClearWhenWrittenWithOne) {
    FunctionImage f = Function(0, 4, 0, 0x1131, 0x7134);
    Put32(f.config, 0x04, 0xA2900006);  // detected parity error and received master abort
    FunctionImage bridge = test::Bridge(0, 30, 0, 1, 1);
    Put32(bridge.config, 0x1C, 0x2280D0C0);  // secondary status: received master abort
    auto sim = Machine({f, bridge});
    sim->WriteConfig(0, 4, 0, 0x04, 0x00000006);  // writing 0 clears nothing
    EXPECT_EQ(Read(*sim, 0, 4, 0, 0x04), 0xA2900006u);
    sim->WriteConfig(0, 4, 0, 0x04, 0x20000006);
    EXPECT_EQ(Read(*sim, 0, 4, 0, 0x04), 0x82900006u);
    // Clearing a bridge's secondary master abort: read dword 7, set bit 29, write it back.
    sim->WriteConfig(0, 30, 0, 0x1C, Read(*sim, 0, 30, 0, 0x1C) | 0x20000000);
    EXPECT_EQ(Read(*sim, 0, 30, 0, 0x1C), 0x0280D0C0u);
}

TEST(SimRegisters, BridgeBusNumbersAndWindowsAreWritable) {
    FunctionImage bridge = test::Bridge(0, 30, 0, 1, 1);
    bridge.config[0x1C] = bridge.config[0x1D] = 0x01;  // 32-bit I/O window
    bridge.config[0x24] = bridge.config[0x26] = 0x01;  // 64-bit prefetchable window
    auto sim = Machine({bridge});
    for (uint16_t off : {0x18, 0x1C, 0x20, 0x24, 0x28, 0x2C, 0x30, 0x3C})
        sim->WriteConfig(0, 30, 0, off, 0xFFFFFFFF);
    EXPECT_EQ(Read(*sim, 0, 30, 0, 0x18), 0xFFFFFFFFu);
    EXPECT_EQ(Read(*sim, 0, 30, 0, 0x1C) & 0xFFFF, 0xF1F1u);
    EXPECT_EQ(Read(*sim, 0, 30, 0, 0x20), 0xFFF0FFF0u);
    EXPECT_EQ(Read(*sim, 0, 30, 0, 0x24), 0xFFF1FFF1u);
    EXPECT_EQ(Read(*sim, 0, 30, 0, 0x28), 0xFFFFFFFFu);
    EXPECT_EQ(Read(*sim, 0, 30, 0, 0x30), 0xFFFFFFFFu);
    EXPECT_EQ(Read(*sim, 0, 30, 0, 0x3C) & 0xFFFF00FF, 0x0FFF00FFu);
}

// 00:01.0 bridges to buses 1-2, 01:00.0 to bus 2; functions on buses 1 and 2 return to their
// power-on images while the reset is asserted; 00:02.0 and bus 3 are not touched.
TEST(SimBridgeReset, SecondaryBusResetRestoresEverythingBehindTheBridge) {
    FunctionImage top = test::Bridge(0, 1, 0, 1, 2);
    FunctionImage nested = test::Bridge(1, 0, 0, 2, 2);
    FunctionImage onBus1 = Function(1, 1, 0, 0x14F1, 0x8800);
    FunctionImage onBus2 = Function(2, 4, 0, 0x1131, 0x7134);
    Put32(onBus2.config, 0x10, 0xFEAFF000);
    onBus2.barSize[0] = 4096;
    FunctionImage beside = Function(0, 2, 0, 0x8086, 0x2582);
    FunctionImage onBus3 = Function(3, 0, 0, 0x10EC, 0x8139);
    auto sim = Machine({top, nested, onBus1, onBus2, beside, onBus3});
    const std::vector<uint8_t> bus2Image = *sim->ConfigImage(2, 4, 0);

    sim->WriteConfig(1, 1, 0, 0x3C, 0x0000010A);
    sim->WriteConfig(2, 4, 0, 0x10, 0xFEA00000);  // moves the BAR
    sim->WriteConfig(1, 0, 0, 0x18, 0x00030201);  // nested bridge: subordinate 3
    sim->WriteConfig(0, 2, 0, 0x3C, 0x0000010B);
    sim->WriteConfig(3, 0, 0, 0x3C, 0x0000010C);
    ASSERT_NE(sim->MapPhysical(0xFEA00000, 16), nullptr);
    sim->UnmapPhysical(nullptr, 0);

    sim->SetLogging(true);
    const uint32_t control = Read(*sim, 0, 1, 0, 0x3C);
    sim->WriteConfig(0, 1, 0, 0x3C, control | 0x00400000);
    EXPECT_TRUE(sim->BusInReset(1));
    EXPECT_TRUE(sim->BusInReset(2));
    EXPECT_FALSE(sim->BusInReset(3));
    // While asserted, nothing behind the bridge answers and writes are lost.
    uint32_t value;
    EXPECT_FALSE(sim->ReadConfig(1, 1, 0, 0, value));
    EXPECT_FALSE(sim->ReadConfig(2, 4, 0, 0, value));
    sim->WriteConfig(2, 4, 0, 0x3C, 0x000001FF);
    EXPECT_EQ(sim->MapPhysical(0xFEAFF000, 16), nullptr);
    EXPECT_EQ(Read(*sim, 0, 1, 0, 0x00), 0x244E8086u);  // the bridge itself still answers

    sim->WriteConfig(0, 1, 0, 0x3C, control);
    EXPECT_FALSE(sim->BusInReset(1));
    EXPECT_EQ(Read(*sim, 1, 1, 0, 0x3C), 0x00000100u);
    EXPECT_EQ(*sim->ConfigImage(2, 4, 0), bus2Image);
    EXPECT_EQ(Read(*sim, 1, 0, 0, 0x18), 0x00020201u);  // nested bridge back to bus 2
    EXPECT_EQ(Read(*sim, 0, 2, 0, 0x3C), 0x0000010Bu);
    EXPECT_EQ(Read(*sim, 3, 0, 0, 0x3C), 0x0000010Cu);
    EXPECT_NE(sim->MapPhysical(0xFEAFF000, 16), nullptr);  // BAR back at its power-on place

    const std::vector<ConfigWrite> expected = {{0, 1, 0, 0x3C, control | 0x00400000},
                                               {2, 4, 0, 0x3C, 0x000001FF},
                                               {0, 1, 0, 0x3C, control}};
    EXPECT_EQ(sim->WriteLog(), expected);
}

// A bridge whose power-on image asserts the reset holds its buses from the moment it is added,
// whether the functions behind it come before or after it; a function written before the
// bridge came returns to its power-on image.
TEST(SimBridgeReset, BridgesAssertingResetHoldTheirBusesAsTheyAreAdded) {
    FunctionImage top = test::Bridge(0, 1, 0, 1, 3);
    top.config[0x3E] = 0x40;
    FunctionImage nested = test::Bridge(1, 0, 0, 2, 2);
    nested.config[0x3E] = 0x40;
    const FunctionImage onBus1 = Function(1, 1, 0, 0x14F1, 0x8800);
    const FunctionImage onBus2 = Function(2, 4, 0, 0x1131, 0x7134);
    const FunctionImage beside = Function(0, 2, 0, 0x8086, 0x2582);
    const std::vector<std::vector<FunctionImage>> orders = {
        {top, nested, onBus1, onBus2, beside},
        {onBus2, onBus1, beside, nested, top},
        {onBus1, top, onBus2, nested, beside},
    };
    for (size_t order = 0; order < orders.size(); ++order) {
        SCOPED_TRACE("order " + std::to_string(order));
        auto sim = Machine(orders[order]);
        const bool held[] = {false, true, true, true, false};
        for (int bus = 0; bus < 5; ++bus)
            EXPECT_EQ(sim->BusInReset(uint8_t(bus)), held[bus]) << "bus " << bus;
        EXPECT_EQ(Read(*sim, 1, 1, 0, 0), 0xFFFFFFFFu);
        EXPECT_EQ(Read(*sim, 0, 2, 0, 0), 0x25828086u);
        sim->WriteConfig(0, 1, 0, 0x3C, 0);  // the top bridge lets go: the nested one holds bus 2
        EXPECT_FALSE(sim->BusInReset(1));
        EXPECT_TRUE(sim->BusInReset(2));
        EXPECT_FALSE(sim->BusInReset(3));
        EXPECT_EQ(Read(*sim, 1, 1, 0, 0), 0x880014F1u);
        EXPECT_EQ(Read(*sim, 2, 4, 0, 0), 0xFFFFFFFFu);
    }
    SimMachine sim;
    std::string error;
    ASSERT_TRUE(sim.AddFunction(onBus1, error));
    sim.WriteConfig(1, 1, 0, 0x3C, 0x0000010A);
    ASSERT_TRUE(sim.AddFunction(top, error));
    sim.WriteConfig(0, 1, 0, 0x3C, 0);
    EXPECT_EQ(Read(sim, 1, 1, 0, 0x3C), 0x00000100u);
}

// Where decoders overlap, the first BAR added that holds the whole range answers, then RAM;
// moving a BAR or holding its bus in reset changes who answers at once.
TEST(SimMemory, TheFirstDecoderThatHoldsTheRangeAnswers) {
    FunctionImage first = Function(0, 5, 0, 0x14F1, 0x8800);
    Put32(first.config, 0x10, 0xD0000000);
    first.barSize[0] = 4096;
    FunctionImage bridge = test::Bridge(0, 1, 0, 1, 1);
    FunctionImage second = Function(1, 0, 0, 0x1131, 0x7134);
    Put32(second.config, 0x10, 0xD0000000);
    second.barSize[0] = 1u << 20;
    auto sim = Machine({first, bridge, second});
    std::string error;
    ASSERT_TRUE(sim->AddRam(0xD0000000, 1u << 20, error));
    auto view = [&](uint32_t address, uint32_t length) {
        return static_cast<uint8_t*>(sim->MapPhysical(address, length));
    };
    uint8_t* inFirst = view(0xD0000000, 16);
    ASSERT_NE(inFirst, nullptr);
    inFirst[0] = 0x11;
    uint8_t* inSecond = view(0xD0000000, 0x2000);  // too long for the first
    ASSERT_NE(inSecond, nullptr);
    EXPECT_EQ(inSecond[0], 0);
    inSecond[0] = 0x22;
    inSecond[0x1000] = 0x23;
    EXPECT_EQ(view(0xD0000FF0, 0x20)[0x10], 0x23);  // across the first's end

    sim->WriteConfig(0, 5, 0, 0x10, 0xE0000000);  // the first moves away
    EXPECT_EQ(view(0xD0000000, 16)[0], 0x22);
    EXPECT_EQ(view(0xE0000000, 16)[0], 0x11);

    const uint32_t control = Read(*sim, 0, 1, 0, 0x3C);
    sim->WriteConfig(0, 1, 0, 0x3C, control | 0x00400000);  // the second's bus in reset: RAM
    uint8_t* inRam = view(0xD0000000, 16);
    ASSERT_NE(inRam, nullptr);
    EXPECT_EQ(inRam[0], 0);
    inRam[0] = 0x33;
    sim->WriteConfig(0, 1, 0, 0x3C, control);  // back at its power-on address
    EXPECT_EQ(view(0xD0000000, 16)[0], 0x22);
    sim->WriteConfig(1, 0, 0, 0x10, 0);  // a BAR at 0 decodes nothing
    EXPECT_EQ(view(0xD0000000, 16)[0], 0x33);
}

TEST(SimMemory, MapsInsideOneRegionOnly) {
    FunctionImage f = Function(0, 5, 0, 0x14F1, 0x8800);
    Put32(f.config, 0x10, 0xD0000008);
    f.barSize[0] = 16u << 20;
    Put32(f.config, 0x14, 0xD1000000);  // adjacent 4 KB BAR
    f.barSize[1] = 4096;
    f.barSize[2] = 4096;  // BAR 2 reads 0: not implemented, decodes nothing
    auto sim = Machine({f});
    std::string error;
    ASSERT_TRUE(sim->AddRam(0x00100000, 1u << 20, error));
    EXPECT_FALSE(sim->AddRam(0x00180000, 4096, error));  // overlaps

    struct Case {
        uint32_t address, length;
        bool mapped;
    } cases[] = {
        {0xD0000000, 16u << 20, true}, {0xD0FFFFFC, 4, true},     {0xD0FFFFFC, 8, false},
        {0xD1000000, 4096, true},      {0xD1000FFF, 2, false},    {0xCFFFFFFF, 2, false},
        {0x00100000, 1u << 20, true},  {0x001FFFFF, 2, false},    {0x00000000, 16, false},
        {0x00000000, 0, false},        {0xFFFFFFF0, 0x20, false},
    };
    for (const auto& c : cases) {
        void* view = sim->MapPhysical(c.address, c.length);
        EXPECT_EQ(view != nullptr, c.mapped) << std::hex << c.address << " + " << c.length;
        sim->UnmapPhysical(view, c.length);
    }
    EXPECT_EQ(sim->OpenViews(), 0);
}

TEST(SimMemory, BarMemoryFollowsTheBar) {
    FunctionImage f = Function(0, 5, 0, 0x14F1, 0x8800);
    Put32(f.config, 0x10, 0xD0000008);
    f.barSize[0] = 1u << 20;
    auto sim = Machine({f});
    const uint8_t bytes[] = {0xDE, 0xAD, 0xBE, 0xEF};
    ASSERT_TRUE(sim->StoreMemory(0xD0000100, bytes, 4));
    EXPECT_FALSE(sim->StoreMemory(0xD00FFFFE, bytes, 4));
    sim->WriteConfig(0, 5, 0, 0x10, 0xE0000000);
    EXPECT_EQ(sim->MapPhysical(0xD0000100, 4), nullptr);
    auto* view = static_cast<uint8_t*>(sim->MapPhysical(0xE0000100, 4));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::memcmp(view, bytes, 4), 0);
    ASSERT_TRUE(sim->FillRange(0xE0000000, 16, 0x80));
    EXPECT_EQ(view[-0x100 + 15], 0x80);
}

TEST(SimPorts, RegistersBehindIoBarsAreLittleEndian) {
    FunctionImage f = Function(0, 5, 0, 0x14F1, 0x8800);
    Put32(f.config, 0x14, 0x0000D001);
    f.barSize[1] = 32;
    auto sim = Machine({f});
    const uint8_t bytes[] = {0x00, 0x88, 0xF1, 0x14};
    ASSERT_TRUE(sim->StorePorts(0xD000, bytes, 4));
    EXPECT_FALSE(sim->StorePorts(0xD01E, bytes, 4));  // runs past the BAR
    uint32_t value = 0;
    ASSERT_TRUE(sim->ReadPort(0xD000, value));
    EXPECT_EQ(value, 0x14F18800u);
    ASSERT_TRUE(sim->WritePort(0xD01C, 0x04030201));
    ASSERT_TRUE(sim->ReadPort(0xD01E, value));  // last two bytes inside, two outside
    EXPECT_EQ(value, 0xFFFF0403u);
    ASSERT_TRUE(sim->ReadPort(0x0080, value));  // nothing decodes it: all ones
    EXPECT_EQ(value, 0xFFFFFFFFu);
    sim->WriteConfig(0, 5, 0, 0x14, 0x0000C001);  // the registers move with the BAR
    ASSERT_TRUE(sim->ReadPort(0xC000, value));
    EXPECT_EQ(value, 0x14F18800u);
}

// The registers behind an I/O BAR take memory only once a program writes a port there, however
// large the BAR; stored registers are noted until then.
TEST(SimPorts, RegistersCostWhatIsWritten) {
    std::vector<FunctionImage> functions;
    for (uint8_t device = 0; device < 32; ++device) {
        FunctionImage f = Function(0, device, 0, 0x14F1, 0x8800);
        Put32(f.config, 0x10, 0x00100001 + uint32_t(device) * 0x10000);
        f.barSize[0] = 65536;
        functions.push_back(f);
    }
    auto sim = Machine(functions);
    const uint8_t bytes[] = {0x00, 0x88, 0xF1, 0x14};
    ASSERT_TRUE(sim->StorePorts(0x0011FFFC, bytes, 4));
    EXPECT_EQ(sim->CommittedMemory(), 0u);
    uint32_t value = 0;
    ASSERT_TRUE(sim->ReadPort(0x0011FFFC, value));
    EXPECT_EQ(value, 0x14F18800u);
    ASSERT_TRUE(sim->ReadPort(0x0011FFFE, value));  // into the next function's BAR
    EXPECT_EQ(value, 0x000014F1u);
    EXPECT_EQ(sim->CommittedMemory(), 0u);
    ASSERT_TRUE(sim->WritePort(0x0011FFFE, 0x04030201));
    EXPECT_EQ(sim->CommittedMemory(), 2 * SparseMemory::kChunk);  // one chunk in each BAR
    ASSERT_TRUE(sim->ReadPort(0x0011FFFC, value));
    EXPECT_EQ(value, 0x02018800u);
    EXPECT_FALSE(sim->StorePorts(0x0011FFFE, bytes, 4));  // across two BARs
}

TEST(SimMachineBuilding, RejectsBadFunctions) {
    SimMachine sim;
    std::string error;
    ASSERT_TRUE(sim.AddFunction(Function(0, 1, 0, 1, 2), error));
    EXPECT_FALSE(sim.AddFunction(Function(0, 1, 0, 3, 4), error));
    EXPECT_NE(error.find("00:01.0"), std::string::npos) << error;
    FunctionImage small = Function(0, 2, 0, 1, 2);
    small.config.resize(64);
    EXPECT_FALSE(sim.AddFunction(small, error));
    FunctionImage oddSize = Function(0, 3, 0, 1, 2);
    Put32(oddSize.config, 0x10, 0xF0000000);
    oddSize.barSize[0] = 3000;
    EXPECT_FALSE(sim.AddFunction(oddSize, error));
    EXPECT_NE(error.find("BAR 0"), std::string::npos) << error;
    FunctionImage bigIo = Function(0, 4, 0, 1, 2);
    Put32(bigIo.config, 0x10, 0x00000001);
    bigIo.barSize[0] = 1u << 20;
    EXPECT_FALSE(sim.AddFunction(bigIo, error));
    EXPECT_EQ(sim.FunctionCount(), 1u);
}

TEST(SimMachineCounters, CountEveryConfigurationAccess) {
    auto sim = Machine({Function(0, 0, 0, 0x8086, 0x2580)});
    uint32_t value;
    sim->ReadConfig(0, 0, 0, 0, value);
    sim->ReadConfig(0, 9, 0, 0, value);
    sim->ReadConfig(0, 0, 0, 0x100, value);  // beyond 256 bytes: all ones
    EXPECT_EQ(value, 0xFFFFFFFFu);
    sim->WriteConfig(0, 9, 0, 0x3C, 1);
    EXPECT_EQ(sim->ConfigReads(), 3u);
    EXPECT_EQ(sim->ConfigWrites(), 1u);
    EXPECT_TRUE(sim->WriteLog().empty());  // logging is off by default
    sim->ResetCounters();
    EXPECT_EQ(sim->ConfigReads(), 0u);
}

}  // namespace
}  // namespace tvk
