#include "raster_graph_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "block_sizes.h"

namespace kadra {
namespace {

// The scale's and the markers' letters: a bold sans serif of the window's system font's size.
constexpr char kGraphFont[] = "DejaVu Sans";
constexpr double kGraphFontPixels = 12.0;

// The labels the throughput passes give their curves (throughput_pass.cpp), which name the
// curve files.
constexpr const wchar_t* kCurvePasses[] = {
    L"write linear synchronous", L"write linear asynchronous", L"read linear synchronous",
    L"read linear asynchronous", L"read random synchronous",   L"read random asynchronous",
};

// Text positions handed to cairo stay within this distance of the area: cairo works in fixed
// point and would wrap coordinates of millions of pixels.
constexpr double kFarAway = 1 << 20;

// Cuts the segment from (x0, y0) to (x1, y1) to the box [left, right] x [top, bottom]
// (Liang-Barsky); false when nothing of it lies in the box.
bool ClipSegment(double& x0, double& y0, double& x1, double& y1, double left, double top,
                 double right, double bottom) {
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    double enter = 0.0;
    double leave = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - left, right - x0, y0 - top, bottom - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
    }
    if (enter > leave) return false;
    const double sx = x0;
    const double sy = y0;
    x0 = sx + enter * dx;
    y0 = sy + enter * dy;
    x1 = sx + leave * dx;
    y1 = sy + leave * dy;
    return true;
}

}  // namespace

RasterGraphCanvas::RasterGraphCanvas(std::string pngPrefix, std::ostream& warnings)
    : pngPrefix_(std::move(pngPrefix)),
      warnings_(warnings),
      surface_(MakeRgbSurface(kGraphAreaWidth, kGraphAreaHeight)),
      context_(cairo_create(surface_.get())) {
    cairo_t* cr = context_.get();
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    SetTextFont(cr, kGraphFont, true, kGraphFontPixels, false);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
}

GraphSize RasterGraphCanvas::Begin() {
    End();
    colour_ = kGraphBlack;
    ApplyColour();
    cairo_paint(context_.get());
    drawing_ = true;
    return {static_cast<uint32_t>(kGraphAreaWidth), static_cast<uint32_t>(kGraphAreaHeight)};
}

void RasterGraphCanvas::End() {
    drawing_ = false;
}

void RasterGraphCanvas::ApplyColour() {
    cairo_set_source_rgb(context_.get(), (colour_ & 0xFF) / 255.0, ((colour_ >> 8) & 0xFF) / 255.0,
                         ((colour_ >> 16) & 0xFF) / 255.0);
}

void RasterGraphCanvas::SetColour(uint32_t colour) {
    if (!drawing_) return;
    colour_ = colour;
    ApplyColour();
}

void RasterGraphCanvas::MoveTo(int32_t x, int32_t y) {
    if (!drawing_) return;
    penX_ = x;
    penY_ = y;
}

void RasterGraphCanvas::LineTo(int32_t x, int32_t y) {
    if (!drawing_) return;
    const int32_t fromX = penX_;
    const int32_t fromY = penY_;
    penX_ = x;
    penY_ = y;
    // Cut to the area and a pixel beyond it first: a point far outside would otherwise cost a
    // step per pixel of the way.
    double x0 = fromX;
    double y0 = fromY;
    double x1 = x;
    double y1 = y;
    if (!ClipSegment(x0, y0, x1, y1, -1.0, -1.0, kGraphAreaWidth, kGraphAreaHeight)) return;
    const bool endInside = x1 == x && y1 == y;
    int64_t px = std::llround(x0);
    int64_t py = std::llround(y0);
    const int64_t endX = std::llround(x1);
    const int64_t endY = std::llround(y1);

    // Bresenham: one pixel per step along the longer axis, so that the line is one pixel wide
    // at every slope; like a GDI line it leaves its end pixel undrawn.
    cairo_surface_t* surface = surface_.get();
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const uint32_t pixel = ((colour_ & 0xFF) << 16) | (colour_ & 0xFF00) | ((colour_ >> 16) & 0xFF);
    const int64_t dx = std::llabs(endX - px);
    const int64_t dy = -std::llabs(endY - py);
    const int64_t stepX = px < endX ? 1 : -1;
    const int64_t stepY = py < endY ? 1 : -1;
    int64_t error = dx + dy;
    for (;;) {
        const bool atEnd = px == endX && py == endY;
        if (atEnd && endInside) break;
        if (px >= 0 && px < kGraphAreaWidth && py >= 0 && py < kGraphAreaHeight) {
            std::memcpy(data + py * stride + px * 4, &pixel, sizeof pixel);
        }
        if (atEnd) break;
        const int64_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            px += stepX;
        }
        if (twice <= dx) {
            error += dx;
            py += stepY;
        }
    }
    cairo_surface_mark_dirty(surface);
}

void RasterGraphCanvas::DrawText(const KText& text, int32_t left, int32_t top, int32_t right,
                                 int32_t bottom) {
    if (!drawing_ || text.empty()) return;
    const int32_t clipLeft = std::max(left, 0);
    const int32_t clipTop = std::max(top, 0);
    const int32_t clipRight = std::min(right, kGraphAreaWidth);
    const int32_t clipBottom = std::min(bottom, kGraphAreaHeight);
    if (clipLeft >= clipRight || clipTop >= clipBottom) return;
    if (std::abs(static_cast<double>(left)) > kFarAway ||
        std::abs(static_cast<double>(top)) > kFarAway)
        return;
    cairo_t* cr = context_.get();
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, clipLeft, clipTop, clipRight - clipLeft, clipBottom - clipTop);
    cairo_clip(cr);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    // The box's top is the top of the letters' cell, as for DrawText with DT_TOP.
    cairo_move_to(cr, left, top + std::round(font.ascent));
    cairo_show_text(cr, ToUtf8(text).c_str());
    cairo_restore(cr);
}

void RasterGraphCanvas::ShowCurveText(const KText& text) {
    curveText_ = text;
}

void RasterGraphCanvas::HoldCurve(uint32_t) {
    if (!curveStarted_) return;
    curveStarted_ = false;
    if (pngPrefix_.empty()) return;
    const std::string name = CurveFileName(pngPrefix_, curvePass_, curveBlockSize_);
    std::string error;
    if (!WritePngFile(surface_.get(), name, &error)) {
        warnings_ << "kadra: warning: curve not written to " << error << "\n" << std::flush;
    }
}

void RasterGraphCanvas::StartCurve(const KText& pass, uint32_t blockSize) {
    curvePass_ = pass;
    curveBlockSize_ = blockSize;
    curveStarted_ = true;
}

std::string RasterGraphCanvas::CurveFileName(const std::string& prefix, const KText& pass,
                                             uint32_t blockSize) {
    return prefix + ToUtf8(pass) + " " + std::to_string(blockSize / 1024) + " kB.png";
}

std::vector<std::string> RasterGraphCanvas::CurveFileNames(const std::string& prefix) {
    std::vector<std::string> names;
    for (const wchar_t* pass : kCurvePasses) {
        for (int k = 0; k < kBlockSizeCount; ++k)
            names.push_back(CurveFileName(prefix, pass, BlockSizeAt(k)));
    }
    return names;
}

DibPicture RasterGraphCanvas::Picture() const {
    return DibOfSurface(surface_.get());
}

}  // namespace kadra
