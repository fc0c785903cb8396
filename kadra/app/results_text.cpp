#include "results_text.h"

namespace kadra {
namespace {

NullResultsSink nullSink;
ResultsSink* sink = &nullSink;
KText resultsText;

}  // namespace

void InstallResultsSink(ResultsSink* newSink) {
    sink = newSink ? newSink : &nullSink;
}

void ClearResults() {
    resultsText.clear();
    sink->ShowResults(resultsText, false);
}

void AppendResultLine(const KText& text) {
    resultsText += text;
    resultsText += L"\r\n";
    sink->ShowResults(resultsText, true);
}

void ReplaceResults(const KText& text) {
    resultsText = text;
    sink->ShowResults(resultsText, false);
}

const KText& ResultsText() {
    return resultsText;
}

}  // namespace kadra
