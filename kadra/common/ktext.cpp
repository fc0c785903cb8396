#include "ktext.h"

#include <cstdint>

namespace kadra {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendCodePoint(KText& out, char32_t cp) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(cp));
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool IsHighSurrogate(char32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Code points of a wide text, surrogate pairs joined and unpaired surrogates replaced.
template <typename F>
void ForEachCodePoint(KTextView text, F f) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t u = static_cast<char32_t>(text[i]);
        if (IsHighSurrogate(u) && i + 1 < text.size() &&
            IsLowSurrogate(static_cast<char32_t>(text[i + 1]))) {
            char32_t low = static_cast<char32_t>(text[++i]);
            f(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        } else if (IsHighSurrogate(u) || IsLowSurrogate(u) || u > 0x10FFFF) {
            f(kReplacement);
        } else {
            f(u);
        }
    }
}

}  // namespace

std::string ToUtf8(KTextView text) {
    std::string out;
    out.reserve(text.size());
    ForEachCodePoint(text, [&](char32_t cp) { AppendUtf8(out, cp); });
    return out;
}

KText FromUtf8(std::string_view text) {
    KText out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        if (b0 < 0x80) {
            out.push_back(static_cast<wchar_t>(b0));
            ++i;
            continue;
        }
        int length = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if ((b0 & 0xE0) == 0xC0) {
            length = 2, cp = b0 & 0x1F, minimum = 0x80;
        } else if ((b0 & 0xF0) == 0xE0) {
            length = 3, cp = b0 & 0x0F, minimum = 0x800;
        } else if ((b0 & 0xF8) == 0xF0) {
            length = 4, cp = b0 & 0x07, minimum = 0x10000;
        }
        bool valid = length > 0 && i + length <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            if ((b & 0xC0) != 0x80) valid = false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (valid && (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            valid = false;
        if (!valid) {
            AppendCodePoint(out, kReplacement);
            ++i;
            continue;
        }
        AppendCodePoint(out, cp);
        i += length;
    }
    return out;
}

KText FromUtf16(std::u16string_view text) {
    KText out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t u = text[i];
        if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            char32_t low = text[++i];
            AppendCodePoint(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
            AppendCodePoint(out, kReplacement);
        } else {
            out.push_back(static_cast<wchar_t>(u));
        }
    }
    return out;
}

std::u16string ToUtf16(KTextView text) {
    std::u16string out;
    out.reserve(text.size());
    ForEachCodePoint(text, [&](char32_t cp) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    });
    return out;
}

KText FromAscii(std::string_view text) {
    KText out;
    out.reserve(text.size());
    for (char c : text)
        out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return out;
}

KText FolderOfPath(KTextView path) {
    const std::size_t last = path.find_last_of(L"\\/");
    if (last == KTextView::npos) return {};
    return KText(path.substr(0, last + 1));
}

KText FitToCapacity(KTextView text, std::size_t capacity) {
    if (capacity == 0) return {};
    return KText(text.substr(0, capacity - 1));
}

}  // namespace kadra
