// What Kadra's main dialog shows and asks, seen from its behaviour class (MainDialog): the Win32
// dialog implements it over the dialog library's controls, tests with a fake that records texts,
// states and window moves.
#pragma once

#include <cstdint>
#include <vector>

#include "ktext.h"

namespace kadra {

// Item numbers of the dialog script: controls from 0 in script order, statics from 0x8000.
enum DialogItem : int {
    kItemTabs = 0,
    kItemDrive = 1,
    kItemSize = 2,
    kItemFileName = 3,
    kItemDrive2 = 4,
    kItemSize2 = 5,
    kItemPhys = 6,
    kItemQLen = 7,
    kItemCurveChk = 8,
    kItemQuick = 9,
    kItemUnBuffered = 10,
    kItemResPlus = 11,
    kItemResMinus = 12,
    kItemProduct = 13,
    kItemOut = 14,
    kItemCurve = 15,
    kItemCurveText = 16,
    kItemMess = 17,
    kItemFileTest = 18,
    kItemRely = 19,
    kItemDescription = 20,
    kItemLogfile = 21,
    kItemPhysText = 0x8009,
    kItemQLenText = 0x800A,
};

// Codes of the dialog library's "control operated" message besides the control numbers: the
// start and the stop key of the dialog.
inline constexpr int kStartKeyCode = 506;
inline constexpr int kStopKeyCode = 507;

// The window icon: the icon group resource of the program.
inline constexpr int kMainIconId = 102;

// Window sizes in pixels: without and with the graph area.
inline constexpr int32_t kNarrowWindowWidth = 410;
inline constexpr int32_t kWideWindowWidth = 867;
inline constexpr int32_t kWindowHeight = 494;

// A window rectangle in screen pixels; right and bottom lie just outside the window.
struct WindowRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class MainDialogView {
  public:
    virtual ~MainDialogView() = default;

    // Texts of items by number (edit fields, and statics from 0x8000). ControlText returns the
    // whole text; the dialog cuts it to the length it reads.
    virtual void SetControlText(int item, const KText& text) = 0;
    virtual KText ControlText(int item) const = 0;

    // Check boxes.
    virtual void SetCheck(int item, bool checked) = 0;
    virtual bool IsChecked(int item) const = 0;

    // Shows or hides an item (control or static).
    virtual void ShowItem(int item, bool visible) = 0;

    // The product list (control 13): emptied and filled with the names in order; an entry
    // selected without a selection-changed notification.
    virtual void SetProductNames(const std::vector<KText>& names) = 0;
    virtual void SelectProductEntry(int index) = 0;

    // The dialog window: sized keeping position and z-order; moved keeping size and z-order.
    virtual void SetWindowSize(int32_t width, int32_t height) = 0;
    virtual void MoveWindowTo(int32_t left, int32_t top) = 0;
    // The window rectangle; false when it cannot be read.
    virtual bool ReadWindowRect(WindowRect* rect) const = 0;
    // Whether the rectangle lies (at least in part) on a monitor that is attached.
    virtual bool IsOnVisibleMonitor(const WindowRect& rect) const = 0;

    // Lets the user drop files on the window (they arrive as MainDialog::OnDropFiles).
    virtual void AcceptDroppedFiles() = 0;
    // From now on the results text shows in the output box (control 14).
    virtual void ConnectOutputBox() = 0;
    // Whether the system is of the Windows NT family.
    virtual bool IsNtPlatform() const = 0;
    // Sets the wait cursor (answer to the cursor query while a run is busy).
    virtual void SetWaitCursor() = 0;
    // Asks for the window to be closed, as the user's close does, once the current message
    // has been handled (posted, never re-entered at once).
    virtual void RequestClose() = 0;
};

}  // namespace kadra
