#include "graph_canvas_win32.h"

#include "pelmou.h"

namespace kadra {
namespace {

constexpr wchar_t kCanvasProperty[] = L"KadraGraphCanvas";

// The graph area's procedure while a canvas owns it: paints the kept picture.
LRESULT CALLBACK AreaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* canvas = static_cast<GdiGraphCanvas*>(GetPropW(window, kCanvasProperty));
    auto original = reinterpret_cast<WNDPROC>(GetPropW(window, L"KadraGraphAreaProc"));
    if (canvas) {
        if (message == WM_ERASEBKGND) return 1;
        if (message == WM_PAINT) {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            if (!canvas->PaintKept(dc)) {
                RECT client;
                GetClientRect(window, &client);
                FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            }
            EndPaint(window, &paint);
            return 0;
        }
    }
    return CallWindowProcW(original, window, message, wParam, lParam);
}

}  // namespace

GdiGraphCanvas::GdiGraphCanvas(XDIALOG* dialog) : dialog_(dialog), area_(XDialogItem(dialog, 15)) {
    if (!area_) return;
    SetPropW(area_, kCanvasProperty, this);
    areaProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(area_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AreaProc)));
    SetPropW(area_, L"KadraGraphAreaProc", reinterpret_cast<HANDLE>(areaProc_));
}

GdiGraphCanvas::~GdiGraphCanvas() {
    End();
    if (area_ && IsWindow(area_)) {
        SetWindowLongPtrW(area_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(areaProc_));
        RemovePropW(area_, kCanvasProperty);
        RemovePropW(area_, L"KadraGraphAreaProc");
    }
    if (memory_) {
        SelectObject(memory_, memoryOldBitmap_);
        DeleteDC(memory_);
    }
    if (bitmap_) DeleteObject(bitmap_);
}

void GdiGraphCanvas::KeepBitmap(int width, int height) {
    if (memory_ && width == width_ && height == height_) return;
    HDC screen = screen_ ? screen_ : GetDC(area_);
    if (!memory_) {
        memory_ = CreateCompatibleDC(screen);
        if (!memory_) {
            if (!screen_) ReleaseDC(area_, screen);
            return;
        }
    }
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width > 0 ? width : 1, height > 0 ? height : 1);
    if (!screen_) ReleaseDC(area_, screen);
    if (!bitmap) return;
    HGDIOBJ previous = SelectObject(memory_, bitmap);
    if (bitmap_) {
        DeleteObject(bitmap_);
    } else {
        memoryOldBitmap_ = previous;
    }
    bitmap_ = bitmap;
    width_ = width;
    height_ = height;
}

GraphSize GdiGraphCanvas::Begin() {
    if (!area_) return {};
    End();
    screen_ = GetDC(area_);
    if (!screen_) return {};
    RECT client;
    GetClientRect(area_, &client);
    KeepBitmap(client.right, client.bottom);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    for (HDC dc : {screen_, memory_}) {
        if (!dc) continue;
        SetBkColor(dc, RGB(0, 0, 0));
        FillRect(dc, &client, black);
    }
    drawn_ = memory_ != nullptr;
    return {static_cast<uint32_t>(client.right), static_cast<uint32_t>(client.bottom)};
}

void GdiGraphCanvas::ReleasePens() {
    if (!pen_) return;
    if (screen_) SelectObject(screen_, screenOldPen_);
    if (memory_) SelectObject(memory_, memoryOldPen_);
    DeleteObject(pen_);
    pen_ = nullptr;
}

void GdiGraphCanvas::End() {
    ReleasePens();
    if (screen_) {
        ReleaseDC(area_, screen_);
        screen_ = nullptr;
    }
}

void GdiGraphCanvas::SetColour(uint32_t colour) {
    if (!screen_) return;
    ReleasePens();
    pen_ = CreatePen(PS_SOLID, 1, colour);
    if (!pen_) return;
    screenOldPen_ = SelectObject(screen_, pen_);
    if (memory_) memoryOldPen_ = SelectObject(memory_, pen_);
    for (HDC dc : {screen_, memory_})
        if (dc) SetTextColor(dc, colour);
}

void GdiGraphCanvas::MoveTo(int32_t x, int32_t y) {
    if (!screen_) return;
    MoveToEx(screen_, x, y, nullptr);
    if (memory_) MoveToEx(memory_, x, y, nullptr);
}

void GdiGraphCanvas::LineTo(int32_t x, int32_t y) {
    if (!screen_) return;
    ::LineTo(screen_, x, y);
    if (memory_) ::LineTo(memory_, x, y);
}

void GdiGraphCanvas::DrawText(const KText& text, int32_t left, int32_t top, int32_t right,
                              int32_t bottom) {
    if (!screen_) return;
    for (HDC dc : {screen_, memory_}) {
        if (!dc) continue;
        RECT box{left, top, right, bottom};
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
                    DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
}

void GdiGraphCanvas::ShowCurveText(const KText& text) {
    SetControlText(dialog_, 16, text.c_str(), 0);
}

void GdiGraphCanvas::HoldCurve(uint32_t milliseconds) {
    const double until = StopWatch(0, SW_NOW) + milliseconds;
    for (;;) {
        ::ServiceMessageQueue();
        const double left = until - StopWatch(0, SW_NOW);
        if (left <= 0) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 20 ? static_cast<DWORD>(left) + 1 : 20,
                                  QS_ALLINPUT);
    }
}

bool GdiGraphCanvas::PaintKept(HDC target) const {
    if (!drawn_ || !memory_) return false;
    BitBlt(target, 0, 0, width_, height_, memory_, 0, 0, SRCCOPY);
    return true;
}

}  // namespace kadra
