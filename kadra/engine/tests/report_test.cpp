#include "report.h"

#include <gtest/gtest.h>

#include "host.h"
#include "kadra_test_support.h"
#include "recording_graph_canvas.h"
#include "recording_results_sink.h"
#include "recording_test_log.h"

namespace kadra {
namespace {

using Op = RecordingGraphCanvas::Op;

constexpr wchar_t kHeaderTable[] =
    L"\r\n"
    L"Block | Read Lin | Read Rnd | Write Lin\r\n"
    L" kB   |  MB/sec  |  MB/sec  |  MB/sec  \r\n"
    L"------+----------+----------+-----------\r\n";

// Index of a block size in the series: 16 KiB << k.
int Slot(uint32_t kilobytes) {
    int k = 0;
    while ((16u << k) < kilobytes)
        ++k;
    return k;
}

class ReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::ResetKadraState();
        host.resultsSink = &sink;
        InstallHost(host);
        runState.title = L"unknown";
        runState.sizeMB = 100;
        // A product with one stream in each direction: video 6.25 MB/s in 512 kB blocks,
        // audio 0.09 MB/s in 64 kB blocks.
        ProductProfile& p = productTable.profiles[0];
        p.name = L"Studio";
        p.videoReadRate = p.videoWriteRate = 6.25;
        p.audioReadRate = p.audioWriteRate = 0.09;
        p.videoReadStreams = p.videoWriteStreams = p.audioReadStreams = p.audioWriteStreams = 1;
        p.videoReadBlockSize = p.videoWriteBlockSize = 524288;
        p.audioReadBlockSize = p.audioWriteBlockSize = 65536;
        productTable.count = 1;
        SelectProduct(0);
    }
    void TearDown() override { testing::ResetKadraState(); }

    // Measured values at the product's block sizes: random reads for playback, linear writes
    // for recording.
    void Measure(double videoRead, double audioRead, double videoWrite, double audioWrite) {
        resultTable.readRandom[Slot(512)] = videoRead;
        resultTable.readRandom[Slot(64)] = audioRead;
        resultTable.writeLinear[Slot(512)] = videoWrite;
        resultTable.writeLinear[Slot(64)] = audioWrite;
    }

    RecordingResultsSink sink;
    Host host;
};

TEST_F(ReportTest, HeaderAndRowsAreFormattedExactly) {
    productTable.profiles[0] = NoneProfile();
    SelectProduct(0);
    resultTable.readLinear[0] = 12.97;
    resultTable.readRandom[0] = 3.05;
    resultTable.writeLinear[0] = 100.0;
    resultTable.readLinear[7] = 123456.78;
    BuildReport();
    const KText expected = KText(
                               L"Disk: unknown\r\n100 MB file from/to main memory\r\n"
                               L"synchronous access\r\n") +
                           kHeaderTable +
                           L"   16 |    12.9  |     3.0  |   100.0\r\n"
                           L"   32 |          |          | \r\n"
                           L"   64 |          |          | \r\n"
                           L"  128 |          |          | \r\n"
                           L"  256 |          |          | \r\n"
                           L"  512 |          |          | \r\n"
                           L" 1024 |          |          | \r\n"
                           L" 2048 | 123456.7  |          | \r\n";
    EXPECT_EQ(ResultsText(), expected);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_FALSE(sink.shown[0].scrollToEnd);
}

TEST_F(ReportTest, HeaderNamesBufferQueueAndOldSystems) {
    runState.physAddress = 0xA0000;
    runState.sizeMB = 4096;
    runState.title = L"RAID 0, 4 disks";
    testSettings.queueLength = 39;
    testSettings.osFamily = kOsFamily95;
    const KText expected = KText(
                               L"Disk: RAID 0, 4 disks\r\n4096 MB file from/to "
                               L"phys. adr. 000a0000\r\n"
                               L"async. access with command queue len 39\r\n"
                               L"Measurement INVALID on Win95 !!!\r\n") +
                           kHeaderTable;
    EXPECT_EQ(ComposeReport().substr(0, expected.size()), expected);
}

TEST_F(ReportTest, QuickShowsOnlyTheProductsBlockSizes) {
    testSettings.quick = 1;
    testSettings.selectedBlockSizes[kVideoReadBlock] = 16384;
    testSettings.selectedBlockSizes[kAudioReadBlock] = 1048576;
    testSettings.selectedBlockSizes[kVideoWriteBlock] = 262144;
    testSettings.selectedBlockSizes[kAudioWriteBlock] = 1048576;
    resultTable.readLinear[4] = 50.0;
    const KText report = ComposeReport();
    const KText rows = report.substr(report.find(kHeaderTable) + KText(kHeaderTable).size());
    EXPECT_EQ(rows,
              L"   16 |          |          | \r\n"
              L"  256 |    50.0  |          | \r\n"
              L" 1024 |          |          | \r\n");
}

TEST_F(ReportTest, UsageForOtherUsersNeedsQueueLengthTen) {
    testSettings.queueLength = 10;
    Measure(20.0, 2.0, 50.0, 5.0);
    // PLAY = trunc((6.25 / 20 + 0.09 / 2 + 0.005) * 100) = 36;
    // RECORD = trunc((6.25 / 50 + 0.09 / 5 + 0.005) * 100) = 14.
    const KText report = ComposeReport();
    EXPECT_TRUE(
        report.ends_with(L"\r\n\r\nDisk average usage: PLAY 36%, RECORD 14%"
                         L"\r\nDisk ok for Studio"))
        << ToUtf8(report);

    testSettings.queueLength = 0;
    EXPECT_EQ(ComposeReport().find(L"Disk average usage"), KText::npos);
}

TEST_F(ReportTest, UsageForPowerUsersShowsOneDirectionPerQueueMode) {
    testSettings.powerUser = 1;
    Measure(20.0, 2.0, 50.0, 5.0);
    testSettings.queueLength = 10;
    EXPECT_TRUE(
        ComposeReport().ends_with(L"\r\n\r\nDisk average usage: PLAY 36%\r\nDisk ok for Studio"));
    testSettings.queueLength = 0;
    EXPECT_TRUE(
        ComposeReport().ends_with(L"\r\n\r\nDisk average usage: RECORD 14%\r\nDisk ok for Studio"));
    testSettings.queueLength = 5;
    EXPECT_TRUE(ComposeReport().ends_with(L" 2048 |          |          | \r\n"));
}

TEST_F(ReportTest, PowerUserVerdictRestsOnTheShownDirectionAlone) {
    testSettings.powerUser = 1;
    testSettings.queueLength = 10;
    // Playback needs 36 %, recording would need 100 % but is not measured in this mode.
    Measure(20.0, 2.0, 6.25, 0.09);
    EXPECT_TRUE(ComposeReport().ends_with(L"PLAY 36%\r\nDisk ok for Studio"));
}

TEST_F(ReportTest, VerdictThresholds) {
    testSettings.queueLength = 10;
    struct Case {
        double playRate;  // MB/s of the video read stream against 100 MB/s measured
        double recordRate;
        uint32_t hangs;
        const wchar_t* tail;
    };
    const Case cases[] = {
        {64, 64, 0, L"PLAY 64%, RECORD 64%\r\nDisk ok for Studio"},
        {64, 65, 0, L"PLAY 64%, RECORD 65%\r\nDisk near its limit for Studio"},
        {84, 10, 0, L"PLAY 84%, RECORD 10%\r\nDisk near its limit for Studio"},
        {85, 10, 0, L"PLAY 85%, RECORD 10%\r\nDisk too slow for Studio"},
        {10, 120, 0, L"PLAY 10%, RECORD 120%\r\nDisk too slow for Studio"},
        {10, 10, 3, L"PLAY 10%, RECORD 10%\r\nDisk too slow for Studio (3 'hangs')"},
        {0, 0, 3, L"PLAY 0%, RECORD 0%"},  // nothing needed: no verdict
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.tail));
        ProductProfile& p = productTable.profiles[0];
        p.videoReadRate = c.playRate;
        p.videoWriteRate = c.recordRate;
        p.audioReadStreams = p.audioWriteStreams = 0;
        runState.hangCount = c.hangs;
        Measure(100.0, 1.0, 100.0, 1.0);
        const KText report = ComposeReport();
        EXPECT_TRUE(report.ends_with(KText(L"\r\n\r\nDisk average usage: ") + c.tail))
            << ToUtf8(report);
    }
}

TEST_F(ReportTest, MissingValuesLeaveUsageAndVerdictOut) {
    testSettings.queueLength = 10;
    // A file test: reads only.
    Measure(20.0, 2.0, 0.0, 0.0);
    resultTable.readLinear[Slot(512)] = 80.0;
    EXPECT_EQ(ComposeReport().find(L"usage"), KText::npos);
    EXPECT_TRUE(ComposeReport().ends_with(L" 2048 |          |          | \r\n"));
    // A block size of the product outside the series is never measured.
    Measure(20.0, 2.0, 50.0, 5.0);
    testSettings.selectedBlockSizes[kAudioWriteBlock] = 65536 * 3;
    EXPECT_EQ(ComposeReport().find(L"usage"), KText::npos);
}

TEST_F(ReportTest, ProfilesNamedNoneGiveTableOnly) {
    testSettings.queueLength = 10;
    Measure(20.0, 2.0, 50.0, 5.0);
    productTable.profiles[0].name = L"none";
    const KText report = ComposeReport();
    EXPECT_EQ(report.find(L"usage"), KText::npos);
    EXPECT_EQ(report.find(L"Disk ok"), KText::npos);

    // The built-in profile too, with values at all its block sizes.
    productTable.profiles[0] = NoneProfile();
    SelectProduct(0);
    resultTable.readRandom[Slot(16)] = resultTable.readRandom[Slot(1024)] = 10.0;
    resultTable.writeLinear[Slot(256)] = resultTable.writeLinear[Slot(1024)] = 10.0;
    EXPECT_TRUE(ComposeReport().ends_with(L" 2048 |          |          | \r\n"));
}

TEST_F(ReportTest, ReportReplacesLinesAppendedBefore) {
    AppendResultLine(L"C:\\KADRA.TMP not found");
    BuildReport();
    EXPECT_EQ(ResultsText().find(L"not found"), KText::npos);
    EXPECT_EQ(ResultsText().find(L"Disk: unknown"), 0u);
}

class BlockSummaryTest : public ReportTest {
  protected:
    void SetUp() override {
        ReportTest::SetUp();
        testSettings.graphEnabled = 1;
        host.graphCanvas = &canvas;
        host.testLog = &log;
        InstallHost(host);
        // Three points of one block size: 10, 12 and 14 MB/s.
        GraphReset(3, true);
        GraphPlotPoint(0, 10.0);
        GraphPlotPoint(1, 12.0);
        GraphPlotPoint(2, 14.0);
        canvas.calls.clear();
    }

    RecordingGraphCanvas canvas{{436, 416}};
    RecordingTestLog log;
};

TEST_F(BlockSummaryTest, SynchronousRunShowsStatisticsAndLimitLines) {
    OpenTestLog(L"unknown");
    log.entries.clear();
    BlockSummary(16384, 11.8, L"read linear synchronous");

    // Sx = sqrt((440 - 11.8^2 * 3) / 2) = 3.337...
    const auto curveTexts = canvas.Calls(Op::CurveText);
    ASSERT_EQ(curveTexts.size(), 1u);
    EXPECT_EQ(curveTexts[0].text, L"16 kB: min=10.0  max=14.0  average=11.8  Sx=3.3");

    // Green lines across the curve at the minimum and the maximum.
    ASSERT_GE(canvas.calls.size(), 5u);
    EXPECT_EQ(canvas.calls[0].op, Op::Colour);
    EXPECT_EQ(canvas.calls[0].value, kGraphGreen);
    const auto moves = canvas.Calls(Op::MoveTo);
    const auto lines = canvas.Calls(Op::LineTo);
    ASSERT_EQ(moves.size(), 2u);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(moves[0].x, 0);
    EXPECT_EQ(moves[0].y, GraphMapY(100));
    EXPECT_EQ(lines[0].x, GraphMapX(3));
    EXPECT_EQ(lines[0].y, GraphMapY(100));
    EXPECT_EQ(moves[1].y, GraphMapY(140));
    EXPECT_EQ(lines[1].y, GraphMapY(140));

    // Drawing ends, the curve goes into the log and stays in view.
    EXPECT_EQ(canvas.Calls(Op::End).size(), 1u);
    EXPECT_FALSE(graphState.drawing);
    ASSERT_EQ(log.entries.size(), 3u);
    EXPECT_EQ(log.entries[0].text, L"16 kB block, read linear synchronous:\n");
    EXPECT_EQ(log.entries[0].flags, 0x200u);
    EXPECT_EQ(log.entries[1].kind, RecordingTestLog::Kind::Image);
    EXPECT_EQ(log.entries[1].window, LogWindow::Graph);
    EXPECT_EQ(log.entries[2].text, L"\n\n");
    EXPECT_EQ(log.entries[2].flags, 0u);
    const auto holds = canvas.Calls(Op::Hold);
    ASSERT_EQ(holds.size(), 1u);
    EXPECT_EQ(holds[0].value, 2000u);
    EXPECT_EQ(canvas.calls.back().op, Op::Hold);
}

TEST_F(BlockSummaryTest, AsynchronousRunLeavesTheStatisticsLine) {
    testSettings.queueLength = 10;
    BlockSummary(2097152, 95.5, L"read random asynchronous");
    EXPECT_TRUE(canvas.Calls(Op::CurveText).empty());
    EXPECT_TRUE(canvas.Calls(Op::LineTo).empty());
    EXPECT_EQ(canvas.Calls(Op::End).size(), 1u);
    EXPECT_EQ(canvas.Calls(Op::Hold).size(), 1u);  // the graph is on: the pause stays
    EXPECT_TRUE(log.entries.empty());              // no log open
}

TEST_F(BlockSummaryTest, GraphOffShowsTheLineWithoutPauseOrLogPicture) {
    testSettings.graphEnabled = 0;
    OpenTestLog(L"unknown");
    log.entries.clear();
    BlockSummary(16384, 11.8, L"write linear synchronous");
    ASSERT_EQ(canvas.calls.size(), 2u);  // only the statistics line and the end of the drawing
    EXPECT_EQ(canvas.calls[0].op, Op::CurveText);
    EXPECT_EQ(canvas.calls[1].op, Op::End);
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(BlockSummaryTest, DeviationOfASinglePointIsZero) {
    GraphReset(1, false);
    GraphPlotPoint(0, 30.0);
    EXPECT_EQ(BlockDeviation(30.0), 0.0);
    EXPECT_EQ(BlockStatisticsLine(2097152, 30.0),
              L"2048 kB: min=30.0  max=30.0  average=30.0  Sx=0.0");
    // An even curve whose rounding leaves a negative remainder also gives 0.
    GraphReset(3, false);
    for (uint32_t i = 0; i < 3; ++i)
        GraphPlotPoint(i, 0.1);
    EXPECT_EQ(BlockDeviation(0.1 + 1e-12), 0.0);
}

}  // namespace
}  // namespace kadra
