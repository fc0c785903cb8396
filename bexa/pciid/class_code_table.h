// The class-code table: one row per known (base class, sub-class, programming interface).
#pragma once

#include <cstdint>

namespace bexa {

struct ClassCodeRow {
    uint8_t baseClass;
    uint8_t subClass;
    uint8_t progIf;
    const char* baseText;
    const char* subClassText;
    const char* interfaceText;  // empty in most rows
};

// Rows in ascending order of (base class, sub-class, programming interface), no key twice.
extern const ClassCodeRow ClassCodeTable[112];

}  // namespace bexa
