#include "hex_field.h"

#include <cctype>

namespace bexa {

bool ScanHex(const char* p, uint32_t& value) {
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    const bool hasPrefix = p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
    if (hasPrefix && std::isxdigit(static_cast<unsigned char>(p[2]))) p += 2;
    if (!std::isxdigit(static_cast<unsigned char>(*p))) return false;
    uint64_t v = 0;
    for (; std::isxdigit(static_cast<unsigned char>(*p)); ++p) {
        const int c = std::tolower(static_cast<unsigned char>(*p));
        v = v * 16 + uint64_t(c <= '9' ? c - '0' : c - 'a' + 10);
        if (v > 0xFFFFFFFFu) v = 0x100000000u;  // saturated
    }
    const uint32_t magnitude = v > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(v);
    value = negative ? uint32_t(0u - magnitude) : magnitude;
    return true;
}

}  // namespace bexa
