// Screenshots of the demonstration dialog for the documentation: each page, the image button
// under the mouse and pressed, a tooltip, the list open. Runs only when VORLU_SCREENSHOT_DIR
// names a folder (with a trailing slash); writes one BMP per state there, which ImageMagick
// turns into PNG (docs/vorlu.md).
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "demo_dialog_win32.h"
#include "vorlu.h"

namespace vorlu_demo {
namespace {

// The screen inside `rect` as a 24-bit BMP file.
bool SaveScreen(const RECT& rect, const std::string& path) {
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
    if (out == nullptr) return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

TEST(DemoScreenshots, EachPage) {
    const char* folder = std::getenv("VORLU_SCREENSHOT_DIR");
    if (folder == nullptr || *folder == '\0') GTEST_SKIP() << "VORLU_SCREENSHOT_DIR not set";
    const std::string dir = folder;

    ResetDemoRecord();
    LONG result = -2;
    std::thread run([&] { result = RunDemoDialog(GetModuleHandleW(nullptr)); });
    HWND window = nullptr;
    for (int i = 0; i < 250 && (window = DemoRecordCopy().window) == nullptr; ++i)
        Sleep(20);
    ASSERT_NE(window, nullptr);
    XDIALOG* dialog = DemoRecordCopy().dialog;
    auto item = [&](int number) { return XDialogItem(dialog, number); };
    auto onDialogThread = [&](std::function<void()> work) {
        SendMessageW(window, kRunOnDialogThread, 0, reinterpret_cast<LPARAM>(&work));
    };
    auto page = [&](int number) {
        HWND tabs = item(kTabs);
        SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(number - 1), 0);
        NMHDR header{tabs, 0, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    };
    auto shot = [&](const char* name, int below) {
        Sleep(300);
        onDialogThread([&] {
            SetForegroundWindow(window);
            RedrawWindow(window, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        });
        Sleep(300);
        RECT rect;
        GetWindowRect(window, &rect);
        rect.bottom += below;
        EXPECT_TRUE(SaveScreen(rect, dir + name));
    };
    onDialogThread([&] { SetWindowPos(window, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER); });

    // Page 1: some clicks for the output box, the pointer over the start button.
    SendMessageW(item(kPlus), BM_CLICK, 0, 0);
    SendMessageW(item(kFast), BM_CLICK, 0, 0);
    PostMessageW(item(kName), WM_KEYDOWN, VK_F5, 0);
    Sleep(200);
    RECT start;
    GetWindowRect(item(kStart), &start);
    SetCursorPos(start.left + 30, start.top + 30);
    Sleep(1500);  // the hot frame and the tooltip
    shot("vorlu-page1.bmp", 0);

    RECT fast;
    GetWindowRect(item(kFast), &fast);
    SetCursorPos(fast.left + 20, fast.top + 10);
    Sleep(1500);
    shot("vorlu-tooltip.bmp", 40);
    SetCursorPos(5, 5);

    page(2);
    SendMessageW(item(kStart), BM_SETSTATE, TRUE, 0);
    shot("vorlu-page2.bmp", 0);
    SendMessageW(item(kStart), BM_SETSTATE, FALSE, 0);

    page(3);
    SendMessageW(item(kShowExtra), BM_CLICK, 0, 0);
    PostMessageW(item(kMode), CB_SHOWDROPDOWN, TRUE, 0);
    shot("vorlu-page3.bmp", 0);
    PostMessageW(item(kMode), CB_SHOWDROPDOWN, FALSE, 0);

    PostMessageW(window, WM_CLOSE, 0, 0);
    run.join();
    EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace vorlu_demo
