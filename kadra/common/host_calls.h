// The calls into the host program that a run makes besides drawing and the results text:
// dispatching pending messages (so that the Stop command gets through), the wait cursor and
// the message box of the notify option. A program sets them in its Host (host.h); empty ones
// do nothing.
#pragma once

#include <cstdint>
#include <functional>

#include "ktext.h"

namespace kadra {

struct HostCalls {
    // Dispatches every pending message without waiting.
    std::function<void()> serviceMessageQueue;
    // Shows (true) or takes back (false) the wait cursor.
    std::function<void(bool)> setWaitCursor;
    // A modal box with one button; returns when the user has closed it.
    std::function<void(const KText& text, const KText& caption)> messageBox;
    // A pass starts a block size (progress of the native program); `pass` is its label.
    std::function<void(const KText& pass, uint32_t blockSize)> blockStarted;
};

// The installed host's calls (host.h); an empty member does nothing.
void ServiceMessageQueue();
void SetWaitCursor(bool on);
void ShowMessageBox(const KText& text, const KText& caption);
void TellBlockStarted(const KText& pass, uint32_t blockSize);

}  // namespace kadra
