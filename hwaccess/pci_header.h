// The parts of a PCI configuration header that the simulated machine and the machine files
// both read: which BARs and which expansion ROM register a header type has, and the sizes a
// BAR can decode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tvk {

// Offset of BAR 0; BAR n is at kFirstBar + 4n.
constexpr size_t kFirstBar = 0x10;

// BAR size limits in bytes: I/O, 32-bit and 64-bit memory, expansion ROM.
constexpr uint64_t kMinIoBar = 4;
constexpr uint64_t kMaxIoBar = 65536;
constexpr uint64_t kMinMemoryBar = 16;
constexpr uint64_t kMaxMemory32Bar = uint64_t(1) << 31;
constexpr uint64_t kMaxMemory64Bar = uint64_t(1) << 63;
constexpr uint64_t kMinRom = 2048;
constexpr uint64_t kMaxRom = uint64_t(1) << 31;

// BARs and expansion ROM by header type: type 0 has BAR 0-5 and a ROM at 0x30, type 1
// (PCI-to-PCI bridge) BAR 0-1 and a ROM at 0x38, type 2 (CardBus bridge) BAR 0 and no ROM.
struct HeaderLayout {
    int bars;
    size_t romOffset;  // 0 = none
};

inline HeaderLayout LayoutOfHeader(uint8_t headerTypeByte) {
    switch (headerTypeByte & 0x7F) {
        case 1:
            return {2, 0x38};
        case 2:
            return {1, 0};
        default:
            return {6, 0x30};
    }
}

inline uint32_t ConfigDword(const std::vector<uint8_t>& config, size_t offset) {
    return uint32_t(config[offset]) | uint32_t(config[offset + 1]) << 8 |
           uint32_t(config[offset + 2]) << 16 | uint32_t(config[offset + 3]) << 24;
}

}  // namespace tvk
