// The platform's own file backend on real files in a scratch folder: O_DIRECT and io_uring
// natively, CreateFileW and OVERLAPPED under Windows.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "kadra_test_support.h"
#include "test_file.h"
#include "transfer_buffer.h"

namespace kadra::testing {
namespace {

constexpr uint32_t kBlock = 65536;

struct Pages {
    explicit Pages(size_t size) : size(size), data(static_cast<uint8_t*>(AllocatePages(size))) {}
    ~Pages() { FreePages(data, size); }
    size_t size;
    uint8_t* data;
};

void FillBlock(uint8_t* block, uint32_t seed) {
    for (uint32_t i = 0; i < kBlock; ++i)
        block[i] = static_cast<uint8_t>(seed * 31 + i / 7);
}

TEST(SystemFileTest, PagesAreAlignedAndZero) {
    Pages pages(kTransferBufferSize);
    ASSERT_NE(pages.data, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(pages.data) % 4096, 0u);
    EXPECT_EQ(pages.data[0] | pages.data[kTransferBufferSize - 1], 0);
}

TEST(SystemFileTest, NothingIsWrittenThroughALinkOrIntoAFolder) {
    ScratchFolder folder;
    FileSystem& files = SystemFileSystem();
    folder.Write("victim.bin", "precious");
    std::filesystem::create_directory(folder.path() / "folder.tmp");
    std::error_code failed;
    std::filesystem::create_symlink(folder.path() / "victim.bin", folder.path() / "link.tmp",
                                    failed);
    // Where the system keeps no link of its own (a Windows emulation may make a plain file),
    // only the folder is tried.
    const bool links = !failed && std::filesystem::is_symlink(folder.path() / "link.tmp");
    std::filesystem::create_symlink(folder.path() / "nowhere.bin", folder.path() / "dangling.tmp",
                                    failed);
    FileOpenMode write;
    write.write = true;
    for (const char* name : {"link.tmp", "dangling.tmp", "folder.tmp"}) {
        if (!links && std::string_view(name) != "folder.tmp") continue;
        for (bool unbuffered : {false, true}) {
            write.unbuffered = unbuffered;
            int error = 0;
            EXPECT_FALSE(files.Open(folder.File(name), write, &error)) << name;
            EXPECT_EQ(error, kNotRegularFileError) << name;
        }
        EXPECT_FALSE(files.Delete(folder.File(name))) << name;
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(folder.path() / name)))
            << name << " left alone";
    }
    EXPECT_EQ(folder.Read("victim.bin"), "precious");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "nowhere.bin"));
    EXPECT_EQ(ToUtf8(files.ErrorText(kNotRegularFileError)), "not a regular file");
    if (!links) GTEST_SKIP() << "this system gave no symbolic link; the folder was checked";
    // The user's own file of a file test may be reached through a link: it is only read.
    int error = 0;
    EXPECT_TRUE(files.Open(folder.File("link.tmp"), FileOpenMode{}, &error));
}

// A second name of the user's file at the test file's name: writing there would overwrite the
// user's file, so the name is refused and both names stay as they were.
TEST(SystemFileTest, ANameThatSharesItsFileWithAnotherIsNeverWritten) {
    ScratchFolder folder;
    FileSystem& files = SystemFileSystem();
    folder.Write("precious.txt", "precious\n");
    std::error_code failed;
    std::filesystem::create_hard_link(folder.path() / "precious.txt", folder.path() / "KADRA.TMP",
                                      failed);
    if (failed) GTEST_SKIP() << "no hard links here: " << failed.message();
    FileOpenMode write;
    write.write = true;
    for (bool unbuffered : {false, true}) {
        write.unbuffered = unbuffered;
        int error = 0;
        EXPECT_FALSE(files.Open(folder.File("KADRA.TMP"), write, &error));
        EXPECT_EQ(error, kNotRegularFileError);
    }
    EXPECT_EQ(folder.Read("precious.txt"), "precious\n");
    EXPECT_EQ(folder.Read("KADRA.TMP"), "precious\n");
#ifndef _WIN32
    // (The Windows runtime's stat, which this count comes from there, always tells 1.)
    EXPECT_EQ(std::filesystem::hard_link_count(folder.path() / "precious.txt"), 2u);
#endif
    // Once the other name is gone, the leftover is a plain file of one name: replaced.
    std::filesystem::remove(folder.path() / "precious.txt");
    int error = 0;
    EXPECT_TRUE(files.Open(folder.File("KADRA.TMP"), write, &error))
        << ToUtf8(files.ErrorText(error));
    EXPECT_EQ(folder.Read("KADRA.TMP"), "") << "created anew, empty";
}

class SystemFileModeTest : public ::testing::TestWithParam<bool> {};

TEST_P(SystemFileModeTest, WritesAndReadsBackSynchronously) {
    ScratchFolder folder;
    FileSystem& files = SystemFileSystem();
    const KText path = folder.File("sync.tmp");
    Pages buffer(kBlock);
    FileOpenMode mode;
    mode.unbuffered = GetParam();
    mode.write = true;
    int error = 0;
    {
        auto file = files.Open(path, mode, &error);
        ASSERT_TRUE(file) << ToUtf8(files.ErrorText(error));
        for (uint32_t i = 0; i < 8; ++i) {
            FillBlock(buffer.data, i);
            Transfer t = file->Write(buffer.data, kBlock);
            ASSERT_EQ(t.error, 0);
            ASSERT_EQ(t.bytes, kBlock);
        }
    }
    uint64_t size = 0;
    ASSERT_TRUE(files.FileSize(path, &size));
    EXPECT_EQ(size, 8u * kBlock);

    mode.write = false;
    auto file = files.Open(path, mode, &error);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->SetPosition(5 * kBlock), 0);
    Pages expected(kBlock);
    FillBlock(expected.data, 5);
    Transfer t = file->Read(buffer.data, kBlock);
    EXPECT_EQ(t.bytes, kBlock);
    EXPECT_EQ(std::memcmp(buffer.data, expected.data, kBlock), 0);
    ASSERT_EQ(file->SetPosition(8 * kBlock), 0);
    t = file->Read(buffer.data, kBlock);
    EXPECT_EQ(t.bytes, 0u) << "end of file: nothing moved";
    file.reset();
    EXPECT_TRUE(files.Delete(path));
    EXPECT_FALSE(files.FileSize(path, &size));
}

TEST_P(SystemFileModeTest, QueuedRequestsCompleteInTheirSlots) {
    ScratchFolder folder;
    FileSystem& files = SystemFileSystem();
    const KText path = folder.File("queue.tmp");
    constexpr unsigned kSlots = 4;
    Pages blocks(kBlock * kSlots);
    FileOpenMode mode;
    mode.unbuffered = GetParam();
    mode.overlapped = true;
    mode.write = true;
    int error = 0;
    {
        auto file = files.Open(path, mode, &error);
        ASSERT_TRUE(file);
        auto queue = file->OpenQueue(kSlots, &error);
        ASSERT_TRUE(queue) << ToUtf8(files.ErrorText(error));
        // The writes come from prepared memory, the reads below go into memory never named.
        queue->PrepareBuffer(blocks.data, kBlock * kSlots);
        for (unsigned slot = 0; slot < kSlots; ++slot) {
            FillBlock(blocks.data + slot * kBlock, 100 + slot);
            Transfer failure;
            ASSERT_TRUE(queue->Issue(slot, true, (kSlots - 1 - slot) * uint64_t{kBlock},
                                     blocks.data + slot * kBlock, kBlock, &failure))
                << failure.error;
        }
        unsigned done = 0;
        bool seen[kSlots] = {};
        while (done < kSlots) {
            queue->WaitAny(kSlots);
            for (unsigned slot = 0; slot < kSlots; ++slot) {
                Transfer result;
                if (!queue->Poll(slot, &result)) continue;
                EXPECT_FALSE(seen[slot]) << "a completion is reported once";
                seen[slot] = true;
                EXPECT_EQ(result.error, 0);
                EXPECT_EQ(result.bytes, kBlock);
                ++done;
            }
        }
    }
    // Read them back through the queue, one slot reused.
    mode.write = false;
    auto file = files.Open(path, mode, &error);
    ASSERT_TRUE(file);
    auto queue = file->OpenQueue(1, &error);
    ASSERT_TRUE(queue);
    Pages block(kBlock);
    Pages expected(kBlock);
    for (unsigned slot = 0; slot < kSlots; ++slot) {
        Transfer result;
        ASSERT_TRUE(queue->Issue(0, false, (kSlots - 1 - slot) * uint64_t{kBlock}, block.data,
                                 kBlock, &result));
        queue->WaitAny(1);
        ASSERT_TRUE(queue->Poll(0, &result));
        EXPECT_EQ(result.bytes, kBlock);
        FillBlock(expected.data, 100 + slot);
        EXPECT_EQ(std::memcmp(block.data, expected.data, kBlock), 0) << slot;
    }
    // A read past the end completes with nothing moved (or an end-of-file error).
    Transfer result;
    ASSERT_TRUE(queue->Issue(0, false, 64 * uint64_t{kBlock}, block.data, kBlock, &result));
    queue->WaitAny(1);
    ASSERT_TRUE(queue->Poll(0, &result));
    EXPECT_EQ(result.bytes, 0u);
}

INSTANTIATE_TEST_SUITE_P(BufferedAndUnbuffered, SystemFileModeTest, ::testing::Bool());

#ifndef _WIN32
// A FIFO at the name is refused at once, for writing and for reading, without waiting for a
// peer; it stays where it was. (For an uncached read the system itself refuses it, EINVAL.)
TEST_P(SystemFileModeTest, AFifoAtTheNameIsRefusedWithoutWaiting) {
    ScratchFolder folder;
    FileSystem& files = SystemFileSystem();
    const std::string fifo = ToUtf8(folder.File("KADRA.TMP"));
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
    for (bool write : {true, false}) {
        FileOpenMode mode;
        mode.write = write;
        mode.unbuffered = GetParam();
        int error = 0;
        EXPECT_FALSE(files.Open(folder.File("KADRA.TMP"), mode, &error)) << write;
        if (write || !GetParam()) {
            EXPECT_EQ(error, kNotRegularFileError) << write;
        } else {
            EXPECT_NE(error, 0);
        }
    }
    EXPECT_FALSE(files.Delete(folder.File("KADRA.TMP")));
    struct stat info {};
    ASSERT_EQ(lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

// An existing test file of one name is replaced by a new file, not written in place: a reader
// that still holds the old one goes on reading what it held.
TEST_P(SystemFileModeTest, AnExistingTestFileIsReplacedNotWrittenInPlace) {
    ScratchFolder folder;
    FileSystem& files = SystemFileSystem();
    folder.Write("KADRA.TMP", "left by an earlier run");
    const std::string name = ToUtf8(folder.File("KADRA.TMP"));
    const int held = open(name.c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    struct stat before {};
    ASSERT_EQ(fstat(held, &before), 0);
    FileOpenMode mode;
    mode.write = true;
    mode.unbuffered = GetParam();
    Pages block(kBlock);
    FillBlock(block.data, 3);
    int error = 0;
    {
        auto file = files.Open(folder.File("KADRA.TMP"), mode, &error);
        ASSERT_TRUE(file) << ToUtf8(files.ErrorText(error));
        EXPECT_EQ(file->Write(block.data, kBlock).bytes, kBlock);
    }
    char old[65] = {};
    EXPECT_EQ(pread(held, old, sizeof old - 1, 0), 22);
    EXPECT_STREQ(old, "left by an earlier run");
    struct stat after {};
    ASSERT_EQ(fstat(held, &after), 0);
    EXPECT_EQ(after.st_nlink, 0u) << "the old file lost its name";
    close(held);
    uint64_t size = 0;
    ASSERT_TRUE(files.FileSize(folder.File("KADRA.TMP"), &size));
    EXPECT_EQ(size, kBlock);
}

// Once the queue and the file are closed, nothing holds the file open any more: a deleted test
// file gives its space back at once, and the next run finds it free. (A ring that still held a
// registered file kept it open until the kernel tore the ring down, seconds later.)
TEST_P(SystemFileModeTest, AClosedQueueLeavesTheFileOpenNowhere) {
    ScratchFolder folder;
    FileSystem& files = SystemFileSystem();
    const KText path = folder.File("held.tmp");
    Pages block(kBlock);
    FileOpenMode mode;
    mode.unbuffered = GetParam();
    mode.overlapped = true;
    mode.write = true;
    int error = 0;
    {
        auto file = files.Open(path, mode, &error);
        ASSERT_TRUE(file);
        auto queue = file->OpenQueue(1, &error);
        ASSERT_TRUE(queue);
        queue->PrepareBuffer(block.data, kBlock);
        Transfer result;
        ASSERT_TRUE(queue->Issue(0, true, 0, block.data, kBlock, &result));
        queue->WaitAny(1);
        ASSERT_TRUE(queue->Poll(0, &result));
        EXPECT_EQ(result.bytes, kBlock);
    }
    // A write lease is granted only while no other open file description refers to the file.
    const int fd = open(ToUtf8(path).c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    const int lease = fcntl(fd, F_SETLEASE, F_WRLCK);
    const int leaseError = errno;
    close(fd);
    if (lease != 0 && leaseError == EINVAL) GTEST_SKIP() << "no leases on this file system";
    EXPECT_EQ(lease, 0) << "the file is still open elsewhere: " << std::strerror(leaseError);
}
#endif

TEST(SystemFileTest, ReportsMissingFilesAndFreeSpace) {
    ScratchFolder folder;
    FileSystem& files = SystemFileSystem();
    int error = 0;
    FileOpenMode read;
    EXPECT_FALSE(files.Open(folder.File("missing.tmp"), read, &error));
    EXPECT_NE(error, 0);
    EXPECT_FALSE(files.ErrorText(error).empty());
    EXPECT_FALSE(files.Delete(folder.File("missing.tmp")));
    uint64_t free = 0;
    EXPECT_TRUE(files.FreeBytes(folder.path().wstring() + kPathSeparator, &free));
    EXPECT_GT(free, 0u);
    EXPECT_FALSE(files.IsRemote(folder.path().wstring() + kPathSeparator));
}

}  // namespace
}  // namespace kadra::testing
