// Runs Kadra's real main dialog in-process for a test: XDialog with the program's script and
// MainDialogProc, a test script that runs once the controls exist and drives the window with
// the messages the dialog library sends, and an answerer for the message boxes that come up.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ktext.h"
#include "vorlu.h"

namespace kadra::testing {

// A message box seen while the dialog ran: its caption and the texts of its children.
struct SeenBox {
    KText caption;
    KText text;
};

// The running dialog as a test script sees it.
class DialogDriver {
  public:
    explicit DialogDriver(HWND window);
    HWND window() const { return window_; }
    XDIALOG* dialog() const;
    HWND Item(int number) const { return XDialogItem(dialog(), number); }
    KText Text(int number) const;
    void SetText(int number, const KText& text);
    bool Checked(int number) const;
    bool Visible(int number) const;
    // Clicks a button, image button or check box as the user does (the library toggles a check
    // box and tells the program).
    void Click(int number);
    // Sends a code of the library's "control operated" message (506 and 507: the keys).
    void SendCode(int code);
    // Selects an entry of the product list as the user does.
    void SelectProduct(int index);
    // Shows page 1 to 4 as a click on its tab does.
    void ShowPage(int page);
    // Drops one file on the window.
    void DropFile(const KText& path);
    RECT WindowRect() const;
    // Dispatches pending messages for about `milliseconds`.
    void Pump(int milliseconds = 300);

  private:
    HWND window_;
};

// Runs the dialog; `script` runs once after the controls exist, then the window is closed
// (as the user's close does). Returns the message boxes that came up, all answered.
std::vector<SeenBox> RunDialog(const std::function<void(DialogDriver&)>& script);

// When set, each message box is saved as a BMP file at this path before it is answered.
void SaveNextBoxTo(const std::string& path);

// Copies the window as the screen shows it into a 24-bit BMP file.
bool SaveWindowBitmap(HWND window, const std::string& path);

}  // namespace kadra::testing
