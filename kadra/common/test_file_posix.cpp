// POSIX backend of the file seam: O_DIRECT for uncached transfers, posix_fadvise for the
// sequential hint, io_uring (liburing) for the request queue, statvfs for free space.
#include <fcntl.h>
#include <liburing.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "remote_file_system.h"
#include "test_file.h"

namespace kadra {

namespace {

constexpr unsigned kMaxSlots = 40;

class UringQueue : public RequestQueueBackend {
  public:
    explicit UringQueue(int fd) : fd_(fd) {}
    ~UringQueue() override {
        if (!ready_) return;
        // Requests still in flight write into memory the caller is about to free: wait for them.
        while (InFlight() > 0) {
            if (!WaitForCompletion()) break;
        }
        // The ring is torn down in the background after it is closed; what it still holds
        // registered would stay referenced until then: the file (and with it the space of a
        // deleted test file) and the pinned buffer. Both are given back here, at once.
        if (bufferLength_ != 0) io_uring_unregister_buffers(&ring_);
        if (fixedFile_) io_uring_unregister_files(&ring_);
        io_uring_queue_exit(&ring_);
    }

    int Init() {
        // Room for every slot, rounded up to a power of two as the kernel does anyway.
        int result = io_uring_queue_init(64, &ring_, 0);
        if (result < 0) return -result;
        ready_ = true;
        // A registered file spares the kernel looking the descriptor up at every request.
        fixedFile_ = io_uring_register_files(&ring_, &fd_, 1) == 0;
        return 0;
    }

    // A registered buffer is pinned once instead of at every request. It counts against the
    // locked-memory limit; where that is too small, requests go on with plain reads and writes.
    void PrepareBuffer(void* buffer, size_t length) override {
        if (bufferLength_ != 0) {
            io_uring_unregister_buffers(&ring_);
            bufferLength_ = 0;
        }
        iovec range{buffer, length};
        if (io_uring_register_buffers(&ring_, &range, 1) == 0) {
            bufferStart_ = static_cast<uint8_t*>(buffer);
            bufferLength_ = length;
        }
    }

    bool Issue(unsigned slot, bool write, uint64_t offset, void* buffer, uint32_t length,
               Transfer* failure) override {
        io_uring_sqe* sqe = io_uring_get_sqe(&ring_);
        if (sqe == nullptr) {
            io_uring_submit(&ring_);
            sqe = io_uring_get_sqe(&ring_);
        }
        if (sqe == nullptr) {
            *failure = {0, EBUSY};
            return false;
        }
        const int fd = fixedFile_ ? 0 : fd_;
        if (InPreparedBuffer(buffer, length)) {
            if (write) {
                io_uring_prep_write_fixed(sqe, fd, buffer, length, offset, 0);
            } else {
                io_uring_prep_read_fixed(sqe, fd, buffer, length, offset, 0);
            }
        } else if (write) {
            io_uring_prep_write(sqe, fd, buffer, length, offset);
        } else {
            io_uring_prep_read(sqe, fd, buffer, length, offset);
        }
        if (fixedFile_) sqe->flags |= IOSQE_FIXED_FILE;
        io_uring_sqe_set_data64(sqe, slot);
        int submitted;
        do {
            submitted = io_uring_submit(&ring_);
        } while (submitted == -EINTR);
        if (submitted < 0) {
            *failure = {0, -submitted};
            return false;
        }
        state_[slot] = SlotState{true, false, {}};
        return true;
    }

    bool Poll(unsigned slot, Transfer* result) override {
        if (!state_[slot].done) Harvest();
        if (!state_[slot].done) return false;
        *result = state_[slot].result;
        state_[slot].done = false;
        return true;
    }

    void WaitAny(unsigned slots) override {
        Harvest();
        while (!AnyDone(slots)) {
            if (InFlight() == 0 || !WaitForCompletion()) return;
        }
    }

  private:
    struct SlotState {
        bool inFlight = false;
        bool done = false;
        Transfer result;
    };

    bool InPreparedBuffer(const void* buffer, uint32_t length) const {
        const auto* start = static_cast<const uint8_t*>(buffer);
        return bufferLength_ != 0 && start >= bufferStart_ &&
               static_cast<size_t>(start - bufferStart_) + length <= bufferLength_;
    }

    unsigned InFlight() const {
        unsigned count = 0;
        for (const SlotState& s : state_)
            count += s.inFlight ? 1 : 0;
        return count;
    }

    bool AnyDone(unsigned slots) const {
        for (unsigned i = 0; i < slots && i < kMaxSlots; ++i) {
            if (state_[i].done) return true;
        }
        return false;
    }

    // Blocks until at least one completion is there and takes every waiting one.
    bool WaitForCompletion() {
        io_uring_cqe* cqe = nullptr;
        int result;
        do {
            result = io_uring_wait_cqe(&ring_, &cqe);
        } while (result == -EINTR);
        if (result < 0) return false;
        Harvest();
        return true;
    }

    void Harvest() {
        io_uring_cqe* cqe = nullptr;
        while (io_uring_peek_cqe(&ring_, &cqe) == 0 && cqe != nullptr) {
            uint64_t slot = io_uring_cqe_get_data64(cqe);
            if (slot < kMaxSlots) {
                SlotState& s = state_[slot];
                s.inFlight = false;
                s.done = true;
                s.result = cqe->res < 0 ? Transfer{0, -cqe->res}
                                        : Transfer{static_cast<uint32_t>(cqe->res), 0};
            }
            io_uring_cqe_seen(&ring_, cqe);
        }
    }

    int fd_;
    bool ready_ = false;
    bool fixedFile_ = false;
    uint8_t* bufferStart_ = nullptr;
    size_t bufferLength_ = 0;
    io_uring ring_{};
    std::array<SlotState, kMaxSlots> state_{};
};

class PosixTestFile : public TestFile {
  public:
    explicit PosixTestFile(int fd) : fd_(fd) {}
    ~PosixTestFile() override { close(fd_); }

    int SetPosition(uint64_t offset) override {
        return lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0 ? errno : 0;
    }

    Transfer Read(void* buffer, uint32_t length) override {
        ssize_t n;
        do {
            n = read(fd_, buffer, length);
        } while (n < 0 && errno == EINTR);
        return n < 0 ? Transfer{0, errno} : Transfer{static_cast<uint32_t>(n), 0};
    }

    Transfer Write(const void* buffer, uint32_t length) override {
        ssize_t n;
        do {
            n = write(fd_, buffer, length);
        } while (n < 0 && errno == EINTR);
        return n < 0 ? Transfer{0, errno} : Transfer{static_cast<uint32_t>(n), 0};
    }

    std::unique_ptr<RequestQueueBackend> OpenQueue(unsigned slots, int* error) override {
        auto queue = std::make_unique<UringQueue>(fd_);
        (void)slots;  // every one of the 40 slots fits in the ring
        int result = queue->Init();
        if (result != 0) {
            *error = result;
            return nullptr;
        }
        return queue;
    }

  private:
    int fd_;
};

// Whether uncached transfers of the passes suit the block device: they move multiples of
// 16 KiB at multiples of 16 KiB into page-aligned memory, which any logical block size up to
// the page size divides.
bool DirectTransfersFit(int fd) {
    int logicalBlock = 0;
    if (ioctl(fd, BLKSSZGET, &logicalBlock) != 0 || logicalBlock <= 0) return false;
    const long page = sysconf(_SC_PAGESIZE);
    return logicalBlock <= page && 16384 % logicalBlock == 0;
}

// Creates a test file for writing by the rule of test_file.h: an existing regular file with one
// link is removed, anything else at the name is refused, then the file is created exclusively
// and never through a link. O_DIRECT is set only once the file is open, so that a file system
// without uncached transfers leaves no empty file behind. The descriptor, or -1 with `error`.
int CreateTestFile(const std::string& name, bool unbuffered, int* error) {
    struct stat info {};
    if (lstat(name.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode) || info.st_nlink != 1) {
            *error = kNotRegularFileError;
            return -1;
        }
        if (unlink(name.c_str()) != 0 && errno != ENOENT) {
            *error = errno;
            return -1;
        }
    }
    // A name taken again since the look (EEXIST) is told, not written.
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    if (unbuffered && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_DIRECT) != 0) {
        *error = errno;
        // The file just made goes again, unless the name has been given to another since.
        struct stat made {};
        if (fstat(fd, &made) == 0 && lstat(name.c_str(), &info) == 0 &&
            made.st_dev == info.st_dev && made.st_ino == info.st_ino) {
            unlink(name.c_str());
        }
        close(fd);
        return -1;
    }
    return fd;
}

// Opens an existing file for reading: a regular file, or for a file test a block device.
// O_NONBLOCK: a FIFO of that name must not wait for a peer before it is refused.
int OpenToRead(const std::string& name, bool unbuffered, int* error) {
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
    if (unbuffered) flags |= O_DIRECT;
    const int fd = open(name.c_str(), flags);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISBLK(info.st_mode))) {
        close(fd);
        *error = kNotRegularFileError;
        return -1;
    }
    if (S_ISBLK(info.st_mode) && unbuffered && !DirectTransfersFit(fd)) {
        close(fd);
        *error = EINVAL;
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

class PosixFileSystem : public FileSystem {
  public:
    std::unique_ptr<TestFile> Open(const KText& path, const FileOpenMode& mode,
                                   int* error) override {
        const std::string name = ToUtf8(path);
        const int fd = mode.write ? CreateTestFile(name, mode.unbuffered, error)
                                  : OpenToRead(name, mode.unbuffered, error);
        if (fd < 0) return nullptr;
        if (mode.sequential) posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        return std::make_unique<PosixTestFile>(fd);
    }

    bool Delete(const KText& path) override {
        const std::string name = ToUtf8(path);
        struct stat info {};
        if (lstat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
        return unlink(name.c_str()) == 0;
    }

    bool FreeBytes(const KText& folder, uint64_t* bytes) override {
        struct statvfs info {};
        if (statvfs(ToUtf8(folder).c_str(), &info) != 0) return false;
        *bytes = static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
        return true;
    }

    bool FileSize(const KText& path, uint64_t* bytes) override {
        const std::string name = ToUtf8(path);
        struct stat info {};
        if (stat(name.c_str(), &info) != 0) return false;
        if (!S_ISBLK(info.st_mode)) {
            *bytes = static_cast<uint64_t>(info.st_size);
            return true;
        }
        // A block device has no size of its own in its attributes: the device tells it.
        int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return false;
        uint64_t size = 0;
        const bool known = ioctl(fd, BLKGETSIZE64, &size) == 0;
        close(fd);
        if (known) *bytes = size;
        return known;
    }

    bool IsRemote(const KText& folder) override {
        std::string name = ToUtf8(folder);
        struct statfs info {};
        if (statfs(name.c_str(), &info) != 0) return false;
        if (IsRemoteFileSystemMagic(static_cast<uint64_t>(info.f_type))) return true;
        // FUSE file systems are remote or local by their subtype ("fuse.sshfs"), which only
        // the mount table tells.
        if (static_cast<uint64_t>(info.f_type) != kFuseSuperMagic) return false;
        std::ifstream mountinfo("/proc/self/mountinfo");
        std::stringstream text;
        text << mountinfo.rdbuf();
        char resolved[4096];
        if (realpath(name.c_str(), resolved) != nullptr) name = resolved;
        return IsRemoteFileSystemType(MountTypeOfPath(name, text.str()));
    }

    KText ErrorText(int error) override {
        if (error == kNotRegularFileError) return L"not a regular file";
        return FromUtf8(std::strerror(error));
    }
};

}  // namespace

FileSystem& SystemFileSystem() {
    static PosixFileSystem files;
    return files;
}

}  // namespace kadra
