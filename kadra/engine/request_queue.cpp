#include "request_queue.h"

#include "block_loop.h"
#include "graph.h"
#include "host.h"
#include "run_state.h"
#include "test_settings.h"

namespace kadra {

bool OpenRequestQueue(TestFile& file, int* error) {
    requestQueue.completed = 0;
    requestQueue.lastPlotted = 0;
    requestQueue.outstanding = 0;
    for (RequestSlot& slot : requestQueue.slots)
        slot = RequestSlot{};
    requestQueue.failed = false;
    requestQueue.failure = {};
    requestQueue.failureOffset = 0;
    requestQueue.length =
        testSettings.queueLength > kMaxQueueLength ? kMaxQueueLength : testSettings.queueLength;
    requestQueue.backend = file.OpenQueue(requestQueue.length, error);
    return requestQueue.backend != nullptr;
}

void CloseRequestQueue() {
    requestQueue.backend.reset();
}

uint32_t PlotLimit(int64_t sizeMB, uint32_t blockSize) {
    uint64_t fileBlocks = static_cast<uint64_t>(sizeMB) * 1048576u / blockSize;
    uint64_t limit = fileBlocks / 20;
    if (limit < 10) limit = 10;
    if (limit > 40) limit = 40;
    return static_cast<uint32_t>(limit);
}

void ServiceRequestQueue(IntervalTimer& interval, uint32_t blockSize, bool drain, bool isWrite) {
    RequestQueue& q = requestQueue;
    RequestQueueBackend& backend = *q.backend;
    Clock& clock = CurrentClock();
    const uint32_t length = q.length;
    for (;;) {
        if (q.outstanding >= length) {
            double noted = clock.NowMs();
            backend.WaitAny(length);
            CheckBlockTime(clock.NowMs() - noted, isWrite, blockSize);
        }
        for (uint32_t i = 0; i < length; ++i) {
            RequestSlot& slot = q.slots[i];
            Transfer result;
            if (slot.busy == 0 || !backend.Poll(i, &result)) continue;
            ++q.completed;
            slot.busy = 0;
            --q.outstanding;
            if (!q.failed && (result.error != 0 || result.bytes != blockSize)) {
                q.failed = true;
                q.failure = result;
                q.failureOffset = slot.offset;
                q.failureWrite = isWrite;
            }
            if (q.outstanding == 0) break;
        }
        if (q.outstanding == 0 || !drain) break;
        backend.WaitAny(length);
    }

    uint32_t n = q.completed - q.lastPlotted;
    if (n <= PlotLimit(runState.sizeMB, blockSize) && !drain && runState.hangFlag == 0) return;
    double rate = static_cast<double>(blockSize) * n / interval.ElapsedMs() / 1048.0;
    interval.Restart();
    if (q.lastPlotted == 0) GraphPlotPoint(0, rate);
    GraphPlotPoint(q.completed, rate);
    q.lastPlotted = q.completed;
    if (drain) {
        q.lastPlotted = 0;
        q.completed = 0;
    }
}

}  // namespace kadra
