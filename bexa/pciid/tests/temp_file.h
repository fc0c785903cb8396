// A file with given bytes in a temporary folder of its own, removed again with the object.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "temp_folder.h"

namespace bexa {

class TempFile {
  public:
    explicit TempFile(std::string_view bytes) : path_(folder_.file("pcidevs.txt")) {
        EXPECT_TRUE(tvk::test::WriteFile(path_, bytes)) << path_;
    }

    const char* path() const { return path_.c_str(); }

  private:
    tvk::test::TempFolder folder_;
    std::string path_;
};

}  // namespace bexa
