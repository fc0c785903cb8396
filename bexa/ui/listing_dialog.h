// "write to file": asks whether to include the register dumps and where to write, then writes
// the listing of the visible bus tree.
#pragma once

#include <string>

#include "main_window_view.h"

namespace bexa {

class PciDeviceList;

// Asks "include config registers ?", then for the file (the save dialog of the view); writes
// the listing of the view's tree with the platform's text line ends (CR LF on Windows). A
// cancelled dialog or an empty path writes nothing. The file is replaced in one step
// (outfile::WriteOutputFile), never written through a link; a file that cannot be created or
// written completely keeps what it held and shows "can't open file". Returns the path written,
// or an empty text when nothing was written.
std::string RunListingDialog(MainWindowView& view, PciDeviceList& list, int registerCount);

}  // namespace bexa
