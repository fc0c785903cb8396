// The start commands of the three tests and the run of a disk or file test: inputs read and
// corrected, free space checked, the passes run in order, the temporary file deleted.
#pragma once

#include <cstdint>

#include "ktext.h"

namespace kadra {

enum class RunOutcome {
    Completed,   // every pass ran (a pass may have been left out by the notify option)
    Stopped,     // the stop request ended the run
    Failed,      // a pass failed (its line is in the results text), or data errors were found
    NotStarted,  // bad input, missing file or too little free space (a line tells why)
    Refused,     // a run is in progress already (nothing happened), or the test file name of
                 // KADRA.INI is no plain file name (a line tells so; nothing was created)
};

// The texts of a test page's fields, as the user entered them.
struct StartInputs {
    KText drive;        // disk or data test: the drive letter
    KText size;         // disk or data test: size of the temporary file in MB
    KText phys;         // physical address of the transfer buffer, hexadecimal; 0 = main memory
    KText queueLength;  // 0 = synchronous; else the number of queued requests
    KText description;  // disk test: the title of the run
    KText fileName;     // file test: the file to read
    // The folder that plays the drive's root folder (ending in a separator); empty: the root of
    // the drive letter, "x:\". With a folder the drive field is not read.
    KText rootFolder;
};

// What RunTestSeries runs on.
struct SeriesRequest {
    uint32_t driveNumber = 0;  // 0 = A:; 0 also marks the file test
    KText path;                // the test file
    uint64_t size = 0;         // bytes, a multiple of 2 MiB
    uint32_t physAddress = 0;
    KText description;  // title of a disk test
    KText rootFolder;   // where the free space is read
    KText driveName;    // the drive as the free-space message names it ("R:")
};

// Input rules. Each returns false when the text does not start with what it needs.
// A decimal number as "%ld" reads it (blanks, a sign, digits), within the 32-bit range.
bool ReadDecimalNumber(const KText& text, int64_t* value);
// Size in MB: a decimal number, its lowest bit cleared, at least 4.
bool ReadSizeMB(const KText& text, int64_t* sizeMB);
// Drive number (0 = A:) from the first character, any case.
bool ReadDriveNumber(const KText& text, uint32_t* driveNumber);
// Physical address: a hexadecimal number.
bool ReadPhysAddress(const KText& text, uint32_t* physAddress);
// testSettings.queueLength from a decimal text: unchanged when the text holds no number, 39 for
// values of 40 and more however large (and negative ones).
void ReadQueueLength(const KText& text);
// The part of a file size a file test uses: whole 2 MiB pieces.
uint64_t FileTestSize(uint64_t fileBytes);

RunOutcome DiskTestCommand(const StartInputs& inputs);
RunOutcome FileTestCommand(const StartInputs& inputs);
RunOutcome DataTestCommand(const StartInputs& inputs);

// One disk or file test run: the write pass (not for a file test), the linear and the random
// read, each only while no stop was requested.
RunOutcome RunTestSeries(const SeriesRequest& request);

}  // namespace kadra
