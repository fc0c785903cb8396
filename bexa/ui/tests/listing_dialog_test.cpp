// "write to file" against the simulated machine: the question, the save dialog, the file.
#include "listing_dialog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "device_list.h"
#include "embedded_machine.h"
#include "fake_main_window_view.h"
#include "listing.h"
#include "memory_tree.h"
#include "service.h"

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

}  // namespace
}  // namespace bexa
