// libFuzzer target for a loaded machine in use: the input is a machine file, a NUL byte and
// then operations on the machine it loads: maps of memory behind its BARs and RAM (read and
// written through), port reads and writes behind its I/O BARs, BAR moves and bridge resets.
// Addresses are taken relative to the BARs the machine's functions decode, so that the
// operations reach simulated memory rather than empty space.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "machine_file.h"

namespace {

struct Decoder {
    uint8_t bus, device, function;
    uint16_t offset;  // of the BAR register
};

uint32_t Take32(const uint8_t*& p, const uint8_t* end) {
    uint32_t v = 0;
    for (int i = 0; i < 4 && p < end; ++i)
        v |= uint32_t(*p++) << (8 * i);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t* split = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const size_t textSize = split ? size_t(split - data) : size;
    std::string error;
    auto machine = tvk::LoadMachineText(std::string(reinterpret_cast<const char*>(data), textSize),
                                        "fuzz", error);
    if (!machine) return 0;

    // Every BAR register of every function that answers.
    std::vector<Decoder> decoders;
    for (int bus = 0; bus < 256 && decoders.size() < 64; ++bus) {
        for (int devfn = 0; devfn < 256; ++devfn) {
            uint32_t id;
            if (!machine->ReadConfig(uint8_t(bus), uint8_t(devfn >> 3), uint8_t(devfn & 7), 0, id))
                continue;
            for (uint16_t o = 0x10; o <= 0x24; o += 4)
                decoders.push_back({uint8_t(bus), uint8_t(devfn >> 3), uint8_t(devfn & 7), o});
        }
    }
    if (decoders.empty()) return 0;

    const uint8_t* p = split ? split + 1 : data + size;
    const uint8_t* end = data + size;
    for (int steps = 0; p < end && steps < 64; ++steps) {
        const uint8_t op = *p++;
        const Decoder& d = decoders[(op >> 3) % decoders.size()];
        uint32_t bar = 0;
        machine->ReadConfig(d.bus, d.device, d.function, d.offset, bar);
        const uint32_t arg = Take32(p, end);
        switch (op & 7) {
            case 0:
            case 1: {  // map inside or around a memory BAR, or anywhere in RAM
                const uint32_t address = (op & 1) ? arg : (bar & ~0xFu) + (arg & 0xFFFF);
                const uint32_t length = 1 + (Take32(p, end) & 0x3FFFF);
                auto* view = static_cast<volatile uint8_t*>(machine->MapPhysical(address, length));
                if (view) {
                    uint8_t sum = 0;
                    for (uint32_t i = 0; i < length; i += 509)
                        sum = uint8_t(sum + view[i]);
                    view[length - 1] = sum;
                    view[0] = uint8_t(arg);
                    machine->UnmapPhysical(const_cast<uint8_t*>(view), length);
                }
                break;
            }
            case 2: {  // ports behind an I/O BAR
                uint32_t value = 0;
                const uint32_t port = (bar & ~0x3u) + (arg & 0xFF);
                machine->ReadPort(port, value);
                machine->WritePort(port, value ^ arg);
                break;
            }
            case 3:  // size the BAR and move it
                machine->WriteConfig(d.bus, d.device, d.function, d.offset, 0xFFFFFFFF);
                machine->WriteConfig(d.bus, d.device, d.function, d.offset, arg);
                break;
            case 4:  // secondary bus reset on and off
                machine->WriteConfig(d.bus, d.device, d.function, 0x3C, arg | 0x00400000);
                machine->WriteConfig(d.bus, d.device, d.function, 0x3C, arg & ~0x00400000u);
                break;
            case 5: {  // stores and fills as the annotations make them
                const uint8_t bytes[8] = {uint8_t(arg), 1, 2, 3, 4, 5, 6, 7};
                machine->StoreMemory((bar & ~0xFu) + (arg >> 16), bytes, 1 + (op >> 5));
                machine->FillRange((bar & ~0xFu), arg, uint8_t(op));
                break;
            }
            default: {  // configuration space anywhere in the function
                uint32_t value = 0;
                const uint16_t offset = uint16_t(arg & 0xFFC);
                machine->ReadConfig(d.bus, d.device, d.function, offset, value);
                machine->WriteConfig(d.bus, d.device, d.function, offset, value ^ (arg >> 12));
                break;
            }
        }
    }
    if (machine->OpenViews() != 0) __builtin_trap();  // every map was unmapped
    return 0;
}
