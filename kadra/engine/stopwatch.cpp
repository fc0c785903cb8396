#include "stopwatch.h"

#include <chrono>

namespace kadra {

namespace {

class SteadyClock : public Clock {
  public:
    double NowMs() override {
        auto now = std::chrono::steady_clock::now().time_since_epoch();
        return std::chrono::duration<double, std::milli>(now).count();
    }
};

Clock* installedClock = nullptr;

}  // namespace

Clock& SystemClock() {
    static SteadyClock clock;
    return clock;
}

Clock& CurrentClock() {
    return installedClock ? *installedClock : SystemClock();
}

void InstallClock(Clock* clock) {
    installedClock = clock;
}

}  // namespace kadra
