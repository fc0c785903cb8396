#include "main_window_win32.h"

#include <commctrl.h>
#include <commdlg.h>

#include <vector>

#include "about_window_win32.h"
#include "bexa_resource.h"
#include "driver_check_win32.h"
#include "message_box_win32.h"
#include "secondary_windows_win32.h"

namespace bexa {

// ---- the view -------------------------------------------------------------------------------

Win32MainWindowView::Win32MainWindowView() = default;

Win32MainWindowView::~Win32MainWindowView() {
    for (HICON icon : {bigIcon_, smallIcon_, refreshIcon_}) {
        if (icon != nullptr) DestroyIcon(icon);
    }
}

void Win32MainWindowView::Attach(HWND dialog, bool modal) {
    dialog_ = dialog;
    modal_ = modal;
    tree_.Attach(GetDlgItem(dialog, IDC_TREE));
    window_ = std::make_unique<MainWindow>(*this);
}

void Win32MainWindowView::AddAboutToSystemMenu() {
    char text[256] = {};
    if (LoadStringA(GetModuleHandleW(nullptr), IDS_ABOUT_MENU, text, sizeof(text)) <= 0) return;
    HMENU menu = GetSystemMenu(dialog_, FALSE);
    if (menu == nullptr) return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_ABOUT, text);
}

namespace {

// The driver check's questions and notices go through the view like every other message box.
class ViewDriverCheckSystem : public tvk::Win32DriverCheckSystem {
  public:
    ViewDriverCheckSystem(HWND owner, MainWindowView& view)
        : Win32DriverCheckSystem(owner), view_(view) {}
    bool ShowMessage(const std::string& text, Box box) override {
        const bool question = box == Box::Question;
        return view_.ShowMessage(
                   text, "Bexa", question ? MessageIcon::Question : MessageIcon::Exclamation,
                   question ? MessageButtons::YesNo : MessageButtons::Ok) == MessageAnswer::Yes;
    }

  private:
    MainWindowView& view_;
};

}  // namespace

bool Win32MainWindowView::RunDriverCheck() {
    ViewDriverCheckSystem system(dialog_, *this);
    return tvk::RunDriverCheck(system) == tvk::DriverCheckResult::Continue;
}

void Win32MainWindowView::PrepareControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    auto load = [instance](int id, int size) {
        return static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    };
    if (bigIcon_ == nullptr) {
        bigIcon_ = load(IDI_BEXA, GetSystemMetrics(SM_CXICON));
        smallIcon_ = load(IDI_BEXA, GetSystemMetrics(SM_CXSMICON));
        refreshIcon_ = load(IDI_REFRESH, 16);
    }
    SendMessageW(dialog_, WM_SETICON, ICON_BIG, LPARAM(bigIcon_));
    SendMessageW(dialog_, WM_SETICON, ICON_SMALL, LPARAM(smallIcon_));
    SendDlgItemMessageW(dialog_, IDC_DUMP, LB_SETHORIZONTALEXTENT, 400, 0);
    SendDlgItemMessageW(dialog_, IDC_REFRESH, BM_SETIMAGE, IMAGE_ICON, LPARAM(refreshIcon_));
    SetFocus(GetDlgItem(dialog_, IDC_REFRESH));
}

void Win32MainWindowView::SetCounterRanges() {
    SendDlgItemMessageW(dialog_, IDC_BUS_SPIN, UDM_SETRANGE32, 0, 255);
    SendDlgItemMessageW(dialog_, IDC_DEVICE_SPIN, UDM_SETRANGE32, 0, 32);
    SendDlgItemMessageW(dialog_, IDC_FUNCTION_SPIN, UDM_SETRANGE32, 0, 7);
}

uint32_t Win32MainWindowView::OsVersionWord() const {
    return QueryVersionWord();
}

void Win32MainWindowView::SetCaption(const std::string& text) {
    SetWindowTextA(dialog_, text.c_str());
}

void Win32MainWindowView::SetControlText(int id, const std::string& text) {
    SetDlgItemTextA(dialog_, id, text.c_str());
}

std::string Win32MainWindowView::ControlText(int id) const {
    HWND control = GetDlgItem(dialog_, id);
    std::vector<char> text(size_t(GetWindowTextLengthA(control)) + 1, '\0');
    GetWindowTextA(control, text.data(), int(text.size()));
    return text.data();
}

void Win32MainWindowView::SetCheck(int id, bool checked) {
    CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool Win32MainWindowView::IsChecked(int id) const {
    return IsDlgButtonChecked(dialog_, id) == BST_CHECKED;
}

void Win32MainWindowView::SetDumpLines(const std::vector<std::string>& lines) {
    HWND list = GetDlgItem(dialog_, IDC_DUMP);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : lines)
        SendMessageA(list, LB_ADDSTRING, 0, LPARAM(line.c_str()));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void Win32MainWindowView::SelectDumpLine(int index) {
    SendDlgItemMessageA(dialog_, IDC_DUMP, LB_SETCURSEL, WPARAM(index), 0);
}

TreeItem Win32MainWindowView::SelectedTreeItem() const {
    return tree_.SelectedItem();
}

void Win32MainWindowView::SelectTreeItem(TreeItem item) {
    tree_.Select(item);
}

void Win32MainWindowView::ScrollTreeTo(TreeItem item) {
    if (item != kNoTreeItem) {
        SendDlgItemMessageA(dialog_, IDC_TREE, TVM_SELECTITEM, TVGN_FIRSTVISIBLE,
                            LPARAM(HTREEITEM(item)));
    }
}

MessageAnswer Win32MainWindowView::ShowMessage(const std::string& text, const std::string& caption,
                                               MessageIcon icon, MessageButtons buttons) {
    return ShowMessageBox(dialog_, text, caption, icon, buttons);
}

// A name typed without an extension gets ".lis", the extension of the dialog's pattern.
OPENFILENAMEA ListingSaveDialog(HWND owner, char* file) {
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = "List Files (*.lis)\0*.lis\0";
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = "lis";
    dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    return dialog;
}

bool Win32MainWindowView::AskListingFileName(std::string& path) {
    char file[MAX_PATH] = "*.lis";
    OPENFILENAMEA dialog = ListingSaveDialog(dialog_, file);
    if (!GetSaveFileNameA(&dialog)) return false;
    path = file;
    return true;
}

void Win32MainWindowView::OpenBarSpaceWindow(uint32_t barValue, uint32_t probeValue) {
    bexa::OpenBarSpaceWindow(dialog_, barValue, probeValue);
}

void Win32MainWindowView::OpenMemoryMapWindow(const PciDeviceList& list) {
    bexa::OpenMemoryMapWindow(dialog_, list);
}

void Win32MainWindowView::OpenInterruptRoutingWindow(const PciDeviceList& list) {
    bexa::OpenInterruptRoutingWindow(dialog_, list);
}

void Win32MainWindowView::OpenAboutWindow() {
    bexa::OpenAboutWindow(dialog_);
}

void Win32MainWindowView::Close() {
    if (modal_) {
        EndDialog(dialog_, 0);
    } else {
        DestroyWindow(dialog_);
    }
}

// ---- the dialog procedure -------------------------------------------------------------------

namespace {

Win32MainWindowView* ViewOf(HWND dialog) {
    return reinterpret_cast<Win32MainWindowView*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

MainWindow* WindowOf(HWND dialog) {
    Win32MainWindowView* view = ViewOf(dialog);
    return view != nullptr ? view->Window() : nullptr;
}

struct Creation {
    Win32MainWindowView* view;
    bool modal;
};

BOOL OnInitDialog(HWND dialog, LPARAM param) {
    const Creation* creation = reinterpret_cast<const Creation*>(param);
    SetWindowLongPtrW(dialog, DWLP_USER, LONG_PTR(creation->view));
    creation->view->Attach(dialog, creation->modal);
    creation->view->Window()->Initialise();
    return FALSE;  // the focus is on the refresh button
}

void OnButton(MainWindow& window, int id) {
    switch (id) {
        case IDC_EXIT:
        case IDCANCEL:
            window.Close();
            break;
        case IDC_ABOUT:
            window.About();
            break;
        case IDC_EXPAND_ALL:
            window.ExpandAll();
            break;
        case IDC_COLLAPSE_ALL:
            window.CollapseAll();
            break;
        case IDC_REFRESH:
            window.RefreshDump();
            break;
        case IDC_WRITE_REG:
            window.WriteConfReg();
            break;
        case IDC_RESCAN:
            window.Rescan();
            break;
        case IDC_WRITE_FILE:
            window.WriteToFile();
            break;
        case IDC_USE_BIOS:
            window.UseBiosClicked();
            break;
        case IDC_RESET_BRIDGE:
            window.ResetBridge();
            break;
        case IDC_COUNT_16:
            window.SetRegisterCount(16);
            break;
        case IDC_COUNT_64:
            window.SetRegisterCount(64);
            break;
        case IDC_REFRESH_AFTER_WRITE:
            window.RefreshAfterWriteClicked();
            break;
        case IDC_INT_ROUTING:
            window.ShowInterruptRouting();
            break;
        case IDC_MEM_MAP:
            window.ShowMemoryMap();
            break;
        default:
            break;
    }
}

void OnDumpList(HWND dialog, MainWindow& window, int code) {
    const int line = int(SendDlgItemMessageW(dialog, IDC_DUMP, LB_GETCURSEL, 0, 0));
    if (line == LB_ERR) return;
    if (code == LBN_SELCHANGE) window.DumpLineSelected(line);
    if (code == LBN_DBLCLK) window.DumpLineDoubleClicked(line);
}

BOOL OnCommand(HWND dialog, int id, int code) {
    MainWindow* window = WindowOf(dialog);
    if (window == nullptr) return FALSE;
    if (id == IDC_DUMP) {
        OnDumpList(dialog, *window, code);
    } else if (code == BN_CLICKED) {
        OnButton(*window, id);
    }
    return TRUE;
}

BOOL OnNotify(HWND dialog, const NMHDR& header) {
    MainWindow* window = WindowOf(dialog);
    if (window == nullptr) return FALSE;
    if (header.idFrom == IDC_TREE && header.code == NM_DBLCLK) {
        // Consumed: a double click neither expands nor collapses a branch.
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    if (header.idFrom == IDC_TREE &&
        (header.code == TVN_SELCHANGEDA || header.code == TVN_SELCHANGEDW)) {
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        window->TreeSelectionChanged(TreeItem(change.itemNew.hItem));
        return TRUE;
    }
    if (header.code == UDN_DELTAPOS) {
        const auto& step = reinterpret_cast<const NMUPDOWN&>(header);
        switch (header.idFrom) {
            case IDC_BUS_SPIN:
                window->StepCounter(AddressCounter::Bus, step.iDelta);
                break;
            case IDC_DEVICE_SPIN:
                window->StepCounter(AddressCounter::Device, step.iDelta);
                break;
            case IDC_FUNCTION_SPIN:
                window->StepCounter(AddressCounter::Function, step.iDelta);
                break;
            default:
                return FALSE;
        }
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);  // the control may move on
        return TRUE;
    }
    return FALSE;
}

BOOL OnSysCommand(HWND dialog, WPARAM command) {
    const UINT id = UINT(command & 0xFFF0);
    if (id < IDM_ABOUT || id > IDM_ABOUT_LAST) return FALSE;
    if (MainWindow* window = WindowOf(dialog)) window->About();
    return TRUE;
}

// While minimised the window paints its icon centred in the client area.
BOOL OnPaint(HWND dialog) {
    if (!IsIconic(dialog)) return FALSE;
    Win32MainWindowView* view = ViewOf(dialog);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    SendMessageW(dialog, WM_ICONERASEBKGND, WPARAM(dc), 0);
    RECT client;
    GetClientRect(dialog, &client);
    const int cx = GetSystemMetrics(SM_CXICON);
    const int cy = GetSystemMetrics(SM_CYICON);
    if (view != nullptr && view->BigIcon() != nullptr) {
        DrawIcon(dc, (client.right - client.left - cx + 1) / 2,
                 (client.bottom - client.top - cy + 1) / 2, view->BigIcon());
    }
    EndPaint(dialog, &paint);
    return TRUE;
}

INT_PTR OnQueryDragIcon(HWND dialog) {
    Win32MainWindowView* view = ViewOf(dialog);
    const INT_PTR icon = view != nullptr ? INT_PTR(view->BigIcon()) : 0;
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, icon);
    return icon;
}

BOOL OnClose(HWND dialog) {
    if (MainWindow* window = WindowOf(dialog)) window->Close();
    return TRUE;
}

INT_PTR CALLBACK MainWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(dialog, lParam);
        case WM_COMMAND:
            return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        case WM_NOTIFY:
            return OnNotify(dialog, *reinterpret_cast<const NMHDR*>(lParam));
        case WM_SYSCOMMAND:
            return OnSysCommand(dialog, wParam);
        case WM_PAINT:
            return OnPaint(dialog);
        case WM_QUERYDRAGICON:
            return OnQueryDragIcon(dialog);
        case WM_CLOSE:
            return OnClose(dialog);
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR RunMainWindow(HINSTANCE instance, Win32MainWindowView& view) {
    Creation creation{&view, true};
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_BEXA_MAIN), nullptr, MainWindowProc,
                           LPARAM(&creation));
}

HWND CreateMainWindow(HINSTANCE instance, Win32MainWindowView& view) {
    Creation creation{&view, false};
    return CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_BEXA_MAIN), nullptr, MainWindowProc,
                              LPARAM(&creation));
}

}  // namespace bexa
