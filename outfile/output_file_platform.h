// What the output-file component asks of the operating system: one implementation in
// output_file_posix.cpp, one in output_file_win32.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "output_file.h"

namespace outfile {

// The open temporary file: a file descriptor, or a Win32 HANDLE.
struct OutputFile::Platform {
    std::intptr_t handle = -1;
};

namespace detail {

// A file's identity: device and inode, or volume serial number and file index.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool operator==(const FileId&) const = default;
};

enum class TargetKind { Missing, Regular, Link, Folder, Other };

// What stands at `target`, without following a link. False with `error` (errno or
// GetLastError) when it cannot be told.
bool InspectTarget(const std::filesystem::path& target, TargetKind* kind, int* error);

// Whether an existing regular file may be replaced by the user (not read-only).
bool MayReplace(const std::filesystem::path& target, int* error);

// Creates `temporary` exclusively, with the permission bits of `target` when it is an existing
// regular file. False with `error`; EEXIST (ERROR_FILE_EXISTS) when the name is taken.
bool CreateTemporary(const std::filesystem::path& temporary, const std::filesystem::path& target,
                     bool keepMode, OutputFile::Platform* file, int* error);

bool WriteAll(OutputFile::Platform* file, const char* data, std::size_t size, int* error);

// Flushes the file to the disk and closes it; closed either way.
bool FlushAndClose(OutputFile::Platform* file, int* error);
void CloseQuietly(OutputFile::Platform* file);

// Renames `temporary` over `target` in one step (a link at the target is replaced itself).
bool Replace(const std::filesystem::path& temporary, const std::filesystem::path& target,
             int* error);
void RemoveQuietly(const std::filesystem::path& path);

// The identity of the file at `path`, following links (`follow`) or not.
bool IdentityOf(const std::filesystem::path& path, bool follow, FileId* id);

// The process id, for the temporary file's name.
unsigned long ProcessId();

// Whether two names in one folder are the same name (case-insensitive on Windows).
bool SameName(const std::filesystem::path& a, const std::filesystem::path& b);

std::string ErrorText(int error);
bool IsExistsError(int error);

}  // namespace detail
}  // namespace outfile
