#include "id_tables.h"

#include <algorithm>

namespace bexa {

std::span<const VendorRow> BuiltInVendorTable() {
    return {VendorTable, VendorTableSize};
}
std::span<const DeviceRow> BuiltInDeviceTable() {
    return {DeviceTable, DeviceTableSize};
}

const VendorRow* FindVendorRowLinear(std::span<const VendorRow> table, uint16_t vendorId) {
    for (const VendorRow& row : table) {
        if (row.vendorId == kEndRowVendorId) break;
        if (row.vendorId == vendorId) return &row;
    }
    return nullptr;
}

const DeviceRow* FindDeviceRowLinear(std::span<const DeviceRow> table, uint16_t vendorId,
                                     uint16_t deviceId) {
    for (const DeviceRow& row : table) {
        if (row.vendorId == kEndRowVendorId) break;
        if (row.vendorId == vendorId && row.deviceId == deviceId) return &row;
    }
    return nullptr;
}

const VendorRow* FindVendorRowSorted(std::span<const VendorRow> sortedRows, uint16_t vendorId) {
    if (vendorId == kEndRowVendorId) return nullptr;
    auto it = std::lower_bound(sortedRows.begin(), sortedRows.end(), vendorId,
                               [](const VendorRow& row, uint16_t id) { return row.vendorId < id; });
    return it != sortedRows.end() && it->vendorId == vendorId ? &*it : nullptr;
}

const DeviceRow* FindDeviceRowSorted(std::span<const DeviceRow> sortedRows, uint16_t vendorId,
                                     uint16_t deviceId) {
    if (vendorId == kEndRowVendorId) return nullptr;
    const uint32_t key = (uint32_t{vendorId} << 16) | deviceId;
    auto it = std::lower_bound(sortedRows.begin(), sortedRows.end(), key,
                               [](const DeviceRow& row, uint32_t k) {
                                   return ((uint32_t{row.vendorId} << 16) | row.deviceId) < k;
                               });
    return it != sortedRows.end() && it->vendorId == vendorId && it->deviceId == deviceId ? &*it
                                                                                          : nullptr;
}

// The end row is the last row of each built-in table.
const VendorRow* FindBuiltInVendor(uint16_t vendorId) {
    return FindVendorRowSorted(BuiltInVendorTable().first(VendorTableSize - 1), vendorId);
}

const DeviceRow* FindBuiltInDevice(uint16_t vendorId, uint16_t deviceId) {
    return FindDeviceRowSorted(BuiltInDeviceTable().first(DeviceTableSize - 1), vendorId, deviceId);
}

}  // namespace bexa
