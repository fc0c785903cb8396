// What the BAR space window's behaviour needs from its window: the Win32 dialog implements it,
// the tests implement it with a fake that records what is shown and scripts the user's answers.
#pragma once

#include <string>
#include <vector>

#include "message_box.h"

namespace bexa {

// The two range scroll bars.
enum class RangeBar { Kb, Mb };

class BarSpaceView {
  public:
    virtual ~BarSpaceView() = default;

    // Text of a static or edit control, by its resource id.
    virtual void SetText(int control, const std::string& text) = 0;
    // Check state of a check box or radio button, by its resource id.
    virtual void SetCheck(int control, bool checked) = 0;
    // Range 0 to `max` (page 1) and position of a range scroll bar.
    virtual void SetRangeBar(RangeBar bar, int max, int position) = 0;
    // Empties the word list and fills it with `lines`.
    virtual void SetListLines(const std::vector<std::string>& lines) = 0;
    // Selects (highlights) exactly these lines of the word list.
    virtual void SelectListLines(const std::vector<int>& lines) = 0;
    // A message box brought to the foreground.
    virtual MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                                      MessageIcon icon, MessageButtons buttons) = 0;
    // The window's three kinds of message box: a notice (exclamation, OK), an information
    // (OK) and a question (Yes/No/Cancel).
    void Notice(const std::string& text, const std::string& caption) {
        ShowMessage(text, caption, MessageIcon::Exclamation, MessageButtons::Ok);
    }
    void Inform(const std::string& text, const std::string& caption) {
        ShowMessage(text, caption, MessageIcon::Information, MessageButtons::Ok);
    }
    MessageAnswer Ask(const std::string& text, const std::string& caption) {
        return ShowMessage(text, caption, MessageIcon::Question, MessageButtons::YesNoCancel);
    }
    // A standard open (save = false) or save file dialog; the chosen path, empty = cancelled.
    virtual std::string ChooseFile(bool save) = 0;
    // The wait cursor on (true) or the normal cursor again (false).
    virtual void SetWaitCursor(bool wait) = 0;
};

}  // namespace bexa
