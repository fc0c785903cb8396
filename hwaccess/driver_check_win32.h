// The Win32 side of the driver check: Windows directory, the program's own folder, file
// existence and copy, and message boxes with caption "Bexa".
#pragma once

#include <windows.h>

#include "driver_check.h"

namespace tvk {

class Win32DriverCheckSystem : public DriverCheckSystem {
  public:
    // `owner`: the window that owns the message boxes (may be null).
    explicit Win32DriverCheckSystem(HWND owner = nullptr) : owner_(owner) {}
    std::string WindowsDirectory() override;
    std::string ProgramDirectory() override;
    bool FileExists(const std::string& path) override;
    bool CopyFileTo(const std::string& from, const std::string& to) override;
    bool ShowMessage(const std::string& text, Box box) override;

  private:
    HWND owner_;
};

}  // namespace tvk
