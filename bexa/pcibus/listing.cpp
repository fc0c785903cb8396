#include "listing.h"

#include <algorithm>

namespace bexa {

namespace {

int AncestorCount(const DeviceTree& tree, TreeItem item) {
    int count = 0;
    for (TreeItem p = tree.ParentItem(item); p != kNoTreeItem; p = tree.ParentItem(p))
        ++count;
    return count;
}

void AppendRegisterLines(PciDevice& device, int registerCount, std::string& out) {
    const int n = std::clamp(registerCount, 0, kImageDwords);
    device.ReadMissingDwords(n);
    // Each line is "%50s %s\n" of " " and the dump line: 51 blanks, then the dump line.
    static const std::string kIndent(51, ' ');
    for (int j = 0; j < n; ++j) {
        out += kIndent;
        out += device.RegisterDumpLine(j);
        out += '\n';
    }
}

// Walks the visible items and hands `sink` the text of the listing, one item at a time.
template <typename Sink>
void WalkListing(const DeviceTree& tree, PciDeviceList& list, int registerCount,
                 bool includeRegisters, Sink&& sink) {
    const TreeItem first = tree.FirstItem();
    if (first == kNoTreeItem) return;
    std::string chunk = tree.ItemText(first) + '\n';
    sink(chunk);
    for (TreeItem item = tree.NextVisibleItem(first); item != kNoTreeItem;
         item = tree.NextVisibleItem(item)) {
        chunk.clear();
        const int marks = std::min(AncestorCount(tree, item), kMaxListingIndent);
        for (int i = 0; i < marks; ++i)
            chunk += ":  ";
        chunk += tree.ItemText(item);
        chunk += '\n';
        const intptr_t index = tree.ItemData(item);
        if (includeRegisters && index >= 0 && index < list.Count()) {
            AppendRegisterLines(list.Entry(int(index)), registerCount, chunk);
        }
        sink(chunk);
    }
}

}  // namespace

void AppendListing(const DeviceTree& tree, PciDeviceList& list, int registerCount,
                   bool includeRegisters, std::string& out) {
    WalkListing(tree, list, registerCount, includeRegisters,
                [&](const std::string& chunk) { out += chunk; });
}

bool WriteListing(const DeviceTree& tree, PciDeviceList& list, int registerCount,
                  bool includeRegisters, std::FILE* file) {
    bool ok = true;
    WalkListing(tree, list, registerCount, includeRegisters, [&](const std::string& chunk) {
        ok = std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size() && ok;
    });
    return ok;
}

}  // namespace bexa
