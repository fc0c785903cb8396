// Interval timing for the passes, on a clock of the host (clock.h).
#pragma once

#include "clock.h"

namespace kadra {

// Restarted at creation and by Restart; ElapsedMs gives the milliseconds since.
class IntervalTimer {
  public:
    explicit IntervalTimer(Clock& clock) : clock_(clock), start_(clock.NowMs()) {}
    void Restart() { start_ = clock_.NowMs(); }
    double ElapsedMs() const { return clock_.NowMs() - start_; }

  private:
    Clock& clock_;
    double start_;
};

}  // namespace kadra
