// Outside input the ID file may hold: binary junk, NUL bytes, endless lines, large files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "id_database.h"
#include "id_file.h"
#include "temp_file.h"

namespace bexa {
namespace {

IdFileList ReadBytes(const std::string& bytes, std::string* firstLines = nullptr) {
    TempFile temp(bytes);
    std::FILE* file = std::fopen(temp.path(), "rb");
    EXPECT_NE(file, nullptr);
    if (file == nullptr) return {};
    IdFileList list = IdFileList::Read(file, firstLines);
    std::fclose(file);
    return list;
}

void ExpectWellFormed(const IdFileList& list) {
    for (const IdFileEntry& e : list.Entries()) {
        ASSERT_NE(std::strchr("VDOS", e.kind), nullptr);
        const std::size_t length = std::strlen(e.text);
        ASSERT_LE(length, 509u);
        ASSERT_EQ(std::memchr(e.text, '\t', length), nullptr);
        ASSERT_EQ(std::memchr(e.text, '\n', length), nullptr);
    }
}

TEST(IdFileRobustnessTest, BinaryJunkAndJunkShapedLikeEntries) {
    std::mt19937 random(2024);
    std::string junk(1 << 20, '\0');
    for (char& c : junk)
        c = static_cast<char>(random());
    IdFileList list = ReadBytes(junk);
    ExpectWellFormed(list);

    // Characters that matter to the reader, densely mixed.
    const char alphabet[] = "VDOS0123456789abcdefABCDEF \t\r\n\n\0x#";
    for (char& c : junk)
        c = alphabet[random() % (sizeof alphabet - 1)];
    list = ReadBytes(junk);
    ExpectWellFormed(list);
    EXPECT_GT(list.Entries().size(), 1000u);
    for (std::size_t i = 0; i < list.Entries().size(); i += 97) {
        const uint16_t id = list.Entries()[i].id;
        ASSERT_EQ(list.FindDevice(id, id), list.FindDeviceLinear(id, id));
        ASSERT_EQ(list.FindSubsystem(id, id, id, id), list.FindSubsystemLinear(id, id, id, id));
    }

    TempFile file(junk);
    LoadIdFile(file.path());
    EXPECT_EQ(std::string(IdFileVersionText()).rfind("Version of pcidevs.txt:\n", 0), 0u);
    EXPECT_NE(VendorName(0x0001), nullptr);
    FreeIdFile();
}

TEST(IdFileRobustnessTest, EndlessLineIsReadInPiecesOf511Characters) {
    // "S1S1..." without a line feed: pieces at even offsets start with S and give an entry
    // with id 1 and the rest of the piece as text; pieces at odd offsets start with 1.
    std::string line;
    while (line.size() < 3000000)
        line += "S1";
    std::string firstLines;
    const IdFileList list = ReadBytes(line, &firstLines);
    const std::size_t pieces = (line.size() + 510) / 511;
    ASSERT_EQ(list.Entries().size(), (pieces + 1) / 2);
    EXPECT_EQ(std::strlen(list.Entries().front().text), 509u);
    EXPECT_EQ(std::strlen(list.Entries().back().text), line.size() - 511 * (pieces - 1) - 2);
    EXPECT_EQ(firstLines, line.substr(0, 511) + "\n" + line.substr(511, 511) + "\n" +
                              line.substr(1022, 511) + "\n");
}

TEST(IdFileRobustnessTest, ReadingStopsAfterTheByteLimit) {
    // A file that grows while it is read ends at the limit, inside a line if need be.
    TempFile temp("V 0001 a\nV 0002 b\nV 0003 c\n");
    std::FILE* file = std::fopen(temp.path(), "rb");
    ASSERT_NE(file, nullptr);
    const IdFileList list = IdFileList::Read(file, nullptr, 25);  // up to "V 0003 " of line 3
    std::fclose(file);
    ASSERT_EQ(list.Entries().size(), 3u);
    EXPECT_STREQ(list.Entries()[2].text, "");
    EXPECT_EQ(list.FindVendor(0x0003), &list.Entries()[2]);
}

TEST(IdFileRobustnessTest, NulBytesEverywhere) {
    // Lines of 49 bytes: an entry, a NUL, then NULs to the line feed.
    std::string bytes(100000, '\0');
    for (std::size_t i = 0; i < bytes.size(); i += 50) {
        bytes.replace(i, 9, "V 0001 \0x", 9);
        bytes[i + 49] = '\n';
    }
    bytes += std::string("\0V 0002 hidden\n", 16);
    std::string firstLines;
    const IdFileList list = ReadBytes(bytes, &firstLines);
    ExpectWellFormed(list);
    // A NUL ends each line's text; a line that starts with NUL gives nothing.
    EXPECT_EQ(list.Entries().size(), 2000u);
    for (const IdFileEntry& e : list.Entries())
        EXPECT_STREQ(e.text, "");
    EXPECT_EQ(list.FindVendor(0x0002), nullptr);
    EXPECT_EQ(firstLines, "V 0001 \nV 0001 \nV 0001 \n");
}

TEST(IdFileRobustnessTest, TenMegabyteFileIsReadWholeInBoundedMemory) {
    const std::string block =
        "V 1234 Vendor\nD 0001 Device one\nO 1028 Dell\nS 0001 Board\n# remark\n\n";
    std::string text = "# big file\n";
    while (text.size() < 10u * 1024 * 1024)
        text += block;
    const std::size_t blocks = (text.size() - 11) / block.size();
    const IdFileList list = ReadBytes(text);
    ASSERT_EQ(list.Entries().size(), blocks * 4);
    EXPECT_STREQ(list.FindSubsystem(0x1234, 1, 0x1028, 1)->text, "Board");
    EXPECT_EQ(list.FindSubsystem(0x1234, 1, 0x1028, 1), &list.Entries()[3]);
    // The list and its index stay within a small multiple of the file.
    EXPECT_LT(list.MemoryUsed(), 4 * text.size());

    // Many tiny entries: the worst case of entries per byte.
    std::string tiny;
    while (tiny.size() < 10u * 1024 * 1024)
        tiny += "S 1\n";
    const IdFileList tinyList = ReadBytes(tiny);
    EXPECT_EQ(tinyList.Entries().size(), tiny.size() / 4);
    EXPECT_LT(tinyList.MemoryUsed(), 12 * tiny.size());
}

}  // namespace
}  // namespace bexa
