// Simulated memory is taken as it is touched: declared, filled and stored gigabytes cost
// nothing until a view reaches them; fills and stores before that are noted as runs.
#include "sparse_memory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "machine_file.h"

namespace tvk {
namespace {

constexpr uint64_t kChunk = SparseMemory::kChunk;

TEST(SparseMemory, CommitsOnlyTheChunksThatAreTouched) {
    SparseMemory memory(uint64_t(3) << 30);
    EXPECT_EQ(memory.CommittedBytes(), 0u);
    uint8_t* a = memory.Touch(0x12345670, 16);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(memory.CommittedBytes(), kChunk);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(a[i], 0);
    std::memcpy(a, "sixteen bytes ..", 16);
    // A view across a chunk boundary commits both chunks; views stay where they were.
    uint8_t* b = memory.Touch(2 * kChunk - 4, 8);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(memory.CommittedBytes(), 3 * kChunk);
    EXPECT_EQ(memory.Touch(0x12345670, 16), a);
    EXPECT_EQ(std::memcmp(a, "sixteen bytes ..", 16), 0);
    // The last byte of the region, and nothing past it.
    EXPECT_NE(memory.Touch((uint64_t(3) << 30) - 1, 1), nullptr);
    EXPECT_EQ(memory.Touch((uint64_t(3) << 30) - 1, 2), nullptr);
    EXPECT_EQ(memory.Touch(uint64_t(3) << 31, 1), nullptr);
}

TEST(SparseMemory, FillsWaitForTheFirstTouch) {
    const uint64_t size = uint64_t(1) << 32;
    SparseMemory memory(size);
    uint8_t* early = memory.Touch(5 * kChunk, 4);  // touched before the fill
    ASSERT_NE(early, nullptr);
    ASSERT_TRUE(memory.Fill(100, size - 200, 0x80));
    // Only the chunk touched before: the partial chunks at both ends wait as well.
    EXPECT_EQ(memory.CommittedBytes(), kChunk);
    EXPECT_EQ(early[0], 0x80);
    const uint8_t* head = memory.Touch(0, 200);
    EXPECT_EQ(head[99], 0);
    EXPECT_EQ(head[100], 0x80);
    EXPECT_EQ(memory.Touch(0x80000000, 1)[0], 0x80);
    const uint8_t* tail = memory.Touch(size - 101, 101);
    EXPECT_EQ(tail[0], 0x80);
    EXPECT_EQ(tail[1], 0);
    EXPECT_EQ(memory.CommittedBytes(), 4 * kChunk);

    // A later fill of a part wins over the earlier one there, and only there.
    ASSERT_TRUE(memory.Fill(16 * kChunk, 4 * kChunk, 0x11));
    EXPECT_EQ(memory.Touch(17 * kChunk, 1)[0], 0x11);
    EXPECT_EQ(memory.Touch(20 * kChunk, 1)[0], 0x80);
    EXPECT_EQ(memory.Touch(15 * kChunk, 1)[0], 0x80);
    ASSERT_TRUE(memory.Fill(8 * kChunk, 10 * kChunk, 0x22));
    EXPECT_EQ(memory.Touch(8 * kChunk, 1)[0], 0x22);
    EXPECT_EQ(memory.Touch(17 * kChunk, 1)[0], 0x22);  // touched before: written now
    EXPECT_EQ(memory.Touch(18 * kChunk, 1)[0], 0x11);
    EXPECT_EQ(memory.Touch(19 * kChunk, 1)[0], 0x11);
    EXPECT_FALSE(memory.Fill(size - 4, 8, 0));
}

// What reads back after fills, stores and writes through views, compared byte for byte with a
// plain array that went through the same steps: read without touching anything, through the
// views written before, and through a view of the whole region at the end.
TEST(SparseMemory, ContentsReadBackInTheOrderTheyWereGiven) {
    enum Kind { Fill, Store, Write };  // Write: through a view, which commits its chunks
    struct Step {
        Kind kind;
        uint64_t offset, length;
        uint8_t value;  // Store and Write put value, value + 1, ...
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
    };
    const uint64_t size = 4 * kChunk + 100;
    const Case cases[] = {
        {"a fill inside one chunk", {{Fill, 10, 100, 0x5A}}},
        {"a fill over whole chunks and parts of two", {{Fill, 100, 3 * kChunk, 0x80}}},
        {"a fill of the whole region", {{Fill, 0, size, 0x11}}},
        {"the last byte", {{Fill, size - 1, 1, 0xEE}}},
        {"overlapping fills: each later one wins where it lies",
         {{Fill, 0, 2 * kChunk, 0x11},
          {Fill, kChunk - 8, 16, 0x22},
          {Fill, kChunk, kChunk + 50, 0x33},
          {Fill, 5, 3, 0x44}}},
        {"a fill inside an earlier one, then one over both",
         {{Fill, 1000, 5000, 0x11}, {Fill, 2000, 10, 0x22}, {Fill, 0, 8000, 0x33}}},
        {"fills of one value touching each other, then another value between",
         {{Fill, 0, 100, 0x11},
          {Fill, 100, 100, 0x11},
          {Fill, 50, 100, 0x11},
          {Fill, 90, 20, 0x22}}},
        {"a fill of zero over a fill", {{Fill, 0, 3 * kChunk, 0x44}, {Fill, 1000, 2 * kChunk, 0}}},
        {"a store after a fill", {{Fill, 0, 2 * kChunk, 0x55}, {Store, kChunk - 3, 6, 0xA0}}},
        {"fills cutting stored bytes",
         {{Store, 50, 200, 0xB0},
          {Fill, 100, 20, 0x66},
          {Fill, 40, 20, 0x67},
          {Fill, 240, 20, 0x68}}},
        {"a store over stored bytes", {{Store, 0, 300, 0x10}, {Store, 100, 50, 0x90}}},
        {"a write after a fill", {{Fill, 0, 2 * kChunk, 0x77}, {Write, kChunk + 5, 10, 0xC0}}},
        {"a fill over a written page",
         {{Write, 3 * kChunk + 4, 8, 0xD0}, {Fill, 2 * kChunk, 2 * kChunk + 100, 0x88}}},
        {"a fill inside a written page", {{Write, 0, 64, 0x01}, {Fill, 8, 16, 0x99}}},
        {"fills and stores across written and untouched chunks",
         {{Write, kChunk, 1, 0xE0},
          {Fill, 10, 3 * kChunk, 0x99},
          {Store, kChunk - 2, 4, 0xF0},
          {Write, 2 * kChunk - 1, 2, 0x70},
          {Fill, 2 * kChunk - 4, 8, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SparseMemory memory(size);
        std::vector<uint8_t> expected(size_t(size), 0);
        std::vector<std::pair<const uint8_t*, Step>> views;
        for (const Step& step : c.steps) {
            std::vector<uint8_t> bytes(size_t(step.length));
            for (size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = step.kind == Fill ? step.value : uint8_t(step.value + i);
            std::memcpy(expected.data() + step.offset, bytes.data(), bytes.size());
            switch (step.kind) {
                case Fill:
                    ASSERT_TRUE(memory.Fill(step.offset, step.length, step.value));
                    break;
                case Store:
                    ASSERT_TRUE(memory.Store(step.offset, bytes.data(), step.length));
                    break;
                case Write: {
                    uint8_t* view = memory.Touch(step.offset, step.length);
                    ASSERT_NE(view, nullptr);
                    std::memcpy(view, bytes.data(), bytes.size());
                    views.push_back({view, step});
                    break;
                }
            }
        }
        std::vector<uint8_t> read(size_t(size), 0xCC);
        ASSERT_TRUE(memory.Read(0, read.data(), size));
        EXPECT_EQ(read, expected);
        for (const auto& [view, step] : views) {
            EXPECT_EQ(std::memcmp(view, expected.data() + step.offset, size_t(step.length)), 0)
                << "view at " << step.offset;
        }
        const uint8_t* all = memory.Touch(0, size);
        ASSERT_NE(all, nullptr);
        EXPECT_EQ(std::vector<uint8_t>(all, all + size), expected);
    }
}

TEST(SparseMemory, RangesOutsideTheRegionAreRefused) {
    SparseMemory memory(kChunk + 10);
    uint8_t byte = 0;
    EXPECT_FALSE(memory.Fill(kChunk, 11, 1));
    EXPECT_FALSE(memory.Store(kChunk + 10, &byte, 1));
    EXPECT_FALSE(memory.Read(uint64_t(1) << 40, &byte, 1));
    EXPECT_TRUE(memory.Store(kChunk + 9, &byte, 1));
    EXPECT_EQ(memory.NotedRuns(), 1u);
}

// A fill costs one noted run however long it is, and takes no memory; a later fill replaces
// the runs it covers, so that fills over the same memory do not add up.
TEST(SparseMemory, FillsCostARunEachAndReplaceWhatTheyCover) {
    constexpr int kFills = 65536;
    {
        SparseMemory memory(SparseMemory::kMaxSize);
        for (int i = 0; i < kFills; ++i)  // the same bytes, in turn every value
            ASSERT_TRUE(memory.Fill(1, kChunk - 2, uint8_t(i)));
        EXPECT_EQ(memory.NotedRuns(), 1u);
        for (int i = 0; i < kFills; ++i)  // sliding over each other, one value: joined
            ASSERT_TRUE(memory.Fill(kChunk + 7 * uint64_t(i), kChunk - 2, 0x01));
        EXPECT_EQ(memory.NotedRuns(), 2u);
        EXPECT_EQ(memory.CommittedBytes(), 0u);
        uint8_t byte = 0;
        ASSERT_TRUE(memory.Read(kChunk - 2, &byte, 1));
        EXPECT_EQ(byte, uint8_t(kFills - 1));
        ASSERT_TRUE(memory.Read(kChunk + 7 * (kFills - 1) + kChunk - 3, &byte, 1));
        EXPECT_EQ(byte, 0x01);
    }
    {
        // Most of every chunk of a 4G region, as 65536 fill lines of 65534 bytes give it.
        SparseMemory memory(SparseMemory::kMaxSize);
        for (int i = 0; i < kFills; ++i)
            ASSERT_TRUE(memory.Fill(uint64_t(i) * kChunk + 1, kChunk - 2, 0x01));
        EXPECT_EQ(memory.NotedRuns(), size_t(kFills));
        EXPECT_EQ(memory.CommittedBytes(), 0u);
        const uint8_t* chunk = memory.Touch(0x12340000, kChunk);
        ASSERT_NE(chunk, nullptr);
        EXPECT_EQ(memory.CommittedBytes(), kChunk);
        EXPECT_EQ(chunk[0], 0);
        EXPECT_EQ(chunk[1], 1);
        EXPECT_EQ(chunk[kChunk - 2], 1);
        EXPECT_EQ(chunk[kChunk - 1], 0);
        // One fill over all of them leaves one run.
        ASSERT_TRUE(memory.Fill(0, SparseMemory::kMaxSize, 0x02));
        EXPECT_EQ(memory.NotedRuns(), 1u);
        EXPECT_EQ(chunk[0], 0x02);  // the touched chunk is written
        EXPECT_EQ(memory.CommittedBytes(), kChunk);
    }
}

const char kFunction[] =
    "00:02.0 VGA compatible controller: 64-bit BARs\n"
    "00: 34 12 78 56 06 00 00 00 00 00 00 03 00 00 00 00\n"
    "10: 0c 00 00 00 01 00 00 00 0c 00 00 00 02 00 00 00\n"
    "20: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
    "30: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n";

TEST(SimulatedMemory, GigabytesDeclaredAndFilledCostWhatIsTouched) {
    // 3G of RAM, 4G of the whole address space at 0 is refused only for the overlap, and a
    // 4G 64-bit BAR filled over its whole length.
    const std::string text = std::string("#tvk ram 0 3G\n") +
                             "#tvk bar 00:02.0 0 4G\n#tvk bar 00:02.0 2 8G\n"
                             "#tvk fill 100000000 4G 5a\n" +
                             kFunction;
    std::string error;
    auto machine = LoadMachineText(text, "big.txt", error);
    ASSERT_NE(machine, nullptr) << error;
    EXPECT_LT(machine->CommittedMemory(), 4 * kChunk);
    auto* ram = static_cast<uint8_t*>(machine->MapPhysical(0xBFFFFFF0, 16));
    ASSERT_NE(ram, nullptr);
    ram[15] = 0xA5;
    EXPECT_EQ(static_cast<uint8_t*>(machine->MapPhysical(0xBFFFFFFF, 1))[0], 0xA5);
    EXPECT_LT(machine->CommittedMemory(), 8 * kChunk);
}

// The machine-file benchmark's fill lines: 65536 of them, each most of one 64 KiB chunk of a
// 4G RAM region, with mem lines among them. Loading takes no memory; a map takes one chunk.
TEST(SimulatedMemory, FillAndMemLinesTakeNoMemoryUntilMapped) {
    std::string text = std::string(kFunction) + "\n#tvk ram 0 4G\n";
    char line[64];
    for (uint32_t i = 0; i < 65536; ++i) {
        std::snprintf(line, sizeof line, "#tvk fill %08x 65534 01\n", i * 0x10000 + 1);
        text += line;
        if (i % 16 == 0) {
            std::snprintf(line, sizeof line, "#tvk mem %08x 5a a5\n", i * 0x10000 + 0x8000);
            text += line;
        }
    }
    std::string error;
    auto machine = LoadMachineText(text, "fills.txt", error);
    ASSERT_NE(machine, nullptr) << error;
    EXPECT_EQ(machine->CommittedMemory(), 0u);
    const auto* chunk = static_cast<const uint8_t*>(machine->MapPhysical(0x12300000, 0x10000));
    ASSERT_NE(chunk, nullptr);
    EXPECT_EQ(machine->CommittedMemory(), kChunk);
    const std::vector<uint8_t> edges = {chunk[0],      chunk[1],      chunk[0x7FFF], chunk[0x8000],
                                        chunk[0x8001], chunk[0x8002], chunk[0xFFFE], chunk[0xFFFF]};
    EXPECT_EQ(edges, (std::vector<uint8_t>{0, 1, 1, 0x5A, 0xA5, 1, 1, 0}));
    machine->UnmapPhysical(const_cast<uint8_t*>(chunk), 0x10000);
}

TEST(SimulatedMemory, TheWholeAddressSpaceIsOneRegion) {
    std::string error;
    auto machine = LoadMachineText(std::string("#tvk ram 0 4G\n") + kFunction, "all.txt", error);
    ASSERT_NE(machine, nullptr) << error;
    auto* top = static_cast<uint8_t*>(machine->MapPhysical(0xFFFFFFF0, 16));
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top[15], 0);
    EXPECT_NE(machine->MapPhysical(0, 4096), nullptr);
}

TEST(SimulatedMemory, RefusalsOfSizesBeyondTheCapsNameTheLine) {
    struct Case {
        std::string text;
        int line;
        const char* says;
    };
    const Case cases[] = {
        // Memory behind a BAR above 4G is not simulated.
        {std::string(kFunction) + "#tvk bar 00:02.0 2 8G\n#tvk fill 200000000 4K 00\n", 7,
         "at most 4G"},
        {std::string(kFunction) + "#tvk fill 0 5G 00\n", 6, "1 to 4G"},
        {std::string(kFunction) + "#tvk ram 1000 4G\n", 6, "must end by 4 GB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        EXPECT_EQ(LoadMachineText(c.text, "cap.txt", error), nullptr);
        EXPECT_EQ(error.rfind("cap.txt:" + std::to_string(c.line) + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace tvk
