// BarSpaceWindow: the behaviour of the BAR space window, which shows and edits the I/O or
// memory space one Base Address Register decodes. It reaches the region only through the
// hardware-access service and shows everything through a BarSpaceView.
#pragma once

#include <algorithm>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "bar_space_view.h"
#include "bar_writer.h"
#include "mapped_range.h"
#include "memory_tools.h"

namespace bexa {

// The "Write Memory" edit field: "x" and a hex number (ScanHex: more than 32 bits give
// FFFFFFFF, never a value cut to its low digits) give the value to write; any other text
// leaves `value` as it is and returns false.
bool ParseWriteValue(const std::string& text, uint32_t& value);

// The scroll codes of the two range bars.
enum class ScrollCode {
    LineLeft,
    LineRight,
    PageLeft,
    PageRight,
    LeftEnd,
    RightEnd,
    ThumbTrack,
    ThumbPosition,
    EndScroll
};

class BarSpaceWindow {
  public:
    BarSpaceWindow(BarSpaceView& view, uint32_t barValue, uint32_t probeValue);
    ~BarSpaceWindow();  // stops and joins every writer
    BarSpaceWindow(const BarSpaceWindow&) = delete;
    BarSpaceWindow& operator=(const BarSpaceWindow&) = delete;

    // Whether a probe value describes a region at all (some address bit is set).
    static bool DescribesRegion(uint32_t probeValue);

    // Fills the window's texts, bars and list for the region.
    void Open();
    // Lists the region's words from the view offset on.
    void FillList();

    void OnSelectionChanged(int anchorLine, int selectionCount);
    void OnScroll(RangeBar bar, ScrollCode code, int trackPosition);
    void OnWriteMemory(const std::string& editText);
    void OnLoop(bool checked);
    void OnToggle(bool checked) { options_.toggle.store(checked); }
    void OnCount(bool checked) { options_.count.store(checked); }
    void OnVerify(bool checked) { options_.verify.store(checked); }
    void OnRefreshViewAfterWrite();
    void OnRefresh() { FillList(); }
    void OnAutoReadMemory(bool checked);
    void OnDisplayRange(uint32_t bytes) { displayRange_ = bytes; }
    void OnSource() { tools_.Source(); }
    void OnDestination() { tools_.Destination(); }
    void OnMemCopy() { tools_.Copy(); }
    void OnMemTest() { tools_.Test(); }
    void OnLoadFile() { tools_.Load(); }
    void OnSaveFile() { tools_.Save(); }
    // Stops every looping writer and waits for all writers; the window may then go.
    void Close();

    uint32_t base() const { return base_; }
    uint32_t size() const { return size_; }
    bool memorySpace() const { return memorySpace_; }
    uint32_t viewOffset() const { return viewOffset_; }
    uint32_t displayRange() const { return displayRange_; }
    int anchorLine() const { return anchorLine_; }
    int selectionCount() const { return selectionCount_; }
    uint32_t writeValue() const { return writeValue_; }
    bool autoReadMemory() const { return autoRead_; }
    int kbPosition() const { return kbPosition_; }
    int mbPosition() const { return mbPosition_; }
    const std::vector<std::string>& listLines() const { return lines_; }
    // Writers started and not yet joined (finished ones are joined at the next write).
    size_t writerCount() const { return writers_.size(); }
    BarSpaceView& view() { return view_; }
    // Bus address one past the region's last byte; a region that would reach past 4 GByte
    // (a BAR value not aligned to the size it was probed with) ends there.
    uint64_t regionEnd() const {
        return std::min<uint64_t>(static_cast<uint64_t>(base_) + size_, uint64_t(1) << 32);
    }

  private:
    struct RunningWriter {
        MappedRange range;  // declared first: unmapped after the writer has been joined
        std::unique_ptr<BarWriter> writer;
    };

    void FillIoList(uint32_t length);
    void FillMemoryList(uint32_t length);
    uint32_t AnchorValue();
    void WriteIo();
    void WriteMemory();
    void ReapWriters();
    void ShowBar(RangeBar bar);

    BarSpaceView& view_;
    uint32_t base_ = 0;
    uint32_t size_ = 0;
    uint32_t maskedProbe_ = 0;
    uint32_t memoryType_ = 0;
    bool prefetchable_ = false;
    bool memorySpace_ = false;
    uint32_t viewOffset_ = 0;
    uint32_t displayRange_ = 1024;
    int anchorLine_ = -1;
    int selectionCount_ = 0;
    uint32_t writeValue_ = 0;
    int kbPosition_ = 0;
    int mbPosition_ = 0;
    int kbMax_ = 0;
    int mbMax_ = 0;
    bool autoRead_ = false;
    std::vector<std::string> lines_;
    WriterOptions options_;
    std::list<RunningWriter> writers_;
    MemoryTools tools_;
};

}  // namespace bexa
