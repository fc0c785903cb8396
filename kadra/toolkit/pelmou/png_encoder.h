// PNG encoding of the RTF writer's pictures.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pelmou {

// A PNG file of an 8-bit RGB picture given as `height` top-down rows of `width` × 3 bytes;
// empty when encoding fails.
std::vector<uint8_t> EncodePng(int width, int height, std::span<const uint8_t> rgb);

}  // namespace pelmou
