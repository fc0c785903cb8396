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

const VendorRow* FindBuiltInVendor(uint16_t vendorId) {
    if (vendorId == kEndRowVendorId) return nullptr;
    const VendorRow* first = VendorTable;
    const VendorRow* last = VendorTable + VendorTableSize - 1;  // the end row
    const VendorRow* it = std::lower_bound(
        first, last, vendorId, [](const VendorRow& row, uint16_t id) { return row.vendorId < id; });
    return it != last && it->vendorId == vendorId ? it : nullptr;
}

const DeviceRow* FindBuiltInDevice(uint16_t vendorId, uint16_t deviceId) {
    if (vendorId == kEndRowVendorId) return nullptr;
    const DeviceRow* first = DeviceTable;
    const DeviceRow* last = DeviceTable + DeviceTableSize - 1;  // the end row
    const uint32_t key = (uint32_t{vendorId} << 16) | deviceId;
    const DeviceRow* it = std::lower_bound(first, last, key, [](const DeviceRow& row, uint32_t k) {
        return ((uint32_t{row.vendorId} << 16) | row.deviceId) < k;
    });
    return it != last && it->vendorId == vendorId && it->deviceId == deviceId ? it : nullptr;
}

}  // namespace bexa
