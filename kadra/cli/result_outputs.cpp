#include "result_outputs.h"

#include <ostream>

#include "cli_options.h"
#include "output_file.h"
#include "report.h"
#include "results_csv.h"
#include "results_json.h"
#include "results_text.h"
#include "run_state.h"
#include "test_log.h"
#include "test_settings.h"

namespace kadra {

namespace {

std::string InFolder(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// A refused output before the run: the path, and why.
std::string Refused(const std::string& what, const std::string& path) {
    return what + path + ": is a file this run reads or tests";
}

}  // namespace

bool ResultOutputs::Open(const CliOptions& options, const std::vector<RunOutput>& duringRun,
                         std::string* error) {
    if (!options.json.empty() && !options.csv.empty()) {
        if (options.json == "-" && options.csv == "-") {
            *error = "--json and --csv cannot both write to standard output";
            return false;
        }
        if (options.json != "-" && options.csv != "-" &&
            (options.json == options.csv || outfile::SameFile(options.json, options.csv))) {
            *error = "--json and --csv name the same file: " + options.json;
            return false;
        }
    }
    for (const RunOutput& output : duringRun) {
        if (outfile::IsProtectedInput(outfile::PathFromNarrow(output.path))) {
            *error = Refused(output.what, output.path);
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
    // A stop signal now waits until both files are in place.
    const outfile::StopSignalsHeld held;
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
    return InFolder(options.dir, ToUtf8(testSettings.tempFileName));
}

std::vector<std::string> RunInputPaths(const CliOptions& options) {
    std::vector<std::string> paths;
    if (options.command == CliCommand::Data) {
        paths.push_back(InFolder(options.dir, "verify1.TMP"));
        paths.push_back(InFolder(options.dir, "verify2.TMP"));
    } else {
        paths.push_back(RunTestFilePath(options));
    }
    if (!testSettings.iniPath.empty()) paths.push_back(ToUtf8(testSettings.iniPath));
    return paths;
}

std::string RunLogPath(const CliOptions& options, const StartInputs& inputs) {
    if (!testSettings.logfile || options.command == CliCommand::Data) return {};
    // The title as RunTestSeries takes it: the description, or the tested file's name.
    KText title;
    if (options.command == CliCommand::File) {
        const KText path = FitToCapacity(inputs.fileName);
        const std::size_t cut = path.find_last_of(L"\\/:");
        title = cut == KText::npos ? path : path.substr(cut + 1);
    } else {
        title = FitToCapacity(inputs.description);
    }
    return ToUtf8(TestLogPath(title));
}

RunSettings SettingsOfRun(const CliOptions& options) {
    return CurrentRunSettings(options.command == CliCommand::File ? "file" : "disk",
                              RunTestFilePath(options));
}

}  // namespace kadra
