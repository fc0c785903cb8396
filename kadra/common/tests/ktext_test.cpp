#include "ktext.h"

#include <gtest/gtest.h>

namespace kadra {
namespace {

TEST(KTextTest, Utf8RoundTripsEveryPlane) {
    const KText text = L"A \u00dc \u20ac \U0001F4BE";
    const std::string utf8 = ToUtf8(text);
    EXPECT_EQ(utf8, "A \xC3\x9C \xE2\x82\xAC \xF0\x9F\x92\xBE");
    EXPECT_EQ(FromUtf8(utf8), text);
    EXPECT_EQ(FromUtf16(ToUtf16(text)), text);
    EXPECT_EQ(ToUtf16(text).size(), 8u);  // the last character takes two units
}

TEST(KTextTest, MalformedInputBecomesReplacementCharacters) {
    EXPECT_EQ(FromUtf8("a\xFF"
                       "b"),
              L"a\uFFFDb");
    EXPECT_EQ(FromUtf8("\xC0\x80"), L"\uFFFD\uFFFD");  // overlong
    EXPECT_EQ(FromUtf8("\xE2\x82"), L"\uFFFD\uFFFD");  // cut short
    EXPECT_EQ(FromUtf16(std::u16string(1, u'\xD800') + u"x"), L"\uFFFDx");
}

TEST(KTextTest, FolderOfPathKeepsTheSeparator) {
    EXPECT_EQ(FolderOfPath(L"C:\\Programs\\Kadra\\kadra.exe"), L"C:\\Programs\\Kadra\\");
    EXPECT_EQ(FolderOfPath(L"/opt/kadra/bin/kadra"), L"/opt/kadra/bin/");
    EXPECT_EQ(FolderOfPath(L"kadra"), L"");
}

TEST(KTextTest, FitToCapacityKeepsRoomForTheTerminator) {
    EXPECT_EQ(FitToCapacity(L"abcdef", 4), L"abc");
    EXPECT_EQ(FitToCapacity(L"abc", 4), L"abc");
    EXPECT_EQ(FitToCapacity(L"abc", 0), L"");
    EXPECT_EQ(FitToCapacity(KText(300, L'x')).size(), 259u);
}

}  // namespace
}  // namespace kadra
