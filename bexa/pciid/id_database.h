// Vendor, device and subsystem names: built-in tables, supplemented by the ID file pcidevs.txt.
// Every lookup returns a text (a fixed one when nothing matches) that stays valid until the
// ID file is loaded again or freed. Texts are 8-bit (Windows-1252). docs/pci-ids.md gives the
// sources each lookup asks, in order; the first match answers even when its text is empty.
//
// A caller naming a function whose subsystem vendor id is 0 (every PCI-to-PCI bridge) does not
// ask: its subsystem vendor name is " --------------" and its subsystem name is empty.
//
// Not thread-safe: the program loads, asks and frees on its user-interface thread.
#pragma once

#include <cstdint>
#include <string>

#include "input_file.h"

namespace bexa {

const char* VendorName(uint16_t vendorId);
const char* VendorShortName(uint16_t vendorId);
const char* DeviceName(uint16_t vendorId, uint16_t deviceId);
const char* DeviceDescription(uint16_t vendorId, uint16_t deviceId);
const char* SubsystemVendorName(uint16_t vendorId, uint16_t deviceId, uint16_t subVendorId);
const char* SubsystemName(uint16_t vendorId, uint16_t deviceId, uint16_t subVendorId,
                          uint16_t subsystemId);

// Reads the ID file (default "pcidevs.txt" in the current directory), replacing any list
// loaded before. A file that cannot be opened, is not a regular file (a folder, a FIFO, a
// device) or is larger than kIdFileMaxBytes leaves no list: only the built-in tables answer,
// and the version text says "  no file pcidevs.txt found". Returns Opened when the file was
// read, otherwise why not, with the reason in *reason when given ("is a folder", ...).
InputFileStatus LoadIdFile(const char* path = "pcidevs.txt", std::string* reason = nullptr);
// Releases the list; later lookups use the built-in tables only. A second call does nothing.
void FreeIdFile();
// "Version of pcidevs.txt:\n" and the file's first three lines, each followed by "\n", or
// "  no file pcidevs.txt found" after them; as built by the last LoadIdFile (kept after
// FreeIdFile), empty before the first.
const char* IdFileVersionText();

}  // namespace bexa
