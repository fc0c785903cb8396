#include "cli_options.h"

#include <gtest/gtest.h>

#include "kadra_test_support.h"

namespace kadra::testing {
namespace {

TEST(CliOptionsTest, ReadsCommandsAndOptions) {
    CliOptions o;
    std::string error;
    ASSERT_TRUE(ParseCliOptions(
        {"disk", "--dir", "/mnt/x", "--size", "8", "--description", "array", "--queue", "0",
         "--buffered", "--all-sizes", "--product", "HD", "--phys", "d0000000", "--power-user"},
        &o, &error))
        << error;
    EXPECT_EQ(o.command, CliCommand::Disk);
    EXPECT_EQ(o.dir, "/mnt/x");
    EXPECT_EQ(o.size, "8");
    EXPECT_EQ(o.description, "array");
    EXPECT_EQ(o.queue, "0");
    EXPECT_EQ(o.unbuffered, false);
    EXPECT_EQ(o.quick, false);
    EXPECT_EQ(o.product, "HD");
    EXPECT_EQ(o.phys, "d0000000");
    EXPECT_TRUE(o.powerUser);

    ASSERT_TRUE(ParseCliOptions({"file", "/data/clip.avi", "--unbuffered", "--quick"}, &o, &error));
    EXPECT_EQ(o.command, CliCommand::File);
    EXPECT_EQ(o.path, "/data/clip.avi");
    EXPECT_EQ(o.unbuffered, true);
    EXPECT_EQ(o.quick, true);
    EXPECT_FALSE(o.powerUser);
}

TEST(CliOptionsTest, RejectsBadCommandLines) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"speed"},
        {"disk"},                       // no --dir
        {"disk", "--dir"},              // no value
        {"file"},                       // no path
        {"file", "/x", "--dir", "/y"},  // not an option of file
        {"data", "--dir", "/y", "--description", "x"},
        {"disk", "--dir", "/y", "--fast"},
        {"disk", "--dir", "/y", "--queue", "abc"},
        {"disk", "--dir", "/y", "--queue", "99999999999"},
        {"disk", "--dir", "/y", "--queue", "40"},
        {"disk", "--dir", "/y", "--queue", "-1"},
        {"disk", "--dir", "/y", "--queue", "4 "},
        {"disk", "--dir", "/y", "--size", "0"},
        {"disk", "--dir", "/y", "--size", "12MB"},
        {"data", "--dir", "/y", "--size", "2147483648"},
        {"file", "/x", "--phys", "zz"},
        {"file", "/x", "--phys", "100000000"},
        {"file", "/" + std::string(259, 'p')},  // 260 characters: more than a path may hold
    };
    for (const auto& args : bad) {
        CliOptions o;
        std::string error;
        EXPECT_FALSE(ParseCliOptions(args, &o, &error)) << args.back();
        EXPECT_FALSE(error.empty());
    }
    CliOptions o;
    std::string error;
    EXPECT_FALSE(ParseCliOptions({"disk", "--dir", "/y", "--queue", "abc"}, &o, &error));
    EXPECT_EQ(error, "--queue needs a number from 0 to 39, not \"abc\"");
    // The edges of each range are taken.
    EXPECT_TRUE(ParseCliOptions(
        {"disk", "--dir", "/y", "--queue", "39", "--size", "2147483647", "--phys", "0xFFFFFFFF"},
        &o, &error))
        << error;
    EXPECT_TRUE(ParseCliOptions({"file", "/" + std::string(258, 'p'), "--queue", "0"}, &o, &error))
        << error;
}

// An empty path names no file: refused with the option's name rather than taken as "not given"
// (which for --json and --csv wrote nothing and still ended as a success).
TEST(CliOptionsTest, EmptyPathsAreRefused) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"disk", "--dir", "/y", "--json", ""}, "option --json needs a path, not an empty text"},
        {{"file", "/x", "--csv", ""}, "option --csv needs a path, not an empty text"},
        {{"disk", "--dir", "/y", "--graph", ""}, "option --graph needs a path, not an empty text"},
        {{"disk", "--dir", ""}, "option --dir needs a path, not an empty text"},
        {{"data", "--dir", "/y", "--ini", ""}, "option --ini needs a path, not an empty text"},
        {{"file", ""}, "kadra file needs the path of the file to read"},
    };
    for (const auto& [args, message] : cases) {
        CliOptions o;
        std::string error;
        EXPECT_FALSE(ParseCliOptions(args, &o, &error)) << args.back();
        EXPECT_EQ(error, message);
    }
}

TEST(CliOptionsTest, TheTestFolderMustExistAndBeWritable) {
    ScratchFolder folder;
    std::string error;
    EXPECT_TRUE(CheckRunFolder(folder.path().string(), &error)) << error;
    const std::string missing = (folder.path() / "missing").string();
    EXPECT_FALSE(CheckRunFolder(missing, &error));
    EXPECT_EQ(error, missing + ": No such file or directory");
    folder.Write("plain", "x");
    EXPECT_FALSE(CheckRunFolder((folder.path() / "plain").string(), &error));
    EXPECT_NE(error.find("not a folder"), std::string::npos) << error;
}

class PrepareCliRunTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetKadraState(); }
    void TearDown() override { ResetKadraState(); }
    ScratchFolder folder;
};

TEST_F(PrepareCliRunTest, DefaultsComeFromTheIniBesideTheProgram) {
    folder.Write("KADRA.INI",
                 "[INIT]\nFileSize=64\nFileSize2=32\nQLen=5\nDescription=RAID 0\nQuick=0\n"
                 "TempFile=BENCH.TMP\nPRODUCT=1\n"
                 "[PRODUCT0]\nNAME=SD\n[PRODUCT1]\nNAME=HD 10 bit\nVIDEO_READ_BLOCKSIZE=1024\n");
    CliOptions o;
    std::string error;
    ASSERT_TRUE(ParseCliOptions({"disk", "--dir", "/tmp/t"}, &o, &error));
    StartInputs in;
    ASSERT_TRUE(PrepareCliRun(o, folder.File("kadra"), &in, &error)) << error;
    EXPECT_EQ(in.size, L"64");
    EXPECT_EQ(in.description, L"RAID 0");
    EXPECT_EQ(in.queueLength, L"10") << "not a power user: the INI's queue length is not used";
    EXPECT_EQ(in.rootFolder, L"/tmp/t/");
    EXPECT_EQ(testSettings.quick, 0);
    EXPECT_EQ(testSettings.unbuffered, 1);
    EXPECT_EQ(testSettings.tempFileName, L"BENCH.TMP");
    EXPECT_EQ(testSettings.productIndex, 1);
    EXPECT_EQ(testSettings.selectedBlockSizes[0], 1048576u);

    ASSERT_TRUE(ParseCliOptions({"data", "--dir", "/tmp/t/", "--power-user", "--product", "sd",
                                 "--ini", ToUtf8(folder.File("KADRA.INI"))},
                                &o, &error));
    ASSERT_TRUE(PrepareCliRun(o, L"/nowhere/kadra", &in, &error)) << error;
    EXPECT_EQ(in.size, L"32");
    EXPECT_EQ(in.queueLength, L"5");
    EXPECT_EQ(in.rootFolder, L"/tmp/t/");
    EXPECT_EQ(testSettings.productIndex, 0);

    ASSERT_TRUE(ParseCliOptions({"disk", "--dir", "/t", "--product", "7"}, &o, &error));
    EXPECT_FALSE(PrepareCliRun(o, folder.File("kadra"), &in, &error));
    EXPECT_NE(error.find("1 HD 10 bit"), std::string::npos) << error;
}

TEST_F(PrepareCliRunTest, QuickWithoutABlockSizeOfTheSeriesIsRefused) {
    folder.Write("KADRA.INI",
                 "[PRODUCT0]\nNAME=Tiny\nVIDEO_READ_BLOCKSIZE=4\nAUDIO_READ_BLOCKSIZE=8\n"
                 "VIDEO_WRITE_BLOCKSIZE=4\nAUDIO_WRITE_BLOCKSIZE=8\n");
    CliOptions o;
    std::string error;
    StartInputs in;
    ASSERT_TRUE(ParseCliOptions({"disk", "--dir", "/t", "--quick"}, &o, &error));
    EXPECT_FALSE(PrepareCliRun(o, folder.File("kadra"), &in, &error));
    EXPECT_NE(error.find("no block size selected"), std::string::npos) << error;
    ASSERT_TRUE(ParseCliOptions({"disk", "--dir", "/t", "--all-sizes"}, &o, &error));
    EXPECT_TRUE(PrepareCliRun(o, folder.File("kadra"), &in, &error)) << error;
}

TEST(CliOutputTest, ResultsGetLineFeeds) {
    EXPECT_EQ(ResultsForTerminal(L"Disk: x\r\nBlock\r\n"), "Disk: x\nBlock\n");
    EXPECT_EQ(ResultsForTerminal(L"\r\nNo data errors found."), "\nNo data errors found.\n");
}

}  // namespace
}  // namespace kadra::testing
