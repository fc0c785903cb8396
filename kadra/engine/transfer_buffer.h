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

}  // namespace kadra
