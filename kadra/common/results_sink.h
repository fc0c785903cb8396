// The seam that shows the results text: the window's output box, or the native program.
#pragma once

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

}  // namespace kadra
