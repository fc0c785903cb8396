// The ID file pcidevs.txt read into a list of entries, with its first-match searches.
//
// Line format: a kind letter (V vendor, D device, O subsystem vendor, S subsystem), white
// space, one to four hexadecimal digits, white space, then the name up to the first tab.
// Lines that start with any other character are skipped, as are lines whose id field holds no
// hexadecimal digit.
//
// Block structure: a V entry opens a vendor block up to the next V; a D entry opens a device
// block up to the next D or V; an O entry opens a subsystem vendor block up to the next O, D
// or V; S entries inside it name subsystems.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace bexa {

struct IdFileEntry {
    char kind;  // 'V', 'D', 'O' or 'S'
    uint16_t id;
    const char* text;  // at most 509 characters, may be empty
};

// A line of the file is cut after this many characters; the rest is read as the next line.
inline constexpr std::size_t kIdFileLineLimit = 511;
// Safety limits far beyond any real list (the full public list gives about 42,000 entries and
// 1.5 MB of text): a file that would exceed either ends there, as at a read error. They keep
// the memory a junk file can take bounded.
inline constexpr std::size_t kIdFileMaxEntries = std::size_t{1} << 22;
inline constexpr std::size_t kIdFileMaxTextBytes = std::size_t{1} << 27;
// The largest ID file LoadIdFile reads (a larger one is refused, and reading stops there if the
// file grows while it is read): over ten times the full public list (1.4 MB in 2023), while the
// list and its index, at most about 12 bytes per byte of file, stay below 200 MB.
inline constexpr std::size_t kIdFileMaxBytes = std::size_t{16} << 20;

class IdFileList {
  public:
    // Reads the file from its current position to its end, or up to `maxBytes` bytes (a read
    // error ends it like its end). Lines end at LF; CR LF counts as LF, so the file reads the
    // same on every platform. The first three lines, each followed by "\n", are appended to
    // *firstLines when it is given.
    static IdFileList Read(std::FILE* file, std::string* firstLines = nullptr,
                           std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

    IdFileList() = default;
    IdFileList(IdFileList&&) noexcept = default;
    IdFileList& operator=(IdFileList&&) noexcept = default;
    IdFileList(const IdFileList&) = delete;
    IdFileList& operator=(const IdFileList&) = delete;

    const std::vector<IdFileEntry>& Entries() const { return entries_; }
    // Bytes held by the list and its index.
    std::size_t MemoryUsed() const;

    // Indexed searches; nullptr when nothing matches.
    // Vendor: the first V entry with the id anywhere in the list.
    const IdFileEntry* FindVendor(uint16_t vendorId) const;
    // Device: the first D entry with the id in the block of the first V entry of the vendor;
    // later blocks of the same vendor id are never searched.
    const IdFileEntry* FindDevice(uint16_t vendorId, uint16_t deviceId) const;
    // Subsystem vendor: the first O entry with the id in the block of the device found above.
    const IdFileEntry* FindSubsystemVendor(uint16_t vendorId, uint16_t deviceId,
                                           uint16_t subVendorId) const;
    // Subsystem: the first S entry with the id in the block of the O entry found above.
    const IdFileEntry* FindSubsystem(uint16_t vendorId, uint16_t deviceId, uint16_t subVendorId,
                                     uint16_t subsystemId) const;

    // The same searches as plain walks through the list in file order; the reference the
    // indexed searches must agree with.
    const IdFileEntry* FindVendorLinear(uint16_t vendorId) const;
    const IdFileEntry* FindDeviceLinear(uint16_t vendorId, uint16_t deviceId) const;
    const IdFileEntry* FindSubsystemVendorLinear(uint16_t vendorId, uint16_t deviceId,
                                                 uint16_t subVendorId) const;
    const IdFileEntry* FindSubsystemLinear(uint16_t vendorId, uint16_t deviceId,
                                           uint16_t subVendorId, uint16_t subsystemId) const;

  private:
    void BuildIndex();
    const IdFileEntry* FindChild(const IdFileEntry* parent, uint16_t id) const;
    // Walks on from the entry after `from`; stops at an entry whose kind is in `stopKinds`.
    const IdFileEntry* WalkBlock(const IdFileEntry* from, char kind, uint16_t id,
                                 const char* stopKinds) const;

    std::vector<IdFileEntry> entries_;
    std::vector<char> texts_;  // every entry's text, NUL-terminated, one after another
    // Index of the first V entry per vendor id, -1 where there is none.
    std::vector<int32_t> firstVendor_;
    // (parent entry index << 16 | child id) -> index of the first such child in the parent's
    // block, sorted by key. Parents: V for D, D for O, O for S.
    std::vector<std::pair<uint64_t, uint32_t>> firstChild_;
};

// Parses one line (without its line end) of the ID file. Returns false for a line that gives
// no entry; otherwise sets kind, id and the text (which points into `line`) and its length.
bool ParseIdFileLine(const char* line, char* kind, uint16_t* id, const char** text,
                     std::size_t* textLength);

}  // namespace bexa
