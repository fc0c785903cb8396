// Opening a file the user names for reading: regular files only, and a size cap.
#include "input_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace bexa {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(std::FILE* file) {
    std::string text;
    char buffer[256];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    return text;
}

TEST(InputFileTest, ARegularFileUpToTheCapIsOpened) {
    const tvk::test::TempFolder temp;
    const std::string path = temp.file("ids.txt");
    ASSERT_TRUE(tvk::test::WriteFile(path, "V 8086 x\r\n"));
    for (std::uint64_t cap : {kNoSizeCap, std::uint64_t{10}}) {
        InputFile input = OpenInputFile(path.c_str(), cap);
        ASSERT_EQ(input.status, InputFileStatus::Opened) << input.reason;
        ASSERT_NE(input.file, nullptr);
        EXPECT_EQ(ReadAll(input.file), "V 8086 x\r\n");  // binary: CR LF as it is
        std::fclose(input.file);
    }
}

TEST(InputFileTest, RefusalsSayWhy) {
    const tvk::test::TempFolder temp;
    const std::string big = temp.file("big.txt");
    ASSERT_TRUE(tvk::test::WriteFile(big, ""));
    fs::resize_file(big, (std::uint64_t{16} << 20) + 1);  // sparse: no 16 MiB written
    struct Case {
        std::string path;
        std::uint64_t cap;
        InputFileStatus status;
        std::string reason;
    } cases[] = {
        {temp.file("missing.txt"), kNoSizeCap, InputFileStatus::CannotOpen, ""},
        {big, std::uint64_t{16} << 20, InputFileStatus::TooLarge, "larger than 16 MiB"},
        {big, 1000, InputFileStatus::TooLarge, "larger than 1000 bytes"},
#ifndef _WIN32
        {temp.path().string(), kNoSizeCap, InputFileStatus::NotRegularFile, "is a folder"},
        {"/dev/zero", kNoSizeCap, InputFileStatus::NotRegularFile, "not a regular file"},
        {"/dev/null", kNoSizeCap, InputFileStatus::NotRegularFile, "not a regular file"},
#endif
    };
    for (const Case& c : cases) {
        InputFile input = OpenInputFile(c.path.c_str(), c.cap);
        EXPECT_EQ(input.file, nullptr) << c.path;
        EXPECT_EQ(input.status, c.status) << c.path;
        if (!c.reason.empty()) {
            EXPECT_EQ(input.reason, c.reason) << c.path;
        }
        EXPECT_FALSE(input.reason.empty()) << c.path;
        if (input.file != nullptr) std::fclose(input.file);
    }
}

#ifndef _WIN32
TEST(InputFileTest, AFifoIsRefusedWithoutWaitingForAWriter) {
    // Without a writer, an open of the FIFO for reading would wait for ever.
    const tvk::test::TempFolder temp;
    const std::string fifo = temp.file("pcidevs.txt");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    InputFile input = OpenInputFile(fifo.c_str());
    EXPECT_EQ(input.file, nullptr);
    EXPECT_EQ(input.status, InputFileStatus::NotRegularFile);
    EXPECT_EQ(input.reason, "not a regular file");

    // A link to a regular file is read; a link to the FIFO is refused alike.
    const std::string text = temp.file("text");
    ASSERT_TRUE(tvk::test::WriteFile(text, "abc"));
    const std::string toText = temp.file("to-text");
    const std::string toFifo = temp.file("to-fifo");
    ASSERT_EQ(symlink(text.c_str(), toText.c_str()), 0);
    ASSERT_EQ(symlink(fifo.c_str(), toFifo.c_str()), 0);
    input = OpenInputFile(toText.c_str());
    ASSERT_NE(input.file, nullptr);
    EXPECT_EQ(ReadAll(input.file), "abc");
    std::fclose(input.file);
    input = OpenInputFile(toFifo.c_str());
    EXPECT_EQ(input.file, nullptr);
    EXPECT_EQ(input.status, InputFileStatus::NotRegularFile);
}
#endif

TEST(InputFileTest, ByteSizeTexts) {
    EXPECT_EQ(ByteSizeText(16u << 20), "16 MiB");
    EXPECT_EQ(ByteSizeText(64u << 10), "64 KiB");
    EXPECT_EQ(ByteSizeText((1u << 20) + 1024), "1025 KiB");
    EXPECT_EQ(ByteSizeText(1000), "1000 bytes");
}

}  // namespace
}  // namespace bexa
