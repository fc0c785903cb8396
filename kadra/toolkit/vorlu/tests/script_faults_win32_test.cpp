// What vorlu.dll does with scripts and images it cannot use: a message box that names the
// resource, the line and the fault, XDialog returns -1 and no window is left. And the start
// of a good dialog: the procedure sees the dialog object from its first message on, a parent
// is disabled while the dialog runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "vorlu.h"

// The image exports of this test program: ids 100 to 300; 150 is known but has no resource,
// 160 is the demo's check box (30 x 45), 170 is unknown, 180 a damaged bitmap.
static DWORD g_checkFrames = 5;

extern "C" __declspec(dllexport) DWORD WINAPI GetReslibRange() {
    return 300u << 16 | 100u;
}

extern "C" __declspec(dllexport) int WINAPI GetImageInf(int id, int, DWORD* info) {
    switch (id) {
        case 150:
        case 180:
            info[0] = 1;
            return 1;
        case 160:
            info[0] = g_checkFrames;
            info[1] = 0x100;
            return 1;
        default:
            return 0;
    }
}

namespace {

bool WaitFor(const std::function<bool()>& done, int ms = 8000) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (done()) return true;
        Sleep(20);
    }
    return done();
}

struct Outcome {
    LONG result = -2;
    std::wstring message;  // text of the library's message box, empty when none came
};

// Runs XDialog on a thread of its own, reads and closes the message box it shows.
Outcome RunFaulty(HINSTANCE instance, LPCWSTR script) {
    Outcome outcome;
    std::thread run([&] {
        outcome.result = XDialog(nullptr, 0, 0, script, instance, nullptr, 0, 0, 0, 0, 0, 1);
    });
    HWND box = nullptr;
    WaitFor([&] { return (box = FindWindowW(L"#32770", L"vorlu.dll")) != nullptr; });
    if (box != nullptr) {
        wchar_t text[1024] = L"";
        GetDlgItemTextW(box, 0xFFFF, text, 1024);
        outcome.message = text;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    run.join();
    return outcome;
}

struct Fault {
    int script;
    const wchar_t* fault;
};

TEST(ScriptFaults, MessageBoxNamesResourceLineAndFault) {
    const Fault faults[] = {
        {9001, L"line 3: syntax error: quoted text without its closing quote."},
        {9002, L"line 3: unknown control kind \"slider\""},
        {9003, L"line 4: page 2 named, but the script has 1 page."},
        {9004, L"line 2: image 150: the program has no BMP resource of type 120 or 123"},
        {9005, L"line 2: image 170: the program's GetImageInf does not know it."},
        {9006, L"line 2: image 500: outside the program's image range 100 to 300"},
        {9007, L"line 2: image 160: an image of 30 x 45 pixels does not divide into 2 x 4 frames"},
        {9008, L"line 2: image 180: the pixel rows are cut short"},
        {4242, L"the program has no such resource."},
    };
    g_checkFrames = 7;
    HINSTANCE self = GetModuleHandleW(nullptr);
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.script);
        Outcome outcome = RunFaulty(self, MAKEINTRESOURCEW(f.script));
        EXPECT_EQ(outcome.result, -1);
        const std::wstring head =
            L"The dialog script " + std::to_wstring(f.script) + L" (resource type 200) of ";
        EXPECT_EQ(outcome.message.rfind(head, 0), 0u) << outcome.message;
        EXPECT_NE(outcome.message.find(f.fault), std::wstring::npos) << outcome.message;
        EXPECT_EQ(FindWindowW(L"VorluDialog", nullptr), nullptr);
    }
    g_checkFrames = 5;

    Outcome named = RunFaulty(self, L"NOSCRIPT");
    EXPECT_EQ(named.result, -1);
    EXPECT_NE(named.message.find(L"script \"NOSCRIPT\""), std::wstring::npos) << named.message;
}

TEST(ScriptFaults, ModuleWithoutImageExports) {
    HMODULE module = LoadLibraryW(L"vorlu_no_exports.dll");
    ASSERT_NE(module, nullptr) << GetLastError();
    Outcome outcome = RunFaulty(module, MAKEINTRESOURCEW(9004));
    EXPECT_EQ(outcome.result, -1);
    EXPECT_NE(outcome.message.find(L"line 2: image 150: the program exports no GetReslibRange"),
              std::wstring::npos)
        << outcome.message;
    FreeLibrary(module);
}

// A procedure that notes whether the dialog object was there on its first message.
struct FirstMessage {
    bool seen = false;
    bool hadObject = false;
    UINT message = 0;
} g_first;

LRESULT CALLBACK NotingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<XDIALOG*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!g_first.seen) {
        g_first = {true, dialog != nullptr && dialog->window == window, message};
    }
    if (dialog == nullptr) return 0;  // as Kadra's procedure does
    return dialog->defaultProc(window, message, wParam, lParam);
}

TEST(GoodScript, ObjectFromTheFirstMessageAndParentDisabled) {
    HWND parent = nullptr;
    HWND dialog = nullptr;
    LONG result = -2;
    bool parentEnabledAfter = false;
    std::thread run([&] {
        parent = CreateWindowExW(0, L"STATIC", L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                 nullptr, nullptr, nullptr, nullptr);
        result = XDialog(parent, 20, 30, MAKEINTRESOURCEW(9009), GetModuleHandleW(nullptr),
                         NotingProc, 0, 0, 0, 0, 0, 1);
        parentEnabledAfter = IsWindowEnabled(parent) != FALSE;
        DestroyWindow(parent);
    });
    ASSERT_TRUE(
        WaitFor([&] { return (dialog = FindWindowW(L"VorluDialog", L"Faults")) != nullptr; }));
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(dialog) != FALSE; }));
    EXPECT_FALSE(IsWindowEnabled(parent));
    RECT at;
    GetWindowRect(dialog, &at);
    EXPECT_EQ(at.left, 20);
    EXPECT_EQ(at.top, 30);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    run.join();
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(parentEnabledAfter);
    EXPECT_TRUE(g_first.seen);
    EXPECT_TRUE(g_first.hadObject) << "first message " << g_first.message;
}

TEST(GoodScript, NoProcedureMeansTheDefaultProcedure) {
    LONG result = -2;
    std::thread run([&] {
        result = XDialog(nullptr, 0, 0, MAKEINTRESOURCEW(9009), GetModuleHandleW(nullptr), nullptr,
                         0, 0, 0, 0, 0, 1);
    });
    HWND dialog = nullptr;
    ASSERT_TRUE(
        WaitFor([&] { return (dialog = FindWindowW(L"VorluDialog", L"Faults")) != nullptr; }));
    // Esc does not close it; the close button does.
    PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    Sleep(200);
    EXPECT_TRUE(IsWindow(dialog));
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    run.join();
    EXPECT_EQ(result, 0);
}

TEST(XMessageBoxCall, ShowsTextWithOneButtonAndReturns) {
    int result = 0;
    std::thread run([&] { result = XMessageBox(nullptr, L"Disk full.", L"Kadra", 0, nullptr, 0); });
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindWindowW(L"#32770", L"Kadra")) != nullptr; }));
    wchar_t text[128] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 128);
    EXPECT_STREQ(text, L"Disk full.");
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    run.join();
    EXPECT_EQ(result, IDOK);
}

}  // namespace
