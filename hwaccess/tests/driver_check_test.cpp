// The driver check's four outcomes, through a fake system that records every message box.
#include <set>

#include "driver_check.h"
#include "test_support.h"

namespace tvk {
namespace {

using Box = DriverCheckSystem::Box;

class FakeSystem : public DriverCheckSystem {
  public:
    std::string WindowsDirectory() override { return "C:\\windows"; }
    std::string ProgramDirectory() override { return "D:\\tools\\bexa"; }
    bool FileExists(const std::string& path) override { return files.count(path) > 0; }
    bool CopyFileTo(const std::string& from, const std::string& to) override {
        copies.push_back(from + " -> " + to);
        if (!copyWorks || !files.count(from)) return false;
        files.insert(to);
        return true;
    }
    bool ShowMessage(const std::string& text, Box box) override {
        boxes.push_back({text, box});
        return box == Box::Question && answerYes;
    }

    std::set<std::string> files;
    bool answerYes = false;
    bool copyWorks = true;
    std::vector<std::string> copies;
    std::vector<std::pair<std::string, Box>> boxes;
};

const char kInstalled[] = "C:\\windows\\system32\\drivers\\Tvk.sys";
const char kShipped[] = "D:\\tools\\bexa\\Tvk.sys";
const char kQuestion[] = "\nOk to copy Tvk.sys to system32\\drivers ?\n";
const char kRestart[] = "\nplease restart Bexa\n";

TEST(DriverCheck, AlreadyInstalledAsksNothing) {
    FakeSystem system;
    system.files = {kInstalled, kShipped};
    EXPECT_EQ(RunDriverCheck(system), DriverCheckResult::Continue);
    EXPECT_TRUE(system.boxes.empty());
    EXPECT_TRUE(system.copies.empty());
}

TEST(DriverCheck, MissingSourceWarnsAndGoesOn) {
    FakeSystem system;
    EXPECT_EQ(RunDriverCheck(system), DriverCheckResult::Continue);
    const std::vector<std::pair<std::string, Box>> expected = {
        {"Warning\nCould not find Tvk.sys\n", Box::Notice}};
    EXPECT_EQ(system.boxes, expected);
    EXPECT_TRUE(system.copies.empty());
}

TEST(DriverCheck, NoLeavesEverythingAsItWas) {
    FakeSystem system;
    system.files = {kShipped};
    EXPECT_EQ(RunDriverCheck(system), DriverCheckResult::Continue);
    const std::vector<std::pair<std::string, Box>> expected = {{kQuestion, Box::Question}};
    EXPECT_EQ(system.boxes, expected);
    EXPECT_TRUE(system.copies.empty());
}

TEST(DriverCheck, YesCopiesAndClosesTheMainWindow) {
    for (bool copyWorks : {true, false}) {
        SCOPED_TRACE(copyWorks ? "copy works" : "copy fails");
        FakeSystem system;
        system.files = {kShipped};
        system.answerYes = true;
        system.copyWorks = copyWorks;
        EXPECT_EQ(RunDriverCheck(system), DriverCheckResult::CloseMainWindow);
        EXPECT_EQ(system.copies,
                  std::vector<std::string>{std::string(kShipped) + " -> " + kInstalled});
        std::vector<std::pair<std::string, Box>> expected = {{kQuestion, Box::Question}};
        if (!copyWorks)
            expected.push_back(
                {"Warning\nCould not copy Tvk.sys to system32\\drivers \n", Box::Notice});
        expected.push_back({kRestart, Box::Notice});
        EXPECT_EQ(system.boxes, expected);
        EXPECT_EQ(system.FileExists(kInstalled), copyWorks);
    }
}

}  // namespace
}  // namespace tvk
