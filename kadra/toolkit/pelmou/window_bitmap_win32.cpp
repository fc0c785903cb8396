// Pictures of windows as DIBs: GetWindowBitmap and FlipImage.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "pelmou.h"
#include "rtf_writer.h"

namespace {

// Draws the whole window, frame included, into `target` (a memory DC of the window's size).
// A window on the screen is copied from its window DC, which also holds what the program drew
// there outside WM_PAINT; a hidden or minimised window is asked to print itself.
bool DrawWindow(HWND window, HDC windowDc, HDC target, int width, int height) {
    if (IsWindowVisible(window) && !IsIconic(window)) {
        return BitBlt(target, 0, 0, width, height, windowDc, 0, 0, SRCCOPY) != 0;
    }
    return PrintWindow(window, target, 0) != 0;
}

}  // namespace

extern "C" {

int WINAPI GetWindowBitmap(HWND window, BITMAPINFOHEADER* header, void* pixels) {
    if (header == nullptr || !IsWindow(window)) return 0;
    RECT rect;
    if (!GetWindowRect(window, &rect)) return 0;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return 0;

    const DWORD capacity = header->biSizeImage;  // of the buffer, from an earlier call
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(pelmou::DibStride(width, 32) * height);
    info.biXPelsPerMeter = 3780;  // 96 dots per inch
    info.biYPelsPerMeter = 3780;
    *header = info;
    if (pixels == nullptr) return 1;
    // The window may have grown since the buffer was sized: never write past it.
    if (capacity < info.biSizeImage) return 0;

    HDC windowDc = GetWindowDC(window);
    if (windowDc == nullptr) return 0;
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP bitmap = CreateCompatibleBitmap(windowDc, width, height);
    int result = 0;
    if (memoryDc != nullptr && bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memoryDc, bitmap);
        const bool drawn = DrawWindow(window, windowDc, memoryDc, width, height);
        SelectObject(memoryDc, previous);
        BITMAPINFOHEADER request = info;
        if (drawn && GetDIBits(memoryDc, bitmap, 0, static_cast<UINT>(height), pixels,
                               reinterpret_cast<BITMAPINFO*>(&request), DIB_RGB_COLORS) == height) {
            result = 1;
        }
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (memoryDc != nullptr) DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    return result;
}

int WINAPI FlipImage(BITMAPINFOHEADER header, void* pixels) {
    if (pixels == nullptr || header.biWidth <= 0 || header.biBitCount == 0 ||
        header.biBitCount > 32 || header.biHeight < -65536 || header.biHeight > 65536 ||
        (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS)) {
        return 0;
    }
    const std::size_t stride = pelmou::DibStride(header.biWidth, header.biBitCount);
    const int rows = std::abs(header.biHeight);
    auto* bytes = static_cast<unsigned char*>(pixels);
    std::vector<unsigned char> row(stride);
    for (int top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
        unsigned char* a = bytes + stride * static_cast<std::size_t>(top);
        unsigned char* b = bytes + stride * static_cast<std::size_t>(bottom);
        std::memcpy(row.data(), a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, row.data(), stride);
    }
    return 1;
}

}  // extern "C"
