// The clocks of a run: a monotonic clock in milliseconds (sub-millisecond resolution) that the
// passes measure with, and the local time of day that the graph writes.
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

// Local time of day for the clock texts of the graph.
struct ClockTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
};
using GraphClock = ClockTime (*)();

// The system's local time of day.
ClockTime SystemTimeOfDay();

}  // namespace kadra
