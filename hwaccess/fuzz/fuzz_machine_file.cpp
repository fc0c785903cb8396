// libFuzzer target for the machine-file parser: any input either loads or gives an error.
#include <cstddef>
#include <cstdint>
#include <string>

#include "machine_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto machine = tvk::LoadMachineText(text, "fuzz", error);
    if (machine) {
        uint32_t value;
        machine->ReadConfig(0, 0, 0, 0, value);
        machine->WriteConfig(0, 0, 0, 0x10, 0xFFFFFFFF);
        machine->WriteConfig(0, 0, 0, 0x3C, 0x00400000);
        machine->MapPhysical(0, 16);
    } else if (error.empty()) {
        __builtin_trap();  // a failure must say why
    }
    return 0;
}
