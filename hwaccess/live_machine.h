// The live backend: this machine's PCI functions, memory and ports, through Linux sysfs and
// /dev/port (live_machine_posix.cpp); on Windows, read-only, the PCI functions the
// Configuration Manager reports (live_machine_win32.cpp, docs/windows-live-machine.md).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "machine.h"

namespace tvk {

// Opens the live machine at `root` (the sysfs folder of PCI devices) and `portDevice`; fails
// with `error` when `root` cannot be listed. On Windows both are unused; it fails when the
// Configuration Manager cannot list the PCI devices, and an empty machine is one where it
// lists none.
std::unique_ptr<Machine> OpenLiveMachine(std::string& error,
                                         const std::string& root = "/sys/bus/pci/devices",
                                         const std::string& portDevice = "/dev/port");

#ifdef _WIN32
// Whether the live machine finds at least one PCI function (the Win32 default source).
bool LiveMachineHasFunctions();
#endif

// One line of a sysfs `resource` file: start, end (inclusive) and flags; all 0 when unused.
struct SysfsResource {
    uint64_t start = 0;
    uint64_t end = 0;
    uint64_t flags = 0;
};

// Parses a sysfs `resource` file ("0x%016llx 0x%016llx 0x%016llx" per line); lines that do
// not parse give an unused entry.
std::vector<SysfsResource> ParseSysfsResources(const std::string& text);

}  // namespace tvk
