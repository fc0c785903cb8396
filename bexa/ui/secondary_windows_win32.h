// The windows that Bexa's main window opens from its register dump and its buttons. Each runs
// modally (DialogBoxParam) over `parent` and returns when the user closes it.
#pragma once

#include <windows.h>

#include <cstdint>

namespace bexa {

class PciDeviceList;

// The memory or I/O space behind one Base Address Register: `barValue` is the register's
// value, `probeValue` what it read back after writing FFFFFFFF. A probe value whose address
// bits are all zero describes no region; the window then does not open.
void OpenBarSpaceWindow(HWND parent, uint32_t barValue, uint32_t probeValue);

// The memory map and the interrupt routing derived from the devices of `list` (not kept after
// the window closes).
void OpenMemoryMapWindow(HWND parent, const PciDeviceList& list);
void OpenInterruptRoutingWindow(HWND parent, const PciDeviceList& list);

}  // namespace bexa
