#include "png_decoder.h"

#include <string>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include "stb_image.h"

namespace pelmou {

DecodedPng DecodePng(std::span<const uint8_t> png) {
    DecodedPng decoded;
    int channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(png.data(), static_cast<int>(png.size()),
                                            &decoded.width, &decoded.height, &channels, 3);
    if (pixels == nullptr) return {};
    decoded.rgb.assign(pixels, pixels + static_cast<std::size_t>(decoded.width) *
                                            static_cast<std::size_t>(decoded.height) * 3);
    stbi_image_free(pixels);
    return decoded;
}

std::vector<std::vector<uint8_t>> PngBlips(const std::string& rtf) {
    std::vector<std::vector<uint8_t>> pictures;
    std::size_t at = 0;
    while ((at = rtf.find("\\pngblip", at)) != std::string::npos) {
        // The hex data follows the picture's control words and ends with its group.
        std::size_t data = rtf.find_first_of("\r\n ", at);
        std::size_t end = rtf.find('}', at);
        if (data == std::string::npos || end == std::string::npos || data > end) break;
        std::vector<uint8_t> bytes;
        int high = -1;
        for (std::size_t k = data; k < end; ++k) {
            const char c = rtf[k];
            int value;
            if (c >= '0' && c <= '9') {
                value = c - '0';
            } else if (c >= 'a' && c <= 'f') {
                value = c - 'a' + 10;
            } else if (c >= 'A' && c <= 'F') {
                value = c - 'A' + 10;
            } else {
                continue;
            }
            if (high < 0) {
                high = value;
            } else {
                bytes.push_back(static_cast<uint8_t>(high * 16 + value));
                high = -1;
            }
        }
        pictures.push_back(std::move(bytes));
        at = end;
    }
    return pictures;
}

}  // namespace pelmou
