// stb_image_write does the encoding: Debian's libstb-dev, header-only, so the native programs
// and the Win32 DLL build the same encoder from the same source.
#include "png_encoder.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include "stb_image_write.h"

namespace pelmou {
namespace {

void Append(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

std::vector<uint8_t> EncodePng(int width, int height, std::span<const uint8_t> rgb) {
    std::vector<uint8_t> png;
    if (width <= 0 || height <= 0 ||
        rgb.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
        return png;
    }
    if (stbi_write_png_to_func(Append, &png, width, height, 3, rgb.data(), width * 3) == 0) {
        png.clear();
    }
    return png;
}

}  // namespace pelmou
