// An optional load on the bus beside a test: a thread that reads and writes back 1 KiB of
// physical memory (the start of the pass's physical buffer) in bursts, one second busy, one
// second idle, from its start until the program ends.
#pragma once

#include <cstdint>

namespace kadra {

// Starts the thread on the window at physAddress; nothing when it runs already, when
// physAddress is 0 or when the window cannot be mapped.
void StartCpuMemoryLoad(uint32_t physAddress);

// Whether the thread runs.
bool CpuMemoryLoadRunning();

// Stops the thread and unmaps the window (also done when the program ends).
void StopCpuMemoryLoad();

}  // namespace kadra
