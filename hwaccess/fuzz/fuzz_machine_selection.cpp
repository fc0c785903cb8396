// libFuzzer target for the choice of the machine source: TRAVIK_MACHINE and travik.cfg. The
// input is the value of TRAVIK_MACHINE, a NUL byte, then the contents of travik.cfg (no NUL:
// no travik.cfg). The program folder also holds dump.txt, the embedded machine as a file.
// The selection never gives an empty or padded source, takes a set variable as it is, and
// a source it gives inside the folder either opens or fails with a message.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "embedded_machine.h"
#include "service.h"

namespace {

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool WriteFile(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

const std::string& Folder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/fuzz_machine_selection.XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr) std::abort();
        const std::string f = made;
        if (!WriteFile(f + "/dump.txt", tvk::EmbeddedMachineText())) std::abort();
        return f;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t nul = input.find('\0');
    const std::string environment = input.substr(0, nul);
    const std::string& folder = Folder();
    const std::string cfgPath = folder + "/travik.cfg";
    if (nul == std::string::npos) {
        unlink(cfgPath.c_str());
    } else if (!WriteFile(cfgPath, input.substr(nul + 1))) {
        std::abort();
    }

    const std::string source = tvk::SelectMachineSource(environment, folder);
    if (source.empty()) __builtin_trap();
    if (Blank(source.front()) || Blank(source.back())) __builtin_trap();
    const size_t first = environment.find_first_not_of(" \t\r\n");
    if (first != std::string::npos) {
        // A set variable is taken as it is (a file name may hold any byte but NUL).
        if (source !=
            environment.substr(first, environment.find_last_not_of(" \t\r\n") - first + 1))
            __builtin_trap();
    } else if (source.find('\n') != std::string::npos) {
        __builtin_trap();  // travik.cfg gives its first line only
    }

    // Open what is safe to open: the embedded machine and files of the folder itself (no
    // path that climbs out of it to a device or a FIFO).
    const bool inFolder = source.rfind(folder + "/", 0) == 0 &&
                          source.find('/', folder.size() + 1) == std::string::npos;
    struct stat st;
    const bool regular = stat(source.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    if (source == "embedded" || (inFolder && (regular || errno == ENOENT))) {
        std::string error;
        auto machine = tvk::OpenMachine(source, error);
        if (!machine && error.empty()) __builtin_trap();  // a failure must say why
        if (machine && !error.empty()) __builtin_trap();
        if (source == folder + "/dump.txt" && !machine) __builtin_trap();
    }
    return 0;
}
