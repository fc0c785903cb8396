// The result files a disk or file test writes for scripts (--json, --csv): checked before the
// run, written at its end (also after a stop or a failure), and left untouched when the run
// does not start.
#pragma once

#include <iosfwd>
#include <string>

#include "result_file.h"
#include "run_record.h"

namespace kadra {

struct CliOptions;

class ResultOutputs {
  public:
    // Opens the files the options name. False with `error` set when one cannot be written, both
    // are standard output, or both name the same file.
    bool Open(const CliOptions& options, std::string* error);

    // Whether a result goes to standard output; the results table then goes to standard error,
    // so that standard output holds the JSON or the CSV alone.
    bool useStandardOutput() const;

    // Writes the record to every open file; each failure is told on `errors`. False when one
    // failed.
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

// The settings of the run just made with these options (CurrentRunSettings).
RunSettings SettingsOfRun(const CliOptions& options);

}  // namespace kadra
