#include "memory_tools.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bar_space_resource.h"
#include "bar_space_window.h"
#include "input_file.h"
#include "mapped_range.h"
#include "output_file.h"
#include "text_format.h"

namespace bexa {
namespace {

constexpr char kMapFailed[] = "unable to map physical address space";
constexpr uint32_t kDisplayedRange = 1024;
constexpr int kMaxDetailLines = 19;

// Shows the wait cursor for as long as it lives.
class WaitCursor {
  public:
    explicit WaitCursor(BarSpaceView& view) : view_(view) { view_.SetWaitCursor(true); }
    ~WaitCursor() { view_.SetWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    BarSpaceView& view_;
};

void CopyWord(const MappedRange& from, const MappedRange& to, uint32_t i) {
    to.words()[i] = from.words()[i];
}

void CopyByte(const MappedRange& from, const MappedRange& to, uint32_t i) {
    to.bytes()[i] = from.bytes()[i];
}

}  // namespace

bool MemoryTools::RefuseIoSpace(const char* caption) {
    if (window_.memorySpace()) return false;
    window_.view().Notice("not for IO space", caption);
    return true;
}

uint32_t MemoryTools::AnchorAddress() const {
    return window_.base() + window_.viewOffset() + 4u * static_cast<uint32_t>(window_.anchorLine());
}

uint32_t MemoryTools::CutAtRegionEnd(uint32_t address, uint32_t length) const {
    uint64_t end = window_.regionEnd();
    if (address < window_.base() || address >= end) return 0;
    return static_cast<uint32_t>(std::min<uint64_t>(length, end - address));
}

void MemoryTools::Source() {
    if (RefuseIoSpace("mem copy")) return;
    if (window_.anchorLine() < 0) return;
    copySource_ = AnchorAddress();
    copyLength_ = CutAtRegionEnd(copySource_, 4u * static_cast<uint32_t>(window_.selectionCount()));
    window_.view().SetText(IDC_BAR_COPY_SOURCE_TEXT,
                           FormatText("x%08X - %u bytes", copySource_, copyLength_));
    copyDestination_ = 0;
    window_.view().SetText(IDC_BAR_COPY_DEST_TEXT, "");
}

void MemoryTools::Destination() {
    if (RefuseIoSpace("mem copy")) return;
    if (window_.anchorLine() < 0) return;
    copyDestination_ = AnchorAddress();
    window_.view().SetText(IDC_BAR_COPY_DEST_TEXT, FormatText("x%08X", copyDestination_));
}

void MemoryTools::Copy() {
    if (RefuseIoSpace("mem copy")) return;
    if (copySource_ == 0 || copyDestination_ == 0) return;
    copyLength_ = CutAtRegionEnd(copyDestination_, copyLength_);
    uint32_t length = copyLength_;
    if (length == 0) return;
    MappedRange from(copySource_, length);
    MappedRange to(copyDestination_, length);
    if (!from.ok() || !to.ok()) {
        window_.view().Notice(kMapFailed, "mem copy");
        return;
    }
    uint32_t words = length / 4;
    if (length < 1024) {
        // Through a buffer, so that overlapping blocks copy correctly.
        std::vector<uint32_t> buffer(words);
        std::vector<uint8_t> tail(length % 4);
        for (uint32_t i = 0; i < words; ++i)
            buffer[i] = from.words()[i];
        for (uint32_t i = 0; i < tail.size(); ++i)
            tail[i] = from.bytes()[4 * words + i];
        for (uint32_t i = 0; i < words; ++i)
            to.words()[i] = buffer[i];
        for (uint32_t i = 0; i < tail.size(); ++i)
            to.bytes()[4 * words + i] = tail[i];
        return;
    }
    // Large blocks go word by word in ascending order; a destination that starts inside the
    // source is copied from the top down instead, so that it still receives the source.
    bool downwards = copyDestination_ > copySource_ && copyDestination_ - copySource_ < length;
    if (downwards) {
        for (uint32_t i = length; i > 4 * words; --i)
            CopyByte(from, to, i - 1);
        for (uint32_t i = words; i > 0; --i)
            CopyWord(from, to, i - 1);
    } else {
        for (uint32_t i = 0; i < words; ++i)
            CopyWord(from, to, i);
        for (uint32_t i = 4 * words; i < length; ++i)
            CopyByte(from, to, i);
    }
}

bool MemoryTools::AskRange(const std::string& question, const char* caption, Range& range) {
    MessageAnswer answer = window_.view().Ask(question, caption);
    if (answer == MessageAnswer::Yes) {
        uint32_t address = window_.base() + window_.viewOffset();
        range = {address, CutAtRegionEnd(address, std::min(window_.size(), kDisplayedRange))};
        return true;
    }
    if (answer == MessageAnswer::No) {
        range = {window_.base(), CutAtRegionEnd(window_.base(), window_.size())};
        return true;
    }
    return false;
}

void MemoryTools::Test() {
    if (RefuseIoSpace("mem test")) return;
    MessageAnswer answer = window_.view().Ask(
        "test maximal displayed 1K range ?\nYES= 1K range\n NO= whole range !", "memory test");
    if (answer == MessageAnswer::Cancel) return;
    bool wholeRange = answer == MessageAnswer::No;
    uint32_t address = wholeRange ? window_.base() : window_.base() + window_.viewOffset();
    uint32_t length = CutAtRegionEnd(
        address, wholeRange ? window_.size() : std::min(window_.size(), kDisplayedRange));
    MappedRange range(address, length);
    if (!range.ok()) {
        window_.view().Notice(kMapFailed, "mem test");
        return;
    }
    WaitCursor wait(window_.view());
    uint32_t count = length / 4;
    volatile uint32_t* words = range.words();
    for (uint32_t j = 0; j < count; ++j)
        words[j] = 0;
    for (uint32_t j = 0; j < count; ++j)
        words[j] = TestPatternValue(j);
    TestWords(words, count, wholeRange);
}

void MemoryTools::TestWords(volatile uint32_t* words, uint32_t count, bool wholeRange) {
    int errors = 0;
    std::string details;
    if (wholeRange) {
        for (uint32_t j = 0; j < count; ++j) {
            uint32_t read = words[j];
            uint32_t expected = TestPatternValue(j);
            if (read == expected) continue;
            ++errors;
            if (errors <= kMaxDetailLines) {
                details +=
                    FormatText("%2d: a=%08x dexp=%08x dis=%08x\n", errors, j, expected, read);
            }
        }
    } else {
        // The list shows what the test wrote; lines that differ are highlighted. Words the
        // list does not show with their values are read from memory instead.
        window_.FillList();
        const std::vector<std::string>& lines = window_.listLines();
        bool listShowsValues = window_.autoReadMemory();
        std::vector<int> differing;
        for (uint32_t j = 0; j < count; ++j) {
            unsigned int read = 0;
            bool fromList = listShowsValues && j < lines.size() &&
                            std::sscanf(lines[j].c_str(), "%x", &read) == 1;
            if (!fromList) read = words[j];
            if (read == TestPatternValue(j)) continue;
            ++errors;
            if (j < lines.size()) differing.push_back(static_cast<int>(j));
        }
        window_.view().SelectListLines(differing);
    }
    if (errors == 0) {
        window_.view().Inform("No Errors !!", "memory test");
    } else {
        window_.view().Notice(FormatText("!!  Errors found: %d  !!\n%s", errors, details.c_str()),
                              "memory test");
    }
}

void MemoryTools::Load() {
    TransferFile(false);
}

void MemoryTools::Save() {
    TransferFile(true);
}

// Load and save open alike: the file, the range, the wait cursor and the mapping.
void MemoryTools::TransferFile(bool save) {
    const char* caption = save ? "save file" : "load file";
    if (RefuseIoSpace(caption)) return;
    std::string path = window_.view().ChooseFile(save);
    if (path.empty()) return;
    Range range{};
    const std::string question = std::string(save ? "save" : "load") +
                                 " displayed 1K range ?\nYES= 1K range\n NO= whole range !";
    if (!AskRange(question, save ? "memory save" : "memory load", range)) return;
    WaitCursor wait(window_.view());
    MappedRange mapped(range.address, range.length);
    if (!mapped.ok()) {
        window_.view().Notice(kMapFailed, caption);
        return;
    }
    if (save) {
        SaveFile(path, mapped.words(), range.length);
    } else {
        LoadFile(path, mapped.words(), range.length);
    }
}

void LoadImage(std::FILE* file, volatile uint32_t* words, uint32_t length) {
    for (uint32_t i = 0; i < length / 4; ++i) {
        unsigned char bytes[4];
        size_t got = std::fread(bytes, 1, 4, file);
        if (got == 0) break;
        uint32_t value = 0;
        uint32_t mask = 0;
        for (size_t b = 0; b < got; ++b) {
            value |= static_cast<uint32_t>(bytes[b]) << (8 * b);
            mask |= 0xFFu << (8 * b);
        }
        // A file that ends inside a word changes only the bytes it has.
        words[i] = got == 4 ? value : (words[i] & ~mask) | value;
        if (got < 4) break;
    }
}

void MemoryTools::LoadFile(const std::string& path, volatile uint32_t* words, uint32_t length) {
    // A regular file only: a FIFO would hold the window until a writer came, and a device
    // (/dev/zero, a serial port) is no image. Any size: the load stops at the range's end.
    InputFile input = OpenInputFile(path.c_str());
    if (input.file == nullptr) {
        window_.view().Notice("failed to open " + path, "load file");
        return;
    }
    LoadImage(input.file, words, length);
    std::fclose(input.file);
}

void MemoryTools::SaveFile(const std::string& path, volatile uint32_t* words, uint32_t length) {
    // The image replaces the file in one step: one that cannot be written completely keeps
    // what it held, and nothing is written through a link.
    outfile::OutputFile file;
    std::string error;
    if (!file.Open(outfile::PathFromNarrow(path), &error)) {
        window_.view().Notice("failed to open " + path, "save file");
        return;
    }
    // Words are read once each, in address order; a failed write ends the reading.
    bool writing = true;
    for (uint32_t i = 0; i < length / 4 && writing; ++i) {
        uint32_t value = words[i];
        unsigned char bytes[4] = {
            static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
        writing = file.Write(bytes, sizeof bytes);
    }
    if (!file.Commit(&error)) window_.view().Notice("failed to write " + path, "save file");
}

}  // namespace bexa
