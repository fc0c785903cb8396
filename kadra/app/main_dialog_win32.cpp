#include "main_dialog_win32.h"

#include <memory>

#include <shellapi.h>

#include "kadra_resource_win32.h"
#include "main_dialog.h"
#include "run_state.h"
#include "window_host_win32.h"

namespace kadra {
namespace {

HINSTANCE dialogInstance = nullptr;
Win32MainDialogView view;
MainDialog behaviour(view);
// The engine's seams on this window, from the controls' creation to the window's end.
std::unique_ptr<WindowHost> host;

HWND Item(XDIALOG* dialog, int item) {
    return XDialogItem(dialog, item);
}

HINSTANCE Instance() {
    return dialogInstance ? dialogInstance : GetModuleHandleW(nullptr);
}

LRESULT DefaultProcessing(XDIALOG* dialog, HWND window, UINT message, WPARAM wParam,
                          LPARAM lParam) {
    if (!dialog || !dialog->defaultProc) return 0;
    return dialog->defaultProc(window, message, wParam, lParam);
}

}  // namespace

void Win32MainDialogView::SetControlText(int item, const KText& text) {
    ::SetControlText(dialog_, item, text.c_str(), 0);
}

KText Win32MainDialogView::ControlText(int item) const {
    HWND control = Item(dialog_, item);
    if (!control) return {};
    KText text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Win32MainDialogView::SetCheck(int item, bool checked) {
    CheckControl(dialog_, item, checked ? 1 : 0);
}

bool Win32MainDialogView::IsChecked(int item) const {
    return IsControlChecked(dialog_, item) == 1;
}

void Win32MainDialogView::ShowItem(int item, bool visible) {
    ShowControl(dialog_, item, visible ? 1 : 0);
}

void Win32MainDialogView::SetProductNames(const std::vector<KText>& names) {
    HWND list = Item(dialog_, kItemProduct);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const KText& name : names)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

void Win32MainDialogView::SelectProductEntry(int index) {
    SendMessageW(Item(dialog_, kItemProduct), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32MainDialogView::SetWindowSize(int32_t width, int32_t height) {
    SetWindowPos(window(), nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32MainDialogView::MoveWindowTo(int32_t left, int32_t top) {
    SetWindowPos(window(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Win32MainDialogView::ReadWindowRect(WindowRect* rect) const {
    RECT r;
    if (!window() || !GetWindowRect(window(), &r)) return false;
    *rect = {r.left, r.top, r.right, r.bottom};
    return true;
}

bool Win32MainDialogView::IsOnVisibleMonitor(const WindowRect& rect) const {
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    return MonitorFromRect(&r, MONITOR_DEFAULTTONULL) != nullptr;
}

void Win32MainDialogView::AcceptDroppedFiles() {
    DragAcceptFiles(window(), TRUE);
}

void Win32MainDialogView::ConnectOutputBox() {
    if (host) host->ConnectResults();
}

bool Win32MainDialogView::IsNtPlatform() const {
    // The high bit of the version word is clear on the Windows NT family.
    return (GetVersion() & 0x80000000u) == 0;
}

void Win32MainDialogView::SetWaitCursor() {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void Win32MainDialogView::RequestClose() {
    PostMessageW(window(), WM_CLOSE, 0, 0);
}

void SetDialogInstance(HINSTANCE instance) {
    dialogInstance = instance;
}

LRESULT CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    XDIALOG* dialog =
        window ? reinterpret_cast<XDIALOG*>(GetWindowLongPtrW(window, GWLP_USERDATA)) : nullptr;
    view.Attach(dialog);
    switch (message) {
        case XDM_CONTROLS_CREATED:
            host = std::make_unique<WindowHost>(dialog);
            behaviour.OnControlsCreated();
            return 0;
        case XDM_GET_ICON:
            return reinterpret_cast<LRESULT>(
                LoadIconW(Instance(), MAKEINTRESOURCEW(behaviour.OnIconRequest())));
        case XDM_CONTROL:
            if (behaviour.OnControl(static_cast<int>(wParam)) == ControlReply::Handled) return 0;
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == kItemProduct && HIWORD(wParam) == CBN_SELCHANGE) {
                const LRESULT selection =
                    SendMessageW(Item(dialog, kItemProduct), CB_GETCURSEL, 0, 0);
                if (selection != CB_ERR) behaviour.OnProductSelected(static_cast<int>(selection));
            }
            break;
        case WM_DROPFILES: {
            HDROP drop = reinterpret_cast<HDROP>(wParam);
            wchar_t path[260] = {};
            const UINT length = DragQueryFileW(drop, 0, path, 260);
            DragFinish(drop);
            if (length > 0) behaviour.OnDropFiles(KText(path));
            break;
        }
        case WM_SETCURSOR:
            if (behaviour.OnSetCursor()) return 1;
            break;
        case WM_CLOSE:
            if (!behaviour.OnCloseRequest()) return 0;
            break;
        case WM_DESTROY:
            behaviour.OnDestroy();
            // A run that is still stopping keeps drawing and logging until it returns; the
            // seams then stay until the next dialog or the program's end.
            if (!runState.testRunning && !runState.busy) host.reset();
            break;
        default:
            break;
    }
    return DefaultProcessing(dialog, window, message, wParam, lParam);
}

void RunMainDialog(HINSTANCE instance) {
    SetDialogInstance(instance);
    XDialog(nullptr, 0, 0, MAKEINTRESOURCEW(KADRA_DIALOG_SCRIPT), instance, MainDialogProc, 0, 0, 0,
            0, 0, 1);
}

}  // namespace kadra
