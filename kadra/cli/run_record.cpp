#include "run_record.h"

#include "bk_version.h"
#include "run_state.h"
#include "test_settings.h"

namespace kadra {

void RunRecord::BlockStarted(const KText& pass, uint32_t blockSize) {
    BlockRecord block;
    block.pass = ToUtf8(pass);
    block.blockSize = blockSize;
    blocks_.push_back(std::move(block));
}

BlockRecord& RunRecord::Current() {
    if (blocks_.empty() || blocks_.back().finished) blocks_.emplace_back();
    return blocks_.back();
}

void RunRecord::PointPlotted(uint32_t index, double megabytesPerSecond, bool hang,
                             uint32_t pointCount) {
    BlockRecord& block = Current();
    block.points.emplace_back(index, megabytesPerSecond);
    if (hang) ++block.hangs;
    block.pointCount = pointCount;
}

void RunRecord::BlockFinished(const BlockFinish& finish) {
    const std::string pass = ToUtf8(finish.pass);
    // The curve the points went to, unless the engine finished a block it never started.
    if (blocks_.empty() || blocks_.back().finished || blocks_.back().pass != pass ||
        blocks_.back().blockSize != finish.blockSize) {
        BlockRecord block;
        block.pass = pass;
        block.blockSize = finish.blockSize;
        blocks_.push_back(std::move(block));
    }
    BlockRecord& block = blocks_.back();
    block.finished = true;
    block.average = finish.average;
    block.minRate = finish.minRate;
    block.maxRate = finish.maxRate;
    block.deviation = finish.deviation;
    block.pointCount = finish.points;
}

void RunRecord::Finish(RunOutcome outcome, RunSettings settings, RunEvaluation evaluation,
                       std::string report, uint32_t hangCount) {
    outcome_ = outcome;
    settings_ = std::move(settings);
    evaluation_ = std::move(evaluation);
    report_ = std::move(report);
    hangCount_ = hangCount;
}

const char* OutcomeName(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Completed:
            return "completed";
        case RunOutcome::Stopped:
            return "stopped";
        case RunOutcome::Failed:
            return "failed";
        case RunOutcome::NotStarted:
        case RunOutcome::Refused:
        default:
            return "not started";
    }
}

RunSettings CurrentRunSettings(const std::string& command, const std::string& path) {
    RunSettings s;
    s.command = command;
    s.product = SelectedProduct();
    s.queueLength = testSettings.queueLength;
    s.caching = testSettings.unbuffered == 0;
    s.bufferPerRequest = testSettings.bufferPerRequest != 0;
    s.quick = testSettings.quick != 0;
    s.powerUser = testSettings.powerUser != 0;
    s.physAddress = runState.physAddress;
    s.sizeMB = runState.sizeMB;
    s.path = path;
    s.title = ToUtf8(runState.title);
    s.version = BK_VERSION_TEXT;
    return s;
}

}  // namespace kadra
