// Items drawn from the program's images (tab strip, check box, image button, drop-down arrow)
// and the subclassed controls: check state, auto-repeat, hot tracking.
#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "dialog_state_win32.h"

namespace vorlu {
namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kRepeatDelay = 400;     // ms before the first repeat
constexpr UINT kRepeatInterval = 100;  // ms between repeats

// Frames of a check box image.
constexpr int kCheckClear = 0;
constexpr int kCheckChecked = 1;
constexpr int kCheckClearPressed = 2;
constexpr int kCheckCheckedPressed = 3;
constexpr int kCheckDisabled = 4;
// Frames of an image button and of a drop-down arrow.
constexpr int kStateNormal = 0;
constexpr int kStateHot = 1;
constexpr int kStatePressed = 2;
constexpr int kStateDisabled = 3;
constexpr int kStateFocused = 4;

RECT ToRect(const Rect& r) {
    return {r.x, r.y, r.x + r.width, r.y + r.height};
}

// The frame's target: its own size centred in `area` (kImageOwnSize), else filling `area`.
RECT PlaceFrame(const ProgramImage& image, const RECT& area) {
    if (!image.layout.ownSize) return area;
    int w = image.layout.frameWidth;
    int h = image.layout.frameHeight;
    int x = area.left + (area.right - area.left - w) / 2;
    int y = area.top + (area.bottom - area.top - h) / 2;
    return {x, y, x + w, y + h};
}

std::wstring WindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

void DrawTabs(DialogState& state, DialogItem& item, const DRAWITEMSTRUCT& draw) {
    const ProgramImage& image = *item.image;
    const int index = static_cast<int>(draw.itemID);
    const bool current = (draw.itemState & ODS_SELECTED) != 0;
    const int row = current ? kTabCurrent : (index == item.hotTab ? kTabHot : kTabOther);
    const RECT& r = draw.rcItem;
    Rect target{r.left, r.top, r.right - r.left, r.bottom - r.top};
    for (const Slice& slice : TabRowSlices(image.layout, row, target)) {
        DrawFrame(draw.hDC, image, slice.source, ToRect(slice.target));
    }
    if (index >= 0 && index < static_cast<int>(state.pageNames.size())) {
        RECT text = r;
        SetBkMode(draw.hDC, TRANSPARENT);
        SetTextColor(draw.hDC, GetSysColor(COLOR_BTNTEXT));
        DrawTextW(draw.hDC, state.pageNames[index].c_str(), -1, &text,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void DrawCheck(DialogItem& item, const DRAWITEMSTRUCT& draw) {
    const ProgramImage& image = *item.image;
    RECT r = draw.rcItem;
    FillRect(draw.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    // The box at the right end, as tall as the item (or its own size); the label to its left.
    int side = image.layout.ownSize ? image.layout.frameWidth
                                    : std::min<int>(r.bottom - r.top, r.right - r.left);
    RECT boxArea{r.right - side, r.top, r.right, r.bottom};
    if (!image.layout.ownSize) {
        int h = side * image.layout.frameHeight / std::max(image.layout.frameWidth, 1);
        boxArea.top = r.top + (r.bottom - r.top - h) / 2;
        boxArea.bottom = boxArea.top + h;
    }
    int frame;
    if (draw.itemState & ODS_DISABLED) {
        frame = kCheckDisabled;
    } else if (draw.itemState & ODS_SELECTED) {
        frame = item.checked ? kCheckCheckedPressed : kCheckClearPressed;
    } else {
        frame = item.checked ? kCheckChecked : kCheckClear;
    }
    if (frame >= image.layout.frames) frame = item.checked ? kCheckChecked : kCheckClear;
    DrawFrame(draw.hDC, image, FrameRect(image.layout, frame), PlaceFrame(image, boxArea));

    std::wstring text = WindowText(draw.hwndItem);
    RECT label{r.left, r.top, boxArea.left - 4, r.bottom};
    SetBkMode(draw.hDC, TRANSPARENT);
    SetTextColor(draw.hDC,
                 GetSysColor((draw.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    RECT measured = label;
    DrawTextW(draw.hDC, text.c_str(), -1, &measured, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
    DrawTextW(draw.hDC, text.c_str(), -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if ((draw.itemState & ODS_FOCUS) && !(draw.itemState & ODS_NOFOCUSRECT) && !text.empty()) {
        int height = measured.bottom - measured.top;
        RECT focus{label.left, label.top + (label.bottom - label.top - height) / 2 - 1,
                   std::min(measured.right, label.right) + 2, 0};
        focus.bottom = focus.top + height + 2;
        DrawFocusRect(draw.hDC, &focus);
    }
}

int ButtonFrame(const DialogItem& item, UINT itemState) {
    if (itemState & ODS_DISABLED) return kStateDisabled;
    if (itemState & ODS_SELECTED) return kStatePressed;
    if (item.hot) return kStateHot;
    if (itemState & ODS_FOCUS) return kStateFocused;
    return kStateNormal;
}

void DrawImageButton(DialogItem& item, const DRAWITEMSTRUCT& draw) {
    const ProgramImage& image = *item.image;
    FillRect(draw.hDC, &draw.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    int frame = ButtonFrame(item, draw.itemState);
    if (frame >= image.layout.frames) frame = kStateNormal;
    DrawFrame(draw.hDC, image, FrameRect(image.layout, frame), PlaceFrame(image, draw.rcItem));
}

// The drop-down arrow over the combo box's own button.
void DrawComboArrow(DialogItem& item) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (!GetComboBoxInfo(item.window, &info)) return;
    RECT button = info.rcButton;
    if (button.right <= button.left) return;
    const ProgramImage& image = *item.image;
    int frame;
    if (!IsWindowEnabled(item.window)) {
        frame = kStateDisabled;
    } else if (SendMessageW(item.window, CB_GETDROPPEDSTATE, 0, 0)) {
        frame = kStatePressed;
    } else if (item.hot) {
        frame = kStateHot;
    } else if (GetFocus() == item.window) {
        frame = kStateFocused;
    } else {
        frame = kStateNormal;
    }
    if (frame >= image.layout.frames) frame = kStateNormal;
    HDC dc = GetDC(item.window);
    FillRect(dc, &button, GetSysColorBrush(COLOR_BTNFACE));
    DrawFrame(dc, image, FrameRect(image.layout, frame), PlaceFrame(image, button));
    ReleaseDC(item.window, dc);
}

void TrackLeave(HWND window) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
    TrackMouseEvent(&track);
}

void SetHot(DialogItem& item, bool hot) {
    if (item.hot == hot) return;
    item.hot = hot;
    if (hot) TrackLeave(item.window);
    InvalidateRect(item.window, nullptr, FALSE);
}

}  // namespace

void DrawFrame(HDC dc, const ProgramImage& image, const Rect& source, const RECT& target) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, image.bitmap);
    const int w = target.right - target.left;
    const int h = target.bottom - target.top;
    if (image.layout.alpha) {
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        GdiAlphaBlend(dc, target.left, target.top, w, h, memory, source.x, source.y, source.width,
                      source.height, blend);
    } else if (image.layout.transparent) {
        TransparentBlt(dc, target.left, target.top, w, h, memory, source.x, source.y, source.width,
                       source.height, image.layout.transparentColour);
    } else {
        int mode = SetStretchBltMode(dc, COLORONCOLOR);
        StretchBlt(dc, target.left, target.top, w, h, memory, source.x, source.y, source.width,
                   source.height, SRCCOPY);
        SetStretchBltMode(dc, mode);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
}

void DrawOwnerItem(DialogState& state, const DRAWITEMSTRUCT& draw) {
    DialogItem* item = ItemOfWindow(state, draw.hwndItem);
    if (item == nullptr || !item->isControl || item->image == nullptr) return;
    switch (item->controlKind) {
        case ControlKind::Tabs:
            DrawTabs(state, *item, draw);
            break;
        case ControlKind::Check:
            DrawCheck(*item, draw);
            break;
        case ControlKind::ImageButton:
            DrawImageButton(*item, draw);
            break;
        default:
            break;
    }
}

LRESULT CALLBACK ItemSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* item = reinterpret_cast<DialogItem*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (item == nullptr || item->originalProc == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    const WNDPROC original = item->originalProc;
    const ControlKind kind = item->controlKind;

    if (kind == ControlKind::Check) {
        // An owner-drawn button keeps no check state of its own.
        if (message == BM_GETCHECK) return item->checked ? BST_CHECKED : BST_UNCHECKED;
        if (message == BM_SETCHECK) {
            item->checked = wParam == BST_CHECKED;
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        }
    }
    if (kind == ControlKind::Button) {
        switch (message) {
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK: {
                LRESULT result = CallWindowProcW(original, window, WM_LBUTTONDOWN, wParam, lParam);
                item->pressedByMouse = true;
                NotifyProgram(*item->dialog, item->number);
                SetTimer(window, kRepeatTimer, kRepeatDelay, nullptr);
                return result;
            }
            case WM_TIMER:
                if (wParam != kRepeatTimer) break;
                if (SendMessageW(window, BM_GETSTATE, 0, 0) & BST_PUSHED) {
                    NotifyProgram(*item->dialog, item->number);
                }
                SetTimer(window, kRepeatTimer, kRepeatInterval, nullptr);
                return 0;
            case WM_LBUTTONUP: {
                KillTimer(window, kRepeatTimer);
                LRESULT result = CallWindowProcW(original, window, message, wParam, lParam);
                item->pressedByMouse = false;  // after the click it caused
                return result;
            }
            case WM_CAPTURECHANGED:
            case WM_DESTROY:
                KillTimer(window, kRepeatTimer);
                break;
            default:
                break;
        }
    }
    if (kind == ControlKind::ImageButton || kind == ControlKind::Combo) {
        if (message == WM_MOUSEMOVE) SetHot(*item, true);
        if (message == WM_MOUSELEAVE) SetHot(*item, false);
    }
    if (kind == ControlKind::Tabs) {
        if (message == WM_MOUSEMOVE) {
            TCHITTESTINFO hit{{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, 0};
            int tab = static_cast<int>(
                SendMessageW(window, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
            if (tab != item->hotTab) {
                item->hotTab = tab;
                TrackLeave(window);
                InvalidateRect(window, nullptr, FALSE);
            }
        } else if (message == WM_MOUSELEAVE && item->hotTab != -1) {
            item->hotTab = -1;
            InvalidateRect(window, nullptr, FALSE);
        }
    }
    if (kind == ControlKind::Combo && item->image != nullptr && message == WM_PAINT) {
        LRESULT result = CallWindowProcW(original, window, message, wParam, lParam);
        DrawComboArrow(*item);
        return result;
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    return CallWindowProcW(original, window, message, wParam, lParam);
}

}  // namespace vorlu
