// The calls into the host program that a run makes besides drawing and the results text:
// dispatching pending messages (so that the Stop command gets through), the wait cursor and
// the message box of the notify option. A program sets them in its Host (host.h); empty ones
// do nothing.
#pragma once

#include <cstdint>
#include <functional>

#include "ktext.h"

namespace kadra {

// A block size of a pass has ended: its statistics as the line under the graph shows them.
struct BlockFinish {
    KText pass;  // the pass's label, as blockStarted gave it
    uint32_t blockSize = 0;
    double average = 0.0;  // MB/s (bytes / ms / 1048)
    double minRate = 0.0;  // of the plotted points
    double maxRate = 0.0;
    double deviation = 0.0;  // Sx of the plotted points around the average
    uint32_t points = 0;     // points across the curve
};

struct HostCalls {
    // Dispatches every pending message without waiting.
    std::function<void()> serviceMessageQueue;
    // Shows (true) or takes back (false) the wait cursor.
    std::function<void(bool)> setWaitCursor;
    // A modal box with one button; returns when the user has closed it.
    std::function<void(const KText& text, const KText& caption)> messageBox;
    // A pass starts a block size (progress of the native program); `pass` is its label.
    std::function<void(const KText& pass, uint32_t blockSize)> blockStarted;
    // A point of the current curve is plotted (index from 0, in MB/s); `hang` when the blocks
    // behind it took longer than the product allows.
    std::function<void(uint32_t index, double megabytesPerSecond, bool hang)> pointPlotted;
    // A block size of a pass has ended and its curve is complete.
    std::function<void(const BlockFinish& finish)> blockFinished;
};

// The installed host's calls (host.h); an empty member does nothing.
void ServiceMessageQueue();
void SetWaitCursor(bool on);
void ShowMessageBox(const KText& text, const KText& caption);
void TellBlockStarted(const KText& pass, uint32_t blockSize);
void TellPointPlotted(uint32_t index, double megabytesPerSecond, bool hang);
void TellBlockFinished(const BlockFinish& finish);

}  // namespace kadra
