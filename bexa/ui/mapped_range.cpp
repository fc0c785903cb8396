#include "mapped_range.h"

#include <utility>

#include "travik.h"

namespace bexa {

MappedRange::MappedRange(uint32_t address, uint32_t length) {
    if (length == 0) return;
    view_ = TVK_MapPhysToLin(address, length);
    if (view_ != nullptr) length_ = length;
}

MappedRange::~MappedRange() {
    release();
}

MappedRange::MappedRange(MappedRange&& other) noexcept
    : view_(std::exchange(other.view_, nullptr)), length_(std::exchange(other.length_, 0)) {}

MappedRange& MappedRange::operator=(MappedRange&& other) noexcept {
    if (this != &other) {
        release();
        view_ = std::exchange(other.view_, nullptr);
        length_ = std::exchange(other.length_, 0);
    }
    return *this;
}

void MappedRange::release() {
    if (view_ != nullptr) TVK_UnmapPhysToLin(view_, length_);
    view_ = nullptr;
    length_ = 0;
}

}  // namespace bexa
