// The memory map derived from the configuration images of a device list: for every 8 MByte
// block of the 32-bit address space, the bridge windows that contain it and the BARs whose
// value lies in it; or, for I/O space, the I/O BARs.
#pragma once

#include <string>

#include "device_list.h"

namespace bexa {

enum class MapSpace { Memory, Io };

// 511 lines "%08X <- " for the blocks 00000000 to FF000000, each ending in `lineEnd` ("\r\n"
// in the windows). Reads only the images held by `list`.
std::string MemoryMapText(const PciDeviceList& list, MapSpace space, const char* lineEnd);

}  // namespace bexa
