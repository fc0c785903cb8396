// The machine of this Windows PC as its Plug and Play manager describes it: configuration
// images built from the reported properties (pnp_image.h), read-only. Nothing reaches the
// hardware: configuration reads answer from the images; a BAR answers the size probe (writing
// FFFFFFFF reads back its size mask, writing its value back restores it) as the emulation of
// a real BAR; every other configuration write is refused, ports cannot be reached and no
// memory can be mapped.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "machine.h"
#include "pnp_image.h"
#include "sim_machine.h"

namespace tvk {

class PnpMachine : public Machine {
  public:
    // Builds the images of `devices`; what was left out is in Notes().
    explicit PnpMachine(const std::vector<PnpDevice>& devices);

    bool ReadConfig(uint8_t bus, uint8_t device, uint8_t function, uint16_t offset,
                    uint32_t& value) override;
    bool TakesConfigWrite(uint8_t bus, uint8_t device, uint8_t function, uint16_t offset,
                          uint32_t value) const override;
    void WriteConfig(uint8_t bus, uint8_t device, uint8_t function, uint16_t offset,
                     uint32_t value) override;
    bool ReadPort(uint32_t, uint32_t&) override { return false; }
    bool WritePort(uint32_t, uint32_t) override { return false; }
    void* MapPhysical(uint32_t, uint32_t) override { return nullptr; }
    void UnmapPhysical(void*, uint32_t) override {}
    std::string SourceLabel() const override { return "Windows, read-only"; }

    size_t FunctionCount() const { return images_.size(); }
    const std::vector<FunctionImage>& Functions() const { return images_; }
    const std::vector<std::string>& Notes() const { return notes_; }

  private:
    SimMachine sim_;
    std::vector<FunctionImage> images_;
    std::vector<std::string> notes_;
};

}  // namespace tvk
