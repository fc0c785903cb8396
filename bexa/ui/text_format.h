// printf-style formatting into a std::string, for the windows' 8-bit texts.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

namespace bexa {

#if defined(__clang__)
#define BEXA_PRINTF_FORMAT __attribute__((format(printf, 1, 2)))
#else
#define BEXA_PRINTF_FORMAT __attribute__((format(gnu_printf, 1, 2)))
#endif

BEXA_PRINTF_FORMAT inline std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    return text;
}

}  // namespace bexa
