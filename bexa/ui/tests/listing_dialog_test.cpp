// "write to file" against the simulated machine: the question, the save dialog, the file.
#include "listing_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "device_list.h"
#include "embedded_machine.h"
#include "fake_main_window_view.h"
#include "listing.h"
#include "memory_tree.h"
#include "output_file.h"
#include "service.h"
#include "temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace bexa {
namespace {

// Read back in text mode, as it was written (line ends are CR LF on Windows).
std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ListingDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tvk::InstallMachine(tvk::MakeEmbeddedMachine());
        list = BuildDeviceList(view.tree, AccessMode::Ports, 16);
        path = ::testing::TempDir() + "bexa_listing_dialog_test.lis";
        std::remove(path.c_str());
    }
    void TearDown() override { std::remove(path.c_str()); }

    FakeMainWindowView view;
    std::unique_ptr<PciDeviceList> list;
    std::string path;
};

TEST_F(ListingDialogTest, AsksAndWritesTheVisibleTreeWithRegisters) {
    view.answers = {MessageAnswer::Yes};
    view.listingPath = path;
    EXPECT_EQ(RunListingDialog(view, *list, 16), path);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "include config registers ?");
    EXPECT_EQ(view.messages[0].caption, "Bexa");
    EXPECT_EQ(view.messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(view.messages[0].buttons, MessageButtons::YesNo);

    // The same listing as the command line writes from its own scan of the machine.
    MemoryTree cliTree;
    auto cliList = BuildDeviceList(cliTree, AccessMode::Ports, 16);
    std::string expected;
    AppendListing(cliTree, *cliList, 16, true, expected);
    const std::string written = ReadFile(path);
    EXPECT_EQ(written, expected);
    EXPECT_EQ(written.rfind("host CPU\n", 0), 0u);
    EXPECT_NE(written.find(std::string(51, ' ') + " 2580 8086 <00 :"), std::string::npos);
}

TEST_F(ListingDialogTest, WithoutRegistersOnlyTheTreeLines) {
    view.answers = {MessageAnswer::No};
    view.listingPath = path;
    RunListingDialog(view, *list, 16);
    const std::string written = ReadFile(path);
    EXPECT_EQ(written.find(std::string(51, ' ')), std::string::npos);
    EXPECT_EQ(size_t(std::count(written.begin(), written.end(), '\n')), size_t(list->Count()) + 1);
}

TEST_F(ListingDialogTest, CancelOrEmptyPathWritesNothing) {
    view.answers = {MessageAnswer::Yes, MessageAnswer::No};
    EXPECT_EQ(RunListingDialog(view, *list, 16), "");  // dialog cancelled
    view.listingPath = "";
    EXPECT_EQ(RunListingDialog(view, *list, 16), "");
    EXPECT_EQ(view.saveDialogs, 2);
    EXPECT_EQ(view.messages.size(), 2u);  // the two questions, no other message
    EXPECT_FALSE(std::ifstream(path).good());
}

TEST_F(ListingDialogTest, UnopenablePathSaysCantOpenFile) {
    view.answers = {MessageAnswer::No};
    view.listingPath = ::testing::TempDir() + "no-such-folder/x/bexa.lis";
    EXPECT_EQ(RunListingDialog(view, *list, 16), "");
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[1].text, "can't open file");
    EXPECT_EQ(view.messages[1].caption, "Bexa");
    EXPECT_EQ(view.messages[1].icon, MessageIcon::Exclamation);
}

TEST_F(ListingDialogTest, ReplacesTheFileAtTheNameAndNeverWritesThroughALink) {
    const tvk::test::TempFolder temp;
    const std::string target = temp.file("bus.lis");
    const std::string other = temp.file("other.txt");
    std::string expected;
    AppendListing(view.tree, *list, 16, false, expected);
    // A hard link, a symbolic link (POSIX) and a plain old file longer than the listing.
    struct Case {
        const char* name;
        bool (*make)(const std::string& target, const std::string& other);
    } cases[] = {
        {"longer file",
         [](const std::string& t, const std::string&) {
             return tvk::test::WriteFile(t, std::string(200000, 'x'));
         }},
#ifndef _WIN32
        {"hard link", [](const std::string& t,
                         const std::string& o) { return link(o.c_str(), t.c_str()) == 0; }},
        {"symbolic link", [](const std::string& t,
                             const std::string& o) { return symlink(o.c_str(), t.c_str()) == 0; }},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(target);
        ASSERT_TRUE(tvk::test::WriteFile(other, "the other name's content\n"));
        ASSERT_TRUE(c.make(target, other));
        view.answers = {MessageAnswer::No};
        view.listingPath = target;
        EXPECT_EQ(RunListingDialog(view, *list, 16), target);
        EXPECT_EQ(ReadFile(target), expected);
        EXPECT_EQ(tvk::test::ReadFile(other), "the other name's content\n");
        EXPECT_FALSE(std::filesystem::is_symlink(target));
    }
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(temp.path())) {
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
        ++files;
    }
    EXPECT_EQ(files, 2u);
}

TEST_F(ListingDialogTest, AFolderOrAnInputInTheWaySaysCantOpenFile) {
    const tvk::test::TempFolder temp;
    const std::string folder = temp.file("folder.lis");
    const std::string input = temp.file("pcidevs.txt");
    std::filesystem::create_directory(folder);
    ASSERT_TRUE(tvk::test::WriteFile(input, "V 8086 Intel\n"));
    outfile::ProtectInput(input);
    std::vector<std::string> refused = {folder, input};
#ifndef _WIN32
    const std::string fifo = temp.file("fifo.lis");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    refused.push_back(fifo);
#endif
    for (const std::string& target : refused) {
        view.messages.clear();
        view.answers = {MessageAnswer::Yes};
        view.listingPath = target;
        EXPECT_EQ(RunListingDialog(view, *list, 16), "") << target;
        ASSERT_EQ(view.messages.size(), 2u) << target;
        EXPECT_EQ(view.messages[1].text, "can't open file");
        EXPECT_EQ(view.messages[1].caption, "Bexa");
        EXPECT_EQ(view.messages[1].icon, MessageIcon::Exclamation);
    }
    outfile::ClearProtectedInputs();
    EXPECT_EQ(tvk::test::ReadFile(input), "V 8086 Intel\n");
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

}  // namespace
}  // namespace bexa
