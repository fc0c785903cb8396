// The surface the throughput graph is drawn on: the graph area of the window (GDI) or, in tests
// and in the native program, a recording or an empty one. Coordinates are pixels of the area,
// y growing downwards; points outside the area are clipped by the canvas.
#pragma once

#include <cstdint>

#include "ktext.h"

namespace kadra {

// Colours as the system stores them: 0x00BBGGRR.
constexpr uint32_t GraphRgb(uint32_t red, uint32_t green, uint32_t blue) {
    return red | (green << 8) | (blue << 16);
}
inline constexpr uint32_t kGraphWhite = GraphRgb(255, 255, 255);
inline constexpr uint32_t kGraphRed = GraphRgb(255, 0, 0);
inline constexpr uint32_t kGraphGreen = GraphRgb(0, 255, 0);
inline constexpr uint32_t kGraphBlack = GraphRgb(0, 0, 0);

struct GraphSize {
    uint32_t width = 0;
    uint32_t height = 0;
};

class GraphCanvas {
  public:
    virtual ~GraphCanvas() = default;
    // Takes the drawing context, sets the text background to black and fills the whole area
    // black; returns the area's size in pixels.
    virtual GraphSize Begin() = 0;
    // Gives the pen back and releases the drawing context.
    virtual void End() = 0;
    // A solid pen of 1 pixel in the colour; texts take the same colour.
    virtual void SetColour(uint32_t colour) = 0;
    virtual void MoveTo(int32_t x, int32_t y) = 0;
    virtual void LineTo(int32_t x, int32_t y) = 0;
    // Draws the text in the box, clipped to it.
    virtual void DrawText(const KText& text, int32_t left, int32_t top, int32_t right,
                          int32_t bottom) = 0;
    // The one-line statistics text above the graph; shown also while the graph is off.
    virtual void ShowCurveText(const KText& text) = 0;
    // Keeps a finished curve in view for the time before the run goes on.
    virtual void HoldCurve(uint32_t milliseconds) = 0;
};

// Canvas of no size that draws nothing and does not wait.
class NullGraphCanvas : public GraphCanvas {
  public:
    GraphSize Begin() override { return {}; }
    void End() override {}
    void SetColour(uint32_t) override {}
    void MoveTo(int32_t, int32_t) override {}
    void LineTo(int32_t, int32_t) override {}
    void DrawText(const KText&, int32_t, int32_t, int32_t, int32_t) override {}
    void ShowCurveText(const KText&) override {}
    void HoldCurve(uint32_t) override {}
};

}  // namespace kadra
