// The host of the engine: what a program gives a run to measure, draw, log and report with.
// Each program wires the engine once, in one place: the native program with files, the terminal
// and its own host calls, the window program with GDI and the host libraries, the tests with
// fakes and recorders.
#pragma once

#include "clock.h"
#include "graph_canvas.h"
#include "host_calls.h"
#include "results_sink.h"
#include "test_file.h"
#include "test_log.h"

namespace kadra {

// One member per seam; none is owned. A member left null (or an empty call) gets the default:
// the system's file system, clock and time of day; the empty graph canvas, test log and results
// sink; host calls that do nothing.
struct Host {
    FileSystem* files = nullptr;
    Clock* clock = nullptr;
    GraphCanvas* graphCanvas = nullptr;
    TestLog* testLog = nullptr;
    ResultsSink* resultsSink = nullptr;
    HostCalls calls;
    GraphClock graphClock = nullptr;
};

// Replaces the whole host (members not set take their defaults). A graph drawing in progress is
// ended on the canvas it was begun on first.
void InstallHost(const Host& host);

// The installed seams, defaults filled in (for the code that uses them).
FileSystem& CurrentFileSystem();
Clock& CurrentClock();
GraphCanvas& CurrentGraphCanvas();
TestLog& CurrentTestLog();
ResultsSink& CurrentResultsSink();
const HostCalls& CurrentHostCalls();
ClockTime CurrentTimeOfDay();

}  // namespace kadra
