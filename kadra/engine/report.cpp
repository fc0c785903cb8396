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

KText ComposeReport() {
    KText text = L"Disk: " + runState.title + L"\r\n";
    text += Format("%lld MB file from/to ", static_cast<long long>(runState.sizeMB));
    if (runState.physAddress != 0)
        text += Format("phys. adr. %08x\r\n", static_cast<unsigned>(runState.physAddress));
    else
        text += L"main memory\r\n";
    if (testSettings.queueLength != 0)
        text += Format("async. access with command queue len %lu\r\n",
                       static_cast<unsigned long>(testSettings.queueLength));
    else
        text += L"synchronous access\r\n";
    if (testSettings.osFamily == kOsFamily95) text += L"Measurement INVALID on Win95 !!!\r\n";
    text += L"\r\n";
    text += L"Block | Read Lin | Read Rnd | Write Lin\r\n";
    text += L" kB   |  MB/sec  |  MB/sec  |  MB/sec  \r\n";
    text += L"------+----------+----------+-----------\r\n";

    const uint32_t* sizes = testSettings.selectedBlockSizes;
    double videoRead = 0.0, audioRead = 0.0, videoWrite = 0.0, audioWrite = 0.0;
    int found = 0;
    for (int k = 0; k < kSeriesSizes; ++k) {
        const uint32_t blockSize = 16384u << k;
        if (testSettings.quick && !IsSelectedBlockSize(blockSize)) continue;
        text += Format(" %4d | ", static_cast<int>(blockSize / 1024));

        const double linear = resultTable.readLinear[k];
        text += linear != 0.0 ? TenthsCell("%5lld.%lld  | ", linear) : KText(L"         | ");

        const double random = resultTable.readRandom[k];
        text += random != 0.0 ? TenthsCell("%5lld.%lld  | ", random) : KText(L"         | ");
        if (random != 0.0 && blockSize == sizes[kVideoReadBlock]) videoRead = random, ++found;
        if (random != 0.0 && blockSize == sizes[kAudioReadBlock]) audioRead = random, ++found;

        const double write = resultTable.writeLinear[k];
        if (write != 0.0) text += TenthsCell("%5lld.%lld", write);
        if (write != 0.0 && blockSize == sizes[kVideoWriteBlock]) videoWrite = write, ++found;
        if (write != 0.0 && blockSize == sizes[kAudioWriteBlock]) audioWrite = write, ++found;
        text += L"\r\n";
    }

    const ProductProfile& product = SelectedProduct();
    if (product.name == L"none") return text;

    const bool complete = !product.name.empty() && found == 4 && videoRead != 0.0 &&
                          audioRead != 0.0 && videoWrite != 0.0 && audioWrite != 0.0;
    const auto play = [&] {
        return Percent(product.videoReadStreams * product.videoReadRate / videoRead +
                       product.audioReadStreams * product.audioReadRate / audioRead);
    };
    const auto record = [&] {
        return Percent(product.videoWriteStreams * product.videoWriteRate / videoWrite +
                       product.audioWriteStreams * product.audioWriteRate / audioWrite);
    };
    uint32_t playUsage = 0;
    uint32_t recordUsage = 0;
    if (testSettings.powerUser) {
        if (testSettings.queueLength == 10 && complete) {
            playUsage = play();
            text +=
                Format("\r\nDisk average usage: PLAY %lu%%", static_cast<unsigned long>(playUsage));
        }
        if (testSettings.queueLength == 0 && complete) {
            recordUsage = record();
            text += Format("\r\nDisk average usage: RECORD %lu%%",
                           static_cast<unsigned long>(recordUsage));
        }
    } else if (complete && testSettings.queueLength == 10) {
        playUsage = play();
        recordUsage = record();
        text +=
            Format("\r\nDisk average usage: PLAY %lu%%, RECORD %lu%%",
                   static_cast<unsigned long>(playUsage), static_cast<unsigned long>(recordUsage));
    }

    if (playUsage != 0 || recordUsage != 0) {
        if (runState.hangCount != 0)
            text += L"\r\nDisk too slow for " + product.name +
                    Format(" (%lu 'hangs')", static_cast<unsigned long>(runState.hangCount));
        else if (playUsage < 65 && recordUsage < 65)
            text += L"\r\nDisk ok for " + product.name;
        else if (playUsage < 85 && recordUsage < 85)
            text += L"\r\nDisk near its limit for " + product.name;
        else
            text += L"\r\nDisk too slow for " + product.name;
    }
    return text;
}

void BuildReport() {
    ReplaceResults(ComposeReport());
}

}  // namespace kadra
