#include "id_file.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace bexa {

namespace {

// Buffered reader that hands out the file's lines as the C library's text mode would on
// Windows: CR LF is one LF, a line is cut after kIdFileLineLimit characters.
class LineReader {
  public:
    LineReader(std::FILE* file, std::size_t maxBytes) : file_(file), left_(maxBytes) {}

    // Reads the next line into `line` (without its LF). False at the end of the file.
    bool Next(std::string& line) {
        line.clear();
        int c;
        while ((c = Get()) != kEnd) {
            if (c == '\r' && Peek() == '\n') c = Get();
            if (c == '\n') return true;
            line.push_back(static_cast<char>(c));
            if (line.size() == kIdFileLineLimit) return true;
        }
        return !line.empty();
    }

  private:
    static constexpr int kEnd = -1;

    int Peek() {
        if (pos_ == len_ && !Fill()) return kEnd;
        return static_cast<unsigned char>(buffer_[pos_]);
    }
    int Get() {
        int c = Peek();
        if (c != kEnd) ++pos_;
        return c;
    }
    bool Fill() {
        if (done_ || left_ == 0) return false;
        len_ = std::fread(buffer_, 1, std::min(sizeof buffer_, left_), file_);
        pos_ = 0;
        left_ -= len_;
        if (len_ == 0) done_ = true;  // end of file or read error
        return len_ != 0;
    }

    std::FILE* file_;
    char buffer_[65536];
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    std::size_t left_;  // bytes still to be read
    bool done_ = false;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

static_assert(kIdFileMaxEntries <= std::numeric_limits<int32_t>::max(),
              "entry numbers of the index are 31 bits");

constexpr uint64_t ChildKey(std::size_t parentIndex, uint16_t id) {
    return (static_cast<uint64_t>(parentIndex) << 16) | id;
}

}  // namespace

bool ParseIdFileLine(const char* line, char* kind, uint16_t* id, const char** text,
                     std::size_t* textLength) {
    const char k = line[0];
    if (k != 'V' && k != 'D' && k != 'O' && k != 'S') return false;
    const char* p = line + 1;
    while (IsBlank(*p))
        ++p;
    unsigned value = 0;
    int digits = 0;
    for (int v; digits < 4 && (v = HexValue(*p)) >= 0; ++p, ++digits)
        value = value * 16 + v;
    if (digits == 0) return false;
    while (IsBlank(*p))
        ++p;
    const char* end = p;
    while (*end != '\0' && *end != '\t')
        ++end;
    *kind = k;
    *id = static_cast<uint16_t>(value);
    *text = p;
    *textLength = static_cast<std::size_t>(end - p);
    return true;
}

IdFileList IdFileList::Read(std::FILE* file, std::string* firstLines, std::size_t maxBytes) {
    IdFileList list;
    std::vector<std::size_t> textOffsets;
    LineReader reader(file, maxBytes);
    std::string line;
    for (std::size_t lineNumber = 1; reader.Next(line); ++lineNumber) {
        // A NUL byte ends the line's text, as for any C string.
        const char* cline = line.c_str();
        if (firstLines != nullptr && lineNumber <= 3) {
            firstLines->append(cline);
            firstLines->push_back('\n');
        }
        char kind;
        uint16_t id;
        const char* text;
        std::size_t length;
        if (!ParseIdFileLine(cline, &kind, &id, &text, &length)) continue;
        if (list.entries_.size() == kIdFileMaxEntries ||
            list.texts_.size() + length + 1 > kIdFileMaxTextBytes) {
            break;
        }
        textOffsets.push_back(list.texts_.size());
        list.texts_.insert(list.texts_.end(), text, text + length);
        list.texts_.push_back('\0');
        list.entries_.push_back({kind, id, nullptr});
    }
    list.texts_.shrink_to_fit();
    list.entries_.shrink_to_fit();
    for (std::size_t i = 0; i < list.entries_.size(); ++i) {
        list.entries_[i].text = list.texts_.data() + textOffsets[i];
    }
    list.BuildIndex();
    return list;
}

void IdFileList::BuildIndex() {
    firstVendor_.assign(0x10000, -1);
    firstChild_.clear();
    firstChild_.reserve(entries_.size());
    // The entry that opens the current block of each level; SIZE_MAX where none is open.
    constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    std::size_t vendor = kNone, device = kNone, subVendor = kNone;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const IdFileEntry& entry = entries_[i];
        switch (entry.kind) {
            case 'V':
                if (firstVendor_[entry.id] < 0) firstVendor_[entry.id] = static_cast<int32_t>(i);
                vendor = i;
                device = subVendor = kNone;
                break;
            case 'D':
                if (vendor != kNone) firstChild_.emplace_back(ChildKey(vendor, entry.id), i);
                device = i;
                subVendor = kNone;
                break;
            case 'O':
                if (device != kNone) firstChild_.emplace_back(ChildKey(device, entry.id), i);
                subVendor = i;
                break;
            case 'S':
                if (subVendor != kNone) firstChild_.emplace_back(ChildKey(subVendor, entry.id), i);
                break;
        }
    }
    // Sorting by (key, entry index) puts the first child of each key first; keep only it.
    std::sort(firstChild_.begin(), firstChild_.end());
    firstChild_.erase(std::unique(firstChild_.begin(), firstChild_.end(),
                                  [](const auto& a, const auto& b) { return a.first == b.first; }),
                      firstChild_.end());
    firstChild_.shrink_to_fit();
}

std::size_t IdFileList::MemoryUsed() const {
    return entries_.capacity() * sizeof(IdFileEntry) + texts_.capacity() +
           firstVendor_.capacity() * sizeof(int32_t) +
           firstChild_.capacity() * sizeof(firstChild_[0]);
}

const IdFileEntry* IdFileList::FindChild(const IdFileEntry* parent, uint16_t id) const {
    if (parent == nullptr) return nullptr;
    const uint64_t key = ChildKey(static_cast<std::size_t>(parent - entries_.data()), id);
    auto it = std::lower_bound(firstChild_.begin(), firstChild_.end(), key,
                               [](const auto& item, uint64_t k) { return item.first < k; });
    if (it == firstChild_.end() || it->first != key) return nullptr;
    return &entries_[it->second];
}

const IdFileEntry* IdFileList::FindVendor(uint16_t vendorId) const {
    if (firstVendor_.empty() || firstVendor_[vendorId] < 0) return nullptr;
    return &entries_[static_cast<std::size_t>(firstVendor_[vendorId])];
}

const IdFileEntry* IdFileList::FindDevice(uint16_t vendorId, uint16_t deviceId) const {
    return FindChild(FindVendor(vendorId), deviceId);
}

const IdFileEntry* IdFileList::FindSubsystemVendor(uint16_t vendorId, uint16_t deviceId,
                                                   uint16_t subVendorId) const {
    return FindChild(FindDevice(vendorId, deviceId), subVendorId);
}

const IdFileEntry* IdFileList::FindSubsystem(uint16_t vendorId, uint16_t deviceId,
                                             uint16_t subVendorId, uint16_t subsystemId) const {
    return FindChild(FindSubsystemVendor(vendorId, deviceId, subVendorId), subsystemId);
}

const IdFileEntry* IdFileList::WalkBlock(const IdFileEntry* from, char kind, uint16_t id,
                                         const char* stopKinds) const {
    if (from == nullptr) return nullptr;
    for (const IdFileEntry* e = from + 1; e != entries_.data() + entries_.size(); ++e) {
        if (std::strchr(stopKinds, e->kind) != nullptr) return nullptr;
        if (e->kind == kind && e->id == id) return e;
    }
    return nullptr;
}

const IdFileEntry* IdFileList::FindVendorLinear(uint16_t vendorId) const {
    for (const IdFileEntry& e : entries_) {
        if (e.kind == 'V' && e.id == vendorId) return &e;
    }
    return nullptr;
}

const IdFileEntry* IdFileList::FindDeviceLinear(uint16_t vendorId, uint16_t deviceId) const {
    return WalkBlock(FindVendorLinear(vendorId), 'D', deviceId, "V");
}

const IdFileEntry* IdFileList::FindSubsystemVendorLinear(uint16_t vendorId, uint16_t deviceId,
                                                         uint16_t subVendorId) const {
    return WalkBlock(FindDeviceLinear(vendorId, deviceId), 'O', subVendorId, "VD");
}

const IdFileEntry* IdFileList::FindSubsystemLinear(uint16_t vendorId, uint16_t deviceId,
                                                   uint16_t subVendorId,
                                                   uint16_t subsystemId) const {
    return WalkBlock(FindSubsystemVendorLinear(vendorId, deviceId, subVendorId), 'S', subsystemId,
                     "VDO");
}

}  // namespace bexa
