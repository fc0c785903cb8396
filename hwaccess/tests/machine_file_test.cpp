// Machine files: lspci dumps in their forms (-x, -xxx, -xxxx, with and without the domain,
// with -vv text), BAR sizes from Region lines, annotations and the size rule, bad files.
#include <cstring>

#include "machine_file.h"
#include "test_support.h"

namespace tvk {
namespace {

using test::DataFile;
using test::Read;

std::unique_ptr<SimMachine> Load(const std::string& name) {
    std::string error;
    auto machine = LoadMachineFile(DataFile(name), error);
    EXPECT_NE(machine, nullptr) << error;
    return machine;
}

// The mask a BAR reads back after FFFFFFFF is written to it.
uint32_t Probe(SimMachine& m, uint8_t bus, uint8_t dev, uint8_t fn, uint16_t off) {
    const uint32_t before = Read(m, bus, dev, fn, off);
    m.WriteConfig(bus, dev, fn, off, 0xFFFFFFFF);
    const uint32_t mask = Read(m, bus, dev, fn, off);
    m.WriteConfig(bus, dev, fn, off, before);
    return mask;
}

TEST(MachineFile, ReadsLspciXxxDumpsOfThisKindOfMachine) {
    auto m = Load("vm-xxx.txt");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->FunctionCount(), 6u);
    EXPECT_EQ(Read(*m, 0, 0, 0, 0), 0x0D578086u);
    EXPECT_EQ(Read(*m, 0, 1, 0, 0x10), 0x00000004u);  // 64-bit BAR at 0x40_0000_0000
    EXPECT_EQ(Read(*m, 0, 1, 0, 0x14), 0x00000040u);
    EXPECT_EQ(Read(*m, 0, 1, 0, 0x98), 0x80040011u);  // beyond the header: -xxx gives 256
    // No Region lines: sizes by the rule. 00:01.0 is followed by 00:02.0 512K higher; the
    // last one, 00:05.0 at 0x40_0020_0000, only by its alignment (2M).
    EXPECT_EQ(Probe(*m, 0, 1, 0, 0x10), 0xFFF80004u);
    EXPECT_EQ(Probe(*m, 0, 1, 0, 0x14), 0xFFFFFFFFu);
    EXPECT_EQ(Probe(*m, 0, 5, 0, 0x10), 0xFFE00004u);
    EXPECT_EQ(Probe(*m, 0, 0, 0, 0x10), 0u);  // reads 0: not implemented
}

TEST(MachineFile, TakesBarSizesFromVerboseRegionLines) {
    auto m = Load("vm-vv-xxx.txt");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->FunctionCount(), 6u);
    EXPECT_EQ(Probe(*m, 0, 5, 0, 0x10), 0xFFF80004u);  // [size=512K]
    auto plain = Load("vm-xxx.txt");
    for (uint8_t dev = 0; dev < 6; ++dev)
        for (uint16_t off = 0; off < 256; off += 4)
            ASSERT_EQ(Read(*m, 0, dev, 0, off), Read(*plain, 0, dev, 0, off)) << int(dev) << off;
}

TEST(MachineFile, ReadsDomainsAndShortDumps) {
    auto m = Load("vm-domain-x.txt");  // lspci -D -x: 64 bytes per function
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->FunctionCount(), 6u);
    EXPECT_EQ(Read(*m, 0, 3, 0, 0), 0x10411AF4u);
    EXPECT_EQ(Read(*m, 0, 3, 0, 0x40), 0u);  // not in the dump
    EXPECT_EQ(m->ConfigImage(0, 3, 0)->size(), 256u);
    // Functions of another domain are not reachable through mechanism #1.
    std::string error;
    auto other = LoadMachineText(
        "0001:00:00.0 Host bridge: x\n00: 86 80 57 0d 00 00 00 00 00 00 00 06 00 00 00 00\n\n" +
            test::ReadFile(DataFile("vm-domain-x.txt")),
        "t", error);
    ASSERT_NE(other, nullptr) << error;
    EXPECT_EQ(other->FunctionCount(), 6u);
}

TEST(MachineFile, KeepsExtendedConfigurationSpace) {
    auto m = Load("vm-xxxx.txt");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->ConfigImage(0, 0, 0)->size(), 4096u);
    EXPECT_EQ(m->ConfigImage(0, 3, 0)->size(), 256u);  // sysfs gave 256 bytes for it
    uint32_t value = 0;
    EXPECT_TRUE(m->ReadConfig(0, 0, 0, 0xFFC, value));
    EXPECT_EQ(value, 0u);
    std::string error;
    auto extended = LoadMachineText(
        "00:00.0 x\n00: 86 80 57 0d 00 00 10 00 00 00 00 06 00 00 00 00\n10: 00 00 00 00 00 00 "
        "00 00 00 00 00 00 00 00 00 00\n20: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n30: "
        "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n100: 01 00 01 14 aa bb cc dd\n",
        "t", error);
    ASSERT_NE(extended, nullptr) << error;
    EXPECT_EQ(Read(*extended, 0, 0, 0, 0x104), 0xDDCCBBAAu);
    extended->WriteConfig(0, 0, 0, 0x100, 0);  // extended capability header: read-only
    extended->WriteConfig(0, 0, 0, 0x104, 0x12345678);
    EXPECT_EQ(Read(*extended, 0, 0, 0, 0x100), 0x14010001u);
    EXPECT_EQ(Read(*extended, 0, 0, 0, 0x104), 0x12345678u);
}

TEST(MachineFile, ReadsAHandMadeMachineWithABridge) {
    auto m = Load("bridge-vv-xxx.txt");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->FunctionCount(), 8u);
    EXPECT_EQ(Probe(*m, 0, 2, 0, 0x10), 0xFFC00004u);  // 4M, 64-bit
    EXPECT_EQ(Probe(*m, 0, 2, 0, 0x18), 0xF000000Cu);  // 256M, 64-bit prefetchable
    EXPECT_EQ(Probe(*m, 0, 2, 0, 0x1C), 0xFFFFFFFFu);
    EXPECT_EQ(Probe(*m, 0, 2, 0, 0x20), 0xFFFFFFC1u);   // 64 bytes of I/O
    EXPECT_EQ(Probe(*m, 0, 2, 0, 0x30), 0u);            // a [virtual] ROM is no ROM BAR
    EXPECT_EQ(Probe(*m, 1, 2, 0, 0x10), 0xFFFFFF01u);   // I/O [size=256]
    EXPECT_EQ(Probe(*m, 1, 2, 0, 0x30), 0xFFFF0001u);   // Expansion ROM [size=64K]
    EXPECT_EQ(Probe(*m, 1, 0, 0, 0x10), 0xFFFFF008u);   // 4K prefetchable
    EXPECT_EQ(Probe(*m, 0, 31, 3, 0x10), 0xFFFFFF04u);  // [size=256] memory
    EXPECT_EQ(Read(*m, 0, 30, 0, 0x18), 0x20010100u);   // bridge bus numbers
}

TEST(MachineFile, AnnotationsGiveSizesRamAndContents) {
    auto m = Load("annotated.txt");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(Probe(*m, 0, 5, 0, 0x10), 0xFF000008u);  // annotation beats [size=1M]
    EXPECT_EQ(Probe(*m, 0, 5, 0, 0x14), 0xFFFFFFE1u);
    EXPECT_EQ(Probe(*m, 0, 5, 0, 0x30), 0xFFFF0001u);
    EXPECT_EQ(Probe(*m, 0, 5, 1, 0x10), 0xFFFFF000u);  // rule: alignment of fe9ff000
    auto* ram = static_cast<uint8_t*>(m->MapPhysical(0x00100000, 4));
    ASSERT_NE(ram, nullptr);
    EXPECT_EQ(std::memcmp(ram, "\xde\xad\xbe\xef", 4), 0);
    EXPECT_NE(m->MapPhysical(0x0009F000, 4096), nullptr);
    EXPECT_EQ(m->MapPhysical(0x000A0000, 16), nullptr);
    auto* bar = static_cast<uint8_t*>(m->MapPhysical(0xD0000000, 4096));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar[0], 0x80);
    EXPECT_EQ(std::memcmp(bar + 4, "CX88", 4), 0);
    EXPECT_EQ(bar[4095], 0x80);
    EXPECT_EQ(static_cast<uint8_t*>(m->MapPhysical(0xD0001000, 1))[0], 0);
    uint32_t value = 0;
    ASSERT_TRUE(m->ReadPort(0xD000, value));
    EXPECT_EQ(value, 0x14F18800u);
}

TEST(MachineFile, BadFilesNameTheLine) {
    const std::string header = "00:00.0 Host bridge: Intel Corporation Device 0d57\n";
    const std::string hex =
        "00: 86 80 57 0d 00 00 00 00 00 00 00 06 00 00 00 00\n"
        "10: 00 00 00 d0 00 00 00 00 00 00 00 00 00 00 00 00\n"
        "20: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
        "30: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n";
    const std::string good = header + hex;  // lines 1-5
    const std::string bridge =
        "00:1e.0 PCI bridge\n00: 86 80 4e 24 00 00 00 00 00 00 04 06 00 00 01 00\n" +
        hex.substr(hex.find('\n') + 1);
    struct Case {
        std::string text;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"", 1, "no PCI function"},
        {"00:00.0 Host bridge\n", 1, "lacks configuration bytes"},
        {"junk\n\n00: 86 80\n", 3, "outside a function"},
        {header + "00: 86 80 zz 0d\n", 2, "malformed hex line"},
        {header + "00: 86 80  57 0d\n", 2, "malformed hex line"},
        {header + "00: 868 0\n", 2, "malformed hex line"},
        {"00:20.0 x\n" + hex, 1, "device number"},
        {"00:00.8 x\n" + hex, 1, "function number"},
        {good + "\n" + good, 7, "already given on line 1"},
        {good + "10: 00\n", 6, "given twice"},
        {good + "1000: 00\n", 6, "beyond 4096"},
        // A block cut short is reported at the hex line after which bytes are missing.
        {header + "00: 86 80 57 0d\n", 2, "lacks configuration bytes 00-3f"},
        {header + hex.substr(0, 2 * 52) + "30: 00\n", 3, "lacks configuration bytes 00-3f"},
        {header + "10: 00\n", 1, "lacks configuration bytes 00-3f"},
        // 17 bytes on one line: that line, not the next one that gives byte 16 again.
        {header + "00: 86 80 57 0d 00 00 00 00 00 00 00 06 00 00 00 00 00\n" +
             hex.substr(hex.find('\n') + 1),
         2, "more than 16 bytes"},
        {good + "\n#tvk frob 1\n", 7, "unknown annotation 'frob'"},
        {good + "#tvk\n", 6, "empty annotation"},
        {bridge + "#tvk bar 00:1e.0 2 4K\n", 6, "no such BAR"},
        {good + "#tvk bar 00:00.0 0 3K\n", 6, "power of two"},
        {good + "#tvk bar 00:00.0 0 8\n", 6, "memory BAR size"},
        {good + "#tvk bar 00:00.0 7 4K\n", 6, "bad BAR '7'"},
        {good + "#tvk bar 00:09.0 0 4K\n", 6, "no function 00:09.0"},
        {good + "#tvk bar 00:00.9 0 4K\n", 6, "bad function address"},
        {good + "#tvk bar 00:00.0 0\n", 6, "expected: #tvk bar"},
        {good + "#tvk ram 0 0\n", 6, "bad RAM size"},
        {good + "#tvk ram fffff000 8K\n", 6, "bad RAM size"},
        {good + "#tvk ram 100000000 4K\n", 6, "bad RAM address"},
        {good + "#tvk ram 0 1M\n#tvk ram 80000 4K\n", 7, "overlaps"},
        {good + "#tvk mem 12345678 00\n", 6, "not all inside"},
        {good + "#tvk mem 0 0g\n", 6, "bad byte"},
        {good + "#tvk fill 0 0 00\n", 6, "bad length"},
        {good + "#tvk io 9000 00\n", 6, "ports not all inside"},
        {good + "#tvk bar 00:00.0 0 4K\n#tvk mem d0000ffe 00 00 00\n", 7, "not all inside"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error = "unchanged";
        EXPECT_EQ(LoadMachineText(c.text, "box.txt", error), nullptr);
        const std::string prefix = "box.txt:" + std::to_string(c.line) + ": ";
        EXPECT_EQ(error.rfind(prefix, 0), 0u) << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
    // BAR 4 exists on a type 0 header: the annotation itself is fine.
    std::string error;
    EXPECT_NE(LoadMachineText(good + "#tvk bar 00:00.0 4 4K\n", "box.txt", error), nullptr);
    EXPECT_EQ(LoadMachineFile(DataFile("no-such-file.txt"), error), nullptr);
    EXPECT_NE(error.find("no-such-file.txt"), std::string::npos) << error;
}

TEST(MachineFile, AcceptsWhatLspciAcceptsAroundTheHexLines) {
    const std::string text =
        "Some preamble the tool ignores\r\n"
        "00:1f.3 SMBus: Intel Corporation Device 7a23 (rev 11)\r\n"
        "\tSubsystem: Dell Device 0b1a\r\n"
        "\tRegion 4: I/O ports at efa0 [size=32]\r\n"
        "\t\tRegion 0: Memory at 00000000c0000000 (64-bit, prefetchable) [size=1M]\r\n"
        "# a comment\r\n"
        "00: 86 80 23 7a 03 00 80 02 11 00 05 0c 00 00 00 00\r\n"
        "10: 04 00 10 f7 00 00 00 00 00 00 00 00 00 00 00 00\r\n"
        "20: a1 ef 00 00 00 00 00 00 00 00 00 00 28 10 1a 0b\r\n"
        "30: 00 00 00 00 00 00 00 00 00 00 00 00 ff 01 00 00 \r\n"
        "\r\n"
        "00: this line belongs to no function but is not hex either\r\n";
    std::string error;
    EXPECT_EQ(LoadMachineText(text, "t", error), nullptr);  // last line: hex outside a block
    auto m = LoadMachineText(text.substr(0, text.rfind("00: this")), "t", error);
    ASSERT_NE(m, nullptr) << error;
    EXPECT_EQ(Probe(*m, 0, 31, 3, 0x20), 0xFFFFFFE1u);
    // The second Region line (two tabs, a capability's) is not BAR 0's size; BAR 0's comes
    // from the rule: f7100000 aligned to 1M and nothing above it.
    EXPECT_EQ(Probe(*m, 0, 31, 3, 0x10), 0xFFF00004u);
}

TEST(MachineFile, EveryPrefixOfAFileLoadsOrSaysWhy) {
    const std::string text = test::ReadFile(DataFile("annotated.txt"));
    for (size_t n = 0; n <= text.size(); n += 7) {
        std::string error;
        auto m = LoadMachineText(text.substr(0, n), "t", error);
        EXPECT_TRUE(m != nullptr || !error.empty()) << n;
    }
}

TEST(BarSizeRule, AlignmentBoundedByTheNextDecoder) {
    auto function = [](uint8_t device, std::vector<uint32_t> bars) {
        FunctionImage f;
        f.device = device;
        f.config.assign(256, 0);
        for (size_t i = 0; i < bars.size(); ++i)
            test::Put32(f.config, 0x10 + 4 * i, bars[i]);
        return f;
    };
    std::vector<FunctionImage> fs = {
        function(1, {0xF7E00000, 0x0000E001, 0x00000000, 0x00000008}),
        function(2, {0xF7E10000, 0x0000E021, 0x0000FFA1, 0x00000001}),
        function(3, {0xF0000000, 0x00010001}),
    };
    test::Put32(fs[2].config, 0x30, 0xF7E18000);  // ROM
    DeriveBarSizes(fs, {0xF8000000});
    EXPECT_EQ(fs[0].barSize[0], 0x10000u);       // F7E00000 .. next decoder F7E10000
    EXPECT_EQ(fs[0].barSize[1], 32u);            // E000 .. E020
    EXPECT_EQ(fs[0].barSize[2], 0u);             // reads 0: not implemented
    EXPECT_EQ(fs[0].barSize[3], 16u);            // at address 0: the minimum
    EXPECT_EQ(fs[1].barSize[0], 0x8000u);        // .. the ROM at F7E18000
    EXPECT_EQ(fs[1].barSize[2], 32u);            // FFA0 aligned to 32
    EXPECT_EQ(fs[1].barSize[3], 4u);             // I/O at 0: the minimum
    EXPECT_EQ(fs[2].barSize[0], 0x4000000u);     // F0000000 .. F7E00000: 64M fits, 128M not
    EXPECT_EQ(fs[2].barSize[1], 256u);           // I/O at most 256
    EXPECT_EQ(fs[2].barSize[kRomBar], 0x8000u);  // F7E18000 aligned to 32K
}

}  // namespace
}  // namespace tvk
