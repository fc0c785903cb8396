// Time for the passes: a clock seam (milliseconds from a fixed origin, sub-millisecond
// resolution) and the stopwatches built on it.
#pragma once

namespace kadra {

class Clock {
  public:
    virtual ~Clock() = default;
    // The current time in milliseconds from a fixed origin; only differences are used.
    virtual double NowMs() = 0;
};

// The monotonic high-resolution clock of the system.
Clock& SystemClock();

// The clock the passes use: the system clock unless a test installed another.
Clock& CurrentClock();
// Installs `clock` as the current clock (nullptr: the system clock again).
void InstallClock(Clock* clock);

// One stopwatch: restarted at creation and by Restart, ElapsedMs gives the milliseconds since.
class Stopwatch {
  public:
    explicit Stopwatch(Clock& clock) : clock_(clock), start_(clock.NowMs()) {}
    void Restart() { start_ = clock_.NowMs(); }
    double ElapsedMs() const { return clock_.NowMs() - start_; }

  private:
    Clock& clock_;
    double start_;
};

}  // namespace kadra
