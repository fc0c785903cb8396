// The functions found by a bus scan, in scan order, and the scan that finds them and fills the
// bus tree.
#pragma once

#include <bitset>
#include <memory>
#include <vector>

#include "device_tree.h"
#include "pci_device.h"

namespace bexa {

class PciDeviceList {
  public:
    static constexpr int kMaxEntries = 1024;

    explicit PciDeviceList(AccessMode mode = AccessMode::Ports);

    int Count() const { return int(entries_.size()); }
    PciDevice& Entry(int index) { return *entries_[size_t(index)]; }
    const PciDevice& Entry(int index) const { return *entries_[size_t(index)]; }
    // Appends a device; returns its index, or -1 (and drops it) when the list is full.
    int Add(std::unique_ptr<PciDevice> device);

    // Scans `bus` for functions, inserting one tree item per function under `parent`, and
    // follows bridges to their secondary buses. Returns the functions found there and behind.
    int ScanBus(uint8_t bus, DeviceTree& tree, TreeItem parent, int registerCount);
    bool IsBusScanned(uint8_t bus) const { return scannedBuses_.test(bus); }

    // The scratch record for direct selection of any address; not part of the list.
    PciDevice root;
    // Bus counter of the scan: one more for every bridge followed.
    uint8_t busCounter = 0;
    // The highest bus number handed back by BuildDeviceList.
    int highestBus = 0;
    // Access mode of new entries.
    AccessMode mode;
    // Functions found after the list was full: counted, not stored, not shown.
    int dropped = 0;

  private:
    std::vector<std::unique_ptr<PciDevice>> entries_;
    std::bitset<256> scannedBuses_;
};

// Scans buses 0-255 with configuration mechanism `mode`, reading `registerCount` (16 or 64)
// dwords per function, into `tree` under a new top-level "host CPU" item; expands the tree.
std::unique_ptr<PciDeviceList> BuildDeviceList(DeviceTree& tree, AccessMode mode,
                                               int registerCount);

}  // namespace bexa
