// libFuzzer target for the option parser of the native bexa program. The input is the command
// line, one argument a line. Every accepted command line must name a known command (unless it
// asks for help) and must parse to the same options when written back as a command line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bexa_options.h"

namespace {

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> args;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            if (start < text.size()) args.push_back(text.substr(start));
            break;
        }
        args.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return args;
}

// The options as a command line, values in separate arguments.
std::vector<std::string> Write(const bexa::Options& o) {
    std::vector<std::string> args;
    if (o.help) args.push_back("--help");
    if (!o.command.empty()) args.push_back(o.command);
    if (o.machine) args.insert(args.end(), {"--machine", *o.machine});
    if (o.ids) args.insert(args.end(), {"--ids", *o.ids});
    if (o.output) args.insert(args.end(), {"-o", *o.output});
    args.insert(args.end(), {"-n", std::to_string(o.registerCount)});
    if (o.registers) args.push_back("--registers");
    if (o.io) args.push_back("--io");
    if (o.stats) args.push_back("--stats");
    return args;
}

bool Same(const bexa::Options& a, const bexa::Options& b) {
    return a.command == b.command && a.machine == b.machine && a.ids == b.ids &&
           a.output == b.output && a.registerCount == b.registerCount &&
           a.registers == b.registers && a.io == b.io && a.stats == b.stats && a.help == b.help;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> args =
        Split(std::string(reinterpret_cast<const char*>(data), size));
    bexa::Options options;
    std::string error;
    if (!bexa::ParseOptions(args, options, error)) {
        if (error.empty()) __builtin_trap();  // a refusal must say why
        return 0;
    }
    if (!options.help && options.command != "list" && options.command != "memmap" &&
        options.command != "irq")
        __builtin_trap();
    if (options.registerCount != 16 && options.registerCount != 64) __builtin_trap();
    if (options.io && !options.help && options.command != "memmap") __builtin_trap();
    // A value that starts with "-" reads as an option when written back; the parser takes any
    // next argument as the value, so the round trip holds for those too.
    bexa::Options again;
    std::string againError;
    if (!bexa::ParseOptions(Write(options), again, againError)) __builtin_trap();
    if (!Same(options, again)) __builtin_trap();
    return 0;
}
