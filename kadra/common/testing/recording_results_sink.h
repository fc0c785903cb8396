// A results sink that keeps every text it was asked to show, for tests.
#pragma once

#include <vector>

#include "ktext.h"
#include "results_sink.h"

namespace kadra {

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

}  // namespace kadra
