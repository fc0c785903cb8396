#include "ini_search.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kadra::testing {
namespace {

namespace fs = std::filesystem;

TEST(IniSearchTest, OrderIsProgramUserSystem) {
    struct Case {
        IniSearchPlaces places;
        std::vector<std::string> order;
    };
    const std::vector<Case> cases = {
        {{"/opt/k/", "/x/cfg", "/home/u", "/etc"},
         {"/opt/k/KADRA.INI", "/x/cfg/kadra/KADRA.INI", "/etc/kadra/KADRA.INI"}},
        // Without XDG_CONFIG_HOME, or with a relative one, the user's folder is ~/.config.
        {{"/usr/bin", "", "/home/u", "/etc"},
         {"/usr/bin/KADRA.INI", "/home/u/.config/kadra/KADRA.INI", "/etc/kadra/KADRA.INI"}},
        {{"/usr/bin", "cfg", "/home/u/", "/etc"},
         {"/usr/bin/KADRA.INI", "/home/u/.config/kadra/KADRA.INI", "/etc/kadra/KADRA.INI"}},
        // Neither variable: no user folder.
        {{"/usr/bin", "", "", "/usr/local/etc"},
         {"/usr/bin/KADRA.INI", "/usr/local/etc/kadra/KADRA.INI"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IniSearchOrder(c.places), c.order) << c.places.programFolder;
    }
}

class IniSearchFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("kadra-ini-search-" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        for (const char* folder : {"bin", "config/kadra", "etc/kadra"}) {
            fs::create_directories(root / folder);
        }
        places = {(root / "bin").string(), (root / "config").string(), "/nonexistent-home",
                  (root / "etc").string()};
    }
    void TearDown() override { fs::remove_all(root); }
    void Touch(const std::string& relative) { std::ofstream(root / relative) << "[INIT]\n"; }
    std::string Path(const std::string& relative) { return (root / relative).string(); }

    fs::path root;
    IniSearchPlaces places;
};

TEST_F(IniSearchFilesTest, TakesTheFirstThatExists) {
    EXPECT_EQ(FindKadraIni(places), Path("bin/KADRA.INI")) << "none: beside the program";
    Touch("etc/kadra/KADRA.INI");
    EXPECT_EQ(FindKadraIni(places), Path("etc/kadra/KADRA.INI"));
    Touch("config/kadra/KADRA.INI");
    EXPECT_EQ(FindKadraIni(places), Path("config/kadra/KADRA.INI"));
    Touch("bin/KADRA.INI");
    EXPECT_EQ(FindKadraIni(places), Path("bin/KADRA.INI"));
}

TEST_F(IniSearchFilesTest, AFolderNamedLikeTheFileIsSkipped) {
    fs::create_directories(root / "config/kadra/KADRA.INI");
    Touch("etc/kadra/KADRA.INI");
    EXPECT_EQ(FindKadraIni(places), Path("etc/kadra/KADRA.INI"));
}

}  // namespace
}  // namespace kadra::testing
