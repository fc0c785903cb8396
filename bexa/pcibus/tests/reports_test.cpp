// The memory map and interrupt routing texts, on small device lists.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "interrupt_routing.h"
#include "memory_map.h"

namespace bexa {
namespace {

std::vector<std::string> Lines(const std::string& text, const std::string& end = "\r\n") {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t next; (next = text.find(end, at)) != std::string::npos; at = next + end.size()) {
        lines.push_back(text.substr(at, next - at));
    }
    EXPECT_EQ(at, text.size()) << "text does not end with a line end";
    return lines;
}

// A record with ids, header type and address; everything else 0.
std::unique_ptr<PciDevice> Record(uint8_t bus, uint8_t device, uint8_t function, uint16_t vendorId,
                                  uint16_t deviceId, uint8_t header = 0) {
    auto d = std::make_unique<PciDevice>();
    d->image.fill(0);
    d->image[0] = uint32_t(deviceId) << 16 | vendorId;
    d->image[3] = uint32_t(header) << 16;
    d->bus = bus;
    d->devfn = uint8_t(device * 8 + function);
    d->valid = 1;
    return d;
}

// Index of the memory map line of block address `a`.
size_t LineOf(uint32_t a) {
    return a / 0x00800000u;
}

TEST(MemoryMap, HasOneLinePerEightMegabyteBlockBelowFF800000) {
    PciDeviceList list;
    const std::vector<std::string> lines = Lines(MemoryMapText(list, MapSpace::Memory, "\r\n"));
    ASSERT_EQ(lines.size(), 511u);
    EXPECT_EQ(lines.front(), "00000000 <-  : ");
    EXPECT_EQ(lines[1], "00800000 <-  : ");
    EXPECT_EQ(lines.back(), "FF000000 <-  : ");
    EXPECT_EQ(Lines(MemoryMapText(list, MapSpace::Io, "\n"), "\n").size(), 511u);
}

TEST(MemoryMap, BarsAreListedOnTheBlockTheirValueLiesIn) {
    PciDeviceList list;
    auto a = Record(1, 3, 0, 0x10EC, 0x8139);
    a->image[4] = 0xE0000008;  // prefetchable memory
    a->image[5] = 0xE07FFFF0;
    a->image[6] = 0xE0800000;
    a->image[7] = 0x0000D001;  // I/O
    a->image[9] = 0xFF7FFFF0;  // in the last listed block
    list.Add(std::move(a));
    auto b = Record(2, 10, 1, 0x8086, 0x1229);
    b->image[4] = 0xE0000000;
    b->image[8] = 0xFF800000;  // the block above FF000000 is not listed
    list.Add(std::move(b));

    const std::vector<std::string> lines = Lines(MemoryMapText(list, MapSpace::Memory, "\r\n"));
    ASSERT_EQ(lines.size(), 511u);
    // device 3 gets one more blank after each entry, device 10 does not
    EXPECT_EQ(lines[LineOf(0xE0000000)],
              "E0000000 <-  :  BAR0(1.3.0)10EC.8139    BAR1(1.3.0)10EC.8139    "
              "BAR0(2.10.1)8086.1229  ");
    EXPECT_EQ(lines[LineOf(0xE0800000)], "E0800000 <-  :  BAR2(1.3.0)10EC.8139   ");
    EXPECT_EQ(lines[LineOf(0xFF000000)], "FF000000 <-  :  BAR5(1.3.0)10EC.8139   ");
    int listed = 0;
    for (const std::string& line : lines)
        listed += line.size() > 15;
    EXPECT_EQ(listed, 3);  // the I/O BAR and FF800000 appear nowhere

    const std::vector<std::string> io = Lines(MemoryMapText(list, MapSpace::Io, "\r\n"));
    EXPECT_EQ(io[0], "00000000 <-  :  BAR3(1.3.0)10EC.8139   ");
    for (size_t i = 1; i < io.size(); ++i)
        EXPECT_EQ(io[i].substr(8), " <-  : ") << io[i];
}

TEST(MemoryMap, ValueAtTheBlocksLastByteIsOnNoLine) {
    // The comparison is a <= v < a + 7FFFFF: a raw value of a + 7FFFFF belongs to no block.
    PciDeviceList list;
    auto d = Record(0, 4, 0, 0x1234, 0x5678);
    d->image[4] = 0x007FFFFF;  // I/O (bit 0 set), at the very end of the first block
    d->image[5] = 0x007FFFFD;
    list.Add(std::move(d));
    const std::vector<std::string> io = Lines(MemoryMapText(list, MapSpace::Io, "\r\n"));
    EXPECT_EQ(io[0], "00000000 <-  :  BAR1(0.4.0)1234.5678   ");
    EXPECT_EQ(io[1], "00800000 <-  : ");
}

TEST(MemoryMap, BridgeWindowsSpanTheirBlocks) {
    PciDeviceList list;
    auto open = Record(0, 1, 0, 0x8086, 0x244E, 0x01);
    open->image[8] = 0xE0F0E000;  // memory E0000000-E0FFFFFF
    open->image[9] = 0xF000F000;  // prefetchable F0000000-F00FFFFF
    open->image[4] = 0xE1000000;  // BAR 0 of a bridge is shown
    open->image[6] = 0xE1000000;  // dword 6 holds bus numbers, not a BAR
    list.Add(std::move(open));
    auto closed = Record(0, 12, 0, 0x8086, 0x244E, 0x81);
    closed->image[8] = 0xD000D010;  // limit below base: closed
    closed->image[9] = 0x0000FFF0;  // prefetchable closed the usual way
    list.Add(std::move(closed));

    const std::vector<std::string> lines = Lines(MemoryMapText(list, MapSpace::Memory, "\r\n"));
    EXPECT_EQ(lines[LineOf(0xE0000000)], "E0000000 <-  memPPB(0.1.0)  : ");
    EXPECT_EQ(lines[LineOf(0xE0800000)], "E0800000 <-  memPPB(0.1.0)  : ");
    EXPECT_EQ(lines[LineOf(0xE1000000)], "E1000000 <-  :  BAR0(0.1.0)8086.244E   ");
    EXPECT_EQ(lines[LineOf(0xF0000000)], "F0000000 <-  pref.memPPB(0.1.0)  : ");
    int withBridge = 0;
    for (const std::string& line : lines)
        withBridge += line.find("PPB") != std::string::npos;
    EXPECT_EQ(withBridge, 3);

    const std::vector<std::string> io = Lines(MemoryMapText(list, MapSpace::Io, "\r\n"));
    EXPECT_EQ(io[LineOf(0xE0000000)], "E0000000 <-  : ");
}

TEST(InterruptRouting, ListsFunctionsByLineAndFifteen) {
    PciDeviceList list;
    auto a = Record(0, 3, 0, 0x10EC, 0x8139);
    a->image[15] = 0x0000010B;  // line 11, pin A
    list.Add(std::move(a));
    auto b = Record(2, 10, 1, 0x8086, 0x1229);
    b->image[15] = 0x0000041B;  // line 27 (1B): listed on line 11 as 27, pin D
    list.Add(std::move(b));
    auto c = Record(0, 4, 0, 0x1234, 0x5678);
    c->image[15] = 0x0000000B;  // pin 0: no interrupt
    list.Add(std::move(c));
    auto d = Record(0, 5, 0, 0x1234, 0x5679);
    d->image[15] = 0x00000200;  // line 0, pin B
    list.Add(std::move(d));

    const std::vector<std::string> lines = Lines(InterruptRoutingText(list, "\r\n"));
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[0], "INT line  0 <-  0<-B(0.5.0)5679.1234   ");
    EXPECT_EQ(lines[11], "INT line 11 <-  11<-A(0.3.0)8139.10EC    27<-D(2.10.1)1229.8086  ");
    for (int line : {1, 2, 9, 10, 12, 15}) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "INT line %2d <- ", line);
        EXPECT_EQ(lines[size_t(line)], expected);
    }
    EXPECT_EQ(Lines(InterruptRoutingText(list, "\n"), "\n").size(), 16u);
}

}  // namespace
}  // namespace bexa
