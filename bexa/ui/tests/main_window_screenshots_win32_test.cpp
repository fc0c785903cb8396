// Screenshots of the main window and the About window on the embedded machine, for the
// documentation. Runs only when BK_SCREENSHOT_DIR names a folder (with a trailing slash);
// writes one BMP per state there, which tools turn into PNG.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "about_window_win32.h"
#include "bexa_resource.h"
#include "embedded_machine.h"
#include "id_database.h"
#include "main_window_win32.h"
#include "service.h"
#include "window_bitmap_win32.h"

namespace bexa {
namespace {

std::string g_folder;

// Captures the message box that is up and cancels it.
void CALLBACK CaptureMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND box = FindWindowA("#32770", "reset");
    if (box == nullptr) return;
    SaveWindowBitmap(box, g_folder + "bexa-reset-question.bmp");
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
}

// The real view, except that the driver check's notice is acknowledged without a box and the
// bridge reset's question is captured on screen, then cancelled.
class ScreenshotView : public Win32MainWindowView {
  public:
    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override {
        if (caption != "reset") return MessageAnswer::Ok;
        SetTimer(nullptr, 0, 700, CaptureMessageBox);
        return Win32MainWindowView::ShowMessage(text, caption, icon, buttons);
    }
};

HTREEITEM FindItem(HWND tree, const std::string& prefix) {
    TreeViewTree walk(tree);
    for (TreeItem item = walk.FirstItem(); item != kNoTreeItem; item = walk.NextVisibleItem(item)) {
        if (walk.ItemText(item).rfind(prefix, 0) == 0) return HTREEITEM(item);
    }
    return nullptr;
}

void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    Pump();
}

TEST(MainWindowScreenshots, MainWindowStatesAndAbout) {
    const char* folder = std::getenv("BK_SCREENSHOT_DIR");
    if (folder == nullptr || *folder == '\0') GTEST_SKIP() << "BK_SCREENSHOT_DIR not set";
    g_folder = folder;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    tvk::InstallMachine(tvk::MakeEmbeddedMachine());

    ScreenshotView view;
    HWND dialog = CreateMainWindow(GetModuleHandleW(nullptr), view);
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_SHOW);
    HWND tree = GetDlgItem(dialog, IDC_TREE);
    EXPECT_TRUE(SaveWindowBitmap(dialog, g_folder + "bexa-main.bmp"));

    TreeView_SelectItem(tree, FindItem(tree, "0.30.0"));
    TreeView_EnsureVisible(tree, TreeView_GetRoot(tree));
    EXPECT_TRUE(SaveWindowBitmap(dialog, g_folder + "bexa-bridge.bmp"));

    Click(dialog, IDC_RESET_BRIDGE);
    EXPECT_NE(GetFileAttributesA((g_folder + "bexa-reset-question.bmp").c_str()),
              INVALID_FILE_ATTRIBUTES);

    TreeView_SelectItem(tree, FindItem(tree, "2.04.0"));
    Click(dialog, IDC_COUNT_64);
    Click(dialog, IDC_REFRESH);
    SendDlgItemMessageW(dialog, IDC_DUMP, LB_SETCURSEL, 15, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_DUMP, LBN_SELCHANGE),
                 LPARAM(GetDlgItem(dialog, IDC_DUMP)));
    EXPECT_TRUE(SaveWindowBitmap(dialog, g_folder + "bexa-64-registers.bmp"));

    HWND about = CreateAboutWindow(dialog);
    ASSERT_NE(about, nullptr);
    ShowWindow(about, SW_SHOW);
    EXPECT_TRUE(SaveWindowBitmap(about, g_folder + "bexa-about.bmp"));
    DestroyWindow(about);
    DestroyWindow(dialog);
    FreeIdFile();
}

}  // namespace
}  // namespace bexa
