// Files for tests: a fresh temporary folder that is removed with its object, and whole-file
// reads and writes in binary mode.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tvk::test {

// A new, empty folder under the system's temporary folder; removed with everything in it when
// the object goes. Each object gets a folder of its own, also across processes.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of `name` in the folder.
    std::string file(std::string_view name) const;

  private:
    std::filesystem::path path_;
};

// Writes `bytes` as the whole content of the file at `path`; false when that failed.
bool WriteFile(const std::string& path, std::string_view bytes);
// The whole content of the file at `path`; empty when it cannot be read.
std::string ReadFile(const std::string& path);

}  // namespace tvk::test
