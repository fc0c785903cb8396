#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "graph.h"
#include "request_queue.h"
#include "result_table.h"
#include "run_state.h"
#include "throughput_pass.h"

namespace kadra::testing {
namespace {

class RequestQueueTest : public EngineTest {
  protected:
    // Opens the queue on a 2 MiB fake file with queue length `length`.
    void Open(uint32_t length) {
        MakeFile(L"R:\\q", 2097152);
        testSettings.queueLength = length;
        int error = 0;
        file = files.Open(L"R:\\q", FileOpenMode{}, &error);
        ASSERT_TRUE(file);
        ASSERT_TRUE(OpenRequestQueue(*file, &error));
    }

    // Issues one request at offset 0 in the lowest free slot, as the block loop does.
    void Issue(uint32_t blockSize) {
        uint32_t slot = 0;
        while (requestQueue.slots[slot].busy)
            ++slot;
        requestQueue.slots[slot].busy = 1;
        ++requestQueue.outstanding;
        Transfer failure;
        ASSERT_TRUE(
            requestQueue.backend->Issue(slot, false, 0, buffer.data(), blockSize, &failure));
    }

    std::unique_ptr<TestFile> file;
    std::vector<uint8_t> buffer = std::vector<uint8_t>(2097152);
};

TEST_F(RequestQueueTest, PlotLimitIsATwentiethOfTheBlocksBetweenTenAndForty) {
    EXPECT_EQ(PlotLimit(100, 16384), 40u);    // 6400 blocks: 320, lowered to 40
    EXPECT_EQ(PlotLimit(100, 2097152), 10u);  // 50 blocks: 2, raised to 10
    EXPECT_EQ(PlotLimit(10, 32768), 16u);     // 320 blocks
    EXPECT_EQ(PlotLimit(8192, 2097152), 40u) << "4096 blocks: no 32-bit overflow";
    EXPECT_EQ(PlotLimit(4096 * 1024, 16384), 40u);
}

TEST_F(RequestQueueTest, DrawsAPointOnceMoreThanTheLimitHaveCompleted) {
    struct Case {
        int64_t sizeMB;
        uint32_t blockSize;
        uint32_t firstPointAfter;
    };
    for (const Case& c : {Case{100, 16384, 41}, Case{100, 2097152, 11}}) {
        SCOPED_TRACE(c.blockSize);
        Open(39);
        runState.sizeMB = c.sizeMB;
        files.transferMs = 0.0;  // every request completes at once
        IntervalTimer interval(clock);
        uint32_t completedAtFirstPoint = 0;
        for (uint32_t i = 1; i <= 60 && completedAtFirstPoint == 0; ++i) {
            Issue(c.blockSize);
            clock.Advance(1.0);
            double before = graphState.sumOfSquares;
            ServiceRequestQueue(interval, c.blockSize, false, false);
            if (graphState.sumOfSquares != before) completedAtFirstPoint = i;
        }
        EXPECT_EQ(completedAtFirstPoint, c.firstPointAfter);
        // The first point is drawn twice, at index 0 and at the count, and the rate covers
        // the whole interval.
        double rate = double(c.blockSize) * c.firstPointAfter / c.firstPointAfter / 1048.0;
        EXPECT_DOUBLE_EQ(graphState.sumOfSquares, 2 * rate * rate);
        EXPECT_EQ(requestQueue.lastPlotted, c.firstPointAfter);
        CloseRequestQueue();
        graphState = GraphState{};
    }
}

TEST_F(RequestQueueTest, AHangForcesAPointAndDrainingResetsTheCounters) {
    Open(4);
    runState.sizeMB = 100;
    IntervalTimer interval(clock);
    Issue(16384);
    runState.hangFlag = 1;
    ServiceRequestQueue(interval, 16384, false, false);
    EXPECT_EQ(runState.hangFlag, 0) << "the point took the mark";
    Issue(16384);
    Issue(16384);
    ServiceRequestQueue(interval, 16384, true, false);
    EXPECT_EQ(requestQueue.outstanding, 0u);
    EXPECT_EQ(requestQueue.completed, 0u);
    EXPECT_EQ(requestQueue.lastPlotted, 0u);
}

TEST_F(RequestQueueTest, AFullQueueWaitsAndTimesTheWaitAsABlock) {
    Open(2);
    files.transferMs = 700.0;  // above the 640 ms video read limit
    IntervalTimer interval(clock);
    Issue(524288);
    ServiceRequestQueue(interval, 524288, false, false);
    EXPECT_EQ(runState.hangCount, 0u) << "not full yet: no wait";
    Issue(524288);
    ServiceRequestQueue(interval, 524288, false, false);
    EXPECT_EQ(requestQueue.outstanding, 0u) << "both completed during the wait";
    EXPECT_EQ(runState.hangCount, 1u);
}

TEST_F(RequestQueueTest, KeepsTheFirstFailedOrShortCompletion) {
    Open(4);
    files.onTransfer = [](FakeTransfer& t) {
        if (t.slot == 1) t.error = 5;
        if (t.slot == 2) t.bytes = 100;
    };
    IntervalTimer interval(clock);
    for (int i = 0; i < 3; ++i)
        Issue(16384);
    ServiceRequestQueue(interval, 16384, true, false);
    EXPECT_TRUE(requestQueue.failed);
    EXPECT_EQ(requestQueue.failure.error, 5);
}

class AsyncPassTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        MakeFile(L"R:\\f", 4194304);
        runState.sizeMB = 4;
        files.transferMs = 2.0;
    }
};

TEST_F(AsyncPassTest, QueueLengthOneMovesOneBlockAtATimeTimedAsWallTime) {
    testSettings.queueLength = 1;
    ASSERT_EQ(ReadLinearPass(L"R:\\f", 4194304, 0), PassOutcome::Finished);
    EXPECT_EQ(files.maxInFlight, 1u);
    // 256 requests of 16 KiB one after the other, 2 ms each.
    EXPECT_DOUBLE_EQ(resultTable.readLinear[0], 4194304 / (256 * 2.0) / 1048.0);
    // Offsets follow the blocks in order.
    for (size_t i = 0; i < 256; ++i)
        ASSERT_EQ(files.transfers[i].offset, i * 16384);
}

TEST_F(AsyncPassTest, KeepsTheQueueFullAndCountsWholeFileOverWallTime) {
    testSettings.queueLength = 8;
    files.issueMs = 0.25;  // issuing is part of the wall time
    ASSERT_EQ(ReadLinearPass(L"R:\\f", 4194304, 0), PassOutcome::Finished);
    EXPECT_EQ(files.maxInFlight, 8u);
    EXPECT_TRUE(files.opens.back().mode.overlapped);
    // At 2 MiB: two requests issued back to back, both complete 2 ms after their issue.
    EXPECT_DOUBLE_EQ(resultTable.readLinear[7], 4194304 / (0.25 + 0.25 + 2.0) / 1048.0);
    for (int k = 0; k < 8; ++k)
        EXPECT_GT(resultTable.readLinear[k], 0.0) << k;
}

TEST_F(AsyncPassTest, AFailedCompletionEndsThePassWithALineAndNoResult) {
    testSettings.queueLength = 4;
    files.onTransfer = [](FakeTransfer& t) {
        if (t.length == 65536 && t.offset == 65536 * 5) t.error = 23;
    };
    EXPECT_EQ(ReadLinearPass(L"R:\\f", 4194304, 0), PassOutcome::Failed);
    EXPECT_GT(resultTable.readLinear[1], 0.0);
    EXPECT_EQ(resultTable.readLinear[2], 0.0);
    EXPECT_EQ(resultTable.readLinear[3], 0.0) << "the pass ended";
    EXPECT_NE(ResultsText().find(L"R:\\f read failed: error 23\r\n"), KText::npos);
    EXPECT_EQ(requestQueue.backend, nullptr) << "queue closed";
}

TEST_F(AsyncPassTest, ARequestThatCannotBeIssuedEndsThePass) {
    testSettings.queueLength = 4;
    testSettings.powerUser = 1;  // writes queue only for a power user
    files.onTransfer = [](FakeTransfer& t) {
        if (t.length == 16384 && t.offset == 16384 * 7) t.error = -28;
    };
    EXPECT_EQ(WriteLinearPass(L"R:\\f", 4194304, 0), PassOutcome::Failed);
    EXPECT_EQ(ResultsText(), L"R:\\f write failed: error 28\r\n");
}

}  // namespace
}  // namespace kadra::testing
