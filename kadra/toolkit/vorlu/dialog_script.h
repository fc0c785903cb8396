// The dialog script of vorlu.dll as a plain model: the dialog line, the static items and the
// controls with their kinds, pages, rectangles, texts, image ids and options. The grammar is
// docs/dialog-script.md. Parsing is all or nothing: a script either gives a whole model or
// one error that names the line and what is wrong.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlu {

// Limits of a script; a script beyond them is an error, never a truncated dialog.
inline constexpr size_t kMaxLineLength = 4096;         // bytes of one line, without its end
inline constexpr size_t kMaxScriptSize = 1024 * 1024;  // bytes of the whole script
inline constexpr int kMaxItems = 2000;                 // statics, and separately controls
inline constexpr int kMaxPages = 32;                   // tab pages
inline constexpr int kMaxCoordinate = 32767;           // positions and sizes in pixels
inline constexpr int kMaxImageId = 65535;
inline constexpr int kFirstStaticNumber = 0x8000;

enum class StaticKind { Tab, Label, Group, Description };
enum class ControlKind { Tabs, Edit, Check, Button, Combo, Output, Canvas, Line, ImageButton };

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

// Where an item is shown: on every page, or only while one of the listed pages (from 1) is the
// current page.
struct Pages {
    bool all = true;
    std::vector<int> numbers;
    bool Contains(int page) const;
    bool operator==(const Pages&) const = default;
};

struct ScriptStatic {
    StaticKind kind = StaticKind::Label;
    Pages pages;
    Rect rect;
    std::string text;     // UTF-8, escapes resolved
    std::string name;     // name=, may be empty
    std::string caption;  // caption= of a description box ("Description" when not given)
    int page = 0;         // for a tab: its page number (from 1); else 0
    int line = 0;         // line in the script, from 1
};

struct ScriptControl {
    std::string name;  // "$Drive", or empty for "-"
    ControlKind kind = ControlKind::Edit;
    Pages pages;
    Rect rect;
    std::string caption;
    std::string tooltip;
    int image = 0;  // image id of the program, 0 for none
    // Options.
    bool number = false;     // edit: digits only
    bool readOnly = false;   // edit
    bool checked = false;    // check: initially checked
    bool repeat = false;     // button: auto-repeat while held
    bool fixedFont = false;  // edit, output, line: a fixed-pitch font
    int line = 0;
};

struct DialogScript {
    std::string name;  // the window's caption
    int width = 0;     // client area in pixels
    int height = 0;
    std::string font = "MS Shell Dlg";
    int fontSize = 8;  // points
    std::vector<ScriptStatic> statics;
    std::vector<ScriptControl> controls;
    int pageCount = 0;  // number of tab statics
};

struct ScriptError {
    int line = 0;  // 0 when the fault is not on one line (size, encoding, no dialog line)
    std::string message;
};

struct ParseResult {
    bool ok = false;
    DialogScript script;
    ScriptError error;
};

ParseResult ParseDialogScript(std::string_view text);

// "line 12: unknown control kind \"slider\"" (or the bare message when there is no line).
std::string FormatScriptError(const ScriptError& error);

const char* ControlKindName(ControlKind kind);
const char* StaticKindName(StaticKind kind);

}  // namespace vorlu
