#include <windows.h>

#include <cfgmgr32.h>

#include <cstring>

#include "pnp_resources_win32.h"

namespace tvk {

namespace {

template <typename Header>
bool Take(const void* data, size_t size, Header& header) {
    if (!data || size < sizeof header) return false;
    std::memcpy(&header, data, sizeof header);
    return true;
}

PnpRange::Decode MemoryDecode(DWORD flags) {
    if (flags & fMD_MEMORY_BAR) return PnpRange::Decode::Bar;
    if (flags & fMD_WINDOW_DECODE) return PnpRange::Decode::Window;
    return PnpRange::Decode::Unmarked;
}

void AddRange(PnpDevice& device, PnpRange::Space space, uint64_t base, uint64_t end, DWORD flags,
              bool large) {
    if (end < base) return;
    PnpRange r;
    r.space = space;
    r.start = base;
    r.length = end - base + 1;  // the end is inclusive; a full 64-bit range gives 0, no BAR
    if (space == PnpRange::Space::Memory) {
        r.prefetchable = (flags & fMD_Prefetchable) == fMD_PrefetchAllowed;
        r.wide = large || end > 0xFFFFFFFFull;
        r.decode = MemoryDecode(flags);
    } else {
        r.decode = (flags & fIOD_PORT_BAR)        ? PnpRange::Decode::Bar
                   : (flags & fIOD_WINDOW_DECODE) ? PnpRange::Decode::Window
                                                  : PnpRange::Decode::Unmarked;
    }
    device.ranges.push_back(r);
}

}  // namespace

std::vector<std::string> PnpStringList(const wchar_t* buffer, size_t count) {
    std::vector<std::string> strings;
    std::string current;
    for (size_t i = 0; buffer && i < count; ++i) {
        const wchar_t ch = buffer[i];
        if (ch == L'\0') {
            if (current.empty()) break;  // the empty string that ends the list
            strings.push_back(current);
            current.clear();
        } else {
            current.push_back(ch < 0x80 ? char(ch) : '?');
        }
    }
    if (!current.empty()) strings.push_back(current);
    return strings;
}

void AddPnpResource(uint32_t resourceType, const void* data, size_t size, PnpDevice& device) {
    switch (resourceType) {
        case ResType_Mem: {
            MEM_DES d;
            if (Take(data, size, d))
                AddRange(device, PnpRange::Space::Memory, d.MD_Alloc_Base, d.MD_Alloc_End,
                         d.MD_Flags, false);
            break;
        }
        case ResType_MemLarge: {
            MEM_LARGE_DES d;
            if (Take(data, size, d))
                AddRange(device, PnpRange::Space::Memory, d.MLD_Alloc_Base, d.MLD_Alloc_End,
                         d.MLD_Flags, true);
            break;
        }
        case ResType_IO: {
            IO_DES d;
            if (Take(data, size, d))
                AddRange(device, PnpRange::Space::Io, d.IOD_Alloc_Base, d.IOD_Alloc_End,
                         d.IOD_DesFlags, false);
            break;
        }
        case ResType_IRQ: {
            IRQ_DES d;
            if (Take(data, size, d) && !device.interruptLine)
                device.interruptLine = d.IRQD_Alloc_Num;
            break;
        }
        default:
            break;
    }
}

}  // namespace tvk
