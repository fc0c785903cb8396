// Configuration images of functions and bridges for simulated machines in tests, and the
// installation of such a machine as the service's machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim_machine.h"

namespace tvk::test {

// Stores a little-endian dword at `offset` of a configuration image.
void Put32(std::vector<uint8_t>& config, size_t offset, uint32_t value);

// A function of 256 configuration bytes with the given ids, header type and class code
// (base << 16 | sub << 8 | programming interface), revision 1 and interrupt pin A.
FunctionImage Function(uint8_t bus, uint8_t device, uint8_t function, uint16_t vendorId,
                       uint16_t deviceId, uint8_t header = 0x00, uint32_t classCode = 0x048000);

// A PCI-to-PCI bridge (header type 1, or 0x81 for a multi-function device) on `bus`, with
// that bus as its primary bus, the given secondary and subordinate buses and no interrupt pin.
FunctionImage Bridge(uint8_t bus, uint8_t device, uint8_t function, uint8_t secondary,
                     uint8_t subordinate, uint8_t header = 0x01);

// Installs a simulated machine holding `functions` as the service's machine; every function
// must be accepted. The service owns the machine: the reference stays valid until the next
// installation.
SimMachine& InstallSim(const std::vector<FunctionImage>& functions);

}  // namespace tvk::test
