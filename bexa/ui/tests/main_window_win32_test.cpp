// The real main dialog, created in-process on the embedded machine and driven with the
// messages a user's clicks and keys send; message boxes are answered through the view.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "about_window_win32.h"
#include "bexa_resource.h"
#include "bk_version.h"
#include "device_list.h"
#include "embedded_machine.h"
#include "id_database.h"
#include "listing.h"
#include "main_window_win32.h"
#include "memory_tree.h"
#include "service.h"

namespace bexa {
namespace {

struct Message {
    std::string text;
    std::string caption;
    MessageButtons buttons;
};

// The Win32 view with scripted message boxes, save dialog and secondary windows.
class ScriptedView : public Win32MainWindowView {
  public:
    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon,
                              MessageButtons buttons) override {
        messages.push_back({text, caption, buttons});
        if (answers.empty())
            return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool AskListingFileName(std::string& path) override {
        path = listingPath;
        return !listingPath.empty();
    }
    void OpenBarSpaceWindow(uint32_t bar, uint32_t probe) override {
        barWindows.push_back({bar, probe});
    }
    void OpenMemoryMapWindow(const PciDeviceList&) override { ++memoryMaps; }
    void OpenInterruptRoutingWindow(const PciDeviceList&) override { ++interruptRoutings; }
    void OpenAboutWindow() override { ++aboutWindows; }

    std::vector<Message> messages;
    std::deque<MessageAnswer> answers;
    std::string listingPath;
    std::vector<std::pair<uint32_t, uint32_t>> barWindows;
    int memoryMaps = 0;
    int interruptRoutings = 0;
    int aboutWindows = 0;
};

class MainWindowWin32Test : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&controls);
        auto machine = tvk::MakeEmbeddedMachine();
        sim = machine.get();
        tvk::InstallMachine(std::move(machine));
        dialog = CreateMainWindow(GetModuleHandleW(nullptr), view);
        ASSERT_NE(dialog, nullptr);
        ShowWindow(dialog, SW_SHOW);
        tree = GetDlgItem(dialog, IDC_TREE);
    }
    void TearDown() override {
        if (IsWindow(dialog)) DestroyWindow(dialog);
        FreeIdFile();
    }

    std::string Text(int id) {
        char text[2048] = {};
        GetDlgItemTextA(dialog, id, text, sizeof(text));
        return text;
    }
    void Click(int id) {
        HWND button = GetDlgItem(dialog, id);
        // What a click on the control sends: auto check boxes and radio buttons change first.
        const LONG style = GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK;
        if (style == BS_AUTOCHECKBOX) {
            CheckDlgButton(dialog, id,
                           IsDlgButtonChecked(dialog, id) ? BST_UNCHECKED : BST_CHECKED);
        } else if (style == BS_AUTORADIOBUTTON) {
            CheckRadioButton(dialog, IDC_COUNT_16, IDC_COUNT_64, id);
        }
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(button));
    }
    void Step(int spin, int delta) {
        NMUPDOWN step{};
        step.hdr.hwndFrom = GetDlgItem(dialog, spin);
        step.hdr.idFrom = UINT_PTR(spin);
        step.hdr.code = UDN_DELTAPOS;
        step.iPos = int(SendDlgItemMessageW(dialog, spin, UDM_GETPOS32, 0, 0));
        step.iDelta = delta;
        SendMessageW(dialog, WM_NOTIFY, WPARAM(spin), LPARAM(&step));
    }
    void DumpLine(int line, int notification) {
        HWND list = GetDlgItem(dialog, IDC_DUMP);
        SendMessageW(list, LB_SETCURSEL, WPARAM(line), 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_DUMP, notification), LPARAM(list));
    }
    std::vector<std::string> DumpLines() {
        std::vector<std::string> lines;
        const int count = int(SendDlgItemMessageA(dialog, IDC_DUMP, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char line[512] = {};
            SendDlgItemMessageA(dialog, IDC_DUMP, LB_GETTEXT, WPARAM(i), LPARAM(line));
            lines.push_back(line);
        }
        return lines;
    }
    // The tree item whose text starts with `prefix` (a device line starts with its address).
    HTREEITEM FindItem(const std::string& prefix) {
        TreeViewTree walk(tree);
        for (TreeItem item = walk.FirstItem(); item != kNoTreeItem;
             item = walk.NextVisibleItem(item)) {
            if (walk.ItemText(item).rfind(prefix, 0) == 0) return HTREEITEM(item);
        }
        return nullptr;
    }
    void SelectItem(const std::string& prefix) {
        HTREEITEM item = FindItem(prefix);
        ASSERT_NE(item, nullptr) << prefix;
        TreeView_SelectItem(tree, item);
    }

    tvk::SimMachine* sim = nullptr;
    ScriptedView view;
    HWND dialog = nullptr;
    HWND tree = nullptr;
};

TEST_F(MainWindowWin32Test, DoubleClickOnATreeItemNeitherExpandsNorCollapses) {
    HTREEITEM bridge = FindItem("0.30.0");
    ASSERT_NE(bridge, nullptr);
    ASSERT_NE(TreeView_GetChild(tree, bridge), nullptr);
    RECT rect{};
    ASSERT_TRUE(TreeView_GetItemRect(tree, bridge, &rect, TRUE));
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    for (int i = 0; i < 2; ++i) {
        SendMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageW(tree, WM_LBUTTONUP, 0, at);
        EXPECT_TRUE(TreeView_GetItemState(tree, bridge, TVIS_EXPANDED) & TVIS_EXPANDED) << i;
    }
}

TEST(ListingSaveDialogTest, ANameWithoutExtensionGetsLis) {
    char file[MAX_PATH] = "*.lis";
    const OPENFILENAMEA dialog = ListingSaveDialog(nullptr, file);
    EXPECT_STREQ(dialog.lpstrDefExt, "lis");
    EXPECT_EQ(std::string(dialog.lpstrFilter, 25), std::string("List Files (*.lis)\0*.lis\0", 25));
    EXPECT_EQ(dialog.lpstrFile, file);
    EXPECT_EQ(dialog.nMaxFile, DWORD(MAX_PATH));
    EXPECT_EQ(dialog.Flags, DWORD(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
}

TEST_F(MainWindowWin32Test, StartsWithTheScannedTreeAndTheFirstFunction) {
    char caption[64] = {};
    GetWindowTextA(dialog, caption, sizeof(caption));
    EXPECT_STREQ(caption, "Bexa - simulated: embedded machine");
    LOGFONTA font{};
    GetObjectA(HFONT(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, "Courier New");

    const LONG treeStyle = GetWindowLongW(tree, GWL_STYLE);
    for (LONG bit :
         {TVS_HASLINES, TVS_HASBUTTONS, TVS_LINESATROOT, TVS_SHOWSELALWAYS, TVS_DISABLEDRAGDROP}) {
        EXPECT_EQ(treeStyle & bit, bit);
    }
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_DUMP, LB_GETHORIZONTALEXTENT, 0, 0), 400);
    EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_NE(SendDlgItemMessageW(dialog, IDC_REFRESH, BM_GETIMAGE, IMAGE_ICON, 0), 0);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_REFRESH));

    char about[64] = {};
    EXPECT_GT(
        GetMenuStringA(GetSystemMenu(dialog, FALSE), IDM_ABOUT, about, sizeof(about), MF_BYCOMMAND),
        0);
    EXPECT_STREQ(about, "&About Bexa...");

    EXPECT_EQ(Text(IDC_HIGHEST_BUS), "highest busnr: 128");
    EXPECT_EQ(Text(IDC_SHEET_TITLE), " 0.0.0");
    EXPECT_EQ(Text(IDC_DUMP_TITLE), "Config Space Dump: (type 1 xs)");
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_COUNT_16), BST_CHECKED);
    const std::vector<std::string> dump = DumpLines();
    ASSERT_EQ(dump.size(), 16u);
    EXPECT_EQ(dump[0].substr(0, 16), " 2580 8086 <00 :");
    TreeViewTree walk(tree);
    EXPECT_EQ(walk.ItemText(walk.FirstItem()), "host CPU");
    EXPECT_EQ(TreeView_GetSelection(tree), FindItem("0.00.0"));
    // "host CPU" is the first line in view, also after a rescan.
    EXPECT_EQ(TreeView_GetFirstVisible(tree), TreeView_GetRoot(tree));
    Click(IDC_RESCAN);
    EXPECT_EQ(TreeView_GetFirstVisible(tree), TreeView_GetRoot(tree));

    int low = -1, high = -1;
    SendDlgItemMessageW(dialog, IDC_DEVICE_SPIN, UDM_GETRANGE32, WPARAM(&low), LPARAM(&high));
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 32);

    // The driver check ran through the view: this prefix has no Tvk.sys anywhere.
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "Warning\nCould not find Tvk.sys\n");
}

TEST_F(MainWindowWin32Test, TreeSelectionShowsTheFunction) {
    SelectItem("0.30.0");
    EXPECT_EQ(Text(IDC_SHEET_TITLE), " 0.30.0");
    EXPECT_EQ(Text(IDC_SUB_ID), " PPB: 0 -> 1 (4)");
    EXPECT_EQ(Text(IDC_SUB_VENDOR), "");
    EXPECT_EQ(Text(IDC_DEVICE_SEL), "30");
    SelectItem("2.04.0");
    EXPECT_EQ(Text(IDC_INT_PIN), "x5<-INTA#");
    EXPECT_EQ(Text(IDC_BUS_SEL), "2");
}

TEST_F(MainWindowWin32Test, UpDownStepsWrapAndShowAnyAddress) {
    Step(IDC_BUS_SPIN, -1);
    EXPECT_EQ(Text(IDC_BUS_SEL), "255");
    EXPECT_EQ(Text(IDC_SHEET_TITLE), " 255.0.0");
    EXPECT_EQ(Text(IDC_VENDOR), "VID: xFFFF no VID match");
    EXPECT_EQ(TreeView_GetSelection(tree), nullptr);
    Step(IDC_BUS_SPIN, 1);
    Step(IDC_DEVICE_SPIN, -2);
    EXPECT_EQ(Text(IDC_DEVICE_SEL), "30");
    EXPECT_EQ(Text(IDC_SUB_ID), " PPB: 0 -> 1 (4)");
    EXPECT_EQ(TreeView_GetSelection(tree), FindItem("0.30.0"));
    Step(IDC_DEVICE_SPIN, 2);
    EXPECT_EQ(Text(IDC_DEVICE_SEL), "0");
    Step(IDC_FUNCTION_SPIN, -1);
    EXPECT_EQ(Text(IDC_FUNCTION_SEL), "7");
}

TEST_F(MainWindowWin32Test, DumpLineSelectionAndWriteConfReg) {
    SelectItem("2.04.0");
    DumpLine(15, LBN_SELCHANGE);
    EXPECT_EQ(Text(IDC_WRITE_VALUE), "x18040105");
    Click(IDC_REFRESH_AFTER_WRITE);
    SetDlgItemTextA(dialog, IDC_WRITE_VALUE, "x0B");
    Click(IDC_WRITE_REG);
    EXPECT_EQ(Text(IDC_REGISTER_ECHO), "x0000000B");
    EXPECT_EQ((*sim->ConfigImage(2, 4, 0))[0x3C], 0x0B);
    EXPECT_EQ(DumpLines()[15].substr(0, 16), " 1804 010B <3C :");
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_DUMP, LB_GETCURSEL, 0, 0), 15);
}

TEST_F(MainWindowWin32Test, SixtyFourRegistersAtTheNextRefresh) {
    Click(IDC_COUNT_64);
    EXPECT_EQ(DumpLines().size(), 16u);
    Click(IDC_REFRESH);
    EXPECT_EQ(DumpLines().size(), 64u);
    Click(IDC_COUNT_16);
    Click(IDC_RESCAN);
    EXPECT_EQ(DumpLines().size(), 16u);
}

TEST_F(MainWindowWin32Test, UseBiosIsRefusedOnThisNtFamilySystem) {
    view.messages.clear();
    Click(IDC_USE_BIOS);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_USE_BIOS), BST_UNCHECKED);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "Win NT does not support user interrupts");
    EXPECT_EQ(view.messages[0].caption, "Bexa");
}

TEST_F(MainWindowWin32Test, DoubleClickedBarLineProbesAndOpensTheBarWindow) {
    SelectItem("0.27.0");
    view.messages.clear();
    DumpLine(10, LBN_DBLCLK);
    EXPECT_EQ(view.messages.back().text, "no BAR selected");
    view.answers = {MessageAnswer::Yes};
    DumpLine(4, LBN_DBLCLK);
    EXPECT_EQ(view.barWindows,
              (std::vector<std::pair<uint32_t, uint32_t>>{{0xFEBF8004, 0xFFFFC004}}));
}

TEST_F(MainWindowWin32Test, ResetBridgeAsksTwiceAndRestores) {
    SelectItem("0.30.0");
    view.messages.clear();
    view.answers = {MessageAnswer::Ok, MessageAnswer::No};
    Click(IDC_RESET_BRIDGE);
    ASSERT_EQ(view.messages.size(), 3u);
    for (const Message& m : view.messages)
        EXPECT_EQ(m.caption, "reset");
    EXPECT_NE(view.messages[0].text.find("   (2.4.0) 7134.1131\n"), std::string::npos);
    EXPECT_EQ(view.messages[2].text, "\nrestore done\n");
    EXPECT_FALSE(sim->BusInReset(1));
    // The PLX bridge behind it has its bus numbers back.
    EXPECT_EQ((*sim->ConfigImage(1, 0, 0))[0x19], 2);
}

TEST_F(MainWindowWin32Test, WriteToFileWritesTheTreeWithCrLf) {
    const std::string path = ::testing::TempDir() + "bexa_main_window_win32_test.lis";
    std::remove(path.c_str());
    Click(IDC_COLLAPSE_ALL);
    Click(IDC_EXPAND_ALL);
    view.answers = {MessageAnswer::Yes};
    view.listingPath = path;
    Click(IDC_WRITE_FILE);
    std::ifstream in(path, std::ios::binary);
    std::stringstream written;
    written << in.rdbuf();
    in.close();

    MemoryTree cliTree;
    auto cliList = BuildDeviceList(cliTree, AccessMode::Ports, 16);
    std::string expected;
    AppendListing(cliTree, *cliList, 16, true, expected);
    std::string crlf;
    for (char c : expected)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(written.str(), crlf);
    std::remove(path.c_str());
}

TEST_F(MainWindowWin32Test, WriteToFileReplacesAnOldListingAndKeepsAReadOnlyOne) {
    const std::string old = ::testing::TempDir() + "bexa_main_window_old.lis";
    const std::string readOnly = ::testing::TempDir() + "bexa_main_window_read_only.lis";
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::ofstream(old, std::ios::binary) << std::string(300000, 'x');  // longer than a listing
    std::ofstream(readOnly, std::ios::binary) << "keep";
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    auto read = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };

    view.answers = {MessageAnswer::No};
    view.listingPath = old;
    Click(IDC_WRITE_FILE);
    MemoryTree cliTree;
    auto cliList = BuildDeviceList(cliTree, AccessMode::Ports, 16);
    std::string expected;
    AppendListing(cliTree, *cliList, 16, false, expected);
    std::string crlf;
    for (char c : expected)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(read(old), crlf);  // the whole listing, nothing of the longer old file

    view.messages.clear();
    view.answers = {MessageAnswer::No};
    view.listingPath = readOnly;
    Click(IDC_WRITE_FILE);
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[1].text, "can't open file");
    EXPECT_EQ(view.messages[1].caption, "Bexa");
    EXPECT_EQ(read(readOnly), "keep");

    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::remove(readOnly.c_str());
    std::remove(old.c_str());
}

TEST_F(MainWindowWin32Test, CollapsedBridgesHideTheirFunctions) {
    Click(IDC_COLLAPSE_ALL);
    EXPECT_EQ(FindItem("1.00.0"), nullptr);
    EXPECT_NE(FindItem("0.30.0"), nullptr);
    EXPECT_NE(FindItem("128.02.0"), nullptr);
    Click(IDC_EXPAND_ALL);
    EXPECT_NE(FindItem("2.04.0"), nullptr);
}

TEST_F(MainWindowWin32Test, ButtonsAndSystemMenuOpenTheOtherWindows) {
    Click(IDC_ABOUT);
    SendMessageW(dialog, WM_SYSCOMMAND, IDM_ABOUT, 0);
    Click(IDC_MEM_MAP);
    Click(IDC_INT_ROUTING);
    EXPECT_EQ(view.aboutWindows, 2);
    EXPECT_EQ(view.memoryMaps, 1);
    EXPECT_EQ(view.interruptRoutings, 1);
}

TEST_F(MainWindowWin32Test, ExitClosesTheWindow) {
    Click(IDC_EXIT);
    EXPECT_FALSE(IsWindow(dialog));
}

TEST(AboutWindowWin32Test, ShowsTheFixedTextsAndTheSystem) {
    HWND about = CreateAboutWindow(nullptr);
    ASSERT_NE(about, nullptr);
    std::vector<std::string> statics;
    for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[256] = {};
        GetWindowTextA(child, text, sizeof(text));
        const LONG kind = GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK;
        if (child == GetWindow(about, GW_CHILD)) {
            EXPECT_EQ(kind, SS_ICON);  // the program icon comes first
        }
        if (GetDlgCtrlID(child) == -1 && kind != SS_ICON) statics.push_back(text);
    }
    EXPECT_EQ(statics, (std::vector<std::string>{
                           "Bexa      Version 2.04a", "Features:", "Display PCIbus as tree",
                           "uses \"pcidevs.txt\" if present for VID and DID",
                           "read Config Space of device (selected in tree view)",
                           "edit Config Register (selected in dump view)",
                           "read io/memory space of BAR (dbl clicked in dump view)",
                           "edit content of BAR space (selected in memory list)",
                           "Win95/98/ME and WinNT/2000 / XP", BK_RELEASE_LINE}));
    char title[64] = {};
    GetWindowTextA(about, title, sizeof(title));
    EXPECT_STREQ(title, "About Bexa");
    char system[1024] = {};
    GetDlgItemTextA(about, IDC_ABOUT_SYSTEM, system, sizeof(system));
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_TRUE(GetVersionExA(&info));
    char first[64];
    std::snprintf(first, sizeof(first), "OS:\tWin NT %lu.%02lu   (build:%lu) \n",
                  info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber);
    EXPECT_EQ(std::string(system).rfind(first, 0), 0u) << system;
    EXPECT_NE(std::string(system).find("\n\nVersion of pcidevs.txt:\n"), std::string::npos);
    char help[256] = {};
    GetDlgItemTextA(about, IDC_ABOUT_HELP, help, sizeof(help));
    EXPECT_NE(help[0], '\0');
    SendMessageW(about, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(IsWindow(about));
}

}  // namespace
}  // namespace bexa
