// The BAR space window's Win32 dialog (resource 138). The main window opens it modally through
// OpenBarSpaceWindow (secondary_windows_win32.h); tests and screenshots create it modeless.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "bar_space_view.h"

namespace bexa {

class BarSpaceWindow;

// Creates dialog 138 modeless over `parent`, opened on the region; DestroyWindow ends it (its
// writers are stopped and joined first). nullptr when the probe describes no region.
HWND CreateBarSpaceDialog(HWND parent, uint32_t barValue, uint32_t probeValue);

// The behaviour behind a dialog made by CreateBarSpaceDialog or OpenBarSpaceWindow.
BarSpaceWindow* BarSpaceWindowOf(HWND dialog);

// Replacements for the message boxes and file dialogs of every BAR space dialog (tests);
// empty functions restore the real ones.
using BarSpaceMessageHook =
    std::function<Answer(const std::string& text, const std::string& caption, MessageKind kind)>;
using BarSpaceFileHook = std::function<std::string(bool save)>;
void SetBarSpaceDialogHooks(BarSpaceMessageHook message, BarSpaceFileHook file);

}  // namespace bexa
