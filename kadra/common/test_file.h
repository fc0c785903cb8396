// The file seam of the passes and the data test: open a file with the flag set of a pass,
// position, read, write, queue asynchronous requests; plus the few questions about drives and
// files the run control asks. One backend per platform (test_file_posix.cpp with O_DIRECT and
// io_uring, test_file_win32.cpp with CreateFileW and OVERLAPPED) and a fake for the tests.
//
// The test files (KADRA.TMP or the TempFile name, verify1.TMP, verify2.TMP) are written in
// place, by one rule:
//   - Their names are plain file names inside the test folder; the run control refuses any
//     other before anything is created.
//   - A test file the program writes is one it has just created itself. An Open for writing
//     looks at the name without following it: nothing there, or a regular file with exactly
//     one link, which is removed first; then the file is created exclusively (O_CREAT|O_EXCL|
//     O_NOFOLLOW; CREATE_NEW on Windows). A name that is anything else (a symbolic link, a
//     reparse point, a folder, a FIFO, a device) or that shares its file with another name (a
//     hard link) is refused with kNotRegularFileError and left as it is: nothing is ever
//     written into a file another name reaches.
//   - Only the open for writing creates; the read passes and the data test's later phases
//     reopen the file for reading.
//   - A run deletes only the test files it created (those whose Open for writing succeeded),
//     and deletes them before it reports that it has ended, whether it completed, was stopped
//     or failed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "ktext.h"

namespace kadra {

// How a file is opened.
struct FileOpenMode {
    bool write = false;       // create a test file for writing (see above: an existing plain
                              // file of one link is replaced); else read an existing file
    bool shareRead = true;    // others may read the file while it is open
    bool shareWrite = true;   // others may write it
    bool sequential = true;   // sequential-scan hint
    bool unbuffered = false;  // no system caching: the disk, not the cache, is measured
    bool overlapped = false;  // asynchronous requests through a RequestQueueBackend
};

// The error of an Open for writing when the name exists and is not a regular file with one
// link (a symbolic link, a folder, a FIFO, a device, a file with a second name): nothing is
// written through it, and it is left as it is. No system error code has this value.
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
    // Opens the file; null with `error` set when that fails. For writing, by the rule above:
    // a file that opens is one this call created, new and empty, with no other name; a name
    // that is not a regular file of one link is refused with kNotRegularFileError. For
    // reading, an existing file (the user's file of a file test may be reached through a link).
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
