// A result file written whole: checked before the run by creating its temporary file beside
// it, filled and renamed over the path at the end, so that a failed write never leaves half a
// file. "-" is standard output.
#pragma once

#include <string>

namespace kadra {

class ResultFile {
  public:
    ResultFile() = default;
    ~ResultFile();
    ResultFile(const ResultFile&) = delete;
    ResultFile& operator=(const ResultFile&) = delete;

    // Makes sure `path` can be written: a folder that takes a new file, no folder or read-only
    // file in the way; keeps the temporary file open. False with `error` set.
    bool Open(const std::string& path, std::string* error);

    bool isOpen() const { return open_; }
    bool toStandardOutput() const { return open_ && path_ == "-"; }
    const std::string& path() const { return path_; }

    // Writes `content` as the file's whole content. False with `error` set; the path then holds
    // what it held before.
    bool Commit(const std::string& content, std::string* error);

    // Removes the temporary file; the path stays as it was.
    void Discard();

  private:
    bool open_ = false;
    std::string path_;    // as given
    std::string target_;  // what is replaced: the path, or the file a link at it names
    std::string temporary_;
    int fd_ = -1;
};

}  // namespace kadra
