#include "config_dump.h"

#include <cstdio>

#include "travik.h"

namespace tvk {

uint32_t ReadConfigThroughPorts(uint8_t bus, uint8_t device, uint8_t function, uint8_t reg) {
    const uint32_t address = 0x80000000u | uint32_t(bus) << 16 | uint32_t(device & 31) << 11 |
                             uint32_t(function & 7) << 8 | uint32_t(reg & 63) << 2;
    uint32_t value = 0xFFFFFFFF;
    if (TVK_OutPort(0xCF8, &address, 1, 32) != 0 || TVK_InPort(0xCFC, &value, 1, 32) != 0)
        return 0xFFFFFFFF;
    return value;
}

std::string DumpConfigSpaces() {
    std::string out;
    char line[80];
    for (int bus = 0; bus < 256; ++bus) {
        for (int device = 0; device < 32; ++device) {
            for (int function = 0; function < 8; ++function) {
                uint8_t config[256];
                const uint32_t id =
                    ReadConfigThroughPorts(uint8_t(bus), uint8_t(device), uint8_t(function), 0);
                if ((id & 0xFFFF) == 0xFFFF) {
                    if (function == 0) break;
                    continue;
                }
                for (int reg = 0; reg < 64; ++reg) {
                    const uint32_t v =
                        reg == 0 ? id
                                 : ReadConfigThroughPorts(uint8_t(bus), uint8_t(device),
                                                          uint8_t(function), uint8_t(reg));
                    for (int i = 0; i < 4; ++i)
                        config[reg * 4 + i] = uint8_t(v >> (8 * i));
                }
                std::snprintf(line, sizeof line, "%02x:%02x.%x %02x%02x: %02x%02x:%02x%02x", bus,
                              device, function, config[0x0B], config[0x0A], config[1], config[0],
                              config[3], config[2]);
                out += line;
                if (config[0x08]) {
                    std::snprintf(line, sizeof line, " (rev %02x)", config[0x08]);
                    out += line;
                }
                out += '\n';
                for (int row = 0; row < 256; row += 16) {
                    int n = std::snprintf(line, sizeof line, "%02x:", row);
                    for (int i = 0; i < 16; ++i)
                        n += std::snprintf(line + n, sizeof line - size_t(n), " %02x",
                                           config[row + i]);
                    out += line;
                    out += '\n';
                }
                out += '\n';
                if (function == 0 && !(config[0x0E] & 0x80)) break;
            }
        }
    }
    return out;
}

}  // namespace tvk
