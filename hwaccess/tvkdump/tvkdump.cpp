// tvkdump: prints every PCI function reachable through the hardware-access service's
// configuration mechanism #1 in the format of `lspci -n -xxx` (so `lspci -F` reads it).
//   tvkdump [--machine SOURCE]
// Exit codes: 0 done, 1 the machine cannot be opened or standard output cannot be written,
// 2 bad usage.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "bk_version.h"
#include "config_dump.h"
#include "service.h"

namespace {

const char kUsage[] =
    "Usage: tvkdump [--machine SOURCE]\n"
    "Prints every PCI function reachable through ports 0xCF8/0xCFC in lspci -xxx format.\n"
    "SOURCE: embedded, live, or the path of a machine file (an lspci -x/-xxx/-xxxx dump).\n"
    "Without --machine the service chooses: TRAVIK_MACHINE, else travik.cfg beside the\n"
    "program, else the default machine.\n";

// Writes `text` to standard output; a failed write (a full disk, a reader that has gone) is
// told on standard error and gives exit code 1.
int Print(const std::string& text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
        std::fflush(stdout) == 0 && !std::ferror(stdout)) {
        return 0;
    }
    std::fprintf(stderr, "tvkdump: standard output: %s\n", std::strerror(errno != 0 ? errno : EIO));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);  // a closed pipe is a failed write, not a death
#endif
    std::string source;
    bool haveSource = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") return Print(kUsage);
        if (arg == "--version") return Print(BK_VERSION_BANNER("tvkdump"));
        if (arg == "--machine" && i + 1 < argc) {
            source = argv[++i];
            haveSource = true;
        } else if (arg.rfind("--machine=", 0) == 0) {
            source = arg.substr(10);
            haveSource = true;
        } else {
            std::fprintf(stderr, "tvkdump: unexpected argument '%s'\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    if (haveSource) {
        std::string error;
        auto machine = tvk::OpenMachine(source, error);
        if (!machine) {
            std::fprintf(stderr, "tvkdump: %s\n", error.c_str());
            return 1;
        }
        tvk::InstallMachine(std::move(machine));
    } else if (!tvk::CurrentMachine()) {
        std::fprintf(stderr, "tvkdump: %s\n", tvk::SelectionError().c_str());
        return 1;
    }
    return Print(tvk::DumpConfigSpaces());
}
