// What a disk or file test run measured, kept for the result files of the native program: the
// run's settings, every block size of every pass with its figures and its plotted points, the
// usage and verdict, and how the run ended. Filled from the engine's host calls.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host_calls.h"
#include "ktext.h"
#include "product_profile.h"
#include "report.h"
#include "run_control.h"

namespace kadra {

// Kadra's MB/s is bytes / ms / 1048: this many bytes per second.
inline constexpr double kBytesPerSecondPerMBps = 1048000.0;

struct RunSettings {
    std::string command;  // "disk" or "file"
    ProductProfile product;
    uint32_t queueLength = 0;
    bool caching = false;  // system caching of the test file (off = O_DIRECT)
    bool bufferPerRequest = false;
    bool quick = false;
    bool powerUser = false;
    uint32_t physAddress = 0;
    int64_t sizeMB = 0;
    std::string path;   // the test file
    std::string title;  // the report's "Disk:" line
    std::string version;
};

// One block size of one pass.
struct BlockRecord {
    std::string pass;  // the pass's label ("read linear synchronous")
    uint32_t blockSize = 0;
    // The block size ran to its end; else it was stopped or failed and only its points count.
    bool finished = false;
    double average = 0.0;  // MB/s; the figures are those of the finished block
    double minRate = 0.0;
    double maxRate = 0.0;
    double deviation = 0.0;   // Sx
    uint32_t pointCount = 0;  // points across the curve
    uint32_t hangs = 0;       // plotted points marked as too slow
    // Plotted points: (point index, MB/s), in plotting order.
    std::vector<std::pair<uint32_t, double>> points;
};

class RunRecord {
  public:
    // The host calls of a run, in the order the engine makes them; `pointCount` is the number of
    // points of the current curve (graphState.pointCount).
    void BlockStarted(const KText& pass, uint32_t blockSize);
    void PointPlotted(uint32_t index, double megabytesPerSecond, bool hang, uint32_t pointCount);
    void BlockFinished(const BlockFinish& finish);

    // After the run: how it ended, its settings, the usage and verdict, the report and the
    // run's hang count as the verdict counts it.
    void Finish(RunOutcome outcome, RunSettings settings, RunEvaluation evaluation,
                std::string report, uint32_t hangCount);

    const std::vector<BlockRecord>& blocks() const { return blocks_; }
    RunOutcome outcome() const { return outcome_; }
    const RunSettings& settings() const { return settings_; }
    const RunEvaluation& evaluation() const { return evaluation_; }
    const std::string& report() const { return report_; }
    uint32_t hangCount() const { return hangCount_; }

  private:
    // The block that points go to; a point without a started block opens an unnamed one.
    BlockRecord& Current();

    std::vector<BlockRecord> blocks_;
    RunOutcome outcome_ = RunOutcome::NotStarted;
    RunSettings settings_;
    RunEvaluation evaluation_;
    std::string report_;
    uint32_t hangCount_ = 0;
};

// The state word of an outcome: "completed", "stopped", "failed" or "not started".
const char* OutcomeName(RunOutcome outcome);

// The settings of the run just made, from testSettings, runState and the selected product;
// `command` and `path` are the caller's.
RunSettings CurrentRunSettings(const std::string& command, const std::string& path);

}  // namespace kadra
