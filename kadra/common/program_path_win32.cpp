#include <windows.h>

#include "program_path.h"

namespace kadra {

KText ProgramFilePath() {
    // Long enough for any path the system gives, so a deep folder is not cut off.
    KText buffer(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return {};
    buffer.resize(n);
    return buffer;
}

}  // namespace kadra
