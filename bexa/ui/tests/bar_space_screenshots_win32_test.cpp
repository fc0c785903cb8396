// Screenshots of the BAR space, memory map and interrupt routing windows on the embedded
// machine, for the documentation. Runs only when BK_SCREENSHOT_DIR names a folder; writes
// one BMP per window there (ImageMagick turns them into PNG). Without a window manager on the
// display, Wine draws the captions itself only with HKCU\Software\Wine\X11 Driver Managed=N.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bar_space_resource.h"
#include "bar_space_window_win32.h"
#include "device_list.h"
#include "memory_tree.h"
#include "report_windows_resource.h"
#include "report_windows_win32.h"
#include "service.h"
#include "window_bitmap_win32.h"

namespace bexa {
namespace {

void Select(HWND dialog, int first, int count) {
    HWND list = GetDlgItem(dialog, IDC_BAR_LIST);
    SendMessageA(list, LB_SELITEMRANGEEX, first, first + count - 1);
    SendMessageA(list, LB_SETANCHORINDEX, first, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_BAR_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

TEST(Screenshots, BarSpaceAndReportWindows) {
    const char* folder = std::getenv("BK_SCREENSHOT_DIR");
    if (folder == nullptr) GTEST_SKIP() << "BK_SCREENSHOT_DIR not set";
    std::string dir = folder;
    std::string error;
    auto owned = tvk::OpenMachine("embedded", error);
    ASSERT_TRUE(owned) << error;
    tvk::Machine& machine = *owned;
    tvk::InstallMachine(std::move(owned));

    // Some recognisable memory contents at the start of the capture card's frame buffer.
    const char text[] = "Bexa BAR space: capture card frame buffer .. 0123456789";
    void* view = machine.MapPhysical(0xD0000000, 64);
    ASSERT_NE(view, nullptr);
    for (size_t i = 0; i < sizeof text; ++i)
        static_cast<volatile char*>(view)[i] = text[i];
    static_cast<volatile uint32_t*>(view)[15] = 0x41424300;
    machine.UnmapPhysical(view, 64);
    ASSERT_TRUE(machine.WritePort(0xD000, 0x12345678));
    ASSERT_TRUE(machine.WritePort(0xD004, 0xCAFEF00D));

    HWND memory = CreateBarSpaceDialog(nullptr, 0xD0000008, 0xFF000008);
    ASSERT_NE(memory, nullptr);
    ShowWindow(memory, SW_SHOW);
    SendMessageA(GetDlgItem(memory, IDC_BAR_AUTO_READ), BM_CLICK, 0, 0);
    Select(memory, 2, 3);
    SendMessageA(GetDlgItem(memory, IDC_BAR_COUNT), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(memory, IDC_BAR_SOURCE), BM_CLICK, 0, 0);
    EXPECT_TRUE(SaveWindowBitmap(memory, dir + "/bar-space-memory.bmp"));
    DestroyWindow(memory);

    HWND io = CreateBarSpaceDialog(nullptr, 0xD001, 0xFFFFFFE1);
    ASSERT_NE(io, nullptr);
    ShowWindow(io, SW_SHOW);
    SendMessageA(GetDlgItem(io, IDC_BAR_AUTO_READ), BM_CLICK, 0, 0);
    Select(io, 1, 1);
    EXPECT_TRUE(SaveWindowBitmap(io, dir + "/bar-space-io.bmp"));
    DestroyWindow(io);

    MemoryTree tree;
    auto list = BuildDeviceList(tree, AccessMode::Ports, 16);
    ASSERT_TRUE(list);
    HWND map = CreateMemoryMapDialog(nullptr, *list);
    ASSERT_NE(map, nullptr);
    ShowWindow(map, SW_SHOW);
    // Scroll to the blocks where the embedded machine's devices live.
    HWND edit = GetDlgItem(map, IDC_REPORT_MEMORY_MAP);
    SendMessageA(edit, EM_LINESCROLL, 0, 0xD0000000 / 0x800000 - 3);
    EXPECT_TRUE(SaveWindowBitmap(map, dir + "/memmap.bmp"));
    DestroyWindow(map);

    HWND irq = CreateInterruptRoutingDialog(nullptr, *list);
    ASSERT_NE(irq, nullptr);
    ShowWindow(irq, SW_SHOW);
    EXPECT_TRUE(SaveWindowBitmap(irq, dir + "/irq.bmp"));
    DestroyWindow(irq);
}

}  // namespace
}  // namespace bexa
