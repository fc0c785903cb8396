// Texts derived from a function's class code and configuration registers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace bexa {

// Header layout of a function, decided as: PCI-to-PCI bridge first, then CardBus bridge.
enum class HeaderKind { Device, PciBridge, CardBus };

std::optional<std::string> ClassTableText(uint8_t baseClass, uint8_t subClass, uint8_t progIf);
std::string ClassName(uint16_t vendorId, uint16_t deviceId, uint8_t baseClass, uint8_t subClass,
                      uint8_t progIf);
// One line of the register dump list: " %04X %04X <%02X : " + label (+ BAR kind).
std::string RegisterDumpLine(HeaderKind kind, int registerIndex, uint32_t value);
std::string BarKindShort(uint32_t barValue);

}  // namespace bexa
