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

volatile sig_atomic_t stopPresses = 0;
// The progress line is on the terminal: the stop message replaces it rather than following it.
volatile sig_atomic_t progressShown = 0;

void WriteText(const char* text) {
    size_t length = 0;
    while (text[length] != '\0')
        ++length;
    ssize_t ignored = write(STDERR_FILENO, text, length);
    (void)ignored;
}

// Ctrl-C (or SIGTERM, or SIGHUP when the terminal closes) is the stop request of a run: a disk or
// file test stops after the current block, a data test after the current chunk, and each deletes
// its files. Further signals during the run repeat the request and never leave the files behind;
// outside a run they end the program. The log counts as part of the run until it is closed, so that
// a signal at the very end leaves no half-written document.
void OnStopSignal(int signal) {
    stopPresses = stopPresses + 1;
    if (kadra::runState.testRunning || kadra::runState.busy || kadra::runState.log != nullptr) {
        kadra::runState.abortRequested = 1;
        if (stopPresses == 1) {
            WriteText(progressShown ? "\r\033[K" : "\n");
            WriteText("kadra: stopping; the test's files are deleted\n");
        }
        return;
    }
    ::signal(signal, SIG_DFL);
    raise(signal);
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
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::fputs(BK_VERSION_BANNER("kadra"), stdout);
        return 0;
    }
    std::vector<std::string> args(argv + 1, argv + argc);
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(args, &options, &error)) {
        std::cerr << "kadra: " << error << "\n\n" << CliUsage();
        return 2;
    }
    if (options.command == CliCommand::Help) {
        std::cout << CliUsage();
        return 0;
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
    for (const std::string& curve : RasterGraphCanvas::CurveFileNames(options.graphPrefix))
        duringRun.push_back({"--graph ", curve});
    ResultOutputs outputs;
    if (!outputs.Open(options, duringRun, &error)) {
        std::cerr << "kadra: " << error << "\n";
        return 2;
    }

    // The engine's host: this machine's files and clock (the defaults), the graph and the log, the
    // results text printed at the end, progress and message boxes on the terminal, the run
    // recorded for the result files, and the system's reason on every failure line.
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
    host.calls.blockStarted = [&](const KText& pass, uint32_t blockSize) {
        graphCanvas.StartCurve(pass, blockSize);
        record.BlockStarted(pass, blockSize);
        progress.BlockStarted(pass, blockSize);
    };
    host.calls.pointPlotted = [&](uint32_t index, double megabytesPerSecond, bool hang) {
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

    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);

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
    (outputs.useStandardOutput() ? std::cerr : std::cout)
        << ResultsForTerminal(ResultsText()) << std::flush;
    int status = ExitStatus(outcome);
    // A result file that cannot be written fails a run that completed.
    if (!outputs.Finish(outcome, options, &record, std::cerr) && status == 0) status = 1;
    return status;
}
