#include "device_list.h"

namespace bexa {

PciDeviceList::PciDeviceList(AccessMode mode_) : mode(mode_) {
    root.mode = mode_;
    entries_.reserve(kMaxEntries);
}

int PciDeviceList::Add(std::unique_ptr<PciDevice> device) {
    if (entries_.size() >= size_t(kMaxEntries)) {
        ++dropped;
        return -1;
    }
    entries_.push_back(std::move(device));
    return int(entries_.size()) - 1;
}

int PciDeviceList::ScanBus(uint8_t bus, DeviceTree& tree, TreeItem parent, int registerCount) {
    scannedBuses_.set(bus);
    int found = 0;
    for (int device = 0; device < 32; ++device) {
        bool multiFunction = false;
        for (int function = 0; function < 8; ++function) {
            if (function > 0 && !multiFunction) break;
            const uint8_t devfn = uint8_t(device * 8 + function);
            auto probe = std::make_unique<PciDevice>(bus, devfn, mode, registerCount);
            if (probe->valid != 1) {
                if (function == 0) break;
                continue;
            }
            if (function == 0) multiFunction = probe->IsMultiFunction();
            ++found;
            PciDevice* entry = probe.get();
            const bool follow = entry->IsPciBridge() || entry->IsCardBusBridge();
            const uint8_t secondary = entry->SecondaryBus();
            TreeItem item = parent;
            const int index = Add(std::move(probe));
            if (index >= 0) {
                item = tree.InsertItem(parent, entry->DeviceLine(), index, false);
                entry->treeItem = item;
            }
            // A bridge leads to a bus above its own that no scan has reached yet; anything else
            // (an unconfigured bridge, a loop) is not followed.
            if (follow && secondary > bus && !scannedBuses_.test(secondary)) {
                ++busCounter;
                found += ScanBus(secondary, tree, item, registerCount);
            }
        }
    }
    return found;
}

std::unique_ptr<PciDeviceList> BuildDeviceList(DeviceTree& tree, AccessMode mode,
                                               int registerCount) {
    auto list = std::make_unique<PciDeviceList>(mode);
    // The root entry is a scratch record that the main window reloads before it shows it;
    // creating it reads nothing.
    list->root.bus = 0;
    list->root.devfn = 0;
    const TreeItem host = tree.InsertItem(kNoTreeItem, "host CPU", 0, true);
    int highest = 0;
    for (int i = 0; i < 256; ++i) {
        list->busCounter = uint8_t(i);
        if (list->IsBusScanned(uint8_t(i))) continue;
        const int found = list->ScanBus(uint8_t(i), tree, host, registerCount);
        if (found > 0) {
            highest = list->busCounter;
            i = list->busCounter;
        }
    }
    list->highestBus = highest;
    tree.Expand(host);
    for (int i = 0; i < list->Count(); ++i)
        tree.Expand(list->Entry(i).treeItem);
    return list;
}

}  // namespace bexa
