#include "block_sizes.h"

namespace kadra {

bool BlockSizeSelected(uint32_t blockSize, bool quick, std::span<const uint32_t, 4> productSizes) {
    if (!quick) return true;
    for (uint32_t size : productSizes) {
        if (size == blockSize) return true;
    }
    return false;
}

}  // namespace kadra
