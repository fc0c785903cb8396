// The native bexa program: lists the PCI bus of a machine (live, embedded or a dump) exactly as
// the listing file of the Win32 program does, and prints the memory map and interrupt routing
// texts of its windows (with LF line ends).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace bexa {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // machine, ID file or output file
inline constexpr int kExitUsage = 2;

// Runs the command line `args` (without the program name); output goes to `out` unless an
// output file is given, messages to `err`. Returns the exit code.
int RunBexa(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// Writes `text` to `out` (standard output) and flushes it; a failed write is told on `err`
// ("bexa: standard output: REASON") and gives false.
bool WriteStandardOutput(const std::string& text, std::FILE* out, std::FILE* err);

}  // namespace bexa
