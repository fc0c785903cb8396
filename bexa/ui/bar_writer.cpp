#include "bar_writer.h"

#include <chrono>

namespace bexa {

void WriterOptions::setLoopRunning(bool running) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        loopRunning_.store(running);
    }
    changed_.notify_all();
}

bool WriterOptions::waitWhileRunning(int milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                      [this] { return !loopRunning_.load(); });
    return loopRunning_.load();
}

BarWriter::BarWriter(WriterOptions& options, volatile uint32_t* words, uint32_t first,
                     uint32_t count, uint32_t writeValue)
    : options_(options),
      words_(words),
      first_(first),
      count_(count),
      writeValue_(writeValue),
      thread_([this] { run(); }) {}

BarWriter::~BarWriter() {
    if (thread_.joinable()) thread_.join();
}

void BarWriter::run() {
    uint32_t c = 0;
    uint32_t t = 0;
    std::vector<uint32_t> expected(count_);
    bool verified = true;
    for (;;) {
        // Decided once per pass, so that the check compares only values this pass stored.
        bool verify = options_.verify.load();
        for (uint32_t k = 0; k < count_; ++k) {
            uint32_t value = PatternValue(writeValue_, c, t);
            words_[first_ + k] = value;
            expected[k] = value;
            if (options_.toggle.load()) t = ~t;
            if (options_.count.load()) ++c;
        }
        if (verify) {
            for (uint32_t k = 0; k < count_; ++k) {
                if (words_[first_ + k] != expected[k]) verified = false;
            }
            if (!verified) allVerified_.store(false);
        }
        passes_.fetch_add(1);
        if (!options_.loopRunning()) break;
        if (!options_.waitWhileRunning(100) || !verified) break;
    }
    finished_.store(true);
}

}  // namespace bexa
