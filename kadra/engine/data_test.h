// The data reliability test: writes a file with a known pattern, copies it to a second file,
// reads both back and counts every byte that differs from the pattern and every 64 KiB chunk
// in which the copies differ. All transfers bypass the system cache.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ktext.h"

namespace kadra {

inline constexpr uint32_t kDataChunkSize = 65536;

// Bytes and chunks found wrong in the last data test, process-wide.
inline uint32_t dataErrorCount = 0;

// Sets dataErrorCount to 0 and fills `length` bytes (a multiple of 256) with the pattern
// 0, 1, ... 255 repeated.
void FillPattern(uint8_t* buffer, size_t length);

// Adds to dataErrorCount the number of bytes of `buffer` that differ from the pattern.
void CheckPattern(const uint8_t* buffer, size_t length);

// The test on drive `driveNumber` (0 = A:), on "x:\verify1.TMP" and "x:\verify2.TMP", with
// `size` bytes (a whole number of chunks). True when it ran to its end and found no error.
bool DataReliabilityTest(uint32_t driveNumber, uint64_t size);

// The same test on the two files given. At its end, on every path, it deletes the files it
// created (no others) while RunState.busy is still set.
bool DataReliabilityTest(const KText& verify1, const KText& verify2, uint64_t size);

}  // namespace kadra
