#include "bar_space_window.h"

#include <algorithm>
#include <cstdio>

#include "bar_space_resource.h"
#include "text_format.h"
#include "travik.h"

namespace bexa {
namespace {

constexpr char kMapFailed[] = "unable to map physical address space";
constexpr char kPortFailed[] = "TVK_InPort: No Success !!";
constexpr uint32_t kMaxWriterLine = 255;

uint32_t LowestSetBit(uint32_t value) {
    return value & (~value + 1u);
}

char ShownByte(uint32_t word, int shift) {
    auto byte = static_cast<unsigned char>((word >> shift) & 0xFFu);
    return byte == 0 ? '.' : static_cast<char>(byte);
}

}  // namespace

BarSpaceWindow::BarSpaceWindow(BarSpaceView& view, uint32_t barValue, uint32_t probeValue)
    : view_(view), tools_(*this) {
    memorySpace_ = (probeValue & 1u) == 0;
    uint32_t mask = memorySpace_ ? 0xFFFFFFF0u : 0xFFFFFFFCu;
    memoryType_ = (probeValue >> 1) & 3u;
    prefetchable_ = (probeValue & 8u) != 0;
    base_ = barValue & mask;
    maskedProbe_ = probeValue & mask;
    size_ = LowestSetBit(maskedProbe_);
}

BarSpaceWindow::~BarSpaceWindow() {
    Close();
}

bool BarSpaceWindow::DescribesRegion(uint32_t probeValue) {
    uint32_t mask = (probeValue & 1u) ? 0xFFFFFFFCu : 0xFFFFFFF0u;
    return (probeValue & mask) != 0;
}

void BarSpaceWindow::Open() {
    if (memorySpace_) {
        view_.SetText(IDC_BAR_SPACE, FormatText("Memory Space type%d %s", memoryType_,
                                                prefetchable_ ? "(prefetchable)" : ""));
        view_.SetText(IDC_BAR_64BIT, memoryType_ == 2 ? "(64bit BARs not supported yet !!)" : "");
    } else {
        view_.SetText(IDC_BAR_SPACE, "IO Space ");
        view_.SetText(IDC_BAR_64BIT, "");
    }

    uint32_t shown = size_;
    const char* unit = "Byte";
    if (size_ > 1024 && size_ / 1024 > 1024) {
        kbMax_ = 1023;
        mbMax_ = static_cast<int>(size_ / 1048576u) - 1;
        shown = size_ / 1048576u;
        unit = "MByte";
    } else if (size_ > 1024) {
        kbMax_ = static_cast<int>(size_ / 1024u) - 1;
        mbMax_ = 0;
        shown = size_ / 1024u;
        unit = "KByte";
    } else {
        kbMax_ = 0;
        mbMax_ = 0;
    }
    kbPosition_ = 0;
    mbPosition_ = 0;
    ShowBar(RangeBar::Kb);
    ShowBar(RangeBar::Mb);
    view_.SetText(IDC_BAR_RANGE, FormatText("range : %08x = %u %s", maskedProbe_, shown, unit));
    view_.SetText(IDC_BAR_BASE, FormatText(" base : %08x", base_));
    for (int control : {IDC_BAR_VALUE, IDC_BAR_ANCHOR, IDC_BAR_WRITTEN, IDC_BAR_COPY_SOURCE_TEXT,
                        IDC_BAR_COPY_DEST_TEXT}) {
        view_.SetText(control, "");
    }

    displayRange_ = 1024;
    view_.SetCheck(IDC_BAR_RANGE_1024, true);
    view_.SetCheck(IDC_BAR_RANGE_128, false);
    viewOffset_ = 0;
    FillList();
    options_.setLoopRunning(false);
}

void BarSpaceWindow::ShowBar(RangeBar bar) {
    if (bar == RangeBar::Kb) {
        view_.SetRangeBar(bar, kbMax_, kbPosition_);
        view_.SetText(IDC_BAR_KB_TEXT, FormatText("KB range (0 - %d): %d", kbMax_, kbPosition_));
    } else {
        view_.SetRangeBar(bar, mbMax_, mbPosition_);
        view_.SetText(IDC_BAR_MB_TEXT, FormatText("MB range (0 - %d): %d", mbMax_, mbPosition_));
    }
}

void BarSpaceWindow::FillList() {
    uint64_t start = static_cast<uint64_t>(base_) + viewOffset_;
    uint64_t length = std::min(size_, displayRange_);
    // The bars keep the view inside the region; the cut only guards the region's end.
    length = start < regionEnd() ? std::min<uint64_t>(length, regionEnd() - start) : 0;
    lines_.clear();
    if (memorySpace_) {
        FillMemoryList(static_cast<uint32_t>(length));
    } else {
        FillIoList(static_cast<uint32_t>(length));
    }
    view_.SetListLines(lines_);
}

void BarSpaceWindow::FillIoList(uint32_t length) {
    for (uint32_t o = 0; o + 4 <= length; o += 4) {
        uint32_t value = 0;
        int result = TVK_InPort(base_ + viewOffset_ + o, &value, 1, 32);
        if (result != 0 && o == 0) view_.Notice(kPortFailed, "Bexa");
        lines_.push_back(FormatText(" %08X  <x%08X", value, viewOffset_ + o));
    }
}

void BarSpaceWindow::FillMemoryList(uint32_t length) {
    if (length == 0) return;
    MappedRange range(base_ + viewOffset_, length);
    if (!range.ok()) {
        view_.Notice(kMapFailed, "Bexa");
        return;
    }
    uint32_t words = length / 4;
    if (autoRead_) {
        std::vector<uint32_t> buffer(words);
        for (uint32_t i = 0; i < words; ++i)
            buffer[i] = range.words()[i];
        for (uint32_t i = 0; i < words; ++i) {
            uint32_t w = buffer[i];
            lines_.push_back(FormatText(" %08X  <x%08X>  %c%c%c%c", w, viewOffset_ + 4 * i,
                                        ShownByte(w, 0), ShownByte(w, 8), ShownByte(w, 16),
                                        ShownByte(w, 24)));
        }
    } else {
        for (uint32_t i = 0; i < words; ++i) {
            lines_.push_back(FormatText("           <x%08X>  ", viewOffset_ + 4 * i));
        }
    }
}

void BarSpaceWindow::OnSelectionChanged(int anchorLine, int selectionCount) {
    anchorLine_ = anchorLine;
    selectionCount_ = selectionCount;
    if (anchorLine_ < 0) return;
    view_.SetText(IDC_BAR_VALUE, FormatText("x%08X", AnchorValue()));
    view_.SetText(IDC_BAR_WRITTEN, "");
    view_.SetText(
        IDC_BAR_ANCHOR,
        FormatText("<x%08X %d dwords", base_ + viewOffset_ + 4u * anchorLine_, selectionCount_));
}

uint32_t BarSpaceWindow::AnchorValue() {
    uint32_t value = 0;
    if (autoRead_) {
        if (static_cast<size_t>(anchorLine_) < lines_.size()) {
            std::sscanf(lines_[anchorLine_].c_str(), "%x", &value);
        }
        return value;
    }
    if (!memorySpace_) return 0;
    uint64_t address = static_cast<uint64_t>(base_) + viewOffset_ + 4u * anchorLine_;
    if (address + 4 > regionEnd()) return 0;
    MappedRange word(static_cast<uint32_t>(address), 4);
    if (!word.ok()) {
        view_.Notice(kMapFailed, "Bexa");
        return 0;
    }
    return word.words()[0];
}

void BarSpaceWindow::OnScroll(RangeBar bar, ScrollCode code, int trackPosition) {
    int& position = bar == RangeBar::Kb ? kbPosition_ : mbPosition_;
    int max = bar == RangeBar::Kb ? kbMax_ : mbMax_;
    switch (code) {
        case ScrollCode::LineLeft:
        case ScrollCode::LeftEnd:
            position -= 1;
            break;
        case ScrollCode::LineRight:
        case ScrollCode::RightEnd:
            position += 1;
            break;
        case ScrollCode::PageLeft:
            position -= 8;
            break;
        case ScrollCode::PageRight:
            position += 8;
            break;
        case ScrollCode::ThumbTrack:
        case ScrollCode::ThumbPosition:
            position = trackPosition;
            break;
        case ScrollCode::EndScroll:
            viewOffset_ = static_cast<uint32_t>(kbPosition_) * 1024u +
                          static_cast<uint32_t>(mbPosition_) * 1048576u;
            FillList();
            return;
    }
    position = std::clamp(position, 0, max);
    ShowBar(bar);
}

void BarSpaceWindow::OnWriteMemory(const std::string& editText) {
    if (anchorLine_ < 0) return;
    unsigned int parsed = 0;
    if (std::sscanf(editText.c_str(), "x%X", &parsed) == 1) writeValue_ = parsed;
    view_.SetText(IDC_BAR_WRITTEN, FormatText("x%08X", writeValue_));
    if (memorySpace_) {
        WriteMemory();
    } else {
        WriteIo();
    }
}

void BarSpaceWindow::WriteIo() {
    uint32_t value = writeValue_;
    if (TVK_OutPort(base_ + viewOffset_ + 4u * anchorLine_, &value, 1, 32) != 0) {
        view_.Notice(kPortFailed, "Bexa");
    }
}

void BarSpaceWindow::WriteMemory() {
    ReapWriters();
    if (selectionCount_ <= 0) return;
    uint64_t start = static_cast<uint64_t>(base_) + viewOffset_;
    if (start >= regionEnd()) return;
    uint64_t first = static_cast<uint64_t>(anchorLine_);
    uint64_t last = std::min<uint64_t>(first + selectionCount_ - 1, kMaxWriterLine);
    last = std::min<uint64_t>(last, (regionEnd() - start) / 4 - 1);
    if (first > last) return;
    MappedRange range(static_cast<uint32_t>(start), static_cast<uint32_t>(4 * (last + 1)));
    if (!range.ok()) {
        view_.Notice(kMapFailed, "Bexa");
        return;
    }
    RunningWriter& running = writers_.emplace_back();
    running.range = std::move(range);
    running.writer =
        std::make_unique<BarWriter>(options_, running.range.words(), static_cast<uint32_t>(first),
                                    static_cast<uint32_t>(last - first + 1), writeValue_);
}

void BarSpaceWindow::ReapWriters() {
    writers_.remove_if([](const RunningWriter& w) { return w.writer->finished(); });
}

void BarSpaceWindow::OnLoop(bool checked) {
    options_.setLoopRunning(checked);
}

void BarSpaceWindow::OnRefreshViewAfterWrite() {
    view_.Notice("currently this feature is disabled", "memory refresh after write");
    view_.SetCheck(IDC_BAR_REFRESH_AFTER_WRITE, false);
}

void BarSpaceWindow::OnAutoReadMemory(bool checked) {
    autoRead_ = checked;
    FillList();
}

void BarSpaceWindow::Close() {
    options_.setLoopRunning(false);
    writers_.clear();
}

}  // namespace bexa
