#include "sim_builder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "service.h"

namespace tvk::test {

void Put32(std::vector<uint8_t>& config, size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4; ++i)
        config[offset + i] = uint8_t(value >> (8 * i));
}

FunctionImage Function(uint8_t bus, uint8_t device, uint8_t function, uint16_t vendorId,
                       uint16_t deviceId, uint8_t header, uint32_t classCode) {
    FunctionImage f;
    f.bus = bus;
    f.device = device;
    f.function = function;
    f.config.assign(256, 0);
    Put32(f.config, 0x00, uint32_t(deviceId) << 16 | vendorId);
    Put32(f.config, 0x08, classCode << 8 | 0x01);
    f.config[0x0E] = header;
    f.config[0x3D] = 1;
    return f;
}

FunctionImage Bridge(uint8_t bus, uint8_t device, uint8_t function, uint8_t secondary,
                     uint8_t subordinate, uint8_t header) {
    FunctionImage f = Function(bus, device, function, 0x8086, 0x244E, header, 0x060400);
    f.config[0x18] = bus;
    f.config[0x19] = secondary;
    f.config[0x1A] = subordinate;
    f.config[0x3D] = 0;
    return f;
}

SimMachine& InstallSim(const std::vector<FunctionImage>& functions) {
    auto machine = std::make_unique<SimMachine>();
    for (const FunctionImage& f : functions) {
        std::string error;
        EXPECT_TRUE(machine->AddFunction(f, error)) << error;
    }
    SimMachine& sim = *machine;
    InstallMachine(std::move(machine));
    return sim;
}

}  // namespace tvk::test
