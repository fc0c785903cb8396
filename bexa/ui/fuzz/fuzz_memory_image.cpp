// libFuzzer target for the BAR window's memory image load. The first byte picks the window's
// length (0 to 1020 bytes, any remainder of a dword included), the rest is the image file.
// The load writes only inside the window, takes whole dwords from the file in order, and a
// last partial dword changes only the bytes the file has.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "memory_tools.h"

namespace {

constexpr uint32_t kGuard = 0xA5A5A5A5u;
constexpr uint32_t kOld = 0x5A5A5A5Au;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint32_t length = uint32_t(data[0]) * 4u + (data[0] & 3u);
    const uint8_t* image = data + 1;
    const size_t imageSize = size - 1;
    const uint32_t windowWords = length / 4;

    // The window's dwords, with guard dwords after them.
    std::vector<uint32_t> words(windowWords + 4, kGuard);
    for (uint32_t i = 0; i < windowWords; ++i)
        words[i] = kOld;

    std::vector<uint8_t> copy(image, image + imageSize);
    std::FILE* file = imageSize ? fmemopen(copy.data(), copy.size(), "rb") : std::tmpfile();
    if (file == nullptr) return 0;
    bexa::LoadImage(file, words.data(), length);
    std::fclose(file);

    for (size_t i = windowWords; i < words.size(); ++i)
        if (words[i] != kGuard) __builtin_trap();  // wrote past the window
    for (uint32_t i = 0; i < windowWords; ++i) {
        uint8_t expected[4];
        std::memcpy(expected, &kOld, 4);
        for (size_t b = 0; b < 4; ++b) {
            const size_t at = size_t(i) * 4 + b;
            if (at < imageSize) expected[b] = image[at];
        }
        uint32_t want;
        std::memcpy(&want, expected, 4);
        if (words[i] != want) __builtin_trap();
    }
    return 0;
}
