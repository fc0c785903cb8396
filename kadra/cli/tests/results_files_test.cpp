#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli_options.h"
#include "kadra_test_support.h"
#include "output_file.h"
#include "result_file.h"
#include "result_outputs.h"
#include "results_csv.h"
#include "results_json.h"
#include "run_record.h"

namespace kadra::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// A run of one finished and one stopped block size, a product with a stream without a rate
// (infinite limit) and a title that needs escaping in both formats.
RunRecord SampleRun(RunOutcome outcome) {
    RunRecord r;
    r.BlockStarted(L"write linear synchronous", 16384);
    r.PointPlotted(0, 10.0, false, 3);
    r.PointPlotted(1, 12.0, true, 3);
    r.PointPlotted(2, 14.0, false, 3);
    // An average with all its digits: the files must give back exactly this double.
    r.BlockFinished(BlockFinish{L"write linear synchronous", 16384, 11.799999999999997, 10.0, 14.0,
                                3.3370645783, 3});
    r.BlockStarted(L"write linear synchronous", 32768);
    r.PointPlotted(0, 20.5, false, 64);
    RunSettings s;
    s.command = "disk";
    s.title = "say \"hi\", A\u00e4";
    s.path = "/tmp/x/KADRA.TMP";
    s.sizeMB = 4;
    s.queueLength = 0;
    s.caching = false;
    s.product.name = L"Studio";
    s.product.videoReadStreams = 2;
    s.product.videoReadRate = 6.25;
    s.product.videoReadBlockSize = 262144;
    s.product.videoReadLimitMs = 125.5;
    s.product.audioWriteLimitMs = std::numeric_limits<double>::infinity();
    s.version = "9.8.7";
    RunEvaluation evaluation;
    evaluation.showRecord = true;
    evaluation.record = 42;
    evaluation.verdict = L"Disk ok for Studio";
    r.Finish(outcome, s, evaluation, "Disk: x\n", 1);
    return r;
}

TEST(ResultsJsonTest, RoundTripKeepsFiguresPointsAndSettings) {
    const RunRecord run = SampleRun(RunOutcome::Completed);
    const std::string text = ResultsJsonText(run);
    EXPECT_EQ(text.back(), '\n');
    const json doc = json::parse(text);
    EXPECT_EQ(doc["format"], "kadra-results");
    EXPECT_EQ(doc["formatVersion"], kResultsFormatVersion);
    EXPECT_EQ(doc["version"], "9.8.7");
    EXPECT_EQ(doc["state"], "completed");
    EXPECT_EQ(doc["hangCount"], 1);
    EXPECT_EQ(doc["report"], "Disk: x\n");
    const json& s = doc["settings"];
    EXPECT_EQ(s["command"], "disk");
    EXPECT_EQ(s["title"], "say \"hi\", A\u00e4");
    EXPECT_EQ(s["caching"], false);
    EXPECT_EQ(s["product"]["name"], "Studio");
    EXPECT_EQ(s["product"]["videoRead"]["streams"], 2);
    EXPECT_EQ(s["product"]["videoRead"]["rateMBps"], 6.25);
    EXPECT_EQ(s["product"]["videoRead"]["blockSize"], 262144);
    EXPECT_EQ(s["product"]["videoRead"]["limitMs"], 125.5);
    EXPECT_TRUE(s["product"]["audioWrite"]["limitMs"].is_null());

    ASSERT_EQ(doc["blocks"].size(), 2u);
    const json& done = doc["blocks"][0];
    EXPECT_EQ(done["finished"], true);
    EXPECT_EQ(done["averageMBps"].get<double>(), 11.799999999999997);
    EXPECT_EQ(done["averageBytesPerSecond"].get<double>(), 11.799999999999997 * 1048000.0);
    EXPECT_EQ(done["minMBps"], 10.0);
    EXPECT_EQ(done["maxMBps"], 14.0);
    EXPECT_EQ(done["sxMBps"], 3.3370645783);
    EXPECT_EQ(done["hangs"], 1);
    EXPECT_EQ(done["pointCount"], 3);
    EXPECT_EQ(done["points"], json::parse("[[0,10.0],[1,12.0],[2,14.0]]"));
    const json& cut = doc["blocks"][1];
    EXPECT_EQ(cut["finished"], false);
    EXPECT_TRUE(cut["averageMBps"].is_null());
    EXPECT_TRUE(cut["sxMBps"].is_null());
    EXPECT_EQ(cut["points"], json::parse("[[0,20.5]]"));

    // Only the usage the report shows.
    EXPECT_EQ(doc["usage"], json::parse(R"({"record":42})"));
    EXPECT_EQ(doc["verdict"], "Disk ok for Studio");
}

TEST(ResultsJsonTest, StoppedRunIsMarkedAndEmptyVerdictLeftOut) {
    RunRecord run = SampleRun(RunOutcome::Stopped);
    run.Finish(RunOutcome::Stopped, run.settings(), RunEvaluation{}, "", 0);
    const json doc = json::parse(ResultsJsonText(run));
    EXPECT_EQ(doc["state"], "stopped");
    EXPECT_FALSE(doc.contains("usage"));
    EXPECT_FALSE(doc.contains("verdict"));
    EXPECT_EQ(json::parse(ResultsJsonText(SampleRun(RunOutcome::Failed)))["state"], "failed");
}

TEST(ResultsJsonTest, BadUtf8InATitleDoesNotThrow) {
    RunRecord run = SampleRun(RunOutcome::Completed);
    RunSettings s = run.settings();
    s.title = "bad \xff byte";
    run.Finish(RunOutcome::Completed, s, RunEvaluation{}, "", 0);
    const json doc = json::parse(ResultsJsonText(run));
    EXPECT_EQ(doc["settings"]["title"], "bad \xef\xbf\xbd byte");
}

// Splits CSV text (RFC 4180: quoted fields, doubled quotes, CRLF) into rows of fields.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().push_back(field);
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            rows.back().push_back(field);
            field.clear();
            rows.emplace_back();
            ++i;
        } else {
            field += c;
        }
    }
    if (rows.back().empty() && field.empty()) rows.pop_back();
    return rows;
}

TEST(ResultsCsvTest, OneRowPerBlockSizeThatReadsBack) {
    const auto rows = ParseCsv(ResultsCsvText(SampleRun(RunOutcome::Stopped)));
    ASSERT_EQ(rows.size(), 3u);
    const std::vector<std::string>& header = rows[0];
    const auto column = [&header](const std::string& name) {
        for (size_t i = 0; i < header.size(); ++i)
            if (header[i] == name) return i;
        ADD_FAILURE() << "no column " << name;
        return size_t{0};
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.size(), header.size());
    const auto& done = rows[1];
    EXPECT_EQ(done[column("state")], "stopped");
    EXPECT_EQ(done[column("title")], "say \"hi\", A\u00e4");
    EXPECT_EQ(done[column("product")], "Studio");
    EXPECT_EQ(done[column("caching")], "0");
    EXPECT_EQ(done[column("pass")], "write linear synchronous");
    EXPECT_EQ(done[column("block_size")], "16384");
    EXPECT_EQ(done[column("finished")], "1");
    EXPECT_EQ(std::stod(done[column("average_mbps")]), 11.799999999999997);
    EXPECT_EQ(std::stod(done[column("average_bytes_per_second")]), 11.799999999999997 * 1048000.0);
    EXPECT_EQ(std::stod(done[column("sx_mbps")]), 3.3370645783);
    EXPECT_EQ(done[column("hangs")], "1");
    EXPECT_EQ(done[column("point_count")], "3");
    EXPECT_EQ(done[column("points_plotted")], "3");
    const auto& cut = rows[2];
    EXPECT_EQ(cut[column("finished")], "0");
    EXPECT_EQ(cut[column("average_mbps")], "");
    EXPECT_EQ(cut[column("point_count")], "64");
    EXPECT_EQ(cut[column("points_plotted")], "1");
}

TEST(ResultsCsvTest, FieldsAreQuotedOnlyWhenTheyMustBe) {
    EXPECT_EQ(CsvField("plain text"), "plain text");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(CsvField(""), "");
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ResultFileTest, CommitReplacesTheFileWhole) {
    ScratchFolder folder;
    const fs::path path = folder.path() / "r.json";
    folder.Write("r.json", "old content");
    chmod(path.c_str(), 0640);
    ResultFile file;
    std::string error;
    ASSERT_TRUE(file.Open(path.string(), &error)) << error;
    // Until the end of the run the old file stays as it was.
    EXPECT_EQ(ReadAll(path), "old content");
    ASSERT_TRUE(file.Commit("{}\n", &error)) << error;
    EXPECT_EQ(ReadAll(path), "{}\n");
    EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"r.json"});
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(ResultFileTest, DiscardLeavesNothingBehind) {
    ScratchFolder folder;
    {
        ResultFile file;
        std::string error;
        ASSERT_TRUE(file.Open((folder.path() / "new.csv").string(), &error)) << error;
        EXPECT_EQ(Names(folder.path()).size(), 1u);  // the temporary file
        file.Discard();
        EXPECT_TRUE(Names(folder.path()).empty());
        ASSERT_TRUE(file.Open((folder.path() / "new.csv").string(), &error)) << error;
    }  // the destructor discards too
    EXPECT_TRUE(Names(folder.path()).empty());
}

TEST(ResultFileTest, PathsThatCannotBeWrittenAreRefused) {
    ScratchFolder folder;
    folder.Write("plain", "x");
    fs::create_directory(folder.path() / "sub");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {(folder.path() / "missing" / "r.json").string(), "No such file or directory"},
        {(folder.path() / "plain" / "r.json").string(), "Not a directory"},
        {(folder.path() / "sub").string(), "is a folder"},
        {"", "an empty file name"},
    };
    for (const auto& [path, reason] : cases) {
        ResultFile file;
        std::string error;
        EXPECT_FALSE(file.Open(path, &error)) << path;
        EXPECT_NE(error.find(reason), std::string::npos) << path << ": " << error;
        EXPECT_FALSE(file.isOpen());
    }
    EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"plain", "sub"}));
}

TEST(ResultFileTest, AFailedRenameKeepsThePathAndRemovesTheTemporaryFile) {
    ScratchFolder folder;
    const fs::path path = folder.path() / "r.json";
    ResultFile file;
    std::string error;
    ASSERT_TRUE(file.Open(path.string(), &error)) << error;
    // Something takes the path during the run: a folder with a file in it cannot be replaced.
    fs::create_directory(path);
    folder.Write("r.json/keep", "k");
    EXPECT_FALSE(file.Commit("{}\n", &error));
    EXPECT_NE(error.find("r.json"), std::string::npos) << error;
    EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"r.json"});
    EXPECT_EQ(ReadAll(path / "keep"), "k");
}

// Nothing is written through a link: a symbolic link at the path is replaced by the results
// and what it points to keeps its content; so does a hard link's other name.
TEST(ResultFileTest, ALinkAtThePathIsReplacedAndWhatItNamesIsKept) {
    ScratchFolder folder;
    folder.Write("real.json", "old");
    fs::create_symlink("real.json", folder.path() / "link.json");
    fs::create_hard_link(folder.path() / "real.json", folder.path() / "hard.json");
    for (const char* name : {"link.json", "hard.json"}) {
        ResultFile file;
        std::string error;
        ASSERT_TRUE(file.Open((folder.path() / name).string(), &error)) << error;
        ASSERT_TRUE(file.Commit(std::string("new ") + name, &error)) << error;
        EXPECT_FALSE(fs::is_symlink(folder.path() / name)) << name;
        EXPECT_EQ(ReadAll(folder.path() / name), std::string("new ") + name);
        EXPECT_EQ(ReadAll(folder.path() / "real.json"), "old") << name;
    }
    EXPECT_EQ(Names(folder.path()),
              (std::vector<std::string>{"hard.json", "link.json", "real.json"}));
}

// The files each command reads or tests are protected from every output by any name: the test
// file of a disk test (not there yet), the file of a file test, the data test's two files, the
// INI read. A result file, or a file the run writes while it runs (the log, a curve), at one of
// them is refused before the run; other names are taken.
TEST(ResultOutputsTest, NoOutputMayBeAFileTheRunReadsOrTests) {
    ResetKadraState();
    ScratchFolder folder;
    const fs::path dir = folder.path();
    folder.Write("KADRA.INI", "[INIT]\n");
    folder.Write("clip.avi", "frames");
    fs::create_hard_link(dir / "clip.avi", dir / "other.avi");
    testSettings.iniPath = (dir / "KADRA.INI").wstring();
    testSettings.tempFileName = L"KADRA.TMP";
    struct Case {
        CliCommand command;
        std::vector<std::string> inputs;  // names of the protected files in the folder
    };
    const std::vector<Case> cases = {
        {CliCommand::Disk, {"KADRA.TMP", "KADRA.INI"}},
        {CliCommand::File, {"clip.avi", "other.avi", "KADRA.INI"}},
        {CliCommand::Data, {"verify1.TMP", "verify2.TMP", "KADRA.INI"}},
    };
    for (const Case& c : cases) {
        CliOptions options;
        options.command = c.command;
        options.dir = dir.string();
        options.path = (dir / "clip.avi").string();
        outfile::ClearProtectedInputs();
        for (const std::string& input : RunInputPaths(options))
            outfile::ProtectInput(input);
        for (const std::string& name : c.inputs) {
            const std::string path = (dir / name).string();
            ResultOutputs outputs;
            std::string error;
            options.json = path;
            EXPECT_FALSE(outputs.Open(options, {}, &error)) << name;
            EXPECT_EQ(error, "--json " + path + ": is a file this run reads or tests");
            options.json.clear();
            EXPECT_FALSE(outputs.Open(options, {{"the log ", path}}, &error)) << name;
            EXPECT_EQ(error, "the log " + path + ": is a file this run reads or tests");
        }
        ResultOutputs outputs;
        std::string error;
        options.json = (dir / "r.json").string();
        EXPECT_TRUE(outputs.Open(options, {{"the log ", (dir / "kadra x.rtf").string()}}, &error))
            << error;
        outputs.Discard();
    }
    outfile::ClearProtectedInputs();
    EXPECT_EQ(folder.Read("clip.avi"), "frames");
    ResetKadraState();
}

}  // namespace
}  // namespace kadra::testing
