#include "ini_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "kadra_test_support.h"

namespace kadra {
namespace {

using testing::ScratchFolder;

// One file with the forms an INI file takes in practice, read the way the system reads it.
constexpr std::string_view kSample =
    "; settings of the program\r\n"
    "[Init]\r\n"
    "  Drive =  R  \r\n"
    "QLen=10\r\n"
    "Quoted=\"  spaced  \"\r\n"
    "Single='x'\r\n"
    "Half=\"abc\r\n"
    "Mixed=\"abc'\r\n"
    "Empty=\r\n"
    "NoEquals\r\n"
    "Dup=first\r\n"
    "Dup=second\r\n"
    "Eq=a=b\r\n"
    "Inline=5 ; not a comment\r\n"
    "\r\n"
    "\t[PRODUCT0]\t\r\n"
    "NAME=Name With Spaces\r\n"
    "[init]\r\n"
    "Drive=second section of the same name\r\n"
    "Later=only in the second section\r\n";

TEST(IniFileTest, ReadsValuesAsTheSystemDoes) {
    ScratchFolder folder;
    folder.Write("sample.ini", kSample);
    const KText path = folder.File("sample.ini");
    struct Case {
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* defaultValue;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"Init", L"Drive", L"d", L"R"},                   // blanks around name and value
        {L"INIT", L"drive", L"d", L"R"},                   // names without regard to case
        {L"  Init ", L" DRIVE\t", L"d", L"R"},             // blanks around the asked names
        {L"Init", L"Quoted", L"d", L"  spaced  "},         // quotes keep the blanks inside
        {L"Init", L"Single", L"d", L"x"},                  // single quotes too
        {L"Init", L"Half", L"d", L"\"abc"},                // an unclosed quote stays
        {L"Init", L"Mixed", L"d", L"\"abc'"},              // quotes must match
        {L"Init", L"Empty", L"d", L""},                    // an empty value is a value
        {L"Init", L"NoEquals", L"d", L"d"},                // a key without "=" has none
        {L"Init", L"Dup", L"d", L"first"},                 // the first key of a name
        {L"Init", L"Eq", L"d", L"a=b"},                    // the first "=" separates
        {L"Init", L"Inline", L"d", L"5 ; not a comment"},  // no comments after values
        {L"Init", L"Missing", L"dflt  ", L"dflt"},         // default, trailing blanks off
        {L"Init", L"Missing", L"  dflt", L"  dflt"},       // leading blanks stay
        {L"Nowhere", L"Drive", L"d", L"d"},                // missing section
        {L"product0", L"name", L"", L"Name With Spaces"},  // indented header
        {L"Init", L"Later", L"d", L"d"},                   // only the first section counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(KText(c.section) + L"/" + c.key));
        EXPECT_EQ(ReadIniString(c.section, c.key, c.defaultValue, path), KText(c.expected));
    }
}

TEST(IniFileTest, ValuesAndDefaultsAreCutToTheBuffer) {
    ScratchFolder folder;
    folder.Write("cut.ini", "[S]\r\nLong=0123456789\r\nQuoted=\"0123456789\"\r\n");
    const KText path = folder.File("cut.ini");
    EXPECT_EQ(ReadIniString(L"S", L"Long", L"", path, 5), L"0123");
    EXPECT_EQ(ReadIniString(L"S", L"Long", L"", path, 11), L"0123456789");
    EXPECT_EQ(ReadIniString(L"S", L"Quoted", L"", path, 12), L"0123456789");
    EXPECT_EQ(ReadIniString(L"S", L"None", L"abcdef", path, 4), L"abc");
}

TEST(IniFileTest, MissingFileGivesDefaults) {
    ScratchFolder folder;
    const KText path = folder.File("absent.ini");
    EXPECT_EQ(ReadIniString(L"INIT", L"Drive", L"R", path), L"R");
    EXPECT_EQ(ReadIniInt(L"INIT", L"DynaMaxY", 1050, path), 1050);
}

TEST(IniFileTest, ReadsIntegersAsTheSystemDoes) {
    ScratchFolder folder;
    folder.Write("numbers.ini",
                 "[N]\nPlain=10\nSigned= -5\nPlus=+7\nHex=0x1F\nBinary=0b101\nOctal=0o17\n"
                 "Trailing=12abc\nWord=abc\nEmpty=\nQuoted=\"42\"\nBlank=\"\"\n");
    const KText path = folder.File("numbers.ini");
    struct Case {
        const wchar_t* key;
        int32_t expected;
    };
    const Case cases[] = {
        {L"Plain", 10}, {L"Signed", -5}, {L"Plus", 7},      {L"Hex", 31},
        {L"Binary", 5}, {L"Octal", 15},  {L"Trailing", 12}, {L"Word", 0},
        {L"Empty", 99}, {L"Quoted", 42}, {L"Blank", 99},    {L"Missing", 99},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.key));
        EXPECT_EQ(ReadIniInt(L"N", c.key, 99, path), c.expected);
    }
}

TEST(IniFileTest, ReadsUtf16AndUtf8WithByteOrderMark) {
    ScratchFolder folder;
    const std::u16string text = u"[Init]\r\nDescription=RAID \u00dcber 4 \u00c6gir\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char16_t u : text) {
        utf16.push_back(static_cast<char>(u & 0xFF));
        utf16.push_back(static_cast<char>(u >> 8));
    }
    folder.Write("utf16.ini", utf16);
    folder.Write("utf8bom.ini", "\xEF\xBB\xBF" + ToUtf8(FromUtf16(text)));
    for (const char* name : {"utf16.ini", "utf8bom.ini"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadIniString(L"INIT", L"description", L"", folder.File(name)),
                  L"RAID \u00dcber 4 \u00c6gir");
    }
}

#ifndef _WIN32
// The native reader takes a file without a byte-order mark as UTF-8 (the system would take it
// as its 8-bit code page), and bytes that are not UTF-8 as Latin-1.
TEST(IniFileTest, NativeReaderTakesPlainFilesAsUtf8OrLatin1) {
    ScratchFolder folder;
    folder.Write("utf8.ini",
                 "[S]\nName=\xC3\x9C"
                 "ber\n");
    folder.Write("latin1.ini",
                 "[S]\nName=\xDC"
                 "ber\n");
    EXPECT_EQ(ReadIniString(L"S", L"Name", L"", folder.File("utf8.ini")), L"\u00dcber");
    EXPECT_EQ(ReadIniString(L"S", L"Name", L"", folder.File("latin1.ini")), L"\u00dcber");
}

// Writing replaces the file as a whole; a link keeps pointing at it, its permissions stay.
TEST(IniFileTest, NativeWriterFollowsLinksAndKeepsPermissions) {
    namespace fs = std::filesystem;
    ScratchFolder folder;
    folder.Write("real.ini", "[INIT]\nDrive=R\n");
    fs::permissions(folder.path() / "real.ini", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(folder.path() / "real.ini", folder.path() / "link.ini");
    ASSERT_TRUE(WriteIniString(L"INIT", L"Drive", L"S", folder.File("link.ini")));
    EXPECT_TRUE(fs::is_symlink(folder.path() / "link.ini"));
    EXPECT_EQ(ReadIniString(L"INIT", L"Drive", L"", folder.File("real.ini")), L"S");
    EXPECT_EQ(fs::status(folder.path() / "real.ini").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

// The settings are written through a temporary file of their own: a link planted at a name the
// writer might use beside the file is never written through.
TEST(IniFileTest, NativeWriterWritesNoFileItDidNotCreate) {
    namespace fs = std::filesystem;
    ScratchFolder folder;
    folder.Write("KADRA.INI", "[INIT]\nDrive=R\n");
    folder.Write("precious.txt", "precious");
    fs::create_symlink(folder.path() / "precious.txt", folder.path() / "KADRA.INI.new~");
    ASSERT_TRUE(WriteIniString(L"INIT", L"Drive", L"S", folder.File("KADRA.INI")));
    EXPECT_EQ(ReadIniString(L"INIT", L"Drive", L"", folder.File("KADRA.INI")), L"S");
    std::ifstream in(folder.path() / "precious.txt");
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "precious");
    EXPECT_TRUE(fs::is_symlink(folder.path() / "KADRA.INI.new~"));
}

// A file read once is kept; a change from outside (a new time, even with the same size) or a
// write through the writer is seen at the next read.
TEST(IniFileTest, NativeReaderSeesEveryChangeOfAKeptFile) {
    namespace fs = std::filesystem;
    ScratchFolder folder;
    const fs::path file = folder.path() / "KADRA.INI";
    const KText path = folder.File("KADRA.INI");
    const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    folder.Write("KADRA.INI", "[INIT]\nDrive=R\n[P]\nA=1\n");
    fs::last_write_time(file, hourAgo);
    EXPECT_EQ(ReadIniString(L"INIT", L"Drive", L"", path), L"R");
    EXPECT_EQ(ReadIniString(L"p", L"a", L"", path), L"1");
    folder.Write("KADRA.INI", "[INIT]\nDrive=S\n[P]\nA=2\n");
    fs::last_write_time(file, hourAgo + std::chrono::seconds(1));
    EXPECT_EQ(ReadIniString(L"INIT", L"Drive", L"", path), L"S");
    ASSERT_TRUE(WriteIniString(L"P", L"A", L"3", path));
    fs::last_write_time(file, hourAgo);
    EXPECT_EQ(ReadIniString(L"P", L"A", L"", path), L"3");
    // Another file of the same content is read as itself.
    folder.Write("other.ini", "[INIT]\nDrive=T\n");
    EXPECT_EQ(ReadIniString(L"INIT", L"Drive", L"", folder.File("other.ini")), L"T");
    fs::remove(file);
    EXPECT_EQ(ReadIniString(L"INIT", L"Drive", L"gone", path), L"gone");
}
#endif

TEST(IniFileTest, WritesAndReadsBack) {
    ScratchFolder folder;
    const KText path = folder.File("KADRA.INI");
    // A new file, a new section, a new key.
    ASSERT_TRUE(WriteIniString(L"INIT", L"Product", L"3", path));
    ASSERT_TRUE(WriteIniInt(L"INIT", L"DynaMaxY", -150, path));
    ASSERT_TRUE(WriteIniString(L"Other", L"Key", L"value with blanks", path));
    // The same key under another case replaces the value instead of adding a key.
    ASSERT_TRUE(WriteIniString(L"init", L"PRODUCT", L"4", path));
    EXPECT_EQ(ReadIniString(L"INIT", L"PRODUCT", L"", path), L"4");
    EXPECT_EQ(ReadIniInt(L"INIT", L"DynaMaxY", 0, path), -150);
    EXPECT_EQ(ReadIniString(L"OTHER", L"key", L"", path), L"value with blanks");

    const std::string bytes = folder.Read("KADRA.INI");
    EXPECT_EQ(bytes.find("PRODUCT"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("Product=4"), std::string::npos) << bytes;
}

TEST(IniFileTest, WritingKeepsTheRestOfTheFile) {
    ScratchFolder folder;
    folder.Write("keep.ini",
                 "; comment\r\n[INIT]\r\nDrive=R\r\nQLen=10\r\n\r\n[PRODUCT0]\r\nNAME=x\r\n");
    const KText path = folder.File("keep.ini");
    ASSERT_TRUE(WriteIniString(L"INIT", L"QLen", L"20", path));
    ASSERT_TRUE(WriteIniString(L"INIT", L"Quick", L"1", path));
    EXPECT_EQ(ReadIniString(L"INIT", L"Drive", L"", path), L"R");
    EXPECT_EQ(ReadIniString(L"INIT", L"QLen", L"", path), L"20");
    EXPECT_EQ(ReadIniString(L"INIT", L"Quick", L"", path), L"1");
    EXPECT_EQ(ReadIniString(L"PRODUCT0", L"NAME", L"", path), L"x");
    const std::string bytes = folder.Read("keep.ini");
    EXPECT_NE(bytes.find("; comment"), std::string::npos) << bytes;
    // The new key joins its own section, before the next one.
    EXPECT_LT(bytes.find("Quick=1"), bytes.find("[PRODUCT0]")) << bytes;
}

TEST(IniFileTest, WritingKeepsUtf16) {
    ScratchFolder folder;
    const std::u16string text = u"[Init]\r\nDrive=R\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char16_t u : text) {
        utf16.push_back(static_cast<char>(u & 0xFF));
        utf16.push_back(static_cast<char>(u >> 8));
    }
    folder.Write("wide.ini", utf16);
    const KText path = folder.File("wide.ini");
    ASSERT_TRUE(WriteIniString(L"INIT", L"Description", L"Disk \u00c6gir", path));
    EXPECT_EQ(ReadIniString(L"INIT", L"Description", L"", path), L"Disk \u00c6gir");
    EXPECT_EQ(ReadIniString(L"INIT", L"Drive", L"", path), L"R");
    EXPECT_EQ(folder.Read("wide.ini").substr(0, 2), "\xFF\xFE");
}

TEST(IniFileTest, RefusesValuesWithLineBreaks) {
    ScratchFolder folder;
    const KText path = folder.File("inject.ini");
    EXPECT_FALSE(WriteIniString(L"INIT", L"Description", L"x\r\n[PRODUCT0]\r\nNAME=evil", path));
    EXPECT_EQ(ReadIniString(L"PRODUCT0", L"NAME", L"", path), L"");
}

TEST(IniFileTest, WriteIntoMissingFolderFails) {
    ScratchFolder folder;
    const KText path = folder.File("no-such-folder") + kPathSeparator + L"KADRA.INI";
    EXPECT_FALSE(WriteIniString(L"INIT", L"Product", L"1", path));
}

}  // namespace
}  // namespace kadra
