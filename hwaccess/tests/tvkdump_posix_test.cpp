// tvkdump end to end: its output read by lspci -F gives what lspci -F gives on the dump the
// machine came from; on this machine's live backend it equals `lspci -n -xxx`; exit codes.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "embedded_machine.h"
#include "test_support.h"

namespace tvk {
namespace {

struct CommandResult {
    int status;
    std::string out;
};

CommandResult Command(const std::string& command) {
    CommandResult run{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

const char kLspci[] = "/usr/bin/lspci";

std::string Lspci(const std::string& options, const std::string& file) {
    const CommandResult run =
        Command(std::string(kLspci) + " " + options + " -F '" + file + "' 2>/dev/null");
    EXPECT_EQ(run.status, 0) << file;
    return run.out;
}

CommandResult Tvkdump(const std::string& arguments) {
    return Command(std::string("env -u TRAVIK_MACHINE '") + TVK_TVKDUMP + "' " + arguments);
}

TEST(TvkdumpRoundTrip, LspciReadsTheSameMachineBack) {
    if (access(kLspci, X_OK) != 0) GTEST_SKIP() << "no " << kLspci;
    test::TempFolder folder;
    struct Case {
        const char* file;
        const char* options;  // -vv compares decoded registers too (256-byte dumps only)
    } cases[] = {{"vm-xxx.txt", "-vv"}, {"vm-vv-xxx.txt", "-vv"},     {"vm-domain-x.txt", ""},
                 {"vm-xxxx.txt", ""},   {"bridge-vv-xxx.txt", "-vv"}, {"annotated.txt", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string source = test::DataFile(c.file);
        const std::string out = folder.file(std::string(c.file) + ".dump");
        const CommandResult run = Tvkdump("--machine '" + source + "' > '" + out + "'");
        ASSERT_EQ(run.status, 0);
        const std::string expected = Lspci(c.options, source);
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(Lspci(c.options, out), expected);
        EXPECT_EQ(Lspci("-n", out), Lspci("-n", source));
    }
    // The embedded machine: its text is a machine file too.
    const std::string embedded = folder.file("embedded.dump");
    ASSERT_EQ(Tvkdump("--machine embedded > '" + embedded + "'").status, 0);
    const std::string text = folder.file("embedded.txt");
    test::WriteFile(text, EmbeddedMachineText());
    EXPECT_EQ(Lspci("-vv", embedded), Lspci("-vv", text));
    EXPECT_NE(Lspci("", text).find("CardBus bridge: Texas Instruments PCI1520"), std::string::npos);
}

TEST(TvkdumpRoundTrip, AnnotationsDoNotChangeWhatLspciReads) {
    if (access(kLspci, X_OK) != 0) GTEST_SKIP() << "no " << kLspci;
    test::TempFolder folder;
    for (const char* name : {"annotated.txt", "bridge-vv-xxx.txt"}) {
        const std::string original = test::DataFile(name);
        const std::string text = test::ReadFile(original);
        std::string stripped;
        for (size_t start = 0; start < text.size();) {
            const size_t end = text.find('\n', start);
            const std::string line = text.substr(start, end - start + 1);
            if (line.rfind("#", 0) != 0) stripped += line;
            start = end == std::string::npos ? text.size() : end + 1;
        }
        test::WriteFile(folder.file("stripped.txt"), stripped);
        EXPECT_NE(stripped.size(), 0u);
        EXPECT_EQ(Lspci("-vv -xxx", folder.file("stripped.txt")), Lspci("-vv -xxx", original))
            << name;
    }
}

TEST(Tvkdump, LiveMachineEqualsLspci) {
    if (access(kLspci, X_OK) != 0 || access("/sys/bus/pci/devices", R_OK) != 0 || geteuid() != 0)
        GTEST_SKIP() << "needs lspci, sysfs and root";
    const CommandResult lspci = Command(std::string(kLspci) + " -n -xxx 2>/dev/null");
    const CommandResult dump = Tvkdump("--machine live");
    ASSERT_EQ(dump.status, 0);
    EXPECT_EQ(dump.out, lspci.out);
}

TEST(Tvkdump, UsageAndErrors) {
    const CommandResult help = Tvkdump("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: tvkdump"), std::string::npos);
    EXPECT_EQ(Tvkdump("--frobnicate 2>/dev/null").status, 2);
    EXPECT_EQ(Tvkdump("--machine 2>/dev/null").status, 2);
    const CommandResult missing = Tvkdump("--machine /no/such/dump.txt 2>&1");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("/no/such/dump.txt"), std::string::npos) << missing.out;
    const CommandResult chosen =
        Command(std::string("TRAVIK_MACHINE=embedded '") + TVK_TVKDUMP + "'");
    EXPECT_EQ(chosen.status, 0);
    EXPECT_EQ(chosen.out, Tvkdump("--machine embedded").out);
    const CommandResult broken =
        Command(std::string("TRAVIK_MACHINE=/no/such '") + TVK_TVKDUMP + "' 2>&1");
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.out.find("/no/such"), std::string::npos) << broken.out;
}

}  // namespace
}  // namespace tvk
