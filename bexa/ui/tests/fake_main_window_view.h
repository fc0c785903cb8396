// A MainWindowView for tests: records what the window shows, answers its questions from a
// script, and reports tree selections back to the window as the tree view control does.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "main_window.h"
#include "main_window_view.h"
#include "memory_tree.h"

namespace bexa {

struct ShownMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
    MessageButtons buttons;
    bool treeWasEmpty;  // nothing scanned yet when it was shown
};

class FakeMainWindowView : public MainWindowView {
  public:
    void AddAboutToSystemMenu() override { steps.push_back("system menu"); }
    bool RunDriverCheck() override {
        steps.push_back("driver check");
        return driverCheckPasses;
    }
    void PrepareControls() override { steps.push_back("prepare controls"); }
    void SetCounterRanges() override { steps.push_back("counter ranges"); }
    uint32_t OsVersionWord() const override { return versionWord; }

    void SetCaption(const std::string& text) override { windowCaption = text; }
    void SetControlText(int id, const std::string& text) override { texts[id] = text; }
    std::string ControlText(int id) const override {
        auto it = texts.find(id);
        return it == texts.end() ? std::string() : it->second;
    }
    void SetCheck(int id, bool checked) override { checks[id] = checked; }
    bool IsChecked(int id) const override {
        auto it = checks.find(id);
        return it != checks.end() && it->second;
    }

    void SetDumpLines(const std::vector<std::string>& lines) override {
        dump = lines;
        dumpSelection = -1;
    }
    void SelectDumpLine(int index) override { dumpSelection = index; }

    DeviceTree& Tree() override { return tree; }
    TreeItem SelectedTreeItem() const override { return selected; }
    void SelectTreeItem(TreeItem item) override {
        if (item == selected) return;
        selected = item;
        if (window != nullptr) window->TreeSelectionChanged(item);
    }

    void ScrollTreeTo(TreeItem item) override { firstInView = item; }

    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override {
        messages.push_back({text, caption, icon, buttons, tree.FirstItem() == kNoTreeItem});
        if (!answers.empty()) {
            const MessageAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
        ADD_FAILURE() << "unanswered question: " << text;
        return MessageAnswer::Cancel;
    }
    bool AskListingFileName(std::string& path) override {
        ++saveDialogs;
        if (!listingPath) return false;
        path = *listingPath;
        return true;
    }

    void OpenBarSpaceWindow(uint32_t barValue, uint32_t probeValue) override {
        barWindows.push_back({barValue, probeValue});
    }
    void OpenMemoryMapWindow(const PciDeviceList& list) override { memoryMaps.push_back(&list); }
    void OpenInterruptRoutingWindow(const PciDeviceList& list) override {
        interruptRoutings.push_back(&list);
    }
    void OpenAboutWindow() override { ++aboutWindows; }
    void Close() override { ++closes; }

    std::string Text(int id) const { return ControlText(id); }

    MainWindow* window = nullptr;
    MemoryTree tree;
    TreeItem selected = kNoTreeItem;
    std::string windowCaption = "Bexa";
    TreeItem firstInView = kNoTreeItem;
    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    std::vector<std::string> dump;
    int dumpSelection = -1;
    std::vector<std::string> steps;
    bool driverCheckPasses = true;
    uint32_t versionWord = 0x1DB10106;  // Windows 7 SP1: NT family, build 7601
    std::vector<ShownMessage> messages;
    std::deque<MessageAnswer> answers;
    std::optional<std::string> listingPath;
    int saveDialogs = 0;
    std::vector<std::pair<uint32_t, uint32_t>> barWindows;
    std::vector<const PciDeviceList*> memoryMaps;
    std::vector<const PciDeviceList*> interruptRoutings;
    int aboutWindows = 0;
    int closes = 0;
};

}  // namespace bexa
