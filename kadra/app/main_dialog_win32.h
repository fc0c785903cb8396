// Kadra's main dialog on the dialog library: the dialog procedure, a thin switch that hands
// every message to the behaviour class (MainDialog), and the Win32 view it works through.
#pragma once

#include <windows.h>

#include "main_dialog_view.h"
#include "vorlu.h"

namespace kadra {

// The view over the dialog library's controls of one dialog window.
class Win32MainDialogView : public MainDialogView {
  public:
    void Attach(XDIALOG* dialog) { dialog_ = dialog; }
    XDIALOG* dialog() const { return dialog_; }
    HWND window() const { return dialog_ ? dialog_->window : nullptr; }

    void SetControlText(int item, const KText& text) override;
    KText ControlText(int item) const override;
    void SetCheck(int item, bool checked) override;
    bool IsChecked(int item) const override;
    void ShowItem(int item, bool visible) override;
    void SetProductNames(const std::vector<KText>& names) override;
    void SelectProductEntry(int index) override;
    void SetWindowSize(int32_t width, int32_t height) override;
    void MoveWindowTo(int32_t left, int32_t top) override;
    bool ReadWindowRect(WindowRect* rect) const override;
    bool IsOnVisibleMonitor(const WindowRect& rect) const override;
    void AcceptDroppedFiles() override;
    void ConnectOutputBox() override;
    bool IsNtPlatform() const override;
    void SetWaitCursor() override;
    void RequestClose() override;

  private:
    XDIALOG* dialog_ = nullptr;
};

// The module whose resources the dialog uses (its icon); the program's own by default.
void SetDialogInstance(HINSTANCE instance);

// The dialog procedure that XDialog runs.
LRESULT CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the main dialog modally from the program's script resource; returns when it closes.
void RunMainDialog(HINSTANCE instance);

}  // namespace kadra
