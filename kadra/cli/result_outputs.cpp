#include "result_outputs.h"

#include <signal.h>

#include <filesystem>
#include <ostream>

#include "cli_options.h"
#include "report.h"
#include "results_csv.h"
#include "results_json.h"
#include "results_text.h"
#include "run_state.h"
#include "test_settings.h"

namespace kadra {

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code failedA;
    std::error_code failedB;
    const auto pathA = std::filesystem::weakly_canonical(a, failedA);
    const auto pathB = std::filesystem::weakly_canonical(b, failedB);
    if (failedA || failedB) return a == b;
    return pathA == pathB;
}

}  // namespace

bool ResultOutputs::Open(const CliOptions& options, std::string* error) {
    if (!options.json.empty() && !options.csv.empty()) {
        if (options.json == "-" && options.csv == "-") {
            *error = "--json and --csv cannot both write to standard output";
            return false;
        }
        if (options.json != "-" && options.csv != "-" && SameFile(options.json, options.csv)) {
            *error = "--json and --csv name the same file: " + options.json;
            return false;
        }
    }
    if (!options.json.empty() && !json_.Open(options.json, error)) {
        *error = "--json " + *error;
        return false;
    }
    if (!options.csv.empty() && !csv_.Open(options.csv, error)) {
        json_.Discard();
        *error = "--csv " + *error;
        return false;
    }
    return true;
}

bool ResultOutputs::useStandardOutput() const {
    return json_.toStandardOutput() || csv_.toStandardOutput();
}

bool ResultOutputs::Write(const RunRecord& record, std::ostream& errors) {
    // A stop signal now would end the program between a file and its rename and leave the
    // temporary file behind: it waits until both files are in place.
    sigset_t stops;
    sigset_t previous;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    sigprocmask(SIG_BLOCK, &stops, &previous);
    bool ok = true;
    std::string error;
    if (json_.isOpen() && !json_.Commit(ResultsJsonText(record), &error)) {
        errors << "kadra: --json " << error << "\n";
        ok = false;
    }
    if (csv_.isOpen() && !csv_.Commit(ResultsCsvText(record), &error)) {
        errors << "kadra: --csv " << error << "\n";
        ok = false;
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return ok;
}

void ResultOutputs::Discard() {
    json_.Discard();
    csv_.Discard();
}

bool ResultOutputs::Finish(RunOutcome outcome, const CliOptions& options, RunRecord* record,
                           std::ostream& errors) {
    if (outcome == RunOutcome::NotStarted || outcome == RunOutcome::Refused) {
        Discard();
        return true;
    }
    record->Finish(outcome, SettingsOfRun(options), EvaluateRun(),
                   ResultsAsUtf8Lines(ResultsText()), runState.hangCount);
    return Write(*record, errors);
}

std::string RunTestFilePath(const CliOptions& options) {
    if (options.command == CliCommand::File) return options.path;
    std::string folder = options.dir;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder + ToUtf8(testSettings.tempFileName);
}

RunSettings SettingsOfRun(const CliOptions& options) {
    return CurrentRunSettings(options.command == CliCommand::File ? "file" : "disk",
                              RunTestFilePath(options));
}

}  // namespace kadra
