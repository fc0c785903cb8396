// What only Windows names: devices behind a plain name, the read-only attribute.
#include <windows.h>

#include <gtest/gtest.h>

#include "output_file.h"
#include "scratch_folder.h"

namespace outfile {
namespace {

namespace fs = std::filesystem;
using testing::Put;
using testing::Read;
using testing::ScratchFolder;

TEST(OutputFileWin32Test, ADeviceNameIsNotAFile) {
    ScratchFolder folder;
    for (const fs::path& target : {fs::path(L"NUL"), folder.path() / L"NUL"}) {
        SCOPED_TRACE(PathText(target));
        std::string error;
        EXPECT_FALSE(WriteOutputFile(target, "x", &error));
        EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    }
    // The console is refused too, with whatever reason the system gives for it.
    std::string error;
    EXPECT_FALSE(WriteOutputFile(L"CON", "x", &error));
    EXPECT_EQ(folder.Listing(), "");
}

TEST(OutputFileWin32Test, AReadOnlyFileIsNotReplaced) {
    ScratchFolder folder;
    Put(folder / "read-only.lis", "old");
    SetFileAttributesW((folder / "read-only.lis").c_str(), FILE_ATTRIBUTE_READONLY);
    std::string error;
    EXPECT_FALSE(WriteOutputFile(folder / "read-only.lis", "new", &error));
    EXPECT_EQ(Read(folder / "read-only.lis"), "old");
    SetFileAttributesW((folder / "read-only.lis").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(folder.Listing(), "read-only.lis\n");
}

TEST(OutputFileWin32Test, AnAnsiNameFromAFileDialogIsTheSameFile) {
    ScratchFolder folder;
    const std::string narrow = PathText(folder.path()) + "\\memory.bin";
    std::string error;
    ASSERT_TRUE(WriteOutputFile(PathFromNarrow(narrow), "image", &error)) << error;
    EXPECT_EQ(Read(folder / "memory.bin"), "image");
}

}  // namespace
}  // namespace outfile
