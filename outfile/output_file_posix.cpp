// The output-file component on POSIX: open(2) with O_EXCL, fsync(2), rename(2).
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "output_file_platform.h"

namespace outfile {

namespace fs = std::filesystem;

namespace detail {

bool InspectTarget(const fs::path& target, TargetKind* kind, int* error) {
    struct stat info {};
    if (lstat(target.c_str(), &info) != 0) {
        if (errno == ENOENT) {
            *kind = TargetKind::Missing;
            return true;
        }
        *error = errno;
        return false;
    }
    if (S_ISREG(info.st_mode)) {
        *kind = TargetKind::Regular;
    } else if (S_ISLNK(info.st_mode)) {
        *kind = TargetKind::Link;
    } else if (S_ISDIR(info.st_mode)) {
        *kind = TargetKind::Folder;
    } else {
        *kind = TargetKind::Other;
    }
    return true;
}

bool MayReplace(const fs::path& target, int* error) {
    if (access(target.c_str(), W_OK) == 0) return true;
    *error = errno;
    return false;
}

bool CreateTemporary(const fs::path& temporary, const fs::path& target, bool keepMode,
                     OutputFile::Platform* file, int* error) {
    struct stat info {};
    const bool haveMode = keepMode && lstat(target.c_str(), &info) == 0;
    const int fd =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        *error = errno;
        return false;
    }
    // Created with the umask applied; an existing file's own bits are kept.
    if (haveMode) (void)fchmod(fd, info.st_mode & 07777);
    file->handle = fd;
    return true;
}

bool WriteAll(OutputFile::Platform* file, const char* data, std::size_t size, int* error) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = write(static_cast<int>(file->handle), data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            *error = n < 0 ? errno : ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool FlushAndClose(OutputFile::Platform* file, int* error) {
    const int fd = static_cast<int>(file->handle);
    file->handle = -1;
    bool ok = fsync(fd) == 0;
    if (!ok) *error = errno;
    if (close(fd) != 0 && ok) {
        *error = errno;
        ok = false;
    }
    return ok;
}

void CloseQuietly(OutputFile::Platform* file) {
    if (file->handle >= 0) close(static_cast<int>(file->handle));
    file->handle = -1;
}

bool Replace(const fs::path& temporary, const fs::path& target, int* error) {
    if (rename(temporary.c_str(), target.c_str()) != 0) {
        *error = errno;
        return false;
    }
    // The new name itself reaches the disk with the folder.
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)fsync(fd);
        close(fd);
    }
    return true;
}

void RemoveQuietly(const fs::path& path) {
    if (!path.empty()) unlink(path.c_str());
}

bool IdentityOf(const fs::path& path, bool follow, FileId* id) {
    struct stat info {};
    if ((follow ? stat(path.c_str(), &info) : lstat(path.c_str(), &info)) != 0) return false;
    id->device = static_cast<std::uint64_t>(info.st_dev);
    id->file = static_cast<std::uint64_t>(info.st_ino);
    return true;
}

unsigned long ProcessId() {
    return static_cast<unsigned long>(getpid());
}

bool SameName(const fs::path& a, const fs::path& b) {
    return a == b;
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

bool IsExistsError(int error) {
    return error == EEXIST;
}

}  // namespace detail

std::string PathText(const fs::path& path) {
    return path.string();
}

fs::path PathFromNarrow(std::string_view text) {
    return fs::path(std::string(text));
}

StopSignalsHeld::StopSignalsHeld() {
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stops, &previous_);
}

StopSignalsHeld::~StopSignalsHeld() {
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace outfile
