#include "sparse_memory.h"

#include <cstring>
#include <iterator>

#include "platform.h"

namespace tvk {

SparseMemory::~SparseMemory() {
    if (base_) ReleasePages(base_, ChunkCount() * kChunk);
}

bool SparseMemory::Reserve() {
    if (base_) return true;
    if (reserveFailed_ || size_ == 0 || size_ > kMaxSize) return false;
    base_ = static_cast<uint8_t*>(ReservePages(ChunkCount() * kChunk));
    if (!base_) {
        reserveFailed_ = true;
        return false;
    }
    committed_.assign(size_t(ChunkCount()), false);
    return true;
}

bool SparseMemory::CommitChunk(uint64_t chunk) {
    if (committed_[size_t(chunk)]) return true;
    uint8_t* at = base_ + chunk * kChunk;
    if (!CommitPages(at, kChunk)) return false;
    if (const uint8_t value = PendingValue(chunk)) std::memset(at, value, size_t(kChunk));
    committed_[size_t(chunk)] = true;
    ++committedChunks_;
    return true;
}

uint8_t* SparseMemory::Touch(uint64_t offset, uint64_t length) {
    if (offset > size_ || length > size_ - offset || !Reserve()) return nullptr;
    if (length > 0) {
        for (uint64_t c = offset / kChunk; c <= (offset + length - 1) / kChunk; ++c)
            if (!CommitChunk(c)) return nullptr;
    }
    return base_ + offset;
}

bool SparseMemory::Fill(uint64_t offset, uint64_t length, uint8_t value) {
    if (offset > size_ || length > size_ - offset) return false;
    const uint64_t end = offset + length;
    const uint64_t firstWhole = (offset + kChunk - 1) / kChunk;
    const uint64_t endWhole = end / kChunk;
    if (firstWhole >= endWhole) {
        uint8_t* bytes = Touch(offset, length);
        if (bytes) std::memset(bytes, value, size_t(length));
        return bytes != nullptr;
    }
    // The partial chunks at both ends are touched; the whole ones in between take the value
    // when they are touched, or now when they already are.
    uint8_t* head = Touch(offset, firstWhole * kChunk - offset);
    uint8_t* tail = Touch(endWhole * kChunk, end - endWhole * kChunk);
    if (!head || !tail) return false;
    std::memset(head, value, size_t(firstWhole * kChunk - offset));
    std::memset(tail, value, size_t(end - endWhole * kChunk));
    SetPending(firstWhole, endWhole, value);
    if (committedChunks_ > 0) {
        for (uint64_t c = firstWhole; c < endWhole; ++c)
            if (committed_[size_t(c)]) std::memset(base_ + c * kChunk, value, size_t(kChunk));
    }
    return true;
}

uint8_t SparseMemory::PendingValue(uint64_t chunk) const {
    auto it = pending_.upper_bound(chunk);
    if (it == pending_.begin()) return 0;
    --it;
    return chunk < it->second.first ? it->second.second : 0;
}

void SparseMemory::SetPending(uint64_t first, uint64_t end, uint8_t value) {
    // Cut the entries that reach into [first, end) back to the parts outside it.
    auto it = pending_.lower_bound(first);
    if (it != pending_.begin()) {
        auto before = std::prev(it);
        const auto [beforeEnd, beforeValue] = before->second;
        if (beforeEnd > first) {
            before->second.first = first;
            if (beforeEnd > end) pending_[end] = {beforeEnd, beforeValue};
        }
    }
    while (it != pending_.end() && it->first < end) {
        const auto [itEnd, itValue] = it->second;
        it = pending_.erase(it);
        if (itEnd > end) pending_[end] = {itEnd, itValue};
    }
    pending_[first] = {end, value};
}

}  // namespace tvk
