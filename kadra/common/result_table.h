// Average throughput per pass and block size, in MB/s (bytes / ms / 1048).
#pragma once

namespace kadra {

// Slots per pass; block-size index k (block size 16384 << k bytes) uses slots 0 to 7.
inline constexpr int kResultSlots = 20;

struct ResultTable {
    double readLinear[kResultSlots] = {};
    double readRandom[kResultSlots] = {};
    double writeLinear[kResultSlots] = {};  // 0.0 = not measured
};

inline ResultTable resultTable;

}  // namespace kadra
