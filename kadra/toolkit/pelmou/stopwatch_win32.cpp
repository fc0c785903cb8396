// Stopwatches on the performance counter. Handles count from 1; handle 0 is the clock
// itself (mode 4). A handle that is not open reads 0.0.
#include <map>
#include <mutex>

#include "pelmou.h"

namespace {

std::mutex lock;
std::map<DWORD, LONGLONG> starts;  // open stopwatch -> counter at its last restart
DWORD nextHandle = 1;

LONGLONG Counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Milliseconds(LONGLONG ticks) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    // Whole seconds and the rest apart, so that large counts keep their resolution.
    return static_cast<double>(ticks / frequency) * 1000.0 +
           static_cast<double>(ticks % frequency) * 1000.0 / static_cast<double>(frequency);
}

}  // namespace

extern "C" {

DWORD WINAPI OpenStopWatch(void) {
    std::lock_guard<std::mutex> guard(lock);
    while (nextHandle == 0 || starts.count(nextHandle) != 0)
        ++nextHandle;
    const DWORD handle = nextHandle++;
    starts[handle] = Counter();
    return handle;
}

double WINAPI StopWatch(DWORD handle, DWORD mode) {
    const LONGLONG now = Counter();
    std::lock_guard<std::mutex> guard(lock);
    if (mode == SW_NOW && handle == 0) return Milliseconds(now);
    auto stopwatch = starts.find(handle);
    if (stopwatch == starts.end()) return 0.0;
    switch (mode) {
        case SW_RESTART:
            stopwatch->second = now;
            return 0.0;
        case SW_ELAPSED:
            return Milliseconds(now - stopwatch->second);
        case SW_NOW:
            return Milliseconds(now);
        default:
            return 0.0;
    }
}

void WINAPI CloseStopWatch(DWORD handle) {
    std::lock_guard<std::mutex> guard(lock);
    starts.erase(handle);
}

}  // extern "C"
