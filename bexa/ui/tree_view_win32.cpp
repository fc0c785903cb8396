#include "tree_view_win32.h"

#include <commctrl.h>

#include <vector>

namespace bexa {

namespace {

HTREEITEM Handle(TreeItem item) {
    return reinterpret_cast<HTREEITEM>(item);
}

}  // namespace

TreeItem TreeViewTree::InsertItem(TreeItem parent, const std::string& text, intptr_t data,
                                  bool hasChildren) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent == kNoTreeItem ? TVI_ROOT : Handle(parent);
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.lParam = LPARAM(data);
    if (hasChildren) {
        insert.item.mask |= TVIF_CHILDREN;
        insert.item.cChildren = 1;
    }
    const LRESULT handle = SendMessageA(control_, TVM_INSERTITEMA, 0, LPARAM(&insert));
    return TreeItem(handle);
}

void TreeViewTree::DeleteAllItems() {
    SendMessageA(control_, TVM_DELETEITEM, 0, LPARAM(TVI_ROOT));
}

void TreeViewTree::Expand(TreeItem item) {
    if (item != kNoTreeItem) SendMessageA(control_, TVM_EXPAND, TVE_EXPAND, LPARAM(Handle(item)));
}

void TreeViewTree::Collapse(TreeItem item) {
    if (item != kNoTreeItem) {
        SendMessageA(control_, TVM_EXPAND, TVE_COLLAPSE, LPARAM(Handle(item)));
    }
}

TreeItem TreeViewTree::FirstItem() const {
    return TreeItem(SendMessageA(control_, TVM_GETNEXTITEM, TVGN_ROOT, 0));
}

TreeItem TreeViewTree::NextVisibleItem(TreeItem item) const {
    return TreeItem(
        SendMessageA(control_, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, LPARAM(Handle(item))));
}

TreeItem TreeViewTree::ParentItem(TreeItem item) const {
    return TreeItem(SendMessageA(control_, TVM_GETNEXTITEM, TVGN_PARENT, LPARAM(Handle(item))));
}

std::string TreeViewTree::ItemText(TreeItem item) const {
    // Device lines grow with the names of the ID file; ask again with more room until the
    // text fits.
    for (size_t size = 1024; size <= (1u << 20); size *= 4) {
        std::vector<char> buffer(size, '\0');
        TVITEMA query{};
        query.mask = TVIF_TEXT;
        query.hItem = Handle(item);
        query.pszText = buffer.data();
        query.cchTextMax = int(size);
        if (!SendMessageA(control_, TVM_GETITEMA, 0, LPARAM(&query))) return {};
        const std::string text(query.pszText);
        if (text.size() + 1 < size) return text;
    }
    return {};
}

intptr_t TreeViewTree::ItemData(TreeItem item) const {
    TVITEMA query{};
    query.mask = TVIF_PARAM;
    query.hItem = Handle(item);
    if (!SendMessageA(control_, TVM_GETITEMA, 0, LPARAM(&query))) return 0;
    return intptr_t(query.lParam);
}

TreeItem TreeViewTree::SelectedItem() const {
    return TreeItem(SendMessageA(control_, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

void TreeViewTree::Select(TreeItem item) {
    SendMessageA(control_, TVM_SELECTITEM, TVGN_CARET, LPARAM(Handle(item)));
}

}  // namespace bexa
