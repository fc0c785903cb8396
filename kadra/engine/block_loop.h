// The measuring loops of one block size, synchronous and asynchronous, and the two checks they
// make: the time of a single transfer against the selected product's limits, and the random
// block picker.
#pragma once

#include <cstdint>

#include "interval_timer.h"
#include "ktext.h"
#include "test_file.h"
#include "transfer_buffer.h"

namespace kadra {

// Sets runState.hangFlag when a transfer of one of the selected product's stream block sizes
// took longer (strictly) than that stream's ring lasts; counts runState.hangCount while the
// flag is set.
void CheckBlockTime(double elapsedMs, bool isWrite, uint32_t blockSize);

// A block number below n (0 for n = 0) from four draws of the generator: the product of two
// triangular values, the same sequence on every platform.
uint32_t RandomBlockIndex(uint32_t n);

// What a pass does in its loops.
struct BlockLoopPlan {
    bool isWrite = false;  // write the buffer; else read into it
    bool random = false;   // a random block for every transfer; else block after block
};

// How one block size ended.
enum class BlockOutcome { Measured, Stopped, Failed, NoSlot };

struct BlockResult {
    BlockOutcome outcome = BlockOutcome::Measured;
    double average = 0.0;  // MB/s when measured
    // When failed: whether a write failed, where, and how (error 0: nothing was moved).
    bool failedWrite = false;
    uint64_t failedOffset = 0;
    Transfer failure;
};

// The frame a loop runs in: the open file, the pass's buffer and interval timers, and the transfer
// counter of the whole pass that paces the message pumping.
struct BlockLoopFrame {
    TestFile& file;
    uint8_t* buffer;
    IntervalTimer& passTimer;
    IntervalTimer& intervalTimer;
    uint32_t& transferCounter;
    // Queued requests only: with buffers of their own, slot i's request transfers into
    // requestBuffers->slot(i) rather than into `buffer`.
    const RequestBuffers* requestBuffers = nullptr;
};

// One block size with synchronous transfers: only the transfers are timed.
BlockResult SyncBlockLoop(BlockLoopFrame& frame, const BlockLoopPlan& plan, uint32_t blockSize,
                          uint64_t fileSize);

// One block size with queued requests (requestQueue open): the wall time of the whole file.
BlockResult AsyncBlockLoop(BlockLoopFrame& frame, const BlockLoopPlan& plan, uint32_t blockSize,
                           uint64_t fileSize);

// The line that tells a failed transfer: "<path> write failed: <error>" or
// "<path> read failed: <error>", the error being the system's text or "no data transferred".
KText TransferFailureLine(const KText& path, const BlockResult& result);

}  // namespace kadra
