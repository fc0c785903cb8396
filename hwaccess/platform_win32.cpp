#include <windows.h>

#include "live_machine.h"
#include "platform.h"

namespace tvk {

std::string ProgramDirectory() {
    char path[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string program(path, n);
    const size_t slash = program.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : program.substr(0, slash);
}

// Read from the process environment block, not the C runtime's copy: a program may set the
// variable with SetEnvironmentVariable before it loads travik.dll.
std::string EnvironmentValue(const char* name) {
    char value[4096];
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    if (n == 0 || n >= sizeof value) return {};
    return std::string(value, n);
}

std::string DefaultMachineSource() {
    return LiveMachineHasFunctions() ? "live" : "embedded";
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "\\" + name;
}

bool IsAbsolutePath(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return true;
    return !path.empty() && (path[0] == '\\' || path[0] == '/');
}

void* ReservePages(uint64_t size) {
    return VirtualAlloc(nullptr, SIZE_T(size), MEM_RESERVE, PAGE_NOACCESS);
}

bool CommitPages(void* at, uint64_t size) {
    return VirtualAlloc(at, SIZE_T(size), MEM_COMMIT, PAGE_READWRITE) != nullptr;
}

void ReleasePages(void* base, uint64_t size) {
    (void)size;  // a reservation is released as a whole
    VirtualFree(base, 0, MEM_RELEASE);
}

}  // namespace tvk
