// kadra: disk, file and data tests of Kadra's core on this machine, with the results text
// printed as the window program's output box shows it.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "bk_version.h"
#include "cli_options.h"
#include "graph.h"
#include "host.h"
#include "output_file.h"
#include "program_path.h"
#include "progress_display.h"
#include "raster_graph_canvas.h"
#include "result_outputs.h"
#include "results_text.h"
#include "rtf_file_log.h"
#include "run_control.h"
#include "run_record.h"
#include "run_state.h"

namespace {

// The stop request: Ctrl-C, SIGTERM, or SIGHUP when the terminal closes. Set by the handler and
// never cleared; the run polls it (the engine clears runState.abortRequested as a run starts, so
// the request is given to it again at every call it makes into the program).
volatile sig_atomic_t stopRequested = 0;
// The progress line is on the terminal: the stop message replaces it rather than following it.
volatile sig_atomic_t progressShown = 0;
// The run's outcome is decided and its files are being put in place: a stop now is too late
// to change what they say, and is not taken.
volatile sig_atomic_t outcomeDecided = 0;

constexpr char kStopping[] = "\nkadra: stopping; the test's files are deleted\n";
constexpr char kStoppingOverProgress[] = "\r\033[Kkadra: stopping; the test's files are deleted\n";

// Only flags and one write(2): everything else happens where the program polls them. A disk or
// file test stops after the current block, a data test after the current chunk, and each
// deletes its files; before a run the program ends without starting one. Further signals repeat
// the request.
void OnStopSignal(int) {
    if (outcomeDecided) return;
    kadra::runState.abortRequested = 1;
    if (stopRequested) return;
    stopRequested = 1;
    ssize_t ignored = progressShown ? write(STDERR_FILENO, kStoppingOverProgress,
                                            sizeof kStoppingOverProgress - 1)
                                    : write(STDERR_FILENO, kStopping, sizeof kStopping - 1);
    (void)ignored;
}

// Before anything else: the stop signals go to the handler (with each other held while it
// runs), and a closed pipe on standard output is a failed write rather than the end of the
// program.
void InstallStopHandling() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    sigaddset(&action.sa_mask, SIGHUP);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// The poll of the run: a stop request that came while the engine was not looking is its again.
void PollStop() {
    if (stopRequested) kadra::runState.abortRequested = 1;
}

// Text the user asked for on standard output; a failed write is told and fails the command.
bool Print(std::string_view text) {
    std::string error;
    if (kadra::WriteToStandardOutput(text, &error)) return true;
    std::cerr << "kadra: " << error << "\n";
    return false;
}

int ExitStatus(kadra::RunOutcome outcome) {
    switch (outcome) {
        case kadra::RunOutcome::Completed:
            return 0;
        case kadra::RunOutcome::Failed:
            return 1;
        case kadra::RunOutcome::Stopped:
            return 130;
        case kadra::RunOutcome::NotStarted:
        case kadra::RunOutcome::Refused:
        default:
            return 2;
    }
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kadra;
    InstallStopHandling();
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        return Print(BK_VERSION_BANNER("kadra")) ? 0 : 2;
    }
    std::vector<std::string> args(argv + 1, argv + argc);
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(args, &options, &error)) {
        std::cerr << "kadra: " << error << "\n\n" << CliUsage();
        return 2;
    }
    if (options.command == CliCommand::Help) {
        return Print(CliUsage()) ? 0 : 2;
    }
    std::error_code missing;
    if (!options.ini.empty() && !std::filesystem::exists(options.ini, missing)) {
        std::cerr << "kadra: warning: " << options.ini
                  << " does not exist; the built-in defaults are used\n";
    }
    StartInputs inputs;
    if (!PrepareCliRun(options, ProgramFilePath(), &inputs, &error)) {
        std::cerr << "kadra: " << error << "\n";
        return 2;
    }
    uint32_t physAddress = 0;
    if (options.bufferPerRequest && ReadPhysAddress(inputs.phys, &physAddress) &&
        physAddress != 0) {
        std::cerr << "kadra: --buffer-per-request needs the buffers in main memory (--phys 0)\n";
        return 2;
    }
    if (options.command != CliCommand::File && !CheckRunFolder(options.dir, &error)) {
        std::cerr << "kadra: " << error << "\n";
        return 2;
    }

    // No output may replace a file the run reads or tests, by any of its names. The result
    // files are checked (and the log's and the curves' names against the run's files) before
    // anything runs, so that a bad path costs no test.
    for (const std::string& input : RunInputPaths(options))
        outfile::ProtectInput(outfile::PathFromNarrow(input));
    std::vector<RunOutput> duringRun;
    if (const std::string log = RunLogPath(options, inputs); !log.empty())
        duringRun.push_back({"the log ", log});
    if (!options.graphPrefix.empty()) {
        for (const std::string& curve : RasterGraphCanvas::CurveFileNames(options.graphPrefix))
            duringRun.push_back({"--graph ", curve});
    }
    ResultOutputs outputs;
    if (!outputs.Open(options, duringRun, &error)) {
        std::cerr << "kadra: " << error << "\n";
        return 2;
    }

    // The engine's host: this machine's files and clock (the defaults), the graph and the log, the
    // results text printed at the end, progress and message boxes on the terminal, the run
    // recorded for the result files, the system's reason on every failure line, and the poll of
    // the stop request at every call.
    RunRecord record;
    ProgressDisplay progress(ProgressDisplay::WantedOnStandardError(options.quiet), STDERR_FILENO);
    progressShown = progress.enabled() ? 1 : 0;
    // The graph drawn off screen, for the RTF log and the curve files of --graph.
    RasterGraphCanvas graphCanvas(options.graphPrefix);
    RtfFileLog testLog(graphCanvas);
    Host host;
    host.failureReasons = true;
    host.graphCanvas = &graphCanvas;
    host.testLog = &testLog;
    host.calls.serviceMessageQueue = PollStop;
    host.calls.setWaitCursor = [](bool) { PollStop(); };
    host.calls.blockStarted = [&](const KText& pass, uint32_t blockSize) {
        PollStop();
        graphCanvas.StartCurve(pass, blockSize);
        record.BlockStarted(pass, blockSize);
        progress.BlockStarted(pass, blockSize);
    };
    host.calls.pointPlotted = [&](uint32_t index, double megabytesPerSecond, bool hang) {
        PollStop();
        record.PointPlotted(index, megabytesPerSecond, hang, graphState.pointCount);
        progress.PointPlotted(index, megabytesPerSecond, graphState.pointCount);
    };
    host.calls.blockFinished = [&](const BlockFinish& finish) { record.BlockFinished(finish); };
    host.calls.messageBox = [&progress](const KText& text, const KText& caption) {
        progress.Clear();
        std::cerr << ToUtf8(caption) << ": " << ToUtf8(text);
        if (isatty(STDIN_FILENO)) {
            std::cerr << " (Enter)" << std::flush;
            std::string line;
            std::getline(std::cin, line);
        } else {
            std::cerr << "\n";
        }
    };
    InstallHost(host);

    // Stopped before the run: nothing was created but the temporary result files, which go.
    if (stopRequested) return 130;
    RunOutcome outcome;
    switch (options.command) {
        case CliCommand::Disk:
            outcome = DiskTestCommand(inputs);
            break;
        case CliCommand::File:
            outcome = FileTestCommand(inputs);
            break;
        case CliCommand::Data:
        default:
            progress.ShowText("data test: write, copy, compare");
            outcome = DataTestCommand(inputs);
            break;
    }
    progress.Clear();
    progressShown = 0;
    const std::string results = ResultsForTerminal(ResultsText());
    bool written = true;
    if (outputs.useStandardOutput()) {
        std::cerr << results << std::flush;
    } else {
        written = Print(results);
    }

    // One decision of how the run ended, which the log, the result files and the exit status
    // all follow: a stop request at any moment until now makes it a stopped run (or, when the
    // run never started, one that leaves nothing). From here on the stop signals wait, and are
    // not taken, until every file is in place.
    const outfile::StopSignalsHeld held;
    outcomeDecided = 1;
    const bool started = outcome == RunOutcome::Completed || outcome == RunOutcome::Failed ||
                         outcome == RunOutcome::Stopped;
    if (stopRequested || outcome == RunOutcome::Stopped) {
        if (!started) {
            testLog.Discard();
            outputs.Discard();
            return 130;
        }
        outcome = RunOutcome::Stopped;
    }
    int status = ExitStatus(outcome);
    // A file of the run that cannot be written, or results that do not reach standard output,
    // fail a run that completed.
    written = testLog.Finish(outcome == RunOutcome::Stopped) && written;
    written = outputs.Finish(outcome, options, &record, std::cerr) && written;
    if (!written && status == 0) status = 1;
    return status;
}
