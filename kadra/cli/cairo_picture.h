// Pictures drawn with cairo, as the log and the curve files take them: the rows of a DIB, and a
// PNG file.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kadra {

struct CairoSurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct CairoContextDeleter {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using CairoSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter>;
using CairoContext = std::unique_ptr<cairo_t, CairoContextDeleter>;

// An image surface of 24-bit colour (no alpha) of the size. The font caches that drawing text on
// it fills are given back when the program ends, so that a leak checker sees a clean end.
CairoSurface MakeRgbSurface(int width, int height);

// Selects the font for the context's texts: a face, normal or bold, its size in pixels, fully
// hinted, and smoothed or not.
void SetTextFont(cairo_t* cr, const char* face, bool bold, double pixels, bool smoothed);

// A picture as the rows of a 32-bit DIB: top row first, each pixel blue, green, red and an
// unused zero byte, every row padded to pelmou::DibStride(width, 32).
struct DibPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rows;
};

// The image surface's pixels as DIB rows (empty for a surface that is not an image surface).
DibPicture DibOfSurface(cairo_surface_t* surface);

// The surface as the bytes of a PNG file. False with cairo's reason when it cannot be encoded.
bool EncodePng(cairo_surface_t* surface, std::string* png, std::string* reason);

// Writes the surface as a PNG file at the path (UTF-8) through the output-file component: the
// path holds the whole picture or what it held before, and a link, a FIFO or a protected input
// there is never written into. False with `error` set ("<path>: <reason>").
bool WritePngFile(cairo_surface_t* surface, const std::string& path, std::string* error);

}  // namespace kadra
