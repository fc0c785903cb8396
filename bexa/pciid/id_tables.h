// The built-in vendor and device tables and their searches.
//
// VendorTable and DeviceTable are generated from the public PCI ID list by
// tools/gen-pci-tables.py (see generated/). Both end with a row of vendor id FFFF that never
// matches. The supplementary tables are searched before them and have no end row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace bexa {

struct VendorRow {
    uint16_t vendorId;
    const char* shortName;  // at most 20 characters, may be empty
    const char* fullName;   // at most 40 characters, never empty
};

struct DeviceRow {
    uint16_t vendorId;
    uint16_t deviceId;
    const char* chipName;     // at most 20 characters, may be empty
    const char* description;  // at most 54 characters, may be empty
};

inline constexpr uint16_t kEndRowVendorId = 0xFFFF;

// Strictly ascending by vendor id, then the end row.
extern const VendorRow VendorTable[];
extern const std::size_t VendorTableSize;  // rows including the end row
// Ascending by (vendor id, device id); equal keys keep the list's order. Then the end row.
extern const DeviceRow DeviceTable[];
extern const std::size_t DeviceTableSize;  // rows including the end row

extern const std::span<const VendorRow> SupplementaryVendorTable;
extern const std::span<const DeviceRow> SupplementaryDeviceTable;

// First-match search of a table by a scan from its first row: the first row with the key, or
// nullptr. The scan stops at an end row or after the last row, so vendor id FFFF is never
// found. Used for the supplementary tables and as the reference for the built-in searches.
const VendorRow* FindVendorRowLinear(std::span<const VendorRow> table, uint16_t vendorId);
const DeviceRow* FindDeviceRowLinear(std::span<const DeviceRow> table, uint16_t vendorId,
                                     uint16_t deviceId);

// The same answers by bisection for rows sorted as the built-in tables are (end row left
// out): the first of equal keys is the row a scan from the top finds.
const VendorRow* FindVendorRowSorted(std::span<const VendorRow> sortedRows, uint16_t vendorId);
const DeviceRow* FindDeviceRowSorted(std::span<const DeviceRow> sortedRows, uint16_t vendorId,
                                     uint16_t deviceId);

// The built-in tables searched by bisection.
const VendorRow* FindBuiltInVendor(uint16_t vendorId);
const DeviceRow* FindBuiltInDevice(uint16_t vendorId, uint16_t deviceId);

// The built-in tables as spans (end row included).
std::span<const VendorRow> BuiltInVendorTable();
std::span<const DeviceRow> BuiltInDeviceTable();

}  // namespace bexa
