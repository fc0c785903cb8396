#include "memory_map.h"

#include <cstdio>

namespace bexa {

namespace {

constexpr uint32_t kBlockSize = 0x00800000u;
constexpr uint32_t kLastBlockEnd = 0xFF800000u;  // the block FF800000-FFFFFFFF is not listed

void Append(std::string& text, const char* format, auto... values) {
    char buffer[96];
    const int length = std::snprintf(buffer, sizeof buffer, format, values...);
    if (length > 0) text.append(buffer, size_t(length) < sizeof buffer ? size_t(length) : 0);
}

// One more blank after an entry of a device numbered 0-9 keeps the columns aligned.
void AlignAfter(std::string& text, const PciDevice& d) {
    if (d.Device() <= 9) text += ' ';
}

// A bridge window from a 16-bit base and limit register: both name 1 MByte units.
bool WindowContains(uint16_t base, uint16_t limit, uint32_t address) {
    const uint32_t start = uint32_t(base & 0xFFF0) << 16;
    const uint32_t end = uint32_t(limit & 0xFFF0) << 16;
    return start <= address && address <= end;
}

}  // namespace

std::string MemoryMapText(const PciDeviceList& list, MapSpace space, const char* lineEnd) {
    const bool memory = space == MapSpace::Memory;
    std::string text;
    for (uint32_t a = 0; a < kLastBlockEnd; a += kBlockSize) {
        Append(text, "%08X <- ", a);
        if (memory) {
            for (int i = 0; i < list.Count(); ++i) {
                const PciDevice& d = list.Entry(i);
                if (!d.IsPciBridge()) continue;
                if (WindowContains(d.MemoryBase(), d.MemoryLimit(), a)) {
                    Append(text, " memPPB(%d.%d.%d)", d.bus, d.Device(), d.Function());
                    AlignAfter(text, d);
                }
                if (WindowContains(d.PrefetchableBase(), d.PrefetchableLimit(), a)) {
                    Append(text, " pref.memPPB(%d.%d.%d)", d.bus, d.Device(), d.Function());
                    AlignAfter(text, d);
                }
            }
        }
        text += " : ";
        for (int i = 0; i < list.Count(); ++i) {
            const PciDevice& d = list.Entry(i);
            for (int n = 0; n < 6; ++n) {
                const uint32_t v = d.Bar(n);  // 0 for a BAR the header layout does not have
                if (v == 0) continue;
                const bool io = (v & 1) != 0;
                if (io == memory) continue;
                if (!(a <= v && v < a + 0x7FFFFFu)) continue;
                Append(text, " BAR%d(%d.%d.%d)%04X.%04X  ", n, d.bus, d.Device(), d.Function(),
                       d.VendorId(), d.DeviceId());
                AlignAfter(text, d);
            }
        }
        text += lineEnd;
    }
    return text;
}

}  // namespace bexa
