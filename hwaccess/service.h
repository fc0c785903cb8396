// The service behind the four TVK_ operations: which machine they reach, and how it is chosen.
//
// A machine source is "embedded" (the built-in simulated machine), "live" (this Linux
// machine through sysfs), or the path of a machine file (an lspci -x/-xxx/-xxxx dump, with
// optional annotations). At the first hardware access the service picks its machine from the
// environment variable TRAVIK_MACHINE, else from the first line of the file travik.cfg beside
// the running program, else the default: the embedded machine for the Win32 programs, the live
// machine for the native ones where /sys/bus/pci/devices exists, otherwise the embedded one.
#pragma once

#include <memory>
#include <string>

#include "machine.h"

namespace tvk {

// Opens a machine source as described above. On failure returns nullptr and sets `error`
// to a message that names the source (and, for a file, the line).
std::unique_ptr<Machine> OpenMachine(const std::string& source, std::string& error);

// The machine the TVK_ operations reach, chosen on first use as described above; nullptr when
// the configured source cannot be opened (every operation then fails as the contract says).
Machine* CurrentMachine();

// Replaces the machine the TVK_ operations reach (tests, and the programs' --machine option).
// Resets the latched 0xCF8 address.
void InstallMachine(std::unique_ptr<Machine> machine);

// The message of the last failed automatic selection, empty when it succeeded.
std::string SelectionError();

// The SourceLabel of the machine the TVK_ operations reach, choosing it on first use; empty
// when there is none. Programs over travik.dll ask through TravikSourceLabel
// (travik_source.h) instead.
std::string CurrentSourceLabel();

// Forgets the machine, so that the next access chooses one again as described above (tests).
void ResetMachineSelection();

// The selection rule on its own: `environment` (the value of TRAVIK_MACHINE) when it is not
// blank, else the first line of travik.cfg in `programFolder` when it is not blank (a relative
// file path there is taken relative to `programFolder`), else the platform default.
std::string SelectMachineSource(const std::string& environment, const std::string& programFolder);

}  // namespace tvk
