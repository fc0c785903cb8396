#include "bexa_cli.h"
#include "bexa_options.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace bexa {
namespace {

const std::string kData = BEXA_TEST_DATA;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ReadBack(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    return text;
}

struct RunResult {
    int code;
    std::string out;
    std::string err;
};

RunResult Bexa(const std::vector<std::string>& args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    RunResult run{RunBexa(args, out, err), ReadBack(out), ReadBack(err)};
    std::fclose(out);
    std::fclose(err);
    return run;
}

TEST(BexaCli, ListsADumpExactlyAsTheListingFile) {
    const RunResult run = Bexa(
        {"list", "--machine", kData + "/small_bus.lspci", "--ids", kData + "/small_bus_ids.txt"});
    EXPECT_EQ(run.code, kExitOk) << run.err;
    EXPECT_EQ(run.out, ReadFile(kData + "/small_bus.lis"));
    EXPECT_EQ(run.err, "");
}

TEST(BexaCli, WritesRegistersToAnOutputFile) {
    const std::string path = testing::TempDir() + "bexa_cli_test.lis";
    const RunResult run = Bexa({"list", "--registers", "--machine=" + kData + "/small_bus.lspci",
                                "--ids", kData + "/small_bus_ids.txt", "-o", path});
    EXPECT_EQ(run.code, kExitOk) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadFile(path), ReadFile(kData + "/small_bus_registers.lis"));
}

TEST(BexaCli, SixtyFourRegistersPerFunction) {
    const RunResult run =
        Bexa({"list", "-n", "64", "--registers", "--machine", kData + "/small_bus.lspci"});
    ASSERT_EQ(run.code, kExitOk) << run.err;
    size_t lines = 0;
    for (char c : run.out)
        lines += c == '\n';
    EXPECT_EQ(lines, 1u + 8u * 65u);
}

TEST(BexaCli, PrintsTheMemoryMapAndInterruptRoutingWithLineFeeds) {
    const std::string machine = kData + "/small_bus.lspci";
    struct Case {
        std::vector<std::string> args;
        std::string reference;
    } cases[] = {
        {{"memmap", "--machine", machine}, "small_bus.memmap"},
        {{"memmap", "--io", "--machine", machine}, "small_bus_io.memmap"},
        {{"irq", "--machine", machine}, "small_bus.irq"},
    };
    for (const Case& c : cases) {
        const RunResult run = Bexa(c.args);
        EXPECT_EQ(run.code, kExitOk) << run.err;
        EXPECT_EQ(run.out, ReadFile(kData + "/" + c.reference)) << c.reference;
        EXPECT_EQ(run.out.find('\r'), std::string::npos);
    }
}

TEST(BexaCli, HelpGoesToStandardOutput) {
    const RunResult run = Bexa({"--help"});
    EXPECT_EQ(run.code, kExitOk);
    EXPECT_NE(run.out.find("usage: bexa list"), std::string::npos);
    EXPECT_EQ(run.err, "");
}

TEST(BexaCli, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"lsit"},
        {"list", "-n", "32"},
        {"list", "-n"},
        {"list", "--machine"},
        {"list", "--colour"},
        {"list", "extra"},
        {"list", "--registers=yes"},
        {"list", "--io"},
        {"irq", "--io"},
    };
    for (const auto& args : cases) {
        const RunResult run = Bexa(args);
        EXPECT_EQ(run.code, kExitUsage) << (args.empty() ? "" : args.back());
        EXPECT_NE(run.err.find("usage: bexa"), std::string::npos);
        EXPECT_EQ(run.out, "");
    }
}

TEST(BexaCli, MachineAndFileFailuresExitWithOne) {
    const std::string missing = testing::TempDir() + "no-such-dir/x";
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"list", "--machine", missing}, "no-such-dir"},
        {{"list", "--machine", kData + "/small_bus_ids.txt"}, "small_bus_ids.txt"},
        {{"list", "--machine", "embedded", "--ids", missing}, "cannot read ID file"},
        {{"list", "--machine", "embedded", "-o", missing},
         "bexa: " + missing + ": No such file or directory\n"},
        {{"list", "--machine", "embedded", "-o", testing::TempDir()}, "is a folder"},
    };
    for (const Case& c : cases) {
        const RunResult run = Bexa(c.args);
        EXPECT_EQ(run.code, kExitFailure) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST(BexaCli, AFullStandardOutputIsAnError) {
    const std::vector<std::vector<std::string>> cases = {
        {"list", "--machine", "embedded"},
        {"list", "--registers", "-n", "64", "--machine", "embedded"},
        {"memmap", "--machine", "embedded"},
        {"irq", "--machine", "embedded"},
        {"--help"},
    };
    for (const auto& args : cases) {
        std::FILE* full = std::fopen("/dev/full", "w");
        ASSERT_NE(full, nullptr);
        std::FILE* err = std::tmpfile();
        const int code = RunBexa(args, full, err);
        const std::string message = ReadBack(err);
        std::fclose(err);
        std::fclose(full);
        EXPECT_EQ(code, kExitFailure) << args.front();
        EXPECT_EQ(message, "bexa: standard output: No space left on device\n") << args.front();
    }
}

TEST(BexaCli, IdFilesThatAreNotRegularFilesAreRefusedAtOnce) {
    // Before reading any of it: /dev/zero and a FIFO without a writer would never end.
    const std::string folder = testing::TempDir() + "bexa_cli_ids_folder";
    const std::string fifo = testing::TempDir() + "bexa_cli_ids_fifo";
    const std::string big = testing::TempDir() + "bexa_cli_ids_big.txt";
    std::filesystem::create_directories(folder);
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    { std::ofstream(big) << "V 8086 big\n"; }
    std::filesystem::resize_file(big, (std::size_t{16} << 20) + 1);
    struct Case {
        std::string ids;
        int code;
        std::string message;
    } cases[] = {
        {folder, kExitUsage, "bexa: " + folder + ": is a folder\n"},
        {fifo, kExitUsage, "bexa: " + fifo + ": not a regular file\n"},
        {"/dev/zero", kExitUsage, "bexa: /dev/zero: not a regular file\n"},
        {"/dev/urandom", kExitUsage, "bexa: /dev/urandom: not a regular file\n"},
        {big, kExitFailure, "bexa: ID file " + big + ": larger than 16 MiB\n"},
    };
    for (const Case& c : cases) {
        const RunResult run = Bexa({"list", "--machine", "embedded", "--ids", c.ids});
        EXPECT_EQ(run.code, c.code) << c.ids;
        EXPECT_EQ(run.err, c.message);
        EXPECT_EQ(run.out, "");
    }
    std::filesystem::remove(fifo);
    std::filesystem::remove(big);
}

TEST(BexaCli, ADefaultPcidevsTxtThatIsNoFileIsPassedOverWithAWarning) {
    const std::filesystem::path start = std::filesystem::current_path();
    const std::filesystem::path here = testing::TempDir() + "bexa_cli_default_ids";
    std::filesystem::remove_all(here);
    std::filesystem::create_directories(here);
    std::filesystem::current_path(here);
    const RunResult missing = Bexa({"list", "--machine", kData + "/small_bus.lspci"});
    ASSERT_EQ(mkfifo("pcidevs.txt", 0600), 0);
    const RunResult refused = Bexa({"list", "--machine", kData + "/small_bus.lspci"});
    std::filesystem::current_path(start);
    std::filesystem::remove_all(here);

    EXPECT_EQ(missing.code, kExitOk);
    EXPECT_EQ(missing.err, "");
    EXPECT_EQ(refused.code, kExitOk);
    EXPECT_EQ(refused.err,
              "bexa: pcidevs.txt: not a regular file; names from the built-in tables\n");
    EXPECT_EQ(refused.out, missing.out);
    EXPECT_EQ(refused.out.rfind("host CPU\n", 0), 0u);
}

TEST(BexaOptions, ValuesInlineOrSeparateAndTheRefusals) {
    Options o;
    std::string error;
    ASSERT_TRUE(ParseOptions({"memmap", "--io", "--machine=a=b", "-o", "-x", "-n", "64"}, o, error))
        << error;
    EXPECT_EQ(o.command, "memmap");
    EXPECT_TRUE(o.io);
    EXPECT_EQ(o.machine, "a=b");
    EXPECT_EQ(o.output, "-x");  // the next argument is the value, whatever it looks like
    EXPECT_EQ(o.registerCount, 64);

    struct Refusal {
        std::vector<std::string> args;
        const char* error;
    } refusals[] = {
        {{}, "no command given"},
        {{"list", "-n", "32"}, "-n takes 16 or 64, not \"32\""},
        {{"list", "--stats=1"}, "option --stats takes no value"},
        {{"list", "--ids"}, "option --ids needs a value"},
        {{"irq", "--io"}, "--io belongs to memmap"},
        {{"list", "irq"}, "unexpected argument \"irq\""},
        {{"show"}, "unknown command \"show\""},
    };
    for (const Refusal& r : refusals) {
        Options refused;
        std::string message;
        EXPECT_FALSE(ParseOptions(r.args, refused, message));
        EXPECT_EQ(message, r.error);
    }
}

}  // namespace
}  // namespace bexa
