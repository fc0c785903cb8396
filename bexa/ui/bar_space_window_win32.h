// The BAR space window's Win32 dialog (resource 138). The main window opens it modally through
// OpenBarSpaceWindow (secondary_windows_win32.h); tests and screenshots create it modeless.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "bar_space_view.h"

namespace bexa {

class BarSpaceWindow;

// The BAR space window's view over the controls of its dialog. Message boxes and file dialogs
// are real here; tests answer them in a subclass passed to CreateBarSpaceDialog.
class Win32BarSpaceView : public BarSpaceView {
  public:
    void Attach(HWND dialog) { dialog_ = dialog; }
    HWND Dialog() const { return dialog_; }

    void SetText(int control, const std::string& text) override;
    void SetCheck(int control, bool checked) override;
    void SetRangeBar(RangeBar bar, int max, int position) override;
    void SetListLines(const std::vector<std::string>& lines) override;
    void SelectListLines(const std::vector<int>& lines) override;
    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override;
    std::string ChooseFile(bool save) override;
    void SetWaitCursor(bool wait) override;

  private:
    HWND dialog_ = nullptr;
};

// Creates dialog 138 modeless over `parent`, opened on the region; DestroyWindow ends it (its
// writers are stopped and joined first). nullptr when the probe describes no region. With a
// `view` (owned by the caller, kept until the dialog is destroyed) the dialog shows itself
// through it instead of a view of its own.
HWND CreateBarSpaceDialog(HWND parent, uint32_t barValue, uint32_t probeValue,
                          Win32BarSpaceView* view = nullptr);

// The behaviour behind a dialog made by CreateBarSpaceDialog or OpenBarSpaceWindow.
BarSpaceWindow* BarSpaceWindowOf(HWND dialog);

}  // namespace bexa
