// A view of physical memory through the hardware-access service, unmapped with the length it
// was mapped with when the object goes.
#pragma once

#include <cstdint>

namespace bexa {

class MappedRange {
  public:
    MappedRange() = default;
    MappedRange(uint32_t address, uint32_t length);
    ~MappedRange();
    MappedRange(MappedRange&& other) noexcept;
    MappedRange& operator=(MappedRange&& other) noexcept;
    MappedRange(const MappedRange&) = delete;
    MappedRange& operator=(const MappedRange&) = delete;

    bool ok() const { return view_ != nullptr; }
    uint32_t length() const { return length_; }
    volatile uint32_t* words() const { return static_cast<volatile uint32_t*>(view_); }
    volatile uint8_t* bytes() const { return static_cast<volatile uint8_t*>(view_); }

  private:
    void release();

    void* view_ = nullptr;
    uint32_t length_ = 0;
};

}  // namespace bexa
