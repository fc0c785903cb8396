#include "results_picture.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace kadra {
namespace {

constexpr char kBoxFont[] = "DejaVu Sans Mono";
constexpr double kBoxFontPixels = 12.0;
constexpr int kMargin = 5;          // between the frame and the letters
constexpr int kMaxSide = 16384;     // the largest picture the log takes
constexpr double kFrameGrey = 0.5;  // the box's edge

std::vector<std::string> SplitLines(const KText& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(L'\n', start);
        if (end == KText::npos) end = text.size();
        std::size_t stop = end;
        if (stop > start && text[stop - 1] == L'\r') --stop;
        lines.push_back(ToUtf8(KTextView(text).substr(start, stop - start)));
        start = end + 1;
    }
    // The text's last line end closes a line; it does not open one.
    if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
    return lines;
}

void SetBoxFont(cairo_t* cr) {
    SetTextFont(cr, kBoxFont, false, kBoxFontPixels, true);
}

}  // namespace

CairoSurface RenderResultsPicture(const KText& text) {
    std::vector<std::string> lines = SplitLines(text);

    // Measured on a scratch surface with the same font.
    CairoSurface scratch = MakeRgbSurface(1, 1);
    CairoContext measure(cairo_create(scratch.get()));
    SetBoxFont(measure.get());
    cairo_font_extents_t font;
    cairo_font_extents(measure.get(), &font);
    const int lineHeight = std::max(1, static_cast<int>(std::ceil(font.height)));
    const int ascent = static_cast<int>(std::round(font.ascent));
    double widest = 0.0;
    for (const std::string& line : lines) {
        cairo_text_extents_t extents;
        cairo_text_extents(measure.get(), line.c_str(), &extents);
        widest = std::max(widest, extents.x_advance);
    }
    const int maxLines = (kMaxSide - 2 * kMargin) / lineHeight;
    if (static_cast<int>(lines.size()) > maxLines) lines.resize(static_cast<std::size_t>(maxLines));
    const int width = std::min(kMaxSide, static_cast<int>(std::ceil(widest)) + 2 * kMargin);
    const int height = static_cast<int>(lines.size()) * lineHeight + 2 * kMargin;

    CairoSurface surface = MakeRgbSurface(width, height);
    CairoContext context(cairo_create(surface.get()));
    cairo_t* cr = context.get();
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_source_rgb(cr, kFrameGrey, kFrameGrey, kFrameGrey);
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, 0.5, 0.5, width - 1.0, height - 1.0);
    cairo_stroke(cr);
    SetBoxFont(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        cairo_move_to(cr, kMargin, kMargin + static_cast<int>(i) * lineHeight + ascent);
        cairo_show_text(cr, lines[i].c_str());
    }
    return surface;
}

}  // namespace kadra
