#include "listing.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "id_database.h"
#include "machine_file.h"
#include "memory_tree.h"
#include "service.h"
#include "sim_machine.h"
#include "temp_folder.h"

namespace bexa {
namespace {

using tvk::test::ReadFile;

// A file of the test data folder.
std::string DataFile(const std::string& name) {
    return std::string(BEXA_TEST_DATA) + "/" + name;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Installs the machine of a dump in the test data folder.
tvk::SimMachine& InstallDump(const std::string& name) {
    std::string error;
    std::unique_ptr<tvk::SimMachine> machine = tvk::LoadMachineFile(DataFile(name), error);
    EXPECT_TRUE(machine) << error;
    if (!machine) machine = std::make_unique<tvk::SimMachine>();
    tvk::SimMachine& sim = *machine;
    tvk::InstallMachine(std::move(machine));
    return sim;
}

class SmallBusListing : public testing::Test {
  protected:
    void SetUp() override {
        InstallDump("small_bus.lspci");
        LoadIdFile(DataFile("small_bus_ids.txt").c_str());
    }
    void TearDown() override { FreeIdFile(); }
    std::string Listing(int scanCount, int listCount, bool registers) {
        list_ = BuildDeviceList(tree_, AccessMode::Ports, scanCount);
        std::string text;
        AppendListing(tree_, *list_, listCount, registers, text);
        return text;
    }
    MemoryTree tree_;
    std::unique_ptr<PciDeviceList> list_;
};

TEST_F(SmallBusListing, MatchesTheReferenceListing) {
    EXPECT_EQ(Listing(16, 16, false), ReadFile(DataFile("small_bus.lis")));
}

TEST_F(SmallBusListing, MatchesTheReferenceListingWithRegisters) {
    EXPECT_EQ(Listing(16, 16, true), ReadFile(DataFile("small_bus_registers.lis")));
}

TEST_F(SmallBusListing, WritesTheSameTextToAFile) {
    const std::string expected = Listing(16, 16, true);
    const std::string path = testing::TempDir() + "listing_test.lis";
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(WriteListing(tree_, *list_, 16, true, file));
    std::fclose(file);
    std::string written = ReadFile(path);
#ifdef _WIN32
    // A text-mode file on Windows ends its lines in CR LF.
    std::string crlf;
    for (char c : expected)
        crlf += (c == '\n') ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(written, crlf);
#else
    EXPECT_EQ(written, expected);
#endif
}

TEST_F(SmallBusListing, EveryFunctionGetsExactlyNRegisterLinesAndHostCpuNone) {
    for (int n : {16, 64}) {
        tree_.DeleteAllItems();
        const std::vector<std::string> lines = Lines(Listing(n, n, true));
        ASSERT_EQ(lines.size(), 1u + 8u * size_t(1 + n)) << n;
        EXPECT_EQ(lines[0], "host CPU");
        // Display order is scan order here: every bridge's functions follow it directly.
        for (int i = 0; i < list_->Count(); ++i) {
            const PciDevice& d = list_->Entry(i);
            const size_t at = 1 + size_t(i) * size_t(1 + n);
            EXPECT_EQ(lines[at].substr(lines[at].size() - d.line.size()), d.line);
            for (int j = 0; j < n; ++j) {
                EXPECT_EQ(lines[at + 1 + size_t(j)], std::string(51, ' ') + d.RegisterDumpLine(j));
            }
        }
    }
}

TEST_F(SmallBusListing, DwordsNeverReadAreReadBeforeTheyArePrinted) {
    tvk::SimMachine& sim = InstallDump("small_bus.lspci");
    const std::vector<std::string> lines = Lines(Listing(16, 64, true));
    ASSERT_EQ(lines.size(), 1u + 8u * 65u);
    // The host bridge's dword 63 reads 0 in the dump; a never-read dword would print all ones.
    EXPECT_EQ(lines[1 + 64], std::string(51, ' ') + list_->Entry(0).RegisterDumpLine(63));
    EXPECT_EQ(list_->Entry(0).image[63], 0u);
    for (int i = 0; i < list_->Count(); ++i)
        EXPECT_EQ(list_->Entry(i).dwordsRead, 64);
    // Scan: one read per empty slot, 16 per function (7 device slots and function 0:7.1), the
    // 13 empty functions of the two multi-function devices; then 48 more per function.
    EXPECT_EQ(sim.ConfigReads(), 256u * 32u + 7u * 15u + 16u + 13u + 8u * 48u);
}

TEST_F(SmallBusListing, CollapsedBridgesHideTheirFunctions) {
    Listing(16, 16, false);
    for (int i = 0; i < list_->Count(); ++i)
        tree_.Collapse(list_->Entry(i).treeItem);
    std::string text;
    AppendListing(tree_, *list_, 16, false, text);
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "host CPU");
    for (size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].rfind(":  0.", 0), 0u) << lines[i];
    }
}

TEST(Listing, IndentationStopsAtTwentyMarks) {
    MemoryTree tree;
    PciDeviceList list;
    TreeItem parent = tree.InsertItem(kNoTreeItem, "host CPU", 0, true);
    tree.Expand(parent);
    for (int depth = 1; depth <= 25; ++depth) {
        parent = tree.InsertItem(parent, "level " + std::to_string(depth), depth - 1, false);
        tree.Expand(parent);
    }
    std::string text;
    AppendListing(tree, list, 16, true, text);  // no entries: no register lines either
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 26u);
    std::string marks;
    for (int depth = 1; depth <= 25; ++depth) {
        if (depth <= 20) marks += ":  ";
        EXPECT_EQ(lines[size_t(depth)], marks + "level " + std::to_string(depth));
    }
}

TEST(Listing, EmptyTreeWritesNothing) {
    MemoryTree tree;
    PciDeviceList list;
    std::string text;
    AppendListing(tree, list, 16, true, text);
    EXPECT_EQ(text, "");
}

}  // namespace
}  // namespace bexa
