// Wires Kadra's engine to the dialog window: graph canvas, test log, results box, message
// pump, wait cursor, message boxes and clock, all through the dialog and tools libraries.
#pragma once

#include <memory>

#include <windows.h>

#include "host.h"
#include "vorlu.h"

namespace kadra {

class GdiGraphCanvas;
class RtfTestLog;
class ResultsBox;

class WindowHost {
  public:
    // Installs the window's implementations of every seam but the results box (ConnectResults);
    // the dialog's controls must exist.
    explicit WindowHost(XDIALOG* dialog);
    // Puts the engine's defaults back.
    ~WindowHost();
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    // From now on the results text shows in the output box.
    void ConnectResults();

    GdiGraphCanvas& canvas() { return *canvas_; }

  private:
    std::unique_ptr<GdiGraphCanvas> canvas_;
    std::unique_ptr<RtfTestLog> log_;
    std::unique_ptr<ResultsBox> results_;
    Host host_;
};

}  // namespace kadra
