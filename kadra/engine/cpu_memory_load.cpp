#include "cpu_memory_load.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "clock.h"
#include "travik.h"

namespace kadra {

namespace {

constexpr uint32_t kWindowSize = 1024;

struct CpuMemoryLoad {
    std::thread thread;
    std::atomic<int32_t> stop{0};
    volatile uint8_t* window = nullptr;

    ~CpuMemoryLoad() { Stop(); }

    void Stop() {
        stop = 1;
        if (thread.joinable()) thread.join();
        if (window != nullptr) {
            TVK_UnmapPhysToLin(const_cast<uint8_t*>(window), kWindowSize);
            window = nullptr;
        }
    }
};

CpuMemoryLoad load;

// About one second of 1 KiB read-and-write-back bursts, then one second of 20 ms sleeps.
void CpuMemoryLoadThread() {
    Clock& clock = SystemClock();
    uint8_t local[kWindowSize];
    double t0 = clock.NowMs();
    while (load.stop == 0) {
        double now = clock.NowMs();
        if (t0 + 2000 < now) t0 = now;
        if (t0 + 1000 < now) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } else {
            for (uint32_t i = 0; i < kWindowSize; ++i)
                local[i] = load.window[i];
            for (uint32_t i = 0; i < kWindowSize; ++i)
                load.window[i] = local[i];
        }
    }
}

}  // namespace

void StartCpuMemoryLoad(uint32_t physAddress) {
    if (load.thread.joinable() || physAddress == 0) return;
    if (load.window == nullptr) {
        load.window = static_cast<uint8_t*>(TVK_MapPhysToLin(physAddress, kWindowSize));
        if (load.window == nullptr) return;
    }
    load.stop = 0;
    load.thread = std::thread(CpuMemoryLoadThread);
}

bool CpuMemoryLoadRunning() {
    return load.thread.joinable();
}

void StopCpuMemoryLoad() {
    load.Stop();
}

}  // namespace kadra
