// Access to INI files with the semantics of the system's private profile functions: section and
// key names compare without regard to case and to blanks around them, values are trimmed, one
// pair of enclosing quotes is removed, a missing file, section or key yields the default.
// On Windows these are GetPrivateProfileStringW and friends; elsewhere a reader and writer of
// our own that reads UTF-8 (with or without BOM) and UTF-16 with BOM files.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ktext.h"

namespace kadra {

// The key's value, or defaultValue (trailing blanks removed) when the file, section or key is
// missing; cut to capacity - 1 characters as a buffer of `capacity` holds it.
KText ReadIniString(const KText& section, const KText& key, const KText& defaultValue,
                    const KText& path, std::size_t capacity = kTextCapacity);

// The key's value as an integer: defaultValue when the key is missing or empty; otherwise the
// number its text starts with (decimal, or with a 0x, 0o or 0b prefix; optional sign), 0 when it
// starts with none.
int32_t ReadIniInt(const KText& section, const KText& key, int32_t defaultValue, const KText& path);

// Sets the key's value, adding the key or the section when missing and creating the file when
// it does not exist. False when the file cannot be written.
bool WriteIniString(const KText& section, const KText& key, const KText& value, const KText& path);

// WriteIniString with the value as decimal text.
bool WriteIniInt(const KText& section, const KText& key, int32_t value, const KText& path);

}  // namespace kadra
