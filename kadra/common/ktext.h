// Kadra's text type and the conversions around it.
//
// Kadra keeps every text (paths, names, results, log lines) as a wide string. On Windows a
// wchar_t is a UTF-16 unit, so a KText goes straight to the W functions of the system; elsewhere
// it is a code point, and the native program converts to UTF-8 at its edges with the helpers
// below. Fixed 260-character buffers of the window program become strings bounded by
// kTextCapacity where a field is read from outside (INI values, edit fields).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kadra {

using KText = std::wstring;
using KTextView = std::wstring_view;

// Characters of a path or name buffer, terminating zero included.
inline constexpr std::size_t kTextCapacity = 260;

// The separator that ends a folder name on this platform ("C:\\dir\\" or "/dir/").
#ifdef _WIN32
inline constexpr wchar_t kPathSeparator = L'\\';
#else
inline constexpr wchar_t kPathSeparator = L'/';
#endif

// UTF-8 from a wide text; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(KTextView text);

// Wide text from UTF-8; a malformed sequence becomes U+FFFD, byte by byte.
KText FromUtf8(std::string_view text);

// Wide text from UTF-16 units (surrogate pairs joined where wchar_t is 32 bits).
KText FromUtf16(std::u16string_view text);

// UTF-16 units from a wide text (code points above U+FFFF split where wchar_t is 32 bits).
std::u16string ToUtf16(KTextView text);

// Wide text from ASCII, such as the output of snprintf with a numeric format.
KText FromAscii(std::string_view text);

// Everything up to and including the last "\\" or "/" of a path: the folder of a file, with its
// separator. Empty when the path has neither.
KText FolderOfPath(KTextView path);

// The text cut to at most capacity - 1 characters, as a fixed buffer of capacity holds it.
KText FitToCapacity(KTextView text, std::size_t capacity = kTextCapacity);

}  // namespace kadra
