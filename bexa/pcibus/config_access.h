// Configuration space access: single dwords through configuration mechanism #1 (ports 0xCF8 and
// 0xCFC of the hardware-access service) or the PCI BIOS path, the retry rule, and the block
// operations that move the first dwords of a function between the hardware and a PciDevice.
#pragma once

#include <cstdint>

namespace bexa {

class PciDevice;

// How a function's configuration space is reached.
enum class AccessMode : uint8_t {
    Bios = 0,   // PCI BIOS service, software interrupt 0x1A
    Ports = 1,  // configuration mechanism #1 through ports 0xCF8/0xCFC
};

inline constexpr uint32_t kConfigAddressPort = 0xCF8;
inline constexpr uint32_t kConfigDataPort = 0xCFC;
// Attempts of one dword access under the retry rule.
inline constexpr int kConfigAttempts = 5;
// Dwords held by a configuration image.
inline constexpr int kImageDwords = 64;

// The mechanism #1 address dword: enable bit, bus, device (5 bits), function (3 bits) and
// register (dword index, taken modulo 64).
constexpr uint32_t ConfigAddress(uint8_t bus, uint8_t device, uint8_t function, uint8_t reg) {
    return 0x80000000u | (uint32_t(bus) << 16) | (uint32_t(device & 0x1F) << 11) |
           (uint32_t(function & 0x07) << 8) | (uint32_t(reg & 0x3F) << 2);
}

// One configuration dword. 0 = success, 1 = failure; on the BIOS path any other value is the
// BIOS status byte of a call that did not fail (callers treat it as success).
//
// Port path: the results of the port calls are not examined; the result is always 0. Where the
// service cannot be reached the value read is 0xFFFFFFFF, as for an address nobody answers.
//
// BIOS path: a PCI BIOS service is reached by raising interrupt 0x1A from real or 16-bit
// protected mode, which no process can do on the platforms this program runs on (Windows NT
// family, Wine, Linux). Every BIOS-path access therefore fails with 1 and a read leaves `out`
// untouched, just as a BIOS call returning with the carry flag set would.
int ReadConfigDword(AccessMode mode, uint8_t bus, uint8_t device, uint8_t function, uint8_t reg,
                    uint32_t& out);
int WriteConfigDword(AccessMode mode, uint8_t bus, uint8_t device, uint8_t function, uint8_t reg,
                     uint32_t value);

// The retry rule: runs `access` up to kConfigAttempts times in all, again only while it returns
// exactly 1. Returns the last result; after the last failure the caller simply goes on.
template <typename Access>
int WithRetries(Access&& access) {
    int result = 1;
    for (int attempt = 0; attempt < kConfigAttempts; ++attempt) {
        result = access();
        if (result != 1) break;
    }
    return result;
}

int ReadConfigDwordRetried(AccessMode mode, uint8_t bus, uint8_t device, uint8_t function,
                           uint8_t reg, uint32_t& out);
int WriteConfigDwordRetried(AccessMode mode, uint8_t bus, uint8_t device, uint8_t function,
                            uint8_t reg, uint32_t value);

// Reads registers 0 .. count-1 (count taken modulo 256, and at most the 64 dwords an image
// holds) of bus/devfn into rec's image with rec's mode and the retry rule. Unless readAll is
// set, stops after a register 0 whose vendor ID reads 0xFFFF (an empty slot costs one read).
// Returns 1 when the image's vendor ID or device ID is 0xFFFF, else 0.
int ReadConfigBlock(PciDevice& rec, uint8_t bus, uint8_t devfn, int count, bool readAll);

// Writes image dwords 0 .. count-1 (same limits) of rec to bus/devfn in ascending order with the
// retry rule. Writes nothing and returns 1 unless rec.valid is 1; else returns 0.
int WriteConfigBlock(const PciDevice& rec, uint8_t bus, uint8_t devfn, int count);

// Configuration reads issued on the port path since the program started (benchmarks).
uint64_t ConfigReadCount();

}  // namespace bexa
