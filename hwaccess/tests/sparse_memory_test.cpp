// Simulated memory is taken as it is touched: declared and filled gigabytes cost nothing
// until a view, a store or a fill reaches them.
#include "sparse_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

TEST(SparseMemory, FillsOfWholeChunksWaitForTheirFirstTouch) {
    const uint64_t size = uint64_t(1) << 32;
    SparseMemory memory(size);
    uint8_t* early = memory.Touch(5 * kChunk, 4);  // touched before the fill
    ASSERT_NE(early, nullptr);
    ASSERT_TRUE(memory.Fill(100, size - 200, 0x80));
    // The partial chunks at both ends, and the chunk touched before.
    EXPECT_EQ(memory.CommittedBytes(), 3 * kChunk);
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
