// The BAR space dialog under Wine: created from its resource, driven with the messages a
// user's clicks send, read back from its controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "bar_space_resource.h"
#include "bar_space_test_support.h"
#include "bar_space_window_win32.h"
#include "service.h"

namespace bexa::test {
namespace {

std::string Text(HWND dialog, int control) {
    char text[512] = "";
    GetDlgItemTextA(dialog, control, text, sizeof text);
    return text;
}

std::vector<std::string> ListLines(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_BAR_LIST);
    std::vector<std::string> lines;
    auto count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char line[256] = "";
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
        lines.push_back(line);
    }
    return lines;
}

void Click(HWND dialog, int control) {
    SendMessageA(GetDlgItem(dialog, control), BM_CLICK, 0, 0);
}

bool Checked(HWND dialog, int control) {
    return IsDlgButtonChecked(dialog, control) == BST_CHECKED;
}

// What a user's click and shift-click on the list cause: the lines selected, the anchor at the
// first, and the list's selection-change notification.
void SelectLines(HWND dialog, int first, int count) {
    HWND list = GetDlgItem(dialog, IDC_BAR_LIST);
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    SendMessageA(list, LB_SELITEMRANGEEX, first, first + count - 1);
    SendMessageA(list, LB_SETANCHORINDEX, first, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_BAR_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

void Scroll(HWND dialog, int bar, int code, int position = 0) {
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(code, position),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, bar)));
}

template <typename Condition>
bool Eventually(Condition condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The embedded machine's capture function 01:05.0: BAR 0 is 16 MB of prefetchable memory,
// BAR 1 32 bytes of I/O ports. Probed as the main window does: write all ones, read back,
// restore.
struct Probe {
    uint32_t bar;
    uint32_t probe;
};

Probe ProbeBar(tvk::Machine& machine, int index) {
    uint16_t offset = static_cast<uint16_t>(0x10 + 4 * index);
    Probe p{};
    EXPECT_TRUE(machine.ReadConfig(1, 5, 0, offset, p.bar));
    machine.WriteConfig(1, 5, 0, offset, 0xFFFFFFFF);
    EXPECT_TRUE(machine.ReadConfig(1, 5, 0, offset, p.probe));
    machine.WriteConfig(1, 5, 0, offset, p.bar);
    return p;
}

// The Win32 view with its message boxes and file dialogs answered from a script.
class ScriptedBarSpaceView : public Win32BarSpaceView {
  public:
    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override {
        messages.push_back({text, caption, icon, buttons});
        if (buttons == MessageButtons::Ok || answers.empty()) return MessageAnswer::Ok;
        MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::string ChooseFile(bool) override {
        std::string path = files.empty() ? "" : files.front();
        if (!files.empty()) files.pop_front();
        return path;
    }

    std::vector<ShownMessage> messages;
    std::deque<MessageAnswer> answers;
    std::deque<std::string> files;
};

class BarSpaceDialogTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (dialog && IsWindow(dialog)) DestroyWindow(dialog);
    }
    tvk::Machine& InstallEmbedded() {
        std::string error;
        auto machine = tvk::OpenMachine("embedded", error);
        EXPECT_TRUE(machine) << error;
        tvk::Machine& m = *machine;
        tvk::InstallMachine(std::move(machine));
        return m;
    }
    void Open(uint32_t bar, uint32_t probe) {
        dialog = CreateBarSpaceDialog(nullptr, bar, probe, &view);
        ASSERT_NE(dialog, nullptr);
        ShowWindow(dialog, SW_SHOW);
    }

    ScriptedBarSpaceView view;
    HWND dialog = nullptr;
    std::vector<ShownMessage>& messages = view.messages;
    std::deque<MessageAnswer>& answers = view.answers;
    std::deque<std::string>& files = view.files;
};

TEST_F(BarSpaceDialogTest, PrefetchableMemoryOfTheCaptureCard) {
    tvk::Machine& machine = InstallEmbedded();
    Probe p = ProbeBar(machine, 0);
    ASSERT_EQ(p.probe, 0xFF000008u);
    PokeWord(machine, (p.bar & ~0xFu) + 0x300800, 0x41424300);
    Open(p.bar, p.probe);

    char title[64] = "";
    GetWindowTextA(dialog, title, sizeof title);
    EXPECT_STREQ(title, "BAR space");
    EXPECT_EQ(Text(dialog, IDC_BAR_SPACE), "Memory Space type0 (prefetchable)");
    EXPECT_EQ(Text(dialog, IDC_BAR_64BIT), "");
    EXPECT_EQ(Text(dialog, IDC_BAR_RANGE), "range : ff000000 = 16 MByte");
    EXPECT_EQ(Text(dialog, IDC_BAR_BASE), " base : d0000000");
    EXPECT_EQ(Text(dialog, IDC_BAR_KB_TEXT), "KB range (0 - 1023): 0");
    EXPECT_EQ(Text(dialog, IDC_BAR_MB_TEXT), "MB range (0 - 15): 0");
    int low = -1, high = -1;
    GetScrollRange(GetDlgItem(dialog, IDC_BAR_MB_SCROLL), SB_CTL, &low, &high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 15);
    EXPECT_TRUE(Checked(dialog, IDC_BAR_RANGE_1024));
    EXPECT_FALSE(Checked(dialog, IDC_BAR_RANGE_128));
    ASSERT_EQ(ListLines(dialog).size(), 256u);
    EXPECT_EQ(ListLines(dialog)[1], "           <x00000004>  ");

    Click(dialog, IDC_BAR_AUTO_READ);
    EXPECT_EQ(ListLines(dialog)[0].substr(9, 15), "  <x00000000>  ");  // value, offset, bytes
    Scroll(dialog, IDC_BAR_KB_SCROLL, SB_LINERIGHT);
    Scroll(dialog, IDC_BAR_KB_SCROLL, SB_LINERIGHT);
    Scroll(dialog, IDC_BAR_KB_SCROLL, SB_ENDSCROLL);
    Scroll(dialog, IDC_BAR_MB_SCROLL, SB_THUMBTRACK, 3);
    Scroll(dialog, IDC_BAR_MB_SCROLL, SB_ENDSCROLL);
    EXPECT_EQ(Text(dialog, IDC_BAR_KB_TEXT), "KB range (0 - 1023): 2");
    EXPECT_EQ(Text(dialog, IDC_BAR_MB_TEXT), "MB range (0 - 15): 3");
    EXPECT_EQ(GetScrollPos(GetDlgItem(dialog, IDC_BAR_MB_SCROLL), SB_CTL), 3);
    EXPECT_EQ(ListLines(dialog)[0], " 41424300  <x00300800>  .CBA");

    SelectLines(dialog, 0, 3);
    EXPECT_EQ(Text(dialog, IDC_BAR_VALUE), "x41424300");
    EXPECT_EQ(Text(dialog, IDC_BAR_ANCHOR), "<xD0300800 3 dwords");
    SetDlgItemTextA(dialog, IDC_BAR_VALUE, "x12340000");
    Click(dialog, IDC_BAR_COUNT);
    Click(dialog, IDC_BAR_WRITE);
    EXPECT_EQ(Text(dialog, IDC_BAR_WRITTEN), "x12340000");
    uint32_t base = 0xD0300800;
    ASSERT_TRUE(Eventually([&] { return PeekWord(machine, base + 8) == 0x12360002u; }));
    EXPECT_EQ(PeekWord(machine, base), 0x12340000u);
    EXPECT_EQ(PeekWord(machine, base + 4), 0x12350001u);
    EXPECT_EQ(PeekWord(machine, base + 12), 0u);
    // The list is not refreshed by a write; the refresh button does it.
    EXPECT_EQ(ListLines(dialog)[1], " 00000000  <x00300804>  ....");
    Click(dialog, IDC_BAR_REFRESH);
    EXPECT_EQ(ListLines(dialog)[1],
              " 12350001  <x00300804>  \x01"
              ".5\x12");

    Click(dialog, IDC_BAR_RANGE_128);
    Click(dialog, IDC_BAR_REFRESH);
    EXPECT_EQ(ListLines(dialog).size(), 32u);

    Click(dialog, IDOK);
    EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(BarSpaceDialogTest, IoPortsOfTheCaptureCard) {
    tvk::Machine& machine = InstallEmbedded();
    Probe p = ProbeBar(machine, 1);
    ASSERT_EQ(p.probe, 0xFFFFFFE1u);
    uint32_t port = p.bar & ~3u;
    ASSERT_TRUE(machine.WritePort(port + 4, 0xCAFEF00D));
    Open(p.bar, p.probe);
    EXPECT_EQ(Text(dialog, IDC_BAR_SPACE), "IO Space ");
    EXPECT_EQ(Text(dialog, IDC_BAR_RANGE), "range : ffffffe0 = 32 Byte");
    std::vector<std::string> lines = ListLines(dialog);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[1], " CAFEF00D  <x00000004");

    SelectLines(dialog, 2, 1);
    EXPECT_EQ(Text(dialog, IDC_BAR_VALUE), "x00000000");
    SetDlgItemTextA(dialog, IDC_BAR_VALUE, "x89ABCDEF");
    Click(dialog, IDC_BAR_WRITE);
    uint32_t value = 0;
    ASSERT_TRUE(machine.ReadPort(port + 8, value));
    EXPECT_EQ(value, 0x89ABCDEFu);

    for (int tool : {IDC_BAR_SOURCE, IDC_BAR_MEM_TEST, IDC_BAR_LOAD_FILE})
        Click(dialog, tool);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].caption, "mem copy");
    EXPECT_EQ(messages[1].caption, "mem test");
    EXPECT_EQ(messages[2].text, "not for IO space");
    EXPECT_EQ(messages[2].caption, "load file");
}

TEST_F(BarSpaceDialogTest, LoopingWriterStopsWhenTheWindowCloses) {
    TestMachine m = InstallTestMachine(0xE0000000, 0x1000);
    Open(0xE0000000, 0xFFFFF000);
    Click(dialog, IDC_BAR_LOOP);
    Click(dialog, IDC_BAR_TOGGLE);
    Click(dialog, IDC_BAR_VERIFY);
    SelectLines(dialog, 0, 1);
    SetDlgItemTextA(dialog, IDC_BAR_VALUE, "x12340000");
    Click(dialog, IDC_BAR_WRITE);
    ASSERT_TRUE(Eventually([&] { return PeekWord(*m.sim, 0xE0000000) == 0xEDCBFFFFu; }));
    ASSERT_TRUE(Eventually([&] { return PeekWord(*m.sim, 0xE0000000) == 0x12340000u; }));
    Click(dialog, IDOK);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(m.checked->openViews, 0);
    uint32_t last = PeekWord(*m.sim, 0xE0000000);
    Sleep(300);
    EXPECT_EQ(PeekWord(*m.sim, 0xE0000000), last);
}

TEST_F(BarSpaceDialogTest, RefreshAfterWriteIsDisabled) {
    InstallTestMachine(0xE0000000, 0x1000);
    Open(0xE0000000, 0xFFFFF000);
    Click(dialog, IDC_BAR_REFRESH_AFTER_WRITE);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "currently this feature is disabled");
    EXPECT_EQ(messages[0].caption, "memory refresh after write");
    EXPECT_FALSE(Checked(dialog, IDC_BAR_REFRESH_AFTER_WRITE));
}

TEST_F(BarSpaceDialogTest, TestAndLoadThroughTheButtons) {
    TestMachine m = InstallTestMachine(0xE0000000, 0x1000);
    PokeWord(*m.sim, 0xE0000010, 0x77777777);
    Open(0xE0000000, 0xFFFFFFF0);  // a 16-byte region
    EXPECT_EQ(Text(dialog, IDC_BAR_RANGE), "range : fffffff0 = 16 Byte");
    EXPECT_EQ(ListLines(dialog).size(), 4u);
    answers = {MessageAnswer::No};
    Click(dialog, IDC_BAR_MEM_TEST);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, "No Errors !!");
    const uint32_t pattern[4] = {0, 0xFFFFFFFF, 2, 0xFFFFFFFD};
    for (uint32_t j = 0; j < 4; ++j)
        EXPECT_EQ(PeekWord(*m.sim, 0xE0000000 + 4 * j), pattern[j]);
    EXPECT_EQ(PeekWord(*m.sim, 0xE0000010), 0x77777777u);

    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + "bexa_six_bytes.bin";
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite("\x01\x02\x03\x04\x05\x06", 1, 6, file);
    std::fclose(file);
    files = {path};
    answers = {MessageAnswer::Yes};
    Click(dialog, IDC_BAR_LOAD_FILE);
    EXPECT_EQ(PeekWord(*m.sim, 0xE0000000), 0x04030201u);
    EXPECT_EQ(PeekWord(*m.sim, 0xE0000004), 0xFFFF0605u);
    EXPECT_EQ(PeekWord(*m.sim, 0xE0000008), 2u);
    std::remove(path.c_str());
}

// The whole content of a file, in binary mode; empty when it cannot be read.
std::string ReadBytes(const std::string& path) {
    std::string bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

TEST_F(BarSpaceDialogTest, SaveReplacesAnOldImageAndKeepsAFileInTheWay) {
    TestMachine m = InstallTestMachine(0xE0000000, 0x1000);
    for (uint32_t j = 0; j < 4; ++j)
        PokeWord(*m.sim, 0xE0000000 + 4 * j, 0x44332211 + j);
    Open(0xE0000000, 0xFFFFFFF0);  // a 16-byte region
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "bexa_save_test";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string image = folder + "\\image.bin";
    const std::string readOnly = folder + "\\read-only.bin";
    const std::string inTheWay = folder + "\\a folder";
    {
        FILE* file = std::fopen(image.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs(std::string(5000, 'x').c_str(), file);  // longer than the new image
        std::fclose(file);
        file = std::fopen(readOnly.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs("keep", file);
        std::fclose(file);
    }
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryA(inTheWay.c_str(), nullptr);

    files = {image, readOnly, inTheWay};
    answers = {MessageAnswer::No, MessageAnswer::No, MessageAnswer::No};
    Click(dialog, IDC_BAR_SAVE_FILE);
    Click(dialog, IDC_BAR_SAVE_FILE);
    Click(dialog, IDC_BAR_SAVE_FILE);
    EXPECT_EQ(ReadBytes(image), std::string("\x11\x22\x33\x44\x12\x22\x33\x44"
                                            "\x13\x22\x33\x44\x14\x22\x33\x44",
                                            16));
    EXPECT_EQ(ReadBytes(readOnly), "keep");
    std::vector<std::string> notices;
    for (const ShownMessage& message : messages) {
        if (message.icon != MessageIcon::Question) notices.push_back(message.text);
    }
    EXPECT_EQ(notices, (std::vector<std::string>{"failed to open " + readOnly,
                                                 "failed to open " + inTheWay}));
    // Nothing but the three names is left in the folder.
    int entries = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") ++entries;
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(entries, 3);

    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(readOnly.c_str());
    DeleteFileA(image.c_str());
    RemoveDirectoryA(inTheWay.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST(BarSpaceDialog, NoWindowForARegionOfNoSize) {
    EXPECT_EQ(CreateBarSpaceDialog(nullptr, 0xE0000000, 0x00000008), nullptr);
}

}  // namespace
}  // namespace bexa::test
