#include "progress_display.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace kadra {

namespace {

// A few updates a second are enough for the eye and cost nothing measurable.
constexpr auto kRedrawInterval = std::chrono::milliseconds(250);

size_t TerminalWidth(int fd) {
    winsize size{};
    if (ioctl(fd, TIOCGWINSZ, &size) == 0) return size.ws_col;
    return 0;
}

void WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

}  // namespace

ProgressDisplay::ProgressDisplay(bool enabled, int fd) : enabled_(enabled), fd_(fd) {}

ProgressDisplay::~ProgressDisplay() {
    Clear();
}

bool ProgressDisplay::WantedOnStandardError(bool quiet) {
    return !quiet && isatty(STDERR_FILENO) != 0;
}

void ProgressDisplay::BlockStarted(const KText& pass, uint32_t blockSize) {
    if (!enabled_) return;
    snapshot_ = ProgressSnapshot{};
    snapshot_.pass = ToUtf8(pass);
    snapshot_.blockSize = blockSize;
    blockStart_ = std::chrono::steady_clock::now();
    Draw(ProgressLine(snapshot_, TerminalWidth(fd_)));
}

void ProgressDisplay::PointPlotted(uint32_t index, double megabytesPerSecond, uint32_t pointCount) {
    if (!enabled_) return;
    // Synchronous curves count points from 0, queued ones by requests done: one more at most.
    snapshot_.pointsDone = std::min(index + 1, pointCount);
    snapshot_.pointCount = pointCount;
    snapshot_.hasRate = true;
    snapshot_.megabytesPerSecond = megabytesPerSecond;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - lastDrawn_ < kRedrawInterval) return;
    snapshot_.elapsedMs = std::chrono::duration<double, std::milli>(now - blockStart_).count();
    Draw(ProgressLine(snapshot_, TerminalWidth(fd_)));
}

void ProgressDisplay::ShowText(const std::string& text) {
    if (!enabled_) return;
    Draw(text);
}

void ProgressDisplay::Clear() {
    if (!enabled_ || !shown_) return;
    WriteAll(fd_, "\r\033[K");
    shown_ = false;
}

void ProgressDisplay::Draw(const std::string& line) {
    WriteAll(fd_, "\r\033[K" + line);
    shown_ = true;
    lastDrawn_ = std::chrono::steady_clock::now();
}

}  // namespace kadra
