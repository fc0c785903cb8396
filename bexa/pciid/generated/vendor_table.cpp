// Placeholder until the generator runs.
#include "id_tables.h"
namespace bexa {
const VendorRow VendorTable[] = {
    {0x8086, "Intel", "Intel Corporation"},
    {0xFFFF, "", ""},
};
const std::size_t VendorTableSize = sizeof VendorTable / sizeof VendorTable[0];
}  // namespace bexa
