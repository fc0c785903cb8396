#include "throughput_pass.h"

#include <cstring>

#include "block_loop.h"
#include "block_sizes.h"
#include "host.h"
#include "host_calls.h"
#include "interval_timer.h"
#include "network_drive.h"
#include "report.h"
#include "request_queue.h"
#include "result_table.h"
#include "results_text.h"
#include "run_state.h"
#include "test_file.h"
#include "test_settings.h"
#include "transfer_buffer.h"

namespace kadra {

namespace {

enum class PassKind { WriteLinear, ReadLinear, ReadRandom };

struct PassInfo {
    bool isWrite;
    bool random;
    double* results;
    const wchar_t* syncLabel;
    const wchar_t* asyncLabel;
    const wchar_t* openFailure;
};

PassInfo InfoOf(PassKind kind) {
    switch (kind) {
        case PassKind::WriteLinear:
            return {true,
                    false,
                    resultTable.writeLinear,
                    L"write linear synchronous",
                    L"write linear asynchronous",
                    L" not createable"};
        case PassKind::ReadLinear:
            return {false,
                    false,
                    resultTable.readLinear,
                    L"read linear synchronous",
                    L"read linear asynchronous",
                    L" not found"};
        case PassKind::ReadRandom:
        default:
            return {false,
                    true,
                    resultTable.readRandom,
                    L"read random synchronous",
                    L"read random asynchronous",
                    L" not found"};
    }
}

// Fills the buffer with 0xBAADF00D words, so that a read that moves nothing shows.
void FillBadFood(uint8_t* buffer) {
    const uint32_t word = 0xBAADF00Du;
    for (uint32_t i = 0; i < kTransferBufferSize; i += 4)
        std::memcpy(buffer + i, &word, 4);
}

// Appends the line of a failed pass and hands it to the caller.
PassOutcome Fail(const KText& line, KText* failureLine) {
    AppendResultLine(line);
    if (failureLine != nullptr) *failureLine = line;
    return PassOutcome::Failed;
}

PassOutcome RunPass(PassKind kind, const KText& path, uint64_t fileSize, uint32_t physAddress,
                    KText* failureLine, bool* created = nullptr) {
    const PassInfo info = InfoOf(kind);
    if (kind == PassKind::ReadRandom && testSettings.notify) return PassOutcome::Skipped;
    if (kind == PassKind::ReadLinear && testSettings.notify) {
        ShowMessageBox(L"Press Button To Continue", L"User Notify");
    }

    Clock& clock = CurrentClock();
    IntervalTimer passTimer(clock);
    IntervalTimer intervalTimer(clock);
    TransferBuffer buffer;
    if (!buffer.Acquire(physAddress)) {
        return Fail(L"memory alloc failed", failureLine);
    }
    if (kind == PassKind::ReadLinear && testSettings.notify) FillBadFood(buffer.data());

    // A power user's drive always counts as local.
    const bool network = info.isWrite && testSettings.powerUser == 0 && IsNetworkDrive(path) != 0;
    const bool async =
        testSettings.queueLength > 0 && (!info.isWrite || testSettings.powerUser != 0);
    FileOpenMode mode;
    mode.write = info.isWrite;
    mode.shareRead = true;
    mode.shareWrite = !network;
    mode.sequential = true;
    mode.unbuffered = testSettings.unbuffered != 0 && !network;
    mode.overlapped = async;

    FileSystem& files = CurrentFileSystem();
    int error = 0;
    std::unique_ptr<TestFile> file = files.Open(path, mode, &error);
    if (!file) {
        if (error == kNotRegularFileError) {
            Fail(path + L" exists and is not a regular file: not touched", failureLine);
            return PassOutcome::Refused;
        }
        KText line = path + info.openFailure;
        if (FailureReasonsWanted()) line += L": " + files.ErrorText(error);
        return Fail(line, failureLine);
    }
    // Only an open for writing creates the file; the read passes reopen it.
    if (info.isWrite && created != nullptr) *created = true;
    if (async && !OpenRequestQueue(*file, &error)) {
        return Fail(path + L": no request queue: " + files.ErrorText(error), failureLine);
    }

    RequestBuffers requestBuffers;
    if (async && testSettings.bufferPerRequest &&
        !requestBuffers.Acquire(testSettings.queueLength)) {
        CloseRequestQueue();
        return Fail(L"memory alloc failed", failureLine);
    }
    if (async) {
        // The memory every request of the pass transfers into or from.
        if (testSettings.bufferPerRequest) {
            requestQueue.backend->PrepareBuffer(
                requestBuffers.slot(0),
                static_cast<size_t>(testSettings.queueLength) * kTransferBufferSize);
        } else {
            requestQueue.backend->PrepareBuffer(buffer.data(), kTransferBufferSize);
        }
    }
    uint32_t transferCounter = 0;
    BlockLoopFrame frame{
        *file,           buffer.data(),
        passTimer,       intervalTimer,
        transferCounter, async && testSettings.bufferPerRequest ? &requestBuffers : nullptr};
    BlockLoopPlan plan{info.isWrite, info.random};
    PassOutcome outcome = PassOutcome::Finished;
    for (int k = 0; k < kBlockSizeCount; ++k) {
        const uint32_t blockSize = BlockSizeAt(k);
        if (!BlockSizeSelected(blockSize, testSettings.quick != 0, testSettings.selectedBlockSizes))
            continue;
        TellBlockStarted(async ? info.asyncLabel : info.syncLabel, blockSize);
        BlockResult result = async ? AsyncBlockLoop(frame, plan, blockSize, fileSize)
                                   : SyncBlockLoop(frame, plan, blockSize, fileSize);
        if (result.outcome == BlockOutcome::Stopped) {
            outcome = PassOutcome::Stopped;
            break;
        }
        if (result.outcome == BlockOutcome::NoSlot) {
            outcome = PassOutcome::Failed;
            break;
        }
        if (result.outcome == BlockOutcome::Failed) {
            if (async) CloseRequestQueue();
            file.reset();
            return Fail(TransferFailureLine(path, result), failureLine);
        }
        info.results[k] = result.average;
        BuildReport();
        BlockSummary(blockSize, result.average, async ? info.asyncLabel : info.syncLabel);
    }
    if (async) CloseRequestQueue();
    return outcome;
}

}  // namespace

PassOutcome WriteLinearPass(const KText& path, uint64_t fileSize, uint32_t physAddress,
                            KText* failureLine, bool* created) {
    if (created != nullptr) *created = false;
    return RunPass(PassKind::WriteLinear, path, fileSize, physAddress, failureLine, created);
}

PassOutcome ReadLinearPass(const KText& path, uint64_t fileSize, uint32_t physAddress,
                           KText* failureLine) {
    return RunPass(PassKind::ReadLinear, path, fileSize, physAddress, failureLine);
}

PassOutcome ReadRandomPass(const KText& path, uint64_t fileSize, uint32_t physAddress,
                           KText* failureLine) {
    return RunPass(PassKind::ReadRandom, path, fileSize, physAddress, failureLine);
}

}  // namespace kadra
