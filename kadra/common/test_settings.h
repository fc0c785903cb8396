// The user's choices for the next test run: one record for the whole process.
#pragma once

#include <cstdint>

#include "ktext.h"

namespace kadra {

// Values of osFamily.
inline constexpr int kOsFamilyNt = 1;
inline constexpr int kOsFamily95 = 2;

// Order of TestSettings::selectedBlockSizes.
enum SelectedBlockSize : int {
    kVideoReadBlock = 0,
    kAudioReadBlock = 1,
    kVideoWriteBlock = 2,
    kAudioWriteBlock = 3,
};

struct TestSettings {
    // 0 = synchronous transfers; otherwise the number of queued asynchronous requests (<= 39).
    uint32_t queueLength = 0;
    int unbuffered = 0;    // system caching off for the test file
    int quick = 0;         // only the selected product's block sizes
    int logfile = 0;       // write a log of the run
    int graphEnabled = 0;  // draw the throughput curve
    int notify = 0;        // ask before the read passes
    int showTimes = 0;     // clock times in the graph
    // Queued runs: every request transfers into a buffer of its own rather than all into the
    // start of the one transfer buffer (an option of the native program).
    int bufferPerRequest = 0;
    uint32_t powerUser = 0;
    int32_t dynaMaxY = 1050;  // graph full scale in tenths of MB/s
    KText tempFileName;       // temporary test file name, "KADRA.TMP" by default
    KText logPath;            // log folder, ends in a separator when not empty
    KText programFolder;      // folder of the program file, ends in a separator
    KText iniPath;            // programFolder + "KADRA.INI"
    int osFamily = 0;         // kOsFamilyNt or kOsFamily95; 0 until known
    int productIndex = 0;     // selected profile, a position in productTable
    // The selected profile's block sizes in bytes: video read, audio read, video write,
    // audio write (see SelectedBlockSize).
    uint32_t selectedBlockSizes[4] = {0, 0, 0, 0};
};

inline TestSettings testSettings;

}  // namespace kadra
