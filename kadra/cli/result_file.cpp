#include "result_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace kadra {

namespace {

namespace fs = std::filesystem;

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string Reason(const std::string& path) {
    return path + ": " + std::strerror(errno);
}

}  // namespace

ResultFile::~ResultFile() {
    Discard();
}

bool ResultFile::Open(const std::string& path, std::string* error) {
    Discard();
    path_ = path;
    if (path == "-") {
        open_ = true;
        return true;
    }
    if (path.empty()) {
        *error = "an empty file name";
        return false;
    }
    // A link keeps pointing where it points: the file it names is the one replaced.
    target_ = path;
    std::error_code failed;
    if (fs::is_symlink(path, failed)) {
        const fs::path resolved = fs::canonical(path, failed);
        if (failed) {
            *error = path + ": " + failed.message();
            return false;
        }
        target_ = resolved.string();
    }
    struct stat existing {};
    mode_t mode = 0666;
    bool preserveMode = false;
    if (stat(target_.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            *error = path + ": is a folder";
            return false;
        }
        if (!S_ISREG(existing.st_mode)) {
            *error = path + ": not a regular file";
            return false;
        }
        if (access(target_.c_str(), W_OK) != 0) {
            *error = Reason(path);
            return false;
        }
        mode = existing.st_mode & 07777;
        preserveMode = true;
    } else if (errno != ENOENT) {
        *error = Reason(path);
        return false;
    }
    const fs::path target(target_);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string base =
        "." + target.filename().string() + ".kadra-" + std::to_string(getpid());
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = (folder / (base + "-" + std::to_string(attempt) + ".tmp")).string();
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd_ >= 0 || errno != EEXIST) break;
    }
    if (fd_ < 0) {
        // Name the path the user gave, with the reason the folder refused the file.
        *error = Reason(path);
        temporary_.clear();
        return false;
    }
    // The umask applied at creation; an existing file's own mode is kept.
    if (preserveMode) (void)fchmod(fd_, mode);
    open_ = true;
    return true;
}

bool ResultFile::Commit(const std::string& content, std::string* error) {
    if (!open_) {
        *error = "no result file open";
        return false;
    }
    if (path_ == "-") {
        const bool ok = WriteAll(STDOUT_FILENO, content);
        if (!ok) *error = "standard output: " + std::string(std::strerror(errno));
        return ok;
    }
    bool ok = WriteAll(fd_, content) && fsync(fd_) == 0;
    if (!ok) *error = Reason(path_);
    if (close(fd_) != 0 && ok) {
        *error = Reason(path_);
        ok = false;
    }
    fd_ = -1;
    if (ok && std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        *error = Reason(path_);
        ok = false;
    }
    if (ok) {
        temporary_.clear();
        open_ = false;
    } else {
        Discard();
    }
    return ok;
}

void ResultFile::Discard() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) unlink(temporary_.c_str());
    temporary_.clear();
    open_ = false;
}

}  // namespace kadra
