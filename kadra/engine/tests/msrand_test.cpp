#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "block_loop.h"
#include "msrand.h"

namespace kadra {
namespace {

TEST(MsRandTest, DrawsTheSequenceOfTheWindowsRuntimeFromSeedOne) {
    MsSrand(1);
    std::vector<uint32_t> drawn;
    for (int i = 0; i < 8; ++i)
        drawn.push_back(MsRand());
    EXPECT_EQ(drawn, (std::vector<uint32_t>{41, 18467, 6334, 26500, 19169, 15724, 11478, 29358}));
}

TEST(MsRandTest, StaysWithinFifteenBits) {
    MsSrand(12345);
    for (int i = 0; i < 100000; ++i)
        ASSERT_LE(MsRand(), 32767u);
}

TEST(RandomBlockIndexTest, FirstValuesComeFromFourDrawsEach) {
    // (41 + 18467) * (6334 + 26500) = 607691672; then (19169 + 15724) * (11478 + 29358).
    MsSrand(1);
    EXPECT_EQ(RandomBlockIndex(1000), 141u);
    EXPECT_EQ(RandomBlockIndex(1000), 331u);
    MsSrand(1);
    EXPECT_EQ(RandomBlockIndex(1000000), 141489u);
    EXPECT_EQ(MsRand(), 19169u) << "exactly four draws per block";
}

TEST(RandomBlockIndexTest, StaysBelowN) {
    MsSrand(1);
    EXPECT_EQ(RandomBlockIndex(0), 0u);
    for (uint32_t n : {1u, 2u, 49u, 6399u, 17477u, 17478u, 1000000u, 4294967295u}) {
        for (int i = 0; i < 20000; ++i) {
            ASSERT_LT(RandomBlockIndex(n), n) << "n = " << n;
        }
    }
}

}  // namespace
}  // namespace kadra
