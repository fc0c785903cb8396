// The dialog script parser: a whole script read into the model, and bad scripts refused with
// the line and the fault.
#include "dialog_script.h"

#include <gtest/gtest.h>

#include <string>

namespace vorlu {
namespace {

constexpr char kScript[] =
    "\xEF\xBB\xBF# a dialog with two pages\r\n"
    "D \"Kadra\" 860 467 font=\"Tahoma\" size=9\r\n"
    "\n"
    "   ; indented comment\n"
    "C - tabs * 10 10 382 23 \"\" \"\" 2800\n"
    "S tab * 10 10 382 195 \"Disk Test\"\n"
    "S label 1 30 60 50 17 \"Drive:\" name=$DriveText\n"
    "C $Drive edit 1 91 59 57 17 \"R\" \"Drive\" 0 number\n"
    "S tab 2 10 10 382 195 \"Settings\"\n"
    "C $Quick check 1,2 310 102 60 23 \"Quick\" \"Test only\\nblock sizes\" 0x80D checked\n"
    "C $ResPlus button 2 347 138 15 15 \"+\" \"\" 0 repeat\n"
    "S descr 1 26 150 349 44 \"Creates a file\\nand tests it.\"\n"
    "S descr 2 26 150 349 44 \"x\" caption=\"About\"\n"
    "S group 2 18 102 184 83 \"I/O Parameters\"\n"
    "C $Out output * 10 211 382 246 \"\" \"\" 0 fixed\n"
    "\tC\t$Mess\timagebutton\t1\t303\t35\t72\t69\t\"\"\t\"Start \\\"Disk\\\" Test\"\t4410\n"
    "C $Product combo 2 75 50 243 23 \"\" \"drag&&drop\" 2062\n"
    "C $Curve canvas * 414 41 436 416 \"\" \"\" 0\n"
    "C $CurveText line * 414 10 436 22 \"\" \"\" 0\n"
    "C $Phys edit 2 128 156 64 17 \"0\" \"\" 0 readonly";

TEST(DialogScript, ReadsAWholeScript) {
    ParseResult result = ParseDialogScript(kScript);
    ASSERT_TRUE(result.ok) << FormatScriptError(result.error);
    const DialogScript& s = result.script;
    EXPECT_EQ(s.name, "Kadra");
    EXPECT_EQ(s.width, 860);
    EXPECT_EQ(s.height, 467);
    EXPECT_EQ(s.font, "Tahoma");
    EXPECT_EQ(s.fontSize, 9);
    EXPECT_EQ(s.pageCount, 2);
    ASSERT_EQ(s.statics.size(), 6u);
    ASSERT_EQ(s.controls.size(), 10u);

    // Tabs belong to their own page, whatever their pages field says.
    EXPECT_EQ(s.statics[0].kind, StaticKind::Tab);
    EXPECT_EQ(s.statics[0].page, 1);
    EXPECT_EQ(s.statics[0].pages, (Pages{false, {1}}));
    EXPECT_EQ(s.statics[2].page, 2);
    EXPECT_EQ(s.statics[0].text, "Disk Test");
    EXPECT_EQ(s.statics[1].name, "$DriveText");
    EXPECT_EQ(s.statics[1].line, 7);
    EXPECT_EQ(s.statics[3].caption, "Description");
    EXPECT_EQ(s.statics[3].text, "Creates a file\nand tests it.");
    EXPECT_EQ(s.statics[4].caption, "About");
    EXPECT_EQ(s.statics[5].kind, StaticKind::Group);

    const ScriptControl& tabs = s.controls[0];
    EXPECT_EQ(tabs.kind, ControlKind::Tabs);
    EXPECT_TRUE(tabs.name.empty());
    EXPECT_TRUE(tabs.pages.all);
    EXPECT_EQ(tabs.rect, (Rect{10, 10, 382, 23}));
    EXPECT_EQ(tabs.image, 2800);
    EXPECT_EQ(tabs.line, 5);

    EXPECT_TRUE(s.controls[1].number);
    EXPECT_EQ(s.controls[1].caption, "R");
    const ScriptControl& quick = s.controls[2];
    EXPECT_EQ(quick.pages, (Pages{false, {1, 2}}));
    EXPECT_TRUE(quick.pages.Contains(2));
    EXPECT_FALSE(quick.pages.Contains(3));
    EXPECT_EQ(quick.tooltip, "Test only\nblock sizes");
    EXPECT_EQ(quick.image, 0x80D);
    EXPECT_TRUE(quick.checked);
    EXPECT_TRUE(s.controls[3].repeat);
    EXPECT_TRUE(s.controls[4].fixedFont);
    EXPECT_EQ(s.controls[5].kind, ControlKind::ImageButton);
    EXPECT_EQ(s.controls[5].tooltip, "Start \"Disk\" Test");
    EXPECT_EQ(s.controls[6].tooltip, "drag&&drop");  // the window shows && as &
    EXPECT_EQ(s.controls[7].kind, ControlKind::Canvas);
    EXPECT_EQ(s.controls[8].kind, ControlKind::Line);
    EXPECT_TRUE(s.controls[9].readOnly);
    EXPECT_EQ(s.controls[9].line, 20);  // the last line has no line end
}

TEST(DialogScript, DefaultsAndUtf8Texts) {
    ParseResult result = ParseDialogScript(
        "D Demo 100 50\n"
        "S label * 0 0 100 20 \"Größe: 5 µs → ok\"\n");
    ASSERT_TRUE(result.ok) << FormatScriptError(result.error);
    EXPECT_EQ(result.script.name, "Demo");
    EXPECT_EQ(result.script.font, "MS Shell Dlg");
    EXPECT_EQ(result.script.fontSize, 8);
    EXPECT_EQ(result.script.pageCount, 0);
    EXPECT_EQ(result.script.statics[0].text, "Größe: 5 µs → ok");
}

struct BadScript {
    const char* what;
    std::string text;
    int line;
    const char* message;  // a part of the message
};

class DialogScriptErrors : public testing::TestWithParam<BadScript> {};

TEST_P(DialogScriptErrors, NameTheLineAndTheFault) {
    const BadScript& bad = GetParam();
    ParseResult result = ParseDialogScript(bad.text);
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.error.line, bad.line);
    EXPECT_NE(result.error.message.find(bad.message), std::string::npos) << result.error.message;
    if (bad.line > 0) {
        EXPECT_EQ(
            FormatScriptError(result.error).rfind("line " + std::to_string(bad.line) + ": ", 0),
            0u);
    }
}

const std::string kHead = "D x 100 100\n";
const std::string kTab = "S tab * 0 0 100 100 \"One\"\n";

INSTANTIATE_TEST_SUITE_P(
    Table, DialogScriptErrors,
    testing::Values(
        BadScript{"empty", "", 0, "no dialog line"},
        BadScript{"only comments", "# x\n\n; y\n", 0, "no dialog line"},
        BadScript{"unknown line type", kHead + "X 1 2\n", 2, "unknown line type \"X\""},
        BadScript{"glued line type", kHead + "Cx - edit\n", 2, "unknown line type \"Cx\""},
        BadScript{"item before dialog", "S label * 0 0 1 1 a\nD x 1 1\n", 1, "before the dialog"},
        BadScript{"second dialog", kHead + "D y 5 5\n", 2, "second dialog line"},
        BadScript{"missing dialog size", "D x 100\n", 1, "missing fields"},
        BadScript{"missing control fields", kHead + "C $A edit * 0 0 10 10 \"\" \"\"\n", 2,
                  "missing fields"},
        BadScript{"option in place of a field", kHead + "S label * 0 0 10 name=$A\n", 2,
                  "missing fields"},
        BadScript{"unknown control kind", kHead + "C $A slider * 0 0 9 9 \"\" \"\" 0\n", 2,
                  "unknown control kind \"slider\""},
        BadScript{"unknown static kind", kHead + "S picture * 0 0 9 9 a\n", 2,
                  "unknown static kind \"picture\""},
        BadScript{"unterminated text", kHead + "S label * 0 0 9 9 \"abc\n", 2,
                  "without its closing quote"},
        BadScript{"bad escape", kHead + "S label * 0 0 9 9 \"a\\qb\"\n", 2, "unknown escape \\q"},
        BadScript{"quote inside a word", kHead + "S label * 0 0 9 9 ab\"c\"\n", 2,
                  "a quote inside"},
        BadScript{"text glued to a field", kHead + "S label * 0 0 9 9 \"a\"b\n", 2,
                  "no blank after"},
        BadScript{"not a number", kHead + "S label * 0 zero 9 9 a\n", 2,
                  "y \"zero\" is not a number"},
        BadScript{"negative position", kHead + "S label * -1 0 9 9 a\n", 2, "not a number"},
        BadScript{"coordinate out of range", kHead + "S label * 40000 0 9 9 a\n", 2,
                  "number out of range: x 40000"},
        BadScript{"zero width", kHead + "S label * 0 0 0 9 a\n", 2, "width"},
        BadScript{"item beyond the limit", kHead + "S label * 30000 0 5000 9 a\n", 2,
                  "reaches beyond"},
        BadScript{"image id out of range", kHead + "C $A imagebutton * 0 0 9 9 \"\" \"\" 70000\n",
                  2, "number out of range: image 70000"},
        BadScript{"huge number", kHead + "S label * 99999999999999999999 0 9 9 a\n", 2,
                  "number out of range"},
        BadScript{"hex too large", "D x 0x10000 10\n", 1, "not a number"},
        BadScript{"bad page list", kHead + kTab + "S label 1,,2 0 0 9 9 a\n", 3,
                  "bad page list \"1,,2\""},
        BadScript{"page zero", kHead + kTab + "S label 0 0 0 9 9 a\n", 3, "bad page list"},
        BadScript{"page twice", kHead + kTab + "S label 1,1 0 0 9 9 a\n", 3, "twice"},
        BadScript{"page beyond the pages", kHead + kTab + "C $A edit 2 0 0 9 9 \"\" \"\" 0\n", 3,
                  "page 2 named, but the script has 1 page"},
        BadScript{"pages without tabs", kHead + "S label 1 0 0 9 9 a\n", 2, "has 0 pages"},
        BadScript{"tab strip without pages", kHead + "C - tabs * 0 0 9 9 \"\" \"\" 0\n", 2,
                  "no pages"},
        BadScript{"second tab strip",
                  kHead + kTab + "C - tabs * 0 0 9 9 \"\" \"\" 0\nC - tabs * 0 0 9 9 \"\" \"\" 0\n",
                  4, "second tab strip (the first is on line 3)"},
        BadScript{"option of another kind", kHead + "C $A edit * 0 0 9 9 \"\" \"\" 0 repeat\n", 2,
                  "unknown option \"repeat\" of an edit control"},
        BadScript{"unknown key", kHead + "S label * 0 0 9 9 a colour=red\n", 2,
                  "unknown option \"colour=red\""},
        BadScript{"caption on a label", kHead + "S label * 0 0 9 9 a caption=b\n", 2,
                  "unknown option"},
        BadScript{"font size out of range", "D x 10 10 size=200\n", 1, "font size"},
        BadScript{"NUL byte", kHead + std::string("S label * 0 0 9 9 \"a\0b\"\n", 24), 2, "NUL"},
        BadScript{"invalid UTF-8", kHead + "S label * 0 0 9 9 \"\xC3\x28\"\n", 2, "not UTF-8"},
        BadScript{"overlong UTF-8", kHead + "S label * 0 0 9 9 \"\xC0\xAF\"\n", 2, "not UTF-8"},
        BadScript{"cut UTF-8 at the end", kHead + "S label * 0 0 9 9 \xE2\x82", 2, "not UTF-8"},
        BadScript{"over-long line",
                  kHead + "S label * 0 0 9 9 \"" + std::string(5000, 'a') + "\"\n", 2,
                  "longer than 4096"}),
    [](const testing::TestParamInfo<BadScript>& info) {
        std::string name;
        for (char c : std::string(info.param.what))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST(DialogScript, TooManyItems) {
    std::string text = kHead;
    for (int i = 0; i <= kMaxItems; ++i)
        text += "C - edit * 0 0 9 9 \"\" \"\" 0\n";
    ParseResult result = ParseDialogScript(text);
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.error.line, kMaxItems + 2);
    EXPECT_NE(result.error.message.find("too many controls"), std::string::npos);

    text = kHead;
    for (int i = 0; i <= kMaxPages; ++i)
        text += kTab;
    result = ParseDialogScript(text);
    ASSERT_FALSE(result.ok);
    EXPECT_NE(result.error.message.find("too many pages"), std::string::npos);
}

TEST(DialogScript, ScriptLongerThanTheLimit) {
    std::string text = kHead + std::string(kMaxScriptSize, '\n');
    ParseResult result = ParseDialogScript(text);
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.error.line, 0);
    EXPECT_NE(result.error.message.find("longer than"), std::string::npos);
}

}  // namespace
}  // namespace vorlu
