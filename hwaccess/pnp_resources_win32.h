// Decoding what the Configuration Manager gives for one PCI function into the plain data of
// pnp_image.h: its string lists and its resource descriptors (memory, large memory, I/O and
// interrupt). Used by live_machine_win32.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pnp_image.h"

namespace tvk {

// The strings of a REG_MULTI_SZ / DEVPROP_TYPE_STRING_LIST buffer of `count` wide characters,
// as narrow text (characters outside ASCII become '?'); an unterminated buffer ends at `count`.
std::vector<std::string> PnpStringList(const wchar_t* buffer, size_t count);

// Adds the resource descriptor `data` (`size` bytes, of the cfgmgr32 type `resourceType`) to
// `device`: ResType_Mem, ResType_MemLarge and ResType_IO give a range, the first ResType_IRQ
// the interrupt line; other types, and descriptors shorter than their header, are ignored.
void AddPnpResource(uint32_t resourceType, const void* data, size_t size, PnpDevice& device);

}  // namespace tvk
