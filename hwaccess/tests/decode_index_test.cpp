// The decode index answers as a walk over every range in rank order would: the lowest-ranked
// range that holds the whole range asked for.
#include "decode_index.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace tvk {
namespace {

constexpr uint64_t kNone = DecodeIndex::kNone;

// A range that would run past the end of the 64-bit space is held by nothing.
uint64_t Walk(const std::vector<DecodeIndex::Range>& ranges, uint64_t address, uint64_t length) {
    uint64_t best = kNone;
    for (const auto& r : ranges) {
        const bool holds = length > 0 && length - 1 <= kNone - address && address >= r.base &&
                           address - r.base < r.size && length <= r.size - (address - r.base);
        if (holds && r.rank < best) best = r.rank;
    }
    return best;
}

TEST(DecodeIndex, LowestRankThatHoldsTheWholeRange) {
    const std::vector<DecodeIndex::Range> ranges = {
        {0xD0000000, 0x1000000, 5},                  // 16M
        {0xD0000000, 0x1000, 2},                     // at its start, ranked before it
        {0xD0800000, 0x100000, 9},                   // inside it, ranked after it
        {0xE0000000, 0x10, 1},                       // 16 bytes
        {0xFFFFFFFFFFFFF000, 0x1000, 3},             // the end of the 64-bit space
        {0xFFFFFFFF00000000, uint64_t(1) << 40, 4},  // reaching past it: held up to its end
        {0x1000, 0, 0},                              // empty: holds nothing
    };
    DecodeIndex index;
    index.Assign(ranges);
    EXPECT_EQ(index.Count(), 6u);
    struct Case {
        uint64_t address, length, rank;
    } cases[] = {
        {0xD0000000, 4, 2},
        {0xD0000FFC, 4, 2},
        {0xD0000FFC, 8, 5},  // leaves the small one: the large one holds it
        {0xD0800000, 0x100000, 5},
        {0xD0FFFFFF, 1, 5},
        {0xD0FFFFFF, 2, kNone},
        {0xCFFFFFFF, 2, kNone},
        {0xE0000000, 16, 1},
        {0xE0000000, 17, kNone},
        {0xE000000F, 1, 1},
        {0xE0000010, 1, kNone},
        {0xFFFFFFFFFFFFFFFF, 1, 3},
        {0xFFFFFFFFFFFFFFF0, 0x10, 3},
        {0xFFFFFFFFFFFFFFF0, 0x11, kNone},  // would wrap past 2^64
        {0xFFFFFFFF80000000, 16, 4},
        {0x1000, 1, kNone},
        {0xD0000000, 0, kNone},
        {0, 1, kNone},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(index.Find(c.address, c.length), c.rank)
            << std::hex << c.address << " + " << c.length;
        EXPECT_EQ(Walk(ranges, c.address, c.length), c.rank) << std::hex << c.address;
    }
    index.Assign({});
    EXPECT_EQ(index.Find(0xD0000000, 4), kNone);
}

// Overlapping ranges of every kind (nested, shifted, the same twice with other ranks), as
// BARs moved by a program or given by a hand-made file may lie.
TEST(DecodeIndex, AgreesWithAWalkOverOverlappingRanges) {
    std::mt19937_64 random(20240611);
    for (int round = 0; round < 20; ++round) {
        std::vector<DecodeIndex::Range> ranges;
        const int count = 1 + int(random() % 300);
        for (int i = 0; i < count; ++i) {
            const uint64_t size = uint64_t(16) << (random() % 12);
            const uint64_t base = (random() % 0x40000) & ~uint64_t(random() % 2 ? size - 1 : 3);
            ranges.push_back({base, size, random() % 1000});
        }
        DecodeIndex index;
        index.Assign(ranges);
        for (int q = 0; q < 2000; ++q) {
            const uint64_t address = random() % 0x48000;
            const uint64_t length = 1 + random() % (q % 2 ? 8 : 0x4000);
            ASSERT_EQ(index.Find(address, length), Walk(ranges, address, length))
                << "round " << round << ", " << std::hex << address << " + " << length;
        }
    }
}

}  // namespace
}  // namespace tvk
