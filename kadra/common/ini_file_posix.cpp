// A reader and writer of INI files that behaves as the system's private profile functions do:
// lines end at CR or LF, blanks around lines, names and values are dropped, a section header is
// the text between "[" and the last "]" of a line, the first section of a name and the first key
// of a name in it count, names compare without regard to case, a key without "=" has no value,
// one pair of enclosing quotes is taken off a value. Files are read as UTF-16 when they start
// with its byte-order mark, as UTF-8 when they are valid UTF-8, else as Latin-1, and are written
// back in the encoding they were read in.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ini_file.h"
#include "output_file.h"

namespace kadra {
namespace {

enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16Be, Latin1 };

struct IniDocument {
    Encoding encoding = Encoding::Utf8;
    KText lineEnd = L"\r\n";
    std::vector<KText> lines;  // without their line ends
    bool existed = false;
    bool complete = true;  // false when the file was larger than kMaxIniBytes
};

// Larger files are read only this far, and not written to, so nothing beyond is lost.
constexpr std::size_t kMaxIniBytes = 16u << 20;

bool IsIniSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f' ||
           c == 0x1A;
}

KTextView Trim(KTextView s) {
    while (!s.empty() && IsIniSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsIniSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

wchar_t FoldCase(wchar_t c) {
    if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c + 32);
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return static_cast<wchar_t>(c + 32);
    if (c >= 0x400 && c <= 0x40F) return static_cast<wchar_t>(c + 80);
    return c;
}

bool SameName(KTextView a, KTextView b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    return true;
}

// Valid UTF-8 decodes and encodes back to the same bytes; anything else gets replacement marks.
bool IsValidUtf8(const std::string& bytes) {
    return ToUtf8(FromUtf8(bytes)) == bytes;
}

KText DecodeUtf16(const std::string& bytes, std::size_t start, bool bigEndian) {
    std::u16string units;
    units.reserve((bytes.size() - start) / 2);
    for (std::size_t i = start; i + 1 < bytes.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(bytes[i + (bigEndian ? 1 : 0)]);
        const auto hi = static_cast<unsigned char>(bytes[i + (bigEndian ? 0 : 1)]);
        units.push_back(static_cast<char16_t>(lo | (hi << 8)));
    }
    return FromUtf16(units);
}

KText Decode(const std::string& bytes, Encoding& encoding) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        encoding = Encoding::Utf16Le;
        return DecodeUtf16(bytes, 2, false);
    }
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
        encoding = Encoding::Utf16Be;
        return DecodeUtf16(bytes, 2, true);
    }
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        encoding = Encoding::Utf8Bom;
        return FromUtf8(std::string_view(bytes).substr(3));
    }
    if (IsValidUtf8(bytes)) {
        encoding = Encoding::Utf8;
        return FromUtf8(bytes);
    }
    encoding = Encoding::Latin1;
    return FromAscii(bytes);  // every byte as the code point of the same number
}

std::string Encode(const KText& text, Encoding encoding) {
    std::string out;
    switch (encoding) {
        case Encoding::Utf16Le:
        case Encoding::Utf16Be: {
            const bool big = encoding == Encoding::Utf16Be;
            // The byte order mark, one byte at a time (an assignment of the two-byte literal
            // makes GCC 12 warn of an uninitialised read inside std::string).
            out.push_back(big ? '\xFE' : '\xFF');
            out.push_back(big ? '\xFF' : '\xFE');
            for (char16_t u : ToUtf16(text)) {
                const char lo = static_cast<char>(u & 0xFF);
                const char hi = static_cast<char>(u >> 8);
                out.push_back(big ? hi : lo);
                out.push_back(big ? lo : hi);
            }
            return out;
        }
        case Encoding::Latin1: {
            bool fits = true;
            for (wchar_t c : text)
                fits = fits && static_cast<unsigned long>(c) <= 0xFF;
            if (fits) {
                for (wchar_t c : text)
                    out.push_back(static_cast<char>(c));
                return out;
            }
            return ToUtf8(text);
        }
        case Encoding::Utf8Bom:
            return "\xEF\xBB\xBF" + ToUtf8(text);
        case Encoding::Utf8:
            break;
    }
    return ToUtf8(text);
}

IniDocument LoadDocument(const KText& path) {
    IniDocument doc;
    std::ifstream in(ToUtf8(path), std::ios::binary);
    if (!in) return doc;
    std::string bytes;
    char chunk[65536];
    while (bytes.size() <= kMaxIniBytes) {
        in.read(chunk, sizeof chunk);
        if (in.gcount() <= 0) break;
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    if (bytes.size() > kMaxIniBytes) {
        bytes.resize(kMaxIniBytes);
        doc.complete = false;
    }
    doc.existed = true;
    const KText text = Decode(bytes, doc.encoding);
    const std::size_t firstEnd = text.find_first_of(L"\r\n");
    if (firstEnd != KText::npos && text[firstEnd] == L'\n') doc.lineEnd = L"\n";
    // A line ends at a CR or an LF; a run of them ends one line (blank lines do not count).
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", i);
        if (end == KText::npos) end = text.size();
        doc.lines.emplace_back(text, i, end - i);
        i = end;
        if (i < text.size() && text[i] == L'\r') ++i;
        if (i < text.size() && text[i] == L'\n') ++i;
    }
    return doc;
}

// The name of a section header line, or nothing when the line is none.
std::optional<KTextView> SectionName(KTextView line) {
    line = Trim(line);
    if (line.empty() || line.front() != L'[') return std::nullopt;
    const std::size_t close = line.rfind(L']');
    if (close == KTextView::npos || close == 0) return std::nullopt;
    return line.substr(1, close - 1);
}

struct KeyLine {
    KTextView name;
    std::optional<KTextView> value;
};

std::optional<KeyLine> ParseKeyLine(KTextView line) {
    line = Trim(line);
    if (line.empty()) return std::nullopt;
    const std::size_t eq = line.find(L'=');
    if (eq == KTextView::npos) return KeyLine{line, std::nullopt};
    return KeyLine{Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))};
}

struct Location {
    std::optional<std::size_t> sectionLine;  // the header of the first section of the name
    std::optional<std::size_t> keyLine;      // the first key of the name in it
    std::size_t lastContentLine = 0;         // last non-blank line of that section
};

Location Find(const IniDocument& doc, KTextView section, KTextView key) {
    section = Trim(section);
    key = Trim(key);
    Location where;
    bool inSection = false;
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        if (const auto name = SectionName(doc.lines[i])) {
            if (inSection) break;  // only the first section of the name counts
            if (SameName(*name, section)) {
                inSection = true;
                where.sectionLine = i;
                where.lastContentLine = i;
            }
            continue;
        }
        if (!inSection) continue;
        const auto entry = ParseKeyLine(doc.lines[i]);
        if (!entry) continue;
        where.lastContentLine = i;
        if (!where.keyLine && SameName(entry->name, key)) where.keyLine = i;
    }
    return where;
}

// A value as the system hands it out: one pair of enclosing quotes (' or ") taken off.
KText Unquote(KTextView value) {
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
        value.back() == value.front())
        return KText(value.substr(1, value.size() - 2));
    return KText(value);
}

bool SaveDocument(const IniDocument& doc, const KText& path) {
    KText text;
    for (const KText& line : doc.lines) {
        text += line;
        text += doc.lineEnd;
    }
    const std::string bytes = Encode(text, doc.encoding);
    // An output file: written beside the file and renamed over it, so a failed write never
    // leaves half a file. A settings file behind a link is the one the user keeps, so the link
    // is followed here and the file it names is replaced, with its permissions.
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path target(ToUtf8(path));
    if (doc.existed) {
        const fs::path real = fs::canonical(target, error);
        if (!error) target = real;
    }
    std::string failure;
    return outfile::WriteOutputFile(target, bytes, &failure);
}

KText Folded(KTextView name) {
    KText folded(name);
    for (wchar_t& c : folded)
        c = FoldCase(c);
    return folded;
}

// Where each key stands: the first section of a name, and in it the first key of a name, as
// Find looks them up, for every key at once.
using KeyIndex = std::unordered_map<KText, std::unordered_map<KText, std::size_t>>;

KeyIndex IndexKeys(const IniDocument& doc) {
    KeyIndex index;
    std::unordered_map<KText, std::size_t>* keys = nullptr;
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        if (const auto name = SectionName(doc.lines[i])) {
            const KText folded = Folded(Trim(*name));
            keys = index.count(folded) != 0 ? nullptr : &index[folded];
            continue;
        }
        if (keys == nullptr) continue;
        const auto entry = ParseKeyLine(doc.lines[i]);
        if (entry) keys->emplace(Folded(entry->name), i);
    }
    return index;
}

// The file as last read, kept until it is written here or its identity, size or modification
// time changes: a start reads hundreds of keys, and one file is read and decoded once. File
// times advance in coarse steps, so a file changed shortly before it was read could change
// again without a new time: such a copy is not kept.
struct CachedIni {
    KText path;
    struct stat identity {};
    bool settled = false;  // last changed well before it was read
    IniDocument doc;
    KeyIndex index;
};

std::mutex cacheLock;
std::optional<CachedIni> cache;

bool SameIdentity(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

bool Settled(const struct stat& identity) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const int64_t changedNs =
        int64_t{identity.st_mtim.tv_sec} * 1000000000 + identity.st_mtim.tv_nsec;
    const int64_t nowNs = int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
    return nowNs - changedNs > 1000000000;  // a second: far more than any file time's step
}

void ForgetCachedIni() {
    std::lock_guard<std::mutex> hold(cacheLock);
    cache.reset();
}

}  // namespace

KText ReadIniString(const KText& section, const KText& key, const KText& defaultValue,
                    const KText& path, std::size_t capacity) {
    {
        std::lock_guard<std::mutex> hold(cacheLock);
        struct stat identity {};
        if (stat(ToUtf8(path).c_str(), &identity) != 0) {
            cache.reset();
        } else if (!cache || !cache->settled || cache->path != path ||
                   !SameIdentity(cache->identity, identity)) {
            cache.reset();
            CachedIni fresh;
            fresh.path = path;
            fresh.identity = identity;
            fresh.settled = Settled(identity);
            fresh.doc = LoadDocument(path);
            fresh.index = IndexKeys(fresh.doc);
            cache = std::move(fresh);
        }
        if (cache) {
            const auto keys = cache->index.find(Folded(Trim(section)));
            if (keys != cache->index.end()) {
                const auto line = keys->second.find(Folded(Trim(key)));
                if (line != keys->second.end()) {
                    const auto entry = ParseKeyLine(cache->doc.lines[line->second]);
                    if (entry && entry->value) {
                        return FitToCapacity(Unquote(*entry->value), capacity);
                    }
                }
            }
        }
    }
    KTextView fallback = defaultValue;
    while (!fallback.empty() && fallback.back() == L' ')
        fallback.remove_suffix(1);
    return FitToCapacity(fallback, capacity);
}

int32_t ReadIniInt(const KText& section, const KText& key, int32_t defaultValue,
                   const KText& path) {
    // As the system does: the value's first 29 characters, a number in the base its prefix gives.
    const KText text = ReadIniString(section, key, L"", path, 30);
    if (text.empty()) return defaultValue;
    std::size_t i = 0;
    while (i < text.size() && text[i] <= L' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    uint32_t base = 10;
    if (i + 1 < text.size() && text[i] == L'0') {
        if (text[i + 1] == L'x')
            base = 16, i += 2;
        else if (text[i + 1] == L'o')
            base = 8, i += 2;
        else if (text[i + 1] == L'b')
            base = 2, i += 2;
    }
    uint32_t total = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        uint32_t digit = 99;
        if (c >= L'0' && c <= L'9')
            digit = static_cast<uint32_t>(c - L'0');
        else if (c >= L'a' && c <= L'z')
            digit = static_cast<uint32_t>(c - L'a' + 10);
        else if (c >= L'A' && c <= L'Z')
            digit = static_cast<uint32_t>(c - L'A' + 10);
        if (digit >= base) break;
        total = total * base + digit;
    }
    return static_cast<int32_t>(negative ? 0u - total : total);
}

bool WriteIniString(const KText& section, const KText& key, const KText& value, const KText& path) {
    // A line break in a value would end up as lines of their own, keys among them.
    if (value.find_first_of(L"\r\n") != KText::npos) return false;
    const KTextView sectionName = Trim(section);
    const KTextView keyName = Trim(key);
    if (keyName.empty()) return false;
    IniDocument doc = LoadDocument(path);
    if (!doc.complete) return false;
    const Location where = Find(doc, sectionName, keyName);
    if (where.keyLine) {
        const auto entry = ParseKeyLine(doc.lines[*where.keyLine]);
        KText& line = doc.lines[*where.keyLine];
        line = KText(entry->name) + L"=" + value;
    } else if (where.sectionLine) {
        const auto at = doc.lines.begin() + static_cast<std::ptrdiff_t>(where.lastContentLine + 1);
        doc.lines.insert(at, KText(keyName) + L"=" + value);
    } else {
        if (!doc.lines.empty() && !Trim(doc.lines.back()).empty()) doc.lines.emplace_back();
        doc.lines.push_back(L"[" + KText(sectionName) + L"]");
        doc.lines.push_back(KText(keyName) + L"=" + value);
    }
    ForgetCachedIni();
    return SaveDocument(doc, path);
}

bool WriteIniInt(const KText& section, const KText& key, int32_t value, const KText& path) {
    return WriteIniString(section, key, std::to_wstring(value), path);
}

}  // namespace kadra
