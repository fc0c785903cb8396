#include "input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstring>
#include <utility>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace bexa {

namespace {

InputFile Refused(InputFileStatus status, std::string reason) {
    InputFile result;
    result.status = status;
    result.reason = std::move(reason);
    return result;
}

#ifdef _WIN32
using FileStat = struct _stat64;
int StatOf(std::FILE* file, FileStat* st) {
    return _fstat64(_fileno(file), st);
}
bool IsFolder(const FileStat& st) {
    return (st.st_mode & _S_IFMT) == _S_IFDIR;
}
bool IsRegular(const FileStat& st) {
    return (st.st_mode & _S_IFMT) == _S_IFREG;
}
#else
using FileStat = struct stat;
bool IsFolder(const FileStat& st) {
    return S_ISDIR(st.st_mode);
}
bool IsRegular(const FileStat& st) {
    return S_ISREG(st.st_mode);
}
#endif

// The checks on an opened file's kind and size; Opened when it may be read.
InputFile Check(const FileStat& st, std::uint64_t maxBytes) {
    if (IsFolder(st)) return Refused(InputFileStatus::NotRegularFile, "is a folder");
    if (!IsRegular(st)) return Refused(InputFileStatus::NotRegularFile, "not a regular file");
    if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        return Refused(InputFileStatus::TooLarge, "larger than " + ByteSizeText(maxBytes));
    }
    InputFile result;
    result.status = InputFileStatus::Opened;
    return result;
}

}  // namespace

std::string ByteSizeText(std::uint64_t bytes) {
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

InputFile OpenInputFile(const char* path, std::uint64_t maxBytes) {
#ifdef _WIN32
    // Windows opens a named pipe or a device without waiting; what it is shows after the open.
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return Refused(InputFileStatus::CannotOpen, std::strerror(errno));
    FileStat st{};
    if (StatOf(file, &st) != 0) {
        const int error = errno;
        std::fclose(file);
        return Refused(InputFileStatus::CannotOpen, std::strerror(error));
    }
    InputFile result = Check(st, maxBytes);
    if (result.status != InputFileStatus::Opened) {
        std::fclose(file);
        return result;
    }
    result.file = file;
    return result;
#else
    // Looked at before the open, so that no device is opened (opening some has effects), and
    // again after it, on what was opened. O_NONBLOCK: a FIFO must not wait for a writer.
    FileStat st{};
    if (stat(path, &st) != 0) return Refused(InputFileStatus::CannotOpen, std::strerror(errno));
    InputFile result = Check(st, maxBytes);
    if (result.status != InputFileStatus::Opened) return result;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return Refused(InputFileStatus::CannotOpen, std::strerror(errno));
    if (fstat(fd, &st) != 0) {
        const int error = errno;
        close(fd);
        return Refused(InputFileStatus::CannotOpen, std::strerror(error));
    }
    result = Check(st, maxBytes);
    if (result.status != InputFileStatus::Opened) {
        close(fd);
        return result;
    }
    (void)fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (file == nullptr) {
        const int error = errno;
        close(fd);
        return Refused(InputFileStatus::CannotOpen, std::strerror(error));
    }
    result.file = file;
    return result;
#endif
}

}  // namespace bexa
