// The bus tree over a Win32 tree view control: the scan inserts into it and the listing walks
// it, exactly as they do with the in-memory tree.
#pragma once

#include <windows.h>

#include "device_tree.h"

namespace bexa {

class TreeViewTree : public DeviceTree {
  public:
    TreeViewTree() = default;
    explicit TreeViewTree(HWND control) : control_(control) {}
    void Attach(HWND control) { control_ = control; }
    HWND Control() const { return control_; }

    TreeItem InsertItem(TreeItem parent, const std::string& text, intptr_t data,
                        bool hasChildren) override;
    void DeleteAllItems() override;
    void Expand(TreeItem item) override;
    void Collapse(TreeItem item) override;

    TreeItem FirstItem() const override;
    TreeItem NextVisibleItem(TreeItem item) const override;
    TreeItem ParentItem(TreeItem item) const override;
    std::string ItemText(TreeItem item) const override;
    intptr_t ItemData(TreeItem item) const override;

    TreeItem SelectedItem() const;
    // Selects `item` (kNoTreeItem clears the selection); the control notifies its parent.
    void Select(TreeItem item);

  private:
    HWND control_ = nullptr;
};

}  // namespace bexa
