// Reads lspci dumps the way pciutils' dump access method (lib/dump.c) reads them, so that a
// file gives the same functions here as under `lspci -F`:
//   - a function header is a line starting "BB:DD.F " or "DDDD:BB:DD.F " (4 or 5 domain
//     digits), followed by any text;
//   - an empty line ends the function's block;
//   - inside a block, "XX: xx xx ..." (2 to 8 hex digits of offset) gives bytes;
//   - every other line is ignored, except here: "\tRegion N: ... [size=S]" and
//     "\tExpansion ROM at ... [size=S]" (one tab, as lspci -v writes them) give BAR sizes,
//     and "#tvk ..." lines are annotations (lspci ignores lines starting with '#').
// Stricter than lspci: hex lines outside a block, malformed hex lines, a device above 31 or
// a function above 7, an offset given twice and a block without its first 64 bytes are errors.
#include "machine_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "pci_header.h"

namespace tvk {

namespace {

constexpr size_t kMaxFileBytes = 64u << 20;

// One hex line of a function's block: its line number and the first offset it gives.
struct HexRow {
    int line;
    size_t offset;
};

// A function's block as it is read. Its image holds 256 bytes until the block gives an offset
// past them, then 4096.
struct ParsedFunction {
    int line = 0;
    FunctionImage image;
    std::vector<bool> given;  // per byte of the image
    size_t end = 0;           // one past the highest offset given
    std::vector<HexRow> rows;

    void Start(int number) {
        line = number;
        image.config.assign(256, 0);
        given.assign(256, false);
    }
};

// Functions of domain 0 by address: bus << 8 | device << 3 | function.
constexpr size_t kFunctionSlots = 65536;

size_t SlotOf(uint8_t bus, uint8_t device, uint8_t function) {
    return size_t(bus) << 8 | size_t(device) << 3 | function;
}

// lspci writes 16 bytes to a hex line.
constexpr size_t kBytesPerHexLine = 16;

struct BarNote {
    int line;
    uint8_t bus, device, function;
    int bar;
    uint64_t size;
};

struct Contents {
    enum Kind { Memory, Fill, Ports } kind;
    int line;
    uint64_t address;
    uint64_t length;  // Fill
    std::vector<uint8_t> bytes;
};

struct RamNote {
    int line;
    uint32_t address;
    uint64_t size;  // up to 4G: a region may fill the whole 32-bit space
};

bool IsHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    return (std::tolower(static_cast<unsigned char>(c)) - 'a') + 10;
}

// Matches a pciutils dump_validate() format: '#' is a hex digit, other characters literal.
bool Matches(const std::string& s, const char* format) {
    size_t i = 0;
    for (; format[i]; ++i) {
        if (i >= s.size()) return false;
        if (format[i] == '#' ? !IsHex(s[i]) : format[i] != s[i]) return false;
    }
    return true;
}

uint64_t HexNumber(const std::string& s, size_t from, size_t count) {
    uint64_t v = 0;
    for (size_t i = from; i < from + count; ++i)
        v = v << 4 | uint64_t(HexValue(s[i]));
    return v;
}

std::vector<std::string> Words(const std::string& s) {
    std::vector<std::string> words;
    size_t i = 0;
    while (true) {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
            ++i;
        if (i == s.size()) return words;
        const size_t start = i;
        while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i])))
            ++i;
        words.emplace_back(s, start, i - start);
    }
}

// Hex number, with or without 0x; at most 16 digits.
std::optional<uint64_t> ParseHex(std::string w) {
    if (w.size() > 2 && w[0] == '0' && (w[1] == 'x' || w[1] == 'X')) w = w.substr(2);
    if (w.empty() || w.size() > 16) return std::nullopt;
    for (char c : w)
        if (!IsHex(c)) return std::nullopt;
    return HexNumber(w, 0, w.size());
}

// Size: decimal with an optional K, M, G or T suffix (as lspci prints sizes), or 0x-hex.
std::optional<uint64_t> ParseSize(const std::string& w) {
    if (w.size() > 2 && w[0] == '0' && (w[1] == 'x' || w[1] == 'X')) return ParseHex(w);
    size_t i = 0;
    uint64_t v = 0;
    for (; i < w.size() && std::isdigit(static_cast<unsigned char>(w[i])); ++i) {
        if (v > (uint64_t(1) << 40)) return std::nullopt;
        v = v * 10 + uint64_t(w[i] - '0');
    }
    if (i == 0) return std::nullopt;
    int shift = 0;
    if (i < w.size()) {
        switch (w[i]) {
            case 'K':
                shift = 10;
                break;
            case 'M':
                shift = 20;
                break;
            case 'G':
                shift = 30;
                break;
            case 'T':
                shift = 40;
                break;
            default:
                return std::nullopt;
        }
        if (++i != w.size()) return std::nullopt;
    }
    if (shift && v > (uint64_t(1) << (62 - shift))) return std::nullopt;
    return v << shift;
}

std::optional<uint8_t> ParseByte(const std::string& w) {
    if (w.size() != 2 || !IsHex(w[0]) || !IsHex(w[1])) return std::nullopt;
    return uint8_t(HexValue(w[0]) << 4 | HexValue(w[1]));
}

// "BB:DD.F" or "DDDD:BB:DD.F" in an annotation; domain must be 0 to be kept.
bool ParseAddress(const std::string& w, bool& domainZero, uint8_t& bus, uint8_t& device,
                  uint8_t& function) {
    std::string rest = w;
    domainZero = true;
    if (rest.size() > 7) {
        const size_t colon = rest.find(':');
        if (colon == std::string::npos || colon == 0 || colon > 5) return false;
        for (size_t i = 0; i < colon; ++i)
            if (!IsHex(rest[i])) return false;
        domainZero = HexNumber(rest, 0, colon) == 0;
        rest = rest.substr(colon + 1);
    }
    if (rest.size() != 7 || !Matches(rest, "##:##.#")) return false;
    bus = uint8_t(HexNumber(rest, 0, 2));
    const uint64_t d = HexNumber(rest, 3, 2);
    if (d > 31 || rest[6] < '0' || rest[6] > '7') return false;
    device = uint8_t(d);
    function = uint8_t(rest[6] - '0');
    return true;
}

uint64_t RoundUpPowerOfTwo(uint64_t v) {
    uint64_t p = 1;
    while (p < v && p < (uint64_t(1) << 63))
        p <<= 1;
    return p;
}

uint64_t LargestPowerOfTwoAtMost(uint64_t v) {
    uint64_t p = 1;
    while (p <= v / 2)
        p <<= 1;
    return p;
}

struct BarInfo {
    bool io = false;
    bool wide = false;
    uint64_t address = 0;
    bool implemented = false;  // the register does not read 0
};

BarInfo Bar(const std::vector<uint8_t>& c, int i, int bars) {
    BarInfo b;
    const uint32_t v = ConfigDword(c, kFirstBar + 4 * size_t(i));
    b.io = v & 1;
    if (b.io) {
        b.address = v & 0xFFFFFFFCu;
    } else {
        b.wide = ((v >> 1) & 3) == 2 && i + 1 < bars;
        b.address = v & 0xFFFFFFF0u;
        if (b.wide) b.address |= uint64_t(ConfigDword(c, kFirstBar + 4 + 4 * size_t(i))) << 32;
    }
    b.implemented = v != 0 || (b.wide && b.address != 0);
    return b;
}

// Fits a size given by lspci's Region line to what the BAR can hold: rounded up to a power
// of two and to the minimum; a size too large for the BAR is dropped.
uint64_t FitSize(uint64_t size, bool io, bool wide, bool rom) {
    const uint64_t min = rom ? kMinRom : io ? kMinIoBar : kMinMemoryBar;
    const uint64_t max = io ? kMaxIoBar : (wide ? kMaxMemory64Bar : kMaxMemory32Bar);
    size = std::max(RoundUpPowerOfTwo(size), min);
    return size > max ? 0 : size;
}

// The line where a missing byte should have come: the last hex line of the block that starts
// at or before it (a line cut short, or followed by a gap), else the function's header.
int MissingByteLine(const ParsedFunction& p, size_t offset) {
    int line = p.line;
    size_t best = 0;
    bool found = false;
    for (const HexRow& row : p.rows) {
        if (row.offset <= offset && (!found || row.offset >= best)) {
            line = row.line;
            best = row.offset;
            found = true;
        }
    }
    return line;
}

class Parser {
  public:
    explicit Parser(const std::string& name) : name_(name) {}

    std::unique_ptr<SimMachine> Parse(const std::string& text, std::string& error);

  private:
    bool Fail(int line, const std::string& message) {
        error_ = name_ + ":" + std::to_string(line) + ": " + message;
        return false;
    }
    bool ParseLine(const std::string& s, int number);
    bool ParseHeader(const std::string& s, int number, size_t domainDigits);
    bool ParseHexLine(const std::string& s, int number);
    bool ParseRegionLine(const std::string& s);
    bool ParseAnnotation(const std::string& s, int number);
    // Building the machine from what was parsed, step by step.
    std::unique_ptr<SimMachine> Build();
    bool CompleteImages(std::vector<FunctionImage>& images);
    bool ApplyBarNotes(std::vector<FunctionImage>& images);
    bool AddDecoders(SimMachine& machine, std::vector<FunctionImage>& images);
    bool StoreContents(SimMachine& machine);

    std::string name_;
    std::string error_;
    std::vector<ParsedFunction> functions_;
    // Index in functions_ + 1 of the function at each slot, 0 for none.
    std::vector<uint32_t> functionAt_ = std::vector<uint32_t>(kFunctionSlots, 0);
    ParsedFunction skipped_;  // a function of another domain: parsed, then dropped
    ParsedFunction* current_ = nullptr;
    std::vector<BarNote> bars_;
    std::vector<RamNote> ram_;
    std::vector<Contents> contents_;
};

bool Parser::ParseHeader(const std::string& s, int number, size_t domainDigits) {
    const size_t at = domainDigits ? domainDigits + 1 : 0;
    const uint64_t domain = domainDigits ? HexNumber(s, 0, domainDigits) : 0;
    const uint8_t bus = uint8_t(HexNumber(s, at, 2));
    const uint64_t device = HexNumber(s, at + 3, 2);
    const char f = s[at + 6];
    if (device > 31) return Fail(number, "device number above 1f");
    if (f < '0' || f > '7') return Fail(number, "function number above 7");
    const uint8_t function = uint8_t(f - '0');
    if (domain != 0) {
        // Configuration mechanism #1 reaches segment 0 only: other domains are not loaded.
        skipped_ = ParsedFunction();
        skipped_.Start(number);
        current_ = &skipped_;
        return true;
    }
    uint32_t& slot = functionAt_[SlotOf(bus, uint8_t(device), function)];
    if (slot != 0) {
        return Fail(number, "function " + s.substr(at, 7) + " already given on line " +
                                std::to_string(functions_[slot - 1].line));
    }
    functions_.emplace_back();
    slot = uint32_t(functions_.size());
    ParsedFunction& p = functions_.back();
    p.Start(number);
    p.image.bus = bus;
    p.image.device = uint8_t(device);
    p.image.function = function;
    current_ = &p;
    return true;
}

bool Parser::ParseHexLine(const std::string& s, int number) {
    if (!current_) return Fail(number, "hex line outside a function's block");
    const size_t colon = s.find(':');
    uint64_t offset = HexNumber(s, 0, colon);
    current_->rows.push_back({number, size_t(std::min<uint64_t>(offset, 4096))});
    size_t z = colon + 2;
    size_t count = 0;
    while (z + 1 < s.size() && IsHex(s[z]) && IsHex(s[z + 1]) &&
           (z + 2 == s.size() || s[z + 2] == ' ')) {
        if (offset >= 4096) return Fail(number, "offset beyond 4096 bytes of configuration space");
        if (++count > kBytesPerHexLine) return Fail(number, "more than 16 bytes on one hex line");
        if (offset >= current_->given.size()) {  // extended configuration space
            current_->image.config.resize(4096, 0);
            current_->given.resize(4096, false);
        }
        if (current_->given[offset])
            return Fail(number, "configuration byte " + std::to_string(offset) + " given twice");
        current_->given[offset] = true;
        current_->image.config[offset] = uint8_t(HexNumber(s, z, 2));
        ++offset;
        current_->end = std::max(current_->end, size_t(offset));
        z += 2;
        if (z < s.size()) ++z;
    }
    if (z < s.size()) return Fail(number, "malformed hex line (expected \"XX: xx xx ...\")");
    return true;
}

bool Parser::ParseRegionLine(const std::string& s) {
    int bar;
    if (Matches(s, "\tRegion ") && s.size() > 9 && s[8] >= '0' && s[8] <= '5' && s[9] == ':') {
        bar = s[8] - '0';
    } else if (Matches(s, "\tExpansion ROM at ")) {
        // A [virtual] ROM is the kernel's shadow copy, not a ROM BAR of the function.
        if (s.find("[virtual]") != std::string::npos) return true;
        bar = kRomBar;
    } else {
        return false;
    }
    const size_t at = s.find("[size=");
    if (at == std::string::npos) return true;
    const size_t end = s.find(']', at);
    if (end == std::string::npos) return true;
    const auto size = ParseSize(s.substr(at + 6, end - at - 6));
    if (!size || *size == 0) return true;
    current_->image.barSize[size_t(bar)] = *size;  // fitted to the BAR in build()
    return true;
}

bool Parser::ParseAnnotation(const std::string& s, int number) {
    const std::vector<std::string> w = Words(s.substr(4));
    const std::string usage =
        "annotations: #tvk bar BB:DD.F N|rom SIZE, #tvk ram ADDRESS SIZE, "
        "#tvk mem ADDRESS xx.., #tvk fill ADDRESS LENGTH xx, #tvk io PORT xx..";
    if (w.empty()) return Fail(number, "empty annotation; " + usage);
    const std::string& what = w[0];
    if (what == "bar") {
        if (w.size() != 4) return Fail(number, "expected: #tvk bar BB:DD.F N|rom SIZE");
        BarNote n{number, 0, 0, 0, 0, 0};
        bool domainZero;
        if (!ParseAddress(w[1], domainZero, n.bus, n.device, n.function))
            return Fail(number, "bad function address '" + w[1] + "' (expected BB:DD.F)");
        if (w[2] == "rom") {
            n.bar = kRomBar;
        } else if (w[2].size() == 1 && w[2][0] >= '0' && w[2][0] <= '5') {
            n.bar = w[2][0] - '0';
        } else {
            return Fail(number, "bad BAR '" + w[2] + "' (expected 0 to 5 or rom)");
        }
        const auto size = ParseSize(w[3]);
        if (!size || *size == 0 || (*size & (*size - 1)))
            return Fail(number, "bad BAR size '" + w[3] + "' (a power of two such as 64K)");
        n.size = *size;
        if (domainZero) bars_.push_back(n);
        return true;
    }
    if (what == "ram") {
        if (w.size() != 3) return Fail(number, "expected: #tvk ram ADDRESS SIZE");
        const auto address = ParseHex(w[1]);
        const auto size = ParseSize(w[2]);
        if (!address || *address > 0xFFFFFFFFu)
            return Fail(number, "bad RAM address '" + w[1] + "' (hex, below 4 GB)");
        if (!size || *size == 0 || *address + *size > (uint64_t(1) << 32))
            return Fail(number, "bad RAM size '" + w[2] + "' (the region must end by 4 GB)");
        ram_.push_back({number, uint32_t(*address), *size});
        return true;
    }
    if (what == "mem" || what == "io") {
        if (w.size() < 3) return Fail(number, "expected: #tvk " + what + " ADDRESS xx xx ...");
        const auto address = ParseHex(w[1]);
        if (!address || (what == "io" && *address > 0xFFFFFFFFu))
            return Fail(number, "bad address '" + w[1] + "' (hex)");
        Contents c{what == "mem" ? Contents::Memory : Contents::Ports, number, *address, 0, {}};
        for (size_t i = 2; i < w.size(); ++i) {
            const auto b = ParseByte(w[i]);
            if (!b) return Fail(number, "bad byte '" + w[i] + "' (two hex digits)");
            c.bytes.push_back(*b);
        }
        contents_.push_back(std::move(c));
        return true;
    }
    if (what == "fill") {
        if (w.size() != 4) return Fail(number, "expected: #tvk fill ADDRESS LENGTH xx");
        const auto address = ParseHex(w[1]);
        const auto length = ParseSize(w[2]);
        const auto b = ParseByte(w[3]);
        if (!address) return Fail(number, "bad address '" + w[1] + "' (hex)");
        if (!length || *length == 0 || *length > (uint64_t(1) << 32))
            return Fail(number, "bad length '" + w[2] + "' (1 to 4G)");
        if (!b) return Fail(number, "bad byte '" + w[3] + "' (two hex digits)");
        contents_.push_back({Contents::Fill, number, *address, *length, {*b}});
        return true;
    }
    return Fail(number, "unknown annotation '" + what + "'; " + usage);
}

bool Parser::ParseLine(const std::string& s, int number) {
    if (Matches(s, "##:##.# ")) return ParseHeader(s, number, 0);
    if (Matches(s, "####:##:##.# ")) return ParseHeader(s, number, 4);
    if (Matches(s, "#####:##:##.# ")) return ParseHeader(s, number, 5);
    if (s.empty()) {
        current_ = nullptr;
        return true;
    }
    for (size_t digits = 2; digits <= 8; ++digits) {
        if (s.size() >= digits + 2) {
            bool hex = true;
            for (size_t i = 0; i < digits && hex; ++i)
                hex = IsHex(s[i]);
            if (hex && s[digits] == ':' && s[digits + 1] == ' ') return ParseHexLine(s, number);
        }
    }
    if (s.compare(0, 4, "#tvk") == 0 && (s.size() == 4 || s[4] == ' ' || s[4] == '\t'))
        return ParseAnnotation(s, number);
    if (current_ && s[0] == '\t') ParseRegionLine(s);
    return true;
}

std::unique_ptr<SimMachine> Parser::Parse(const std::string& text, std::string& error) {
    int number = 0;
    size_t start = 0;
    std::string s;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        s.assign(text, start, end - start);
        if (!s.empty() && s.back() == '\r') s.pop_back();
        ++number;
        if (!ParseLine(s, number)) {
            error = error_;
            return nullptr;
        }
        start = end + 1;
    }
    auto machine = Build();
    if (!machine) error = error_;
    return machine;
}

std::unique_ptr<SimMachine> Parser::Build() {
    if (functions_.empty())
        return Fail(1, "no PCI function found (expected lspci -x, -xxx or -xxxx output)"), nullptr;
    std::vector<FunctionImage> images;
    if (!CompleteImages(images) || !ApplyBarNotes(images)) return nullptr;
    std::vector<uint64_t> ramStarts;
    for (const auto& r : ram_)
        ramStarts.push_back(r.address);
    DeriveBarSizes(images, ramStarts);
    auto machine = std::make_unique<SimMachine>();
    if (!AddDecoders(*machine, images) || !StoreContents(*machine)) return nullptr;
    return machine;
}

bool Parser::CompleteImages(std::vector<FunctionImage>& images) {
    images.reserve(functions_.size());
    for (auto& p : functions_) {
        for (size_t o = 0; o < 64; ++o) {
            if (!p.given[o]) {
                return Fail(MissingByteLine(p, o),
                            "function lacks configuration bytes 00-3f (use lspci -x, -xxx "
                            "or -xxxx)");
            }
        }
        p.image.config.resize(p.end > 256 ? 4096 : 256);
        // Sizes from lspci's Region lines, fitted to the BARs.
        const HeaderLayout layout = LayoutOfHeader(p.image.config[0x0E]);
        for (int i = 0; i < 7; ++i) {
            uint64_t& size = p.image.barSize[size_t(i)];
            if (!size) continue;
            if (i == kRomBar) {
                size = layout.romOffset ? FitSize(size, false, false, true) : 0;
            } else if (i < layout.bars) {
                const BarInfo b = Bar(p.image.config, i, layout.bars);
                size = FitSize(size, b.io, b.wide, false);
            } else {
                size = 0;
            }
        }
        images.push_back(std::move(p.image));
        p.given = {};  // what the block gave is checked: its bookkeeping goes
        p.rows = {};
    }
    return true;
}

// Annotated sizes take precedence over everything.
bool Parser::ApplyBarNotes(std::vector<FunctionImage>& images) {
    for (const auto& n : bars_) {
        const uint32_t slot = functionAt_[SlotOf(n.bus, n.device, n.function)];
        if (slot == 0) {
            char address[16];
            std::snprintf(address, sizeof address, "%02x:%02x.%x", n.bus, n.device, n.function);
            return Fail(n.line, std::string("no function ") + address + " in this file");
        }
        FunctionImage& f = images[slot - 1];
        const HeaderLayout layout = LayoutOfHeader(f.config[0x0E]);
        if (n.bar == kRomBar ? layout.romOffset == 0 : n.bar >= layout.bars)
            return Fail(n.line, "this function's header type has no such BAR");
        if (n.bar == kRomBar) {
            if (n.size < kMinRom || n.size > kMaxRom)
                return Fail(n.line, "expansion ROM size must be 2K to 2G");
        } else {
            const BarInfo b = Bar(f.config, n.bar, layout.bars);
            if (b.io && (n.size < kMinIoBar || n.size > kMaxIoBar))
                return Fail(n.line, "I/O BAR size must be 4 to 64K");
            if (!b.io && (n.size < kMinMemoryBar || (!b.wide && n.size > kMaxMemory32Bar)))
                return Fail(n.line, "memory BAR size must be 16 to 2G (64-bit: larger)");
        }
        f.barSize[size_t(n.bar)] = n.size;
    }
    return true;
}

bool Parser::AddDecoders(SimMachine& machine, std::vector<FunctionImage>& images) {
    for (size_t i = 0; i < images.size(); ++i) {
        std::string message;
        if (!machine.AddFunction(images[i], message)) return Fail(functions_[i].line, message);
        images[i].config = {};  // the machine holds its own copy
    }
    for (const auto& r : ram_) {
        std::string message;
        if (!machine.AddRam(r.address, r.size, message)) return Fail(r.line, message);
    }
    return true;
}

bool Parser::StoreContents(SimMachine& machine) {
    for (const auto& c : contents_) {
        bool ok = false;
        switch (c.kind) {
            case Contents::Memory:
                ok = machine.StoreMemory(c.address, c.bytes.data(), c.bytes.size());
                break;
            case Contents::Fill:
                ok = machine.FillRange(c.address, c.length, c.bytes[0]);
                break;
            case Contents::Ports:
                ok = machine.StorePorts(uint32_t(c.address), c.bytes.data(), c.bytes.size());
                break;
        }
        if (!ok) {
            return Fail(c.line, c.kind == Contents::Ports
                                    ? "ports not all inside one I/O BAR"
                                    : "memory not all inside one RAM region or the region of "
                                      "one memory BAR of at most 4G");
        }
    }
    return true;
}

}  // namespace

void DeriveBarSizes(std::vector<FunctionImage>& functions, const std::vector<uint64_t>& ramStarts) {
    // Start addresses of every decoder in each space, to bound sizes by the next one up.
    std::vector<uint64_t> memory = ramStarts;
    std::vector<uint64_t> io;
    for (const auto& f : functions) {
        const HeaderLayout layout = LayoutOfHeader(f.config[0x0E]);
        const int bars = layout.bars;
        const size_t rom = layout.romOffset;
        for (int i = 0; i < bars; ++i) {
            const BarInfo b = Bar(f.config, i, bars);
            if (b.address) (b.io ? io : memory).push_back(b.address);
            if (b.wide) ++i;
        }
        if (rom && (ConfigDword(f.config, rom) & 0xFFFFF800u)) {
            memory.push_back(ConfigDword(f.config, rom) & 0xFFFFF800u);
        }
    }
    // The nearest decoder above bounds the size the most.
    std::sort(memory.begin(), memory.end());
    std::sort(io.begin(), io.end());
    auto derive = [](uint64_t address, const std::vector<uint64_t>& others, uint64_t min,
                     uint64_t max) {
        if (address == 0) return min;
        uint64_t size = address & (~address + 1);  // lowest set bit
        const auto next = std::upper_bound(others.begin(), others.end(), address);
        if (next != others.end()) size = std::min(size, LargestPowerOfTwoAtMost(*next - address));
        return std::clamp(size, min, max);
    };
    for (auto& f : functions) {
        const HeaderLayout layout = LayoutOfHeader(f.config[0x0E]);
        const int bars = layout.bars;
        const size_t rom = layout.romOffset;
        for (int i = 0; i < bars; ++i) {
            const BarInfo b = Bar(f.config, i, bars);
            if (f.barSize[size_t(i)] == 0 && b.implemented) {
                f.barSize[size_t(i)] = b.io ? derive(b.address, io, kMinIoBar, 256)
                                            : derive(b.address, memory, kMinMemoryBar,
                                                     b.wide ? uint64_t(1) << 62 : kMaxMemory32Bar);
            }
            if (b.wide) f.barSize[size_t(++i)] = 0;
        }
        if (rom && f.barSize[kRomBar] == 0 && ConfigDword(f.config, rom) != 0) {
            f.barSize[kRomBar] =
                derive(ConfigDword(f.config, rom) & 0xFFFFF800u, memory, kMinRom, kMaxRom);
        }
    }
}

std::unique_ptr<SimMachine> LoadMachineText(const std::string& text, const std::string& name,
                                            std::string& error) {
    Parser parser(name);
    return parser.Parse(text, error);
}

std::unique_ptr<SimMachine> LoadMachineFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "machine file " + path + ": cannot be opened";
        return nullptr;
    }
    std::string text;
    std::error_code sizeError;  // no size (a FIFO): the text grows as it is read
    const uintmax_t size = std::filesystem::file_size(path, sizeError);
    if (!sizeError && size <= kMaxFileBytes) text.reserve(size_t(size));
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, size_t(in.gcount()));
        if (text.size() > kMaxFileBytes) {
            error = "machine file " + path + ": larger than 64 MiB";
            return nullptr;
        }
    }
    if (in.bad()) {
        error = "machine file " + path + ": read error";
        return nullptr;
    }
    auto machine = LoadMachineText(text, path, error);
    if (machine) {
        const size_t slash = path.find_last_of("/\\");
        machine->SetSourceLabel("dump: " +
                                (slash == std::string::npos ? path : path.substr(slash + 1)));
    }
    return machine;
}

}  // namespace tvk
