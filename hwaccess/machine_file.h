// Machine sources: `lspci -x`, `-xxx` and `-xxxx` dumps exactly as lspci writes them (with or
// without the domain, with the descriptive lines of `lspci -vv` between the hex blocks), plus
// annotation lines for what a dump lacks. The format is described in docs/embedded-machine.md
// (BAR size rule, annotation syntax). Loading is all or nothing: a bad file gives an error
// "NAME:LINE: message" and no machine.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim_machine.h"

namespace tvk {

// Parses machine-file text; `name` names the source in error messages.
std::unique_ptr<SimMachine> LoadMachineText(const std::string& text, const std::string& name,
                                            std::string& error);

// Reads and parses a machine file (at most 64 MiB); the machine's source label is
// "dump: " and the file's name.
std::unique_ptr<SimMachine> LoadMachineFile(const std::string& path, std::string& error);

// Gives every BAR and expansion ROM of `functions` whose size is 0 a size by the documented
// rule: a register that reads 0 is not implemented; otherwise the size is the largest power
// of two that divides the BAR's address and does not reach the next higher address of
// another BAR, ROM or `ramStarts` entry of the same space, at least 4 (I/O), 16 (memory) or
// 2048 (ROM), at most 256 (I/O) or 2G (32-bit memory, ROM).
void DeriveBarSizes(std::vector<FunctionImage>& functions,
                    const std::vector<uint64_t>& ramStarts = {});

}  // namespace tvk
