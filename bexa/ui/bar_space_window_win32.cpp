// Dialog procedure of the BAR space window: each message goes to one small handler, which
// passes it on to the BarSpaceWindow behaviour.
#include "bar_space_window_win32.h"

#include <commdlg.h>

#include <memory>
#include <vector>

#include "bar_space_resource.h"
#include "bar_space_window.h"
#include "message_box_win32.h"
#include "secondary_windows_win32.h"

namespace bexa {

void Win32BarSpaceView::SetText(int control, const std::string& text) {
    SetDlgItemTextA(dialog_, control, text.c_str());
}

void Win32BarSpaceView::SetCheck(int control, bool checked) {
    CheckDlgButton(dialog_, control, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Win32BarSpaceView::SetRangeBar(RangeBar bar, int max, int position) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = max;
    info.nPage = 1;
    info.nPos = position;
    int control = bar == RangeBar::Kb ? IDC_BAR_KB_SCROLL : IDC_BAR_MB_SCROLL;
    SetScrollInfo(GetDlgItem(dialog_, control), SB_CTL, &info, TRUE);
}

void Win32BarSpaceView::SetListLines(const std::vector<std::string>& lines) {
    HWND list = GetDlgItem(dialog_, IDC_BAR_LIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : lines) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void Win32BarSpaceView::SelectListLines(const std::vector<int>& lines) {
    HWND list = GetDlgItem(dialog_, IDC_BAR_LIST);
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    for (int line : lines)
        SendMessageA(list, LB_SETSEL, TRUE, line);
}

MessageAnswer Win32BarSpaceView::ShowMessage(const std::string& text, const std::string& caption,
                                             MessageIcon icon, MessageButtons buttons) {
    return ShowMessageBox(dialog_, text, caption, icon, buttons);
}

// The load and save dialogs have no file pattern, so no default extension either: a memory
// image is raw bytes under any name.
std::string Win32BarSpaceView::ChooseFile(bool save) {
    char path[MAX_PATH] = "";
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = dialog_;
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    return chosen ? std::string(path) : std::string();
}

void Win32BarSpaceView::SetWaitCursor(bool wait) {
    SetCursor(LoadCursor(nullptr, wait ? IDC_WAIT : IDC_ARROW));
}

namespace {

struct OpenParameters {
    uint32_t barValue;
    uint32_t probeValue;
    bool modal;
    Win32BarSpaceView* view;  // nullptr: the dialog's own
};

// What one dialog holds, kept in its user data from WM_INITDIALOG to WM_NCDESTROY.
struct BarSpaceDialog {
    bool modal = true;
    std::unique_ptr<Win32BarSpaceView> ownView;
    Win32BarSpaceView* view = nullptr;
    std::unique_ptr<BarSpaceWindow> window;
};

BarSpaceDialog* DialogOf(HWND dialog) {
    return reinterpret_cast<BarSpaceDialog*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

bool Checked(HWND dialog, int control) {
    return IsDlgButtonChecked(dialog, control) == BST_CHECKED;
}

INT_PTR OnInitDialog(HWND dialog, LPARAM parameter) {
    const auto* open = reinterpret_cast<const OpenParameters*>(parameter);
    auto* state = new BarSpaceDialog;
    state->modal = open->modal;
    if (open->view == nullptr) state->ownView = std::make_unique<Win32BarSpaceView>();
    state->view = open->view != nullptr ? open->view : state->ownView.get();
    state->view->Attach(dialog);
    state->window =
        std::make_unique<BarSpaceWindow>(*state->view, open->barValue, open->probeValue);
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    HICON icon =
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_BAR_REFRESH),
                                      IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    SendDlgItemMessageA(dialog, IDC_BAR_REFRESH, BM_SETIMAGE, IMAGE_ICON,
                        reinterpret_cast<LPARAM>(icon));
    state->window->Open();
    return TRUE;
}

INT_PTR OnClose(HWND dialog) {
    BarSpaceDialog* state = DialogOf(dialog);
    if (state) state->window->Close();
    if (state && !state->modal) {
        DestroyWindow(dialog);
    } else {
        EndDialog(dialog, IDOK);
    }
    return TRUE;
}

void OnListNotification(HWND dialog, BarSpaceWindow& window, int code) {
    if (code != LBN_SELCHANGE) return;
    HWND list = GetDlgItem(dialog, IDC_BAR_LIST);
    auto anchor = static_cast<int>(SendMessageA(list, LB_GETANCHORINDEX, 0, 0));
    auto count = static_cast<int>(SendMessageA(list, LB_GETSELCOUNT, 0, 0));
    window.OnSelectionChanged(anchor, count);
}

void OnWriteMemory(HWND dialog, BarSpaceWindow& window) {
    char text[64] = "";
    GetDlgItemTextA(dialog, IDC_BAR_VALUE, text, sizeof text);
    window.OnWriteMemory(text);
}

INT_PTR OnCommand(HWND dialog, int control, int code) {
    BarSpaceDialog* state = DialogOf(dialog);
    if (state == nullptr) return FALSE;
    BarSpaceWindow& window = *state->window;
    switch (control) {
        case IDOK:
        case IDCANCEL:
            return OnClose(dialog);
        case IDC_BAR_LIST:
            OnListNotification(dialog, window, code);
            return TRUE;
        case IDC_BAR_WRITE:
            OnWriteMemory(dialog, window);
            return TRUE;
        case IDC_BAR_LOOP:
            window.OnLoop(Checked(dialog, control));
            return TRUE;
        case IDC_BAR_TOGGLE:
            window.OnToggle(Checked(dialog, control));
            return TRUE;
        case IDC_BAR_COUNT:
            window.OnCount(Checked(dialog, control));
            return TRUE;
        case IDC_BAR_VERIFY:
            window.OnVerify(Checked(dialog, control));
            return TRUE;
        case IDC_BAR_REFRESH_AFTER_WRITE:
            window.OnRefreshViewAfterWrite();
            return TRUE;
        case IDC_BAR_REFRESH:
            window.OnRefresh();
            return TRUE;
        case IDC_BAR_AUTO_READ:
            window.OnAutoReadMemory(Checked(dialog, control));
            return TRUE;
        case IDC_BAR_RANGE_128:
            window.OnDisplayRange(128);
            return TRUE;
        case IDC_BAR_RANGE_1024:
            window.OnDisplayRange(1024);
            return TRUE;
        case IDC_BAR_SOURCE:
            window.OnSource();
            return TRUE;
        case IDC_BAR_DESTINATION:
            window.OnDestination();
            return TRUE;
        case IDC_BAR_MEM_COPY:
            window.OnMemCopy();
            return TRUE;
        case IDC_BAR_MEM_TEST:
            window.OnMemTest();
            return TRUE;
        case IDC_BAR_LOAD_FILE:
            window.OnLoadFile();
            return TRUE;
        case IDC_BAR_SAVE_FILE:
            window.OnSaveFile();
            return TRUE;
        default:
            return FALSE;
    }
}

ScrollCode ToScrollCode(int code, bool& known) {
    known = true;
    switch (code) {
        case SB_LINELEFT:
            return ScrollCode::LineLeft;
        case SB_LINERIGHT:
            return ScrollCode::LineRight;
        case SB_PAGELEFT:
            return ScrollCode::PageLeft;
        case SB_PAGERIGHT:
            return ScrollCode::PageRight;
        case SB_LEFT:
            return ScrollCode::LeftEnd;
        case SB_RIGHT:
            return ScrollCode::RightEnd;
        case SB_THUMBTRACK:
            return ScrollCode::ThumbTrack;
        case SB_THUMBPOSITION:
            return ScrollCode::ThumbPosition;
        case SB_ENDSCROLL:
            return ScrollCode::EndScroll;
        default:
            known = false;
            return ScrollCode::EndScroll;
    }
}

INT_PTR OnHScroll(HWND dialog, HWND bar, int code, int thumbPosition) {
    BarSpaceDialog* state = DialogOf(dialog);
    if (state == nullptr || bar == nullptr) return FALSE;
    int control = GetDlgCtrlID(bar);
    if (control != IDC_BAR_KB_SCROLL && control != IDC_BAR_MB_SCROLL) return FALSE;
    bool known = false;
    ScrollCode scrollCode = ToScrollCode(code, known);
    if (!known) return FALSE;
    // The bars reach at most 2047, so the 16-bit thumb position of the message is enough.
    state->window->OnScroll(control == IDC_BAR_KB_SCROLL ? RangeBar::Kb : RangeBar::Mb, scrollCode,
                            thumbPosition);
    return TRUE;
}

INT_PTR OnNcDestroy(HWND dialog) {
    delete DialogOf(dialog);  // stops and joins the writers
    SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
    return FALSE;
}

INT_PTR CALLBACK BarSpaceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(dialog, lParam);
        case WM_COMMAND:
            return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        case WM_HSCROLL:
            return OnHScroll(dialog, reinterpret_cast<HWND>(lParam), LOWORD(wParam),
                             HIWORD(wParam));
        case WM_CLOSE:
            return OnClose(dialog);
        case WM_NCDESTROY:
            return OnNcDestroy(dialog);
        default:
            return FALSE;
    }
}

}  // namespace

void OpenBarSpaceWindow(HWND parent, uint32_t barValue, uint32_t probeValue) {
    if (!BarSpaceWindow::DescribesRegion(probeValue)) return;
    OpenParameters open{barValue, probeValue, true, nullptr};
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_BAR_SPACE), parent,
                    BarSpaceDialogProc, reinterpret_cast<LPARAM>(&open));
}

HWND CreateBarSpaceDialog(HWND parent, uint32_t barValue, uint32_t probeValue,
                          Win32BarSpaceView* view) {
    if (!BarSpaceWindow::DescribesRegion(probeValue)) return nullptr;
    OpenParameters open{barValue, probeValue, false, view};
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_BAR_SPACE), parent,
                              BarSpaceDialogProc, reinterpret_cast<LPARAM>(&open));
}

BarSpaceWindow* BarSpaceWindowOf(HWND dialog) {
    if (dialog == nullptr) return nullptr;
    BarSpaceDialog* state = DialogOf(dialog);
    return state ? state->window.get() : nullptr;
}

}  // namespace bexa
