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
    char buffer[2048];
    for (int j = 0; j < n; ++j) {
        const std::string dump = device.RegisterDumpLine(j);
        const int length = std::snprintf(buffer, sizeof buffer, "%50s %s\n", " ", dump.c_str());
        if (length >= 0 && size_t(length) < sizeof buffer) {
            out.append(buffer, size_t(length));
        } else {
            out.append(50, ' ').append(" ").append(dump).append("\n");
        }
    }
}

}  // namespace

void AppendListing(const DeviceTree& tree, PciDeviceList& list, int registerCount,
                   bool includeRegisters, std::string& out) {
    const TreeItem first = tree.FirstItem();
    if (first == kNoTreeItem) return;
    out += tree.ItemText(first);
    out += '\n';
    for (TreeItem item = tree.NextVisibleItem(first); item != kNoTreeItem;
         item = tree.NextVisibleItem(item)) {
        const int marks = std::min(AncestorCount(tree, item), kMaxListingIndent);
        for (int i = 0; i < marks; ++i)
            out += ":  ";
        out += tree.ItemText(item);
        out += '\n';
        const intptr_t index = tree.ItemData(item);
        if (includeRegisters && index >= 0 && index < list.Count()) {
            AppendRegisterLines(list.Entry(int(index)), registerCount, out);
        }
    }
}

bool WriteListing(const DeviceTree& tree, PciDeviceList& list, int registerCount,
                  bool includeRegisters, std::FILE* file) {
    std::string text;
    AppendListing(tree, list, registerCount, includeRegisters, text);
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

}  // namespace bexa
