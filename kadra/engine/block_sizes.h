// The series of block sizes every throughput pass runs through, and the Quick filter.
#pragma once

#include <cstdint>
#include <span>

namespace kadra {

constexpr uint32_t kFirstBlockSize = 16384;
constexpr uint32_t kLastBlockSize = 2097152;
// 16, 32, 64, 128, 256, 512, 1024 and 2048 KiB: block-size index k gives 16384 << k.
constexpr int kBlockSizeCount = 8;

constexpr uint32_t BlockSizeAt(int k) {
    return kFirstBlockSize << k;
}

// Whether the block size runs: always, unless `quick` is set; then only when it is one of
// the selected product's four block sizes (video read, audio read, video write, audio write).
bool BlockSizeSelected(uint32_t blockSize, bool quick, std::span<const uint32_t, 4> productSizes);

}  // namespace kadra
