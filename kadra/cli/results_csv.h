// The results of a run as CSV for spreadsheets and scripts: a header line, then one row per
// pass and block size (docs/kadra-cli.md lists the columns). Lines end in "\r\n" (RFC 4180).
#pragma once

#include <string>

#include "run_record.h"

namespace kadra {

// The header line's column names, in order.
extern const char* const kResultsCsvColumns[];

std::string ResultsCsvText(const RunRecord& record);

// A field as CSV holds it: quoted when it contains a comma, a quote or a line break.
std::string CsvField(const std::string& text);

}  // namespace kadra
