// A Bexa message box as Win32 shows it: always brought to the foreground.
#pragma once

#include <windows.h>

#include <string>

#include "message_box.h"

namespace bexa {

MessageAnswer ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                             MessageIcon icon, MessageButtons buttons);

}  // namespace bexa
