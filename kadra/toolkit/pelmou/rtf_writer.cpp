#include "rtf_writer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "png_encoder.h"

namespace pelmou {
namespace {

// A4 with margins of 2 cm, in twips (1/1440 inch).
constexpr int kPageWidth = 11906;
constexpr int kPageHeight = 16838;
constexpr int kMargin = 1134;
constexpr int kTextWidth = kPageWidth - 2 * kMargin;
constexpr int kTextHeight = kPageHeight - 2 * kMargin;
constexpr int kTwipsPerPixel = 15;  // 96 pixels per inch
constexpr int kMaxImageSide = 16384;

constexpr std::string_view kHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033\\uc1\r\n"
    "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
    "{\\colortbl;\\red31\\green73\\blue125;}\r\n"
    "{\\stylesheet{\\s0\\sa60\\f0\\fs20 Normal;}"
    "{\\s1\\keepn\\sb240\\sa120\\f0\\fs28\\b\\cf1 heading 1;}"
    "{\\s2\\qc\\sa240\\f0\\fs40\\b\\cf1 Title;}}\r\n"
    "{\\*\\generator pelmou;}\r\n"
    "\\paperw11906\\paperh16838\\margl1134\\margr1134\\margt1134\\margb1134\\widowctrl\r\n";

struct Style {
    std::string_view paragraph;  // written at the start of a paragraph
    std::string_view character;  // written at the start of every text of the style
};

constexpr Style kPlainStyle{"\\pard\\s0\\sa60", "\\f0\\fs20"};
constexpr Style kHeadingStyle{"\\pard\\s1\\keepn\\sb240\\sa120", "\\f0\\fs28\\b\\cf1"};
constexpr Style kTitleStyle{"\\pard\\s2\\qc\\sa240", "\\f0\\fs40\\b\\cf1"};

const Style& StyleOf(uint32_t flags) {
    if ((flags & kRtfTitle) == kRtfTitle) return kTitleStyle;
    if (flags & kRtfHeading) return kHeadingStyle;
    return kPlainStyle;
}

// Control words that a text may use; any other backslash is a literal one.
constexpr std::array<std::string_view, 23> kTextControlWords = {
    "b",   "i",          "ul",   "ulnone", "strike", "fs",  "cf",  "super",
    "sub", "nosupersub", "caps", "scaps",  "plain",  "qc",  "ql",  "qr",
    "qj",  "par",        "line", "tab",    "ulw",    "uld", "outl"};

bool IsLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

void AppendUnicode(std::string& out, int unit) {
    // RTF's \uN takes a signed 16-bit value; "?" is the one fallback character of \uc1.
    if (unit > 32767) unit -= 65536;
    out += "\\u";
    out += std::to_string(unit);
    out += '?';
}

}  // namespace

std::size_t DibStride(int width, int bitsPerPixel) {
    if (width <= 0 || bitsPerPixel <= 0) return 0;
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 31) / 32 * 4;
}

std::unique_ptr<RtfWriter> RtfWriter::Create(const std::filesystem::path& path,
                                             std::string* error) {
    std::unique_ptr<RtfWriter> writer(new RtfWriter(path));
    std::string reason;
    if (!writer->file_.Open(path, &reason)) {
        if (error != nullptr) *error = reason;
        return nullptr;
    }
    writer->Write(kHeader);
    return writer;
}

RtfWriter::RtfWriter(std::filesystem::path path) : path_(std::move(path)) {}

RtfWriter::~RtfWriter() {
    if (!closed_) Discard();
}

void RtfWriter::Write(std::string_view bytes) {
    if (failed_) return;
    if (!file_.Write(bytes)) failed_ = true;
}

void RtfWriter::StartParagraph(uint32_t flags) {
    if (!atParagraphStart_) return;
    Write(StyleOf(flags).paragraph);
    Write(" ");
    atParagraphStart_ = false;
}

bool RtfWriter::AddText(std::u16string_view text, uint32_t flags) {
    if (closed_ || failed_) return false;
    if (text.empty()) return true;
    const Style& style = StyleOf(flags);
    // One group per text: the style's character formatting and the text's own control words
    // hold to its end. Each paragraph starts with the style's paragraph formatting.
    std::string out = "{";
    out += style.character;
    out += ' ';
    auto content = [&] {
        if (!atParagraphStart_) return;
        out += style.paragraph;
        out += ' ';
        atParagraphStart_ = false;
    };
    auto endLine = [&] {
        content();
        out += "\\par\r\n";
        atParagraphStart_ = true;
    };

    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\n') {
            endLine();
        } else if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n') continue;
            endLine();
        } else if (c == u'\\') {
            std::size_t end = i + 1;
            while (end < text.size() && IsLetter(text[end]))
                ++end;
            std::string word;
            for (std::size_t k = i + 1; k < end; ++k)
                word += static_cast<char>(text[k]);
            content();
            if (std::find(kTextControlWords.begin(), kTextControlWords.end(), word) ==
                kTextControlWords.end()) {
                out += "\\\\";  // a literal backslash
                continue;
            }
            std::size_t parameterEnd = end;
            if (parameterEnd < text.size() && text[parameterEnd] == u'-') ++parameterEnd;
            std::size_t digits = parameterEnd;
            while (digits < text.size() && IsDigit(text[digits]) && digits - parameterEnd < 6) {
                ++digits;
            }
            if (digits == parameterEnd) digits = end;  // a lone "-" is text, not a parameter
            std::string parameter;
            for (std::size_t k = end; k < digits; ++k)
                parameter += static_cast<char>(text[k]);
            i = digits - 1;
            if (i + 1 < text.size() && text[i + 1] == u' ') ++i;  // the word's delimiter
            if (word == "par") {
                endLine();
                continue;
            }
            out += '\\';
            out += word;
            out += parameter;
            out += ' ';
        } else if (c == u'{' || c == u'}') {
            content();
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == u'\t') {
            content();
            out += "\\tab ";
        } else if (c < 0x20 || c == 0x7F) {
            // Other control characters have no place in a document.
        } else if (c < 0x80) {
            content();
            out += static_cast<char>(c);
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            content();
            AppendUnicode(out, c);
            AppendUnicode(out, text[++i]);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            content();
            AppendUnicode(out, 0xFFFD);  // an unpaired surrogate
        } else {
            content();
            AppendUnicode(out, c);
        }
    }
    out += "}\r\n";
    Write(out);
    return !failed_;
}

bool RtfWriter::AddText(std::wstring_view text, uint32_t flags) {
    std::u16string utf16;
    utf16.reserve(text.size());
    for (wchar_t c : text) {
        const auto unit = static_cast<uint32_t>(c);
        if constexpr (sizeof(wchar_t) == 2) {
            utf16 += static_cast<char16_t>(unit);
        } else if (unit >= 0x10000 && unit <= 0x10FFFF) {
            utf16 += static_cast<char16_t>(0xD800 + ((unit - 0x10000) >> 10));
            utf16 += static_cast<char16_t>(0xDC00 + ((unit - 0x10000) & 0x3FF));
        } else {
            utf16 += static_cast<char16_t>(unit > 0x10FFFF ? 0xFFFD : unit);
        }
    }
    return AddText(std::u16string_view(utf16), flags);
}

bool RtfWriter::AddImage(int width, int height, int bitsPerPixel, RowOrder order,
                         std::span<const uint8_t> pixels) {
    if (closed_ || failed_) return false;
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        (bitsPerPixel != 24 && bitsPerPixel != 32)) {
        return false;
    }
    const std::size_t stride = DibStride(width, bitsPerPixel);
    if (pixels.size() < stride * static_cast<std::size_t>(height)) return false;

    // DIB rows (blue, green, red) to top-down RGB rows.
    const std::size_t bytesPerPixel = static_cast<std::size_t>(bitsPerPixel / 8);
    std::vector<uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const int source = order == RowOrder::TopDown ? y : height - 1 - y;
        const uint8_t* in = pixels.data() + stride * static_cast<std::size_t>(source);
        uint8_t* out = rgb.data() + static_cast<std::size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x, in += bytesPerPixel, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    const std::vector<uint8_t> png = EncodePng(width, height, rgb);
    if (png.empty()) return false;

    // 96 dots per inch, scaled down to fit the text area.
    double goalWidth = static_cast<double>(width) * kTwipsPerPixel;
    double goalHeight = static_cast<double>(height) * kTwipsPerPixel;
    const double scale = std::min({1.0, kTextWidth / goalWidth, kTextHeight / goalHeight});
    goalWidth = std::max(1.0, goalWidth * scale);
    goalHeight = std::max(1.0, goalHeight * scale);

    StartParagraph(kRtfPlain);
    std::string out = "{\\pict\\pngblip\\picw" + std::to_string(width) + "\\pich" +
                      std::to_string(height) + "\\picwgoal" +
                      std::to_string(static_cast<int>(goalWidth)) + "\\pichgoal" +
                      std::to_string(static_cast<int>(goalHeight)) + "\r\n";
    static constexpr char kHex[] = "0123456789abcdef";
    constexpr std::size_t kBytesPerLine = 64;
    out.reserve(out.size() + png.size() * 2 + png.size() / kBytesPerLine * 2 + 8);
    for (std::size_t k = 0; k < png.size(); ++k) {
        out += kHex[png[k] >> 4];
        out += kHex[png[k] & 15];
        if (k % kBytesPerLine == kBytesPerLine - 1) out += "\r\n";
    }
    out += "}\r\n";
    Write(out);
    return !failed_;
}

bool RtfWriter::Close() {
    if (closed_) return false;
    closed_ = true;
    Write("}\r\n");
    if (failed_) {
        failure_ = file_.WriteFailure();
        if (failure_.empty()) failure_ = outfile::PathText(path_) + ": the document failed";
        file_.Discard();
        return false;
    }
    if (!file_.Commit(&failure_)) {
        failed_ = true;
        return false;
    }
    return true;
}

void RtfWriter::Discard() {
    file_.Discard();
    failed_ = true;
}

}  // namespace pelmou
