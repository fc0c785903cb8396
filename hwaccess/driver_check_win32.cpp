#include "driver_check_win32.h"

namespace tvk {

std::string Win32DriverCheckSystem::WindowsDirectory() {
    char folder[MAX_PATH + 1];
    const UINT n = GetWindowsDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string result(folder, n);
    if (!result.empty() && result.back() == '\\') result.pop_back();
    return result;
}

std::string Win32DriverCheckSystem::ProgramDirectory() {
    char path[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string program(path, n);
    const size_t slash = program.find_last_of('\\');
    return slash == std::string::npos ? std::string() : program.substr(0, slash);
}

bool Win32DriverCheckSystem::FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32DriverCheckSystem::CopyFileTo(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool Win32DriverCheckSystem::ShowMessage(const std::string& text, Box box) {
    const UINT style =
        box == Box::Question ? MB_ICONQUESTION | MB_YESNO : MB_ICONEXCLAMATION | MB_OK;
    return MessageBoxA(owner_, text.c_str(), "Bexa", style | MB_SETFOREGROUND) == IDYES;
}

}  // namespace tvk
