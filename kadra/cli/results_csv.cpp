#include "results_csv.h"

#include <charconv>
#include <cmath>
#include <iterator>

namespace kadra {

const char* const kResultsCsvColumns[] = {
    "state",
    "command",
    "title",
    "product",
    "queue_length",
    "caching",
    "pass",
    "block_size",
    "finished",
    "average_mbps",
    "average_bytes_per_second",
    "min_mbps",
    "max_mbps",
    "sx_mbps",
    "hangs",
    "point_count",
    "points_plotted",
};

namespace {

// The shortest text that reads back as the same double; empty when it is not finite.
std::string Number(double value) {
    if (!std::isfinite(value)) return "";
    char text[40];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

}  // namespace

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string ResultsCsvText(const RunRecord& record) {
    std::string out;
    for (size_t i = 0; i < std::size(kResultsCsvColumns); ++i) {
        if (i != 0) out += ',';
        out += kResultsCsvColumns[i];
    }
    out += "\r\n";
    const RunSettings& s = record.settings();
    const std::string run = CsvField(OutcomeName(record.outcome())) + "," + CsvField(s.command) +
                            "," + CsvField(s.title) + "," + CsvField(ToUtf8(s.product.name)) + "," +
                            std::to_string(s.queueLength) + "," + (s.caching ? "1" : "0");
    for (const BlockRecord& b : record.blocks()) {
        const auto figure = [&b](double v) { return b.finished ? Number(v) : std::string(); };
        out += run + "," + CsvField(b.pass) + "," + std::to_string(b.blockSize) + "," +
               (b.finished ? "1" : "0") + "," + figure(b.average) + "," +
               figure(b.average * kBytesPerSecondPerMBps) + "," + figure(b.minRate) + "," +
               figure(b.maxRate) + "," + figure(b.deviation) + "," + std::to_string(b.hangs) + "," +
               std::to_string(b.pointCount) + "," + std::to_string(b.points.size()) + "\r\n";
    }
    return out;
}

}  // namespace kadra
