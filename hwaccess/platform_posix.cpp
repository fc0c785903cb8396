#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform.h"

namespace tvk {

std::string ProgramDirectory() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    std::string program(path, size_t(n));
    const size_t slash = program.rfind('/');
    return slash == std::string::npos ? std::string() : program.substr(0, slash);
}

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string DefaultMachineSource() {
    struct stat st;
    if (stat("/sys/bus/pci/devices", &st) == 0 && S_ISDIR(st.st_mode)) return "live";
    return "embedded";
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "/" + name;
}

bool IsAbsolutePath(const std::string& path) {
    return !path.empty() && path[0] == '/';
}

// The kernel itself puts memory behind an anonymous mapping page by page as it is written;
// PROT_NONE until committed keeps stray accesses to untouched chunks from passing unseen.
void* ReservePages(uint64_t size) {
    void* base =
        mmap(nullptr, size_t(size), PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    return base == MAP_FAILED ? nullptr : base;
}

bool CommitPages(void* at, uint64_t size) {
    return mprotect(at, size_t(size), PROT_READ | PROT_WRITE) == 0;
}

void ReleasePages(void* base, uint64_t size) {
    munmap(base, size_t(size));
}

}  // namespace tvk
