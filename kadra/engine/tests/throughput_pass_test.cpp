#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <set>

#include "block_loop.h"
#include "engine_fixture.h"
#include "network_drive.h"
#include "recording_test_log.h"
#include "result_table.h"
#include "run_state.h"
#include "service.h"
#include "sim_machine.h"
#include "test_log.h"
#include "throughput_pass.h"
#include "transfer_buffer.h"

namespace kadra::testing {
namespace {

const KText kPath = L"R:\\KADRA.TMP";
constexpr uint64_t kSize = 4194304;

class ThroughputPassTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        SetNetworkDriveList(L"");
        runState.sizeMB = 4;
    }
    void TearDown() override {
        SetNetworkDriveList(L"");
        EngineTest::TearDown();
    }
};

TEST_F(ThroughputPassTest, QuickRunsOnlyTheProductsSizesInTheirOwnSlots) {
    ProductProfile p = DefaultTestProfile();
    p.videoReadBlockSize = 16384;
    p.videoWriteBlockSize = 262144;
    p.audioReadBlockSize = 1048576;
    p.audioWriteBlockSize = 1048576;
    UseProfile(p);
    testSettings.quick = 1;
    ASSERT_EQ(WriteLinearPass(kPath, kSize, 0), PassOutcome::Finished);
    std::set<uint32_t> lengths;
    for (const FakeTransfer& t : files.transfers)
        lengths.insert(t.length);
    EXPECT_EQ(lengths, (std::set<uint32_t>{16384, 262144, 1048576}));
    for (int k = 0; k < 20; ++k) {
        EXPECT_EQ(resultTable.writeLinear[k] > 0.0, k == 0 || k == 4 || k == 6) << k;
    }
    EXPECT_EQ(files.files[kPath].size(), kSize);
}

TEST_F(ThroughputPassTest, EveryBlockSizeRunsWithoutQuickAndRebuildsTheReport) {
    MakeFile(kPath, kSize);
    ASSERT_EQ(ReadLinearPass(kPath, kSize, 0), PassOutcome::Finished);
    for (int k = 0; k < 8; ++k)
        EXPECT_DOUBLE_EQ(resultTable.readLinear[k], (16384 << k) / 1048.0);
    EXPECT_EQ(TransfersOf(16384, false), 256u);
    EXPECT_EQ(TransfersOf(2097152, false), 2u);
    EXPECT_NE(ResultsText().find(L"   16 |    15.6  |          | \r\n"), KText::npos)
        << ResultsText();
}

TEST_F(ThroughputPassTest, OpensTheFileAsEachPassNeeds) {
    testSettings.unbuffered = 1;
    MakeFile(kPath, kSize);
    testSettings.quick = 1;
    ASSERT_EQ(WriteLinearPass(kPath, kSize, 0), PassOutcome::Finished);
    ASSERT_EQ(ReadLinearPass(kPath, kSize, 0), PassOutcome::Finished);
    ASSERT_EQ(ReadRandomPass(kPath, kSize, 0), PassOutcome::Finished);
    ASSERT_EQ(files.opens.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const FileOpenMode& m = files.opens[i].mode;
        EXPECT_EQ(m.write, i == 0);
        EXPECT_TRUE(m.shareRead && m.shareWrite && m.sequential && m.unbuffered);
        EXPECT_FALSE(m.overlapped);
    }
}

TEST_F(ThroughputPassTest, WriteOnANetworkDriveKeepsCachingAndSharesOnlyReading) {
    testSettings.unbuffered = 1;
    testSettings.quick = 1;
    SetNetworkDriveList(L"R");
    ASSERT_EQ(WriteLinearPass(kPath, kSize, 0), PassOutcome::Finished);
    ASSERT_EQ(ReadLinearPass(kPath, kSize, 0), PassOutcome::Finished);
    EXPECT_FALSE(files.opens[0].mode.unbuffered);
    EXPECT_FALSE(files.opens[0].mode.shareWrite);
    EXPECT_TRUE(files.opens[1].mode.unbuffered) << "reads bypass the cache everywhere";
    // A power user's drive counts as local.
    testSettings.powerUser = 1;
    ASSERT_EQ(WriteLinearPass(kPath, kSize, 0), PassOutcome::Finished);
    EXPECT_TRUE(files.opens[2].mode.unbuffered);
    EXPECT_TRUE(files.opens[2].mode.shareWrite);
}

TEST_F(ThroughputPassTest, WritesQueueOnlyForAPowerUser) {
    RecordingTestLog log;
    host.testLog = &log;
    InstallHost(host);
    testSettings.graphEnabled = 1;
    testSettings.logfile = 1;
    testSettings.quick = 1;
    testSettings.queueLength = 10;
    OpenTestLog(L"run");
    ASSERT_EQ(WriteLinearPass(kPath, kSize, 0), PassOutcome::Finished);
    ASSERT_EQ(ReadLinearPass(kPath, kSize, 0), PassOutcome::Finished);
    EXPECT_FALSE(files.opens[0].mode.overlapped);
    EXPECT_TRUE(files.opens[1].mode.overlapped);
    std::vector<KText> headings;
    for (const auto& e : log.entries) {
        if (e.kind == RecordingTestLog::Kind::Text && e.flags == kLogHeading) {
            headings.push_back(e.text);
        }
    }
    EXPECT_EQ(headings, (std::vector<KText>{L"64 kB block, write linear synchronous:\n",
                                            L"512 kB block, write linear synchronous:\n",
                                            L"64 kB block, read linear asynchronous:\n",
                                            L"512 kB block, read linear asynchronous:\n"}));
    CloseTestLog();
}

TEST_F(ThroughputPassTest, NotifyAsksBeforeTheLinearReadAndLeavesOutTheRandomRead) {
    testSettings.notify = 1;
    testSettings.quick = 1;
    ASSERT_EQ(WriteLinearPass(kPath, kSize, 0), PassOutcome::Finished);
    EXPECT_TRUE(boxes.empty());
    // Reads that move nothing show the 0xBAADF00D fill in the buffer.
    uint32_t firstWord = 0;
    files.onTransfer = [&](FakeTransfer& t) {
        if (!t.write && firstWord == 0) std::memcpy(&firstWord, t.data, 4);
    };
    ASSERT_EQ(ReadLinearPass(kPath, kSize, 0), PassOutcome::Finished);
    EXPECT_EQ(boxes, (std::vector<KText>{L"User Notify: Press Button To Continue"}));
    EXPECT_EQ(firstWord, 0xBAADF00Du);
    size_t opens = files.opens.size();
    EXPECT_EQ(ReadRandomPass(kPath, kSize, 0), PassOutcome::Skipped);
    EXPECT_EQ(files.opens.size(), opens);
}

TEST_F(ThroughputPassTest, RandomReadDrawsAFreshBlockForEveryTransfer) {
    MakeFile(kPath, kSize);
    testSettings.quick = 1;
    for (uint32_t& size : testSettings.selectedBlockSizes)
        size = 16384;
    ASSERT_EQ(ReadRandomPass(kPath, kSize, 0), PassOutcome::Finished);
    ASSERT_EQ(files.transfers.size(), 256u);
    MsSrand(1);
    for (const FakeTransfer& t : files.transfers) {
        ASSERT_EQ(t.offset, uint64_t{RandomBlockIndex(255)} * 16384);
    }
    EXPECT_EQ(files.transfers[0].offset, 36u * 16384) << "(41+18467)*(6334+26500)*255/4294950916";
}

struct OpenFailureCase {
    PassOutcome (*pass)(const KText&, uint64_t, uint32_t, KText*);
    const wchar_t* line;
};

PassOutcome WritePass(const KText& path, uint64_t size, uint32_t physAddress, KText* line) {
    return WriteLinearPass(path, size, physAddress, line);
}

TEST_F(ThroughputPassTest, AFileThatCannotBeOpenedGivesItsLineAndNoResult) {
    files.openErrors[kPath] = 5;
    const OpenFailureCase cases[] = {{&WritePass, L"R:\\KADRA.TMP not createable\r\n"},
                                     {&ReadLinearPass, L"R:\\KADRA.TMP not found\r\n"},
                                     {&ReadRandomPass, L"R:\\KADRA.TMP not found\r\n"}};
    for (const OpenFailureCase& c : cases) {
        ClearResults();
        KText line;
        EXPECT_EQ(c.pass(kPath, kSize, 0, &line), PassOutcome::Failed);
        EXPECT_EQ(ResultsText(), c.line);
        EXPECT_EQ(line + L"\r\n", c.line);
    }
    for (int k = 0; k < 20; ++k) {
        EXPECT_EQ(
            resultTable.writeLinear[k] + resultTable.readLinear[k] + resultTable.readRandom[k],
            0.0);
    }
}

// Only the write pass's open creates the file, and the run deletes it only then: whatever
// happened after the open, but never when the open failed or the name was refused.
TEST_F(ThroughputPassTest, TheWritePassTellsWhetherItCreatedTheFile) {
    struct Case {
        const char* name;
        int openError;
        std::function<void(FakeTransfer&)> script;
        PassOutcome outcome;
        bool created;
    };
    const Case cases[] = {
        {"finished", 0, nullptr, PassOutcome::Finished, true},
        {"not createable", 5, nullptr, PassOutcome::Failed, false},
        {"name refused", kNotRegularFileError, nullptr, PassOutcome::Refused, false},
        {"disk full", 0, [](FakeTransfer& t) { t.error = 28; }, PassOutcome::Failed, true},
        {"stopped", 0, [](FakeTransfer&) { runState.abortRequested = 1; }, PassOutcome::Stopped,
         true},
    };
    testSettings.quick = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        files.openErrors.clear();
        if (c.openError != 0) files.openErrors[kPath] = c.openError;
        files.onTransfer = c.script;
        runState.abortRequested = 0;
        bool created = !c.created;
        EXPECT_EQ(WriteLinearPass(kPath, kSize, 0, nullptr, &created), c.outcome);
        EXPECT_EQ(created, c.created);
    }
}

TEST_F(ThroughputPassTest, AFailedSynchronousWriteEndsThePassInsteadOfRepeating) {
    // The disk fills up during the 64 KiB block size.
    files.onTransfer = [](FakeTransfer& t) {
        if (t.length == 65536 && t.offset >= 65536 * 10) t.error = 28;
    };
    EXPECT_EQ(WriteLinearPass(kPath, kSize, 0), PassOutcome::Failed);
    EXPECT_GT(resultTable.writeLinear[1], 0.0);
    EXPECT_EQ(resultTable.writeLinear[2], 0.0);
    EXPECT_EQ(TransfersOf(65536, true), 11u);
    EXPECT_EQ(TransfersOf(131072, true), 0u);
    const KText& text = ResultsText();
    EXPECT_EQ(text.substr(text.size() - 37), L"R:\\KADRA.TMP write failed: error 28\r\n");
}

TEST_F(ThroughputPassTest, AReadThatMovesNothingEndsThePass) {
    MakeFile(kPath, kSize / 2);  // the file is shorter than the test expects
    EXPECT_EQ(ReadLinearPass(kPath, kSize, 0), PassOutcome::Failed);
    EXPECT_EQ(TransfersOf(16384, false), 129u) << "128 blocks, then one that moves nothing";
    EXPECT_EQ(ResultsText(), L"R:\\KADRA.TMP read failed: no data transferred\r\n");
}

TEST_F(ThroughputPassTest, StopEndsThePassAfterTheCurrentBlock) {
    MakeFile(kPath, kSize);
    files.onTransfer = [](FakeTransfer& t) {
        if (t.length == 65536 && t.offset == 65536 * 3) runState.abortRequested = 1;
    };
    EXPECT_EQ(ReadLinearPass(kPath, kSize, 0), PassOutcome::Stopped);
    EXPECT_EQ(TransfersOf(65536, false), 4u);
    EXPECT_GT(resultTable.readLinear[1], 0.0);
    EXPECT_EQ(resultTable.readLinear[2], 0.0);
}

TEST_F(ThroughputPassTest, QueuedRequestsShareTheBufferOrHaveOneEachOnRequest) {
    testSettings.quick = 1;
    testSettings.queueLength = 10;
    files.files[kPath].assign(kSize, 0);
    for (int perRequest : {0, 1}) {
        testSettings.bufferPerRequest = perRequest;
        std::map<unsigned, std::set<uint8_t*>> buffersBySlot;
        files.onTransfer = [&](FakeTransfer& t) {
            if (t.queued) buffersBySlot[t.slot].insert(t.data);
        };
        ASSERT_EQ(ReadLinearPass(kPath, kSize, 0), PassOutcome::Finished) << perRequest;
        std::set<uint8_t*> all;
        for (const auto& [slot, buffers] : buffersBySlot) {
            EXPECT_EQ(buffers.size(), 1u) << "slot " << slot << " keeps its buffer";
            all.insert(buffers.begin(), buffers.end());
        }
        ASSERT_EQ(buffersBySlot.size(), 10u) << "every slot was used";
        EXPECT_EQ(all.size(), perRequest ? 10u : 1u) << perRequest;
        if (perRequest) {
            for (uint8_t* a : all) {
                for (uint8_t* b : all) {
                    if (a < b) {
                        EXPECT_GE(b - a, static_cast<ptrdiff_t>(kTransferBufferSize));
                    }
                }
            }
        }
        EXPECT_EQ(ResultsText().find(L"a buffer of its own for every request") != KText::npos,
                  perRequest == 1);
    }
}

TEST_F(ThroughputPassTest, PhysicalWindowIsTheBufferOrTheLineTellsItIsMissing) {
    auto machine = std::make_unique<tvk::SimMachine>();
    std::string error;
    ASSERT_TRUE(machine->AddRam(0x10000000, kTransferBufferSize, error)) << error;
    ASSERT_TRUE(machine->FillRange(0x10000000, kTransferBufferSize, 0xA5));
    tvk::SimMachine* sim = machine.get();
    tvk::InstallMachine(std::move(machine));
    testSettings.quick = 1;
    ASSERT_EQ(WriteLinearPass(kPath, kSize, 0x10000000), PassOutcome::Finished);
    EXPECT_EQ(files.files[kPath][12345], 0xA5) << "the window's content was written";
    EXPECT_EQ(sim->OpenViews(), 0) << "the window was given back";
    ClearResults();
    EXPECT_EQ(ReadLinearPass(kPath, kSize, 0x20000000), PassOutcome::Failed);
    EXPECT_EQ(ResultsText(), L"memory alloc failed\r\n");
    tvk::InstallMachine(nullptr);
}

}  // namespace
}  // namespace kadra::testing
