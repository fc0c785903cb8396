#include <cstdio>
#include <string>
#include <vector>

#include "bexa_cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return bexa::RunBexa(args, stdout, stderr);
}
