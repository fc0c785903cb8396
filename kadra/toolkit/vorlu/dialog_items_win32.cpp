// The item windows of a dialog: one real Win32 control per script item, the tooltips, and the
// page switching that shows and hides them.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "dialog_state_win32.h"

namespace vorlu {
namespace {

constexpr wchar_t kPageClass[] = L"VorluPage";
constexpr wchar_t kDescriptionClass[] = L"VorluDescription";
constexpr wchar_t kCanvasClass[] = L"VorluCanvas";

DialogItem* ItemOfUserData(HWND window) {
    return reinterpret_cast<DialogItem*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The frame of a tab page: a raised edge below the tab strip.
LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT rect;
        GetClientRect(window, &rect);
        FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
        DialogItem* item = ItemOfUserData(window);
        if (item != nullptr && item->dialog->tabs != nullptr) {
            // Start the frame where the tab strip ends when the strip lies over its top.
            RECT strip;
            GetWindowRect(item->dialog->tabs, &strip);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&strip), 2);
            if (strip.bottom > rect.top && strip.top <= rect.top + 2) rect.top = strip.bottom - 2;
        }
        DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcW(window, message, wParam, lParam);
}

// A description box: an etched frame with a caption, holding a wrapped text.
LRESULT CALLBACK DescriptionProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            RECT rect;
            GetClientRect(window, &rect);
            FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
            HFONT font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
            HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
            TEXTMETRICW metrics;
            GetTextMetricsW(dc, &metrics);
            const int line = metrics.tmHeight;
            RECT frame = rect;
            frame.top += line / 2;
            DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            DialogItem* item = ItemOfUserData(window);
            if (item != nullptr && !item->caption.empty()) {
                std::wstring caption = L" " + item->caption + L" ";
                RECT at{rect.left + 6, rect.top, rect.right - 6, rect.top + line};
                DrawTextW(dc, caption.c_str(), -1, &at, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
            }
            int length = GetWindowTextLengthW(window);
            std::wstring text(static_cast<size_t>(length) + 1, L'\0');
            GetWindowTextW(window, text.data(), length + 1);
            text.resize(static_cast<size_t>(length));
            RECT inside{rect.left + 8, rect.top + line + 2, rect.right - 8, rect.bottom - 4};
            SetBkMode(dc, TRANSPARENT);
            DrawTextW(dc, text.c_str(), -1, &inside, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
            if (old != nullptr) SelectObject(dc, old);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_SETFONT:
            SetWindowLongPtrW(window, 0, static_cast<LONG_PTR>(wParam));
            if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
            return 0;
        case WM_GETFONT:
            return GetWindowLongPtrW(window, 0);
        case WM_SETTEXT: {
            LRESULT result = DefWindowProcW(window, message, wParam, lParam);
            InvalidateRect(window, nullptr, TRUE);
            return result;
        }
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

// The drawing area: black until the program draws on it.
LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

HFONT MakeFont(const DialogScript& script, bool fixed) {
    HDC screen = GetDC(nullptr);
    int height = -MulDiv(script.fontSize, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    std::wstring face = fixed ? L"Courier New" : Widen(script.font);
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       (fixed ? FIXED_PITCH : VARIABLE_PITCH) | FF_DONTCARE, face.c_str());
}

struct WindowSpec {
    const wchar_t* cls;
    DWORD style;
    DWORD exStyle;
    std::wstring text;
    bool subclass = false;
    bool frame = false;  // drawn behind the other items
};

WindowSpec StaticSpec(const ScriptStatic& item) {
    std::wstring text = Widen(item.text);
    switch (item.kind) {
        case StaticKind::Tab:
            return {kPageClass, 0, 0, text, false, true};
        case StaticKind::Label:
            return {L"STATIC", SS_LEFT, 0, WithCrLf(text)};
        case StaticKind::Group:
            return {L"BUTTON", BS_GROUPBOX, 0, text, false, true};
        case StaticKind::Description:
            return {kDescriptionClass, 0, 0, text, false, true};
    }
    return {L"STATIC", SS_LEFT, 0, text};
}

WindowSpec ControlSpec(const ScriptControl& control, bool hasImage) {
    std::wstring caption = Widen(control.caption);
    switch (control.kind) {
        case ControlKind::Tabs:
            return {WC_TABCONTROLW,
                    DWORD(WS_TABSTOP | TCS_FIXEDWIDTH) | (hasImage ? TCS_OWNERDRAWFIXED : 0u), 0,
                    L"", hasImage};
        case ControlKind::Edit:
            return {L"EDIT",
                    DWORD(WS_TABSTOP | ES_AUTOHSCROLL) | (control.number ? ES_NUMBER : 0u) |
                        (control.readOnly ? ES_READONLY : 0u),
                    WS_EX_CLIENTEDGE, caption};
        case ControlKind::Check:
            if (hasImage) return {L"BUTTON", WS_TABSTOP | BS_OWNERDRAW, 0, caption, true};
            return {L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFTTEXT, 0, caption};
        case ControlKind::Button:
            return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, caption, control.repeat};
        case ControlKind::Combo:
            return {L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, L"", hasImage};
        case ControlKind::Output:
            return {L"EDIT", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                    WS_EX_CLIENTEDGE, WithCrLf(caption)};
        case ControlKind::Canvas:
            return {kCanvasClass, 0, 0, L""};
        case ControlKind::Line:
            return {L"STATIC", SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX, WS_EX_STATICEDGE,
                    caption};
        case ControlKind::ImageButton:
            if (hasImage) return {L"BUTTON", WS_TABSTOP | BS_OWNERDRAW, 0, caption, true};
            return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0, caption};
    }
    return {L"STATIC", 0, 0, L""};
}

HWND CreateItemWindow(DialogState& state, DialogItem& item, const WindowSpec& look,
                      const Rect& rect, bool fixedFont) {
    int height = rect.height;
    if (item.isControl && item.controlKind == ControlKind::Combo) height += 200;  // the list
    HWND window = CreateWindowExW(
        look.exStyle, look.cls, look.text.c_str(), WS_CHILD | WS_CLIPSIBLINGS | look.style, rect.x,
        rect.y, rect.width, height, state.object.window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.number)), LibraryInstance(), nullptr);
    if (window == nullptr) return nullptr;
    item.window = window;
    SendMessageW(
        window, WM_SETFONT,
        reinterpret_cast<WPARAM>(fixedFont && state.fixedFont ? state.fixedFont : state.font),
        FALSE);
    if (look.cls == kPageClass || look.cls == kDescriptionClass) {
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&item));
    }
    if (look.subclass) {
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&item));
        item.originalProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ItemSubclassProc)));
    }
    return window;
}

void AddTooltip(DialogState& state, HWND control, const std::string& tip) {
    if (tip.empty()) return;
    if (state.tooltip == nullptr) {
        state.tooltip =
            CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                            state.object.window, nullptr, LibraryInstance(), nullptr);
        if (state.tooltip == nullptr) return;
        // Multi-line tips (\n) need a width limit.
        SendMessageW(state.tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
        SendMessageW(state.tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 15000);
    }
    std::wstring text = Widen(tip);
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = state.object.window;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = text.data();
    SendMessageW(state.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

const ProgramImage* FindImage(const DialogState& state, int id) {
    for (const auto& image : state.images) {
        if (image->id == id) return image.get();
    }
    return nullptr;
}

}  // namespace

void RegisterItemClasses(HINSTANCE library) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = library;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = PageProc;
    wc.lpszClassName = kPageClass;
    RegisterClassExW(&wc);
    wc.lpfnWndProc = DescriptionProc;
    wc.lpszClassName = kDescriptionClass;
    wc.cbWndExtra = sizeof(LONG_PTR);
    RegisterClassExW(&wc);
    wc.cbWndExtra = 0;
    wc.style = 0;
    wc.lpfnWndProc = CanvasProc;
    wc.lpszClassName = kCanvasClass;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClassExW(&wc);
}

bool CreateDialogItems(DialogState& state, std::wstring& error) {
    const DialogScript& script = state.script;
    state.font = MakeFont(script, false);
    bool anyFixed = std::any_of(script.controls.begin(), script.controls.end(),
                                [](const ScriptControl& c) { return c.fixedFont; });
    if (anyFixed) state.fixedFont = MakeFont(script, true);
    for (const auto& item : script.statics) {
        if (item.kind == StaticKind::Tab) state.pageNames.push_back(Widen(item.text));
    }

    std::vector<HWND> frames;      // group frames and description boxes
    std::vector<HWND> pageFrames;  // tab pages, lowest of all
    // Controls and statics are created in script order, so that the tab order follows it.
    struct Entry {
        int line;
        bool control;
        size_t index;
    };
    std::vector<Entry> order;
    for (size_t i = 0; i < script.controls.size(); ++i)
        order.push_back({script.controls[i].line, true, i});
    for (size_t i = 0; i < script.statics.size(); ++i)
        order.push_back({script.statics[i].line, false, i});
    std::sort(order.begin(), order.end(),
              [](const Entry& a, const Entry& b) { return a.line < b.line; });

    state.controlWindows.assign(script.controls.size(), nullptr);
    state.staticWindows.assign(script.statics.size(), nullptr);
    for (const Entry& entry : order) {
        auto item = std::make_unique<DialogItem>();
        item->dialog = &state;
        item->isControl = entry.control;
        HWND window = nullptr;
        int line = entry.line;
        if (entry.control) {
            const ScriptControl& control = script.controls[entry.index];
            item->number = static_cast<int>(entry.index);
            item->controlKind = control.kind;
            item->pages = control.pages;
            item->checked = control.checked;
            item->image = control.image != 0 ? FindImage(state, control.image) : nullptr;
            WindowSpec look = ControlSpec(control, item->image != nullptr);
            window = CreateItemWindow(state, *item, look, control.rect, control.fixedFont);
            if (window != nullptr) {
                state.controlWindows[entry.index] = window;
                AddTooltip(state, window, control.tooltip);
                if (control.kind == ControlKind::Tabs) {
                    state.tabs = window;
                    state.tabsNumber = item->number;
                    for (size_t p = 0; p < state.pageNames.size(); ++p) {
                        TCITEMW tab{};
                        tab.mask = TCIF_TEXT;
                        tab.pszText = state.pageNames[p].data();
                        SendMessageW(window, TCM_INSERTITEMW, p, reinterpret_cast<LPARAM>(&tab));
                    }
                    int pages = std::max<int>(1, static_cast<int>(state.pageNames.size()));
                    // Room for the strip's margins, so that every tab fits without scroll arrows.
                    int tabWidth = std::min((control.rect.width - 8) / pages, 160);
                    SendMessageW(window, TCM_SETITEMSIZE, 0,
                                 MAKELPARAM(tabWidth, std::max(control.rect.height - 3, 10)));
                } else if (control.kind == ControlKind::Check && item->image == nullptr) {
                    SendMessageW(window, BM_SETCHECK, control.checked ? BST_CHECKED : BST_UNCHECKED,
                                 0);
                } else if (control.kind == ControlKind::Output) {
                    SendMessageW(window, EM_SETLIMITTEXT, 0, 0);
                } else if (control.kind == ControlKind::Combo) {
                    SendMessageW(window, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                                 std::max(control.rect.height - 6, 8));
                }
            }
        } else {
            const ScriptStatic& item0 = script.statics[entry.index];
            item->number = kFirstStaticNumber + static_cast<int>(entry.index);
            item->staticKind = item0.kind;
            item->pages = item0.pages;
            item->caption = Widen(item0.caption);
            WindowSpec look = StaticSpec(item0);
            window = CreateItemWindow(state, *item, look, item0.rect, false);
            if (window != nullptr) {
                state.staticWindows[entry.index] = window;
                if (item0.kind == StaticKind::Tab) {
                    pageFrames.push_back(window);
                } else if (look.frame) {
                    frames.push_back(window);
                }
            }
        }
        if (window == nullptr) {
            error = L"line " + std::to_wstring(line) +
                    L": the item window could not be created "
                    L"(error " +
                    std::to_wstring(GetLastError()) + L").";
            return false;
        }
        state.items.push_back(std::move(item));
    }
    // Frames lie behind the items inside them, page frames behind everything.
    frames.insert(frames.end(), pageFrames.begin(), pageFrames.end());
    for (HWND frame : frames) {
        SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    state.object.controls = state.controlWindows.data();
    state.object.controlCount = static_cast<int>(state.controlWindows.size());
    state.object.statics = state.staticWindows.data();
    state.object.staticCount = static_cast<int>(state.staticWindows.size());
    ShowPage(state, 1);
    return true;
}

void UpdateVisibility(DialogState& state, DialogItem& item) {
    bool visible = !item.hiddenByProgram && item.pages.Contains(state.currentPage);
    if (visible != ((GetWindowLongW(item.window, GWL_STYLE) & WS_VISIBLE) != 0)) {
        ShowWindow(item.window, visible ? SW_SHOWNA : SW_HIDE);
    }
}

void ShowPage(DialogState& state, int page) {
    state.currentPage = page;
    if (state.tabs != nullptr && SendMessageW(state.tabs, TCM_GETCURSEL, 0, 0) != page - 1) {
        SendMessageW(state.tabs, TCM_SETCURSEL, static_cast<WPARAM>(page - 1), 0);
    }
    for (auto& item : state.items)
        UpdateVisibility(state, *item);
    // A group frame does not erase its inside: what a hidden item of the previous page left
    // there stays on the screen unless the whole dialog is painted again.
    HWND dialog = state.object.window;
    if (dialog != nullptr) {
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

}  // namespace vorlu
