// The pseudo-random generator of the Windows C runtime (`rand`), so that every platform
// draws the same sequence of random blocks.
#pragma once

#include <cstdint>

namespace kadra {

// The next value of the process-wide generator, 0 to 32767. The generator starts from seed 1
// and the program never seeds it: every run of the program draws the same sequence.
uint32_t MsRand();

// Restarts the sequence from `seed` (1 gives the sequence of a fresh process). Only tests
// call it.
void MsSrand(uint32_t seed);

}  // namespace kadra
