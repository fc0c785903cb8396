// "write to file": asks whether to include the register dumps and where to write, then writes
// the listing of the visible bus tree.
#pragma once

#include <string>

#include "main_window_view.h"

namespace bexa {

class PciDeviceList;

// Asks "include config registers ?", then for the file (the save dialog of the view); writes
// the listing of the view's tree in text mode. A cancelled dialog or an empty path writes
// nothing; a file that cannot be opened shows "can't open file". Returns the path written, or
// an empty text when nothing was written.
std::string RunListingDialog(MainWindowView& view, PciDeviceList& list, int registerCount);

}  // namespace bexa
