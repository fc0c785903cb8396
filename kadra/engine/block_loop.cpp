#include "block_loop.h"

#include "graph.h"
#include "host.h"
#include "host_calls.h"
#include "msrand.h"
#include "product_profile.h"
#include "request_queue.h"
#include "run_state.h"

namespace kadra {

namespace {

// Pumps messages on every tenth transfer of the pass, the first included.
void PaceMessages(uint32_t& transferCounter) {
    if (transferCounter % 10 == 0) ServiceMessageQueue();
    ++transferCounter;
}

BlockResult Ended(BlockOutcome outcome) {
    BlockResult result;
    result.outcome = outcome;
    return result;
}

BlockResult Failed(bool write, uint64_t offset, Transfer failure) {
    BlockResult result;
    result.outcome = BlockOutcome::Failed;
    result.failedWrite = write;
    result.failedOffset = offset;
    result.failure = failure;
    return result;
}

}  // namespace

void CheckBlockTime(double elapsedMs, bool isWrite, uint32_t blockSize) {
    const ProductProfile& p = SelectedProduct();
    if (isWrite) {
        if (blockSize == p.videoWriteBlockSize && elapsedMs > p.videoWriteLimitMs)
            runState.hangFlag = 1;
        if (blockSize == p.audioWriteBlockSize && elapsedMs > p.audioWriteLimitMs)
            runState.hangFlag = 1;
    } else {
        if (blockSize == p.videoReadBlockSize && elapsedMs > p.videoReadLimitMs)
            runState.hangFlag = 1;
        if (blockSize == p.audioReadBlockSize && elapsedMs > p.audioReadLimitMs)
            runState.hangFlag = 1;
    }
    if (runState.hangFlag) ++runState.hangCount;
}

uint32_t RandomBlockIndex(uint32_t n) {
    uint32_t r1 = MsRand();
    uint32_t r2 = MsRand();
    uint32_t r3 = MsRand();
    uint32_t r4 = MsRand();
    uint32_t p = (r1 + r2) * (r3 + r4);
    return static_cast<uint32_t>(static_cast<uint64_t>(p) * n / 4294950916ull);
}

BlockResult SyncBlockLoop(BlockLoopFrame& frame, const BlockLoopPlan& plan, uint32_t blockSize,
                          uint64_t fileSize) {
    const uint64_t fileBlocks = fileSize / blockSize;
    uint64_t total = 0;
    double sum = 0.0;
    double previousSum = 0.0;
    GraphReset(static_cast<uint32_t>(fileBlocks), true);
    if (!plan.random) {
        int error = frame.file.SetPosition(0);
        if (error != 0) return Failed(plan.isWrite, 0, Transfer{0, error});
    }
    uint64_t offset = 0;
    for (uint32_t i = 0; total < fileSize; ++i) {
        frame.passTimer.Restart();
        Transfer transfer;
        if (plan.random) {
            offset =
                static_cast<uint64_t>(RandomBlockIndex(static_cast<uint32_t>(fileBlocks - 1))) *
                blockSize;
            transfer.error = frame.file.SetPosition(offset);
        }
        if (transfer.error == 0) {
            transfer = plan.isWrite ? frame.file.Write(frame.buffer, blockSize)
                                    : frame.file.Read(frame.buffer, blockSize);
        }
        sum += frame.passTimer.ElapsedMs();
        // A transfer that fails or moves nothing would repeat for ever: the pass ends here.
        if (transfer.error != 0 || transfer.bytes == 0) {
            return Failed(plan.isWrite, offset, transfer);
        }
        total += transfer.bytes;
        if (!plan.random) offset += transfer.bytes;
        CheckBlockTime(sum - previousSum, plan.isWrite, blockSize);
        GraphPlotPoint(i, transfer.bytes / (sum - previousSum) / 1048.0);
        previousSum = sum;
        PaceMessages(frame.transferCounter);
        if (runState.abortRequested) return Ended(BlockOutcome::Stopped);
    }
    BlockResult result;
    result.average = static_cast<double>(total) / sum / 1048.0;
    return result;
}

BlockResult AsyncBlockLoop(BlockLoopFrame& frame, const BlockLoopPlan& plan, uint32_t blockSize,
                           uint64_t fileSize) {
    RequestQueue& q = requestQueue;
    Clock& clock = CurrentClock();
    const uint64_t fileBlocks = fileSize / blockSize;
    GraphReset(static_cast<uint32_t>(fileBlocks), true);
    frame.passTimer.Restart();
    frame.intervalTimer.Restart();

    // Waits for what is still in flight, so that the buffer outlives every request.
    auto drain = [&] { ServiceRequestQueue(frame.intervalTimer, blockSize, true, plan.isWrite); };
    for (uint64_t i = 0; i < fileBlocks; ++i) {
        uint32_t slot = 0;
        while (slot < q.length && q.slots[slot].busy != 0)
            ++slot;
        if (slot == q.length) {
            drain();
            return Ended(BlockOutcome::NoSlot);
        }
        uint64_t offset =
            plan.random
                ? static_cast<uint64_t>(RandomBlockIndex(static_cast<uint32_t>(fileBlocks - 1))) *
                      blockSize
                : i * blockSize;
        q.slots[slot].busy = 1;
        q.slots[slot].offset = offset;
        ++q.outstanding;
        double noted = clock.NowMs();
        Transfer failure;
        uint8_t* target = frame.requestBuffers ? frame.requestBuffers->slot(slot) : frame.buffer;
        bool issued = q.backend->Issue(slot, plan.isWrite, offset, target, blockSize, &failure);
        CheckBlockTime(clock.NowMs() - noted, plan.isWrite, blockSize);
        if (!issued) {
            q.slots[slot].busy = 0;
            --q.outstanding;
            drain();
            return Failed(plan.isWrite, offset, failure);
        }
        ServiceRequestQueue(frame.intervalTimer, blockSize, false, plan.isWrite);
        if (q.failed) {
            drain();
            return Failed(q.failureWrite, q.failureOffset, q.failure);
        }
        PaceMessages(frame.transferCounter);
        if (runState.abortRequested) {
            drain();
            return Ended(BlockOutcome::Stopped);
        }
    }
    drain();
    if (q.failed) return Failed(q.failureWrite, q.failureOffset, q.failure);
    BlockResult result;
    result.average = static_cast<double>(fileSize) / frame.passTimer.ElapsedMs() / 1048.0;
    return result;
}

KText TransferFailureLine(const KText& path, const BlockResult& result) {
    KText line = path + (result.failedWrite ? L" write failed: " : L" read failed: ");
    if (result.failure.error != 0) {
        line += CurrentFileSystem().ErrorText(result.failure.error);
    } else if (result.failure.bytes == 0) {
        // A read at the end of the file: it is shorter than the test size (a write pass that
        // ended on a full disk, or a file that shrank).
        line += FailureReasonsWanted() && !result.failedWrite ? L"file shorter than the test size"
                                                              : L"no data transferred";
    } else {
        line += L"only " + std::to_wstring(result.failure.bytes) + L" bytes transferred";
    }
    return line;
}

}  // namespace kadra
