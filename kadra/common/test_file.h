// The file seam of the passes and the data test: open a file with the flag set of a pass,
// position, read, write, queue asynchronous requests; plus the few questions about drives and
// files the run control asks. One backend per platform (test_file_posix.cpp with O_DIRECT and
// io_uring, test_file_win32.cpp with CreateFileW and OVERLAPPED) and a fake for the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "ktext.h"

namespace kadra {

// How a file is opened.
struct FileOpenMode {
    bool write = false;       // create for writing (an existing file is replaced); else read
                              // an existing file
    bool shareRead = true;    // others may read the file while it is open
    bool shareWrite = true;   // others may write it
    bool sequential = true;   // sequential-scan hint
    bool unbuffered = false;  // no system caching: the disk, not the cache, is measured
    bool overlapped = false;  // asynchronous requests through a RequestQueueBackend
};

// The error of an Open for writing when the name exists and is not a regular file (a link,
// a folder, a device): nothing is written through it. No system error code has this value.
constexpr int kNotRegularFileError = -1;

// The outcome of one transfer: the bytes moved, and the system's error code (0 = none).
struct Transfer {
    uint32_t bytes = 0;
    int error = 0;
};

// The asynchronous side of an open file: up to 40 slots, each with at most one request in flight.
// A slot's completion stays signalled until Poll has reported it.
class RequestQueueBackend {
  public:
    virtual ~RequestQueueBackend() = default;
    // Issues a read into or a write from `buffer` at `offset` in `slot`. False when the request
    // could not be issued at all; `failure` then holds the error.
    virtual bool Issue(unsigned slot, bool write, uint64_t offset, void* buffer, uint32_t length,
                       Transfer* failure) = 0;
    // Without waiting: true when the request of `slot` has completed, with its outcome in
    // `result`; the slot's completion is then cleared.
    virtual bool Poll(unsigned slot, Transfer* result) = 0;
    // Waits without time-out until a request of one of the first `slots` slots has completed
    // (returns at once when one has completed and was not polled yet).
    virtual void WaitAny(unsigned slots) = 0;
    // Names the memory the requests will transfer into or from, so that the backend can map it
    // once rather than at every request (io_uring: a registered buffer). Requests may still
    // name other memory; a backend that cannot prepare it goes on without. Call it while no
    // request is in flight.
    virtual void PrepareBuffer(void* buffer, size_t length) {
        (void)buffer;
        (void)length;
    }
};

class TestFile {
  public:
    virtual ~TestFile() = default;
    // Moves the file position; 0 = success, else the error.
    virtual int SetPosition(uint64_t offset) = 0;
    // Transfers at the file position and advances it by the bytes moved.
    virtual Transfer Read(void* buffer, uint32_t length) = 0;
    virtual Transfer Write(const void* buffer, uint32_t length) = 0;
    // The request queue of a file opened overlapped, with `slots` slots (manual-reset
    // completions); null with `error` set when it cannot be had.
    virtual std::unique_ptr<RequestQueueBackend> OpenQueue(unsigned slots, int* error) = 0;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Opens or creates the file; null with `error` set when that fails. A link is never
    // followed, and an existing name that is not a regular file is refused with
    // kNotRegularFileError.
    virtual std::unique_ptr<TestFile> Open(const KText& path, const FileOpenMode& mode,
                                           int* error) = 0;
    // Deletes the file; false when it could not be deleted (also when it does not exist, or is
    // not a regular file: a link of that name is left alone).
    virtual bool Delete(const KText& path) = 0;
    // Bytes available to the user on the volume of `folder`; false when that cannot be read.
    virtual bool FreeBytes(const KText& folder, uint64_t* bytes) = 0;
    // The size of an existing file; false when its attributes cannot be read.
    virtual bool FileSize(const KText& path, uint64_t* bytes) = 0;
    // Whether the system reports the file system of `folder` as a remote (network) one.
    virtual bool IsRemote(const KText& folder) = 0;
    // The system's text for an error code of this backend.
    virtual KText ErrorText(int error) = 0;
};

// The backend of this platform.
FileSystem& SystemFileSystem();

}  // namespace kadra
