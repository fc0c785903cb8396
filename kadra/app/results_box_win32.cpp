#include "results_box_win32.h"

#include "pelmou.h"

namespace kadra {

void ResultsBox::ShowResults(const KText& text, bool scrollToEnd) {
    const wchar_t* shown = text.c_str();
    // A long run of error lines keeps its latest ones in view.
    if (text.size() >= kResultsBoxCapacity) shown += text.size() - (kResultsBoxCapacity - 1);
    SetControlText(dialog_, 14, shown, 0);
    if (scrollToEnd) SendMessageW(XDialogItem(dialog_, 14), EM_LINESCROLL, 0, 1000);
    ::ServiceMessageQueue();
}

}  // namespace kadra
