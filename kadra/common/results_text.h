// The results text: what the output box shows. Tests and passes write lines into it; the report
// replaces it as a whole. The host's results sink shows it.
#pragma once

#include <string>

#include "ktext.h"
#include "results_sink.h"

namespace kadra {

// Empties the results text and shows it.
void ClearResults();

// Appends the text and "\r\n", shows the whole text scrolled to its end.
void AppendResultLine(const KText& text);

// Replaces the whole text and shows it without scrolling (the report).
void ReplaceResults(const KText& text);

// The results text as it stands.
const KText& ResultsText();

// A text of the results (lines ending in "\r\n") as UTF-8 with "\n" line ends, for a terminal or
// a text file of the native program.
std::string ResultsAsUtf8Lines(const KText& text);

}  // namespace kadra
