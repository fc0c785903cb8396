// Vendor, device and subsystem names: built-in tables, supplemented by the ID file pcidevs.txt.
// Every lookup returns a text (a fixed one when nothing matches) that stays valid until the
// ID file is loaded again or freed.
#pragma once

#include <cstdint>

namespace bexa {

const char* VendorName(uint16_t vendorId);
const char* VendorShortName(uint16_t vendorId);
const char* DeviceName(uint16_t vendorId, uint16_t deviceId);
const char* DeviceDescription(uint16_t vendorId, uint16_t deviceId);
const char* SubsystemVendorName(uint16_t vendorId, uint16_t deviceId, uint16_t subVendorId);
const char* SubsystemName(uint16_t vendorId, uint16_t deviceId, uint16_t subVendorId,
                          uint16_t subsystemId);

// Reads the ID file (default "pcidevs.txt" in the current directory), replacing any list
// loaded before. A missing file leaves the list empty.
void LoadIdFile(const char* path = "pcidevs.txt");
void FreeIdFile();
// The first three lines of the loaded ID file, as built by LoadIdFile.
const char* IdFileVersionText();

}  // namespace bexa
