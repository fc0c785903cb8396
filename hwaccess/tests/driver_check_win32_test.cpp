// The Win32 side of the driver check (all but the message box, which needs a user).
#include "driver_check_win32.h"
#include "test_support.h"

namespace tvk {
namespace {

TEST(Win32DriverCheckSystem, FoldersFilesAndCopy) {
    Win32DriverCheckSystem system;
    const std::string windows = system.WindowsDirectory();
    EXPECT_FALSE(windows.empty());
    EXPECT_NE(windows.back(), '\\');
    EXPECT_TRUE(system.FileExists(windows + "\\system32\\kernel32.dll"));

    const std::string program = system.ProgramDirectory();
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    EXPECT_EQ(std::string(path).rfind(program + "\\", 0), 0u) << path;
    EXPECT_TRUE(system.FileExists(path));
    EXPECT_FALSE(system.FileExists(program));  // a folder is not the driver file

    test::TempFolder folder;
    const std::string from = folder.file("Tvk.sys"), to = folder.file("copy.sys");
    test::WriteFile(from, "driver");
    test::WriteFile(to, "old");
    EXPECT_TRUE(system.CopyFileTo(from, to));  // overwriting allowed
    EXPECT_EQ(test::ReadFile(to), "driver");
    EXPECT_FALSE(system.CopyFileTo(folder.file("missing.sys"), to));
}

}  // namespace
}  // namespace tvk
