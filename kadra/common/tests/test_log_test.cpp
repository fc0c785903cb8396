#include "test_log.h"

#include <gtest/gtest.h>

#include "host.h"
#include "kadra_test_support.h"
#include "recording_results_sink.h"
#include "recording_test_log.h"

namespace kadra {
namespace {

using Kind = RecordingTestLog::Kind;

class TestLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::ResetKadraState();
        testSettings.programFolder = KText(L"C:") + kPathSeparator + L"Kadra" + kPathSeparator;
        Host host;
        host.testLog = &log;
        InstallHost(host);
    }
    void TearDown() override { testing::ResetKadraState(); }

    RecordingTestLog log;
};

TEST_F(TestLogTest, FileNameUsesTheLogFolderOrTheProgramFolder) {
    EXPECT_EQ(TestLogPath(L"unknown"), testSettings.programFolder + L"kadra unknown.rtf");
    testSettings.logPath = L"/var/log/";
    EXPECT_EQ(TestLogPath(L"RAID 5"), L"/var/log/kadra RAID 5.rtf");
}

TEST_F(TestLogTest, ARunsLogHasTitleEntriesAndSummary) {
    OpenTestLog(L"unknown");
    ASSERT_EQ(runState.log, &log);
    ASSERT_EQ(log.createdPaths.size(), 1u);
    EXPECT_EQ(log.createdPaths[0], testSettings.programFolder + L"kadra unknown.rtf");
    AddTextToLog(L"16 kB block, read linear synchronous:\n", kLogHeading);
    AddWindowImageToLog(LogWindow::Graph);
    CloseTestLog();
    EXPECT_EQ(runState.log, nullptr);
    EXPECT_EQ(log.closeCount, 1);

    ASSERT_EQ(log.entries.size(), 6u);
    EXPECT_EQ(log.entries[0].text, L"\\fs50 unknown\n\n\n");
    EXPECT_EQ(log.entries[0].flags, 0x208u);
    EXPECT_EQ(log.entries[1].flags, 0x200u);
    EXPECT_EQ(log.entries[2].kind, Kind::Image);
    EXPECT_EQ(log.entries[2].window, LogWindow::Graph);
    EXPECT_EQ(log.entries[3].text, L"SUMMARY\n");
    EXPECT_EQ(log.entries[3].flags, 0x200u);
    EXPECT_EQ(log.entries[4].kind, Kind::Image);
    EXPECT_EQ(log.entries[4].window, LogWindow::Output);
    EXPECT_EQ(log.entries[5].text, L"\n\n");
    EXPECT_EQ(log.entries[5].flags, 0u);

    // With the log closed nothing more reaches it.
    AddWindowImageToLog(LogWindow::Graph);
    AddTextToLog(L"late", kLogPlain);
    CloseTestLog();
    EXPECT_EQ(log.entries.size(), 6u);
    EXPECT_EQ(log.closeCount, 1);
}

TEST_F(TestLogTest, ALogThatCannotBeCreatedIsToldAndTheRunGoesOnWithout) {
    log.createSucceeds = false;
    OpenTestLog(L"a:b");
    EXPECT_EQ(runState.log, nullptr);
    ASSERT_EQ(log.failures.size(), 1u);
    EXPECT_EQ(log.failures[0], L"Could not create logfile:\n" + testSettings.programFolder +
                                   L"kadra a:b.rtf\nPlease remove invalid characters (if any)");
    EXPECT_EQ(log.failureCaption, L"Logfile Error");
    AddWindowImageToLog(LogWindow::Graph);
    CloseTestLog();
    EXPECT_TRUE(log.entries.empty());
    EXPECT_EQ(log.closeCount, 0);
}

TEST_F(TestLogTest, TheNullWriterKeepsARunQuiet) {
    InstallHost(Host{});
    OpenTestLog(L"disk");
    EXPECT_NE(runState.log, nullptr);
    CloseTestLog();
    EXPECT_EQ(runState.log, nullptr);
    EXPECT_TRUE(log.createdPaths.empty());
}

TEST(ResultsTextTest, LinesAppendAndTheReportReplacesThem) {
    testing::ResetKadraState();
    RecordingResultsSink sink;
    Host host;
    host.resultsSink = &sink;
    InstallHost(host);
    AppendResultLine(L"first");
    AppendResultLine(L"second");
    EXPECT_EQ(ResultsText(), L"first\r\nsecond\r\n");
    ASSERT_EQ(sink.shown.size(), 2u);
    EXPECT_EQ(sink.shown[1].text, L"first\r\nsecond\r\n");
    EXPECT_TRUE(sink.shown[1].scrollToEnd);

    ReplaceResults(L"report");
    EXPECT_EQ(ResultsText(), L"report");
    EXPECT_FALSE(sink.shown.back().scrollToEnd);

    EXPECT_EQ(ResultsAsUtf8Lines(L"Disk: RAID \u00c6\r\n   16 |\r\nlast"),
              "Disk: RAID \xC3\x86\n   16 |\nlast");

    ClearResults();
    EXPECT_EQ(ResultsText(), L"");
    EXPECT_EQ(sink.shown.back().text, L"");
    testing::ResetKadraState();
}

}  // namespace
}  // namespace kadra
