// Bexa's start-up check that the service's kernel driver file Tvk.sys is installed, as logic
// behind a seam: the Win32 adapter (driver_check_win32.h) asks the system, tests use a fake.
#pragma once

#include <string>

namespace tvk {

// What the check needs from the system.
class DriverCheckSystem {
  public:
    enum class Box { Notice, Question };  // exclamation icon with OK; question icon with Yes/No
    virtual ~DriverCheckSystem() = default;
    // The Windows directory, e.g. "C:\\windows" (no trailing backslash).
    virtual std::string WindowsDirectory() = 0;
    // The folder of the running program file (no trailing backslash).
    virtual std::string ProgramDirectory() = 0;
    virtual bool FileExists(const std::string& path) = 0;
    // Copies `from` over `to` (overwriting allowed); false when the copy fails.
    virtual bool CopyFileTo(const std::string& from, const std::string& to) = 0;
    // Shows a message box with caption "Bexa", brought to the foreground. Returns true when
    // the user answers Yes to a question (a notice always gives false).
    virtual bool ShowMessage(const std::string& text, Box box) = 0;
};

enum class DriverCheckResult {
    Continue,         // go on starting
    CloseMainWindow,  // the driver was offered for installation: close the main window
};

// Runs the check: driver present in <windows>\system32\drivers -> continue; else offers to
// copy <program folder>\Tvk.sys there.
DriverCheckResult RunDriverCheck(DriverCheckSystem& system);

}  // namespace tvk
