#include "output_file.h"

#include <gtest/gtest.h>

#include "scratch_folder.h"

namespace outfile {
namespace {

namespace fs = std::filesystem;
using testing::Put;
using testing::Read;
using testing::ScratchFolder;

class OutputFileTest : public ::testing::Test {
  protected:
    void TearDown() override { ClearProtectedInputs(); }
    ScratchFolder folder;
};

TEST_F(OutputFileTest, NewAndExistingTargetsGetTheWholeContent) {
    std::string error;
    ASSERT_TRUE(WriteOutputFile(folder / "new.txt", "first\n", &error)) << error;
    EXPECT_EQ(Read(folder / "new.txt"), "first\n");
    ASSERT_TRUE(WriteOutputFile(folder / "new.txt", "second, longer\n", &error)) << error;
    EXPECT_EQ(Read(folder / "new.txt"), "second, longer\n");
    EXPECT_EQ(folder.Listing(), "new.txt\n");
}

TEST_F(OutputFileTest, ManySmallAndSomeLargeWritesArriveInOrder) {
    std::string expected;
    OutputFile file;
    std::string error;
    ASSERT_TRUE(file.Open(folder / "pieces.bin", &error)) << error;
    for (int k = 0; k < 5000; ++k) {
        const std::string piece(static_cast<std::size_t>(k % 97), static_cast<char>('a' + k % 26));
        ASSERT_TRUE(file.Write(piece));
        expected += piece;
        if (k % 1000 == 999) {
            const std::string large(200000, static_cast<char>('0' + k / 1000));
            ASSERT_TRUE(file.Write(large.data(), large.size()));
            expected += large;
        }
    }
    // Nothing is at the target before the commit.
    EXPECT_FALSE(fs::exists(folder / "pieces.bin"));
    ASSERT_TRUE(file.Commit(&error)) << error;
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(Read(folder / "pieces.bin"), expected);
    EXPECT_EQ(folder.Listing(), "pieces.bin\n");
}

TEST_F(OutputFileTest, AnOutputLeftUncommittedLeavesTheTargetAsItWas) {
    Put(folder / "kept.txt", "old");
    {
        OutputFile file;
        std::string error;
        ASSERT_TRUE(file.Open(folder / "kept.txt", &error)) << error;
        ASSERT_TRUE(file.Write("new content"));
        EXPECT_TRUE(fs::exists(file.temporaryPath()));
        EXPECT_EQ(file.temporaryPath().parent_path(), folder.path());
    }
    EXPECT_EQ(Read(folder / "kept.txt"), "old");
    EXPECT_EQ(folder.Listing(), "kept.txt\n");

    OutputFile file;
    std::string error;
    ASSERT_TRUE(file.Open(folder / "kept.txt", &error)) << error;
    file.Discard();
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(file.Write("late"));
    EXPECT_FALSE(file.Commit(&error));
    EXPECT_EQ(folder.Listing(), "kept.txt\n");
}

TEST_F(OutputFileTest, TargetsThatCannotBeReplacedAreRefusedBeforeAnythingIsCreated) {
    fs::create_directory(folder / "sub");
    struct Case {
        fs::path target;
        std::string reason;
    };
    const Case cases[] = {
        {folder / "sub", "is a folder"},
        {folder.path() / "sub" / "", "is a folder"},
        {folder / "missing" / "out.txt", ""},  // the folder's own reason
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(PathText(c.target));
        OutputFile file;
        std::string error;
        EXPECT_FALSE(file.Open(c.target, &error));
        EXPECT_FALSE(file.isOpen());
        EXPECT_NE(error.find(PathText(c.target)), std::string::npos) << error;
        if (!c.reason.empty()) {
            EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        }
    }
    std::string error;
    EXPECT_FALSE(WriteOutputFile("", "x", &error));
    EXPECT_EQ(error, "an empty file name");
    EXPECT_EQ(folder.Listing(), "sub\n");
    EXPECT_TRUE(fs::is_empty(folder / "sub"));
}

TEST_F(OutputFileTest, NoOutputReplacesAProtectedInputOrAName) {
    Put(folder / "under test.img", "precious");
    ProtectInput(folder / "under test.img");
    // A test file the run has yet to create is known by its folder and name.
    ProtectInput(folder / "KADRA.TMP");

    const fs::path refused[] = {
        folder / "under test.img",
        folder.path() / "." / "under test.img",
        folder.path() / "sub" / ".." / "under test.img",
        folder / "KADRA.TMP",
    };
    fs::create_directory(folder / "sub");
    for (const fs::path& target : refused) {
        SCOPED_TRACE(PathText(target));
        std::string error;
        EXPECT_FALSE(WriteOutputFile(target, "results", &error));
        EXPECT_EQ(error, PathText(target) + ": is a file this run reads or tests");
        EXPECT_TRUE(IsProtectedInput(target));
    }
    EXPECT_EQ(Read(folder / "under test.img"), "precious");
    EXPECT_FALSE(fs::exists(folder / "KADRA.TMP"));

    std::string error;
    EXPECT_FALSE(IsProtectedInput(folder / "results.json"));
    EXPECT_TRUE(WriteOutputFile(folder / "results.json", "{}", &error)) << error;
    ClearProtectedInputs();
    EXPECT_TRUE(WriteOutputFile(folder / "KADRA.TMP", "now allowed", &error)) << error;
}

TEST_F(OutputFileTest, SameFileKnowsANameByItsFolderAndAFileByItsIdentity) {
    Put(folder / "a.txt", "a");
    fs::create_directory(folder / "sub");
    EXPECT_TRUE(SameFile(folder / "a.txt", folder.path() / "sub" / ".." / "a.txt"));
    EXPECT_TRUE(SameFile(folder / "not yet.csv", folder.path() / "sub" / ".." / "not yet.csv"));
    EXPECT_FALSE(SameFile(folder / "a.txt", folder / "b.txt"));
    EXPECT_FALSE(SameFile(folder / "a.txt", folder.path() / "sub" / "a.txt"));
}

}  // namespace
}  // namespace outfile
