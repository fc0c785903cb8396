// The test log: a document with the run's title, a picture of the graph after every block size
// and a summary picture of the results. A log writer (the RTF writer of the window program)
// sits behind the TestLog interface; the native program uses the null writer.
#pragma once

#include <cstdint>

#include "ktext.h"

namespace kadra {

// Windows whose picture can go into the log.
enum class LogWindow { Graph, Output };

// Text flags of the log writer.
inline constexpr uint32_t kLogTitle = 0x208;
inline constexpr uint32_t kLogHeading = 0x200;
inline constexpr uint32_t kLogPlain = 0;

class TestLog {
  public:
    virtual ~TestLog() = default;
    // Creates the document at the path; false when it cannot be created.
    virtual bool Create(const KText& path) = 0;
    // Appends text; "\n" ends a line.
    virtual void AddText(const KText& text, uint32_t flags) = 0;
    // Appends a picture of the window; leaves it out when the picture cannot be had.
    virtual void AddWindowImage(LogWindow window) = 0;
    // Finishes the document and closes the file.
    virtual void Close() = 0;
    // Tells the user (a message box in the window program) that the log was not created.
    virtual void ReportCreateFailure(const KText& message, const KText& caption) = 0;
};

// Writer that writes nothing and never fails.
class NullTestLog : public TestLog {
  public:
    bool Create(const KText&) override { return true; }
    void AddText(const KText&, uint32_t) override {}
    void AddWindowImage(LogWindow) override {}
    void Close() override {}
    void ReportCreateFailure(const KText&, const KText&) override {}
};

// The file name of a run's log: "<folder>kadra <title>.rtf", the folder being
// testSettings.logPath, or testSettings.programFolder when logPath is empty.
KText TestLogPath(const KText& title);

// Creates the run's log and writes its title; on failure tells the user, and the run goes on
// without a log. Sets runState.log while the log is open.
void OpenTestLog(const KText& title);

// Writes the summary (the picture of the results) and closes the log. Nothing without a log.
void CloseTestLog();

// Appends a picture of the window; nothing while no log is open.
void AddWindowImageToLog(LogWindow window);

// Appends text; nothing while no log is open.
void AddTextToLog(const KText& text, uint32_t flags);

}  // namespace kadra
