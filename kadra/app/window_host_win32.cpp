#include "window_host_win32.h"

#include "graph.h"
#include "graph_canvas_win32.h"
#include "host_calls.h"
#include "pelmou.h"
#include "results_box_win32.h"
#include "rtf_test_log_win32.h"
#include "stopwatch.h"
#include "test_log.h"

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
    InstallGraphCanvas(canvas_.get());
    InstallTestLog(log_.get());
    InstallClock(&pelmouClock);
    HostCalls calls;
    calls.serviceMessageQueue = [] { ::ServiceMessageQueue(); };
    calls.setWaitCursor = SetWindowWaitCursor;
    // The "User Notify" box has no owner.
    calls.messageBox = [](const KText& text, const KText& caption) {
        XMessageBox(nullptr, text.c_str(), caption.c_str(), 0, nullptr, 0);
    };
    InstallHostCalls(calls);
}

void WindowHost::ConnectResults() {
    InstallResultsSink(results_.get());
}

WindowHost::~WindowHost() {
    InstallHostCalls({});
    InstallClock(nullptr);
    InstallResultsSink(nullptr);
    InstallTestLog(nullptr);
    InstallGraphCanvas(nullptr);
}

}  // namespace kadra
