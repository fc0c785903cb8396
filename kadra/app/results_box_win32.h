// The results text shown in the dialog's output box (control 14).
#pragma once

#include <windows.h>

#include "results_sink.h"
#include "vorlu.h"

namespace kadra {

// Capacity of the output box's text, terminating zero included.
inline constexpr size_t kResultsBoxCapacity = 32768;

class ResultsBox : public ResultsSink {
  public:
    explicit ResultsBox(XDIALOG* dialog) : dialog_(dialog) {}
    // Sets the box's text (its last kResultsBoxCapacity - 1 characters when longer); with
    // scrollToEnd scrolls the box down by 1000 lines so the end shows. Then dispatches
    // pending messages.
    void ShowResults(const KText& text, bool scrollToEnd) override;

  private:
    XDIALOG* dialog_;
};

}  // namespace kadra
