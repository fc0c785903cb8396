// The graph canvas on the dialog's graph area (control 15): GDI drawing into the area and, at
// the same time, into a memory bitmap of the area's size, from which the area repaints itself.
// The last curve therefore survives being covered and uncovered. The statistics line is the
// one-line text control 16.
#pragma once

#include <windows.h>

#include "graph_canvas.h"
#include "vorlu.h"

namespace kadra {

class GdiGraphCanvas : public GraphCanvas {
  public:
    // Takes over the painting of the dialog's graph area.
    explicit GdiGraphCanvas(XDIALOG* dialog);
    ~GdiGraphCanvas() override;
    GdiGraphCanvas(const GdiGraphCanvas&) = delete;
    GdiGraphCanvas& operator=(const GdiGraphCanvas&) = delete;

    GraphSize Begin() override;
    void End() override;
    void SetColour(uint32_t colour) override;
    void MoveTo(int32_t x, int32_t y) override;
    void LineTo(int32_t x, int32_t y) override;
    void DrawText(const KText& text, int32_t left, int32_t top, int32_t right,
                  int32_t bottom) override;
    void ShowCurveText(const KText& text) override;
    // Waits, keeping the window alive: pending messages are dispatched meanwhile.
    void HoldCurve(uint32_t milliseconds) override;

    HWND area() const { return area_; }
    // Copies the kept picture to a paint context of the area; false while nothing was drawn.
    bool PaintKept(HDC target) const;

  private:
    void KeepBitmap(int width, int height);
    void ReleasePens();

    XDIALOG* dialog_;
    HWND area_;
    HDC screen_ = nullptr;  // between Begin and End
    HDC memory_ = nullptr;  // the kept picture's context, for the program's whole run
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ memoryOldBitmap_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    HPEN pen_ = nullptr;  // the current pen, selected into both contexts
    HGDIOBJ screenOldPen_ = nullptr;
    HGDIOBJ memoryOldPen_ = nullptr;
    bool drawn_ = false;
    WNDPROC areaProc_ = nullptr;
};

}  // namespace kadra
