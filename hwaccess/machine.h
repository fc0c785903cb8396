// A machine as the hardware-access service sees it: PCI configuration spaces, I/O ports and
// physical memory. Each backend (simulated, Linux live) is one implementation in a file of its
// own; the service decodes configuration mechanism #1 (ports 0xCF8/0xCFC) on top of it and
// never asks which backend it runs on.
#pragma once

#include <cstdint>
#include <string>

namespace tvk {

class Machine {
  public:
    virtual ~Machine() = default;

    // Reads the configuration dword at byte `offset` (dword aligned, below 4096) of a function.
    // Returns false when no function answers at that address.
    virtual bool ReadConfig(uint8_t bus, uint8_t device, uint8_t function, uint16_t offset,
                            uint32_t& value) = 0;
    // Whether the machine takes a configuration write: false when it refuses it (a read-only
    // machine), and the write through 0xCFC then fails.
    virtual bool TakesConfigWrite(uint8_t /*bus*/, uint8_t /*device*/, uint8_t /*function*/,
                                  uint16_t /*offset*/, uint32_t /*value*/) const {
        return true;
    }
    // Writes a configuration dword; ignored where no function answers.
    virtual void WriteConfig(uint8_t bus, uint8_t device, uint8_t function, uint16_t offset,
                             uint32_t value) = 0;

    // I/O ports other than 0xCF8/0xCFC, 32 bits wide. false = the port cannot be reached.
    virtual bool ReadPort(uint32_t port, uint32_t& value) = 0;
    virtual bool WritePort(uint32_t port, uint32_t value) = 0;

    // A view of physical memory, or nullptr; each successful map is paired with one unmap.
    virtual void* MapPhysical(uint32_t address, uint32_t length) = 0;
    virtual void UnmapPhysical(void* view, uint32_t length) = 0;

    // What the user is told this machine is, after the program's name in a window caption:
    // empty for this computer's own hardware reached in full, otherwise for example
    // "simulated: embedded machine" or "dump: NAME".
    virtual std::string SourceLabel() const { return {}; }
};

}  // namespace tvk
