// libFuzzer target for the hex edit fields: the BAR window's "Write Memory" value and the main
// window's register value. The input is the field's text. An accepted value is the number the
// text's hex digits give (reduced to 32 bits as the C library does) and reads back the same
// when written as "x%08X".
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "bar_space_window.h"
#include "main_window.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    uint32_t value = 0x12345678u;
    if (bexa::ParseWriteValue(text, value)) {
        char echo[16];
        std::snprintf(echo, sizeof echo, "x%08X", static_cast<unsigned>(value));
        uint32_t again = ~value;
        if (!bexa::ParseWriteValue(echo, again) || again != value) __builtin_trap();
        if (bexa::ParseHexValue(echo) != value) __builtin_trap();
        // Both fields read "x" and a scanf "%X" number alike.
        if (bexa::ParseHexValue(text) != value) __builtin_trap();
    } else if (value != 0x12345678u) {
        __builtin_trap();  // a refused text must leave the value alone
    }

    const uint32_t hex = bexa::ParseHexValue(text);
    char echo[16];
    std::snprintf(echo, sizeof echo, "x%08X", static_cast<unsigned>(hex));
    if (bexa::ParseHexValue(echo) != hex) __builtin_trap();
    return 0;
}
