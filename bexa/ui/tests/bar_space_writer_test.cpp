// Writers started and stopped many times, and a window closed while its writers loop: every
// writer ends and is joined, every view is released and nothing outside the region changes.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "bar_space_test_support.h"
#include "bar_space_window.h"

namespace bexa::test {
namespace {

constexpr uint32_t kRam = 0xE0000000;
constexpr uint32_t kRegion = kRam + 0x1000;
constexpr uint32_t kSize = 0x1000;
constexpr uint32_t kSentinel = 0x5A5A5A5A;

void FillSentinels(tvk::Machine& sim) {
    for (uint32_t a = kRam; a < kRegion; a += 4)
        PokeWord(sim, a, kSentinel);
    for (uint32_t a = kRegion + kSize; a < kRegion + 2 * kSize; a += 4)
        PokeWord(sim, a, kSentinel);
}

bool SentinelsIntact(tvk::Machine& sim) {
    for (uint32_t a = kRam; a < kRegion; a += 4) {
        if (PeekWord(sim, a) != kSentinel) return false;
    }
    for (uint32_t a = kRegion + kSize; a < kRegion + 2 * kSize; a += 4) {
        if (PeekWord(sim, a) != kSentinel) return false;
    }
    return true;
}

std::vector<uint32_t> RegionWords(tvk::Machine& sim) {
    std::vector<uint32_t> words;
    for (uint32_t a = kRegion; a < kRegion + kSize; a += 4)
        words.push_back(PeekWord(sim, a));
    return words;
}

TEST(BarSpaceWriters, StartedAndStoppedAThousandTimes) {
    TestMachine m = InstallTestMachine(kRam, 3 * kSize);
    FillSentinels(*m.sim);
    std::mt19937 random(12345);
    {
        FakeBarSpaceView view;
        BarSpaceWindow window(view, kRegion, 0u - kSize);
        window.Open();
        window.OnCount(true);
        window.OnVerify(true);
        size_t mostWriters = 0;
        for (int i = 0; i < 1000; ++i) {
            int kb = static_cast<int>(random() % 4);
            window.OnScroll(RangeBar::Kb, ScrollCode::ThumbTrack, kb);
            window.OnScroll(RangeBar::Kb, ScrollCode::EndScroll, 0);
            int anchor = static_cast<int>(random() % 256);
            int count = 1 + static_cast<int>(random() % 256);
            window.OnToggle(random() % 2 == 0);
            window.OnLoop(true);
            window.OnSelectionChanged(anchor, count);
            window.OnWriteMemory("x" + std::to_string(i));
            if (i % 3 != 0) window.OnLoop(false);
            mostWriters = std::max(mostWriters, window.writerCount());
        }
        EXPECT_GT(mostWriters, 1u);  // writers overlapped
        // Close with writers looping.
        window.OnLoop(true);
        for (int i = 0; i < 5; ++i) {
            window.OnSelectionChanged(i * 40, 40);
            window.OnWriteMemory("xFFFF0000");
        }
        EXPECT_GE(window.writerCount(), 5u);
    }
    EXPECT_EQ(m.checked->openViews, 0);
    EXPECT_TRUE(m.checked->allMapsInside(kRegion, kSize));
    EXPECT_TRUE(SentinelsIntact(*m.sim));
    // No writer is left: the region stays as it is.
    std::vector<uint32_t> before = RegionWords(*m.sim);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(RegionWords(*m.sim), before);
}

TEST(BarSpaceWriters, ClosingStopsEveryLoopAndJoins) {
    TestMachine m = InstallTestMachine(kRam, 3 * kSize);
    FakeBarSpaceView view;
    BarSpaceWindow window(view, kRegion, 0u - kSize);
    window.Open();
    window.OnLoop(true);
    window.OnCount(true);
    window.OnSelectionChanged(0, 256);
    window.OnWriteMemory("x1");
    window.OnSelectionChanged(0, 1);
    window.OnWriteMemory("x2");
    EXPECT_EQ(window.writerCount(), 2u);
    window.Close();
    EXPECT_EQ(window.writerCount(), 0u);
    EXPECT_EQ(m.checked->openViews, 0);
    // A new write after the stop runs once: the loop flag was cleared by the close.
    window.OnSelectionChanged(3, 1);
    window.OnWriteMemory("x77");
    window.Close();
    EXPECT_EQ(PeekWord(*m.sim, kRegion + 12), 0x77u);
}

}  // namespace
}  // namespace bexa::test
