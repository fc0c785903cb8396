#include "dialog_script.h"

#include <algorithm>
#include <optional>

namespace vorlu {
namespace {

// One field of a line: a bare word, a quoted text, or an option key=value.
struct Field {
    std::string key;  // option key, empty for a positional field
    std::string value;
    bool quoted = false;  // value came from "..."
    bool hasKey = false;
};

struct Failure {
    std::string message;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsKeyChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Reads a quoted text starting at line[pos] == '"'; pos ends after the closing quote.
std::optional<std::string> ReadQuoted(std::string_view line, size_t& pos, Failure& failure) {
    std::string out;
    ++pos;
    while (pos < line.size()) {
        char c = line[pos++];
        if (c == '"') return out;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos >= line.size()) break;
        char e = line[pos++];
        switch (e) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                failure.message = std::string("unknown escape \\") + e + " in a quoted text";
                return std::nullopt;
        }
    }
    failure.message = "quoted text without its closing quote";
    return std::nullopt;
}

std::optional<std::vector<Field>> SplitFields(std::string_view line, Failure& failure) {
    std::vector<Field> fields;
    size_t pos = 0;
    while (true) {
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        if (pos >= line.size()) return fields;
        Field field;
        if (line[pos] == '"') {
            auto text = ReadQuoted(line, pos, failure);
            if (!text) return std::nullopt;
            field.value = std::move(*text);
            field.quoted = true;
        } else {
            size_t start = pos;
            while (pos < line.size() && !IsBlank(line[pos]) && line[pos] != '"')
                ++pos;
            std::string_view word = line.substr(start, pos - start);
            size_t eq = word.find('=');
            bool keyed = eq != std::string_view::npos && eq > 0 &&
                         std::all_of(word.begin(), word.begin() + eq, IsKeyChar);
            if (keyed) {
                field.hasKey = true;
                field.key = std::string(word.substr(0, eq));
                field.value = std::string(word.substr(eq + 1));
                if (field.value.empty() && pos < line.size() && line[pos] == '"') {
                    auto text = ReadQuoted(line, pos, failure);
                    if (!text) return std::nullopt;
                    field.value = std::move(*text);
                    field.quoted = true;
                }
            } else {
                field.value = std::string(word);
            }
            if (pos < line.size() && line[pos] == '"') {
                failure.message = "a quote inside the word \"" + std::string(word) + "\"";
                return std::nullopt;
            }
        }
        if (pos < line.size() && !IsBlank(line[pos])) {
            failure.message = "no blank after a quoted text";
            return std::nullopt;
        }
        fields.push_back(std::move(field));
    }
}

// A decimal or 0x hexadecimal number from min to max.
bool ParseNumber(const std::string& text, long long min, long long max, long long& value) {
    size_t pos = 0;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        pos = 2;
    }
    if (pos >= text.size()) return false;
    long long v = 0;
    for (; pos < text.size(); ++pos) {
        char c = text[pos];
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return false;
        }
        v = v * base + digit;
        if (v > max) return false;
    }
    if (v < min) return false;
    value = v;
    return true;
}

bool ValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        uint32_t code;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size()) return false;
        for (int k = 1; k <= extra; ++k) {
            unsigned char n = static_cast<unsigned char>(text[i + k]);
            if ((n & 0xC0) != 0x80) return false;
            code = (code << 6) | (n & 0x3F);
        }
        static const uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (code < kMinimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

class Parser {
  public:
    ParseResult Run(std::string_view text);

  private:
    bool Line(std::string_view line);
    bool DialogLine(const std::vector<Field>& fields);
    bool StaticLine(const std::vector<Field>& fields);
    bool ControlLine(const std::vector<Field>& fields);
    bool Positional(const std::vector<Field>& fields, size_t count, const char* what);
    bool Number(const Field& field, const char* what, long long min, long long max, int& out);
    bool Area(const std::vector<Field>& fields, size_t first, Rect& rect);
    bool PagesField(const Field& field, Pages& pages);
    bool Fail(std::string message) {
        error_.message = std::move(message);
        return false;
    }

    DialogScript script_;
    ScriptError error_;
    int line_ = 0;
    bool haveDialog_ = false;
};

ParseResult Parser::Run(std::string_view text) {
    ParseResult result;
    if (text.size() > kMaxScriptSize) {
        result.error.message =
            "the script is longer than " + std::to_string(kMaxScriptSize) + " bytes";
        return result;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    size_t start = 0;
    while (start < text.size()) {
        ++line_;
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!Line(line)) {
            error_.line = line_;
            result.error = error_;
            return result;
        }
    }
    if (!haveDialog_) {
        result.error.message = "no dialog line (D name width height)";
        return result;
    }
    // Page numbers are checked against the number of pages once every tab is known.
    auto checkPages = [&](const Pages& pages, int line) {
        for (int page : pages.numbers) {
            if (page > script_.pageCount) {
                error_.line = line;
                error_.message = "page " + std::to_string(page) + " named, but the script has " +
                                 std::to_string(script_.pageCount) + " page" +
                                 (script_.pageCount == 1 ? "" : "s");
                return false;
            }
        }
        return true;
    };
    for (const auto& item : script_.statics) {
        if (item.kind != StaticKind::Tab && !checkPages(item.pages, item.line)) {
            result.error = error_;
            return result;
        }
    }
    for (const auto& control : script_.controls) {
        if (!checkPages(control.pages, control.line)) {
            result.error = error_;
            return result;
        }
        if (control.kind == ControlKind::Tabs && script_.pageCount == 0) {
            result.error = {control.line, "a tab strip, but no pages (S tab lines)"};
            return result;
        }
    }
    result.ok = true;
    result.script = std::move(script_);
    return result;
}

bool Parser::Line(std::string_view line) {
    if (line.size() > kMaxLineLength) {
        return Fail("line longer than " + std::to_string(kMaxLineLength) + " bytes");
    }
    if (line.find('\0') != std::string_view::npos) return Fail("a NUL byte in the line");
    if (!ValidUtf8(line)) return Fail("the line is not UTF-8 text");
    size_t first = 0;
    while (first < line.size() && IsBlank(line[first]))
        ++first;
    if (first == line.size() || line[first] == '#' || line[first] == ';') return true;
    char type = line[first];
    if ((type != 'D' && type != 'S' && type != 'C') ||
        (first + 1 < line.size() && !IsBlank(line[first + 1]))) {
        size_t end = first;
        while (end < line.size() && !IsBlank(line[end]))
            ++end;
        return Fail("unknown line type \"" + std::string(line.substr(first, end - first)) +
                    "\" (expected D, S, C or a comment)");
    }
    Failure failure;
    auto fields = SplitFields(line.substr(first + 1), failure);
    if (!fields) return Fail("syntax error: " + failure.message);
    if (type == 'D') return DialogLine(*fields);
    if (!haveDialog_) return Fail("an item before the dialog line");
    return type == 'S' ? StaticLine(*fields) : ControlLine(*fields);
}

bool Parser::Positional(const std::vector<Field>& fields, size_t count, const char* what) {
    for (size_t i = 0; i < fields.size() && i < count; ++i) {
        if (fields[i].hasKey) {
            return Fail(std::string("missing fields: ") + what + " (found an option after " +
                        std::to_string(i) + ")");
        }
    }
    if (fields.size() < count) {
        return Fail(std::string("missing fields: ") + what + " (" + std::to_string(fields.size()) +
                    " of " + std::to_string(count) + " given)");
    }
    return true;
}

bool Parser::Number(const Field& field, const char* what, long long min, long long max, int& out) {
    long long value = 0;
    if (field.quoted || !ParseNumber(field.value, min, max, value)) {
        if (!field.quoted && !field.value.empty() &&
            std::all_of(field.value.begin(), field.value.end(),
                        [](char c) { return c >= '0' && c <= '9'; })) {
            return Fail(std::string("number out of range: ") + what + " " + field.value +
                        " (allowed " + std::to_string(min) + " to " + std::to_string(max) + ")");
        }
        return Fail(std::string(what) + " \"" + field.value + "\" is not a number from " +
                    std::to_string(min) + " to " + std::to_string(max));
    }
    out = static_cast<int>(value);
    return true;
}

bool Parser::Area(const std::vector<Field>& fields, size_t first, Rect& rect) {
    if (!Number(fields[first], "x", 0, kMaxCoordinate, rect.x)) return false;
    if (!Number(fields[first + 1], "y", 0, kMaxCoordinate, rect.y)) return false;
    if (!Number(fields[first + 2], "width", 1, kMaxCoordinate, rect.width)) return false;
    if (!Number(fields[first + 3], "height", 1, kMaxCoordinate, rect.height)) return false;
    if (rect.x + rect.width > kMaxCoordinate || rect.y + rect.height > kMaxCoordinate) {
        return Fail("number out of range: the item reaches beyond " +
                    std::to_string(kMaxCoordinate));
    }
    return true;
}

bool Parser::PagesField(const Field& field, Pages& pages) {
    pages = Pages{};
    if (!field.quoted && field.value == "*") return true;
    pages.all = false;
    if (field.quoted || field.value.empty()) return Fail("bad page list \"" + field.value + "\"");
    size_t start = 0;
    while (true) {
        size_t comma = field.value.find(',', start);
        std::string part = field.value.substr(
            start, comma == std::string::npos ? std::string::npos : comma - start);
        long long page = 0;
        if (!ParseNumber(part, 1, kMaxPages, page)) {
            return Fail("bad page list \"" + field.value + "\" (pages are * or numbers from 1 to " +
                        std::to_string(kMaxPages) + " separated by commas)");
        }
        if (std::find(pages.numbers.begin(), pages.numbers.end(), page) != pages.numbers.end()) {
            return Fail("bad page list \"" + field.value + "\" (page " + part + " twice)");
        }
        pages.numbers.push_back(static_cast<int>(page));
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

bool Parser::DialogLine(const std::vector<Field>& fields) {
    if (haveDialog_) return Fail("a second dialog line");
    if (!Positional(fields, 3, "D name width height")) return false;
    script_.name = fields[0].value;
    if (!Number(fields[1], "width", 1, kMaxCoordinate, script_.width)) return false;
    if (!Number(fields[2], "height", 1, kMaxCoordinate, script_.height)) return false;
    for (size_t i = 3; i < fields.size(); ++i) {
        const Field& f = fields[i];
        if (f.hasKey && f.key == "font" && !f.value.empty() && f.value.size() < 32) {
            script_.font = f.value;
        } else if (f.hasKey && f.key == "size") {
            if (!Number(f, "font size", 1, 72, script_.fontSize)) return false;
        } else if (f.hasKey && f.key == "font") {
            return Fail("the font name must have 1 to 31 characters");
        } else {
            return Fail("unknown option \"" + (f.hasKey ? f.key + "=" : "") + f.value +
                        "\" of the dialog line");
        }
    }
    haveDialog_ = true;
    return true;
}

bool Parser::StaticLine(const std::vector<Field>& fields) {
    if (!Positional(fields, 7, "S kind pages x y width height text")) return false;
    if (static_cast<int>(script_.statics.size()) >= kMaxItems) {
        return Fail("too many static items (at most " + std::to_string(kMaxItems) + ")");
    }
    ScriptStatic item;
    item.line = line_;
    static const std::pair<const char*, StaticKind> kKinds[] = {{"tab", StaticKind::Tab},
                                                                {"label", StaticKind::Label},
                                                                {"group", StaticKind::Group},
                                                                {"descr", StaticKind::Description}};
    const std::string& kind = fields[0].value;
    auto found = std::find_if(std::begin(kKinds), std::end(kKinds),
                              [&](const auto& k) { return !fields[0].quoted && kind == k.first; });
    if (found == std::end(kKinds)) {
        return Fail("unknown static kind \"" + kind + "\" (tab, label, group or descr)");
    }
    item.kind = found->second;
    if (item.kind == StaticKind::Tab) {
        // A page tab belongs to its own page; its pages field is only read for syntax.
        Pages ignored;
        if (!PagesField(fields[1], ignored)) return false;
        if (script_.pageCount >= kMaxPages) {
            return Fail("too many pages (at most " + std::to_string(kMaxPages) + ")");
        }
        item.page = ++script_.pageCount;
        item.pages.all = false;
        item.pages.numbers = {item.page};
    } else if (!PagesField(fields[1], item.pages)) {
        return false;
    }
    if (!Area(fields, 2, item.rect)) return false;
    item.text = fields[6].value;
    if (item.kind == StaticKind::Description) item.caption = "Description";
    for (size_t i = 7; i < fields.size(); ++i) {
        const Field& f = fields[i];
        if (f.hasKey && f.key == "name") {
            item.name = f.value;
        } else if (f.hasKey && f.key == "caption" && item.kind == StaticKind::Description) {
            item.caption = f.value;
        } else {
            return Fail("unknown option \"" + (f.hasKey ? f.key + "=" : "") + f.value + "\" of a " +
                        StaticKindName(item.kind) + " static");
        }
    }
    script_.statics.push_back(std::move(item));
    return true;
}

bool Parser::ControlLine(const std::vector<Field>& fields) {
    if (!Positional(fields, 10, "C name kind pages x y width height caption tooltip image")) {
        return false;
    }
    if (static_cast<int>(script_.controls.size()) >= kMaxItems) {
        return Fail("too many controls (at most " + std::to_string(kMaxItems) + ")");
    }
    ScriptControl control;
    control.line = line_;
    control.name = fields[0].value == "-" && !fields[0].quoted ? "" : fields[0].value;
    static const std::pair<const char*, ControlKind> kKinds[] = {
        {"tabs", ControlKind::Tabs},
        {"edit", ControlKind::Edit},
        {"check", ControlKind::Check},
        {"button", ControlKind::Button},
        {"combo", ControlKind::Combo},
        {"output", ControlKind::Output},
        {"canvas", ControlKind::Canvas},
        {"line", ControlKind::Line},
        {"imagebutton", ControlKind::ImageButton}};
    const std::string& kind = fields[1].value;
    auto found = std::find_if(std::begin(kKinds), std::end(kKinds),
                              [&](const auto& k) { return !fields[1].quoted && kind == k.first; });
    if (found == std::end(kKinds)) {
        return Fail("unknown control kind \"" + kind +
                    "\" (tabs, edit, check, button, combo, output, canvas, line or imagebutton)");
    }
    control.kind = found->second;
    if (control.kind == ControlKind::Tabs) {
        for (const auto& other : script_.controls) {
            if (other.kind == ControlKind::Tabs) {
                return Fail("a second tab strip (the first is on line " +
                            std::to_string(other.line) + ")");
            }
        }
    }
    if (!PagesField(fields[2], control.pages)) return false;
    if (!Area(fields, 3, control.rect)) return false;
    control.caption = fields[7].value;
    control.tooltip = fields[8].value;
    if (!Number(fields[9], "image", 0, kMaxImageId, control.image)) return false;
    for (size_t i = 10; i < fields.size(); ++i) {
        const Field& f = fields[i];
        const ControlKind k = control.kind;
        bool textKind =
            k == ControlKind::Edit || k == ControlKind::Output || k == ControlKind::Line;
        if (!f.hasKey && f.value == "number" && k == ControlKind::Edit) {
            control.number = true;
        } else if (!f.hasKey && f.value == "readonly" && k == ControlKind::Edit) {
            control.readOnly = true;
        } else if (!f.hasKey && f.value == "checked" && k == ControlKind::Check) {
            control.checked = true;
        } else if (!f.hasKey && f.value == "repeat" && k == ControlKind::Button) {
            control.repeat = true;
        } else if (!f.hasKey && f.value == "fixed" && textKind) {
            control.fixedFont = true;
        } else {
            return Fail("unknown option \"" + (f.hasKey ? f.key + "=" : "") + f.value + "\" of " +
                        (k == ControlKind::ImageButton || k == ControlKind::Edit ? "an " : "a ") +
                        ControlKindName(k) + " control");
        }
    }
    script_.controls.push_back(std::move(control));
    return true;
}

}  // namespace

bool Pages::Contains(int page) const {
    return all || std::find(numbers.begin(), numbers.end(), page) != numbers.end();
}

ParseResult ParseDialogScript(std::string_view text) {
    return Parser().Run(text);
}

std::string FormatScriptError(const ScriptError& error) {
    if (error.line == 0) return error.message;
    return "line " + std::to_string(error.line) + ": " + error.message;
}

const char* ControlKindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Tabs:
            return "tabs";
        case ControlKind::Edit:
            return "edit";
        case ControlKind::Check:
            return "check";
        case ControlKind::Button:
            return "button";
        case ControlKind::Combo:
            return "combo";
        case ControlKind::Output:
            return "output";
        case ControlKind::Canvas:
            return "canvas";
        case ControlKind::Line:
            return "line";
        case ControlKind::ImageButton:
            return "imagebutton";
    }
    return "?";
}

const char* StaticKindName(StaticKind kind) {
    switch (kind) {
        case StaticKind::Tab:
            return "tab";
        case StaticKind::Label:
            return "label";
        case StaticKind::Group:
            return "group";
        case StaticKind::Description:
            return "descr";
    }
    return "?";
}

}  // namespace vorlu
