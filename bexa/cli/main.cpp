#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bexa_cli.h"
#include "bk_version.h"

int main(int argc, char** argv) {
    // A reader that has gone is a failed write, told and ended with status 1, not a death.
    std::signal(SIGPIPE, SIG_IGN);
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        return bexa::WriteStandardOutput(BK_VERSION_BANNER("bexa"), stdout, stderr)
                   ? bexa::kExitOk
                   : bexa::kExitFailure;
    }
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return bexa::RunBexa(args, stdout, stderr);
}
