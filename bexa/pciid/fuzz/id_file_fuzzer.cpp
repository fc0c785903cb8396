// libFuzzer target: the ID file reader and its searches on arbitrary bytes.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "id_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (file == nullptr) return 0;
    const bexa::IdFileList list = bexa::IdFileList::Read(file);
    std::fclose(file);
    // Indexed and linear searches must agree for the ids the input names.
    const auto& entries = list.Entries();
    for (std::size_t i = 0; i < entries.size() && i < 64; ++i) {
        const uint16_t a = entries[i].id;
        const uint16_t b = entries[entries.size() - 1 - i].id;
        if (std::strlen(entries[i].text) > 509 || list.FindVendor(a) != list.FindVendorLinear(a) ||
            list.FindDevice(a, b) != list.FindDeviceLinear(a, b) ||
            list.FindSubsystemVendor(a, b, a) != list.FindSubsystemVendorLinear(a, b, a) ||
            list.FindSubsystem(a, b, a, b) != list.FindSubsystemLinear(a, b, a, b)) {
            __builtin_trap();
        }
    }
    return 0;
}
