#include "clock.h"

#include <chrono>
#include <ctime>

namespace kadra {

namespace {

class SteadyClock : public Clock {
  public:
    double NowMs() override {
        auto now = std::chrono::steady_clock::now().time_since_epoch();
        return std::chrono::duration<double, std::milli>(now).count();
    }
};

}  // namespace

Clock& SystemClock() {
    static SteadyClock clock;
    return clock;
}

ClockTime SystemTimeOfDay() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (!local) return {};
    return {local->tm_hour, local->tm_min, local->tm_sec};
}

}  // namespace kadra
