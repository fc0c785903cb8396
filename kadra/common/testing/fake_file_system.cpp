#include "fake_file_system.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kadra {

namespace {

class FakeQueue : public RequestQueueBackend {
  public:
    FakeQueue(FakeFileSystem& files, const KText& path) : files_(files), path_(path) {}

    bool Issue(unsigned slot, bool write, uint64_t offset, void* buffer, uint32_t length,
               Transfer* failure) override {
        files_.clock().Advance(files_.issueMs);
        FakeTransfer t;
        t.path = path_;
        t.write = write;
        t.queued = true;
        t.slot = slot;
        t.offset = offset;
        t.length = length;
        t.data = static_cast<uint8_t*>(buffer);
        uint64_t position = offset;
        Prepare(t);
        if (t.error < 0) {
            // A negative error scripts a request the system refuses to issue.
            *failure = Transfer{0, -t.error};
            return false;
        }
        Move(t, position);
        Slot& s = slots_[slot];
        s.inFlight = true;
        s.doneAt = files_.clock().now + t.durationMs;
        s.result = Transfer{t.error == 0 ? t.bytes : 0, t.error};
        unsigned inFlight = 0;
        for (const Slot& other : slots_)
            inFlight += other.inFlight ? 1 : 0;
        files_.maxInFlight = std::max(files_.maxInFlight, inFlight);
        return true;
    }

    bool Poll(unsigned slot, Transfer* result) override {
        Slot& s = slots_[slot];
        if (!s.inFlight || s.doneAt > files_.clock().now) return false;
        s.inFlight = false;
        *result = s.result;
        return true;
    }

    void WaitAny(unsigned count) override {
        double earliest = -1.0;
        for (unsigned i = 0; i < count; ++i) {
            if (slots_[i].inFlight && (earliest < 0.0 || slots_[i].doneAt < earliest)) {
                earliest = slots_[i].doneAt;
            }
        }
        if (earliest > files_.clock().now) files_.clock().now = earliest;
    }

  private:
    struct Slot {
        bool inFlight = false;
        double doneAt = 0.0;
        Transfer result;
    };

    void Prepare(FakeTransfer& t) {
        std::vector<uint8_t>& content = files_.files[path_];
        if (t.write) {
            t.bytes = t.length;
        } else {
            uint64_t size = content.size();
            t.bytes = t.offset >= size
                          ? 0
                          : static_cast<uint32_t>(std::min<uint64_t>(t.length, size - t.offset));
        }
        t.durationMs = files_.transferMs;
        if (files_.onTransfer) files_.onTransfer(t);
    }

    void Move(FakeTransfer& t, uint64_t& position) {
        if (t.error == 0) {
            std::vector<uint8_t>& content = files_.files[path_];
            if (t.write) {
                if (content.size() < t.offset + t.bytes) content.resize(t.offset + t.bytes);
                std::memcpy(content.data() + t.offset, t.data, t.bytes);
            } else if (t.bytes > 0) {
                std::memcpy(t.data, content.data() + t.offset, t.bytes);
            }
            position = t.offset + t.bytes;
        }
        files_.transfers.push_back(t);
        if (files_.afterTransfer) files_.afterTransfer(t);
    }

    FakeFileSystem& files_;
    KText path_;
    std::array<Slot, 40> slots_{};
};

class FakeFile : public TestFile {
  public:
    FakeFile(FakeFileSystem& files, const KText& path) : files_(files), path_(path) {}

    int SetPosition(uint64_t offset) override {
        position_ = offset;
        return 0;
    }
    Transfer Read(void* buffer, uint32_t length) override {
        return Sync(false, static_cast<uint8_t*>(buffer), length);
    }
    Transfer Write(const void* buffer, uint32_t length) override {
        return Sync(true, static_cast<uint8_t*>(const_cast<void*>(buffer)), length);
    }
    std::unique_ptr<RequestQueueBackend> OpenQueue(unsigned, int* error) override {
        if (files_.queueError != 0) {
            *error = files_.queueError;
            return nullptr;
        }
        return std::make_unique<FakeQueue>(files_, path_);
    }

  private:
    Transfer Sync(bool write, uint8_t* buffer, uint32_t length) {
        FakeTransfer t;
        t.path = path_;
        t.write = write;
        t.offset = position_;
        t.length = length;
        t.data = buffer;
        files_.Perform(t, position_);
        return Transfer{t.error == 0 ? t.bytes : 0, t.error};
    }

    FakeFileSystem& files_;
    KText path_;
    uint64_t position_ = 0;
};

}  // namespace

std::unique_ptr<TestFile> FakeFileSystem::Open(const KText& path, const FileOpenMode& mode,
                                               int* error) {
    opens.push_back({path, mode});
    auto failure = openErrors.find(path);
    if (failure != openErrors.end()) {
        *error = failure->second;
        return nullptr;
    }
    if (mode.write) {
        files[path].clear();
    } else if (files.count(path) == 0) {
        *error = 2;
        return nullptr;
    }
    return std::make_unique<FakeFile>(*this, path);
}

bool FakeFileSystem::Delete(const KText& path) {
    if (onDelete) onDelete(path);
    deleted.push_back(path);
    return files.erase(path) != 0;
}

bool FakeFileSystem::FreeBytes(const KText& folder, uint64_t* bytes) {
    auto found = freeBytes.find(folder);
    if (found == freeBytes.end()) return false;
    *bytes = found->second;
    return true;
}

bool FakeFileSystem::FileSize(const KText& path, uint64_t* bytes) {
    auto found = files.find(path);
    if (found == files.end()) return false;
    *bytes = found->second.size();
    return true;
}

void FakeFileSystem::Perform(FakeTransfer& t, uint64_t& position) {
    std::vector<uint8_t>& content = files[t.path];
    if (t.write) {
        t.bytes = t.length;
    } else {
        uint64_t size = content.size();
        t.bytes = t.offset >= size
                      ? 0
                      : static_cast<uint32_t>(std::min<uint64_t>(t.length, size - t.offset));
    }
    t.durationMs = transferMs;
    if (onTransfer) onTransfer(t);
    clock_.Advance(t.durationMs);
    if (t.error == 0) {
        std::vector<uint8_t>& data = files[t.path];
        if (t.write) {
            if (data.size() < t.offset + t.bytes) data.resize(t.offset + t.bytes);
            std::memcpy(data.data() + t.offset, t.data, t.bytes);
        } else if (t.bytes > 0) {
            std::memcpy(t.data, data.data() + t.offset, t.bytes);
        }
        position = t.offset + t.bytes;
    }
    transfers.push_back(t);
    if (afterTransfer) afterTransfer(t);
}

}  // namespace kadra
