// The progress line of a disk or file test on a terminal: pass, block size, a bar for the share
// of the block size done, the current MB/s and the time left of the block size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kadra {

struct ProgressSnapshot {
    std::string pass;  // the pass's label
    uint32_t blockSize = 0;
    uint32_t pointsDone = 0;  // points plotted of the current curve
    uint32_t pointCount = 0;  // points across the curve; 0 while not known
    bool hasRate = false;     // a point has been plotted
    double megabytesPerSecond = 0.0;
    double elapsedMs = 0.0;  // since the block size started
};

// The line for a terminal `width` columns wide, at most width - 3 characters: the terminal's
// echo of Ctrl-C ("^C") still fits behind it without wrapping, so the stop message can replace
// the line. When it is narrow the bar shrinks, then goes, then the line is cut. A width of 0
// (not known) counts as 80.
// "write linear synchronous, 256 kB [########            ]  40%  112.3 MB/s  0:07 left"
std::string ProgressLine(const ProgressSnapshot& snapshot, size_t width);

// Time left of the block size from the elapsed time and the share done: "m:ss" or "h:mm:ss",
// "--:--" while it cannot be told.
std::string ProgressTimeLeft(double elapsedMs, uint32_t pointsDone, uint32_t pointCount);

}  // namespace kadra
