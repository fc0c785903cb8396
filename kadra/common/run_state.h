// The test run in progress: one record for the whole process.
#pragma once

#include <csignal>
#include <cstdint>

#include "ktext.h"

namespace kadra {

class TestLog;

struct RunState {
    int fileTest = 0;          // 1 for a file test (the file is the user's: never written)
    int driveNumber = 0;       // 0 = A:; 0 also marks the file test
    int64_t sizeMB = 0;        // size of the test file in MB (1048576 bytes)
    uint32_t physAddress = 0;  // transfer buffer in physical memory; 0 = main memory
    KText title;               // disk description, or the tested file's name
    // Set by the stop command, also from a signal handler of the native program; polled after
    // every block.
    volatile std::sig_atomic_t abortRequested = 0;
    int testRunning = 0;
    int busy = 0;
    int hangFlag = 0;        // a block took longer than the product allows; cleared when plotted
    uint32_t hangCount = 0;  // blocks counted as too slow in this run
    TestLog* log = nullptr;  // the open log document, null while none is open
};

inline RunState runState;

}  // namespace kadra
