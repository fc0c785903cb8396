// Memory of a simulated region (RAM, or the memory behind a BAR) that costs what is touched,
// not what is declared. The region's address space is reserved at its first access and stays
// at one place, so that views handed out stay valid and may overlap; it is committed in 64 KiB
// chunks as views, stores and fills reach them. A fill over whole untouched chunks only notes
// the value, which the chunks take when they are first touched.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace tvk {

class SparseMemory {
  public:
    static constexpr uint64_t kChunk = 64 * 1024;
    // The largest region: the whole 32-bit address space.
    static constexpr uint64_t kMaxSize = uint64_t(1) << 32;

    explicit SparseMemory(uint64_t size) : size_(size) {}
    ~SparseMemory();
    SparseMemory(const SparseMemory&) = delete;
    SparseMemory& operator=(const SparseMemory&) = delete;

    uint64_t Size() const { return size_; }

    // Bytes [offset, offset + length) committed for reading and writing; nullptr when the
    // range leaves the region or the system refuses the address space or the memory.
    uint8_t* Touch(uint64_t offset, uint64_t length);
    // Sets bytes [offset, offset + length) to `value`; false as Touch.
    bool Fill(uint64_t offset, uint64_t length, uint8_t value);

    // Bytes of memory committed so far.
    uint64_t CommittedBytes() const { return committedChunks_ * kChunk; }

  private:
    bool Reserve();
    bool CommitChunk(uint64_t chunk);
    uint8_t PendingValue(uint64_t chunk) const;
    void SetPending(uint64_t first, uint64_t end, uint8_t value);
    uint64_t ChunkCount() const { return (size_ + kChunk - 1) / kChunk; }

    uint64_t size_;
    uint8_t* base_ = nullptr;
    bool reserveFailed_ = false;
    std::vector<bool> committed_;  // per chunk, from the first access on
    uint64_t committedChunks_ = 0;
    // Values noted for untouched chunks: first chunk -> (end chunk, value), not overlapping;
    // chunks outside every entry start as zero.
    std::map<uint64_t, std::pair<uint64_t, uint8_t>> pending_;
};

}  // namespace tvk
