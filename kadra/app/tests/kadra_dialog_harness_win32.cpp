#include "kadra_dialog_harness_win32.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "kadra_resource_win32.h"
#include "main_dialog_win32.h"

namespace kadra::testing {
namespace {

constexpr UINT kRunScript = WM_APP + 0x4B;

std::function<void(DialogDriver&)> pendingScript;
std::vector<SeenBox> seenBoxes;
HWND dialogWindow = nullptr;
std::string nextBoxPath;

KText WindowText(HWND window) {
    KText text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

BOOL CALLBACK CollectChildText(HWND child, LPARAM into) {
    KText text = WindowText(child);
    if (!text.empty()) {
        auto* all = reinterpret_cast<KText*>(into);
        if (!all->empty()) *all += L"|";
        *all += text;
    }
    return TRUE;
}

BOOL CALLBACK AnswerBox(HWND window, LPARAM) {
    if (window == dialogWindow || !IsWindowVisible(window)) return TRUE;
    SeenBox box{WindowText(window), {}};
    EnumChildWindows(window, CollectChildText, reinterpret_cast<LPARAM>(&box.text));
    seenBoxes.push_back(box);
    if (!nextBoxPath.empty()) {
        const std::string path = nextBoxPath;
        nextBoxPath.clear();
        SaveWindowBitmap(window, path);
    }
    // The box's one button, or its close when it has none.
    HWND button = FindWindowExW(window, nullptr, L"Button", nullptr);
    if (button) {
        SendMessageW(button, BM_CLICK, 0, 0);
    } else {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

void CALLBACK AnswerBoxes(HWND, UINT, UINT_PTR, DWORD) {
    // Saving a box pumps messages, which may bring this timer back.
    static bool answering = false;
    if (answering) return;
    answering = true;
    EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0);
    answering = false;
}

LRESULT CALLBACK TestDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunScript) {
        auto script = std::move(pendingScript);
        pendingScript = nullptr;
        if (script) {
            DialogDriver driver(window);
            script(driver);
        }
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    const LRESULT result = MainDialogProc(window, message, wParam, lParam);
    if (message == XDM_CONTROLS_CREATED) {
        dialogWindow = window;
        PostMessageW(window, kRunScript, 0, 0);
    }
    return result;
}

}  // namespace

DialogDriver::DialogDriver(HWND window) : window_(window) {}

XDIALOG* DialogDriver::dialog() const {
    return reinterpret_cast<XDIALOG*>(GetWindowLongPtrW(window_, GWLP_USERDATA));
}

KText DialogDriver::Text(int number) const {
    return WindowText(Item(number));
}

void DialogDriver::SetText(int number, const KText& text) {
    SetWindowTextW(Item(number), text.c_str());
}

bool DialogDriver::Checked(int number) const {
    return IsControlChecked(dialog(), number) == 1;
}

bool DialogDriver::Visible(int number) const {
    HWND item = Item(number);
    return item && (GetWindowLongW(item, GWL_STYLE) & WS_VISIBLE) != 0;
}

void DialogDriver::Click(int number) {
    SendMessageW(Item(number), BM_CLICK, 0, 0);
}

void DialogDriver::SendCode(int code) {
    SendMessageW(window_, XDM_CONTROL, static_cast<WPARAM>(code), 0);
}

void DialogDriver::SelectProduct(int index) {
    HWND list = Item(13);
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(window_, WM_COMMAND, MAKEWPARAM(13, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

void DialogDriver::ShowPage(int page) {
    HWND tabs = Item(0);
    SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(page - 1), 0);
    NMHDR note{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(window_, WM_NOTIFY, note.idFrom, reinterpret_cast<LPARAM>(&note));
}

void DialogDriver::DropFile(const KText& path) {
    // A DROPFILES block as the shell hands it over: the header, then the wide names, each
    // ending in a zero, and one more zero.
    const size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), path.c_str(),
                path.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    SendMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

RECT DialogDriver::WindowRect() const {
    RECT rect{};
    GetWindowRect(window_, &rect);
    return rect;
}

void DialogDriver::Pump(int milliseconds) {
    const DWORD until = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    } while (static_cast<int>(until - GetTickCount()) > 0);
}

std::vector<SeenBox> RunDialog(const std::function<void(DialogDriver&)>& script) {
    pendingScript = script;
    seenBoxes.clear();
    dialogWindow = nullptr;
    const UINT_PTR timer = SetTimer(nullptr, 0, 150, AnswerBoxes);
    XDialog(nullptr, 0, 0, MAKEINTRESOURCEW(KADRA_DIALOG_SCRIPT), GetModuleHandleW(nullptr),
            TestDialogProc, 0, 0, 0, 0, 0, 1);
    KillTimer(nullptr, timer);
    dialogWindow = nullptr;
    return seenBoxes;
}

void SaveNextBoxTo(const std::string& path) {
    nextBoxPath = path;
}

bool SaveWindowBitmap(HWND window, const std::string& path) {
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    DialogDriver(window).Pump(300);
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const int stride = ((width * 3 + 3) / 4) * 4;
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

}  // namespace kadra::testing
