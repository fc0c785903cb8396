// The About window (dialog 100): program, features, the operating system and the ID file.
#pragma once

#include <windows.h>

#include <optional>

#include "about_window.h"

namespace bexa {

// The version word (GetVersion) and the extended version record (GetVersionExA with the
// 148-byte record); no record when the extended query fails.
uint32_t QueryVersionWord();
std::optional<OsVersionRecord> QueryVersionRecord();

// Runs the About window modally over `parent`.
void OpenAboutWindow(HWND parent);
// Creates it without a modal loop (tests); OK closes it.
HWND CreateAboutWindow(HWND parent);

}  // namespace bexa
