// Win32 backend of the file seam: CreateFileW with the flags of the pass, OVERLAPPED requests
// with one manual-reset event per slot, WaitForMultipleObjects, GetDiskFreeSpaceExW and
// GetDriveTypeW.
#include <windows.h>

#include <array>

#include "test_file.h"

namespace kadra {

namespace {

constexpr unsigned kMaxSlots = 40;

class Win32Queue : public RequestQueueBackend {
  public:
    Win32Queue(HANDLE file, unsigned slots)
        : file_(file), slots_(slots > kMaxSlots ? kMaxSlots : slots) {}

    ~Win32Queue() override {
        // Requests still in flight write into memory the caller is about to free.
        for (unsigned i = 0; i < slots_; ++i) {
            if (inFlight_[i]) {
                DWORD bytes = 0;
                GetOverlappedResult(file_, &overlapped_[i], &bytes, TRUE);
            }
        }
        for (unsigned i = 0; i < slots_; ++i) {
            if (events_[i] != nullptr) CloseHandle(events_[i]);
        }
    }

    // Creates the events: manual reset, not signalled, unnamed.
    int Init() {
        for (unsigned i = 0; i < slots_; ++i) {
            events_[i] = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            if (events_[i] == nullptr) return static_cast<int>(GetLastError());
        }
        return 0;
    }

    bool Issue(unsigned slot, bool write, uint64_t offset, void* buffer, uint32_t length,
               Transfer* failure) override {
        OVERLAPPED& o = overlapped_[slot];
        o = OVERLAPPED{};
        o.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
        o.OffsetHigh = static_cast<DWORD>(offset >> 32);
        o.hEvent = events_[slot];
        BOOL done = write ? WriteFile(file_, buffer, length, nullptr, &o)
                          : ReadFile(file_, buffer, length, nullptr, &o);
        if (!done) {
            DWORD error = GetLastError();
            if (error == ERROR_HANDLE_EOF) {
                // A read at the end of the file: completes at once, having moved nothing.
                SetEvent(events_[slot]);
            } else if (error != ERROR_IO_PENDING) {
                *failure = Transfer{0, static_cast<int>(error)};
                return false;
            }
        }
        inFlight_[slot] = true;
        return true;
    }

    bool Poll(unsigned slot, Transfer* result) override {
        if (!inFlight_[slot]) return false;
        if (WaitForSingleObject(events_[slot], 0) != WAIT_OBJECT_0) return false;
        ResetEvent(events_[slot]);
        inFlight_[slot] = false;
        DWORD bytes = 0;
        if (GetOverlappedResult(file_, &overlapped_[slot], &bytes, FALSE)) {
            *result = Transfer{bytes, 0};
        } else {
            DWORD error = GetLastError();
            *result = error == ERROR_HANDLE_EOF ? Transfer{0, 0}
                                                : Transfer{bytes, static_cast<int>(error)};
        }
        return true;
    }

    void WaitAny(unsigned slots) override {
        if (slots > slots_) slots = slots_;
        WaitForMultipleObjects(slots, events_.data(), FALSE, INFINITE);
    }

  private:
    HANDLE file_;
    unsigned slots_;
    std::array<HANDLE, kMaxSlots> events_{};
    std::array<OVERLAPPED, kMaxSlots> overlapped_{};
    std::array<bool, kMaxSlots> inFlight_{};
};

class Win32TestFile : public TestFile {
  public:
    explicit Win32TestFile(HANDLE file) : file_(file) {}
    ~Win32TestFile() override { CloseHandle(file_); }

    int SetPosition(uint64_t offset) override {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(file_, to, nullptr, FILE_BEGIN) ? 0
                                                                : static_cast<int>(GetLastError());
    }

    Transfer Read(void* buffer, uint32_t length) override {
        DWORD bytes = 0;
        if (ReadFile(file_, buffer, length, &bytes, nullptr)) return Transfer{bytes, 0};
        DWORD error = GetLastError();
        return error == ERROR_HANDLE_EOF ? Transfer{0, 0}
                                         : Transfer{bytes, static_cast<int>(error)};
    }

    Transfer Write(const void* buffer, uint32_t length) override {
        DWORD bytes = 0;
        if (WriteFile(file_, buffer, length, &bytes, nullptr)) return Transfer{bytes, 0};
        return Transfer{bytes, static_cast<int>(GetLastError())};
    }

    std::unique_ptr<RequestQueueBackend> OpenQueue(unsigned slots, int* error) override {
        auto queue = std::make_unique<Win32Queue>(file_, slots);
        int result = queue->Init();
        if (result != 0) {
            *error = result;
            return nullptr;
        }
        return queue;
    }

  private:
    HANDLE file_;
};

constexpr DWORD kNotPlain =
    FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE;

// Whether an open handle is a plain file on a disk: no device, folder or reparse point, and,
// when `oneName` is asked for, no second name (hard link) sharing the file.
bool IsPlainFile(HANDLE file, bool oneName) {
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
           (info.dwFileAttributes & kNotPlain) == 0 && (!oneName || info.nNumberOfLinks == 1);
}

// Before a test file is created anew: an existing plain file with one name is deleted, through
// a handle of the very file looked at; anything else at the name is refused
// (kNotRegularFileError). 0, or the error.
int RemoveOldTestFile(const KText& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;  // nothing there: CREATE_NEW tells
    if ((attributes & kNotPlain) != 0) return kNotRegularFileError;
    HANDLE file = CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : static_cast<int>(error);
    }
    int result = kNotRegularFileError;
    if (IsPlainFile(file, true)) {
        FILE_DISPOSITION_INFO disposition{TRUE};
        const BOOL deleted =
            SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
        result = deleted ? 0 : static_cast<int>(GetLastError());
    }
    CloseHandle(file);
    return result;
}

class Win32FileSystem : public FileSystem {
  public:
    std::unique_ptr<TestFile> Open(const KText& path, const FileOpenMode& mode,
                                   int* error) override {
        DWORD access = mode.write ? GENERIC_WRITE : GENERIC_READ;
        DWORD share =
            (mode.shareRead ? FILE_SHARE_READ : 0) | (mode.shareWrite ? FILE_SHARE_WRITE : 0);
        DWORD disposition = mode.write ? CREATE_NEW : OPEN_EXISTING;
        DWORD flags = FILE_ATTRIBUTE_NORMAL;
        if (mode.sequential) flags |= FILE_FLAG_SEQUENTIAL_SCAN;
        if (mode.unbuffered) flags |= FILE_FLAG_NO_BUFFERING;
        if (mode.overlapped) flags |= FILE_FLAG_OVERLAPPED;
        // A test file to write is created anew by this call (test_file.h), never reached
        // through a reparse point (a symbolic link or a junction): the point itself would be
        // opened, and is refused.
        if (mode.write) {
            const int removed = RemoveOldTestFile(path);
            if (removed != 0) {
                *error = removed;
                return nullptr;
            }
            flags |= FILE_FLAG_OPEN_REPARSE_POINT;
        }
        HANDLE file =
            CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            *error = static_cast<int>(GetLastError());
            return nullptr;
        }
        if (!IsPlainFile(file, mode.write)) {
            CloseHandle(file);
            *error = kNotRegularFileError;
            return nullptr;
        }
        return std::make_unique<Win32TestFile>(file);
    }

    bool Delete(const KText& path) override {
        DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kNotPlain) != 0) return false;
        return DeleteFileW(path.c_str()) != 0;
    }

    bool FreeBytes(const KText& folder, uint64_t* bytes) override {
        ULARGE_INTEGER available;
        if (!GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) return false;
        *bytes = available.QuadPart;
        return true;
    }

    bool FileSize(const KText& path, uint64_t* bytes) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
        *bytes = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        return true;
    }

    bool IsRemote(const KText& folder) override {
        return GetDriveTypeW(folder.c_str()) == DRIVE_REMOTE;
    }

    KText ErrorText(int error) override {
        if (error == kNotRegularFileError) return L"not a regular file";
        wchar_t* text = nullptr;
        DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, static_cast<DWORD>(error), 0,
                                      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        KText message;
        if (length != 0 && text != nullptr) {
            message.assign(text, length);
            LocalFree(text);
            while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                        message.back() == L' ' || message.back() == L'.')) {
                message.pop_back();
            }
        }
        if (message.empty()) message = L"error " + std::to_wstring(error);
        return message;
    }
};

}  // namespace

FileSystem& SystemFileSystem() {
    static Win32FileSystem files;
    return files;
}

}  // namespace kadra
