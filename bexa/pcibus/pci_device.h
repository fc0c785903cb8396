// One PCI function: its configuration image, its address and every value derived from the image.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "class_names.h"
#include "config_access.h"
#include "device_tree.h"

namespace bexa {

// Waits the given number of milliseconds (the bridge reset's pulse and settle times).
using SleepFn = std::function<void(int milliseconds)>;
void SleepMilliseconds(int milliseconds);

class PciDevice {
  public:
    // A record with an all-ones image that has not touched the hardware.
    PciDevice() = default;
    // Probes bus/devfn: reads `registerCount` dwords (an empty slot stops after one read);
    // valid is 1 when the function answered.
    PciDevice(uint8_t bus, uint8_t devfn, AccessMode mode, int registerCount);

    // Reads the function at bus/devfn again (all `registerCount` dwords), keeping the mode.
    void ReloadDevice(uint8_t bus, uint8_t devfn, int registerCount);
    // Reads the dwords below `registerCount` that the last block read did not reach.
    void ReadMissingDwords(int registerCount);

    // Pulses Secondary Bus Reset (bridge control bit 6) of the bridge at bus/devfn for 600 ms,
    // then waits 100 ms for the bus to settle; accesses use this record's mode and the retry rule.
    void ResetSecondaryBus(uint8_t bus, uint8_t devfn, const SleepFn& sleep = SleepMilliseconds);
    // Clears Received Master Abort in the secondary status of the bridge at bus/devfn.
    void ClearSecondaryMasterAbort(uint8_t bus, uint8_t devfn);

    // "%d.%02d.%d    %s  %s  %04x %04x [%s] %s: %s // SubIDs %04x %04x  %s: %s"; also stored
    // in `line`, which grows to whatever length the names need.
    const std::string& DeviceLine();

    uint8_t Device() const { return devfn >> 3; }
    uint8_t Function() const { return devfn & 7; }

    // Header kinds.
    bool IsPciBridge() const { return (HeaderType() & 0x7F) == 1; }
    bool IsCardBusBridge() const { return HeaderType() == 0x82; }
    bool IsMultiFunction() const { return (HeaderType() & 0x80) != 0; }
    HeaderKind Kind() const;

    // Raw image fields.
    uint8_t Byte(int offset) const {
        return uint8_t(image[(offset >> 2) & 63] >> ((offset & 3) * 8));
    }
    uint16_t Word(int offset) const {
        return uint16_t(image[(offset >> 2) & 63] >> ((offset & 2) * 8));
    }
    uint32_t Dword(int offset) const { return image[(offset >> 2) & 63]; }

    uint16_t VendorId() const { return Word(0x00); }
    uint16_t DeviceId() const { return Word(0x02); }
    uint16_t Command() const { return Word(0x04); }
    uint16_t Status() const { return Word(0x06); }
    uint8_t Revision() const { return Byte(0x08); }
    uint8_t ProgIf() const { return Byte(0x09); }
    uint8_t SubClass() const { return Byte(0x0A); }
    uint8_t BaseClass() const { return Byte(0x0B); }
    uint8_t CacheLineSize() const { return Byte(0x0C); }
    uint8_t LatencyTimer() const { return Byte(0x0D); }
    uint8_t HeaderType() const { return Byte(0x0E); }
    uint8_t Bist() const { return Byte(0x0F); }
    // BAR 0-5 of an ordinary function, BAR 0-1 of a PCI-to-PCI bridge, else 0.
    uint32_t Bar(int n) const;
    uint16_t SubsystemVendorId() const { return IsPciBridge() ? 0 : Word(0x2C); }
    uint16_t SubsystemId() const { return IsPciBridge() ? 0 : Word(0x2E); }
    uint32_t ExpansionRomBase() const { return IsPciBridge() ? Dword(0x38) : Dword(0x30); }
    uint8_t InterruptLine() const { return Byte(0x3C); }
    uint8_t InterruptPin() const { return Byte(0x3D); }
    uint8_t MinGnt() const { return IsPciBridge() ? 0 : Byte(0x3E); }
    uint8_t MaxLat() const { return IsPciBridge() ? 0 : Byte(0x3F); }
    uint8_t PrimaryBus() const { return HasBusNumbers() ? Byte(0x18) : 0; }
    uint8_t SecondaryBus() const { return HasBusNumbers() ? Byte(0x19) : 0; }
    uint8_t SubordinateBus() const { return HasBusNumbers() ? Byte(0x1A) : 0; }
    uint16_t MemoryBase() const { return IsPciBridge() ? Word(0x20) : 0; }
    uint16_t MemoryLimit() const { return IsPciBridge() ? Word(0x22) : 0; }
    uint16_t PrefetchableBase() const { return IsPciBridge() ? Word(0x24) : 0; }
    uint16_t PrefetchableLimit() const { return IsPciBridge() ? Word(0x26) : 0; }

    // Names.
    std::string VendorName() const;
    std::string VendorShortName() const;
    std::string DeviceName() const;
    std::string DeviceDescription() const;
    // " --------------" and empty when the subsystem vendor ID is 0.
    std::string SubsystemVendorName() const;
    std::string SubsystemName() const;
    std::string ClassText() const;
    // One line of the register dump of dword `index` (0-63), labelled for this header kind.
    std::string RegisterDumpLine(int index) const;

    std::array<uint32_t, kImageDwords> image = AllOnes();
    std::string line;
    TreeItem treeItem = kNoTreeItem;
    uint8_t bus = 0;
    uint8_t devfn = 0;
    AccessMode mode = AccessMode::Ports;
    uint8_t valid = 0;
    // Dwords the last block read reached; the image above them holds nothing defined.
    int dwordsRead = 0;

  private:
    bool HasBusNumbers() const { return IsPciBridge() || IsCardBusBridge(); }
    static std::array<uint32_t, kImageDwords> AllOnes() {
        std::array<uint32_t, kImageDwords> a;
        a.fill(0xFFFFFFFFu);
        return a;
    }
};

}  // namespace bexa
