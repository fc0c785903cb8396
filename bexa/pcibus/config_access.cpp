#include "config_access.h"

#include <algorithm>

#include "pci_device.h"
#include "travik.h"

namespace bexa {

namespace {

uint64_t configReads = 0;

// Register count of a block: modulo 256 as a byte, never beyond the image.
int BlockCount(int count) {
    return std::min(count & 0xFF, kImageDwords);
}

int BiosReadConfigDword(uint8_t, uint8_t, uint8_t, uint8_t, uint32_t&) {
    return 1;
}
int BiosWriteConfigDword(uint8_t, uint8_t, uint8_t, uint8_t, uint32_t) {
    return 1;
}

}  // namespace

int ReadConfigDword(AccessMode mode, uint8_t bus, uint8_t device, uint8_t function, uint8_t reg,
                    uint32_t& out) {
    if (mode != AccessMode::Ports) {
        return BiosReadConfigDword(bus, device, function, reg, out);
    }
    const uint32_t address = ConfigAddress(bus, device, function, reg);
    uint32_t value = 0xFFFFFFFFu;
    TVK_OutPort(kConfigAddressPort, &address, 1, 32);
    TVK_InPort(kConfigDataPort, &value, 1, 32);
    ++configReads;
    out = value;
    return 0;
}

int WriteConfigDword(AccessMode mode, uint8_t bus, uint8_t device, uint8_t function, uint8_t reg,
                     uint32_t value) {
    if (mode != AccessMode::Ports) {
        return BiosWriteConfigDword(bus, device, function, reg, value);
    }
    const uint32_t address = ConfigAddress(bus, device, function, reg);
    TVK_OutPort(kConfigAddressPort, &address, 1, 32);
    TVK_OutPort(kConfigDataPort, &value, 1, 32);
    return 0;
}

int ReadConfigDwordRetried(AccessMode mode, uint8_t bus, uint8_t device, uint8_t function,
                           uint8_t reg, uint32_t& out) {
    return WithRetries([&] { return ReadConfigDword(mode, bus, device, function, reg, out); });
}

int WriteConfigDwordRetried(AccessMode mode, uint8_t bus, uint8_t device, uint8_t function,
                            uint8_t reg, uint32_t value) {
    return WithRetries([&] { return WriteConfigDword(mode, bus, device, function, reg, value); });
}

int ReadConfigBlock(PciDevice& rec, uint8_t bus, uint8_t devfn, int count, bool readAll) {
    const uint8_t device = devfn >> 3;
    const uint8_t function = devfn & 7;
    const int n = BlockCount(count);
    // A dword whose reads all failed keeps the buffer's previous content; before the first
    // register that is all ones, so a function that never answers reads as an empty slot.
    uint32_t buffer = 0xFFFFFFFFu;
    int read = 0;
    for (int r = 0; r < n; ++r) {
        ReadConfigDwordRetried(rec.mode, bus, device, function, uint8_t(r), buffer);
        rec.image[r] = buffer;
        read = r + 1;
        if (!readAll && (rec.image[0] & 0xFFFF) == 0xFFFF) break;
    }
    rec.dwordsRead = read;
    return ((rec.image[0] & 0xFFFF) == 0xFFFF || (rec.image[0] >> 16) == 0xFFFF) ? 1 : 0;
}

int WriteConfigBlock(const PciDevice& rec, uint8_t bus, uint8_t devfn, int count) {
    if (rec.valid != 1) return 1;
    const uint8_t device = devfn >> 3;
    const uint8_t function = devfn & 7;
    const int n = BlockCount(count);
    for (int r = 0; r < n; ++r) {
        WriteConfigDwordRetried(rec.mode, bus, device, function, uint8_t(r), rec.image[r]);
    }
    return 0;
}

uint64_t ConfigReadCount() {
    return configReads;
}

}  // namespace bexa
