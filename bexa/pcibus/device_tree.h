// The bus tree as the scan fills it and the listing walks it. The main window's tree view and
// the in-memory tree of the command-line program implement it, so both list the same lines.
#pragma once

#include <cstdint>
#include <string>

namespace bexa {

// An item handle; kNoTreeItem stands for "none" (as a parent: the top level).
using TreeItem = std::uintptr_t;
inline constexpr TreeItem kNoTreeItem = 0;

class DeviceTree {
  public:
    virtual ~DeviceTree() = default;

    // Inserts an item as the last child of `parent` (kNoTreeItem: last top-level item).
    // `hasChildren` shows an expand button before any child exists.
    virtual TreeItem InsertItem(TreeItem parent, const std::string& text, intptr_t data,
                                bool hasChildren) = 0;
    virtual void DeleteAllItems() = 0;
    virtual void Expand(TreeItem item) = 0;
    virtual void Collapse(TreeItem item) = 0;

    // Walking in display order: the first top-level item, then each next visible item (the
    // children of collapsed items are skipped); kNoTreeItem after the last.
    virtual TreeItem FirstItem() const = 0;
    virtual TreeItem NextVisibleItem(TreeItem item) const = 0;
    virtual TreeItem ParentItem(TreeItem item) const = 0;
    virtual std::string ItemText(TreeItem item) const = 0;
    virtual intptr_t ItemData(TreeItem item) const = 0;
};

}  // namespace bexa
