// What the user reads after each block size: the statistics line of a finished curve and the
// results report (header, table of MB/s per block size, disk usage and verdict).
#pragma once

#include <cstdint>

#include "ktext.h"

namespace kadra {

// Closes one block size of a pass: for a synchronous run draws the minimum and maximum lines and
// shows "<kB> kB: min=... max=... average=... Sx=..." under the graph; ends the drawing; with the
// graph on, copies it into an open log and keeps the curve in view for 2 s.
void BlockSummary(uint32_t blockSize, double average, const KText& label);

// The disk's average usage in percent for playback and recording as the report shows it (a
// usage can be shown and still be 0), and the verdict line without its line break ("Disk ok
// for ..."; empty when the report has none).
struct RunEvaluation {
    uint32_t play = 0;
    uint32_t record = 0;
    bool showPlay = false;
    bool showRecord = false;
    KText verdict;
};

// The usage and verdict of the measured values in resultTable for the selected product; all
// empty for the product "none" or while a value the usage needs is missing.
RunEvaluation EvaluateRun();

// Rewrites the whole results text from resultTable, runState, testSettings and the selected
// product (ReplaceResults).
void BuildReport();

// The report text as BuildReport shows it.
KText ComposeReport();

// The statistics line of a block size, from graphState and the pass's average.
KText BlockStatisticsLine(uint32_t blockSize, double average);

// The standard deviation of the plotted points around the pass's average; 0.0 when it is not
// defined (fewer than two points).
double BlockDeviation(double average);

}  // namespace kadra
