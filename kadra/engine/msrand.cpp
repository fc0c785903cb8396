#include "msrand.h"

#include <atomic>

namespace kadra {

namespace {
// The linear congruential generator of the Windows C runtime: state × 214013 + 2531011,
// the result is bits 16 to 30 of the new state.
std::atomic<uint32_t> msRandState{1};
}  // namespace

uint32_t MsRand() {
    uint32_t state = msRandState.load(std::memory_order_relaxed) * 214013u + 2531011u;
    msRandState.store(state, std::memory_order_relaxed);
    return (state >> 16) & 0x7FFFu;
}

void MsSrand(uint32_t seed) {
    msRandState.store(seed, std::memory_order_relaxed);
}

}  // namespace kadra
