// The device listing: the visible bus tree as text, each function's line indented by its depth,
// optionally followed by its register dump.
#pragma once

#include <cstdio>
#include <string>

#include "device_list.h"
#include "device_tree.h"

namespace bexa {

inline constexpr int kMaxListingIndent = 20;

// Appends the listing to `out`, lines ending in "\n". With `includeRegisters`, every function's
// line is followed by `registerCount` register lines; dwords of an entry that no read has
// reached yet are read first (the list's entries are updated).
void AppendListing(const DeviceTree& tree, PciDeviceList& list, int registerCount,
                   bool includeRegisters, std::string& out);

// Writes the listing to `file`; a file opened in text mode on Windows gets CR LF line ends.
// Returns false when writing failed.
bool WriteListing(const DeviceTree& tree, PciDeviceList& list, int registerCount,
                  bool includeRegisters, std::FILE* file);

}  // namespace bexa
