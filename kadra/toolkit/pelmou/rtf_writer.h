// The RTF document writer behind pelmou.dll's RTF_ calls and the native kadra's log.
//
// A document is an output file (outfile::OutputFile): written to a temporary file beside its
// target and renamed to the target by Close, so the target path never holds a half-written
// document, and never written through a link or into a FIFO or device: after any failure (a
// write that fails, a bad picture stream, a rename that fails, a writer destroyed without
// Close) the temporary file is removed and the target keeps what it held.
//
// Texts are UTF-16. Every character outside ASCII is written as an RTF Unicode escape, so the
// text reads back unchanged in any script. A backslash that starts one of the formatting
// control words listed in docs/pelmou.md ("\fs50", "\b", "\qc", ...) takes effect; any other
// backslash, and every brace, is written as a literal character.
//
// Pictures are embedded as PNG (\pngblip), shown at 96 dots per inch and scaled down to the
// width of the text when they are wider.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "output_file.h"

namespace pelmou {

// Text styles (the flags of AddText). Bit 0x200 makes the text a heading; with bit 0x008 as
// well it is the document's title. Other bits are ignored.
inline constexpr uint32_t kRtfPlain = 0;
inline constexpr uint32_t kRtfHeading = 0x200;
inline constexpr uint32_t kRtfTitle = 0x208;

// The order of the pixel rows given to AddImage.
enum class RowOrder { BottomUp, TopDown };

// The bytes of one row of a DIB: `width` pixels of `bitsPerPixel` bits, padded to 4 bytes.
std::size_t DibStride(int width, int bitsPerPixel);

class RtfWriter {
  public:
    // Starts a document that Close will place at `path`; null when its file cannot be created
    // (a missing folder, a name the file system refuses, a folder, FIFO or device at the path,
    // a protected input of the run), with the reason in `error` when given.
    static std::unique_ptr<RtfWriter> Create(const std::filesystem::path& path,
                                             std::string* error = nullptr);

    // Removes the temporary file unless Close has placed the document.
    ~RtfWriter();
    RtfWriter(const RtfWriter&) = delete;
    RtfWriter& operator=(const RtfWriter&) = delete;

    // Appends text in the style of `flags`; "\n" ends a line ("\r\n" counts as one).
    // False once the document has failed (a failed write) or after Close.
    bool AddText(std::u16string_view text, uint32_t flags);
    // The same for a wide text: UTF-16 where wchar_t has 16 bits (Windows), UTF-32 elsewhere.
    bool AddText(std::wstring_view text, uint32_t flags);

    // Appends a picture at the current position. `pixels` holds `height` rows as a DIB holds
    // them: blue, green, red (and an unused fourth byte at 32 bits per pixel), every row
    // padded to DibStride bytes. False, and the document unchanged, for a picture that is
    // not 24 or 32 bits, is empty, is larger than 16384 pixels on a side or has fewer bytes
    // than its rows need; false as well once the document has failed.
    bool AddImage(int width, int height, int bitsPerPixel, RowOrder order,
                  std::span<const uint8_t> pixels);

    // Finishes the document and renames it to the target path. False when any step of the
    // document failed; then nothing is left at the target path (an earlier file there is
    // kept), the temporary file is removed and failure() tells why.
    bool Close();
    const std::string& failure() const { return failure_; }

    // The path Close renames the document to, and the temporary file written until then.
    const std::filesystem::path& path() const { return path_; }
    const std::filesystem::path& temporaryPath() const { return file_.temporaryPath(); }

  private:
    explicit RtfWriter(std::filesystem::path path);
    void Write(std::string_view bytes);
    void StartParagraph(uint32_t flags);
    void Discard();

    std::filesystem::path path_;
    outfile::OutputFile file_;
    std::string failure_;
    bool failed_ = false;
    bool closed_ = false;
    bool atParagraphStart_ = true;
};

}  // namespace pelmou
