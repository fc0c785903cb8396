#include "test_log.h"

#include "host.h"
#include "run_state.h"
#include "test_settings.h"

namespace kadra {

KText TestLogPath(const KText& title) {
    const KText& folder =
        testSettings.logPath.empty() ? testSettings.programFolder : testSettings.logPath;
    return folder + L"kadra " + title + L".rtf";
}

void OpenTestLog(const KText& title) {
    const KText path = TestLogPath(title);
    TestLog* writer = &CurrentTestLog();
    if (!writer->Create(path)) {
        runState.log = nullptr;
        writer->ReportCreateFailure(
            L"Could not create logfile:\n" + path + L"\nPlease remove invalid characters (if any)",
            L"Logfile Error");
        return;
    }
    runState.log = writer;
    writer->AddText(L"\\fs50 " + title + L"\n\n\n", kLogTitle);
}

void CloseTestLog() {
    TestLog* log = runState.log;
    if (!log) return;
    log->AddText(L"SUMMARY\n", kLogHeading);
    log->AddWindowImage(LogWindow::Output);
    log->AddText(L"\n\n", kLogPlain);
    log->Close();
    runState.log = nullptr;
}

void AddWindowImageToLog(LogWindow window) {
    if (runState.log) runState.log->AddWindowImage(window);
}

void AddTextToLog(const KText& text, uint32_t flags) {
    if (runState.log) runState.log->AddText(text, flags);
}

}  // namespace kadra
