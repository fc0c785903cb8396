// The command line of the native bexa program, parsed (bexa_cli.cpp).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace bexa {

struct Options {
    std::string command;
    std::optional<std::string> machine;
    std::optional<std::string> ids;
    std::optional<std::string> output;
    int registerCount = 16;
    bool registers = false;
    bool io = false;
    bool stats = false;
    bool help = false;
};

// Parses `args` (without the program name); on a usage error returns false with `error` set.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

}  // namespace bexa
