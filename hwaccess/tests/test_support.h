// Helpers shared by the hardware-access tests: building functions, reaching configuration
// space through the service's ports, temporary folders.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim_machine.h"
#include "travik.h"

namespace tvk::test {

inline void Put32(std::vector<uint8_t>& c, size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        c[offset + size_t(i)] = uint8_t(v >> (8 * i));
}

inline uint32_t Get32(const std::vector<uint8_t>& c, size_t offset) {
    return uint32_t(c[offset]) | uint32_t(c[offset + 1]) << 8 | uint32_t(c[offset + 2]) << 16 |
           uint32_t(c[offset + 3]) << 24;
}

// A type 0 function with the given IDs, class 0x048000 and interrupt pin A.
inline FunctionImage Function(uint8_t bus, uint8_t device, uint8_t function, uint16_t vendor,
                              uint16_t id) {
    FunctionImage f;
    f.bus = bus;
    f.device = device;
    f.function = function;
    f.config.assign(256, 0);
    Put32(f.config, 0x00, uint32_t(id) << 16 | vendor);
    Put32(f.config, 0x08, 0x04800001);
    f.config[0x3D] = 1;
    return f;
}

// A PCI-to-PCI bridge (header type 1) with the given bus numbers.
inline FunctionImage Bridge(uint8_t bus, uint8_t device, uint8_t primary, uint8_t secondary,
                            uint8_t subordinate) {
    FunctionImage f = Function(bus, device, 0, 0x8086, 0x244E);
    Put32(f.config, 0x08, 0x06040000);
    f.config[0x0E] = 0x01;
    f.config[0x18] = primary;
    f.config[0x19] = secondary;
    f.config[0x1A] = subordinate;
    f.config[0x3D] = 0;
    return f;
}

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

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
  public:
    TempFolder() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("tvk-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string DataFile(const std::string& name) {
    return std::string(TVK_TEST_DATA) + "/" + name;
}

}  // namespace tvk::test
