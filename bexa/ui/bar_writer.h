// BarWriter: the thread that writes the BAR space window's value into the selected words of a
// memory region, once or every 100 ms while the loop runs.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace bexa {

// The window's write options, shared with every writer it starts. The window changes them at
// any time; a writer sees a change at its next word or pass.
class WriterOptions {
  public:
    std::atomic<bool> toggle{false};
    std::atomic<bool> count{false};
    std::atomic<bool> verify{false};

    bool loopRunning() const { return loopRunning_.load(); }
    // Sets or clears loop running; clearing it wakes every writer waiting between passes, and
    // each of them ends.
    void setLoopRunning(bool running);
    // Waits up to `milliseconds` or until loop running is cleared; true = still running.
    bool waitWhileRunning(int milliseconds);

  private:
    std::atomic<bool> loopRunning_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
};

// The value written into word i of a pass, from the pattern counter c and toggle mask t.
inline uint32_t PatternValue(uint32_t writeValue, uint32_t c, uint32_t t) {
    return ((c & 0xFFFFu) * 0x10001u + writeValue) ^ t;
}

class BarWriter {
  public:
    // Starts the thread. `words` is a view that holds at least `first + count` words; the view
    // must stay valid until the writer has been joined.
    BarWriter(WriterOptions& options, volatile uint32_t* words, uint32_t first, uint32_t count,
              uint32_t writeValue);
    ~BarWriter();  // joins
    BarWriter(const BarWriter&) = delete;
    BarWriter& operator=(const BarWriter&) = delete;

    bool finished() const { return finished_.load(); }
    // Passes run so far, and whether every verified pass read back what it wrote.
    uint32_t passes() const { return passes_.load(); }
    bool allVerified() const { return allVerified_.load(); }

  private:
    void run();

    WriterOptions& options_;
    volatile uint32_t* words_;
    uint32_t first_;
    uint32_t count_;
    uint32_t writeValue_;
    std::atomic<uint32_t> passes_{0};
    std::atomic<bool> allVerified_{true};
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

}  // namespace bexa
