#include "listing_dialog.h"

#include "device_list.h"
#include "listing.h"
#include "output_file.h"

namespace bexa {

namespace {

// The line ends of a text file on the platform: CR LF on Windows, as the listing has always
// been written there.
std::string TextFileLines(const std::string& text) {
#ifdef _WIN32
    std::string lines;
    lines.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') lines += '\r';
        lines += c;
    }
    return lines;
#else
    return text;
#endif
}

}  // namespace

std::string RunListingDialog(MainWindowView& view, PciDeviceList& list, int registerCount) {
    const bool includeRegisters =
        view.ShowMessage("include config registers ?", "Bexa", MessageIcon::Question,
                         MessageButtons::YesNo) == MessageAnswer::Yes;
    std::string path;
    if (!view.AskListingFileName(path) || path.empty()) return {};
    std::string text;
    AppendListing(view.Tree(), list, registerCount, includeRegisters, text);
    // The listing replaces the file in one step or not at all: a file that cannot be created
    // or written completely (a full disk) keeps its old content, and this window's one message
    // for a failed listing says so.
    std::string error;
    if (!outfile::WriteOutputFile(outfile::PathFromNarrow(path), TextFileLines(text), &error)) {
        view.ShowMessage("can't open file", "Bexa", MessageIcon::Exclamation, MessageButtons::Ok);
        return {};
    }
    return path;
}

}  // namespace bexa
