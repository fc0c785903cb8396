// tvkdump: prints every PCI function reachable through the hardware-access service's
// configuration mechanism #1 in the format of `lspci -n -xxx` (so `lspci -F` reads it).
//   tvkdump [--machine SOURCE]
// Exit codes: 0 done, 1 the machine cannot be opened, 2 bad usage.
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

}  // namespace

int main(int argc, char** argv) {
    std::string source;
    bool haveSource = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::fputs(BK_VERSION_BANNER("tvkdump"), stdout);
            return 0;
        }
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
    const std::string dump = tvk::DumpConfigSpaces();
    std::fwrite(dump.data(), 1, dump.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
