#include "run_record.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "kadra_test_support.h"

namespace kadra::testing {
namespace {

using Points = std::vector<std::pair<uint32_t, double>>;

// What a block of the record is expected to hold.
struct ExpectedBlock {
    std::string pass;
    uint32_t blockSize;
    bool finished;
    double average;
    uint32_t hangs;
    uint32_t pointCount;
    Points points;
};

BlockFinish Finish(const wchar_t* pass, uint32_t blockSize, double average, uint32_t points) {
    return BlockFinish{pass, blockSize, average, 10.0, 14.0, 3.3, points};
}

TEST(RunRecordTest, HostCallSequencesGiveBlocks) {
    struct Case {
        const char* name;
        std::function<void(RunRecord&)> calls;
        std::vector<ExpectedBlock> blocks;
    };
    const std::vector<Case> cases = {
        {"a synchronous block with a hang",
         [](RunRecord& r) {
             r.BlockStarted(L"write linear synchronous", 16384);
             r.PointPlotted(0, 10.0, false, 3);
             r.PointPlotted(1, 12.0, true, 3);
             r.PointPlotted(2, 14.0, false, 3);
             r.BlockFinished(Finish(L"write linear synchronous", 16384, 11.8, 3));
         },
         {{"write linear synchronous",
           16384,
           true,
           11.8,
           1,
           3,
           {{0, 10.0}, {1, 12.0}, {2, 14.0}}}}},
        {"two block sizes, two passes, each its own points",
         [](RunRecord& r) {
             r.BlockStarted(L"read linear asynchronous", 16384);
             r.PointPlotted(0, 5.0, true, 64);
             r.PointPlotted(40, 5.0, false, 64);
             r.PointPlotted(64, 6.0, true, 64);
             r.BlockFinished(Finish(L"read linear asynchronous", 16384, 5.5, 64));
             r.BlockStarted(L"read linear asynchronous", 32768);
             r.PointPlotted(0, 9.0, false, 32);
             r.BlockFinished(Finish(L"read linear asynchronous", 32768, 9.0, 32));
             r.BlockStarted(L"read random asynchronous", 16384);
             r.BlockFinished(Finish(L"read random asynchronous", 16384, 4.0, 64));
         },
         {{"read linear asynchronous", 16384, true, 5.5, 2, 64, {{0, 5.0}, {40, 5.0}, {64, 6.0}}},
          {"read linear asynchronous", 32768, true, 9.0, 0, 32, {{0, 9.0}}},
          {"read random asynchronous", 16384, true, 4.0, 0, 64, {}}}},
        {"a stop in the second block size leaves it unfinished with its points",
         [](RunRecord& r) {
             r.BlockStarted(L"write linear synchronous", 16384);
             r.PointPlotted(0, 1.0, false, 2);
             r.PointPlotted(1, 2.0, false, 2);
             r.BlockFinished(Finish(L"write linear synchronous", 16384, 1.5, 2));
             r.BlockStarted(L"write linear synchronous", 32768);
             r.PointPlotted(0, 3.0, true, 128);
         },
         {{"write linear synchronous", 16384, true, 1.5, 0, 2, {{0, 1.0}, {1, 2.0}}},
          {"write linear synchronous", 32768, false, 0.0, 1, 128, {{0, 3.0}}}}},
        {"a block that failed before its first point",
         [](RunRecord& r) { r.BlockStarted(L"read random synchronous", 65536); },
         {{"read random synchronous", 65536, false, 0.0, 0, 0, {}}}},
        {"points and a finish without a start still land in a block",
         [](RunRecord& r) {
             r.PointPlotted(0, 7.0, false, 1);
             r.BlockFinished(Finish(L"read linear synchronous", 2097152, 7.0, 1));
             r.BlockFinished(Finish(L"read linear synchronous", 2097152, 8.0, 1));
         },
         {{"", 0, false, 0.0, 0, 1, {{0, 7.0}}},
          {"read linear synchronous", 2097152, true, 7.0, 0, 1, {}},
          {"read linear synchronous", 2097152, true, 8.0, 0, 1, {}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunRecord record;
        c.calls(record);
        ASSERT_EQ(record.blocks().size(), c.blocks.size());
        for (size_t i = 0; i < c.blocks.size(); ++i) {
            const BlockRecord& got = record.blocks()[i];
            const ExpectedBlock& want = c.blocks[i];
            EXPECT_EQ(got.pass, want.pass) << i;
            EXPECT_EQ(got.blockSize, want.blockSize) << i;
            EXPECT_EQ(got.finished, want.finished) << i;
            EXPECT_DOUBLE_EQ(got.average, want.average) << i;
            EXPECT_EQ(got.hangs, want.hangs) << i;
            EXPECT_EQ(got.pointCount, want.pointCount) << i;
            EXPECT_EQ(got.points, want.points) << i;
            if (want.finished) {
                EXPECT_DOUBLE_EQ(got.minRate, 10.0);
                EXPECT_DOUBLE_EQ(got.maxRate, 14.0);
                EXPECT_DOUBLE_EQ(got.deviation, 3.3);
            }
        }
    }
}

TEST(RunRecordTest, OutcomesHaveTheirStateWords) {
    EXPECT_STREQ(OutcomeName(RunOutcome::Completed), "completed");
    EXPECT_STREQ(OutcomeName(RunOutcome::Stopped), "stopped");
    EXPECT_STREQ(OutcomeName(RunOutcome::Failed), "failed");
    EXPECT_STREQ(OutcomeName(RunOutcome::NotStarted), "not started");
    EXPECT_STREQ(OutcomeName(RunOutcome::Refused), "not started");
}

TEST(RunRecordTest, SettingsComeFromTheRunsRecords) {
    ResetKadraState();
    productTable.count = 2;
    productTable.profiles[1].name = L"Studio";
    productTable.profiles[1].videoReadRate = 6.25;
    productTable.profiles[1].videoReadLimitMs = 120.0;
    testSettings.productIndex = 1;
    testSettings.queueLength = 4;
    testSettings.unbuffered = 0;
    testSettings.bufferPerRequest = 1;
    testSettings.quick = 1;
    testSettings.powerUser = 1;
    runState.title = L"Sc\u00e4n";
    runState.sizeMB = 64;
    runState.physAddress = 0xD0000;

    const RunSettings s = CurrentRunSettings("disk", "/tmp/KADRA.TMP");
    EXPECT_EQ(s.command, "disk");
    EXPECT_EQ(s.path, "/tmp/KADRA.TMP");
    EXPECT_EQ(s.title, "Sc\xc3\xa4n");
    EXPECT_EQ(s.sizeMB, 64);
    EXPECT_EQ(s.queueLength, 4u);
    EXPECT_TRUE(s.caching);
    EXPECT_TRUE(s.bufferPerRequest);
    EXPECT_TRUE(s.quick);
    EXPECT_TRUE(s.powerUser);
    EXPECT_EQ(s.physAddress, 0xD0000u);
    EXPECT_EQ(s.product.name, L"Studio");
    EXPECT_DOUBLE_EQ(s.product.videoReadRate, 6.25);
    EXPECT_DOUBLE_EQ(s.product.videoReadLimitMs, 120.0);
    EXPECT_FALSE(s.version.empty());
    testSettings.unbuffered = 1;
    EXPECT_FALSE(CurrentRunSettings("file", "x").caching);
    ResetKadraState();
}

}  // namespace
}  // namespace kadra::testing
