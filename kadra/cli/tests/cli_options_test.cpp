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
    };
    for (const auto& args : bad) {
        CliOptions o;
        std::string error;
        EXPECT_FALSE(ParseCliOptions(args, &o, &error));
        EXPECT_FALSE(error.empty());
    }
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

TEST(CliOutputTest, ResultsGetLineFeeds) {
    EXPECT_EQ(ResultsForTerminal(L"Disk: x\r\nBlock\r\n"), "Disk: x\nBlock\n");
    EXPECT_EQ(ResultsForTerminal(L"\r\nNo data errors found."), "\nNo data errors found.\n");
}

}  // namespace
}  // namespace kadra::testing
