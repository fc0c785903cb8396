// A DeviceTree held in memory: the command-line program's tree, and the tests'.
#pragma once

#include <vector>

#include "device_tree.h"

namespace bexa {

class MemoryTree : public DeviceTree {
  public:
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

    size_t ItemCount() const { return nodes_.size(); }
    bool IsExpanded(TreeItem item) const;
    std::vector<TreeItem> Children(TreeItem parent) const;

  private:
    struct Node {
        TreeItem parent = kNoTreeItem;
        std::string text;
        intptr_t data = 0;
        bool hasChildren = false;
        bool expanded = false;
        size_t position = 0;  // among the parent's children
        std::vector<TreeItem> children;
    };
    const Node* Find(TreeItem item) const;
    Node* Find(TreeItem item);
    // The item after `item` among its parent's children, or kNoTreeItem.
    TreeItem NextSibling(TreeItem item) const;

    std::vector<Node> nodes_;  // item handle = index + 1
    std::vector<TreeItem> topLevel_;
};

}  // namespace bexa
