// The test log as an RTF document written by pelmou.dll, with pictures of the dialog's graph
// area (control 15) and output box (control 14).
#pragma once

#include <windows.h>

#include "test_log.h"
#include "vorlu.h"

namespace kadra {

class RtfTestLog : public TestLog {
  public:
    explicit RtfTestLog(XDIALOG* dialog) : dialog_(dialog) {}
    ~RtfTestLog() override { Close(); }
    RtfTestLog(const RtfTestLog&) = delete;
    RtfTestLog& operator=(const RtfTestLog&) = delete;

    bool Create(const KText& path) override;
    void AddText(const KText& text, uint32_t flags) override;
    void AddWindowImage(LogWindow window) override;
    void Close() override;
    // The "Logfile Error" box, owned by the main window.
    void ReportCreateFailure(const KText& message, const KText& caption) override;

  private:
    XDIALOG* dialog_;
    HANDLE document_ = nullptr;
};

}  // namespace kadra
