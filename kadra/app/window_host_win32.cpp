#include "window_host_win32.h"

#include "graph_canvas_win32.h"
#include "host.h"
#include "pelmou.h"
#include "results_box_win32.h"
#include "rtf_test_log_win32.h"

namespace kadra {
namespace {

// Time from the tools library's stopwatch.
class PelmouClock : public Clock {
  public:
    double NowMs() override { return StopWatch(0, SW_NOW); }
};

PelmouClock pelmouClock;
HCURSOR cursorBeforeWait = nullptr;

void SetWindowWaitCursor(bool on) {
    if (on) {
        cursorBeforeWait = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    } else {
        SetCursor(cursorBeforeWait);
    }
}

}  // namespace

WindowHost::WindowHost(XDIALOG* dialog)
    : canvas_(std::make_unique<GdiGraphCanvas>(dialog)),
      log_(std::make_unique<RtfTestLog>(dialog)),
      results_(std::make_unique<ResultsBox>(dialog)) {
    host_.graphCanvas = canvas_.get();
    host_.testLog = log_.get();
    host_.clock = &pelmouClock;
    host_.calls.serviceMessageQueue = [] { ::ServiceMessageQueue(); };
    host_.calls.setWaitCursor = SetWindowWaitCursor;
    // The "User Notify" box has no owner.
    host_.calls.messageBox = [](const KText& text, const KText& caption) {
        XMessageBox(nullptr, text.c_str(), caption.c_str(), 0, nullptr, 0);
    };
    InstallHost(host_);
}

void WindowHost::ConnectResults() {
    host_.resultsSink = results_.get();
    InstallHost(host_);
}

WindowHost::~WindowHost() {
    InstallHost(Host{});
}

}  // namespace kadra
