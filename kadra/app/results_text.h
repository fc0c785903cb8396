// The results text: what the output box shows. Tests and passes write lines into it; the report
// replaces it as a whole. A sink shows it (the window's output box, or the native program).
#pragma once

#include <string>
#include <vector>

#include "ktext.h"

namespace kadra {

class ResultsSink {
  public:
    virtual ~ResultsSink() = default;
    // Shows the whole text, lines ending in "\r\n". With scrollToEnd the end of the text is
    // brought into view. The window's sink then dispatches pending messages, so a running test
    // stays responsive at every output line.
    virtual void ShowResults(const KText& text, bool scrollToEnd) = 0;
};

// Sink that keeps nothing: the results text itself is always kept by ResultsText().
class NullResultsSink : public ResultsSink {
  public:
    void ShowResults(const KText&, bool) override {}
};

// Sink that keeps every text it was asked to show, for tests.
class RecordingResultsSink : public ResultsSink {
  public:
    struct Shown {
        KText text;
        bool scrollToEnd;
    };
    void ShowResults(const KText& text, bool scrollToEnd) override {
        shown.push_back({text, scrollToEnd});
    }
    std::vector<Shown> shown;
};

// The sink that shows the results; null installs the null sink. Not owned.
void InstallResultsSink(ResultsSink* sink);

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
