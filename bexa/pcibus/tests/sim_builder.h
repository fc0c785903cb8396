// Builds small simulated machines for the tests and installs them as the service's machine.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "service.h"
#include "sim_machine.h"

namespace bexa::test {

inline void SetDword(tvk::FunctionImage& f, int offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        f.config[size_t(offset + i)] = uint8_t(value >> (8 * i));
}

inline void SetByte(tvk::FunctionImage& f, int offset, uint8_t value) {
    f.config[size_t(offset)] = value;
}

// A function with the given ids, header type and class code (base << 16 | sub << 8 | progIf).
inline tvk::FunctionImage Function(uint8_t bus, uint8_t device, uint8_t function, uint16_t vendorId,
                                   uint16_t deviceId, uint8_t header = 0x00,
                                   uint32_t classCode = 0x020000) {
    tvk::FunctionImage f;
    f.bus = bus;
    f.device = device;
    f.function = function;
    f.config.assign(256, 0);
    SetDword(f, 0x00, uint32_t(deviceId) << 16 | vendorId);
    SetDword(f, 0x08, classCode << 8 | 0x01);
    SetByte(f, 0x0E, header);
    return f;
}

// A PCI-to-PCI bridge (header type 1, or 0x81 when multi-function) with its bus numbers.
inline tvk::FunctionImage Bridge(uint8_t bus, uint8_t device, uint8_t function, uint8_t secondary,
                                 uint8_t subordinate, uint8_t header = 0x01) {
    tvk::FunctionImage f = Function(bus, device, function, 0x8086, 0x244E, header, 0x060400);
    SetByte(f, 0x18, bus);
    SetByte(f, 0x19, secondary);
    SetByte(f, 0x1A, subordinate);
    return f;
}

// Installs a simulated machine holding `functions`; the service owns it, the reference stays
// valid until the next installation.
inline tvk::SimMachine& InstallSim(const std::vector<tvk::FunctionImage>& functions) {
    auto machine = std::make_unique<tvk::SimMachine>();
    for (const tvk::FunctionImage& f : functions) {
        std::string error;
        EXPECT_TRUE(machine->AddFunction(f, error)) << error;
    }
    tvk::SimMachine& sim = *machine;
    tvk::InstallMachine(std::move(machine));
    return sim;
}

}  // namespace bexa::test
