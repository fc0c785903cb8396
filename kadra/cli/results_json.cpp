#include "results_json.h"

#include <cmath>

namespace kadra {

namespace {

using json = nlohmann::ordered_json;

// JSON has no infinity or NaN: such a value (a limit of a stream without a rate, a rate of a
// transfer that took no measurable time) is null.
json Number(double value) {
    if (!std::isfinite(value)) return nullptr;
    return value;
}

json Stream(int32_t streams, double rate, uint32_t blockSize, double limitMs) {
    return {{"streams", streams},
            {"rateMBps", Number(rate)},
            {"blockSize", blockSize},
            {"limitMs", Number(limitMs)}};
}

json Product(const ProductProfile& p) {
    return {
        {"name", ToUtf8(p.name)},
        {"videoRead",
         Stream(p.videoReadStreams, p.videoReadRate, p.videoReadBlockSize, p.videoReadLimitMs)},
        {"audioRead",
         Stream(p.audioReadStreams, p.audioReadRate, p.audioReadBlockSize, p.audioReadLimitMs)},
        {"videoWrite",
         Stream(p.videoWriteStreams, p.videoWriteRate, p.videoWriteBlockSize, p.videoWriteLimitMs)},
        {"audioWrite",
         Stream(p.audioWriteStreams, p.audioWriteRate, p.audioWriteBlockSize, p.audioWriteLimitMs)},
    };
}

json Settings(const RunSettings& s) {
    return {
        {"command", s.command},
        {"title", s.title},
        {"path", s.path},
        {"sizeMB", s.sizeMB},
        {"queueLength", s.queueLength},
        {"caching", s.caching},
        {"bufferPerRequest", s.bufferPerRequest},
        {"quick", s.quick},
        {"powerUser", s.powerUser},
        {"physAddress", s.physAddress},
        {"product", Product(s.product)},
    };
}

json Block(const BlockRecord& b) {
    json points = json::array();
    for (const auto& [index, rate] : b.points)
        points.push_back(json::array({index, Number(rate)}));
    const auto figure = [&b](double v) { return b.finished ? Number(v) : json(nullptr); };
    return {
        {"pass", b.pass},
        {"blockSize", b.blockSize},
        {"finished", b.finished},
        {"averageMBps", figure(b.average)},
        {"averageBytesPerSecond", figure(b.average * kBytesPerSecondPerMBps)},
        {"minMBps", figure(b.minRate)},
        {"maxMBps", figure(b.maxRate)},
        {"sxMBps", figure(b.deviation)},
        {"hangs", b.hangs},
        {"pointCount", b.pointCount},
        {"points", std::move(points)},
    };
}

}  // namespace

json ResultsJson(const RunRecord& record) {
    json blocks = json::array();
    for (const BlockRecord& b : record.blocks())
        blocks.push_back(Block(b));
    json doc = {
        {"format", "kadra-results"},
        {"formatVersion", kResultsFormatVersion},
        {"version", record.settings().version},
        {"state", OutcomeName(record.outcome())},
        {"settings", Settings(record.settings())},
        {"blocks", std::move(blocks)},
        {"hangCount", record.hangCount()},
        {"report", record.report()},
    };
    const RunEvaluation& e = record.evaluation();
    if (e.showPlay || e.showRecord) {
        json usage = json::object();
        if (e.showPlay) usage["play"] = e.play;
        if (e.showRecord) usage["record"] = e.record;
        doc["usage"] = std::move(usage);
    }
    if (!e.verdict.empty()) doc["verdict"] = ToUtf8(e.verdict);
    return doc;
}

std::string ResultsJsonText(const RunRecord& record) {
    // One line: a run holds thousands of points. Invalid UTF-8 in a title or path (a file name
    // of another encoding) becomes U+FFFD rather than an exception.
    return ResultsJson(record).dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace kadra
