#include "transfer_buffer.h"

#include "travik.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace kadra {

void* AllocatePages(size_t size) {
#ifdef _WIN32
    return VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
#else
    void* pages = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return pages == MAP_FAILED ? nullptr : pages;
#endif
}

void FreePages(void* pages, size_t size) {
    if (pages == nullptr) return;
#ifdef _WIN32
    (void)size;
    VirtualFree(pages, 0, MEM_RELEASE);
#else
    munmap(pages, size);
#endif
}

bool TransferBuffer::Acquire(uint32_t physAddress) {
    Release();
    if (physAddress == 0) {
        data_ = static_cast<uint8_t*>(AllocatePages(kTransferBufferSize));
        mapped_ = false;
    } else {
        data_ = static_cast<uint8_t*>(TVK_MapPhysToLin(physAddress, kTransferBufferSize));
        mapped_ = true;
    }
    return data_ != nullptr;
}

void TransferBuffer::Release() {
    if (data_ == nullptr) return;
    if (mapped_) {
        TVK_UnmapPhysToLin(data_, kTransferBufferSize);
    } else {
        FreePages(data_, kTransferBufferSize);
    }
    data_ = nullptr;
}

bool RequestBuffers::Acquire(unsigned count) {
    FreePages(data_, size_);
    size_ = static_cast<size_t>(count) * kTransferBufferSize;
    data_ = static_cast<uint8_t*>(AllocatePages(size_));
    if (data_ == nullptr) size_ = 0;
    return data_ != nullptr;
}

}  // namespace kadra
