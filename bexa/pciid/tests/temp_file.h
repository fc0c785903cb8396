// A file with given bytes in the temporary folder, removed again at the end of the test.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace bexa {

class TempFile {
  public:
    explicit TempFile(std::string_view bytes) {
        static std::atomic<int> counter{0};
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = (std::filesystem::temp_directory_path() /
                 (std::string("bexa_pciid_") + (info ? info->name() : "test") + "_" +
                  std::to_string(counter++) + ".txt"))
                    .string();
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        EXPECT_NE(file, nullptr) << path_;
        if (file != nullptr) {
            EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
            std::fclose(file);
        }
    }
    ~TempFile() { std::remove(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const char* path() const { return path_.c_str(); }

  private:
    std::string path_;
};

}  // namespace bexa
