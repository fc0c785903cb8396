// The memory map and interrupt routing dialogs under Wine, on the embedded machine's devices.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "device_list.h"
#include "interrupt_routing.h"
#include "memory_map.h"
#include "memory_tree.h"
#include "report_windows_resource.h"
#include "report_windows_win32.h"
#include "service.h"

namespace bexa {
namespace {

std::string Text(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

// Every static text of a dialog, in creation order.
std::string StaticTexts(HWND dialog) {
    std::string texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = "";
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "Static") == 0) texts += Text(child) + "|";
    }
    return texts;
}

bool FixedPitchFont(HWND control) {
    auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    LOGFONTA logFont{};
    if (font == nullptr || GetObjectA(font, sizeof logFont, &logFont) == 0) return false;
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    // TMPF_FIXED_PITCH set means a variable pitch font.
    return lstrcmpA(logFont.lfFaceName, "Courier New") == 0 &&
           (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;
}

class ReportDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        auto machine = tvk::OpenMachine("embedded", error);
        ASSERT_TRUE(machine) << error;
        tvk::InstallMachine(std::move(machine));
        list = BuildDeviceList(tree, AccessMode::Ports, 16);
        ASSERT_TRUE(list);
        ASSERT_GT(list->Count(), 5);
    }
    void TearDown() override {
        if (dialog && IsWindow(dialog)) DestroyWindow(dialog);
    }

    MemoryTree tree;
    std::unique_ptr<PciDeviceList> list;
    HWND dialog = nullptr;
};

TEST_F(ReportDialogTest, MemoryMapInBothSpaces) {
    dialog = CreateMemoryMapDialog(nullptr, *list);
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_SHOW);
    EXPECT_EQ(Text(dialog), "PCI  Memory Map");
    EXPECT_NE(StaticTexts(dialog).find("(memory map derieved from devices' ConfSpace)|"),
              std::string::npos);
    EXPECT_EQ(Text(GetDlgItem(dialog, IDOK)), "Q U I T");
    EXPECT_EQ(Text(GetDlgItem(dialog, IDC_REPORT_MEM_SPACE)), "mem space");
    EXPECT_EQ(Text(GetDlgItem(dialog, IDC_REPORT_IO_SPACE)), "io space");
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_REPORT_MEM_SPACE), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_REPORT_IO_SPACE), BST_UNCHECKED);

    HWND edit = GetDlgItem(dialog, IDC_REPORT_MEMORY_MAP);
    EXPECT_TRUE(GetWindowLongA(edit, GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(GetWindowLongA(edit, GWL_STYLE) & ES_MULTILINE);
    EXPECT_TRUE(FixedPitchFont(edit));
    std::string memory = MemoryMapText(*list, MapSpace::Memory, "\r\n");
    EXPECT_EQ(Text(edit), memory);
    EXPECT_EQ(SendMessageA(edit, EM_GETLINECOUNT, 0, 0), 512);  // 511 lines and the empty last
    EXPECT_NE(memory.find("D0000000 <- "), std::string::npos);

    SendMessageA(GetDlgItem(dialog, IDC_REPORT_IO_SPACE), BM_CLICK, 0, 0);
    std::string io = MemoryMapText(*list, MapSpace::Io, "\r\n");
    EXPECT_NE(io, memory);
    EXPECT_EQ(Text(edit), io);
    SendMessageA(GetDlgItem(dialog, IDC_REPORT_MEM_SPACE), BM_CLICK, 0, 0);
    EXPECT_EQ(Text(edit), memory);

    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(ReportDialogTest, InterruptRouting) {
    dialog = CreateInterruptRoutingDialog(nullptr, *list);
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_SHOW);
    EXPECT_EQ(Text(dialog), "PCI  INT routing");
    EXPECT_NE(StaticTexts(dialog).find("(INT Pin to Line map derieved from devices' ConfSpace)|"),
              std::string::npos);
    EXPECT_EQ(Text(GetDlgItem(dialog, IDOK)), "Q U I T");
    HWND edit = GetDlgItem(dialog, IDC_REPORT_INT_ROUTING);
    EXPECT_TRUE(GetWindowLongA(edit, GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(FixedPitchFont(edit));
    std::string text = InterruptRoutingText(*list, "\r\n");
    EXPECT_EQ(Text(edit), text);
    EXPECT_EQ(text.rfind("INT line  0 <- ", 0), 0u);
    EXPECT_NE(text.find("INT line 15 <- "), std::string::npos);

    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);  // Esc closes it too
    EXPECT_FALSE(IsWindow(dialog));
}

}  // namespace
}  // namespace bexa
