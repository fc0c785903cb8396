// MemoryTools: the block commands of the BAR space window on a memory region: copy a selected
// block to another place in the region, a destructive pattern test, load and save of raw
// image files. They run on the window's thread and do nothing in I/O space.
#pragma once

#include <cstdint>
#include <string>

namespace bexa {

class BarSpaceWindow;

// The test pattern: word j holds j when j is even and its two's complement when j is odd.
inline uint32_t TestPatternValue(uint32_t j) {
    return (j & 1u) ? 0u - j : j;
}

class MemoryTools {
  public:
    explicit MemoryTools(BarSpaceWindow& window) : window_(window) {}

    void Source();       // "source"
    void Destination();  // "destination"
    void Copy();         // "mem copy"
    void Test();         // "mem test"
    void Load();         // "load file"
    void Save();         // "save file"

    uint32_t copySource() const { return copySource_; }
    uint32_t copyLength() const { return copyLength_; }
    uint32_t copyDestination() const { return copyDestination_; }

  private:
    struct Range {
        uint32_t address;
        uint32_t length;
    };

    bool RefuseIoSpace(const char* caption);
    uint32_t AnchorAddress() const;
    uint32_t CutAtRegionEnd(uint32_t address, uint32_t length) const;
    // Asks 1K range or whole range; false = cancelled.
    bool AskRange(const std::string& question, const char* caption, Range& range);
    void TestWords(volatile uint32_t* words, uint32_t count, bool wholeRange);
    void TransferFile(bool save);
    void LoadFile(const std::string& path, volatile uint32_t* words, uint32_t length);
    void SaveFile(const std::string& path, volatile uint32_t* words, uint32_t length);

    BarSpaceWindow& window_;
    uint32_t copySource_ = 0;
    uint32_t copyLength_ = 0;
    uint32_t copyDestination_ = 0;
};

}  // namespace bexa
