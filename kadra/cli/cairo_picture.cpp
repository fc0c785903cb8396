#include "cairo_picture.h"

#include <fontconfig/fontconfig.h>

#include <cstring>

#include "output_file.h"
#include "rtf_writer.h"

namespace kadra {
namespace {

cairo_status_t AppendPngBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// cairo and fontconfig keep the fonts they loaded until the process ends. Destroyed after every
// surface (it is made before the first one), it releases them.
struct FontCacheRelease {
    ~FontCacheRelease() {
        cairo_debug_reset_static_data();
        FcFini();
    }
};

}  // namespace

CairoSurface MakeRgbSurface(int width, int height) {
    static FontCacheRelease release;
    return CairoSurface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
}

void SetTextFont(cairo_t* cr, const char* face, bool bold, double pixels, bool smoothed) {
    cairo_select_font_face(cr, face, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, pixels);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options,
                                     smoothed ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

DibPicture DibOfSurface(cairo_surface_t* surface) {
    DibPicture picture;
    if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return picture;
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    if (!data || width <= 0 || height <= 0) return picture;
    const int stride = cairo_image_surface_get_stride(surface);
    const std::size_t dibStride = pelmou::DibStride(width, 32);
    picture.width = width;
    picture.height = height;
    picture.rows.assign(dibStride * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        const unsigned char* source = data + static_cast<std::size_t>(y) * stride;
        uint8_t* target = picture.rows.data() + static_cast<std::size_t>(y) * dibStride;
        for (int x = 0; x < width; ++x) {
            // cairo keeps a pixel as a native 32-bit word 0x00RRGGBB.
            uint32_t pixel;
            std::memcpy(&pixel, source + 4 * x, sizeof pixel);
            target[4 * x] = static_cast<uint8_t>(pixel);
            target[4 * x + 1] = static_cast<uint8_t>(pixel >> 8);
            target[4 * x + 2] = static_cast<uint8_t>(pixel >> 16);
        }
    }
    return picture;
}

bool EncodePng(cairo_surface_t* surface, std::string* png, std::string* reason) {
    png->clear();
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, AppendPngBytes, png);
    if (status == CAIRO_STATUS_SUCCESS) return true;
    if (reason) *reason = cairo_status_to_string(status);
    png->clear();
    return false;
}

bool WritePngFile(cairo_surface_t* surface, const std::string& path, std::string* error) {
    std::string png;
    std::string reason;
    if (!EncodePng(surface, &png, &reason)) {
        *error = path + ": " + reason;
        return false;
    }
    return outfile::WriteOutputFile(outfile::PathFromNarrow(path), png, error);
}

}  // namespace kadra
