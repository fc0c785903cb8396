#include "result_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kadra {

bool WriteToStandardOutput(std::string_view text, std::string* error) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            *error = "standard output: " + std::string(std::strerror(n < 0 ? errno : EIO));
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ResultFile::Open(const std::string& path, std::string* error) {
    Discard();
    path_ = path;
    if (path == "-") {
        standardOutput_ = true;
        return true;
    }
    return file_.Open(outfile::PathFromNarrow(path), error);
}

bool ResultFile::Commit(const std::string& content, std::string* error) {
    if (standardOutput_) {
        standardOutput_ = false;
        return WriteToStandardOutput(content, error);
    }
    if (!file_.isOpen()) {
        *error = "no result file open";
        return false;
    }
    file_.Write(content);
    return file_.Commit(error);
}

void ResultFile::Discard() {
    standardOutput_ = false;
    file_.Discard();
}

}  // namespace kadra
