// A result file for scripts (--json, --csv): an output of the output-file component, opened
// before the run (so that a path that cannot be written costs no test) and committed at its
// end. "-" is standard output.
#pragma once

#include <string>
#include <string_view>

#include "output_file.h"

namespace kadra {

// Writes the whole text to standard output (file descriptor 1, which nothing else in the
// program buffers). False with `error` set ("standard output: <reason>") when a write fails:
// a full disk, a closed pipe (SIGPIPE is ignored, so that it is a failed write).
bool WriteToStandardOutput(std::string_view text, std::string* error);

class ResultFile {
  public:
    // Checks `path` and creates its temporary file (outfile::OutputFile::Open); "-" needs
    // nothing. False with `error` set ("<path>: <reason>").
    bool Open(const std::string& path, std::string* error);

    bool isOpen() const { return standardOutput_ || file_.isOpen(); }
    bool toStandardOutput() const { return standardOutput_; }
    const std::string& path() const { return path_; }

    // Writes `content` as the file's whole content. False with `error` set; the path then holds
    // what it held before. Closes the file either way.
    bool Commit(const std::string& content, std::string* error);

    // Removes the temporary file; the path stays as it was.
    void Discard();

  private:
    std::string path_;  // as given
    bool standardOutput_ = false;
    outfile::OutputFile file_;
};

}  // namespace kadra
