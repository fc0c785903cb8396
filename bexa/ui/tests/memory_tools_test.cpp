// The BAR space window's memory tools on a simulated machine: copy, test, load and save.
#include "memory_tools.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bar_space_resource.h"
#include "bar_space_test_support.h"
#include "bar_space_window.h"
#include "output_file.h"
#include "temp_folder.h"

#if defined(__linux__)
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace bexa::test {
namespace {

constexpr uint32_t kRam = 0xE0000000;
// A 4 KB region with 4 KB of RAM before and after it, to see that nothing outside changes.
constexpr uint32_t kRegion = kRam + 0x1000;

class MemoryToolsTest : public ::testing::Test {
  protected:
    void SetUp() override { Start(kRegion, 0xFFFFF000); }
    void Start(uint32_t bar, uint32_t probe) {
        window.reset();
        m = InstallTestMachine(kRam, 0x3000, 0xE000, 32);
        window = std::make_unique<BarSpaceWindow>(view, bar, probe);
        window->Open();
        view.messages.clear();
    }
    uint32_t Word(uint32_t address) { return PeekWord(*m.sim, address); }
    void Fill(uint32_t address, uint32_t words, uint32_t first) {
        for (uint32_t i = 0; i < words; ++i)
            PokeWord(*m.sim, address + 4 * i, first + i);
    }
    std::string TempPath(const char* name) { return temp.file(name); }

    tvk::test::TempFolder temp;
    TestMachine m;
    FakeBarSpaceView view;
    std::unique_ptr<BarSpaceWindow> window;
};

TEST_F(MemoryToolsTest, NotForIoSpace) {
    Start(0xE001, 0xFFFFFFE1);
    window->OnSelectionChanged(0, 2);
    window->OnSource();
    window->OnDestination();
    window->OnMemCopy();
    window->OnMemTest();
    window->OnLoadFile();
    window->OnSaveFile();
    const char* captions[] = {"mem copy", "mem copy",  "mem copy",
                              "mem test", "load file", "save file"};
    ASSERT_EQ(view.messages.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(view.messages[i].text, "not for IO space");
        EXPECT_EQ(view.messages[i].caption, captions[i]);
    }
    EXPECT_TRUE(view.fileDialogs.empty());
}

TEST_F(MemoryToolsTest, CopyNeedsSourceAndDestination) {
    Fill(kRegion, 8, 0x100);
    size_t maps = m.checked->maps.size();
    window->OnMemCopy();
    EXPECT_EQ(m.checked->maps.size(), maps);
    window->OnSelectionChanged(0, 4);
    window->OnSource();
    maps = m.checked->maps.size();
    window->OnMemCopy();  // still no destination
    EXPECT_EQ(m.checked->maps.size(), maps);
    EXPECT_EQ(Word(kRegion + 16), 0x104u);
    // Choosing a new source forgets the destination.
    window->OnSelectionChanged(4, 1);
    window->OnDestination();
    EXPECT_EQ(view.text(IDC_BAR_COPY_DEST_TEXT), "xE0001010");
    window->OnSource();
    EXPECT_EQ(view.text(IDC_BAR_COPY_DEST_TEXT), "");
    maps = m.checked->maps.size();
    window->OnMemCopy();
    EXPECT_EQ(m.checked->maps.size(), maps);
}

TEST_F(MemoryToolsTest, SmallOverlappingCopy) {
    Fill(kRegion, 8, 0x100);
    window->OnSelectionChanged(0, 4);
    window->OnSource();
    EXPECT_EQ(view.text(IDC_BAR_COPY_SOURCE_TEXT), "xE0001000 - 16 bytes");
    window->OnSelectionChanged(2, 1);
    window->OnDestination();
    window->OnMemCopy();
    const uint32_t expected[8] = {0x100, 0x101, 0x100, 0x101, 0x102, 0x103, 0x106, 0x107};
    for (uint32_t i = 0; i < 8; ++i)
        EXPECT_EQ(Word(kRegion + 4 * i), expected[i]) << i;
    EXPECT_EQ(m.checked->openViews, 0);
}

TEST_F(MemoryToolsTest, SourceAndDestinationAreCutAtTheRegionEnd) {
    Fill(kRegion, 1024, 0x5000);
    window->OnScroll(RangeBar::Kb, ScrollCode::ThumbTrack, 3);
    window->OnScroll(RangeBar::Kb, ScrollCode::EndScroll, 0);
    window->OnSelectionChanged(250, 10);  // reaches 4 words past the end
    window->OnSource();
    EXPECT_EQ(view.text(IDC_BAR_COPY_SOURCE_TEXT), "xE0001FE8 - 24 bytes");
    // Destination 8 bytes before the end: only two words fit.
    window->OnSelectionChanged(254, 1);
    window->OnDestination();
    window->OnMemCopy();
    EXPECT_EQ(Word(kRegion + 0xFF8), 0x5000u + 768 + 250);
    EXPECT_EQ(Word(kRegion + 0xFFC), 0x5000u + 768 + 251);
    EXPECT_EQ(Word(kRegion + 0x1000), 0u);  // after the region
    EXPECT_TRUE(m.checked->allMapsInside(kRegion, 0x1000));
}

TEST_F(MemoryToolsTest, LargeCopiesAreTrueCopiesInBothDirections) {
    for (uint32_t destination : {0u, 64u}) {  // below and inside the source
        Fill(kRegion, 1024, 0x7000);
        window->OnSelectionChanged(32, 256);  // 1024 bytes
        window->OnSource();
        window->OnSelectionChanged(static_cast<int>(destination), 1);
        window->OnDestination();
        window->OnMemCopy();
        for (uint32_t i = 0; i < 256; ++i) {
            ASSERT_EQ(Word(kRegion + 4 * (destination + i)), 0x7000u + 32 + i) << destination;
        }
    }
}

TEST_F(MemoryToolsTest, WholeRangeTestOfA16ByteRegion) {
    Start(kRegion, 0xFFFFFFF0);
    PokeWord(*m.sim, kRegion + 16, 0xA5A5A5A5);
    view.answers = {MessageAnswer::No};
    window->OnMemTest();
    EXPECT_EQ(Word(kRegion), 0u);
    EXPECT_EQ(Word(kRegion + 4), 0xFFFFFFFFu);
    EXPECT_EQ(Word(kRegion + 8), 2u);
    EXPECT_EQ(Word(kRegion + 12), 0xFFFFFFFDu);
    EXPECT_EQ(Word(kRegion + 16), 0xA5A5A5A5u);
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[0].text,
              "test maximal displayed 1K range ?\nYES= 1K range\n NO= whole range !");
    EXPECT_EQ(view.messages[0].caption, "memory test");
    EXPECT_EQ(view.messages[1].text, "No Errors !!");
    EXPECT_EQ(view.messages[1].caption, "memory test");
    EXPECT_EQ(view.messages[1].icon, MessageIcon::Information);
    EXPECT_EQ(view.waitCursorShown, 1);
    EXPECT_EQ(view.waitCursor, 0);
    EXPECT_TRUE(m.checked->allMapsInside(kRegion, 16));
}

TEST_F(MemoryToolsTest, OneKTestWithAndWithoutValuesInTheList) {
    for (bool autoRead : {true, false}) {
        Start(kRegion, 0xFFFFF000);
        window->OnAutoReadMemory(autoRead);
        window->OnScroll(RangeBar::Kb, ScrollCode::LineRight, 0);
        window->OnScroll(RangeBar::Kb, ScrollCode::EndScroll, 0);
        view.answers = {MessageAnswer::Yes};
        window->OnMemTest();
        EXPECT_EQ(view.lastMessage(), "No Errors !!") << autoRead;
        EXPECT_EQ(Word(kRegion + 0x400), 0u);
        EXPECT_EQ(Word(kRegion + 0x404), 0xFFFFFFFFu);
        EXPECT_EQ(Word(kRegion + 0x7FC), 0u - 255u);
        EXPECT_EQ(Word(kRegion + 0x800), 0u);  // beyond the displayed KB
        EXPECT_EQ(Word(kRegion + 0x3FC), 0u);
        EXPECT_TRUE(view.selected.empty());
        if (autoRead) {
            EXPECT_EQ(view.lines[3].rfind(" FFFFFFFD  <x0000040C>  ", 0), 0u);
        }
    }
}

TEST_F(MemoryToolsTest, CancelledTestChangesNothing) {
    Fill(kRegion, 4, 0x900);
    size_t maps = m.checked->maps.size();
    view.answers = {MessageAnswer::Cancel};
    window->OnMemTest();
    EXPECT_EQ(Word(kRegion + 4), 0x901u);
    EXPECT_EQ(m.checked->maps.size(), maps);
}

TEST_F(MemoryToolsTest, FailedMappingChangesNothing) {
    window->OnSelectionChanged(0, 4);
    window->OnSource();
    window->OnSelectionChanged(8, 1);
    window->OnDestination();
    Fill(kRegion, 16, 0x300);
    std::string path = TempPath("unmapped");
    std::remove(path.c_str());
    m.checked->failMaps = true;
    window->OnMemCopy();
    view.answers = {MessageAnswer::No};
    window->OnMemTest();
    view.files = {path, path};
    view.answers = {MessageAnswer::Yes, MessageAnswer::No};
    window->OnLoadFile();
    window->OnSaveFile();
    ASSERT_EQ(view.messages.size(), 7u);
    const char* captions[] = {"mem copy",  "memory test", "mem test", "memory load",
                              "load file", "memory save", "save file"};
    int notices = 0;
    for (const ShownMessage& message : view.messages) {
        if (message.icon == MessageIcon::Question) continue;
        EXPECT_EQ(message.text, "unable to map physical address space");
        ++notices;
    }
    EXPECT_EQ(notices, 4);
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(view.messages[i].caption, captions[i]);
    m.checked->failMaps = false;
    for (uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(Word(kRegion + 4 * i), 0x300u + i);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(view.waitCursor, 0);
}

TEST_F(MemoryToolsTest, LoadOfASixByteFile) {
    std::string path = TempPath("six");
    {
        std::ofstream file(path, std::ios::binary);
        file.write("\x01\x02\x03\x04\x05\x06", 6);
    }
    Fill(kRegion, 4, 0xAABBCCDD);
    view.files = {path};
    view.answers = {MessageAnswer::Yes};
    window->OnLoadFile();
    EXPECT_EQ(view.fileDialogs, std::vector<bool>{false});
    EXPECT_EQ(view.messages[0].text,
              "load displayed 1K range ?\nYES= 1K range\n NO= whole range !");
    EXPECT_EQ(view.messages[0].caption, "memory load");
    EXPECT_EQ(Word(kRegion), 0x04030201u);
    EXPECT_EQ(Word(kRegion + 4), 0xAABB0605u);  // the rest of the last word stays
    EXPECT_EQ(Word(kRegion + 8), 0xAABBCCDFu);
    EXPECT_EQ(view.waitCursor, 0);
    std::remove(path.c_str());
}

TEST_F(MemoryToolsTest, SaveAndLoadTheWholeRange) {
    std::string path = TempPath("image");
    Fill(kRegion, 1024, 0x01020304);
    view.files = {path};
    view.answers = {MessageAnswer::No};
    window->OnSaveFile();
    EXPECT_EQ(view.fileDialogs, std::vector<bool>{true});
    EXPECT_EQ(view.messages[0].caption, "memory save");
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 4096u);
    EXPECT_EQ(bytes[0], 0x04);
    EXPECT_EQ(bytes[3], 0x01);
    EXPECT_EQ(bytes[4], 0x05);

    Fill(kRegion, 1024, 0);
    view.files = {path};
    view.answers = {MessageAnswer::No};
    window->OnLoadFile();
    for (uint32_t i = 0; i < 1024; i += 97)
        EXPECT_EQ(Word(kRegion + 4 * i), 0x01020304u + i);
    EXPECT_EQ(Word(kRegion + 0x1000), 0u);
    std::remove(path.c_str());
}

TEST_F(MemoryToolsTest, FileProblemsAndCancels) {
    // An empty path or Cancel ends the command before anything is mapped.
    size_t maps = m.checked->maps.size();
    window->OnLoadFile();
    view.files = {TempPath("never")};
    view.answers = {MessageAnswer::Cancel};
    window->OnSaveFile();
    EXPECT_EQ(m.checked->maps.size(), maps);

    std::string missing = TempPath("missing") + "/none.bin";
    view.files = {missing};
    view.answers = {MessageAnswer::Yes};
    window->OnLoadFile();
    EXPECT_EQ(view.messages.back().text, "failed to open " + missing);
    EXPECT_EQ(view.messages.back().caption, "load file");
    view.files = {missing};
    view.answers = {MessageAnswer::Yes};
    window->OnSaveFile();
    EXPECT_EQ(view.messages.back().text, "failed to open " + missing);
    EXPECT_EQ(view.messages.back().caption, "save file");
    EXPECT_EQ(m.checked->openViews, 0);
}

TEST_F(MemoryToolsTest, SaveReplacesTheFileAndNeverWritesThroughALink) {
    const std::string target = TempPath("image.bin");
    const std::string other = TempPath("other.bin");
    Fill(kRegion, 256, 0x11223344);
    struct Case {
        const char* name;
        bool (*make)(const std::string& target, const std::string& other);
    } cases[] = {
        {"longer file",
         [](const std::string& t, const std::string&) {
             return tvk::test::WriteFile(t, std::string(9000, 'x'));
         }},
#if defined(__linux__)
        {"hard link", [](const std::string& t,
                         const std::string& o) { return link(o.c_str(), t.c_str()) == 0; }},
        {"symbolic link", [](const std::string& t,
                             const std::string& o) { return symlink(o.c_str(), t.c_str()) == 0; }},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(target);
        ASSERT_TRUE(tvk::test::WriteFile(other, "other"));
        ASSERT_TRUE(c.make(target, other));
        view.messages.clear();
        view.files = {target};
        view.answers = {MessageAnswer::Yes};
        window->OnSaveFile();
        ASSERT_EQ(view.messages.size(), 1u) << view.lastMessage();  // the question only
        const std::string image = tvk::test::ReadFile(target);
        ASSERT_EQ(image.size(), 1024u);
        EXPECT_EQ(image.substr(0, 8), std::string("\x44\x33\x22\x11\x45\x33\x22\x11", 8));
        EXPECT_EQ(tvk::test::ReadFile(other), "other");
        EXPECT_FALSE(std::filesystem::is_symlink(target));
    }
    for (const auto& entry : std::filesystem::directory_iterator(temp.path()))
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

TEST_F(MemoryToolsTest, SaveRefusesAFolderOrAnInputInTheWay) {
    const std::string folder = TempPath("folder.bin");
    const std::string input = TempPath("pcidevs.txt");
    std::filesystem::create_directory(folder);
    ASSERT_TRUE(tvk::test::WriteFile(input, "V 8086 Intel\n"));
    outfile::ProtectInput(input);
    std::vector<std::string> refused = {folder, input};
#if defined(__linux__)
    const std::string fifo = TempPath("fifo.bin");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    refused.insert(refused.end(), {fifo, "/dev/null"});
#endif
    for (const std::string& path : refused) {
        view.messages.clear();
        view.files = {path};
        view.answers = {MessageAnswer::No};
        window->OnSaveFile();
        ASSERT_EQ(view.messages.size(), 2u) << path;
        EXPECT_EQ(view.messages[1].text, "failed to open " + path);
        EXPECT_EQ(view.messages[1].caption, "save file");
        EXPECT_EQ(view.waitCursor, 0);
    }
    outfile::ClearProtectedInputs();
    EXPECT_EQ(tvk::test::ReadFile(input), "V 8086 Intel\n");
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(MemoryToolsTest, LoadTakesOnlyARegularFile) {
    // A folder is no image; on Linux neither is a device, and a FIFO without a writer would
    // hold the window for ever.
    std::vector<std::string> refused = {temp.path().string()};
#if defined(__linux__)
    const std::string fifo = TempPath("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    refused.insert(refused.end(), {fifo, "/dev/zero", "/dev/null"});
#endif
    for (const std::string& path : refused) {
        Fill(kRegion, 1024, 0x700);
        view.messages.clear();
        view.files = {path};
        view.answers = {MessageAnswer::No};
        window->OnLoadFile();
        ASSERT_EQ(view.messages.size(), 2u) << path;
        EXPECT_EQ(view.messages[1].text, "failed to open " + path);
        EXPECT_EQ(view.messages[1].caption, "load file");
        for (uint32_t i = 0; i < 1024; i += 31)
            ASSERT_EQ(Word(kRegion + 4 * i), 0x700u + i) << path;
        EXPECT_EQ(view.waitCursor, 0);
        EXPECT_EQ(m.checked->openViews, 0);
    }
}

#if defined(__linux__)
// Memory whose upper half answers for its lower half, like a broken address line: the same
// page mapped twice, one after the other.
class AliasedMachine : public tvk::Machine {
  public:
    explicit AliasedMachine(uint32_t address) : address_(address) {
        long page = sysconf(_SC_PAGESIZE);
        size_ = static_cast<uint32_t>(page);
        int fd = memfd_create("alias", 0);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(ftruncate(fd, page), 0);
        auto* base = static_cast<uint8_t*>(
            mmap(nullptr, 2 * page, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mmap(base, page, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED, fd, 0);
        mmap(base + page, page, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED, fd, 0);
        close(fd);
        view_ = base;
    }
    ~AliasedMachine() override { munmap(view_, 2 * size_); }
    uint32_t size() const { return 2 * size_; }

    bool ReadConfig(uint8_t, uint8_t, uint8_t, uint16_t, uint32_t&) override { return false; }
    void WriteConfig(uint8_t, uint8_t, uint8_t, uint16_t, uint32_t) override {}
    bool ReadPort(uint32_t, uint32_t&) override { return false; }
    bool WritePort(uint32_t, uint32_t) override { return false; }
    void* MapPhysical(uint32_t address, uint32_t length) override {
        if (address < address_ || uint64_t(address) + length > uint64_t(address_) + size()) {
            return nullptr;
        }
        return view_ + (address - address_);
    }
    void UnmapPhysical(void*, uint32_t) override {}

  private:
    uint32_t address_;
    uint32_t size_ = 0;
    uint8_t* view_ = nullptr;
};

TEST(MemoryToolsFaults, WholeRangeTestReportsTheFirst19Differences) {
    auto machine = std::make_unique<AliasedMachine>(kRam);
    uint32_t size = machine->size();
    tvk::InstallMachine(std::move(machine));
    FakeBarSpaceView view;
    BarSpaceWindow window(view, kRam, 0u - size);
    window.Open();
    view.answers = {MessageAnswer::No};
    window.OnMemTest();
    // Each word of the lower half reads what was written to its alias in the upper half.
    uint32_t half = size / 8;
    std::string expected = "!!  Errors found: " + std::to_string(half) + "  !!\n";
    for (uint32_t j = 0; j < 19; ++j) {
        char line[64];
        std::snprintf(line, sizeof line, "%2u: a=%08x dexp=%08x dis=%08x\n", j + 1, j,
                      TestPatternValue(j), TestPatternValue(j + half));
        expected += line;
    }
    ASSERT_FALSE(view.messages.empty());
    EXPECT_EQ(view.messages.back().text, expected);
    EXPECT_EQ(view.messages.back().icon, MessageIcon::Exclamation);

    // The 1K test on the same memory highlights the lines that differ.
    window.OnAutoReadMemory(true);
    view.answers = {MessageAnswer::Yes};
    window.OnMemTest();
    if (size > 1024) {
        // The displayed KB lies in the lower half: the upper half is not written, nothing differs.
        EXPECT_EQ(view.messages.back().text, "No Errors !!");
    }
    tvk::InstallMachine(nullptr);
}
#endif

TEST(MemoryImageLoad, StopsAtTheWindowAndAtTheFileEnd) {
    struct Case {
        std::string image;
        uint32_t length;
        std::vector<uint32_t> after;  // the words, starting as 0x5A5A5A5A, and a guard word
    } cases[] = {
        {"", 8, {0x5A5A5A5A, 0x5A5A5A5A, 0xA5A5A5A5}},
        {"\x01\x02\x03\x04\x05\x06", 8, {0x04030201, 0x5A5A0605, 0xA5A5A5A5}},
        {"\x01\x02\x03\x04\x05\x06\x07\x08\x09", 8, {0x04030201, 0x08070605, 0xA5A5A5A5}},
        {"\x01\x02\x03\x04\x05\x06\x07\x08", 6, {0x04030201, 0x5A5A5A5A, 0xA5A5A5A5}},
        {"\x01\x02\x03\x04", 0, {0x5A5A5A5A, 0x5A5A5A5A, 0xA5A5A5A5}},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> words = {0x5A5A5A5A, 0x5A5A5A5A, 0xA5A5A5A5};
        std::FILE* file = std::tmpfile();
        ASSERT_NE(file, nullptr);
        std::fwrite(c.image.data(), 1, c.image.size(), file);
        std::rewind(file);
        LoadImage(file, words.data(), c.length);
        std::fclose(file);
        EXPECT_EQ(words, c.after) << c.image.size() << " bytes into " << c.length;
    }
}

}  // namespace
}  // namespace bexa::test
