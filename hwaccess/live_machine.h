// The live backend: this machine's PCI functions, memory and ports, through Linux sysfs and
// /dev/port (live_machine_posix.cpp). Win32 builds have no live backend
// (live_machine_win32.cpp): opening it fails with a message.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "machine.h"

namespace tvk {

// Opens the live machine at `root` (the sysfs folder of PCI devices) and `portDevice`; fails
// with `error` when `root` cannot be listed.
std::unique_ptr<Machine> OpenLiveMachine(std::string& error,
                                         const std::string& root = "/sys/bus/pci/devices",
                                         const std::string& portDevice = "/dev/port");

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
