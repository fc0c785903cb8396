#include "progress_line.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kadra {

namespace {

constexpr size_t kDefaultWidth = 80;
// Columns kept free at the end of the line: "^C" and the column that would wrap.
constexpr size_t kEchoRoom = 3;
constexpr size_t kMinBar = 10;
constexpr size_t kMaxBar = 40;
// Times beyond this many seconds (100 hours) say nothing useful.
constexpr double kMaxSecondsLeft = 360000.0;

// MB/s with one decimal, truncated as the results table shows it.
std::string RateText(const ProgressSnapshot& s) {
    const double v = s.megabytesPerSecond;
    if (!s.hasRate || !std::isfinite(v) || v < 0.0 || v >= 1e15) return "   -.- MB/s";
    const long long whole = static_cast<long long>(v);
    const long long decimal = static_cast<long long>(v * 10.0) - 10 * whole;
    char text[48];
    std::snprintf(text, sizeof text, "%4lld.%lld MB/s", whole, decimal);
    return text;
}

}  // namespace

std::string ProgressTimeLeft(double elapsedMs, uint32_t pointsDone, uint32_t pointCount) {
    if (pointCount == 0 || pointsDone == 0 || !std::isfinite(elapsedMs) || elapsedMs <= 0.0)
        return "--:--";
    const uint32_t done = std::min(pointsDone, pointCount);
    const double seconds = elapsedMs / 1000.0 * (pointCount - done) / done;
    if (!(seconds < kMaxSecondsLeft)) return "--:--";
    const long long left = std::llround(seconds);
    char text[32];
    if (left >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", left / 3600, left / 60 % 60,
                      left % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", left / 60, left % 60);
    }
    return text;
}

std::string ProgressLine(const ProgressSnapshot& s, size_t width) {
    const size_t columns = width == 0 ? kDefaultWidth : width;
    const size_t limit = columns > kEchoRoom ? columns - kEchoRoom : 0;
    const std::string head = s.pass + ", " + std::to_string(s.blockSize / 1024) + " kB";
    const uint32_t done = std::min(s.pointsDone, s.pointCount);
    const uint32_t percent =
        s.pointCount == 0 ? 0 : static_cast<uint32_t>(uint64_t{done} * 100 / s.pointCount);
    char percentText[8];
    std::snprintf(percentText, sizeof percentText, "%3u%%", percent);
    const std::string tail = std::string(" ") + percentText + "  " + RateText(s) + "  " +
                             ProgressTimeLeft(s.elapsedMs, s.pointsDone, s.pointCount) + " left";

    const size_t fixed = head.size() + 3 + tail.size();  // " [" and "]" around the bar
    if (limit >= fixed + kMinBar) {
        const size_t bar = std::min(limit - fixed, kMaxBar);
        const size_t filled =
            s.pointCount == 0 ? 0 : static_cast<size_t>(uint64_t{bar} * done / s.pointCount);
        return head + " [" + std::string(filled, '#') + std::string(bar - filled, '-') + "]" + tail;
    }
    std::string line = head + tail;
    if (line.size() > limit) line.resize(limit);
    return line;
}

}  // namespace kadra
