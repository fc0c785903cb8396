// The transfer buffer of a pass: 2 MiB of fresh page-aligned main memory, or a window of
// physical memory through the hardware-access service. Every transfer of the pass uses it
// from its start.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kadra {

inline constexpr uint32_t kTransferBufferSize = 2097152;

// Page-aligned memory, committed, readable and writable, zero-filled; null when it cannot be
// had. Give it back with FreePages and the same size.
void* AllocatePages(size_t size);
void FreePages(void* pages, size_t size);

class TransferBuffer {
  public:
    TransferBuffer() = default;
    TransferBuffer(const TransferBuffer&) = delete;
    TransferBuffer& operator=(const TransferBuffer&) = delete;
    ~TransferBuffer() { Release(); }

    // Main memory when physAddress is 0, else the physical window at physAddress. False when
    // the memory or the window cannot be had.
    bool Acquire(uint32_t physAddress);
    // Frees the memory or unmaps the window; nothing when none is held.
    void Release();

    uint8_t* data() const { return data_; }

  private:
    uint8_t* data_ = nullptr;
    bool mapped_ = false;
};

// Buffers of their own for the requests of a queue, for a like-for-like comparison with tools
// that give every request its own memory: `count` page-aligned, zero-filled pieces of
// kTransferBufferSize bytes in main memory, piece i for slot i.
class RequestBuffers {
  public:
    RequestBuffers() = default;
    RequestBuffers(const RequestBuffers&) = delete;
    RequestBuffers& operator=(const RequestBuffers&) = delete;
    ~RequestBuffers() { FreePages(data_, size_); }

    // False when the memory cannot be had.
    bool Acquire(unsigned count);
    // The piece of `slot`; null while none is held.
    uint8_t* slot(unsigned slot) const {
        return data_ ? data_ + static_cast<size_t>(slot) * kTransferBufferSize : nullptr;
    }

  private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace kadra
