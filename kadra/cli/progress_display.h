// The progress line on standard error: drawn while standard error is a terminal and --quiet is
// not given, updated in place a few times a second, and removed again at the end of a run.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "ktext.h"
#include "progress_line.h"

namespace kadra {

class ProgressDisplay {
  public:
    // Draws on `fd` when `enabled`; else every call does nothing.
    ProgressDisplay(bool enabled, int fd);
    ~ProgressDisplay();
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    // Whether standard error shows progress: a terminal, and no --quiet.
    static bool WantedOnStandardError(bool quiet);

    bool enabled() const { return enabled_; }

    // A block size starts: drawn at once.
    void BlockStarted(const KText& pass, uint32_t blockSize);
    // A point of the curve of `pointCount` points: drawn unless the last drawing is recent.
    void PointPlotted(uint32_t index, double megabytesPerSecond, uint32_t pointCount);
    // A fixed line (the data test has no curve).
    void ShowText(const std::string& text);
    // Removes the line.
    void Clear();

  private:
    void Draw(const std::string& line);

    bool enabled_;
    int fd_;
    bool shown_ = false;
    ProgressSnapshot snapshot_;
    std::chrono::steady_clock::time_point blockStart_;
    std::chrono::steady_clock::time_point lastDrawn_;
};

}  // namespace kadra
