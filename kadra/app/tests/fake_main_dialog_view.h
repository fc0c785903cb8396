// A MainDialogView for tests: keeps the texts, check states and visibility of the items, the
// product list and the window rectangle on a set of monitors, and counts the requests the dialog
// makes of the window.
#pragma once

#include <map>
#include <set>
#include <vector>

#include "ktext.h"
#include "main_dialog_view.h"

namespace kadra::testing {

class FakeMainDialogView : public MainDialogView {
  public:
    void SetControlText(int item, const KText& text) override { texts[item] = text; }
    KText ControlText(int item) const override {
        auto it = texts.find(item);
        return it == texts.end() ? KText() : it->second;
    }
    void SetCheck(int item, bool checked) override { checks[item] = checked; }
    bool IsChecked(int item) const override {
        auto it = checks.find(item);
        return it != checks.end() && it->second;
    }
    void ShowItem(int item, bool visible) override {
        if (visible) {
            hidden.erase(item);
        } else {
            hidden.insert(item);
        }
    }

    void SetProductNames(const std::vector<KText>& names) override {
        productNames = names;
        productSelection = -1;
    }
    void SelectProductEntry(int index) override { productSelection = index; }

    void SetWindowSize(int32_t width, int32_t height) override {
        window.right = window.left + width;
        window.bottom = window.top + height;
    }
    void MoveWindowTo(int32_t left, int32_t top) override {
        const int32_t width = window.right - window.left;
        const int32_t height = window.bottom - window.top;
        window = {left, top, left + width, top + height};
    }
    bool ReadWindowRect(WindowRect* rect) const override {
        if (!windowReadable) return false;
        *rect = window;
        return true;
    }
    bool IsOnVisibleMonitor(const WindowRect& rect) const override {
        for (const WindowRect& m : monitors) {
            if (rect.left < m.right && rect.right > m.left && rect.top < m.bottom &&
                rect.bottom > m.top) {
                return true;
            }
        }
        return false;
    }

    void AcceptDroppedFiles() override { acceptsDrops = true; }
    void ConnectOutputBox() override { outputConnected = true; }
    bool IsNtPlatform() const override { return ntPlatform; }
    void SetWaitCursor() override { ++waitCursors; }
    void RequestClose() override { ++closeRequests; }

    int32_t Width() const { return window.right - window.left; }
    int32_t Height() const { return window.bottom - window.top; }

    std::map<int, KText> texts;
    std::map<int, bool> checks;
    std::set<int> hidden;
    std::vector<KText> productNames;
    int productSelection = -1;
    // Where the dialog library put the window before the dialog sized it.
    WindowRect window{100, 80, 100 + 880, 80 + 520};
    bool windowReadable = true;
    std::vector<WindowRect> monitors{{0, 0, 1920, 1080}};
    bool acceptsDrops = false;
    bool outputConnected = false;
    bool ntPlatform = true;
    int waitCursors = 0;
    int closeRequests = 0;
};

}  // namespace kadra::testing
