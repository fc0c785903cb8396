// Memory of a simulated region (RAM, the memory behind a BAR, the registers behind an I/O BAR)
// that costs what is touched, not what is declared. The region's address space is reserved at
// its first view and stays at one place, so that views handed out stay valid and may overlap;
// it is committed in 64 KiB chunks as views reach them. Contents given before that (fills and
// stored bytes, as a machine file's annotations make them) are only noted as runs, a value or
// the bytes themselves, which untouched chunks take when they are first touched: a fill costs
// one run however long it is, and a later fill or store replaces the runs it covers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
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
    // Sets bytes [offset, offset + length) to `value`: written where chunks are committed,
    // noted for the others. false when the range leaves the region.
    bool Fill(uint64_t offset, uint64_t length, uint8_t value);
    // Writes `length` bytes at `offset` the same way; false when the range leaves the region.
    bool Store(uint64_t offset, const uint8_t* bytes, uint64_t length);
    // Copies bytes [offset, offset + length) out without committing anything; false when the
    // range leaves the region.
    bool Read(uint64_t offset, uint8_t* out, uint64_t length) const;

    // Bytes of memory committed so far.
    uint64_t CommittedBytes() const { return uint64_t(committed_.size()) * kChunk; }
    // Runs of contents noted so far (what fills and stores over untouched chunks cost).
    size_t NotedRuns() const { return runs_.size(); }

  private:
    // Contents noted for [start, end) (start is the key in runs_): `value` repeated, or the
    // bytes of `bytes` from index `from` on. Stored bytes are shared by the pieces a later
    // fill or store cuts a run into.
    struct Run {
        uint64_t end;
        uint8_t value;
        std::shared_ptr<const std::vector<uint8_t>> bytes;
        uint64_t from;
    };
    using Runs = std::map<uint64_t, Run>;

    bool Reserve();
    bool CommitChunk(uint64_t chunk);
    // Replaces what is noted for [start, run.end) with `run`; a fill of 0 (what untouched
    // memory holds anyway) is noted as nothing.
    void Note(uint64_t start, Run run);
    // The part [start, end) of the run at `it`, as a run of its own starting at `start`.
    static Run Piece(Runs::const_iterator it, uint64_t start, uint64_t end);
    // Writes what is noted for [start, end) to `out` (out[0] is byte `start`); bytes without a
    // run are left as they are.
    void CopyNoted(uint64_t start, uint64_t end, uint8_t* out) const;
    // Calls write(chunkStart, from, to) for each committed chunk's part of [start, end).
    template <typename F>
    void ForCommitted(uint64_t start, uint64_t end, F&& write);
    uint64_t ChunkCount() const { return (size_ + kChunk - 1) / kChunk; }

    uint64_t size_;
    uint8_t* base_ = nullptr;
    bool reserveFailed_ = false;
    std::set<uint64_t> committed_;  // chunks, from their first touch on
    // Not overlapping; bytes outside every run start as zero. What a run says about a chunk
    // that is already committed is no longer looked at: the chunk holds its own bytes.
    Runs runs_;
};

}  // namespace tvk
