#include "listing_dialog.h"

#include <cstdio>

#include "device_list.h"
#include "listing.h"

namespace bexa {

std::string RunListingDialog(MainWindowView& view, PciDeviceList& list, int registerCount) {
    const bool includeRegisters =
        view.ShowMessage("include config registers ?", "Bexa", MessageIcon::Question,
                         MessageButtons::YesNo) == MessageAnswer::Yes;
    std::string path;
    if (!view.AskListingFileName(path) || path.empty()) return {};
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        view.ShowMessage("can't open file", "Bexa", MessageIcon::Exclamation, MessageButtons::Ok);
        return {};
    }
    WriteListing(view.Tree(), list, registerCount, includeRegisters, file);
    std::fclose(file);
    return path;
}

}  // namespace bexa
