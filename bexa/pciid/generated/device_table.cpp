// Placeholder until the generator runs.
#include "id_tables.h"
namespace bexa {
const DeviceRow DeviceTable[] = {
    {0x8086, 0x1237, "440FX", "PCI and Memory Controller"},
    {0xFFFF, 0, "", ""},
};
const std::size_t DeviceTableSize = sizeof DeviceTable / sizeof DeviceTable[0];
}  // namespace bexa
