// The memory map window (dialog 141) and the interrupt routing window (dialog 140). The main
// window opens them modally (secondary_windows_win32.h); tests and screenshots create them
// modeless with these functions ("Q U I T" then destroys them).
#pragma once

#include <windows.h>

namespace bexa {

class PciDeviceList;

HWND CreateMemoryMapDialog(HWND parent, const PciDeviceList& list);
HWND CreateInterruptRoutingDialog(HWND parent, const PciDeviceList& list);

}  // namespace bexa
