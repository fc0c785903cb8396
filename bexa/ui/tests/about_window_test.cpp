#include "about_window.h"

#include <gtest/gtest.h>

namespace bexa {
namespace {

TEST(AboutWindowTest, FamilyAndPlatformTexts) {
    EXPECT_EQ(OsFamilyText(0x0A280105, 5), "Win NT");
    EXPECT_EQ(OsFamilyText(0x80000A04, 4), "Win95/98");
    EXPECT_EQ(OsFamilyText(0x80000003, 3), "Win");
    const struct {
        uint32_t platform, minor;
        const char* text;
    } cases[] = {{0, 0, "Win32s on Windows 3.1"},
                 {1, 10, "Win32 on Win98"},
                 {1, 0, "Win32 on Win95"},
                 {2, 1, "Win32 on Windows NT"},
                 {3, 0, "??"}};
    for (const auto& c : cases)
        EXPECT_EQ(OsPlatformText(c.platform, c.minor), c.text);
}

TEST(AboutWindowTest, SystemTextOfWindowsXp) {
    const OsVersionRecord xp{5, 1, 2600, 2, "Service Pack 3"};
    EXPECT_EQ(
        AboutSystemText(0x0A280105, xp, "Version of pcidevs.txt:\n  no file pcidevs.txt found"),
        "OS:\tWin NT 5.01   (build:2600) \nPlatform:\tWin32 on Windows NT \n"
        "Info:   \tService Pack 3\n\nVersion of pcidevs.txt:\n  no file pcidevs.txt found");
}

TEST(AboutWindowTest, ASimulatedMachineIsNamedOnALineOfItsOwn) {
    const OsVersionRecord seven{6, 1, 7601, 2, "Service Pack 1"};
    EXPECT_EQ(AboutSystemText(0x1DB10106, seven, "V", "simulated: embedded machine"),
              "OS:\tWin NT 6.01   (build:7601) \nPlatform:\tWin32 on Windows NT \n"
              "Info:   \tService Pack 1\nMachine:\tsimulated: embedded machine\n\nV");
    EXPECT_EQ(BuildAboutTexts(0x1DB10106, seven, "V", "dump: box.txt").systemText,
              AboutSystemText(0x1DB10106, seven, "V", "dump: box.txt"));
}

TEST(AboutWindowTest, Windows98PrintsTheBuildWordAsReported) {
    // Windows 98 reports its version in the high word of the build number.
    const OsVersionRecord w98{4, 10, 0x040A07CE, 1, " A "};
    EXPECT_EQ(AboutSystemText(0xC0000A04, w98, "V"),
              "OS:\tWin95/98 4.10   (build:67766222) \nPlatform:\tWin32 on Win98 \n"
              "Info:   \t A \n\nV");
}

TEST(AboutWindowTest, NoVersionRecordLeavesBothTextsEmpty) {
    const AboutTexts none = BuildAboutTexts(0x1DB10106, std::nullopt, "V");
    EXPECT_EQ(none.systemText, "");
    EXPECT_EQ(none.helpText, "");
    const AboutTexts seven = BuildAboutTexts(0x1DB10106, OsVersionRecord{6, 1, 7601, 2, ""}, "V");
    EXPECT_EQ(seven.systemText.substr(0, 32), "OS:\tWin NT 6.01   (build:7601) \n");
    EXPECT_FALSE(seven.helpText.empty());
    EXPECT_EQ(seven.helpText.find('\n'), std::string::npos);
}

}  // namespace
}  // namespace bexa
