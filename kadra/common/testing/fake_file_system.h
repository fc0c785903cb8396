// A deterministic stand-in for the file seam and the clock, for tests: files in memory, every
// transfer advancing a fake clock by a scripted duration, scripted byte counts and failures,
// and a record of what was asked.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "clock.h"
#include "test_file.h"

namespace kadra {

// A clock that moves only when told.
class FakeClock : public Clock {
  public:
    double NowMs() override { return now; }
    void Advance(double ms) { now += ms; }
    double now = 1000.0;
};

// One transfer as the fake is about to perform it; a script may change duration, bytes, error
// and the data before it takes effect.
struct FakeTransfer {
    KText path;
    bool write = false;
    bool queued = false;  // an asynchronous request
    unsigned slot = 0;    // its slot
    uint64_t offset = 0;
    uint32_t length = 0;
    uint32_t bytes = 0;  // bytes the transfer will report (length, or less at the file's end)
    int error = 0;       // error it will report; nothing is moved when not 0
    double durationMs = 1.0;
    uint8_t* data = nullptr;  // the buffer (written data can be changed here)
};

struct FakeOpen {
    KText path;
    FileOpenMode mode;
};

class FakeFileSystem : public FileSystem {
  public:
    explicit FakeFileSystem(FakeClock& clock) : clock_(clock) {}

    std::unique_ptr<TestFile> Open(const KText& path, const FileOpenMode& mode,
                                   int* error) override;
    bool Delete(const KText& path) override;
    bool FreeBytes(const KText& folder, uint64_t* bytes) override;
    bool FileSize(const KText& path, uint64_t* bytes) override;
    bool IsRemote(const KText& folder) override { return remoteFolders.count(folder) != 0; }
    KText ErrorText(int error) override { return L"error " + std::to_wstring(error); }

    // Runs the script on a transfer, moves the data and the clock (synchronous transfers).
    void Perform(FakeTransfer& transfer, uint64_t& position);

    // Content of the files that exist.
    std::map<KText, std::vector<uint8_t>> files;
    // Paths whose opening fails, with the error.
    std::map<KText, int> openErrors;
    // Free bytes by folder; a folder not listed has no readable free space.
    std::map<KText, uint64_t> freeBytes;
    std::set<KText> remoteFolders;
    // Scripts: the time of every transfer (default 1 ms) and any change to it.
    double transferMs = 1.0;
    std::function<void(FakeTransfer&)> onTransfer;
    // Runs after a transfer has moved its data (to change what the file holds).
    std::function<void(const FakeTransfer&)> afterTransfer;
    // Runs when a file is about to be deleted (to see the run's state at that moment).
    std::function<void(const KText&)> onDelete;
    // Time the issue of a queued request takes.
    double issueMs = 0.0;
    // Whether the request queue can be had (its error otherwise).
    int queueError = 0;

    // What happened.
    std::vector<FakeOpen> opens;
    std::vector<FakeTransfer> transfers;
    std::vector<KText> deleted;
    unsigned maxInFlight = 0;  // most queued requests in flight at once

    FakeClock& clock() { return clock_; }

  private:
    FakeClock& clock_;
};

}  // namespace kadra
