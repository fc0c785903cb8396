#include "results_text.h"

#include "host.h"

namespace kadra {
namespace {

KText resultsText;

}  // namespace

void ClearResults() {
    resultsText.clear();
    CurrentResultsSink().ShowResults(resultsText, false);
}

void AppendResultLine(const KText& text) {
    resultsText += text;
    resultsText += L"\r\n";
    CurrentResultsSink().ShowResults(resultsText, true);
}

void ReplaceResults(const KText& text) {
    resultsText = text;
    CurrentResultsSink().ShowResults(resultsText, false);
}

const KText& ResultsText() {
    return resultsText;
}

std::string ResultsAsUtf8Lines(const KText& text) {
    KText lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
        lines.push_back(text[i]);
    }
    return ToUtf8(lines);
}

}  // namespace kadra
