// The three throughput passes of a disk or file test: linear write, linear read and random
// read over the whole file at every block size of the series.
#pragma once

#include <cstdint>

#include "ktext.h"

namespace kadra {

// How a pass ended.
enum class PassOutcome {
    Finished,  // every selected block size measured
    Skipped,   // the pass did nothing (the random read with the notify option)
    Stopped,   // the stop request ended it
    Failed,    // no buffer, no file, no request queue, or a transfer failed: a line tells why
    Refused,   // the file's name exists and is not a regular file: left alone, a line tells so
};

// Each appends a line to the results text when it fails and gives that line in failureLine.
// The write pass creates the file (test_file.h); `created`, when given, tells whether it did,
// whatever happened after: the run deletes the file at its end then, and only then.
PassOutcome WriteLinearPass(const KText& path, uint64_t fileSize, uint32_t physAddress,
                            KText* failureLine = nullptr, bool* created = nullptr);
PassOutcome ReadLinearPass(const KText& path, uint64_t fileSize, uint32_t physAddress,
                           KText* failureLine = nullptr);
PassOutcome ReadRandomPass(const KText& path, uint64_t fileSize, uint32_t physAddress,
                           KText* failureLine = nullptr);

}  // namespace kadra
