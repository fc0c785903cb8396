// The one way the programs write an output: a listing, a log, a picture, a result file, a
// saved memory image, saved settings.
//
// Open creates a temporary file exclusively in the target's folder (".<name>.<pid>-<n>.tmp");
// Write appends to it (buffered); Commit writes out the buffer, flushes the file to the disk
// and renames it over the target in one step. So the target holds either its old content or
// the whole new one, never a part:
//   - on any failure (Open, a write, a full disk, the flush, the rename) the target stays as it
//     was and the temporary file is removed; an OutputFile destroyed without Commit discards;
//   - nothing is ever written through a link: a symbolic link at the target is replaced by the
//     new file and what it points to is untouched; a hard link at the target keeps the old
//     content under its other names;
//   - a target that exists and is not a regular file or a link (a folder, a FIFO, a device, a
//     socket) is refused before anything is created, and so is a protected input (below);
//   - an existing regular file's permission bits are kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#ifndef _WIN32
#include <signal.h>
#endif

namespace outfile {

class OutputFile {
  public:
    OutputFile();
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Checks `target` and creates the temporary file beside it. False with `error` set
    // ("<target>: <reason>") and nothing created when the target is refused or its folder does
    // not take a new file. An open file is discarded first.
    bool Open(const std::filesystem::path& target, std::string* error);

    // Appends bytes. False once a write has failed or when nothing is open; the failure is told
    // by Commit.
    bool Write(std::string_view bytes);
    bool Write(const void* data, std::size_t size);

    // Places the written bytes at the target. False with `error` set when a write, the flush or
    // the rename failed; the target then holds what it held before and the temporary file is
    // gone. Closes the file either way.
    bool Commit(std::string* error);

    // Removes the temporary file; the target stays as it was.
    void Discard();

    bool isOpen() const;
    const std::filesystem::path& target() const { return target_; }
    const std::filesystem::path& temporaryPath() const { return temporary_; }

    // The platform's open file (opaque outside the component).
    struct Platform;

  private:
    bool Flush();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::unique_ptr<Platform> platform_;
    std::string buffer_;
    bool failed_ = false;
    int failure_ = 0;  // errno or GetLastError of the first failed write
};

// Opens, writes `content` and commits in one call.
bool WriteOutputFile(const std::filesystem::path& target, std::string_view content,
                     std::string* error);

// The files a run reads or tests, which no output may replace. A protected path that exists is
// known by its identity (device and inode; on Windows volume serial number and file index), so
// that another name of it (a hard link, a link, a path through another folder) is refused too;
// one that does not exist yet (a test file the run will create) by its folder's identity and
// its name. Open refuses a target that matches one with "<target>: is a file this run reads or
// tests".
void ProtectInput(const std::filesystem::path& path);
void ClearProtectedInputs();
bool IsProtectedInput(const std::filesystem::path& path);

// Whether two paths name the same file by the rule above (for example two outputs of one run).
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// The path as UTF-8 text, for messages.
std::string PathText(const std::filesystem::path& path);

// A path from an 8-bit text: UTF-8 on POSIX, the system's ANSI code page on Windows (what the
// narrow Win32 file dialogs return).
std::filesystem::path PathFromNarrow(std::string_view text);

// Holds SIGINT, SIGTERM and SIGHUP while it lives (POSIX; nothing on Windows), so that a stop
// signal cannot end the program between a file's last write and its rename. The signals
// arrive when it ends.
class StopSignalsHeld {
  public:
    StopSignalsHeld();
    ~StopSignalsHeld();
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

  private:
#ifndef _WIN32
    sigset_t previous_;
#endif
};

}  // namespace outfile
