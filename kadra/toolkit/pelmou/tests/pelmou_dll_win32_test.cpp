// pelmou.dll as Kadra uses it, linked through its import library: stopwatches, the RTF
// calls on real files, pictures of real windows, FlipImage and the message pump.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pelmou.h"
#include "png_decoder.h"

namespace pelmou {
namespace {

// --- stopwatches ---

TEST(PelmouStopWatch, MeasuresMillisecondsWithSubMillisecondSteps) {
    const DWORD first = OpenStopWatch();
    const DWORD second = OpenStopWatch();
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, 0u);
    EXPECT_NE(first, second);

    // Against the tick count over the same interval: milliseconds, not another unit.
    const ULONGLONG ticksBefore = GetTickCount64();
    EXPECT_EQ(StopWatch(first, SW_RESTART), 0.0);
    Sleep(30);
    const double elapsed = StopWatch(first, SW_ELAPSED);
    const ULONGLONG ticksAfter = GetTickCount64();
    EXPECT_GE(elapsed, 25.0);
    EXPECT_LE(elapsed, static_cast<double>(ticksAfter - ticksBefore) + 20.0);

    // Readings never go back, and successive different readings lie well under 1 ms apart.
    double previous = StopWatch(0, SW_NOW);
    double smallestStep = 1e9;
    double previousElapsed = StopWatch(second, SW_ELAPSED);
    for (int k = 0; k < 100000 && smallestStep > 0.01; ++k) {
        const double now = StopWatch(0, SW_NOW);
        ASSERT_GE(now, previous);
        if (now > previous) smallestStep = std::min(smallestStep, now - previous);
        previous = now;
        const double e = StopWatch(second, SW_ELAPSED);
        ASSERT_GE(e, previousElapsed);
        previousElapsed = e;
    }
    EXPECT_LT(smallestStep, 0.1);
    CloseStopWatch(first);
    CloseStopWatch(second);
}

TEST(PelmouStopWatch, HandlesThatAreNotOpenReadZero) {
    const DWORD handle = OpenStopWatch();
    Sleep(2);
    EXPECT_GT(StopWatch(handle, SW_ELAPSED), 0.0);
    EXPECT_EQ(StopWatch(handle, 3), 0.0);  // not a mode
    EXPECT_EQ(StopWatch(handle, 0), 0.0);
    CloseStopWatch(handle);
    EXPECT_EQ(StopWatch(handle, SW_ELAPSED), 0.0);
    EXPECT_EQ(StopWatch(handle, SW_RESTART), 0.0);
    EXPECT_EQ(StopWatch(0, SW_ELAPSED), 0.0);
    EXPECT_EQ(StopWatch(0xDEADBEEF, SW_ELAPSED), 0.0);
    EXPECT_EQ(StopWatch(0xDEADBEEF, SW_NOW), 0.0);
    CloseStopWatch(handle);  // twice, and never opened: nothing happens
    CloseStopWatch(0xDEADBEEF);
    EXPECT_GT(StopWatch(0, SW_NOW), 0.0);
}

// --- files ---

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH];
    GetTempPathW(MAX_PATH, buffer);
    std::wstring folder = std::wstring(buffer) + L"pelmou-dll-" + std::to_wstring(GetTickCount());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\";
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

BITMAPINFOHEADER Header(int width, int height, int bits) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bits);
    header.biCompression = BI_RGB;
    return header;
}

TEST(PelmouRtf, WritesTheLogAsKadraDoes) {
    const std::wstring folder = TempFolder();
    const std::wstring path = folder + L"kadra \u0442\u0435\u0441\u0442.rtf";
    HANDLE log = RTF_Create(path.c_str());
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(RTF_AddText(log, L"\\fs50 \u0422\u0435\u0441\u0442 \u65e5\u672c\n\n\n", RTF_TITLE),
              1);
    EXPECT_EQ(RTF_AddText(log, L"64 kB block, read linear synchronous:\n", RTF_HEADING), 1);

    // A 2 × 3 picture as GetWindowBitmap leaves it (bottom-up), then flipped by FlipImage.
    BITMAPINFOHEADER header = Header(2, 3, 32);
    std::vector<uint32_t> pixels = {0x000000FF, 0x000000FF,   // bottom row: blue
                                    0x0000FF00, 0x0000FF00,   // green
                                    0x00FF0000, 0x00000000};  // top row: red, black
    ASSERT_EQ(FlipImage(header, pixels.data()), 1);
    EXPECT_EQ(RTF_AddImage(log, &header, pixels.data(), RTF_IMAGE_FLIPPED), 1);
    EXPECT_EQ(RTF_AddText(log, L"\n\n", RTF_PLAIN), 1);
    EXPECT_FALSE(Exists(path));
    RTF_Close(log);
    ASSERT_TRUE(Exists(path));

    const std::string rtf = ReadFile(path);
    EXPECT_NE(rtf.find("\\fs50 \\u1058?\\u1077?\\u1089?\\u1090? \\u26085?\\u26412?\\par"),
              std::string::npos)
        << rtf;
    const auto blips = PngBlips(rtf);
    ASSERT_EQ(blips.size(), 1u);
    const DecodedPng png = DecodePng(blips[0]);
    ASSERT_EQ(png.width, 2);
    ASSERT_EQ(png.height, 3);
    // Upright: the top row first.
    EXPECT_EQ(png.rgb, (std::vector<uint8_t>{255, 0, 0, 0, 0, 0,  // red, black
                                             0, 255, 0, 0, 255, 0, 0, 0, 255, 0, 0, 255}));
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST(PelmouRtf, RefusesWhatItCannotWrite) {
    const std::wstring folder = TempFolder();
    EXPECT_EQ(RTF_Create((folder + L"missing\\kadra x.rtf").c_str()), nullptr);
    EXPECT_EQ(RTF_Create((folder + L"kadra a?b.rtf").c_str()), nullptr);
    EXPECT_EQ(RTF_Create(nullptr), nullptr);
    EXPECT_EQ(RTF_Create(L""), nullptr);

    HANDLE log = RTF_Create((folder + L"kadra ok.rtf").c_str());
    ASSERT_NE(log, nullptr);
    BITMAPINFOHEADER header = Header(4, 4, 16);
    std::vector<uint8_t> pixels(64);
    EXPECT_EQ(RTF_AddImage(log, &header, pixels.data(), 0), 0);
    EXPECT_EQ(RTF_AddImage(log, nullptr, pixels.data(), 0), 0);
    header = Header(4, 4, 32);
    EXPECT_EQ(RTF_AddImage(log, &header, nullptr, 0), 0);
    EXPECT_EQ(RTF_AddText(log, nullptr, 0), 0);
    // Handles this library did not give out.
    int notADocument = 0;
    EXPECT_EQ(RTF_AddText(&notADocument, L"x", 0), 0);
    EXPECT_EQ(RTF_AddText(nullptr, L"x", 0), 0);
    EXPECT_EQ(RTF_AddImage(&notADocument, &header, pixels.data(), 0), 0);
    RTF_Close(&notADocument);
    RTF_Close(nullptr);
    RTF_Close(log);
    EXPECT_EQ(RTF_AddText(log, L"x", 0), 0);  // closed
    RTF_Close(log);
    EXPECT_TRUE(Exists(folder + L"kadra ok.rtf"));
    DeleteFileW((folder + L"kadra ok.rtf").c_str());
    RemoveDirectoryW(folder.c_str());
}

// --- windows ---

// A window painted in two colours: the top half and the bottom half.
constexpr COLORREF kTop = RGB(10, 200, 30);
constexpr COLORREF kBottom = RGB(220, 40, 90);
std::vector<UINT> received;  // messages of the test window, in order

void Paint(HWND window, HDC dc) {
    RECT rect;
    GetClientRect(window, &rect);
    RECT top = rect, bottom = rect;
    top.bottom = bottom.top = rect.bottom / 2;
    HBRUSH brush = CreateSolidBrush(kTop);
    FillRect(dc, &top, brush);
    DeleteObject(brush);
    brush = CreateSolidBrush(kBottom);
    FillRect(dc, &bottom, brush);
    DeleteObject(brush);
}

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            Paint(window, dc);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(window, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_APP:
        case WM_APP + 1:
        case WM_APP + 2:
        case WM_KEYDOWN:
            received.push_back(message);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

ATOM TestWindowClass() {
    static ATOM atom = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = TestWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"PelmouTestWindow";
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        return RegisterClassW(&windowClass);
    }();
    return atom;
}

void LetWindowsPaint() {
    for (int round = 0; round < 10; ++round) {
        ServiceMessageQueue();
        Sleep(20);
    }
}

// A 120 × 80 pop-up window, or a child of `parent` at (20, 10) of 60 × 40 pixels.
HWND CreateTestWindow(bool visible, HWND parent = nullptr) {
    EXPECT_NE(TestWindowClass(), 0);
    const DWORD style = (parent ? WS_CHILD : WS_POPUP) | (visible ? WS_VISIBLE : 0);
    HWND window =
        CreateWindowExW(parent ? 0 : WS_EX_TOPMOST, L"PelmouTestWindow", L"pelmou", style,
                        parent ? 20 : 40, parent ? 10 : 40, parent ? 60 : 120, parent ? 40 : 80,
                        parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(window, nullptr);
    if (visible) {
        UpdateWindow(window);
        LetWindowsPaint();
    }
    return window;
}

// The pixel at (x, y) from the top of a bottom-up 32-bit DIB, as a COLORREF.
COLORREF PixelAt(const BITMAPINFOHEADER& header, const std::vector<uint8_t>& pixels, int x, int y) {
    const uint8_t* p = pixels.data() +
                       (static_cast<std::size_t>(header.biHeight - 1 - y) * header.biWidth + x) * 4;
    return RGB(p[2], p[1], p[0]);
}

// The window's picture, as Kadra takes it: the header first, then a buffer of the image size
// and a margin with the same header.
std::vector<uint8_t> WindowPicture(HWND window, BITMAPINFOHEADER& header) {
    header = {};
    if (GetWindowBitmap(window, &header, nullptr) == 0) return {};
    std::vector<uint8_t> pixels(header.biSizeImage + 1000, 0xCD);
    if (GetWindowBitmap(window, &header, pixels.data()) == 0) return {};
    EXPECT_EQ(pixels[header.biSizeImage], 0xCD) << "written past the picture";
    return pixels;
}

void ExpectWindowPicture(HWND window, int width, int height) {
    BITMAPINFOHEADER header{};
    ASSERT_NE(GetWindowBitmap(window, &header, nullptr), 0);
    EXPECT_EQ(header.biSize, sizeof header);
    EXPECT_EQ(header.biWidth, width);
    EXPECT_EQ(header.biHeight, height);  // bottom-up
    EXPECT_EQ(header.biBitCount, 32);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    ASSERT_EQ(header.biSizeImage, static_cast<DWORD>(width * height * 4));

    const std::vector<uint8_t> pixels = WindowPicture(window, header);
    ASSERT_FALSE(pixels.empty());
    for (int y : {1, height / 4, height / 2 - 2}) {
        for (int x : {1, width / 2, width - 2}) {
            EXPECT_EQ(PixelAt(header, pixels, x, y), kTop) << x << "," << y;
        }
    }
    for (int y : {height / 2 + 2, height * 3 / 4, height - 2}) {
        for (int x : {1, width / 2, width - 2}) {
            EXPECT_EQ(PixelAt(header, pixels, x, y), kBottom) << x << "," << y;
        }
    }
}

TEST(PelmouWindowBitmap, ReadsBackAVisibleWindow) {
    HWND window = CreateTestWindow(true);
    ExpectWindowPicture(window, 120, 80);
    DestroyWindow(window);
}

TEST(PelmouWindowBitmap, ReadsBackAHiddenWindow) {
    HWND window = CreateTestWindow(false);
    ExpectWindowPicture(window, 120, 80);
    DestroyWindow(window);
}

TEST(PelmouWindowBitmap, ReadsBackAControlOfAWindow) {
    HWND parent = CreateTestWindow(true);
    HWND child = CreateTestWindow(true, parent);
    ExpectWindowPicture(child, 60, 40);
    DestroyWindow(parent);
}

// GetWindowBitmap, FlipImage and RTF_AddImage with flag 0x200, as Kadra's log does: the
// picture comes out upright.
TEST(PelmouWindowBitmap, GoesIntoTheLogUpright) {
    HWND window = CreateTestWindow(true);
    BITMAPINFOHEADER header{};
    std::vector<uint8_t> pixels = WindowPicture(window, header);
    DestroyWindow(window);
    ASSERT_FALSE(pixels.empty());
    ASSERT_EQ(FlipImage(header, pixels.data()), 1);

    const std::wstring folder = TempFolder();
    const std::wstring path = folder + L"kadra window.rtf";
    HANDLE log = RTF_Create(path.c_str());
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(RTF_AddText(log, L"SUMMARY\n", RTF_HEADING), 1);
    EXPECT_EQ(RTF_AddImage(log, &header, pixels.data(), RTF_IMAGE_FLIPPED), 1);
    RTF_Close(log);
    const auto blips = PngBlips(ReadFile(path));
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
    ASSERT_EQ(blips.size(), 1u);
    const DecodedPng png = DecodePng(blips[0]);
    ASSERT_EQ(png.width, 120);
    ASSERT_EQ(png.height, 80);
    auto at = [&](int x, int y) {
        const uint8_t* p = png.rgb.data() + (static_cast<std::size_t>(y) * 120 + x) * 3;
        return RGB(p[0], p[1], p[2]);
    };
    EXPECT_EQ(at(60, 5), kTop);
    EXPECT_EQ(at(60, 75), kBottom);
}

TEST(PelmouWindowBitmap, RefusesBadArguments) {
    HWND window = CreateTestWindow(false);
    BITMAPINFOHEADER header{};
    std::vector<uint8_t> pixels(120 * 80 * 4);
    EXPECT_EQ(GetWindowBitmap(window, nullptr, pixels.data()), 0);
    EXPECT_EQ(GetWindowBitmap(nullptr, &header, nullptr), 0);
    header.biSizeImage = 100;  // a buffer too small for the window
    std::vector<uint8_t> small(100, 0xCD);
    EXPECT_EQ(GetWindowBitmap(window, &header, small.data()), 0);
    EXPECT_EQ(small, std::vector<uint8_t>(100, 0xCD));
    EXPECT_EQ(header.biSizeImage, 120u * 80u * 4u);  // the size it needs
    DestroyWindow(window);
    EXPECT_EQ(GetWindowBitmap(window, &header, nullptr), 0);
}

TEST(PelmouFlipImage, ReversesPaddedRowsInPlace) {
    // 3 pixels of 24 bits: 9 bytes a row, padded to 12.
    BITMAPINFOHEADER header = Header(3, 3, 24);
    std::vector<uint8_t> pixels(36);
    for (std::size_t k = 0; k < pixels.size(); ++k)
        pixels[k] = static_cast<uint8_t>(k);
    std::vector<uint8_t> expected(pixels.begin() + 24, pixels.end());
    expected.insert(expected.end(), pixels.begin() + 12, pixels.begin() + 24);
    expected.insert(expected.end(), pixels.begin(), pixels.begin() + 12);
    ASSERT_EQ(FlipImage(header, pixels.data()), 1);
    EXPECT_EQ(pixels, expected);
    header.biHeight = -3;  // top-down rows flip the same way
    ASSERT_EQ(FlipImage(header, pixels.data()), 1);
    ASSERT_EQ(FlipImage(header, pixels.data()), 1);
    EXPECT_EQ(pixels, expected);

    EXPECT_EQ(FlipImage(header, nullptr), 0);
    header.biCompression = BI_RLE8;
    EXPECT_EQ(FlipImage(header, pixels.data()), 0);
    EXPECT_EQ(pixels, expected);
}

// --- message queue ---

TEST(PelmouMessageQueue, DispatchesEveryPendingMessageWithoutWaiting) {
    HWND window = CreateTestWindow(true);
    received.clear();
    PostMessageW(window, WM_APP, 0, 0);
    PostMessageW(window, WM_APP + 1, 0, 0);
    PostMessageW(window, WM_APP + 2, 0, 0);
    PostMessageW(window, WM_KEYDOWN, 'A', 0);  // not a dialog: dispatched as it is
    ServiceMessageQueue();
    EXPECT_EQ(received, (std::vector<UINT>{WM_APP, WM_APP + 1, WM_APP + 2, WM_KEYDOWN}));
    MSG left;
    EXPECT_FALSE(PeekMessageW(&left, window, WM_APP, WM_APP + 2, PM_NOREMOVE));
    ServiceMessageQueue();  // an empty queue: returns at once

    // A quit request stays for the loop that owns the thread.
    PostQuitMessage(7);
    ServiceMessageQueue();
    ASSERT_TRUE(PeekMessageW(&left, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(left.wParam, 7u);
    DestroyWindow(window);
}

std::vector<WPARAM> dialogCommands;

INT_PTR CALLBACK TestDialogProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND) {
        dialogCommands.push_back(LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// A dialog template in memory: a default push button (IDOK) and an edit field.
std::vector<WORD> DialogTemplate() {
    std::vector<WORD> words;
    auto align = [&] {
        if (words.size() % 2) words.push_back(0);
    };
    auto add = [&](DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom) {
        align();
        words.push_back(LOWORD(style));
        words.push_back(HIWORD(style));
        words.push_back(0);  // extended style
        words.push_back(0);
        for (short v : {x, y, cx, cy})
            words.push_back(static_cast<WORD>(v));
        words.push_back(id);
        words.push_back(0xFFFF);
        words.push_back(classAtom);
        words.push_back(0);  // no title
        words.push_back(0);  // no creation data
    };
    const DWORD style = WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME;
    words = {LOWORD(style), HIWORD(style), 0, 0, 2, 10, 10, 120, 60, 0, 0, 0};
    add(WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | WS_BORDER, 5, 5, 100, 12, 100,
        0x0081);
    add(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 5, 25, 50, 14, IDOK, 0x0080);
    return words;
}

TEST(PelmouMessageQueue, SendsKeysForADialogThroughIsDialogMessage) {
    std::vector<WORD> words = DialogTemplate();
    HWND dialog = CreateDialogIndirectW(GetModuleHandleW(nullptr),
                                        reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), nullptr,
                                        TestDialogProc);
    ASSERT_NE(dialog, nullptr);
    LetWindowsPaint();
    HWND edit = GetDlgItem(dialog, 100);
    ASSERT_NE(edit, nullptr);
    dialogCommands.clear();
    // Return in the edit field presses the default button only by way of IsDialogMessage.
    PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
    ServiceMessageQueue();
    EXPECT_NE(std::find(dialogCommands.begin(), dialogCommands.end(), IDOK), dialogCommands.end());
    DestroyWindow(dialog);
}

}  // namespace
}  // namespace pelmou
