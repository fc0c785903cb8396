// The few operating-system questions the service asks, one implementation per platform
// (platform_posix.cpp, platform_win32.cpp).
#pragma once

#include <cstdint>
#include <string>

namespace tvk {

// Folder of the running program file, without a trailing separator; empty when unknown.
std::string ProgramDirectory();

// Value of an environment variable of the process; empty when it is not set.
std::string EnvironmentValue(const char* name);

// The machine source used when nothing is configured: for the Win32 programs "live" when
// Windows reports at least one PCI function, otherwise "embedded"; for the native ones "live"
// where /sys/bus/pci/devices exists, otherwise "embedded".
std::string DefaultMachineSource();

// Joins a folder and a file name with the platform's separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// True when `path` is absolute on this platform.
bool IsAbsolutePath(const std::string& path);

// Address space of `size` bytes (a multiple of 64 KiB) with no memory behind it yet;
// nullptr when the system refuses.
void* ReservePages(uint64_t size);
// Puts zero-filled, readable and writable memory behind [at, at + size) of a reservation
// (64 KiB aligned).
bool CommitPages(void* at, uint64_t size);
// Gives back a whole reservation and the memory committed in it.
void ReleasePages(void* base, uint64_t size);

}  // namespace tvk
