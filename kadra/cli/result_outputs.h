// The result files a disk or file test writes for scripts (--json, --csv): checked before the
// run, written at its end (also after a stop or a failure), and left untouched when the run
// does not start. Also the run's inputs that no output may replace, and the check of every
// output name against them before the run.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "result_file.h"
#include "run_control.h"
#include "run_record.h"

namespace kadra {

struct CliOptions;

// A file the run itself writes (the log, a curve file): how a message names it, and its path.
struct RunOutput {
    std::string what;  // "the log ", "--graph "
    std::string path;
};

class ResultOutputs {
  public:
    // Opens the files the options name. False with `error` set when one cannot be written, both
    // are standard output, both name the same file, or one is a protected input of the run;
    // also when one of `duringRun` is a protected input (told now rather than during the run).
    bool Open(const CliOptions& options, const std::vector<RunOutput>& duringRun,
              std::string* error);

    // Whether a result goes to standard output; the results table then goes to standard error,
    // so that standard output holds the JSON or the CSV alone.
    bool useStandardOutput() const;

    // Writes the record to every open file, with the stop signals held; each failure is told on
    // `errors`. False when one failed.
    bool Write(const RunRecord& record, std::ostream& errors);

    // The run did not start: the paths stay as they were.
    void Discard();

    // After the run: for one that started, completes the record from the run's records (settings
    // of `options`, usage and verdict, results text, hang count) and writes it; for one that did
    // not, discards. False when a file could not be written (told on `errors`).
    bool Finish(RunOutcome outcome, const CliOptions& options, RunRecord* record,
                std::ostream& errors);

  private:
    ResultFile json_;
    ResultFile csv_;
};

// The test file of the run the options describe: the temporary file of a disk test, the user's
// file of a file test.
std::string RunTestFilePath(const CliOptions& options);

// The files the run reads or tests, which outfile::ProtectInput then guards against every
// output: the file of a file test, the test file of a disk test, the two files of a data test,
// and the KADRA.INI read (testSettings.iniPath, so after PrepareCliRun).
std::vector<std::string> RunInputPaths(const CliOptions& options);

// The path of the run's RTF log ("<LogPath>kadra <title>.rtf"), as the run will name it; empty
// when the settings write no log.
std::string RunLogPath(const CliOptions& options, const StartInputs& inputs);

// The settings of the run just made with these options (CurrentRunSettings).
RunSettings SettingsOfRun(const CliOptions& options);

}  // namespace kadra
