#include "data_test.h"

#include <cstring>
#include <memory>
#include <vector>

#include "host.h"
#include "host_calls.h"
#include "results_text.h"
#include "run_state.h"
#include "test_file.h"
#include "transfer_buffer.h"

namespace kadra {

namespace {

uint8_t pattern[256];

// Page-aligned chunk buffer, as uncached transfers need.
struct ChunkBuffer {
    ChunkBuffer() : data(static_cast<uint8_t*>(AllocatePages(kDataChunkSize))) {}
    ~ChunkBuffer() { FreePages(data, kDataChunkSize); }
    uint8_t* data;
};

FileOpenMode ModeFor(bool write) {
    FileOpenMode mode;
    mode.write = write;
    mode.shareRead = false;
    mode.shareWrite = false;
    mode.sequential = false;
    mode.unbuffered = true;
    mode.overlapped = false;
    return mode;
}

class DataTestRun {
  public:
    DataTestRun(const KText& verify1, const KText& verify2) : path1_(verify1), path2_(verify2) {}

    // Runs the three phases; false when a file could not be opened (the line is written).
    bool Run(uint64_t chunks, uint8_t* a, uint8_t* b) {
        // Write phase.
        if (!Open(file1_, path1_, true)) return false;
        FillPattern(a, kDataChunkSize);
        for (uint64_t i = 0; i < chunks && !Ended(); ++i)
            Transfer(*file1_, path1_, a, true, L"write");
        file1_.reset();
        if (Ended()) return true;

        // Copy phase.
        if (!Open(file1_, path1_, false)) return false;
        if (!Open(file2_, path2_, true)) return false;
        for (uint64_t i = 0; i < chunks && !Ended(); ++i) {
            if (!Transfer(*file1_, path1_, a, false, L"copy")) break;
            CheckPattern(a, kDataChunkSize);
            Transfer(*file2_, path2_, a, true, L"copy");
        }
        file1_.reset();
        file2_.reset();
        if (Ended()) return true;

        // Compare phase.
        if (!Open(file1_, path1_, false)) return false;
        if (!Open(file2_, path2_, false)) return false;
        for (uint64_t i = 0; i < chunks && !Ended(); ++i) {
            if (!Transfer(*file1_, path1_, a, false, L"compare")) break;
            CheckPattern(a, kDataChunkSize);
            if (!Transfer(*file2_, path2_, b, false, L"compare")) break;
            CheckPattern(b, kDataChunkSize);
            if (std::memcmp(a, b, kDataChunkSize) != 0) ++dataErrorCount;
        }
        return true;
    }

    void CloseAll() {
        file1_.reset();
        file2_.reset();
    }

    // Deletes the files this run created, and no other: a name that was refused, or that the
    // run never came to, may be someone else's file.
    void DeleteCreated() {
        for (const KText& path : created_)
            CurrentFileSystem().Delete(path);
        created_.clear();
    }

    // The line that names the failed transfer; empty when every transfer moved its chunk.
    const KText& failureLine() const { return failureLine_; }

  private:
    // A failed transfer, or a stop request (which only the native program makes: the window's
    // stop command is not taken during the data test).
    bool Ended() const { return failed_ || runState.abortRequested != 0; }

    bool Open(std::unique_ptr<TestFile>& file, const KText& path, bool write) {
        int error = 0;
        file = CurrentFileSystem().Open(path, ModeFor(write), &error);
        if (file) {
            // An open for writing has created the file (test_file.h).
            if (write) created_.push_back(path);
            return true;
        }
        if (error == kNotRegularFileError) {
            // On a line of its own: the testing text has no line end.
            AppendResultLine(L"\r\n" + path + L" exists and is not a regular file: not touched");
        } else {
            AppendResultLine(path + L"verify: file open error");
        }
        return false;
    }

    // One chunk; a transfer that fails or moves less than a chunk ends the test, since the
    // buffer no longer holds what the file does. It is told as the failure it is, not counted
    // as a data error: a full disk is no fault of the cabling.
    bool Transfer(TestFile& file, const KText& path, uint8_t* buffer, bool write,
                  const wchar_t* phase) {
        kadra::Transfer t =
            write ? file.Write(buffer, kDataChunkSize) : file.Read(buffer, kDataChunkSize);
        if (t.error == 0 && t.bytes == kDataChunkSize) return true;
        failed_ = true;
        failureLine_ = path + (write ? L" write failed in the " : L" read failed in the ") + phase +
                       L" phase: ";
        if (t.error != 0) {
            failureLine_ += CurrentFileSystem().ErrorText(t.error);
        } else {
            failureLine_ += std::to_wstring(t.bytes) + L" of " + std::to_wstring(kDataChunkSize) +
                            L" bytes transferred";
        }
        return false;
    }

    KText path1_;
    KText path2_;
    std::unique_ptr<TestFile> file1_;
    std::unique_ptr<TestFile> file2_;
    bool failed_ = false;
    KText failureLine_;
    std::vector<KText> created_;
};

}  // namespace

void FillPattern(uint8_t* buffer, size_t length) {
    dataErrorCount = 0;
    for (int i = 0; i < 256; ++i)
        pattern[i] = static_cast<uint8_t>(i);
    for (size_t offset = 0; offset + 256 <= length; offset += 256) {
        std::memcpy(buffer + offset, pattern, 256);
    }
}

void CheckPattern(const uint8_t* buffer, size_t length) {
    for (size_t offset = 0; offset + 256 <= length; offset += 256) {
        const uint8_t* piece = buffer + offset;
        if (std::memcmp(piece, pattern, 256) == 0) continue;
        for (int i = 0; i < 256; ++i) {
            if (piece[i] != pattern[i]) ++dataErrorCount;
        }
    }
}

bool DataReliabilityTest(uint32_t driveNumber, uint64_t size) {
    const wchar_t letter = static_cast<wchar_t>(L'A' + driveNumber);
    KText verify1 = L"x:\\verify1.TMP";
    KText verify2 = L"x:\\verify2.TMP";
    verify1[0] = letter;
    verify2[0] = letter;
    return DataReliabilityTest(verify1, verify2, size);
}

bool DataReliabilityTest(const KText& verify1, const KText& verify2, uint64_t size) {
    const uint64_t chunks = size / kDataChunkSize;
    dataErrorCount = 0;
    runState.abortRequested = 0;
    ReplaceResults(L"Testing for data reliability ...");
    ServiceMessageQueue();

    SetWaitCursor(true);
    runState.busy = 1;
    ChunkBuffer a;
    ChunkBuffer b;
    DataTestRun run(verify1, verify2);
    bool finished = false;
    if (a.data == nullptr || b.data == nullptr) {
        AppendResultLine(L"memory alloc failed");
    } else {
        finished = run.Run(chunks, a.data, b.data);
    }
    run.CloseAll();
    const bool stopped = runState.abortRequested != 0;
    if (finished && !stopped) {
        KText text;
        if (!run.failureLine().empty()) {
            text = L"\r\n" + run.failureLine();
        } else if (dataErrorCount != 0) {
            text = L"\r\nWARNING! " + std::to_wstring(dataErrorCount) +
                   L" data errors detected!\r\n\r\nPlease check cables and bus termination!";
        } else {
            text = L"\r\nNo data errors found.";
        }
        ReplaceResults(text);
        ServiceMessageQueue();
    }
    // The run stays busy until its files are gone: a stop request meanwhile (the native
    // program's) is taken as one, and cannot end the program with a file left behind.
    run.DeleteCreated();
    runState.busy = 0;
    SetWaitCursor(false);
    return finished && !stopped && run.failureLine().empty() && dataErrorCount == 0;
}

}  // namespace kadra
