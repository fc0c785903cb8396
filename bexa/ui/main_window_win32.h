// Bexa's main window as a Win32 dialog: the view over the dialog's controls, and the dialog
// procedure that forwards each message to the MainWindow behind it.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <memory>

#include "main_window.h"
#include "main_window_view.h"
#include "tree_view_win32.h"

namespace bexa {

class Win32MainWindowView : public MainWindowView {
  public:
    Win32MainWindowView();
    ~Win32MainWindowView() override;

    // Binds the view to its dialog and creates the window's behaviour object.
    void Attach(HWND dialog, bool modal);
    HWND Dialog() const { return dialog_; }
    MainWindow* Window() const { return window_.get(); }
    TreeViewTree& TreeView() { return tree_; }

    void AddAboutToSystemMenu() override;
    bool RunDriverCheck() override;
    void PrepareControls() override;
    void SetCounterRanges() override;
    uint32_t OsVersionWord() const override;

    void SetCaption(const std::string& text) override;
    void SetControlText(int id, const std::string& text) override;
    std::string ControlText(int id) const override;
    void SetCheck(int id, bool checked) override;
    bool IsChecked(int id) const override;

    void SetDumpLines(const std::vector<std::string>& lines) override;
    void SelectDumpLine(int index) override;

    DeviceTree& Tree() override { return tree_; }
    TreeItem SelectedTreeItem() const override;
    void SelectTreeItem(TreeItem item) override;
    void ScrollTreeTo(TreeItem item) override;

    // Message boxes and the save dialog are real here; tests answer them in a subclass.
    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override;
    bool AskListingFileName(std::string& path) override;

    void OpenBarSpaceWindow(uint32_t barValue, uint32_t probeValue) override;
    void OpenMemoryMapWindow(const PciDeviceList& list) override;
    void OpenInterruptRoutingWindow(const PciDeviceList& list) override;
    void OpenAboutWindow() override;

    void Close() override;

    // The window's icon, drawn while the window is minimised and offered as drag icon.
    HICON BigIcon() const { return bigIcon_; }

  private:
    HWND dialog_ = nullptr;
    bool modal_ = true;
    TreeViewTree tree_;
    std::unique_ptr<MainWindow> window_;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HICON refreshIcon_ = nullptr;
};

// The save dialog of the listing as AskListingFileName shows it, over `file` (MAX_PATH).
OPENFILENAMEA ListingSaveDialog(HWND owner, char* file);

// Runs the main window modally; returns when it has closed.
INT_PTR RunMainWindow(HINSTANCE instance, Win32MainWindowView& view);
// Creates the main window without a modal loop (tests); closing it destroys it.
HWND CreateMainWindow(HINSTANCE instance, Win32MainWindowView& view);

}  // namespace bexa
