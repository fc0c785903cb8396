// The demonstration dialog driven as a user would drive it: the dialog runs in XDialog on a
// thread of its own; the test sends it the messages that clicks, keys and tab changes cause
// and reads texts, states and what the dialog procedure was told back.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>

#include "demo_dialog_win32.h"
#include "vorlu.h"

namespace vorlu_demo {
namespace {

std::wstring TextOf(HWND window) {
    wchar_t text[4096] = L"";
    // WM_GETTEXT works across threads, GetWindowText does not for another thread's controls.
    SendMessageW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

bool Visible(HWND window) {
    return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

int CountOf(const std::vector<int>& codes, int code) {
    return static_cast<int>(std::count(codes.begin(), codes.end(), code));
}

// Waits up to `ms` for `done`.
bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (done()) return true;
        Sleep(20);
    }
    return done();
}

// A top-level window of class #32770 with this caption, once it appears.
HWND WaitForBox(const wchar_t* caption) {
    HWND box = nullptr;
    WaitFor([&] { return (box = FindWindowW(L"#32770", caption)) != nullptr; });
    return box;
}

class DemoDialog : public testing::Test {
  protected:
    void SetUp() override {
        ResetDemoRecord();
        thread_ = std::thread([this] { result_ = RunDemoDialog(GetModuleHandleW(nullptr)); });
        ASSERT_TRUE(WaitFor([] { return DemoRecordCopy().window != nullptr; }));
        window_ = DemoRecordCopy().window;
        dialog_ = DemoRecordCopy().dialog;
        // Let the window show before the test starts.
        ASSERT_TRUE(WaitFor([this] { return IsWindowVisible(window_) != FALSE; }));
    }

    void TearDown() override {
        if (window_ != nullptr && IsWindow(window_)) PostMessageW(window_, WM_CLOSE, 0, 0);
        thread_.join();
        EXPECT_EQ(result_, 0);
        EXPECT_FALSE(IsWindow(window_));
    }

    HWND Item(int number) const { return XDialogItem(dialog_, number); }

    // Runs `work` on the dialog's thread, between two of its messages.
    void OnDialogThread(std::function<void()> work) {
        SendMessageW(window_, kRunOnDialogThread, 0, reinterpret_cast<LPARAM>(&work));
    }

    void Click(int control) { SendMessageW(Item(control), BM_CLICK, 0, 0); }

    void SelectPage(int page) {
        HWND tabs = Item(kTabs);
        SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(page - 1), 0);
        NMHDR header{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)),
                     static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(window_, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }

    std::vector<int> Codes() const { return DemoRecordCopy().codes; }

    std::thread thread_;
    LONG result_ = -2;
    HWND window_ = nullptr;
    XDIALOG* dialog_ = nullptr;
};

TEST_F(DemoDialog, BuildsEveryItemAsARealControl) {
    ASSERT_NE(dialog_, nullptr);
    EXPECT_EQ(dialog_->window, window_);
    EXPECT_EQ(reinterpret_cast<XDIALOG*>(GetWindowLongPtrW(window_, GWLP_USERDATA)), dialog_);
    ASSERT_EQ(dialog_->controlCount, kControlCount);
    ASSERT_EQ(dialog_->staticCount, 10);
    EXPECT_NE(dialog_->defaultProc, nullptr);

    RECT client;
    GetClientRect(window_, &client);
    EXPECT_EQ(client.right, 650);
    EXPECT_EQ(client.bottom, 410);
    EXPECT_EQ(TextOf(window_), L"vorlu demo");
    const LONG style = GetWindowLongW(window_, GWL_STYLE);
    EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) &&
                (style & WS_MINIMIZEBOX));
    EXPECT_NE(GetMenu(window_), nullptr);  // the program's MENUID

    struct Expected {
        int number;
        const wchar_t* cls;
        LONG style;  // bits that must be set
        RECT rect;   // x, y, width, height in the script
        const wchar_t* text;
    };
    const Expected items[] = {
        {kTabs, L"SysTabControl32", TCS_OWNERDRAWFIXED, {10, 10, 300, 23}, L""},
        {kName, L"Edit", 0, {90, 46, 120, 19}, L"demo"},
        {kCount, L"Edit", ES_NUMBER, {90, 72, 60, 19}, L"5"},
        {kPlus, L"Button", BS_PUSHBUTTON, {182, 72, 22, 19}, L"+"},
        {kStart, L"Button", BS_OWNERDRAW, {226, 42, 72, 69}, L""},
        {kVerbose, L"Button", BS_OWNERDRAW, {28, 138, 110, 20}, L"Verbose:"},
        {kNote, L"Edit", ES_READONLY, {24, 70, 190, 19}, L"read only"},
        {kMode, L"ComboBox", CBS_DROPDOWNLIST, {90, 45, 150, -1}, L"Bars"},
        {kOut, L"Edit", ES_MULTILINE | ES_READONLY | WS_VSCROLL, {10, 222, 300, 178}, nullptr},
        {kStatus, L"Static", SS_CENTERIMAGE, {330, 10, 310, 22}, L"ready"},
        {kCanvas, L"VorluCanvas", 0, {330, 40, 310, 360}, L""},
        {kPageControls, L"VorluPage", 0, {10, 10, 300, 205}, L"Controls"},
        {0x8003, L"Static", 0, {24, 48, 60, 17}, L"Name:"},
        {0x8005, L"Button", BS_GROUPBOX, {18, 118, 284, 88}, L"Options"},
        {kDescription, L"VorluDescription", 0, {24, 124, 274, 80}, nullptr},
        {kExtraLabel,
         L"Static",
         0,
         {28, 110, 250, 17},
         L"This label shows while the switch is on."},
    };
    for (const Expected& e : items) {
        SCOPED_TRACE(e.number);
        HWND item = Item(e.number);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(GetParent(item), window_);
        EXPECT_EQ(GetDlgCtrlID(item), e.number);  // WM_COMMAND carries the item's number
        EXPECT_EQ(ClassOf(item), e.cls);
        EXPECT_EQ(GetWindowLongW(item, GWL_STYLE) & e.style, e.style);
        RECT r;
        GetWindowRect(item, &r);
        MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, e.rect.left);
        EXPECT_EQ(r.top, e.rect.top);
        EXPECT_EQ(r.right - r.left, e.rect.right);
        if (e.rect.bottom > 0) {
            EXPECT_EQ(r.bottom - r.top, e.rect.bottom);
        }
        if (e.text != nullptr) {
            EXPECT_EQ(TextOf(item), e.text);
        }
    }
    EXPECT_TRUE(TextOf(Item(kOut)).find(L"controls created") != std::wstring::npos);
    EXPECT_EQ(XDialogItem(dialog_, kControlCount), nullptr);
    EXPECT_EQ(XDialogItem(dialog_, 0x8000 + 10), nullptr);

    // 0x5F6 once, then the icon request, whose icon became the window's big and small icon.
    DemoRecord record = DemoRecordCopy();
    EXPECT_EQ(record.controlsCreated, 1);
    EXPECT_EQ(record.iconRequests, 1);
    EXPECT_NE(SendMessageW(window_, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(window_, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_GT(record.canvasPaints, 0);  // the program's subclass paints the canvas
}

TEST_F(DemoDialog, PageSwitchingShowsAndHidesItems) {
    struct Shown {
        int number;
        bool onPage[3];
    };
    const Shown table[] = {
        {kName, {true, false, false}},        {kStart, {true, true, false}},
        {kFast, {true, false, true}},         {kNote, {false, true, false}},
        {kMode, {false, false, true}},        {kOut, {true, true, true}},
        {kCanvas, {true, true, true}},        {kPageControls, {true, false, false}},
        {kPageTexts, {false, true, false}},   {kPageOptions, {false, false, true}},
        {0x8005, {true, false, false}},       {kDescription, {false, true, false}},
        {kExtraLabel, {false, false, false}},  // hidden by the program at start
    };
    for (int page : {1, 2, 3, 1}) {
        SCOPED_TRACE(page);
        if (page != 1 || !Codes().empty()) SelectPage(page);
        for (const Shown& s : table) {
            SCOPED_TRACE(s.number);
            EXPECT_EQ(Visible(Item(s.number)), s.onPage[page - 1]);
        }
    }
    // Each tab change reaches the procedure as control 0.
    EXPECT_EQ(CountOf(Codes(), kTabs), 3);

    // A switch shows the hidden label; it then follows its page like any other item.
    SelectPage(3);
    Click(kShowExtra);
    EXPECT_TRUE(Visible(Item(kExtraLabel)));
    SelectPage(1);
    EXPECT_FALSE(Visible(Item(kExtraLabel)));
    SelectPage(3);
    EXPECT_TRUE(Visible(Item(kExtraLabel)));
    Click(kShowExtra);
    EXPECT_FALSE(Visible(Item(kExtraLabel)));
    SelectPage(1);
    SelectPage(3);
    EXPECT_FALSE(Visible(Item(kExtraLabel)));
}

TEST_F(DemoDialog, ControlsReachTheProcedureAndTheCallsWork) {
    Click(kPlus);
    EXPECT_EQ(TextOf(Item(kCount)), L"6");
    Click(kMinus);
    Click(kMinus);
    EXPECT_EQ(TextOf(Item(kCount)), L"4");
    // A click of an auto-repeat button counts once.
    EXPECT_EQ(CountOf(Codes(), kPlus), 1);
    EXPECT_EQ(CountOf(Codes(), kMinus), 2);

    // Image check boxes toggle on clicks and answer BM_GETCHECK like any check box.
    EXPECT_EQ(SendMessageW(Item(kVerbose), BM_GETCHECK, 0, 0), BST_CHECKED);
    Click(kVerbose);
    EXPECT_EQ(SendMessageW(Item(kVerbose), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    Click(kFast);
    EXPECT_EQ(SendMessageW(Item(kFast), BM_GETCHECK, 0, 0), BST_CHECKED);
    std::wstring out = TextOf(Item(kOut));
    EXPECT_NE(out.find(L"verbose off\r\n"), std::wstring::npos) << out;
    EXPECT_NE(out.find(L"fast on\r\n"), std::wstring::npos);
    // CheckControl through the program's Reset button.
    SelectPage(3);
    Click(kReset);
    EXPECT_EQ(SendMessageW(Item(kVerbose), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(Item(kFast), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    Click(kApply);
    EXPECT_EQ(TextOf(Item(kStatus)), L"Hello, demo");
    Click(kStart);  // a whole run, timed by pelmou's stopwatch
    EXPECT_EQ(TextOf(Item(kStatus)), L"finished");
    EXPECT_EQ(DemoRecordCopy().runsFinished, 1);
    EXPECT_NE(TextOf(Item(kOut)).find(L"run finished after 20 of 20 steps"), std::wstring::npos);

    // The drop-down list's WM_COMMAND carries the control number.
    SendMessageW(Item(kMode), CB_SETCURSEL, 2, 0);
    SendMessageW(window_, WM_COMMAND, MAKEWPARAM(kMode, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(kMode)));
    EXPECT_EQ(DemoRecordCopy().modeChanges, 1);
    EXPECT_NE(TextOf(Item(kOut)).find(L"mode Lines"), std::wstring::npos);

    std::vector<int> codes = Codes();
    for (int code : {kVerbose, kFast, kReset, kApply, kStart, kTabs}) {
        EXPECT_EQ(CountOf(codes, code), 1) << code;
    }
    Click(kClear);
    EXPECT_EQ(TextOf(Item(kOut)), L"");

    // The calls on this dialog, and on numbers and dialogs that do not exist.
    OnDialogThread([&] {
        EXPECT_EQ(GetControlInt(dialog_, kCount, 0), 4);
        EXPECT_EQ(SetControlText(dialog_, kCount, L"  -17 apples", 0), 1);
        EXPECT_EQ(GetControlInt(dialog_, kCount, 0), -17);
        EXPECT_EQ(SetControlText(dialog_, 0x8003, L"Your name:", 0), 1);
        EXPECT_EQ(IsControlChecked(dialog_, kVerbose), 1);
        EXPECT_EQ(CheckControl(dialog_, kVerbose, 0), 1);
        EXPECT_EQ(IsControlChecked(dialog_, kVerbose), 0);
        EXPECT_EQ(CheckControl(dialog_, kName, 1), 0);  // not a check box
        for (int bad : {-1, int(kControlCount), 0x7FFF, 0x8000 + 10, 0x10000}) {
            EXPECT_EQ(SetControlText(dialog_, bad, L"x", 0), 0) << bad;
            EXPECT_EQ(CheckControl(dialog_, bad, 1), 0);
            EXPECT_EQ(ShowControl(dialog_, bad, 0), 0);
            EXPECT_EQ(GetControlInt(dialog_, bad, 0), 0);
            EXPECT_EQ(IsControlChecked(dialog_, bad), 0);
        }
        XDIALOG stranger{};
        EXPECT_EQ(SetControlText(nullptr, kName, L"x", 0), 0);
        EXPECT_EQ(SetControlText(&stranger, kName, L"x", 0), 0);
        EXPECT_EQ(ShowControl(&stranger, kName, 0), 0);
    });
    EXPECT_EQ(TextOf(Item(kCount)), L"  -17 apples");
    EXPECT_EQ(TextOf(Item(0x8003)), L"Your name:");
}

TEST_F(DemoDialog, F5AndEscDeliver506And507AndEscKeepsTheDialog) {
    // Keys go to the control with the focus; the library's hook takes them from the queue,
    // also while the run pumps messages itself (pelmou's ServiceMessageQueue).
    OnDialogThread([&] { SetFocus(Item(kName)); });
    PostMessageW(Item(kName), WM_KEYDOWN, VK_F5, 0x003F0001);
    PostMessageW(Item(kName), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ASSERT_TRUE(WaitFor([&] { return DemoRecordCopy().runsStopped == 1; }));
    EXPECT_EQ(CountOf(Codes(), XDC_START_KEY), 1);
    EXPECT_EQ(CountOf(Codes(), XDC_STOP_KEY), 1);
    EXPECT_EQ(DemoRecordCopy().stopsWhileRunning, 1);
    EXPECT_EQ(TextOf(Item(kStatus)), L"stopped");
    EXPECT_NE(TextOf(Item(kOut)).find(L"run stopped after"), std::wstring::npos);

    // Sent straight to the dialog window, too; nothing runs now.
    SendMessageW(window_, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_EQ(CountOf(Codes(), XDC_STOP_KEY), 2);
    EXPECT_NE(TextOf(Item(kOut)).find(L"nothing runs"), std::wstring::npos);

    // F5 alone: the run goes to its end.
    PostMessageW(Item(kName), WM_KEYDOWN, VK_F5, 0x003F0001);
    ASSERT_TRUE(WaitFor([&] { return DemoRecordCopy().runsFinished == 1; }));
    EXPECT_EQ(TextOf(Item(kStatus)), L"finished");
    // The edit field never saw the keys, and Esc left the dialog open.
    EXPECT_EQ(TextOf(Item(kName)), L"demo");
    Sleep(200);
    EXPECT_TRUE(IsWindow(window_));
    EXPECT_TRUE(IsWindowVisible(window_));
}

TEST_F(DemoDialog, WritesAnRtfLogWithAPictureOfTheWindow) {
    const std::wstring path = DemoLogPath();
    DeleteFileW(path.c_str());
    SelectPage(2);
    Click(kLog);
    EXPECT_EQ(DemoRecordCopy().logPath, path);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::string text(1 << 22, '\0');
    DWORD got = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
    CloseHandle(file);
    text.resize(got);
    EXPECT_EQ(text.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(text.find("vorlu demo log"), std::string::npos);
    EXPECT_NE(text.find("controls created"), std::string::npos);
    EXPECT_NE(text.find("\\pngblip"), std::string::npos);
    DeleteFileW(path.c_str());
}

TEST_F(DemoDialog, HeldButtonRepeatsUntilReleased) {
    PostMessageW(Item(kPlus), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    // The press counts at once, then the repeats start.
    ASSERT_TRUE(WaitFor([&] { return CountOf(Codes(), kPlus) >= 1; }));
    ASSERT_TRUE(WaitFor([&] { return CountOf(Codes(), kPlus) >= 4; }, 10000));
    PostMessageW(Item(kPlus), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    OnDialogThread([] {});  // the release has been handled once a later message is
    ASSERT_TRUE(
        WaitFor([&] { return !(SendMessageW(Item(kPlus), BM_GETSTATE, 0, 0) & BST_PUSHED); }));
    const int held = CountOf(Codes(), kPlus);
    Sleep(600);
    EXPECT_EQ(CountOf(Codes(), kPlus), held);  // no tick after the release, no extra click
    EXPECT_EQ(TextOf(Item(kCount)), std::to_wstring(5 + held));
}

TEST_F(DemoDialog, TooltipsAreRegisteredForControlsWithATip) {
    HWND tooltip = nullptr;
    EnumThreadWindows(
        GetWindowThreadProcessId(window_, nullptr),
        [](HWND window, LPARAM found) -> BOOL {
            if (ClassOf(window) == TOOLTIPS_CLASSW) {
                *reinterpret_cast<HWND*>(found) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tooltip));
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 17);
    struct Tip {
        int number;
        const wchar_t* text;
    };
    for (const Tip& tip :
         {Tip{kFast, L"Fast mode\n(on two pages)"}, Tip{kStart, L"Start the demo (F5)"},
          Tip{kMode, L"Drawing mode"}, Tip{kTabs, L"Pages of the demo"}}) {
        wchar_t text[256] = L"";
        TTTOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.hwnd = window_;
        info.uId = reinterpret_cast<UINT_PTR>(Item(tip.number));
        info.lpszText = text;
        SendMessageW(tooltip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
        EXPECT_STREQ(text, tip.text);
    }
    // Controls without a tip have no tool.
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = window_;
    info.uId = reinterpret_cast<UINT_PTR>(Item(kOut));
    EXPECT_FALSE(SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)));
}

// The colour of one pixel of an item as it draws itself (WM_PRINTCLIENT into a bitmap).
COLORREF PixelOf(HWND item, int x, int y) {
    RECT r;
    GetClientRect(item, &r);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SendMessageW(item, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    COLORREF colour = GetPixel(memory, x, y);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return colour;
}

TEST_F(DemoDialog, ImageItemsDrawTheFrameOfTheirState) {
    OnDialogThread([&] {
        HWND start = Item(kStart);
        // The sign in the middle of the start button has a colour of its own in each frame.
        EXPECT_EQ(PixelOf(start, 36, 34), RGB(255, 255, 255));  // normal
        SendMessageW(start, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
        EXPECT_EQ(PixelOf(start, 36, 34), RGB(255, 255, 200));  // hot
        SendMessageW(start, BM_SETSTATE, TRUE, 0);
        EXPECT_EQ(PixelOf(start, 36, 34), RGB(230, 230, 230));  // pressed
        SendMessageW(start, BM_SETSTATE, FALSE, 0);
        SendMessageW(start, WM_MOUSELEAVE, 0, 0);
        EnableWindow(start, FALSE);
        EXPECT_EQ(PixelOf(start, 36, 34), RGB(225, 225, 225));  // disabled
        EnableWindow(start, TRUE);

        // The check box: a 15 x 15 frame at the right end, centred; (6, 10) of the frame lies
        // on the check mark.
        HWND fast = Item(kFast);
        EXPECT_EQ(PixelOf(fast, 95 + 6, 2 + 10), RGB(255, 255, 255));  // clear
        CheckControl(dialog_, kFast, 1);
        EXPECT_EQ(PixelOf(fast, 95 + 6, 2 + 10), RGB(20, 120, 40));  // checked
        EXPECT_EQ(PixelOf(fast, 95 + 3, 2 + 3), RGB(255, 255, 255));
        SendMessageW(fast, BM_SETSTATE, TRUE, 0);
        EXPECT_EQ(PixelOf(fast, 95 + 3, 2 + 3), RGB(220, 226, 240));  // checked, pressed
        SendMessageW(fast, BM_SETSTATE, FALSE, 0);
        EnableWindow(fast, FALSE);
        EXPECT_EQ(PixelOf(fast, 95 + 3, 2 + 3), RGB(200, 200, 200));  // disabled
        EnableWindow(fast, TRUE);
        // Outside the box the transparent colour lets the dialog's face show.
        EXPECT_EQ(PixelOf(fast, 95, 2), GetSysColor(COLOR_BTNFACE));

        // Tabs: the top rows of each tab (inside the strip's own border) carry the colour of
        // its row in the tab image.
        HWND tabs = Item(kTabs);
        auto tabTop = [&](int tab) {
            RECT r{};
            SendMessageW(tabs, TCM_GETITEMRECT, tab, reinterpret_cast<LPARAM>(&r));
            COLORREF accent = CLR_INVALID;
            for (int y = std::max<LONG>(r.top - 2, 0); y < r.top + 8 && accent == CLR_INVALID;
                 ++y) {
                COLORREF c = PixelOf(tabs, (r.left + r.right) / 2, y);
                if (c == RGB(40, 90, 170) || c == RGB(150, 150, 150) || c == RGB(220, 150, 40)) {
                    accent = c;
                }
            }
            return accent;
        };
        EXPECT_EQ(tabTop(0), RGB(40, 90, 170));    // current
        EXPECT_EQ(tabTop(1), RGB(150, 150, 150));  // other
        RECT second{};
        SendMessageW(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
        SendMessageW(tabs, WM_MOUSEMOVE, 0, MAKELPARAM(second.left + 10, second.top + 5));
        EXPECT_EQ(tabTop(1), RGB(220, 150, 40));  // under the mouse
        EXPECT_EQ(tabTop(2), RGB(150, 150, 150));
        SendMessageW(tabs, WM_MOUSELEAVE, 0, 0);
    });
}

TEST_F(DemoDialog, MessageBoxAndAboutBoxHaveOneButton) {
    PostMessageW(Item(kMessage), BM_CLICK, 0, 0);
    HWND box = WaitForBox(L"vorlu demo");
    ASSERT_NE(box, nullptr);
    wchar_t text[256] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 256);
    EXPECT_STREQ(text, L"A message box of the dialog library.");
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDNO), nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor(
        [&] { return TextOf(Item(kOut)).find(L"message box closed") != std::wstring::npos; }));

    // Help / About of the program's menu.
    PostMessageW(window_, WM_COMMAND, 40001, 0);
    HWND about = WaitForBox(L"About vorlu demo");
    ASSERT_NE(about, nullptr);
    GetDlgItemTextW(about, 0xFFFF, text, 256);
    EXPECT_NE(std::wstring(text).find(L"vorlu.dll"), std::wstring::npos) << text;
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return FindWindowW(L"#32770", L"About vorlu demo") == nullptr; }));
}

}  // namespace
}  // namespace vorlu_demo
