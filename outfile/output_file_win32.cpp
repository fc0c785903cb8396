// The output-file component on Windows: CreateFileW with CREATE_NEW, FlushFileBuffers,
// MoveFileExW with MOVEFILE_REPLACE_EXISTING.
#include <windows.h>

#include "output_file_platform.h"

namespace outfile {

namespace fs = std::filesystem;

namespace detail {

namespace {

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

}  // namespace

bool InspectTarget(const fs::path& target, TargetKind* kind, int* error) {
    // Opened for no access at all, the name itself: a link is not followed, and a device name
    // (NUL, CON, COM1) answers as what it is.
    HANDLE handle = CreateFileW(
        target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (IsMissing(code)) {
            *kind = TargetKind::Missing;
            return true;
        }
        *error = static_cast<int>(code);
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const DWORD type = GetFileType(handle);
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (type != FILE_TYPE_DISK || !known) {
        *kind = TargetKind::Other;
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        *kind = TargetKind::Link;
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        *kind = TargetKind::Folder;
    } else {
        *kind = TargetKind::Regular;
    }
    return true;
}

bool MayReplace(const fs::path& target, int* error) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        *error = ERROR_ACCESS_DENIED;
        return false;
    }
    return true;
}

bool CreateTemporary(const fs::path& temporary, const fs::path&, bool, OutputFile::Platform* file,
                     int* error) {
    HANDLE handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *error = static_cast<int>(GetLastError());
        return false;
    }
    file->handle = reinterpret_cast<std::intptr_t>(handle);
    return true;
}

bool WriteAll(OutputFile::Platform* file, const char* data, std::size_t size, int* error) {
    while (size > 0) {
        const DWORD piece = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(AsHandle(file->handle), data, piece, &written, nullptr)) {
            *error = static_cast<int>(GetLastError());
            return false;
        }
        if (written == 0) {
            *error = ERROR_DISK_FULL;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool FlushAndClose(OutputFile::Platform* file, int* error) {
    HANDLE handle = AsHandle(file->handle);
    file->handle = -1;
    bool ok = FlushFileBuffers(handle) != 0;
    if (!ok) *error = static_cast<int>(GetLastError());
    if (!CloseHandle(handle) && ok) {
        *error = static_cast<int>(GetLastError());
        ok = false;
    }
    return ok;
}

void CloseQuietly(OutputFile::Platform* file) {
    if (file->handle != -1) CloseHandle(AsHandle(file->handle));
    file->handle = -1;
}

bool Replace(const fs::path& temporary, const fs::path& target, int* error) {
    if (!MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        *error = static_cast<int>(GetLastError());
        return false;
    }
    return true;
}

void RemoveQuietly(const fs::path& path) {
    if (!path.empty()) DeleteFileW(path.c_str());
}

bool IdentityOf(const fs::path& path, bool follow, FileId* id) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    HANDLE handle =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known =
        GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known) return false;
    id->device = info.dwVolumeSerialNumber;
    id->file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

unsigned long ProcessId() {
    return GetCurrentProcessId();
}

bool SameName(const fs::path& a, const fs::path& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::string ErrorText(int error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length != 0 && text != nullptr ? std::wstring(text, length) : L"";
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L'.' || message.back() == L' ')) {
        message.pop_back();
    }
    if (message.empty()) return "error " + std::to_string(error);
    return Utf8(message);
}

bool IsExistsError(int error) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

}  // namespace detail

std::string PathText(const fs::path& path) {
    return detail::Utf8(path.wstring());
}

fs::path PathFromNarrow(std::string_view text) {
    if (text.empty()) return {};
    const int size =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return fs::path(wide);
}

StopSignalsHeld::StopSignalsHeld() = default;
StopSignalsHeld::~StopSignalsHeld() = default;

}  // namespace outfile
