#include "report.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "graph.h"
#include "host.h"
#include "product_profile.h"
#include "result_table.h"
#include "results_text.h"
#include "run_state.h"
#include "test_log.h"
#include "test_settings.h"

namespace kadra {
namespace {

constexpr int kSeriesSizes = 8;  // 16 KiB to 2 MiB

// trunc(v) as a whole number, held within 64 bits (NaN counts as 0).
int64_t Whole(double v) {
    if (!(v == v)) return 0;
    if (v >= 9.2e18) return INT64_MAX;
    if (v <= -9.2e18) return INT64_MIN;
    return static_cast<int64_t>(v);
}

// The first decimal of v, truncated: trunc(10 v) - 10 trunc(v).
int64_t FirstDecimal(double v) {
    const int64_t tenths = Whole(v * 10.0);
    const int64_t whole = Whole(v);
    if (whole > INT64_MAX / 10 || whole < INT64_MIN / 10) return 0;
    return tenths - 10 * whole;
}

// A usage in percent: trunc((x + 0.005) * 100) as an unsigned 32-bit number.
uint32_t Percent(double share) {
    const double percent = (share + 0.005) * 100.0;
    if (!(percent > 0.0)) return 0;
    if (percent >= 4294967295.0) return 4294967295u;
    return static_cast<uint32_t>(percent);
}

KText Format(const char* format, auto... args) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return FromAscii(buffer);
}

KText TenthsCell(const char* format, double v) {
    return Format(format, static_cast<long long>(Whole(v)),
                  static_cast<long long>(FirstDecimal(v)));
}

bool IsSelectedBlockSize(uint32_t blockSize) {
    for (uint32_t size : testSettings.selectedBlockSizes)
        if (size == blockSize) return true;
    return false;
}

// The header: disk and file, buffer, access mode, a warning for old systems, the table head.
KText ReportHeader() {
    KText text = L"Disk: " + runState.title + L"\r\n";
    text += Format("%lld MB file from/to ", static_cast<long long>(runState.sizeMB));
    if (runState.physAddress != 0)
        text += Format("phys. adr. %08x\r\n", static_cast<unsigned>(runState.physAddress));
    else
        text += L"main memory\r\n";
    if (testSettings.queueLength != 0) {
        text += Format("async. access with command queue len %lu\r\n",
                       static_cast<unsigned long>(testSettings.queueLength));
        if (testSettings.bufferPerRequest) text += L"a buffer of its own for every request\r\n";
    } else {
        text += L"synchronous access\r\n";
    }
    if (testSettings.osFamily == kOsFamily95) text += L"Measurement INVALID on Win95 !!!\r\n";
    text += L"\r\n";
    text += L"Block | Read Lin | Read Rnd | Write Lin\r\n";
    text += L" kB   |  MB/sec  |  MB/sec  |  MB/sec  \r\n";
    text += L"------+----------+----------+-----------\r\n";
    return text;
}

// The measured values at the product's four block sizes, taken while the rows are written, and
// how many of them were found.
struct StreamValues {
    double videoRead = 0.0;
    double audioRead = 0.0;
    double videoWrite = 0.0;
    double audioWrite = 0.0;
    int found = 0;
};

// Takes a measured value when its block size is the one a stream uses.
void TakeStreamValue(double measured, uint32_t blockSize, uint32_t streamBlockSize, double& value,
                     int& found) {
    if (measured != 0.0 && blockSize == streamBlockSize) {
        value = measured;
        ++found;
    }
}

// The table row of block-size index k (MB/s of the three passes; blank where not measured).
KText ReportRow(int k, StreamValues& taken) {
    const uint32_t blockSize = 16384u << k;
    const uint32_t* sizes = testSettings.selectedBlockSizes;
    KText row = Format(" %4d | ", static_cast<int>(blockSize / 1024));

    const double linear = resultTable.readLinear[k];
    row += linear != 0.0 ? TenthsCell("%5lld.%lld  | ", linear) : KText(L"         | ");

    const double random = resultTable.readRandom[k];
    row += random != 0.0 ? TenthsCell("%5lld.%lld  | ", random) : KText(L"         | ");
    TakeStreamValue(random, blockSize, sizes[kVideoReadBlock], taken.videoRead, taken.found);
    TakeStreamValue(random, blockSize, sizes[kAudioReadBlock], taken.audioRead, taken.found);

    const double write = resultTable.writeLinear[k];
    if (write != 0.0) row += TenthsCell("%5lld.%lld", write);
    TakeStreamValue(write, blockSize, sizes[kVideoWriteBlock], taken.videoWrite, taken.found);
    TakeStreamValue(write, blockSize, sizes[kAudioWriteBlock], taken.audioWrite, taken.found);
    return row + L"\r\n";
}

using DiskUsage = RunEvaluation;

uint32_t PlayUsage(const ProductProfile& product, const StreamValues& taken) {
    return Percent(product.videoReadStreams * product.videoReadRate / taken.videoRead +
                   product.audioReadStreams * product.audioReadRate / taken.audioRead);
}

uint32_t RecordUsage(const ProductProfile& product, const StreamValues& taken) {
    return Percent(product.videoWriteStreams * product.videoWriteRate / taken.videoWrite +
                   product.audioWriteStreams * product.audioWriteRate / taken.audioWrite);
}

// Power users see playback after a run with queue length 10 and recording after a synchronous
// run; other users see both after a run with queue length 10. Nothing without all four values.
DiskUsage ComputeUsage(const ProductProfile& product, const StreamValues& taken) {
    DiskUsage usage;
    const bool complete = !product.name.empty() && taken.found == 4 && taken.videoRead != 0.0 &&
                          taken.audioRead != 0.0 && taken.videoWrite != 0.0 &&
                          taken.audioWrite != 0.0;
    if (!complete) return usage;
    if (testSettings.powerUser) {
        usage.showPlay = testSettings.queueLength == 10;
        usage.showRecord = testSettings.queueLength == 0;
    } else {
        usage.showPlay = usage.showRecord = testSettings.queueLength == 10;
    }
    if (usage.showPlay) usage.play = PlayUsage(product, taken);
    if (usage.showRecord) usage.record = RecordUsage(product, taken);
    return usage;
}

KText UsageLine(const DiskUsage& usage) {
    const auto percent = [](uint32_t value) { return static_cast<unsigned long>(value); };
    if (usage.showPlay && usage.showRecord)
        return Format("\r\nDisk average usage: PLAY %lu%%, RECORD %lu%%", percent(usage.play),
                      percent(usage.record));
    if (usage.showPlay) return Format("\r\nDisk average usage: PLAY %lu%%", percent(usage.play));
    if (usage.showRecord)
        return Format("\r\nDisk average usage: RECORD %lu%%", percent(usage.record));
    return KText();
}

// The verdict on the shown usage; none while both usages are 0.
KText VerdictLine(const ProductProfile& product, const DiskUsage& usage) {
    if (usage.play == 0 && usage.record == 0) return KText();
    if (runState.hangCount != 0)
        return L"\r\nDisk too slow for " + product.name +
               Format(" (%lu 'hangs')", static_cast<unsigned long>(runState.hangCount));
    if (usage.play < 65 && usage.record < 65) return L"\r\nDisk ok for " + product.name;
    if (usage.play < 85 && usage.record < 85) return L"\r\nDisk near its limit for " + product.name;
    return L"\r\nDisk too slow for " + product.name;
}

}  // namespace

double BlockDeviation(double average) {
    const double n = graphState.pointCount;
    if (graphState.pointCount < 2) return 0.0;
    const double variance = (graphState.sumOfSquares - average * average * n) / (n - 1.0);
    // Rounding can leave a tiny negative remainder for a perfectly even curve.
    if (!(variance > 0.0)) return 0.0;
    return std::sqrt(variance);
}

KText BlockStatisticsLine(uint32_t blockSize, double average) {
    const double sx = BlockDeviation(average);
    const auto whole = [](double v) { return static_cast<long long>(Whole(v)); };
    const auto decimal = [](double v) { return static_cast<long long>(FirstDecimal(v)); };
    return Format("%lld kB: min=%lld.%lld  max=%lld.%lld  average=%lld.%lld  Sx=%lld.%lld",
                  static_cast<long long>(blockSize / 1024), whole(graphState.minRate),
                  decimal(graphState.minRate), whole(graphState.maxRate),
                  decimal(graphState.maxRate), whole(average), decimal(average), whole(sx),
                  decimal(sx));
}

void BlockSummary(uint32_t blockSize, double average, const KText& label) {
    TellBlockFinished(BlockFinish{label, blockSize, average, graphState.minRate, graphState.maxRate,
                                  BlockDeviation(average), graphState.pointCount});
    if (testSettings.queueLength == 0) {
        GraphSetColour(kGraphGreen);
        const uint32_t n = graphState.pointCount;
        const uint32_t low = GraphValue(graphState.minRate);
        const uint32_t high = GraphValue(graphState.maxRate);
        GraphMoveTo(0, low);
        GraphLineTo(n, low);
        GraphMoveTo(0, high);
        GraphLineTo(n, high);
        CurrentGraphCanvas().ShowCurveText(BlockStatisticsLine(blockSize, average));
    }
    GraphEnd();
    if (testSettings.graphEnabled) {
        if (runState.log) {
            AddTextToLog(Format("%lu kB block, ", static_cast<unsigned long>(blockSize / 1024)) +
                             label + L":\n",
                         kLogHeading);
            AddWindowImageToLog(LogWindow::Graph);
            AddTextToLog(L"\n\n", kLogPlain);
        }
        CurrentGraphCanvas().HoldCurve(2000);
    }
}

namespace {

// The table rows, collecting the values the usage needs.
KText ReportRows(StreamValues& taken) {
    KText rows;
    for (int k = 0; k < kSeriesSizes; ++k) {
        const uint32_t blockSize = 16384u << k;
        if (testSettings.quick && !IsSelectedBlockSize(blockSize)) continue;
        rows += ReportRow(k, taken);
    }
    return rows;
}

}  // namespace

RunEvaluation EvaluateRun() {
    StreamValues taken;
    ReportRows(taken);
    const ProductProfile& product = SelectedProduct();
    if (product.name == L"none") return {};
    RunEvaluation evaluation = ComputeUsage(product, taken);
    evaluation.verdict = VerdictLine(product, evaluation);
    if (evaluation.verdict.rfind(L"\r\n", 0) == 0) evaluation.verdict.erase(0, 2);
    return evaluation;
}

KText ComposeReport() {
    StreamValues taken;
    KText text = ReportHeader() + ReportRows(taken);
    const ProductProfile& product = SelectedProduct();
    if (product.name == L"none") return text;
    const DiskUsage usage = ComputeUsage(product, taken);
    return text + UsageLine(usage) + VerdictLine(product, usage);
}

void BuildReport() {
    ReplaceResults(ComposeReport());
}

}  // namespace kadra
