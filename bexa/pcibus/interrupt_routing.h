// The interrupt routing derived from the configuration images of a device list: for each
// interrupt line 0-15, the functions whose Interrupt Line register names it.
#pragma once

#include <string>

#include "device_list.h"

namespace bexa {

// 16 lines "INT line %2d <- ", each ending in `lineEnd` ("\r\n" in the windows). A function
// with an interrupt pin is listed on line (Interrupt Line AND F) with its full line value.
std::string InterruptRoutingText(const PciDeviceList& list, const char* lineEnd);

}  // namespace bexa
