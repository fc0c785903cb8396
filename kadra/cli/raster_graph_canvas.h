// The graph canvas of the native program: the window's graph area (436 x 416 pixels) drawn off
// screen on a cairo image surface, black, with solid 1-pixel lines (stepped pixel by pixel, as
// GDI draws them) and texts without antialiasing, so that lines and letters are whole pixels as
// on the window. Its picture goes into the RTF log and, with a
// file prefix, every complete curve into a PNG file of its own.
#pragma once

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "cairo_picture.h"
#include "graph_canvas.h"

namespace kadra {

inline constexpr int kGraphAreaWidth = 436;
inline constexpr int kGraphAreaHeight = 416;

class RasterGraphCanvas : public GraphCanvas {
  public:
    // pngPrefix: each complete curve is also written as "<pngPrefix><pass> <kB> kB.png" (empty:
    // no files); a file that cannot be written is told on `warnings` in one line.
    explicit RasterGraphCanvas(std::string pngPrefix = {}, std::ostream& warnings = std::cerr);

    GraphSize Begin() override;
    void End() override;
    void SetColour(uint32_t colour) override;
    void MoveTo(int32_t x, int32_t y) override;
    void LineTo(int32_t x, int32_t y) override;
    void DrawText(const KText& text, int32_t left, int32_t top, int32_t right,
                  int32_t bottom) override;
    // Keeps the line; it is not part of the picture (the window shows it in a control of its
    // own).
    void ShowCurveText(const KText& text) override;
    // Does not wait: the curve is complete, and its PNG file is written.
    void HoldCurve(uint32_t milliseconds) override;

    // The curve that follows: the pass's label and block size name its PNG file. The native
    // program calls it when a pass starts a block size.
    void StartCurve(const KText& pass, uint32_t blockSize);

    // The file name of a curve: "<prefix><pass> <kB> kB.png".
    static std::string CurveFileName(const std::string& prefix, const KText& pass,
                                     uint32_t blockSize);
    // Every name a curve file can take with the prefix: each pass, synchronous or queued, at
    // each block size.
    static std::vector<std::string> CurveFileNames(const std::string& prefix);

    // The picture as it stands.
    DibPicture Picture() const;
    cairo_surface_t* surface() const { return surface_.get(); }
    const KText& curveText() const { return curveText_; }

  private:
    void ApplyColour();

    std::string pngPrefix_;
    std::ostream& warnings_;
    CairoSurface surface_;
    CairoContext context_;
    bool drawing_ = false;  // between Begin and End
    uint32_t colour_ = kGraphBlack;
    int32_t penX_ = 0;  // the current position, as MoveTo and LineTo leave it
    int32_t penY_ = 0;
    KText curveText_;
    KText curvePass_;
    uint32_t curveBlockSize_ = 0;
    bool curveStarted_ = false;
};

}  // namespace kadra
