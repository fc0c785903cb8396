// The BAR space window's behaviour on a simulated machine: opening, listing, selecting,
// scrolling and writing.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "bar_space_resource.h"
#include "bar_space_test_support.h"
#include "bar_space_window.h"

namespace bexa::test {
namespace {

constexpr uint32_t kRam = 0xE0000000;

// Waits for a condition another thread brings about; fails the test after ten seconds.
template <typename Condition>
bool Eventually(Condition condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

struct OpeningCase {
    uint32_t bar;
    uint32_t probe;
    const char* space;
    const char* note64;
    const char* range;
    const char* base;
    int kbMax;
    int mbMax;
};

TEST(BarSpaceOpening, DecodesSpaceSizeAndRanges) {
    const OpeningCase cases[] = {
        {0xE0000000, 0xFFFFF000, "Memory Space type0 ", "", "range : fffff000 = 4 KByte",
         " base : e0000000", 3, 0},
        {0xE0000008, 0xFF000008, "Memory Space type0 (prefetchable)", "",
         "range : ff000000 = 16 MByte", " base : e0000000", 1023, 15},
        {0x0000E001, 0xFFFFFFE1, "IO Space ", "", "range : ffffffe0 = 32 Byte", " base : 0000e000",
         0, 0},
        {0xE000000C, 0xFFFFF00C, "Memory Space type2 (prefetchable)",
         "(64bit BARs not supported yet !!)", "range : fffff000 = 4 KByte", " base : e0000000", 3,
         0},
        // Without the probe the main window assumes 1 MByte of memory, even for an I/O BAR.
        {0x0000E001, 0xFFF00000, "Memory Space type0 ", "", "range : fff00000 = 1024 KByte",
         " base : 0000e000", 1023, 0},
        {0x80000000, 0x80000000, "Memory Space type0 ", "", "range : 80000000 = 2048 MByte",
         " base : 80000000", 1023, 2047},
        {0xE0000010, 0xFFFFFFF0, "Memory Space type0 ", "", "range : fffffff0 = 16 Byte",
         " base : e0000010", 0, 0},
    };
    for (const OpeningCase& c : cases) {
        SCOPED_TRACE(c.range);
        InstallTestMachine(kRam, 0x1000000, 0xE000, 32);
        FakeBarSpaceView view;
        BarSpaceWindow window(view, c.bar, c.probe);
        window.Open();
        EXPECT_EQ(view.text(IDC_BAR_SPACE), c.space);
        EXPECT_EQ(view.text(IDC_BAR_64BIT), c.note64);
        EXPECT_EQ(view.text(IDC_BAR_RANGE), c.range);
        EXPECT_EQ(view.text(IDC_BAR_BASE), c.base);
        EXPECT_EQ(view.kb.max, c.kbMax);
        EXPECT_EQ(view.mb.max, c.mbMax);
        EXPECT_EQ(view.kb.position, 0);
        EXPECT_EQ(view.text(IDC_BAR_KB_TEXT), "KB range (0 - " + std::to_string(c.kbMax) + "): 0");
        EXPECT_EQ(view.text(IDC_BAR_MB_TEXT), "MB range (0 - " + std::to_string(c.mbMax) + "): 0");
        EXPECT_TRUE(view.checks[IDC_BAR_RANGE_1024]);
        EXPECT_FALSE(view.checks[IDC_BAR_RANGE_128]);
    }
}

TEST(BarSpaceOpening, ProbeWithoutAddressBitsDescribesNoRegion) {
    EXPECT_FALSE(BarSpaceWindow::DescribesRegion(0));
    EXPECT_FALSE(BarSpaceWindow::DescribesRegion(0x0000000E));  // only the memory type bits
    EXPECT_FALSE(BarSpaceWindow::DescribesRegion(0x00000003));  // only the I/O flag bits
    EXPECT_TRUE(BarSpaceWindow::DescribesRegion(0x0000000D));   // an I/O region of 4 bytes
    EXPECT_TRUE(BarSpaceWindow::DescribesRegion(0xFFFFFFE1));
    EXPECT_TRUE(BarSpaceWindow::DescribesRegion(0x80000000));
}

TEST(BarSpaceList, MemoryWordsWithAndWithoutAutoRead) {
    TestMachine m = InstallTestMachine(kRam, 0x1000);
    PokeWord(*m.sim, kRam, 0x41424300);
    PokeWord(*m.sim, kRam + 4, 0x0000000A);
    FakeBarSpaceView view;
    BarSpaceWindow window(view, kRam, 0xFFFFF000);
    window.Open();
    ASSERT_EQ(view.lines.size(), 256u);
    EXPECT_EQ(view.lines[0], "           <x00000000>  ");
    EXPECT_EQ(view.lines[255], "           <x000003FC>  ");

    window.OnAutoReadMemory(true);
    ASSERT_EQ(view.lines.size(), 256u);
    EXPECT_EQ(view.lines[0], " 41424300  <x00000000>  .CBA");
    EXPECT_EQ(view.lines[1], " 0000000A  <x00000004>  \n...");
    EXPECT_EQ(view.lines[2], " 00000000  <x00000008>  ....");
    EXPECT_EQ(m.checked->openViews, 0);
    EXPECT_TRUE(m.checked->allMapsInside(kRam, 0x1000));
}

TEST(BarSpaceList, DisplayRangeTakesEffectAtTheNextFilling) {
    InstallTestMachine(kRam, 0x1000000);
    FakeBarSpaceView view;
    BarSpaceWindow window(view, kRam | 8, 0xFF000008);
    window.Open();
    EXPECT_EQ(view.lines.size(), 256u);
    window.OnDisplayRange(128);
    EXPECT_EQ(view.lines.size(), 256u);
    window.OnRefresh();
    EXPECT_EQ(view.lines.size(), 32u);
    window.OnDisplayRange(1024);
    window.OnRefresh();
    EXPECT_EQ(view.lines.size(), 256u);
}

TEST(BarSpaceList, UnmappableMemoryLeavesTheListEmpty) {
    TestMachine m = InstallTestMachine(kRam, 0x1000);
    FakeBarSpaceView view;
    BarSpaceWindow window(view, 0xD0000000, 0xFFFFF000);  // nothing behind it
    window.Open();
    EXPECT_TRUE(view.lines.empty());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "unable to map physical address space");
    EXPECT_EQ(view.messages[0].caption, "Bexa");
    EXPECT_EQ(m.checked->openViews, 0);
}

TEST(BarSpaceList, IoPortsWordByWord) {
    TestMachine m = InstallTestMachine(kRam, 0x1000, 0xE000, 32);
    const uint8_t registers[8] = {0x78, 0x56, 0x34, 0x12, 0xEF, 0xBE, 0xAD, 0xDE};
    ASSERT_TRUE(m.sim->StorePorts(0xE000, registers, sizeof registers));
    FakeBarSpaceView view;
    BarSpaceWindow window(view, 0xE001, 0xFFFFFFE1);
    window.Open();
    ASSERT_EQ(view.lines.size(), 8u);
    EXPECT_EQ(view.lines[0], " 12345678  <x00000000");
    EXPECT_EQ(view.lines[1], " DEADBEEF  <x00000004");
    EXPECT_EQ(view.lines[7], " 00000000  <x0000001C");
    EXPECT_TRUE(view.messages.empty());

    // A failing port is reported once per listing, for its first word.
    m.checked->failPorts = true;
    window.OnRefresh();
    EXPECT_EQ(view.lines.size(), 8u);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "TVK_InPort: No Success !!");
    EXPECT_EQ(view.messages[0].caption, "Bexa");
}

TEST(BarSpaceScroll, CodesClampingAndViewOffset) {
    TestMachine m = InstallTestMachine(kRam, 0x1000000);
    PokeWord(*m.sim, kRam + 0x300800, 0x44434241);
    FakeBarSpaceView view;
    BarSpaceWindow window(view, kRam | 8, 0xFF000008);
    window.Open();
    window.OnAutoReadMemory(true);

    window.OnScroll(RangeBar::Kb, ScrollCode::LineLeft, 0);  // clamped at 0
    EXPECT_EQ(window.kbPosition(), 0);
    window.OnScroll(RangeBar::Kb, ScrollCode::RightEnd, 0);  // the end codes move by one
    window.OnScroll(RangeBar::Kb, ScrollCode::LineRight, 0);
    EXPECT_EQ(window.kbPosition(), 2);
    EXPECT_EQ(view.text(IDC_BAR_KB_TEXT), "KB range (0 - 1023): 2");
    EXPECT_EQ(view.kb.position, 2);
    window.OnScroll(RangeBar::Mb, ScrollCode::ThumbTrack, 3);
    EXPECT_EQ(view.text(IDC_BAR_MB_TEXT), "MB range (0 - 15): 3");
    EXPECT_EQ(window.viewOffset(), 0u);  // only when the scroll ends
    window.OnScroll(RangeBar::Mb, ScrollCode::EndScroll, 0);
    EXPECT_EQ(window.viewOffset(), 0x300800u);
    EXPECT_EQ(view.lines[0], " 44434241  <x00300800>  ABCD");

    window.OnScroll(RangeBar::Mb, ScrollCode::PageRight, 0);
    window.OnScroll(RangeBar::Mb, ScrollCode::PageRight, 0);
    EXPECT_EQ(window.mbPosition(), 15);
    window.OnScroll(RangeBar::Mb, ScrollCode::PageLeft, 0);
    EXPECT_EQ(window.mbPosition(), 7);
    window.OnScroll(RangeBar::Mb, ScrollCode::LeftEnd, 0);
    EXPECT_EQ(window.mbPosition(), 6);
    window.OnScroll(RangeBar::Kb, ScrollCode::ThumbTrack, 5000);
    EXPECT_EQ(window.kbPosition(), 1023);
    window.OnScroll(RangeBar::Kb, ScrollCode::EndScroll, 0);
    EXPECT_EQ(window.viewOffset(), 6u * 1048576 + 1023u * 1024);
    EXPECT_EQ(view.lines.back(), " 00000000  <x006FFFFC>  ....");
    EXPECT_TRUE(m.checked->allMapsInside(kRam, 0x1000000));
}

TEST(BarSpaceScroll, SmallRegionBarsStayAtZero) {
    InstallTestMachine(kRam, 0x1000);
    FakeBarSpaceView view;
    BarSpaceWindow window(view, kRam, 0xFFFFF000);
    window.Open();
    window.OnScroll(RangeBar::Kb, ScrollCode::PageRight, 0);
    EXPECT_EQ(window.kbPosition(), 3);
    window.OnScroll(RangeBar::Mb, ScrollCode::LineRight, 0);
    EXPECT_EQ(window.mbPosition(), 0);
    window.OnScroll(RangeBar::Kb, ScrollCode::EndScroll, 0);
    EXPECT_EQ(window.viewOffset(), 0xC00u);
    EXPECT_EQ(view.lines.size(), 256u);
}

TEST(BarSpaceSelection, AnchorValueAndTexts) {
    TestMachine m = InstallTestMachine(kRam, 0x1000000, 0xE000, 32);
    PokeWord(*m.sim, kRam + 0x300808, 0xCAFEF00D);
    FakeBarSpaceView view;
    BarSpaceWindow window(view, kRam | 8, 0xFF000008);
    window.Open();
    window.OnScroll(RangeBar::Kb, ScrollCode::ThumbTrack, 2);
    window.OnScroll(RangeBar::Mb, ScrollCode::ThumbTrack, 3);
    window.OnScroll(RangeBar::Mb, ScrollCode::EndScroll, 0);

    view.texts[IDC_BAR_WRITTEN] = "x00000001";
    window.OnSelectionChanged(2, 3);  // without auto read: read from memory
    EXPECT_EQ(view.text(IDC_BAR_VALUE), "xCAFEF00D");
    EXPECT_EQ(view.text(IDC_BAR_ANCHOR), "<xE0300808 3 dwords");
    EXPECT_EQ(view.text(IDC_BAR_WRITTEN), "");

    window.OnAutoReadMemory(true);
    PokeWord(*m.sim, kRam + 0x300808, 0x12345678);  // the list still shows the old value
    window.OnSelectionChanged(2, 1);
    EXPECT_EQ(view.text(IDC_BAR_VALUE), "xCAFEF00D");
    EXPECT_EQ(m.checked->openViews, 0);

    // I/O space: the value comes from the list only with auto read.
    const uint8_t registers[4] = {0x44, 0x33, 0x22, 0x11};
    ASSERT_TRUE(m.sim->StorePorts(0xE004, registers, 4));
    FakeBarSpaceView ioView;
    BarSpaceWindow io(ioView, 0xE001, 0xFFFFFFE1);
    io.Open();
    io.OnSelectionChanged(1, 1);
    EXPECT_EQ(ioView.text(IDC_BAR_VALUE), "x00000000");
    EXPECT_EQ(ioView.text(IDC_BAR_ANCHOR), "<x0000E004 1 dwords");
    io.OnAutoReadMemory(true);
    io.OnSelectionChanged(1, 1);
    EXPECT_EQ(ioView.text(IDC_BAR_VALUE), "x11223344");
}

TEST(BarSpaceEmbeddedMachine, CaptureCardMemoryAndPorts) {
    std::string error;
    auto owned = tvk::OpenMachine("embedded", error);
    ASSERT_TRUE(owned) << error;
    tvk::Machine& machine = *owned;
    tvk::InstallMachine(std::move(owned));
    // The capture function 01:05.0: BAR 0 16 MB prefetchable memory, BAR 1 32 I/O ports.
    uint32_t bar0 = 0;
    uint32_t bar1 = 0;
    ASSERT_TRUE(machine.ReadConfig(1, 5, 0, 0x10, bar0));
    ASSERT_TRUE(machine.ReadConfig(1, 5, 0, 0x14, bar1));
    PokeWord(machine, (bar0 & ~0xFu) + 0x300800, 0x41424300);

    FakeBarSpaceView view;
    BarSpaceWindow memory(view, bar0, 0xFF000008);
    memory.Open();
    memory.OnAutoReadMemory(true);
    EXPECT_EQ(view.text(IDC_BAR_SPACE), "Memory Space type0 (prefetchable)");
    EXPECT_EQ(view.text(IDC_BAR_RANGE), "range : ff000000 = 16 MByte");
    memory.OnScroll(RangeBar::Kb, ScrollCode::ThumbTrack, 2);
    memory.OnScroll(RangeBar::Mb, ScrollCode::ThumbTrack, 3);
    memory.OnScroll(RangeBar::Mb, ScrollCode::EndScroll, 0);
    EXPECT_EQ(memory.viewOffset(), 0x300800u);
    EXPECT_EQ(view.lines[0], " 41424300  <x00300800>  .CBA");

    FakeBarSpaceView ioView;
    BarSpaceWindow io(ioView, bar1, 0xFFFFFFE1);
    io.Open();
    EXPECT_EQ(ioView.text(IDC_BAR_SPACE), "IO Space ");
    EXPECT_EQ(ioView.text(IDC_BAR_RANGE), "range : ffffffe0 = 32 Byte");
    EXPECT_EQ(ioView.lines.size(), 8u);
    EXPECT_TRUE(ioView.messages.empty());
}

class BarSpaceWrite : public ::testing::Test {
  protected:
    void SetUp() override {
        m = InstallTestMachine(kRam, 0x3000);  // the region with 4 KB either side
        window = std::make_unique<BarSpaceWindow>(view, kRam + 0x1000, 0xFFFFF000);
        window->Open();
    }
    uint32_t Word(uint32_t index) { return PeekWord(*m.sim, kRam + 0x1000 + 4 * index); }
    // Writes and waits until the writers have finished (and their views are released).
    void WriteOnce(const std::string& text) {
        window->OnWriteMemory(text);
        window->Close();
    }

    TestMachine m;
    FakeBarSpaceView view;
    std::unique_ptr<BarSpaceWindow> window;
};

TEST_F(BarSpaceWrite, NothingBeforeASelection) {
    WriteOnce("x12345678");
    EXPECT_EQ(view.text(IDC_BAR_WRITTEN), "");
    EXPECT_EQ(Word(0), 0u);
    EXPECT_EQ(window->writeValue(), 0u);
}

TEST_F(BarSpaceWrite, OnceIntoTheSelectedWords) {
    window->OnSelectionChanged(4, 2);
    WriteOnce("x12345678");
    EXPECT_EQ(view.text(IDC_BAR_WRITTEN), "x12345678");
    EXPECT_EQ(Word(3), 0u);
    EXPECT_EQ(Word(4), 0x12345678u);
    EXPECT_EQ(Word(5), 0x12345678u);
    EXPECT_EQ(Word(6), 0u);
    // Text that does not parse keeps the previous value.
    window->OnSelectionChanged(6, 1);
    WriteOnce("12");
    EXPECT_EQ(view.text(IDC_BAR_WRITTEN), "x12345678");
    EXPECT_EQ(Word(6), 0x12345678u);
    EXPECT_EQ(m.checked->openViews, 0);
}

TEST_F(BarSpaceWrite, PatternsOfCountAndToggle) {
    struct Case {
        bool toggle;
        bool count;
        uint32_t expected[4];
    };
    const Case cases[] = {
        {false, false, {0x12340000, 0x12340000, 0x12340000, 0x12340000}},
        {false, true, {0x12340000, 0x12350001, 0x12360002, 0x12370003}},
        {true, false, {0x12340000, 0xEDCBFFFF, 0x12340000, 0xEDCBFFFF}},
        {true, true, {0x12340000, 0xEDCAFFFE, 0x12360002, 0xEDC8FFFC}},
    };
    for (const Case& c : cases) {
        window->OnToggle(c.toggle);
        window->OnCount(c.count);
        window->OnSelectionChanged(10, 4);
        WriteOnce("x12340000");
        for (uint32_t i = 0; i < 4; ++i)
            EXPECT_EQ(Word(10 + i), c.expected[i]) << i;
    }
    EXPECT_EQ(PatternValue(0x12340000, 0x10000, 0), 0x12340000u);  // the counter wraps at 16 bits
}

TEST_F(BarSpaceWrite, WritesStopAtLine255AndAtTheRegionEnd) {
    window->OnScroll(RangeBar::Kb, ScrollCode::ThumbTrack, 3);
    window->OnScroll(RangeBar::Kb, ScrollCode::EndScroll, 0);
    window->OnSelectionChanged(250, 20);
    WriteOnce("xA5A5A5A5");
    EXPECT_EQ(Word(768 + 249), 0u);
    EXPECT_EQ(Word(768 + 250), 0xA5A5A5A5u);
    EXPECT_EQ(Word(1023), 0xA5A5A5A5u);
    EXPECT_EQ(Word(1024), 0u);  // the first word after the region
    EXPECT_TRUE(m.checked->allMapsInside(kRam + 0x1000, 0x1000));
}

TEST_F(BarSpaceWrite, LoopRunsUntilSwitchedOffAndCountCarriesOver) {
    window->OnCount(true);
    window->OnVerify(true);
    window->OnLoop(true);
    window->OnSelectionChanged(0, 1);
    window->OnWriteMemory("x12340000");
    // Each pass writes the next count: the word moves on while the loop runs.
    ASSERT_TRUE(Eventually([&] { return Word(0) >= 0x12370003u; }));
    window->OnLoop(false);
    ASSERT_TRUE(Eventually([&] {
        uint32_t before = Word(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        return Word(0) == before;
    }));
    uint32_t c = Word(0) - 0x12340000u;
    EXPECT_EQ(c % 0x10001u, 0u);
    window->Close();
    EXPECT_EQ(window->writerCount(), 0u);
    EXPECT_EQ(m.checked->openViews, 0);
}

TEST_F(BarSpaceWrite, RefreshViewAfterWriteIsDisabled) {
    view.checks[IDC_BAR_REFRESH_AFTER_WRITE] = true;
    int fills = view.fills;
    window->OnRefreshViewAfterWrite();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "currently this feature is disabled");
    EXPECT_EQ(view.messages[0].caption, "memory refresh after write");
    EXPECT_FALSE(view.checks[IDC_BAR_REFRESH_AFTER_WRITE]);
    EXPECT_EQ(view.fills, fills);
}

TEST(BarSpaceIoWrite, OneWordThroughThePort) {
    TestMachine m = InstallTestMachine(kRam, 0x1000, 0xE000, 32);
    FakeBarSpaceView view;
    BarSpaceWindow window(view, 0xE001, 0xFFFFFFE1);
    window.Open();
    window.OnCount(true);  // options do not apply to ports
    window.OnSelectionChanged(2, 3);
    window.OnWriteMemory("xDEADBEEF");
    uint32_t value = 0;
    ASSERT_TRUE(m.sim->ReadPort(0xE008, value));
    EXPECT_EQ(value, 0xDEADBEEFu);
    ASSERT_TRUE(m.sim->ReadPort(0xE00C, value));
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(view.messages.empty());

    m.checked->failPorts = true;
    window.OnWriteMemory("x1");
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "TVK_InPort: No Success !!");
}

TEST(BarSpaceWriteValue, TheEditFieldTakesXAndHexDigits) {
    struct Case {
        const char* text;
        bool accepted;
        uint32_t value;  // after the parse, starting from 0xCAFE
    } cases[] = {
        {"x0000ABCD", true, 0xABCD},
        {"xdeadbeef", true, 0xDEADBEEF},
        {"x1", true, 1},
        {"ABCD", false, 0xCAFE},
        {"", false, 0xCAFE},
        {"x", false, 0xCAFE},
        {"xg", false, 0xCAFE},
        {" x12", false, 0xCAFE},
        {"x12 junk", true, 0x12},
        // Nine digits saturate as in "Write ConfReg", never keep the low eight.
        {"x123456789", true, 0xFFFFFFFF},
        {"x-1", true, 0xFFFFFFFF},
        {"x0x10", true, 0x10},
    };
    for (const Case& c : cases) {
        uint32_t value = 0xCAFE;
        EXPECT_EQ(ParseWriteValue(c.text, value), c.accepted) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

}  // namespace
}  // namespace bexa::test
