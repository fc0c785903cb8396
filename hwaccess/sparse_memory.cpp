#include "sparse_memory.h"

#include <algorithm>
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
    return true;
}

bool SparseMemory::CommitChunk(uint64_t chunk) {
    if (committed_.count(chunk)) return true;
    uint8_t* at = base_ + chunk * kChunk;
    if (!CommitPages(at, kChunk)) return false;
    const uint64_t start = chunk * kChunk;
    CopyNoted(start, std::min(size_, start + kChunk), at);
    committed_.insert(chunk);
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

template <typename F>
void SparseMemory::ForCommitted(uint64_t start, uint64_t end, F&& write) {
    for (auto c = committed_.lower_bound(start / kChunk);
         c != committed_.end() && *c * kChunk < end; ++c) {
        write(std::max(start, *c * kChunk), std::min(end, (*c + 1) * kChunk));
    }
}

bool SparseMemory::Fill(uint64_t offset, uint64_t length, uint8_t value) {
    if (offset > size_ || length > size_ - offset) return false;
    if (length == 0) return true;
    const uint64_t end = offset + length;
    Note(offset, {end, value, nullptr, 0});
    ForCommitted(offset, end, [&](uint64_t from, uint64_t to) {
        std::memset(base_ + from, value, size_t(to - from));
    });
    return true;
}

bool SparseMemory::Store(uint64_t offset, const uint8_t* bytes, uint64_t length) {
    if (offset > size_ || length > size_ - offset) return false;
    if (length == 0) return true;
    const uint64_t end = offset + length;
    Note(offset, {end, 0, std::make_shared<const std::vector<uint8_t>>(bytes, bytes + length), 0});
    ForCommitted(offset, end, [&](uint64_t from, uint64_t to) {
        std::memcpy(base_ + from, bytes + (from - offset), size_t(to - from));
    });
    return true;
}

bool SparseMemory::Read(uint64_t offset, uint8_t* out, uint64_t length) const {
    if (offset > size_ || length > size_ - offset) return false;
    const uint64_t end = offset + length;
    for (uint64_t at = offset; at < end;) {
        const uint64_t chunk = at / kChunk;
        const uint64_t to = std::min(end, (chunk + 1) * kChunk);
        uint8_t* into = out + (at - offset);
        if (committed_.count(chunk)) {
            std::memcpy(into, base_ + at, size_t(to - at));
        } else {
            std::memset(into, 0, size_t(to - at));
            CopyNoted(at, to, into);
        }
        at = to;
    }
    return true;
}

SparseMemory::Run SparseMemory::Piece(Runs::const_iterator it, uint64_t start, uint64_t end) {
    Run piece = it->second;
    piece.end = end;
    if (piece.bytes) piece.from += start - it->first;
    return piece;
}

void SparseMemory::Note(uint64_t start, Run run) {
    const uint64_t end = run.end;
    // A run that begins before the range and reaches into it keeps its part before the range,
    // and its part after it when it reaches past the range.
    auto it = runs_.lower_bound(start);
    if (it != runs_.begin()) {
        const auto before = std::prev(it);
        if (before->second.end > start) {
            if (before->second.end > end)
                it = runs_.emplace_hint(it, end, Piece(before, end, before->second.end));
            before->second.end = start;
        }
    }
    // Runs that begin inside the range go; the last of them keeps its part past the range.
    while (it != runs_.end() && it->first < end) {
        if (it->second.end > end) {
            Run tail = Piece(it, end, it->second.end);
            it = runs_.erase(it);
            it = runs_.emplace_hint(it, end, std::move(tail));
            break;
        }
        it = runs_.erase(it);
    }
    const bool fill = !run.bytes;
    if (fill && run.value == 0) return;
    // A fill joins the fills of the same value it touches, so that fills sliding over each
    // other keep one run.
    if (fill) {
        if (it != runs_.end() && it->first == end && !it->second.bytes &&
            it->second.value == run.value) {
            run.end = it->second.end;
            it = runs_.erase(it);
        }
        if (it != runs_.begin()) {
            const auto before = std::prev(it);
            if (before->second.end == start && !before->second.bytes &&
                before->second.value == run.value) {
                before->second.end = run.end;
                return;
            }
        }
    }
    runs_.emplace_hint(it, start, std::move(run));
}

void SparseMemory::CopyNoted(uint64_t start, uint64_t end, uint8_t* out) const {
    auto it = runs_.upper_bound(start);
    if (it != runs_.begin() && std::prev(it)->second.end > start) --it;
    for (; it != runs_.end() && it->first < end; ++it) {
        const uint64_t from = std::max(it->first, start);
        const uint64_t to = std::min(it->second.end, end);
        uint8_t* at = out + (from - start);
        const Run& run = it->second;
        if (run.bytes)
            std::memcpy(at, run.bytes->data() + run.from + (from - it->first), size_t(to - from));
        else
            std::memset(at, run.value, size_t(to - from));
    }
}

}  // namespace tvk
