// The results of a run as JSON for scripts (docs/kadra-results.schema.json describes it).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "run_record.h"

namespace kadra {

// The format's version: raised when a member changes its meaning or goes.
inline constexpr int kResultsFormatVersion = 1;

nlohmann::ordered_json ResultsJson(const RunRecord& record);

// The document as written: one line, ending in a line break.
std::string ResultsJsonText(const RunRecord& record);

}  // namespace kadra
