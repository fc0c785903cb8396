// Decoding of the PNG pictures the writer embeds, for the tests.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pelmou {

struct DecodedPng {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // top-down rows, 3 bytes a pixel; empty when not a PNG
};

DecodedPng DecodePng(std::span<const uint8_t> png);

// The PNG pictures of an RTF document, from the hex data of its \pngblip groups.
std::vector<std::vector<uint8_t>> PngBlips(const std::string& rtf);

}  // namespace pelmou
