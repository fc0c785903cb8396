#include "class_names.h"

#include <cstdio>
#include <iterator>

#include "class_code_table.h"

namespace bexa {

namespace {

struct FallbackRow {
    uint8_t baseClass;
    const char* text;
};

constexpr FallbackRow kFallbackTexts[] = {
    {0x01, "o. Mass Storage Controller"},
    {0x02, "o. Network Controller"},
    {0x03, "o. Display Controller"},
    {0x04, "o. Multimedia"},
    {0x05, "o. Memory Controller"},
    {0x06, "o. Bridge Device"},
    {0x07, "o. Communications Device"},
    {0x08, "o. system peripheral"},
    {0x09, "o. Input Controller"},
    {0x0A, "o. Docking Station"},
    {0x0B, "o. Processor"},
    {0x0C, "o. serial bus Device"},
    {0x0D, "o. wireless controller Device"},
    {0x0E, "o. intelligent IO Device"},
    {0x0F, "o. satellite communication Device"},
    {0x10, "o. en/decryption Device"},
    {0x11, "o. data acquisition and signal processing device"},
};

const char* FallbackText(uint8_t baseClass) {
    for (const FallbackRow& row : kFallbackTexts) {
        if (row.baseClass == baseClass) return row.text;
    }
    return nullptr;
}

// Labels of registers 0 to 15 for each header layout; BAR rows get the BAR kind appended.
constexpr const char* kDeviceLabels[16] = {
    "DID VID",
    "Stat Cmd",
    "BaseClass SubClass PgmIF RevID",
    "BIST Header LatTimer CacheLSize",
    "BAR 0",
    "BAR 1",
    "BAR 2",
    "BAR 3",
    "BAR 4",
    "BAR 5",
    "Cardbus_CIS_Ptr",
    "SubID SubVendorID",
    "Exp_ROM_BAR",
    "reserved",
    "reserved",
    "maxLat minGnt IntPin IntLine",
};

constexpr const char* kPciBridgeLabels[16] = {
    "DID VID",
    "Stat Cmd",
    "BaseClass SubClass PgmIF RevID",
    "BIST Header LatTimer CacheLSize",
    "BAR 0",
    "BAR 1",
    "sLatTimer subBNr secBNr priBNr",
    "secStat  IOLimit IOBase",
    "MemLimit MemBase",
    "prefMemLimit prefMemBase",
    "prefBaseUpper32",
    "prefBaseUpper32",
    "IOLimitUpper16 IOBaseUpper16",
    "reserved",
    "Exp_ROM_BAR",
    "BrigeControl IntPin IntLine",
};

constexpr const char* kCardBusLabels[16] = {
    "DID VID",
    "Stat Cmd",
    "BaseClass SubClass PgmIF RevID",
    "BIST Header LatTimer CacheLSize",
    "CBsocketReg",
    "secStat res capabPointer",
    "CBLatTimer subBNr CBBNr PciBNr",
    "CB membase 0",
    "CB memlimit 0",
    "CB membase 1",
    "CB memlimit 1",
    "CB IObase 0",
    "CB IOlimit 0",
    "CB IObase 1",
    "CB IOlimit 1",
    "BrigeControl IntPin IntLine",
};

bool IsBarRegister(HeaderKind kind, int registerIndex) {
    switch (kind) {
        case HeaderKind::Device:
            return registerIndex >= 4 && registerIndex <= 9;
        case HeaderKind::PciBridge:
            return registerIndex == 4 || registerIndex == 5;
        case HeaderKind::CardBus:
            return false;
    }
    return false;
}

}  // namespace

std::optional<std::string> ClassTableText(uint8_t baseClass, uint8_t subClass, uint8_t progIf) {
    for (const ClassCodeRow& row : ClassCodeTable) {
        if (row.baseClass != baseClass || row.subClass != subClass || row.progIf != progIf) {
            continue;
        }
        std::string text = row.interfaceText;
        if (!text.empty()) text += "; ";
        text += row.subClassText;
        text += "; ";
        text += row.baseText;
        return text;
    }
    return std::nullopt;
}

std::string ClassName(uint16_t vendorId, uint16_t deviceId, uint8_t baseClass, uint8_t subClass,
                      uint8_t progIf) {
    if (baseClass == 0x00) {
        if (vendorId == 0x8086) {
            switch (deviceId) {
                case 0x0484:
                    return "ISA Bridge";
                case 0x0483:
                    return "Host Bridge";
                case 0x0482:
                    return "EISA Bridge";
                case 0x0453:
                    return "PCI Test Card";
                default:
                    break;
            }
        }
        if (vendorId == 0x1000 && deviceId == 0x0001) return "SCSI Bus";
    } else if (baseClass <= 0x11) {
        if (std::optional<std::string> text = ClassTableText(baseClass, subClass, progIf)) {
            return *text;
        }
        return FallbackText(baseClass);
    } else if (baseClass == 0xFF) {
        return "PCI Device";
    } else if (vendorId == 0x8086 && deviceId == 0x4248) {
        return "PCI Dlock Card";
    }
    if (std::optional<std::string> text = ClassTableText(baseClass, subClass, progIf)) {
        return *text;
    }
    return "Unknown Device";
}

std::string RegisterDumpLine(HeaderKind kind, int registerIndex, uint32_t value) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, " %04X %04X <%02X : ", static_cast<unsigned>(value >> 16),
                  static_cast<unsigned>(value & 0xFFFF),
                  static_cast<unsigned>(registerIndex * 4) & 0xFFu);
    std::string line = prefix;
    if (registerIndex < 0 || registerIndex >= 16) {
        line += "< dev.specific";
        return line;
    }
    switch (kind) {
        case HeaderKind::Device:
            line += kDeviceLabels[registerIndex];
            break;
        case HeaderKind::PciBridge:
            line += kPciBridgeLabels[registerIndex];
            break;
        case HeaderKind::CardBus:
            line += kCardBusLabels[registerIndex];
            break;
    }
    if (IsBarRegister(kind, registerIndex)) line += BarKindShort(value);
    return line;
}

std::string BarKindShort(uint32_t barValue) {
    if (barValue == 0) return "";
    if (barValue & 1u) return " io";
    std::string text = " mem";
    if (barValue & 8u) text += " pref.";
    switch ((barValue >> 1) & 3u) {
        case 0:
            text += " 32bit";
            break;
        case 1:
            text += "  <1MB";
            break;
        case 2:
            text += " 64bit";
            break;
        default:
            break;
    }
    return text;
}

}  // namespace bexa
