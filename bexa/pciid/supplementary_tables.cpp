// The supplementary tables, searched before the built-in ones. They are meant for the product
// family's own vendor id and the chips on its own boards; no such ids are known to this
// program, so both are empty.
#include "id_tables.h"

namespace bexa {

const std::span<const VendorRow> SupplementaryVendorTable{};
const std::span<const DeviceRow> SupplementaryDeviceTable{};

}  // namespace bexa
