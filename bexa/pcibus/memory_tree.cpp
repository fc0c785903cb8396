#include "memory_tree.h"

namespace bexa {

const MemoryTree::Node* MemoryTree::Find(TreeItem item) const {
    return (item != kNoTreeItem && item <= nodes_.size()) ? &nodes_[item - 1] : nullptr;
}

MemoryTree::Node* MemoryTree::Find(TreeItem item) {
    return (item != kNoTreeItem && item <= nodes_.size()) ? &nodes_[item - 1] : nullptr;
}

TreeItem MemoryTree::InsertItem(TreeItem parent, const std::string& text, intptr_t data,
                                bool hasChildren) {
    Node node;
    node.parent = Find(parent) ? parent : kNoTreeItem;
    node.text = text;
    node.data = data;
    node.hasChildren = hasChildren;
    std::vector<TreeItem>& siblings = Find(parent) ? Find(parent)->children : topLevel_;
    node.position = siblings.size();
    const TreeItem item = nodes_.size() + 1;
    siblings.push_back(item);
    nodes_.push_back(std::move(node));
    return item;
}

void MemoryTree::DeleteAllItems() {
    nodes_.clear();
    topLevel_.clear();
}

void MemoryTree::Expand(TreeItem item) {
    if (Node* n = Find(item)) n->expanded = true;
}

void MemoryTree::Collapse(TreeItem item) {
    if (Node* n = Find(item)) n->expanded = false;
}

bool MemoryTree::IsExpanded(TreeItem item) const {
    const Node* n = Find(item);
    return n && n->expanded;
}

std::vector<TreeItem> MemoryTree::Children(TreeItem parent) const {
    if (parent == kNoTreeItem) return topLevel_;
    const Node* n = Find(parent);
    return n ? n->children : std::vector<TreeItem>();
}

TreeItem MemoryTree::FirstItem() const {
    return topLevel_.empty() ? kNoTreeItem : topLevel_[0];
}

TreeItem MemoryTree::NextSibling(TreeItem item) const {
    const Node* n = Find(item);
    if (!n) return kNoTreeItem;
    const Node* p = Find(n->parent);
    const std::vector<TreeItem>& siblings = p ? p->children : topLevel_;
    return n->position + 1 < siblings.size() ? siblings[n->position + 1] : kNoTreeItem;
}

TreeItem MemoryTree::NextVisibleItem(TreeItem item) const {
    const Node* n = Find(item);
    if (!n) return kNoTreeItem;
    if (n->expanded && !n->children.empty()) return n->children.front();
    for (TreeItem at = item; at != kNoTreeItem; at = Find(at)->parent) {
        const TreeItem next = NextSibling(at);
        if (next != kNoTreeItem) return next;
    }
    return kNoTreeItem;
}

TreeItem MemoryTree::ParentItem(TreeItem item) const {
    const Node* n = Find(item);
    return n ? n->parent : kNoTreeItem;
}

std::string MemoryTree::ItemText(TreeItem item) const {
    const Node* n = Find(item);
    return n ? n->text : std::string();
}

intptr_t MemoryTree::ItemData(TreeItem item) const {
    const Node* n = Find(item);
    return n ? n->data : 0;
}

}  // namespace bexa
