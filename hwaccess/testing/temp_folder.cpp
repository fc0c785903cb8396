#include "temp_folder.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>

namespace tvk::test {

TempFolder::TempFolder() {
    static std::atomic<unsigned> serial{0};
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    // create_directory answers false for a folder that exists already: try another name.
    do {
        path_ = base / ("bk-test-" + std::to_string(random()) + "-" + std::to_string(serial++));
    } while (!std::filesystem::create_directory(path_));
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::file(std::string_view name) const {
    return (path_ / name).string();
}

bool WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace tvk::test
