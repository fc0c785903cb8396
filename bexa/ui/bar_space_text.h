// printf-style formatting into a std::string, for the BAR space window's 8-bit texts.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

namespace bexa {

__attribute__((format(gnu_printf, 1, 2))) inline std::string BarSpaceText(const char* format, ...) {
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
