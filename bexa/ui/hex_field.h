// The hexadecimal edit fields of Bexa's windows ("Write ConfReg", "Write Memory").
#pragma once

#include <cstdint>

namespace bexa {

// One "%X" conversion from `p`: white space, an optional sign, an optional 0x, hex digits.
// Values beyond 32 bits saturate, a minus sign negates (as scanf's "%lX" reduced to 32 bits
// does), the same on every C library. False, `value` untouched, when no digit is there.
bool ScanHex(const char* p, uint32_t& value);

}  // namespace bexa
