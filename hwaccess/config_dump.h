// The walk of tvkdump: every function reachable through configuration mechanism #1 (the
// TVK_OutPort(0xCF8) / TVK_InPort(0xCFC) pair of the service), written in the format of
// `lspci -n -xxx` so that `lspci -F` reads it.
#pragma once

#include <cstdint>
#include <string>

namespace tvk {

// Reads configuration dword `reg` (0-63) of a function through ports 0xCF8/0xCFC; all ones
// when the port calls fail.
uint32_t ReadConfigThroughPorts(uint8_t bus, uint8_t device, uint8_t function, uint8_t reg);

// Walks buses 0-255, devices 0-31, functions 0-7 (1-7 only when function 0 answered with the
// multi-function bit in its header type). A function answers when its vendor ID is not
// 0xFFFF. Each function found gives a header line "BB:DD.F CCCC: VVVV:DDDD[ (rev RR)]", 16
// lines "XX: xx .. xx" for its 256 bytes and an empty line.
std::string DumpConfigSpaces();

}  // namespace tvk
