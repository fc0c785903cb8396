// The dialog procedure of vorlu_demo.exe, a client of vorlu.dll that uses every item kind,
// every call and every message of the library, and the tools of pelmou.dll as Kadra does: a
// start (button or F5) runs a timed loop that pumps messages with ServiceMessageQueue until
// it ends or Esc stops it; "Write log" writes an RTF log with a picture of the window. What
// the procedure was told is kept in a record that the Win32 tests read.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "vorlu.h"

namespace vorlu_demo {

// Control numbers of the demo script (vorlu_demo.vds), in script order.
enum DemoControl {
    kTabs = 0,
    kName,
    kCount,
    kMinus,
    kPlus,
    kStart,
    kVerbose,
    kFast,
    kApply,
    kMessage,
    kNote,
    kClear,
    kLog,
    kMode,
    kShowExtra,
    kReset,
    kOut,
    kStatus,
    kCanvas,
    kControlCount
};
// Static numbers.
constexpr int kPageControls = 0x8000;
constexpr int kPageTexts = 0x8001;
constexpr int kPageOptions = 0x8002;
constexpr int kStartHint = 0x8006;
constexpr int kDescription = 0x8007;
constexpr int kExtraLabel = 0x8009;

// What the dialog procedure has been told, for the tests.
struct DemoRecord {
    std::vector<int> codes;  // wParam of every XDM_CONTROL, in order
    int controlsCreated = 0;
    int iconRequests = 0;
    int modeChanges = 0;
    int canvasPaints = 0;
    int stopsWhileRunning = 0;  // 507 that arrived during a run
    int runsFinished = 0;
    int runsStopped = 0;
    std::wstring logPath;  // the last log written
    HWND window = nullptr;
    XDIALOG* dialog = nullptr;
};

// A copy of the record; ResetDemoRecord empties it.
DemoRecord DemoRecordCopy();
void ResetDemoRecord();

// Message of the demo window: runs *(std::function<void()>*)lParam on the dialog's thread.
constexpr UINT kRunOnDialogThread = WM_APP + 1;

// Where "Write log" puts its document (the temporary folder).
std::wstring DemoLogPath();

LRESULT CALLBACK DemoDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the demo dialog with the script and images of `instance`; returns XDialog's result.
LONG RunDemoDialog(HINSTANCE instance);

}  // namespace vorlu_demo
