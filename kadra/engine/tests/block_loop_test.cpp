#include <gtest/gtest.h>

#include "block_loop.h"
#include "engine_fixture.h"
#include "result_table.h"
#include "run_state.h"
#include "throughput_pass.h"

namespace kadra::testing {
namespace {

class CheckBlockTimeTest : public EngineTest {};

TEST_F(CheckBlockTimeTest, SetsTheHangFlagOnlyStrictlyAboveTheStreamLimit) {
    struct Case {
        double elapsed;
        bool isWrite;
        uint32_t blockSize;
        int hang;
    };
    const Case cases[] = {
        {640.0, false, 524288, 0},   // exactly the video read limit
        {640.5, false, 524288, 1},   // just above it
        {640.5, true, 524288, 1},    // video write has the same limit
        {44444.0, false, 65536, 0},  // audio limit is 44444.4 ms
        {44445.0, false, 65536, 1},
        {99999.0, false, 262144, 0},  // none of the product's block sizes
        {99999.0, true, 16384, 0},
    };
    for (const Case& c : cases) {
        runState.hangFlag = 0;
        runState.hangCount = 0;
        CheckBlockTime(c.elapsed, c.isWrite, c.blockSize);
        EXPECT_EQ(runState.hangFlag, c.hang) << c.elapsed << " ms, " << c.blockSize;
        EXPECT_EQ(runState.hangCount, static_cast<uint32_t>(c.hang));
    }
}

TEST_F(CheckBlockTimeTest, CountsAgainWhileAFlagAwaitsItsPoint) {
    CheckBlockTime(700.0, false, 524288);
    CheckBlockTime(1.0, false, 524288);  // fast, but the flag of the first is still pending
    EXPECT_EQ(runState.hangCount, 2u);
}

TEST_F(CheckBlockTimeTest, UsesTheWriteLimitsForWrites) {
    ProductProfile p = DefaultTestProfile();
    p.videoWriteLimitMs = 100.0;
    UseProfile(p);
    CheckBlockTime(150.0, false, 524288);
    EXPECT_EQ(runState.hangFlag, 0);
    CheckBlockTime(150.0, true, 524288);
    EXPECT_EQ(runState.hangFlag, 1);
}

// A synchronous read pass at the video block size only, every transfer taking `ms`; the
// hangs it counted.
uint32_t HangsOfReadPassWith(FakeFileSystem& files, double ms) {
    testSettings.quick = 1;
    for (uint32_t& size : testSettings.selectedBlockSizes)
        size = 524288;
    files.transferMs = ms;
    files.files[L"R:\\KADRA.TMP"] = std::vector<uint8_t>(4194304, 1);
    runState.hangCount = 0;
    EXPECT_EQ(ReadLinearPass(L"R:\\KADRA.TMP", 4194304, 0), PassOutcome::Finished);
    return runState.hangCount;
}

TEST_F(CheckBlockTimeTest, SynchronousPassTimesEachTransferAgainstTheLimit) {
    EXPECT_EQ(HangsOfReadPassWith(files, 640.0), 0u);
    EXPECT_EQ(HangsOfReadPassWith(files, 640.5), 8u) << "8 blocks of 512 KiB in 4 MiB";
    EXPECT_EQ(runState.hangFlag, 0) << "each point clears the flag";
}

class SyncLoopTest : public EngineTest {};

TEST_F(SyncLoopTest, AverageCountsOnlyTheTransferTime) {
    testSettings.quick = 1;  // 64 KiB and 512 KiB with the default profile
    MakeFile(L"R:\\f", 4194304);
    files.transferMs = 2.0;
    HostCalls calls;
    calls.serviceMessageQueue = [this] {
        ++pumps;
        clock.Advance(50.0);  // time spent between transfers is not measured
    };
    host.calls = calls;
    InstallHost(host);
    ASSERT_EQ(ReadLinearPass(L"R:\\f", 4194304, 0), PassOutcome::Finished);
    EXPECT_DOUBLE_EQ(resultTable.readLinear[2], 65536 / 2.0 / 1048.0);
    EXPECT_DOUBLE_EQ(resultTable.readLinear[5], 524288 / 2.0 / 1048.0);
    // 64 + 8 transfers, pumped at the first and every tenth of the whole pass.
    EXPECT_EQ(pumps, 8);
}

TEST_F(SyncLoopTest, AdvancesByTheBytesActuallyTransferred) {
    testSettings.quick = 1;
    MakeFile(L"R:\\f", 4194304);
    // Every 64 KiB read moves only half a block: twice as many transfers.
    files.onTransfer = [](FakeTransfer& t) {
        if (t.length == 65536) t.bytes = 32768;
    };
    ASSERT_EQ(ReadLinearPass(L"R:\\f", 4194304, 0), PassOutcome::Finished);
    EXPECT_EQ(TransfersOf(65536, false), 128u);
    EXPECT_DOUBLE_EQ(resultTable.readLinear[2], 32768 / 1.0 / 1048.0);
}

}  // namespace
}  // namespace kadra::testing
