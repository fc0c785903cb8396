#include "id_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "temp_file.h"

namespace bexa {
namespace {

struct ReadResult {
    std::vector<std::tuple<char, uint16_t, std::string>> entries;
    std::string firstLines;
};

ReadResult ReadBytes(std::string_view bytes) {
    TempFile temp(bytes);
    ReadResult result;
    std::FILE* file = std::fopen(temp.path(), "rb");
    EXPECT_NE(file, nullptr);
    if (file == nullptr) return result;
    IdFileList list = IdFileList::Read(file, &result.firstLines);
    std::fclose(file);
    for (const IdFileEntry& e : list.Entries())
        result.entries.emplace_back(e.kind, e.id, e.text);
    return result;
}

using Entries = std::vector<std::tuple<char, uint16_t, std::string>>;

TEST(IdFileLineTest, KindIdAndTextAsTheLineFormatReadsThem) {
    struct Case {
        const char* line;
        bool gives;
        char kind;
        uint16_t id;
        const char* text;
    };
    const Case cases[] = {
        {"V 10ec Realtek Semiconductor", true, 'V', 0x10EC, "Realtek Semiconductor"},
        {"V\t10EC\tRealtek\tremark after a tab", true, 'V', 0x10EC, "Realtek"},
        {"D 8139 RTL-8139 \tComment", true, 'D', 0x8139, "RTL-8139 "},
        {"O   1028    Dell", true, 'O', 0x1028, "Dell"},
        {"S 1 one digit", true, 'S', 0x0001, "one digit"},
        {"S 00aB mixed case", true, 'S', 0x00AB, "mixed case"},
        {"V1234name", true, 'V', 0x1234, "name"},
        {"V 12345 five digits", true, 'V', 0x1234, "5 five digits"},
        {"V 10ec", true, 'V', 0x10EC, ""},
        {"V 10ec  \t tab only", true, 'V', 0x10EC, "tab only"},
        {"V 10ec   ", true, 'V', 0x10EC, ""},
        {"D 0001 text with ; and # inside", true, 'D', 0x0001, "text with ; and # inside"},
        // Skipped: other first characters.
        {"v 10ec lower-case kind", false, 0, 0, nullptr},
        {"C 03 class line", true, 'C', 0x0003, nullptr},
        {"# V 10ec comment", false, 0, 0, nullptr},
        {" V 10ec leading blank", false, 0, 0, nullptr},
        {"", false, 0, 0, nullptr},
        // Skipped: the id field holds no hexadecimal digit.
        {"V zz12 not hex", false, 0, 0, nullptr},
        {"V", false, 0, 0, nullptr},
        {"V   ", false, 0, 0, nullptr},
        {"D -1 sign", false, 0, 0, nullptr},
        {"S\tname without id", false, 0, 0, nullptr},
    };
    for (const Case& c : cases) {
        char kind = 0;
        uint16_t id = 0;
        const char* text = nullptr;
        std::size_t length = 0;
        const bool gives = ParseIdFileLine(c.line, &kind, &id, &text, &length);
        if (c.kind == 'C') {  // only V, D, O and S are kinds
            EXPECT_FALSE(gives) << c.line;
            continue;
        }
        ASSERT_EQ(gives, c.gives) << c.line;
        if (!gives) continue;
        EXPECT_EQ(kind, c.kind) << c.line;
        EXPECT_EQ(id, c.id) << c.line;
        EXPECT_EQ(std::string(text, length), c.text) << c.line;
    }
}

TEST(IdFileReadTest, LineEndsCrLfAndTheLastLineWithoutLineFeed) {
    const ReadResult r = ReadBytes("V 0001 one\r\nD 0002 two\r\n\r\nS 0003 three\rx\nO 0004 last");
    EXPECT_EQ(r.entries, (Entries{{'V', 1, "one"},
                                  {'D', 2, "two"},
                                  {'S', 3, "three\rx"},  // a lone CR is part of the line
                                  {'O', 4, "last"}}));
    EXPECT_EQ(r.firstLines, "V 0001 one\nD 0002 two\n\n");
}

TEST(IdFileReadTest, FirstThreeLinesWhateverTheyHold) {
    EXPECT_EQ(ReadBytes("# header\n\nV 0001 x\nV 0002 y\n").firstLines, "# header\n\nV 0001 x\n");
    EXPECT_EQ(ReadBytes("only line").firstLines, "only line\n");
    EXPECT_EQ(ReadBytes("a\nb\n").firstLines, "a\nb\n");
    EXPECT_EQ(ReadBytes("").firstLines, "");
    EXPECT_TRUE(ReadBytes("").entries.empty());
}

TEST(IdFileReadTest, LongLineIsCutAfter511CharactersAndItsRestIsTheNextLine) {
    // 504 characters of text make a line of 511 with "V 0001 "; the rest is a line of its
    // own that begins with D and so gives an entry.
    const std::string text(504, 'a');
    const std::string longLine = "V 0001 " + text + "D 0002 rest of the line";
    const ReadResult r = ReadBytes(longLine + "\nS 0003 next\n");
    EXPECT_EQ(r.entries, (Entries{{'V', 1, text}, {'D', 2, "rest of the line"}, {'S', 3, "next"}}));
    // The cut counts as a line end for the first three lines too.
    EXPECT_EQ(r.firstLines, longLine.substr(0, 511) + "\nD 0002 rest of the line\nS 0003 next\n");

    // A line of exactly 510 characters is whole; at 511 its line feed makes an empty line.
    const std::string line510 = "V 0001 " + std::string(503, 'x');
    const std::string line511 = line510 + "y";
    EXPECT_EQ(ReadBytes(line510 + "\nV 0002 a\nV 0003 b\n").firstLines,
              line510 + "\nV 0002 a\nV 0003 b\n");
    EXPECT_EQ(ReadBytes(line511 + "\nV 0002 a\nV 0003 b\n").firstLines, line511 + "\n\nV 0002 a\n");
}

TEST(IdFileReadTest, LongestTextIs509Characters) {
    const ReadResult r = ReadBytes("V1" + std::string(600, 'n') + "\n");
    ASSERT_FALSE(r.entries.empty());
    EXPECT_EQ(std::get<2>(r.entries[0]).size(), 509u);
}

TEST(IdFileReadTest, NulByteEndsTheTextOfItsLine) {
    using namespace std::string_literals;
    const ReadResult r = ReadBytes("V 0001 ab\0cd\n\0V 0002 hidden\nD 0003 after\n"s);
    EXPECT_EQ(r.entries, (Entries{{'V', 1, "ab"}, {'D', 3, "after"}}));
    EXPECT_EQ(r.firstLines, "V 0001 ab\n\nD 0003 after\n");
}

TEST(IdFileReadTest, LinesWithAnIdThatIsNotHexadecimalAreSkipped) {
    const ReadResult r = ReadBytes(
        "V 10ec Realtek\nD xyz1 bad id\nD 8139 RTL-8139\nD\nD g000 also bad\nD 8169 RTL-8169\n");
    EXPECT_EQ(
        r.entries,
        (Entries{{'V', 0x10EC, "Realtek"}, {'D', 0x8139, "RTL-8139"}, {'D', 0x8169, "RTL-8169"}}));
}

class IdFileSearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::FILE* file = std::fopen(BEXA_TEST_DATA "/blocks.txt", "rb");
        ASSERT_NE(file, nullptr) << BEXA_TEST_DATA "/blocks.txt";
        list_ = IdFileList::Read(file);
        std::fclose(file);
    }
    // The indexed and the linear search must agree; returns the text or "(none)".
    std::string Vendor(uint16_t v) {
        const IdFileEntry* e = list_.FindVendor(v);
        EXPECT_EQ(e, list_.FindVendorLinear(v));
        return e ? e->text : "(none)";
    }
    std::string Device(uint16_t v, uint16_t d) {
        const IdFileEntry* e = list_.FindDevice(v, d);
        EXPECT_EQ(e, list_.FindDeviceLinear(v, d));
        return e ? e->text : "(none)";
    }
    std::string SubVendor(uint16_t v, uint16_t d, uint16_t sv) {
        const IdFileEntry* e = list_.FindSubsystemVendor(v, d, sv);
        EXPECT_EQ(e, list_.FindSubsystemVendorLinear(v, d, sv));
        return e ? e->text : "(none)";
    }
    std::string Subsystem(uint16_t v, uint16_t d, uint16_t sv, uint16_t s) {
        const IdFileEntry* e = list_.FindSubsystem(v, d, sv, s);
        EXPECT_EQ(e, list_.FindSubsystemLinear(v, d, sv, s));
        return e ? e->text : "(none)";
    }
    IdFileList list_;
};

TEST_F(IdFileSearchTest, VendorIsTheFirstVEntryAnywhere) {
    EXPECT_EQ(Vendor(0x1234), "Acme first block");
    EXPECT_EQ(Vendor(0x4321), "Other vendor");
    EXPECT_EQ(Vendor(0x5678), "Late vendor");
    EXPECT_EQ(Vendor(0x0001), "(none)");  // only a D entry has this id
    EXPECT_EQ(Vendor(0x9999), "");        // a V entry without text
}

TEST_F(IdFileSearchTest, DeviceOnlyInTheFirstBlockOfItsVendor) {
    EXPECT_EQ(Device(0x1234, 0x0001), "Widget one");          // first of two D 0001
    EXPECT_EQ(Device(0x1234, 0x0002), "Widget two after O");  // after O and S entries
    EXPECT_EQ(Device(0x1234, 0x0003), "(none)");              // only in the second block
    EXPECT_EQ(Device(0x4321, 0x0001), "Other widget");
    EXPECT_EQ(Device(0x4321, 0x0002), "(none)");  // belongs to 1234's block
    EXPECT_EQ(Device(0x5678, 0x0001), "(none)");  // ids of other kinds do not count
    EXPECT_EQ(Device(0xAAAA, 0x0001), "(none)");
}

TEST_F(IdFileSearchTest, SubsystemVendorOnlyInTheBlockOfTheFoundDevice) {
    EXPECT_EQ(SubVendor(0x1234, 0x0001, 0x1028), "Dell first");
    EXPECT_EQ(SubVendor(0x1234, 0x0001, 0x103C), "HP");
    EXPECT_EQ(SubVendor(0x1234, 0x0002, 0x1028), "(none)");  // O under D 0001 only
    EXPECT_EQ(SubVendor(0x1234, 0x0001, 0x17AA), "(none)");  // under the second D 0001
    EXPECT_EQ(SubVendor(0x1234, 0x0001, 0x0011), "(none)");  // an S id, not an O id
}

TEST_F(IdFileSearchTest, SubsystemOnlyInTheBlockOfTheFoundSubsystemVendor) {
    EXPECT_EQ(Subsystem(0x1234, 0x0001, 0x1028, 0x0011), "Dell eleven");  // first of two
    EXPECT_EQ(Subsystem(0x1234, 0x0001, 0x1028, 0x0012), "(none)");       // in the 2nd O 1028
    EXPECT_EQ(Subsystem(0x1234, 0x0001, 0x103C, 0x0021), "HP twenty-one");
    EXPECT_EQ(Subsystem(0x1234, 0x0001, 0x103C, 0x0011), "(none)");
    EXPECT_EQ(Subsystem(0x1234, 0x0002, 0x1028, 0x0011), "(none)");
    EXPECT_EQ(Subsystem(0x9999, 0x0000, 0x0000, 0x0000), "(none)");
}

TEST(IdFileListTest, EmptyListFindsNothing) {
    IdFileList list;
    EXPECT_EQ(list.FindVendor(0x1234), nullptr);
    EXPECT_EQ(list.FindDevice(0x1234, 1), nullptr);
    EXPECT_EQ(list.FindSubsystemVendor(0x1234, 1, 2), nullptr);
    EXPECT_EQ(list.FindSubsystem(0x1234, 1, 2, 3), nullptr);
}

}  // namespace
}  // namespace bexa
