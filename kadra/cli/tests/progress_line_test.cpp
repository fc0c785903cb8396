#include "progress_line.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "progress_display.h"

namespace kadra::testing {
namespace {

ProgressSnapshot Snapshot(uint32_t done, uint32_t count, bool hasRate, double elapsedMs) {
    ProgressSnapshot s;
    s.pass = "read linear synchronous";
    s.blockSize = 262144;
    s.pointsDone = done;
    s.pointCount = count;
    s.hasRate = hasRate;
    s.megabytesPerSecond = 112.37;
    s.elapsedMs = elapsedMs;
    return s;
}

TEST(ProgressLineTest, LinesForWidthsAndShares) {
    struct Case {
        const char* name;
        ProgressSnapshot snapshot;
        size_t width;
        std::string line;
    };
    // 40 of 100 points in 4.667 s: 60 more take 7 s.
    const ProgressSnapshot at40 = Snapshot(40, 100, true, 4666.7);
    const std::vector<Case> cases = {
        {"80 columns: a bar of 14", at40, 80,
         "read linear synchronous, 256 kB [#####---------]  40%   112.3 MB/s  0:07 left"},
        {"wide: the bar stops at 40", at40, 200,
         "read linear synchronous, 256 kB [################------------------------]  40%   "
         "112.3 MB/s  0:07 left"},
        {"unknown width counts as 80", at40, 0,
         "read linear synchronous, 256 kB [#####---------]  40%   112.3 MB/s  0:07 left"},
        {"too narrow for a bar of 10: no bar", at40, 75,
         "read linear synchronous, 256 kB  40%   112.3 MB/s  0:07 left"},
        {"narrower still: cut", at40, 30, "read linear synchronous, 25"},
        {"a terminal of 2 columns: nothing", at40, 2, ""},
        {"0 %: before the first point", Snapshot(0, 0, false, 0.0), 80,
         "read linear synchronous, 256 kB [-------------]   0%     -.- MB/s  --:-- left"},
        {"100 %", Snapshot(100, 100, true, 9000.0), 80,
         "read linear synchronous, 256 kB [##############] 100%   112.3 MB/s  0:00 left"},
        {"more points than the curve (a queued run's last one)", Snapshot(101, 100, true, 9000.0),
         80, "read linear synchronous, 256 kB [##############] 100%   112.3 MB/s  0:00 left"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgressLine(c.snapshot, c.width), c.line) << c.name;
        EXPECT_LE(c.line.size() + 3, std::max<size_t>(c.width == 0 ? 80 : c.width, 3)) << c.name;
    }
}

TEST(ProgressLineTest, RatesAreTruncatedAndOddOnesShownAsUnknown) {
    ProgressSnapshot s = Snapshot(1, 2, true, 10.0);
    s.megabytesPerSecond = 12.97;
    EXPECT_NE(ProgressLine(s, 120).find("  12.9 MB/s"), std::string::npos);
    s.megabytesPerSecond = std::numeric_limits<double>::infinity();
    EXPECT_NE(ProgressLine(s, 120).find("   -.- MB/s"), std::string::npos);
    s.megabytesPerSecond = 31415.9;
    EXPECT_NE(ProgressLine(s, 120).find("31415.9 MB/s"), std::string::npos);
}

TEST(ProgressLineTest, TimeLeft) {
    struct Case {
        double elapsedMs;
        uint32_t done;
        uint32_t count;
        const char* left;
    };
    const std::vector<Case> cases = {
        {1000.0, 1, 2, "0:01"},   {60000.0, 1, 3, "2:00"},    {3600000.0, 1, 2, "1:00:00"},
        {5000.0, 10, 10, "0:00"}, {1499.0, 1, 2, "0:01"},     {1500.0, 1, 2, "0:02"},
        {0.0, 0, 10, "--:--"},    {5000.0, 0, 10, "--:--"},   {5000.0, 3, 0, "--:--"},
        {0.0, 5, 10, "--:--"},    {1e9, 1, 1000000, "--:--"},  // beyond 100 hours
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgressTimeLeft(c.elapsedMs, c.done, c.count), c.left)
            << c.elapsedMs << " ms, " << c.done << " of " << c.count;
    }
}

// What the display writes into a pipe.
std::string Drain(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(n));
    return text;
}

TEST(ProgressDisplayTest, DrawsInPlaceAndClearsOnlyWhatItDrew) {
    int pipeFds[2];
    ASSERT_EQ(pipe2(pipeFds, O_NONBLOCK), 0);
    {
        ProgressDisplay off(false, pipeFds[1]);
        off.BlockStarted(L"write linear synchronous", 16384);
        off.PointPlotted(0, 5.0, 10);
        off.ShowText("data test");
        off.Clear();
    }
    EXPECT_EQ(Drain(pipeFds[0]), "");
    {
        ProgressDisplay on(true, pipeFds[1]);
        on.Clear();  // nothing shown yet: nothing to clear
        EXPECT_EQ(Drain(pipeFds[0]), "");
        on.BlockStarted(L"write linear synchronous", 16384);
        const std::string first = Drain(pipeFds[0]);
        EXPECT_EQ(first.rfind("\r\033[Kwrite linear synchronous, 16 kB [", 0), 0u) << first;
        EXPECT_EQ(first.find('\n'), std::string::npos);
        // Points right after the drawing wait for the next update.
        on.PointPlotted(0, 5.0, 10);
        EXPECT_EQ(Drain(pipeFds[0]), "");
        on.Clear();
        EXPECT_EQ(Drain(pipeFds[0]), "\r\033[K");
        on.ShowText("data test: write, copy, compare");
        EXPECT_EQ(Drain(pipeFds[0]), "\r\033[Kdata test: write, copy, compare");
    }  // the line goes with the display
    EXPECT_EQ(Drain(pipeFds[0]), "\r\033[K");
    close(pipeFds[0]);
    close(pipeFds[1]);
}

}  // namespace
}  // namespace kadra::testing
