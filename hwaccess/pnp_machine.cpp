#include "pnp_machine.h"

namespace tvk {

namespace {

uint32_t Dword(const std::vector<uint8_t>& c, size_t offset) {
    return uint32_t(c[offset]) | uint32_t(c[offset + 1]) << 8 | uint32_t(c[offset + 2]) << 16 |
           uint32_t(c[offset + 3]) << 24;
}

}  // namespace

PnpMachine::PnpMachine(const std::vector<PnpDevice>& devices) {
    PnpImages built = BuildPnpImages(devices);
    notes_ = std::move(built.notes);
    for (FunctionImage& image : built.functions) {
        std::string error;
        if (sim_.AddFunction(image, error))
            images_.push_back(std::move(image));
        else
            notes_.push_back("left out: " + error);
    }
}

bool PnpMachine::ReadConfig(uint8_t bus, uint8_t device, uint8_t function, uint16_t offset,
                            uint32_t& value) {
    return sim_.ReadConfig(bus, device, function, offset, value);
}

bool PnpMachine::TakesConfigWrite(uint8_t bus, uint8_t device, uint8_t function, uint16_t offset,
                                  uint32_t value) const {
    const std::vector<uint8_t>* now = sim_.ConfigImage(bus, device, function);
    if (!now) return false;
    const int header = (*now)[0x0E] & 0x7F;
    const int bars = header == 0 ? 6 : header == 1 ? 2 : 1;
    if (offset < 0x10 || offset >= 0x10 + 4 * bars) return false;
    // The size probe and the restore of the value Windows assigned.
    for (const FunctionImage& image : images_) {
        if (image.bus == bus && image.device == device && image.function == function)
            return value == 0xFFFFFFFFu || value == Dword(image.config, offset);
    }
    return false;
}

void PnpMachine::WriteConfig(uint8_t bus, uint8_t device, uint8_t function, uint16_t offset,
                             uint32_t value) {
    if (TakesConfigWrite(bus, device, function, offset, value))
        sim_.WriteConfig(bus, device, function, offset, value);
}

}  // namespace tvk
