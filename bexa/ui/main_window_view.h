// What Bexa's main window shows and asks, seen from its behaviour class (MainWindow): the
// Win32 dialog implements it over the real controls, tests with a fake that records texts and
// scripts the user's answers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device_tree.h"
#include "message_box.h"

namespace bexa {

class PciDeviceList;

class MainWindowView {
  public:
    virtual ~MainWindowView() = default;

    // Start-up steps the window cannot do itself: the system menu's About item and the check
    // that the service's driver file is installed. RunDriverCheck returns false when the check
    // ended the start-up; the window then closes.
    virtual void AddAboutToSystemMenu() = 0;
    virtual bool RunDriverCheck() = 0;
    // The window's icons, the refresh button's icon and focus, the dump list's horizontal
    // extent (400 pixels).
    virtual void PrepareControls() = 0;
    // The ranges of the three up-down controls: bus 0-255, device 0-32, function 0-7.
    virtual void SetCounterRanges() = 0;
    // The operating system's version word (top bit clear on the Windows NT family).
    virtual uint32_t OsVersionWord() const = 0;

    // The window's caption.
    virtual void SetCaption(const std::string& text) = 0;

    // Texts and states of controls, by control id.
    virtual void SetControlText(int id, const std::string& text) = 0;
    virtual std::string ControlText(int id) const = 0;
    virtual void SetCheck(int id, bool checked) = 0;
    virtual bool IsChecked(int id) const = 0;

    // The register dump list: replaced as a whole; a line selected without notification.
    virtual void SetDumpLines(const std::vector<std::string>& lines) = 0;
    virtual void SelectDumpLine(int index) = 0;

    // The bus tree. SelectTreeItem selects an item (kNoTreeItem clears the selection) and,
    // like the control, reports a change of selection back to the window.
    virtual DeviceTree& Tree() = 0;
    virtual TreeItem SelectedTreeItem() const = 0;
    virtual void SelectTreeItem(TreeItem item) = 0;
    // Scrolls the tree so that `item` is its first line in view.
    virtual void ScrollTreeTo(TreeItem item) = 0;

    // A message box, brought to the foreground.
    virtual MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                                      MessageIcon icon, MessageButtons buttons) = 0;
    // The save-file dialog of the listing; false when the user cancelled.
    virtual bool AskListingFileName(std::string& path) = 0;

    // The windows this one opens, each modally.
    virtual void OpenBarSpaceWindow(uint32_t barValue, uint32_t probeValue) = 0;
    virtual void OpenMemoryMapWindow(const PciDeviceList& list) = 0;
    virtual void OpenInterruptRoutingWindow(const PciDeviceList& list) = 0;
    virtual void OpenAboutWindow() = 0;

    // Ends the window (the program ends with it).
    virtual void Close() = 0;
};

}  // namespace bexa
