#include "message_box_win32.h"

namespace bexa {

MessageAnswer ShowMessageBox(HWND owner, const std::string& text, const std::string& caption,
                             MessageIcon icon, MessageButtons buttons) {
    UINT flags = MB_SETFOREGROUND;
    switch (icon) {
        case MessageIcon::Exclamation:
            flags |= MB_ICONEXCLAMATION;
            break;
        case MessageIcon::Question:
            flags |= MB_ICONQUESTION;
            break;
        case MessageIcon::Information:
            flags |= MB_ICONINFORMATION;
            break;
    }
    switch (buttons) {
        case MessageButtons::Ok:
            flags |= MB_OK;
            break;
        case MessageButtons::OkCancel:
            flags |= MB_OKCANCEL;
            break;
        case MessageButtons::YesNo:
            flags |= MB_YESNO;
            break;
        case MessageButtons::YesNoCancel:
            flags |= MB_YESNOCANCEL;
            break;
    }
    switch (MessageBoxA(owner, text.c_str(), caption.c_str(), flags)) {
        case IDYES:
            return MessageAnswer::Yes;
        case IDNO:
            return MessageAnswer::No;
        case IDOK:
            return MessageAnswer::Ok;
        default:
            return MessageAnswer::Cancel;
    }
}

}  // namespace bexa
