// The library's own state behind a dialog object: the parsed script, the item windows with
// what the library needs to draw and show them, the program's images and fonts.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "dialog_script.h"
#include "image_layout.h"
#include "vorlu.h"

namespace vorlu {

// A program image as a DIB section, cut into frames by its layout.
struct ProgramImage {
    int id = 0;
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;
    ImageLayout layout;
};

// One static or control of the dialog.
struct DialogItem {
    int number = 0;  // control number, or 0x8000 + static index
    bool isControl = false;
    ControlKind controlKind = ControlKind::Edit;
    StaticKind staticKind = StaticKind::Label;
    Pages pages;
    HWND window = nullptr;
    WNDPROC originalProc = nullptr;  // when the library subclasses the control
    const ProgramImage* image = nullptr;
    bool hiddenByProgram = false;  // ShowControl(…, 0)
    bool checked = false;          // owner-drawn check box
    bool hot = false;              // mouse over (image button, drop-down arrow)
    bool pressedByMouse = false;   // auto-repeat button: the press already sent XDM_CONTROL
    int hotTab = -1;               // tab strip: the tab under the mouse
    std::wstring caption;          // description box caption
    struct DialogState* dialog = nullptr;
};

struct DialogState {
    static constexpr unsigned kMagic = 0x564F524C;  // "VORL"
    unsigned magic = kMagic;
    XDIALOG object{};
    DialogScript script;
    std::vector<HWND> controlWindows;
    std::vector<HWND> staticWindows;
    std::vector<std::unique_ptr<DialogItem>> items;  // controls first, then statics
    std::vector<std::unique_ptr<ProgramImage>> images;
    XDIALOGPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    HWND parent = nullptr;
    HFONT font = nullptr;
    HFONT fixedFont = nullptr;
    HWND tooltip = nullptr;
    HWND tabs = nullptr;
    int tabsNumber = -1;
    int currentPage = 1;
    std::vector<std::wstring> pageNames;
    std::wstring resourceName;  // for messages: "5002" or the name
};

// Private message of the dialog window: a key of the dialog, wParam 506 or 507.
constexpr UINT kKeyMessage = WM_USER + 0x301;

inline DialogState* StateOf(const XDIALOG* dialog) {
    if (dialog == nullptr || dialog->internal == nullptr) return nullptr;
    auto* state = static_cast<DialogState*>(dialog->internal);
    return state->magic == DialogState::kMagic ? state : nullptr;
}
inline DialogState* StateOfWindow(HWND window) {
    return StateOf(reinterpret_cast<XDIALOG*>(GetWindowLongPtrW(window, GWLP_USERDATA)));
}

DialogItem* ItemOf(DialogState& state, int number);
DialogItem* ItemOfWindow(DialogState& state, HWND window);

std::wstring Widen(const std::string& utf8);
// "\n" to "\r\n" for multi-line edit controls.
std::wstring WithCrLf(const std::wstring& text);

// dialog_items_win32.cpp: every item window, tooltips and the start page.
bool CreateDialogItems(DialogState& state, std::wstring& error);
void RegisterItemClasses(HINSTANCE library);
void ShowPage(DialogState& state, int page);
void UpdateVisibility(DialogState& state, DialogItem& item);

// item_drawing_win32.cpp: owner-drawn items and the subclassed controls.
void DrawOwnerItem(DialogState& state, const DRAWITEMSTRUCT& draw);
LRESULT CALLBACK ItemSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void DrawFrame(HDC dc, const ProgramImage& image, const Rect& source, const RECT& target);

// program_images_win32.cpp: the program's images through its exports.
bool LoadProgramImages(DialogState& state, std::wstring& error);
void FreeProgramImages(DialogState& state);

// Sends XDM_CONTROL with `code` to the dialog's procedure.
void NotifyProgram(DialogState& state, int code);

HINSTANCE LibraryInstance();

}  // namespace vorlu
