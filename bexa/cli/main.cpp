#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bexa_cli.h"
#include "bk_version.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::fputs(BK_VERSION_BANNER("bexa"), stdout);
        return 0;
    }
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return bexa::RunBexa(args, stdout, stderr);
}
