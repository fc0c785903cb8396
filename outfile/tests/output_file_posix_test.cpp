// What only a POSIX file system can show: links, FIFOs, devices, permission bits, a file size
// limit that fails a write as a full disk does.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>

#include "output_file.h"
#include "scratch_folder.h"

namespace outfile {
namespace {

namespace fs = std::filesystem;
using testing::Put;
using testing::Read;
using testing::ScratchFolder;

class OutputFilePosixTest : public ::testing::Test {
  protected:
    void TearDown() override { ClearProtectedInputs(); }
    ScratchFolder folder;
};

TEST_F(OutputFilePosixTest, LinksAtTheTargetAreReplacedAndWhatTheyNameIsKept) {
    Put(folder / "precious.txt", "precious");
    fs::create_symlink(folder / "precious.txt", folder / "symlink.png");
    fs::create_hard_link(folder / "precious.txt", folder / "hardlink.png");
    fs::create_symlink(folder / "nowhere", folder / "dangling.png");
    for (const char* name : {"symlink.png", "hardlink.png", "dangling.png"}) {
        SCOPED_TRACE(name);
        std::string error;
        ASSERT_TRUE(WriteOutputFile(folder / name, "picture", &error)) << error;
        EXPECT_FALSE(fs::is_symlink(folder / name));
        EXPECT_EQ(Read(folder / name), "picture");
    }
    EXPECT_EQ(Read(folder / "precious.txt"), "precious");
    EXPECT_EQ(fs::hard_link_count(folder / "precious.txt"), 1u);
    EXPECT_FALSE(fs::exists(folder / "nowhere"));
    EXPECT_EQ(folder.Listing(), "dangling.png\nhardlink.png\nprecious.txt\nsymlink.png\n");
}

TEST_F(OutputFilePosixTest, AFifoADeviceAndASocketAreRefusedWithoutWaiting) {
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    for (const fs::path& target : {folder / "fifo", fs::path("/dev/null"), fs::path("/dev/full")}) {
        SCOPED_TRACE(target.string());
        std::string error;
        EXPECT_FALSE(WriteOutputFile(target, "x", &error));
        EXPECT_EQ(error, target.string() + ": not a regular file");
    }
    EXPECT_EQ(folder.Listing(), "fifo\n");
}

TEST_F(OutputFilePosixTest, AHardLinkOrSymlinkToAProtectedInputIsRefused) {
    Put(folder / "victim.img", "data under test");
    fs::create_hard_link(folder / "victim.img", folder / "other name.img");
    fs::create_symlink(folder / "victim.img", folder / "link.img");
    // The run names its input through the link: the link's name and the file are both kept.
    ProtectInput(folder / "link.img");
    for (const char* name : {"victim.img", "other name.img", "link.img"}) {
        SCOPED_TRACE(name);
        std::string error;
        EXPECT_FALSE(WriteOutputFile(folder / name, "results", &error));
        EXPECT_NE(error.find("is a file this run reads or tests"), std::string::npos) << error;
    }
    EXPECT_EQ(Read(folder / "victim.img"), "data under test");
    EXPECT_TRUE(fs::is_symlink(folder / "link.img"));
}

TEST_F(OutputFilePosixTest, AnExistingFileKeepsItsPermissionBits) {
    Put(folder / "listing.lis", "old");
    fs::permissions(folder / "listing.lis",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::string error;
    ASSERT_TRUE(WriteOutputFile(folder / "listing.lis", "new", &error)) << error;
    EXPECT_EQ(fs::status(folder / "listing.lis").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(OutputFilePosixTest, AReadOnlyFileIsNotReplaced) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write any file";
    Put(folder / "read-only.txt", "old");
    fs::permissions(folder / "read-only.txt", fs::perms::owner_read);
    std::string error;
    EXPECT_FALSE(WriteOutputFile(folder / "read-only.txt", "new", &error));
    EXPECT_EQ(Read(folder / "read-only.txt"), "old");
    EXPECT_EQ(folder.Listing(), "read-only.txt\n");
}

// A write past the file size limit fails with EFBIG where a full disk fails with ENOSPC: the
// same path through the component, with a real file.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previous_);
    }

  private:
    rlimit saved_{};
    sighandler_t previous_;
};

TEST_F(OutputFilePosixTest, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    Put(folder / "results.json", "the last run's results");
    const std::string large(1 << 20, 'x');
    std::string error;
    bool written;
    {
        FileSizeLimit limit(100000);
        written = WriteOutputFile(folder / "results.json", large, &error);
    }
    EXPECT_FALSE(written);
    EXPECT_NE(error.find(PathText(folder / "results.json") + ": "), std::string::npos) << error;
    EXPECT_NE(error.find(std::strerror(EFBIG)), std::string::npos) << error;
    EXPECT_EQ(Read(folder / "results.json"), "the last run's results");
    EXPECT_EQ(folder.Listing(), "results.json\n");
}

TEST_F(OutputFilePosixTest, AFolderThatTakesNoNewFileIsToldAtOpen) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
    fs::create_directory(folder / "locked");
    fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    std::string error;
    EXPECT_FALSE(WriteOutputFile(folder / "locked" / "out.txt", "x", &error));
    EXPECT_NE(error.find(std::strerror(EACCES)), std::string::npos) << error;
    fs::permissions(folder / "locked", fs::perms::owner_all);
}

TEST_F(OutputFilePosixTest, StopSignalsWaitWhileHeld) {
    static volatile sig_atomic_t arrived = 0;
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = [](int) { arrived = arrived + 1; };
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        arrived = 0;
        sigaction(signal, &action, &previous);
        {
            StopSignalsHeld held;
            raise(signal);
            EXPECT_EQ(arrived, 0);
        }
        EXPECT_EQ(arrived, 1);
        sigaction(signal, &previous, nullptr);
    }
}

}  // namespace
}  // namespace outfile
