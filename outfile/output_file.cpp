#include "output_file.h"

#include <mutex>
#include <optional>
#include <vector>

#include "output_file_platform.h"

namespace outfile {

namespace fs = std::filesystem;
using detail::FileId;

namespace {

// Bytes gathered before they go to the file: small writes (an RTF document is written in
// pieces of a few bytes) cost no system call each.
constexpr std::size_t kBufferSize = 64 * 1024;

std::string Failure(const fs::path& path, const std::string& reason) {
    return PathText(path) + ": " + reason;
}

fs::path FolderOf(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// How a path is recognised: the file's identity where it exists, and always its folder's
// identity with its name, so that a name the run has yet to create is known too.
struct FileKey {
    std::optional<FileId> file;
    std::optional<FileId> folder;
    fs::path name;
};

FileKey KeyOf(const fs::path& path, bool follow) {
    FileKey key;
    FileId id;
    if (detail::IdentityOf(path, follow, &id)) key.file = id;
    if (detail::IdentityOf(FolderOf(path), true, &id)) key.folder = id;
    key.name = path.filename();
    return key;
}

bool Matches(const FileKey& a, const FileKey& b) {
    if (a.file && b.file && *a.file == *b.file) return true;
    return a.folder && b.folder && *a.folder == *b.folder && !a.name.empty() &&
           detail::SameName(a.name, b.name);
}

std::mutex protectedLock;
std::vector<FileKey>& ProtectedKeys() {
    static std::vector<FileKey> keys;
    return keys;
}

// A target is compared without following a link at it: the link is what gets replaced.
bool TargetIsProtected(const fs::path& target) {
    const FileKey key = KeyOf(target, false);
    std::lock_guard<std::mutex> hold(protectedLock);
    for (const FileKey& input : ProtectedKeys()) {
        if (Matches(key, input)) return true;
    }
    return false;
}

}  // namespace

OutputFile::OutputFile() = default;

OutputFile::~OutputFile() {
    Discard();
}

bool OutputFile::isOpen() const {
    return platform_ != nullptr;
}

bool OutputFile::Open(const fs::path& target, std::string* error) {
    Discard();
    if (target.empty()) {
        *error = "an empty file name";
        return false;
    }
    if (!target.has_filename()) {
        *error = Failure(target, "is a folder");
        return false;
    }
    detail::TargetKind kind;
    int code = 0;
    if (!detail::InspectTarget(target, &kind, &code)) {
        *error = Failure(target, detail::ErrorText(code));
        return false;
    }
    switch (kind) {
        case detail::TargetKind::Folder:
            *error = Failure(target, "is a folder");
            return false;
        case detail::TargetKind::Other:
            *error = Failure(target, "not a regular file");
            return false;
        case detail::TargetKind::Regular:
            if (!detail::MayReplace(target, &code)) {
                *error = Failure(target, detail::ErrorText(code));
                return false;
            }
            break;
        case detail::TargetKind::Missing:
        case detail::TargetKind::Link:
            break;
    }
    if (TargetIsProtected(target)) {
        *error = Failure(target, "is a file this run reads or tests");
        return false;
    }
    auto file = std::make_unique<Platform>();
    const fs::path folder = target.parent_path();
    const std::string stem =
        "." + PathText(target.filename()) + "." + std::to_string(detail::ProcessId()) + "-";
    for (int attempt = 0;; ++attempt) {
        const fs::path name = folder / (stem + std::to_string(attempt) + ".tmp");
        if (detail::CreateTemporary(name, target, kind == detail::TargetKind::Regular, file.get(),
                                    &code)) {
            temporary_ = name;
            break;
        }
        if (!detail::IsExistsError(code) || attempt == 99) {
            // The reason the folder refused a new file, told for the name the user gave.
            *error = Failure(target, detail::ErrorText(code));
            return false;
        }
    }
    target_ = target;
    platform_ = std::move(file);
    buffer_.clear();
    buffer_.reserve(kBufferSize);
    failed_ = false;
    failure_ = 0;
    return true;
}

bool OutputFile::Flush() {
    if (failed_) return false;
    if (!buffer_.empty() &&
        !detail::WriteAll(platform_.get(), buffer_.data(), buffer_.size(), &failure_)) {
        failed_ = true;
    }
    buffer_.clear();
    return !failed_;
}

bool OutputFile::Write(const void* data, std::size_t size) {
    if (!platform_ || failed_) return false;
    const char* bytes = static_cast<const char*>(data);
    if (buffer_.size() + size > kBufferSize) {
        if (!Flush()) return false;
        if (size >= kBufferSize) {
            if (!detail::WriteAll(platform_.get(), bytes, size, &failure_)) failed_ = true;
            return !failed_;
        }
    }
    buffer_.append(bytes, size);
    return true;
}

bool OutputFile::Write(std::string_view bytes) {
    return Write(bytes.data(), bytes.size());
}

bool OutputFile::Commit(std::string* error) {
    if (!platform_) {
        *error = "no output file open";
        return false;
    }
    int code = 0;
    bool ok = Flush();
    if (!ok) code = failure_;
    int closeCode = 0;
    if (!detail::FlushAndClose(platform_.get(), &closeCode) && ok) {
        ok = false;
        code = closeCode;
    }
    if (ok && !detail::Replace(temporary_, target_, &code)) ok = false;
    if (!ok) {
        *error = Failure(target_, detail::ErrorText(code));
        detail::RemoveQuietly(temporary_);
    }
    platform_.reset();
    temporary_.clear();
    buffer_.clear();
    return ok;
}

void OutputFile::Discard() {
    if (!platform_) return;
    detail::CloseQuietly(platform_.get());
    detail::RemoveQuietly(temporary_);
    platform_.reset();
    temporary_.clear();
    buffer_.clear();
}

bool WriteOutputFile(const fs::path& target, std::string_view content, std::string* error) {
    OutputFile file;
    if (!file.Open(target, error)) return false;
    file.Write(content);
    return file.Commit(error);
}

void ProtectInput(const fs::path& path) {
    FileKey key = KeyOf(path, true);
    std::lock_guard<std::mutex> hold(protectedLock);
    ProtectedKeys().push_back(std::move(key));
}

void ClearProtectedInputs() {
    std::lock_guard<std::mutex> hold(protectedLock);
    ProtectedKeys().clear();
}

bool IsProtectedInput(const fs::path& path) {
    return TargetIsProtected(path);
}

bool SameFile(const fs::path& a, const fs::path& b) {
    return Matches(KeyOf(a, true), KeyOf(b, true));
}

}  // namespace outfile
