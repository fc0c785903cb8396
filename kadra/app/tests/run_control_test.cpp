#include "run_control.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "data_test.h"
#include "engine_fixture.h"
#include "recording_test_log.h"
#include "result_table.h"
#include "run_state.h"
#include "test_file.h"
#include "test_log.h"

namespace kadra::testing {
namespace {

TEST(InputRulesTest, SizeIsEvenAndAtLeastFour) {
    struct Case {
        const wchar_t* text;
        bool ok;
        int64_t sizeMB;
    };
    const Case cases[] = {{L"5", true, 4},           {L"7", true, 6},  {L"1", true, 4},
                          {L"0", true, 4},           {L"-9", true, 4}, {L"100", true, 100},
                          {L" 101MB", true, 100},    {L"", false, 0},  {L"abc", false, 0},
                          {L"99999999999", false, 0}};
    for (const Case& c : cases) {
        int64_t size = 0;
        EXPECT_EQ(ReadSizeMB(c.text, &size), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(size, c.sizeMB) << c.text;
        }
    }
}

TEST(InputRulesTest, DrivePhysicalAddressQueueAndFileSize) {
    uint32_t drive = 0;
    EXPECT_TRUE(ReadDriveNumber(L"r", &drive));
    EXPECT_EQ(drive, 17u);
    EXPECT_TRUE(ReadDriveNumber(L"C:\\", &drive));
    EXPECT_EQ(drive, 2u);
    EXPECT_FALSE(ReadDriveNumber(L"", &drive));
    EXPECT_FALSE(ReadDriveNumber(L"1", &drive));

    uint32_t phys = 1;
    EXPECT_TRUE(ReadPhysAddress(L"0", &phys));
    EXPECT_EQ(phys, 0u);
    EXPECT_TRUE(ReadPhysAddress(L"d0000000", &phys));
    EXPECT_EQ(phys, 0xD0000000u);
    EXPECT_TRUE(ReadPhysAddress(L"0x1F000", &phys));
    EXPECT_EQ(phys, 0x1F000u);
    EXPECT_FALSE(ReadPhysAddress(L"zz", &phys));
    EXPECT_FALSE(ReadPhysAddress(L"123456789", &phys));

    struct QueueCase {
        const wchar_t* text;
        uint32_t before;
        uint32_t after;
    };
    for (const QueueCase& c :
         {QueueCase{L"100", 0, 39}, QueueCase{L"40", 0, 39}, QueueCase{L"39", 0, 39},
          QueueCase{L"0", 10, 0}, QueueCase{L"-1", 0, 39}, QueueCase{L"x", 7, 7},
          QueueCase{L"", 7, 7}, QueueCase{L"99999999999999", 0, 39},
          QueueCase{L"2147483648", 10, 39}, QueueCase{L"-99999999999", 0, 39}}) {
        testSettings.queueLength = c.before;
        ReadQueueLength(c.text);
        EXPECT_EQ(testSettings.queueLength, c.after) << c.text;
    }
    testSettings.queueLength = 0;

    EXPECT_EQ(FileTestSize(3 * 1048576), 2097152u);
    EXPECT_EQ(FileTestSize(1048576), 0u);
    EXPECT_EQ(FileTestSize(10 * 1048576 + 5), 10485760u);
}

class RunControlTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        inputs.drive = L"r";
        inputs.size = L"5";
        inputs.phys = L"0";
        inputs.queueLength = L"0";
        inputs.description = L"array of four";
        testSettings.quick = 1;  // 64 and 512 KiB
    }

    StartInputs inputs;
};

TEST_F(RunControlTest, DiskTestRunsThePassesOnTheTemporaryFileAndDeletesIt) {
    EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Completed);
    ASSERT_EQ(files.opens.size(), 3u);
    EXPECT_EQ(files.opens[0].path, L"R:\\KADRA.TMP");
    EXPECT_TRUE(files.opens[0].mode.write);
    EXPECT_EQ(runState.sizeMB, 4);
    EXPECT_EQ(runState.title, L"array of four");
    EXPECT_GT(resultTable.writeLinear[2], 0.0);
    EXPECT_GT(resultTable.readLinear[5], 0.0);
    EXPECT_GT(resultTable.readRandom[5], 0.0);
    EXPECT_EQ(files.deleted, (std::vector<KText>{L"R:\\KADRA.TMP"}));
    EXPECT_EQ(runState.testRunning, 0);
    EXPECT_EQ(runState.busy, 0);
    EXPECT_EQ(cursor, (std::vector<bool>{true, false}));
    EXPECT_EQ(ResultsText().find(L"Disk: array of four\r\n4 MB file from/to main memory"), 0u)
        << ResultsText();
}

TEST_F(RunControlTest, TooLittleFreeSpaceStopsBeforeAnyPass) {
    RecordingTestLog log;
    host.testLog = &log;
    InstallHost(host);
    testSettings.logfile = 1;
    files.freeBytes[L"R:\\"] = 3 * 1048576 + 5;
    EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::NotStarted);
    EXPECT_EQ(ResultsText(), L"only 3 MB free on drive R: !\r\n");
    EXPECT_TRUE(files.opens.empty());
    EXPECT_EQ(log.closeCount, 1);
    EXPECT_EQ(runState.log, nullptr);
    // Exactly enough is enough; a free space that cannot be read does not stop the run.
    files.freeBytes[L"R:\\"] = 4 * 1048576;
    EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Completed);
    files.freeBytes.clear();
    EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Completed);
}

TEST_F(RunControlTest, BadInputIsToldAndNothingRuns) {
    StartInputs bad = inputs;
    bad.size = L"lots";
    EXPECT_EQ(DiskTestCommand(bad), RunOutcome::NotStarted);
    EXPECT_EQ(ResultsText(), L"Size must be a number of MB: lots\r\n");
    bad = inputs;
    bad.drive = L"?";
    EXPECT_EQ(DataTestCommand(bad), RunOutcome::NotStarted);
    EXPECT_EQ(ResultsText(), L"Drive must be a letter: ?\r\n");
    bad = inputs;
    bad.phys = L"none";
    EXPECT_EQ(DiskTestCommand(bad), RunOutcome::NotStarted);
    bad = inputs;
    bad.queueLength = L"many";
    testSettings.queueLength = 7;
    EXPECT_EQ(DiskTestCommand(bad), RunOutcome::NotStarted);
    EXPECT_EQ(ResultsText(), L"Queue length must be a number: many\r\n");
    MakeFile(L"big.dat", 4 * 1048576);
    bad.fileName = L"big.dat";
    EXPECT_EQ(FileTestCommand(bad), RunOutcome::NotStarted);
    EXPECT_EQ(ResultsText(), L"Queue length must be a number: many\r\n");
    EXPECT_EQ(testSettings.queueLength, 7u);
    EXPECT_TRUE(files.opens.empty());
}

TEST_F(RunControlTest, AStartWhileARunIsInProgressIsRefused) {
    AppendResultLine(L"running");
    for (int* flag : {&runState.testRunning, &runState.busy}) {
        *flag = 1;
        EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Refused);
        EXPECT_EQ(FileTestCommand(inputs), RunOutcome::Refused);
        EXPECT_EQ(DataTestCommand(inputs), RunOutcome::Refused);
        *flag = 0;
    }
    EXPECT_EQ(ResultsText(), L"running\r\n") << "the running test's output stays";
    EXPECT_TRUE(files.opens.empty());
}

TEST_F(RunControlTest, StopDuringEachPassKeepsResultsSkipsTheRestAndDeletesTheFile) {
    for (uint32_t queue : {0u, 10u}) {
        for (size_t pass = 0; pass < 3; ++pass) {
            SCOPED_TRACE(::testing::Message() << "queue " << queue << ", pass " << pass);
            files.opens.clear();
            files.deleted.clear();
            inputs.queueLength = std::to_wstring(queue);
            testSettings.powerUser = 1;
            // Stop at the third transfer of 512 KiB in the chosen pass.
            int count = 0;
            files.onTransfer = [&](FakeTransfer& t) {
                if (files.opens.size() == pass + 1 && t.length == 524288 && ++count == 3) {
                    runState.abortRequested = 1;
                }
            };
            EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Stopped);
            EXPECT_EQ(files.opens.size(), pass + 1) << "later passes skipped";
            double* columns[] = {resultTable.writeLinear, resultTable.readLinear,
                                 resultTable.readRandom};
            for (size_t c = 0; c < 3; ++c) {
                EXPECT_EQ(columns[c][2] > 0.0, c <= pass) << "64 KiB kept up to the stopped pass";
                EXPECT_EQ(columns[c][5] > 0.0, c < pass) << "512 KiB only in finished passes";
            }
            EXPECT_EQ(files.deleted, (std::vector<KText>{L"R:\\KADRA.TMP"}));
            EXPECT_EQ(runState.testRunning, 0);
        }
    }
}

TEST_F(RunControlTest, FileTestReadsTheUsersFileAndNeverWritesOrDeletesIt) {
    const KText path = L"D:\\video\\clip.avi";
    MakeFile(path, 3 * 1048576);  // tested as 2 MiB
    inputs.fileName = path;
    EXPECT_EQ(FileTestCommand(inputs), RunOutcome::Completed);
    ASSERT_EQ(files.opens.size(), 2u);
    for (const FakeOpen& open : files.opens)
        EXPECT_FALSE(open.mode.write);
    EXPECT_TRUE(files.deleted.empty());
    EXPECT_EQ(runState.title, L"clip.avi");
    EXPECT_EQ(runState.sizeMB, 2);
    EXPECT_EQ(runState.fileTest, 1);

    for (uint64_t size : {uint64_t{1048576}, uint64_t{0}}) {
        MakeFile(path, size);
        EXPECT_EQ(FileTestCommand(inputs), RunOutcome::NotStarted);
        EXPECT_EQ(ResultsText(), L"File not found or too small (min. 4 MB)\r\n");
    }
    inputs.fileName = L"D:\\missing";
    EXPECT_EQ(FileTestCommand(inputs), RunOutcome::NotStarted);
}

TEST_F(RunControlTest, FailedPassesAreToldAndTheRunGoesOn) {
    files.openErrors[L"R:\\KADRA.TMP"] = 5;
    EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Failed);
    EXPECT_TRUE(files.deleted.empty()) << "the run created no file";
    const KText& text = ResultsText();
    EXPECT_NE(text.find(L"R:\\KADRA.TMP not createable\r\nR:\\KADRA.TMP not found\r\n"
                        L"R:\\KADRA.TMP not found\r\n"),
              KText::npos)
        << text;
}

TEST_F(RunControlTest, TheNativeProgramAppendsTheReasons) {
    host.failureReasons = true;
    InstallHost(host);
    files.openErrors[L"R:\\KADRA.TMP"] = 5;
    EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Failed);
    KText text = ResultsText();
    EXPECT_NE(text.find(L"R:\\KADRA.TMP not createable: error 5\r\nR:\\KADRA.TMP not found: "
                        L"error 5\r\n"),
              KText::npos)
        << text;
    // A write that ended on a full disk leaves a file shorter than the reads expect.
    files.openErrors.clear();
    files.onTransfer = [](FakeTransfer& t) {
        if (t.write && t.offset >= 1048576) t.error = 28;
    };
    EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Failed);
    text = ResultsText();
    EXPECT_NE(text.find(L"R:\\KADRA.TMP read failed: file shorter than the test size"), KText::npos)
        << text;
    host.failureReasons = false;
    InstallHost(host);
    EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Failed);
    EXPECT_NE(ResultsText().find(L"R:\\KADRA.TMP read failed: no data transferred"), KText::npos);
}

TEST_F(RunControlTest, ATemporaryNameThatIsNotARegularFileIsLeftAloneAndNotRead) {
    files.openErrors[L"R:\\KADRA.TMP"] = kNotRegularFileError;
    EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Failed);
    EXPECT_EQ(files.opens.size(), 1u) << "no read pass opened it";
    EXPECT_TRUE(files.deleted.empty()) << "a name the run did not create is not deleted";
    EXPECT_NE(
        ResultsText().find(L"R:\\KADRA.TMP exists and is not a regular file: not touched\r\n"),
        KText::npos)
        << ResultsText();
}

TEST_F(RunControlTest, AFullDiskEndsTheWriteAndItsLineSurvivesTheLaterReports) {
    files.onTransfer = [](FakeTransfer& t) {
        if (t.write && t.length == 524288 && t.offset >= 524288 * 2) t.error = 28;
    };
    EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Failed);
    EXPECT_GT(resultTable.writeLinear[2], 0.0);
    EXPECT_EQ(resultTable.writeLinear[5], 0.0);
    const KText& text = ResultsText();
    EXPECT_NE(text.find(L"R:\\KADRA.TMP write failed: error 28\r\n"), KText::npos) << text;
    EXPECT_EQ(files.deleted, (std::vector<KText>{L"R:\\KADRA.TMP"}));
}

// The test file is deleted while the run is still busy, however the run ended.
TEST_F(RunControlTest, TheRunIsBusyUntilTheTemporaryFileIsDeleted) {
    struct Case {
        const char* name;
        std::function<void(FakeTransfer&)> script;
        RunOutcome outcome;
    };
    const Case cases[] = {
        {"completed", nullptr, RunOutcome::Completed},
        {"stopped",
         [](FakeTransfer& t) {
             if (!t.write && t.offset == 524288) runState.abortRequested = 1;
         },
         RunOutcome::Stopped},
        {"failed",
         [](FakeTransfer& t) {
             if (t.write && t.offset == 524288) t.error = 28;
         },
         RunOutcome::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        files.deleted.clear();
        cursor.clear();
        files.onTransfer = c.script;
        std::vector<int> busyAtDelete;
        files.onDelete = [&](const KText&) {
            busyAtDelete.push_back(runState.busy);
            EXPECT_EQ(cursor, (std::vector<bool>{true})) << "wait cursor still on";
        };
        EXPECT_EQ(DiskTestCommand(inputs), c.outcome);
        EXPECT_EQ(busyAtDelete, (std::vector<int>{1}));
        EXPECT_EQ(runState.busy, 0);
        EXPECT_TRUE(files.files.empty());
    }
    // A stop request while the file is being deleted still ends the run as stopped.
    files.onTransfer = nullptr;
    files.onDelete = [](const KText&) { runState.abortRequested = 1; };
    EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Stopped);
}

// The temporary name comes from KADRA.INI; only a plain name inside the test folder is used.
TEST_F(RunControlTest, ATemporaryNameThatIsNoPlainFileNameIsRefused) {
    RecordingTestLog log;
    host.testLog = &log;
    InstallHost(host);
    testSettings.logfile = 1;
    for (const wchar_t* name :
         {L"../victim.txt", L"..\\victim.txt", L"sub/KADRA.TMP", L"/etc/passwd", L"C:KADRA.TMP",
          L"KADRA.TMP:stream", L"..", L".", L""}) {
        SCOPED_TRACE(ToUtf8(name));
        testSettings.tempFileName = name;
        for (const KText& root : {KText{}, KText{L"/data/"}}) {
            inputs.rootFolder = root;
            EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Refused);
            EXPECT_EQ(ResultsText(),
                      L"TempFile must be a plain file name: " + KText(name) + L"\r\n");
        }
    }
    EXPECT_TRUE(files.opens.empty());
    EXPECT_TRUE(files.deleted.empty());
    EXPECT_TRUE(log.createdPaths.empty()) << "no log was begun";
    EXPECT_EQ(runState.busy, 0);
    // Names with dots and blanks are plain names.
    for (const wchar_t* name : {L"BENCH.TMP", L"my test..tmp", L".hidden"}) {
        testSettings.tempFileName = name;
        inputs.rootFolder = L"/data/";
        EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Completed) << ToUtf8(name);
        EXPECT_EQ(files.opens.back().path, L"/data/" + KText(name));
    }
}

TEST_F(RunControlTest, DataTestNeedsRoomForBothFiles) {
    inputs.drive = L"c";
    files.freeBytes[L"C:\\"] = 8 * 1048576 - 1;
    EXPECT_EQ(DataTestCommand(inputs), RunOutcome::NotStarted);
    EXPECT_EQ(ResultsText(), L"only 7 MB free on drive C: !\r\n");
    EXPECT_TRUE(files.opens.empty());
    inputs.rootFolder = L"/data/";
    files.freeBytes[L"/data/"] = 5 * 1048576;
    EXPECT_EQ(DataTestCommand(inputs), RunOutcome::NotStarted);
    EXPECT_EQ(ResultsText(), L"only 5 MB free on drive /data !\r\n");
    files.freeBytes[L"/data/"] = 8 * 1048576;
    EXPECT_EQ(DataTestCommand(inputs), RunOutcome::Completed);
}

TEST_F(RunControlTest, DataTestUsesTheDriveOrTheFolderGiven) {
    inputs.drive = L"c";
    EXPECT_EQ(DataTestCommand(inputs), RunOutcome::Completed);
    EXPECT_EQ(files.opens.front().path, L"C:\\verify1.TMP");
    EXPECT_EQ(ResultsText(), L"\r\nNo data errors found.");
    EXPECT_EQ(files.transfers.size(), 64u * 5) << "5 MB became 4 MB: 64 chunks";
    files.opens.clear();
    inputs.rootFolder = L"/data/";
    EXPECT_EQ(DataTestCommand(inputs), RunOutcome::Completed);
    EXPECT_EQ(files.opens.front().path, L"/data/verify1.TMP");
    EXPECT_EQ(files.opens[2].path, L"/data/verify2.TMP");
}

// Short runs of the three tests on real files in a scratch folder.
class RealRunTest : public ::testing::TestWithParam<std::tuple<uint32_t, bool>> {
  protected:
    void SetUp() override {
        ResetKadraState();
        productTable.profiles[0] = NoneProfile();
        productTable.count = 1;
        SelectProduct(0);
        testSettings.tempFileName = L"KADRA.TMP";
        testSettings.iniPath = folder.File("KADRA.INI");
        testSettings.queueLength = 0;
        testSettings.unbuffered = std::get<1>(GetParam()) ? 1 : 0;
        testSettings.powerUser = 1;  // writes queue too
        inputs.rootFolder = folder.path().wstring() + kPathSeparator;
        inputs.drive = L"r";
        inputs.size = L"4";
        inputs.phys = L"0";
        inputs.queueLength = std::to_wstring(std::get<0>(GetParam()));
        inputs.description = L"scratch";
    }
    void TearDown() override { ResetKadraState(); }

    ScratchFolder folder;
    StartInputs inputs;
};

TEST_P(RealRunTest, DiskFileAndDataTestsRunToTheirEnd) {
    ASSERT_EQ(DiskTestCommand(inputs), RunOutcome::Completed) << ToUtf8(ResultsText());
    for (int k = 0; k < 8; ++k) {
        EXPECT_GT(resultTable.writeLinear[k], 0.0) << k;
        EXPECT_GT(resultTable.readLinear[k], 0.0) << k;
        EXPECT_GT(resultTable.readRandom[k], 0.0) << k;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "KADRA.TMP"));

    folder.Write("user.dat", std::string(5 * 1048576, 'u'));
    inputs.fileName = folder.File("user.dat");
    ASSERT_EQ(FileTestCommand(inputs), RunOutcome::Completed) << ToUtf8(ResultsText());
    EXPECT_EQ(runState.sizeMB, 4);
    EXPECT_GT(resultTable.readRandom[7], 0.0);
    EXPECT_EQ(resultTable.writeLinear[0], 0.0);
    EXPECT_EQ(folder.Read("user.dat"), std::string(5 * 1048576, 'u')) << "left as it was";

    ASSERT_EQ(DataTestCommand(inputs), RunOutcome::Completed) << ToUtf8(ResultsText());
    EXPECT_EQ(ResultsText(), L"\r\nNo data errors found.");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "verify1.TMP"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "verify2.TMP"));
}

INSTANTIATE_TEST_SUITE_P(SyncAndQueuedBufferedAndNot, RealRunTest,
                         ::testing::Combine(::testing::Values(0u, 10u), ::testing::Bool()));

// A test folder t in a scratch folder, with the user's file p.txt beside it, and test file names
// taken by other names of p.txt: the runs refuse them and leave p.txt and every name alone.
class TakenTestFileNameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetKadraState();
        productTable.profiles[0] = NoneProfile();
        productTable.count = 1;
        SelectProduct(0);
        testSettings.tempFileName = L"KADRA.TMP";
        testSettings.iniPath = folder.File("KADRA.INI");
        testSettings.unbuffered = 1;
        testSettings.quick = 1;
        std::filesystem::create_directory(folder.path() / "t");
        folder.Write("p.txt", "precious\n");
        inputs.rootFolder = folder.path().wstring() + kPathSeparator + L"t" + kPathSeparator;
        inputs.drive = L"r";
        inputs.size = L"4";
        inputs.phys = L"0";
        inputs.queueLength = L"0";
    }
    void TearDown() override { ResetKadraState(); }

    std::filesystem::path InTestFolder(const char* name) const {
        return folder.path() / "t" / name;
    }
    // Makes `name` in the test folder another name of p.txt; false when this system cannot.
    bool Link(const char* name, bool hard) {
        std::error_code failed;
        if (hard) {
            std::filesystem::create_hard_link(folder.path() / "p.txt", InTestFolder(name), failed);
        } else {
            std::filesystem::create_symlink(folder.path() / "p.txt", InTestFolder(name), failed);
        }
        return !failed &&
               std::filesystem::exists(std::filesystem::symlink_status(InTestFolder(name)));
    }
    // p.txt as it was (compared here: a failure would print megabytes of what overwrote it).
    bool PreciousKept() const { return folder.Read("p.txt") == "precious\n"; }
    bool StillThere(const char* name) const {
        return std::filesystem::exists(std::filesystem::symlink_status(InTestFolder(name)));
    }

    ScratchFolder folder;
    StartInputs inputs;
};

TEST_F(TakenTestFileNameTest, TheDiskTestNeverWritesThroughAnotherName) {
    for (bool hard : {true, false}) {
        SCOPED_TRACE(hard ? "hard link" : "symbolic link");
        if (!Link("KADRA.TMP", hard)) continue;
        EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Failed);
        EXPECT_NE(ResultsText().find(L"KADRA.TMP exists and is not a regular file: not touched"),
                  KText::npos)
            << ToUtf8(ResultsText());
        EXPECT_TRUE(PreciousKept());
        EXPECT_TRUE(StillThere("KADRA.TMP")) << "a name the run did not create is not deleted";
        std::filesystem::remove(InTestFolder("KADRA.TMP"));
    }
#ifndef _WIN32
    // A FIFO: refused at once rather than waited on.
    ASSERT_EQ(mkfifo(InTestFolder("KADRA.TMP").c_str(), 0600), 0);
    EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Failed);
    EXPECT_TRUE(std::filesystem::is_fifo(InTestFolder("KADRA.TMP")));
#endif
}

TEST_F(TakenTestFileNameTest, TheDataTestNeverWritesThroughAnotherNameNorDeletesOthersFiles) {
    if (!Link("verify1.TMP", true)) GTEST_SKIP() << "no hard links here";
    // A file of the second name from before the run: the run never came to create it.
    std::ofstream(InTestFolder("verify2.TMP")) << "the user's";
    EXPECT_EQ(DataTestCommand(inputs), RunOutcome::Failed);
    EXPECT_TRUE(PreciousKept());
    EXPECT_TRUE(StillThere("verify1.TMP"));
    EXPECT_EQ(folder.Read("t/verify2.TMP"), "the user's");

    std::filesystem::remove(InTestFolder("verify1.TMP"));
    std::filesystem::remove(InTestFolder("verify2.TMP"));
    ASSERT_TRUE(Link("verify2.TMP", true));
    EXPECT_EQ(DataTestCommand(inputs), RunOutcome::Failed);
    EXPECT_NE(ResultsText().find(L"verify2.TMP exists and is not a regular file: not touched"),
              KText::npos)
        << ToUtf8(ResultsText());
    EXPECT_TRUE(PreciousKept());
    EXPECT_TRUE(StillThere("verify2.TMP"));
    EXPECT_FALSE(StillThere("verify1.TMP")) << "the file the run created is deleted";
}

TEST_F(TakenTestFileNameTest, ATemporaryNameOutsideTheTestFolderIsRefused) {
    testSettings.tempFileName = L"../p.txt";
    EXPECT_EQ(DiskTestCommand(inputs), RunOutcome::Refused);
    EXPECT_EQ(ResultsText(), L"TempFile must be a plain file name: ../p.txt\r\n");
    EXPECT_TRUE(PreciousKept());
    EXPECT_TRUE(std::filesystem::is_empty(folder.path() / "t"));
}

}  // namespace
}  // namespace kadra::testing
