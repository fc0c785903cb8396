// Helpers of the hardware-access tests: reaching configuration space through the service's
// ports or straight from a machine, and the test data folder. The function builders and the
// temporary folders come from the shared test support (hwaccess/testing).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "sim_builder.h"
#include "sim_machine.h"
#include "temp_folder.h"
#include "travik.h"

namespace tvk::test {

inline uint32_t Address(uint8_t bus, uint8_t device, uint8_t function, uint8_t offset) {
    return 0x80000000u | uint32_t(bus) << 16 | uint32_t(device) << 11 | uint32_t(function) << 8 |
           (offset & 0xFCu);
}

// Configuration dword through ports 0xCF8/0xCFC of the service.
inline uint32_t PortRead(uint8_t bus, uint8_t device, uint8_t function, uint8_t offset) {
    const uint32_t address = Address(bus, device, function, offset);
    uint32_t value = 0x12345678;
    EXPECT_EQ(TVK_OutPort(0xCF8, &address, 1, 32), 0);
    EXPECT_EQ(TVK_InPort(0xCFC, &value, 1, 32), 0);
    return value;
}

inline void PortWrite(uint8_t bus, uint8_t device, uint8_t function, uint8_t offset,
                      uint32_t value) {
    const uint32_t address = Address(bus, device, function, offset);
    EXPECT_EQ(TVK_OutPort(0xCF8, &address, 1, 32), 0);
    EXPECT_EQ(TVK_OutPort(0xCFC, &value, 1, 32), 0);
}

// Configuration dword straight from a machine; all ones where nothing answers.
inline uint32_t Read(Machine& m, uint8_t bus, uint8_t device, uint8_t function, uint16_t off) {
    uint32_t v = 0;
    return m.ReadConfig(bus, device, function, off, v) ? v : 0xFFFFFFFF;
}

inline std::string DataFile(const std::string& name) {
    return std::string(TVK_TEST_DATA) + "/" + name;
}

}  // namespace tvk::test
