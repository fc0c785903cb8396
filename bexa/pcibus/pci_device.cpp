#include "pci_device.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "id_database.h"

namespace bexa {

namespace {

constexpr uint32_t kSecondaryBusReset = 0x00400000u;    // dword 15: bridge control bit 6
constexpr uint32_t kReceivedMasterAbort = 0x20000000u;  // dword 7: secondary status bit 13

std::string Text(const char* s) {
    return s ? std::string(s) : std::string();
}

}  // namespace

void SleepMilliseconds(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

PciDevice::PciDevice(uint8_t bus_, uint8_t devfn_, AccessMode mode_, int registerCount)
    : bus(bus_), devfn(devfn_), mode(mode_) {
    valid = ReadConfigBlock(*this, bus, devfn, registerCount, false) == 0 ? 1 : 0;
}

void PciDevice::ReloadDevice(uint8_t bus_, uint8_t devfn_, int registerCount) {
    bus = bus_;
    devfn = devfn_;
    valid = ReadConfigBlock(*this, bus, devfn, registerCount, true) == 0 ? 1 : 0;
}

void PciDevice::ReadMissingDwords(int registerCount) {
    const int n = std::min(registerCount & 0xFF, kImageDwords);
    for (int r = dwordsRead; r < n; ++r) {
        uint32_t buffer = 0xFFFFFFFFu;
        ReadConfigDwordRetried(mode, bus, Device(), Function(), uint8_t(r), buffer);
        image[r] = buffer;
        dwordsRead = r + 1;
    }
}

void PciDevice::ResetSecondaryBus(uint8_t bridgeBus, uint8_t bridgeDevfn, const SleepFn& sleep) {
    const uint8_t device = bridgeDevfn >> 3;
    const uint8_t function = bridgeDevfn & 7;
    uint32_t control = 0;
    ReadConfigDwordRetried(mode, bridgeBus, device, function, 15, control);
    WriteConfigDwordRetried(mode, bridgeBus, device, function, 15, control | kSecondaryBusReset);
    sleep(600);
    WriteConfigDwordRetried(mode, bridgeBus, device, function, 15, control & ~kSecondaryBusReset);
    sleep(100);
}

void PciDevice::ClearSecondaryMasterAbort(uint8_t bridgeBus, uint8_t bridgeDevfn) {
    const uint8_t device = bridgeDevfn >> 3;
    const uint8_t function = bridgeDevfn & 7;
    uint32_t status = 0;
    ReadConfigDwordRetried(mode, bridgeBus, device, function, 7, status);
    WriteConfigDwordRetried(mode, bridgeBus, device, function, 7, status | kReceivedMasterAbort);
}

HeaderKind PciDevice::Kind() const {
    if (IsPciBridge()) return HeaderKind::PciBridge;
    if (IsCardBusBridge()) return HeaderKind::CardBus;
    return HeaderKind::Device;
}

uint32_t PciDevice::Bar(int n) const {
    const int count = IsPciBridge() ? 2 : 6;
    return (n >= 0 && n < count) ? image[4 + n] : 0;
}

std::string PciDevice::VendorName() const {
    return Text(bexa::VendorName(VendorId()));
}

std::string PciDevice::VendorShortName() const {
    return Text(bexa::VendorShortName(VendorId()));
}

std::string PciDevice::DeviceName() const {
    return Text(bexa::DeviceName(VendorId(), DeviceId()));
}

std::string PciDevice::DeviceDescription() const {
    return Text(bexa::DeviceDescription(VendorId(), DeviceId()));
}

std::string PciDevice::SubsystemVendorName() const {
    if (SubsystemVendorId() == 0) return " --------------";
    return Text(bexa::SubsystemVendorName(VendorId(), DeviceId(), SubsystemVendorId()));
}

std::string PciDevice::SubsystemName() const {
    if (SubsystemVendorId() == 0) return std::string();
    return Text(bexa::SubsystemName(VendorId(), DeviceId(), SubsystemVendorId(), SubsystemId()));
}

std::string PciDevice::ClassText() const {
    return ClassName(VendorId(), DeviceId(), BaseClass(), SubClass(), ProgIf());
}

std::string PciDevice::RegisterDumpLine(int index) const {
    return bexa::RegisterDumpLine(Kind(), index, image[index & 63]);
}

const std::string& PciDevice::DeviceLine() {
    char range[48] = "  ";
    if (IsPciBridge()) {
        std::snprintf(range, sizeof range, "%d->%d (%d)", PrimaryBus(), SecondaryBus(),
                      SubordinateBus());
    }
    const std::string classText = ClassText();
    const std::string vendor = VendorShortName();
    const std::string name = DeviceName();
    const std::string description = DeviceDescription();
    const std::string subVendor = SubsystemVendorName();
    const std::string subName = SubsystemName();
    const char* format = "%d.%02d.%d    %s  %s  %04x %04x [%s] %s: %s // SubIDs %04x %04x  %s: %s";
    auto print = [&](char* out, size_t size) {
        return std::snprintf(out, size, format, bus, Device(), Function(), range, classText.c_str(),
                             VendorId(), DeviceId(), vendor.c_str(), name.c_str(),
                             description.c_str(), SubsystemVendorId(), SubsystemId(),
                             subVendor.c_str(), subName.c_str());
    };
    const int length = print(nullptr, 0);
    line.assign(length > 0 ? size_t(length) : 0, '\0');
    if (length > 0) print(line.data(), line.size() + 1);
    return line;
}

}  // namespace bexa
