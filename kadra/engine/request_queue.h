// The queue of asynchronous requests of a pass: up to 39 requests in flight in 40 slots, each
// completion seen through its slot (the backend of the open file: io_uring, or OVERLAPPED with
// manual-reset events), and the interval points it draws into the graph.
#pragma once

#include <cstdint>
#include <memory>

#include "interval_timer.h"
#include "test_file.h"

namespace kadra {

inline constexpr unsigned kRequestSlots = 40;
inline constexpr uint32_t kMaxQueueLength = 39;

struct RequestSlot {
    uint32_t busy = 0;    // 1 while a request is in flight
    uint64_t offset = 0;  // file offset of the request
};

struct RequestQueue {
    RequestSlot slots[kRequestSlots];
    uint32_t outstanding = 0;
    uint32_t completed = 0;
    uint32_t lastPlotted = 0;
    // The queue length the queue was opened with (testSettings.queueLength, at most 39).
    uint32_t length = 0;
    std::unique_ptr<RequestQueueBackend> backend;
    // The first request that failed or moved less than a block: its outcome and offset.
    bool failed = false;
    Transfer failure;
    uint64_t failureOffset = 0;
    bool failureWrite = false;
};

inline RequestQueue requestQueue;

// Zeroes the counters and the slots and opens the queue of `file` with testSettings.queueLength
// slots in use. False with `error` set when the system gives no queue.
bool OpenRequestQueue(TestFile& file, int* error);

// Closes the queue; requests still in flight are waited for first.
void CloseRequestQueue();

// Takes the completed requests: when the queue is full waits for one first (the wait is timed
// as a block), then marks every completed slot free. With `drain` it waits until no request
// is in flight. Draws an interval point into the graph when more than 10 to 40 requests
// (1/20 of the file's blocks) have completed since the last point, when the hang flag is set,
// and when draining; `interval` times the interval. A completion that failed or moved less
// than blockSize bytes is kept in requestQueue.failed.
void ServiceRequestQueue(IntervalTimer& interval, uint32_t blockSize, bool drain, bool isWrite);

// The number of completions above which an interval point is drawn: the file's blocks / 20,
// at least 10, at most 40.
uint32_t PlotLimit(int64_t sizeMB, uint32_t blockSize);

}  // namespace kadra
