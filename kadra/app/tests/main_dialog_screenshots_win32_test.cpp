// Screenshots of Kadra's window for the documentation. Runs only when KADRA_SCREENSHOT_DIR
// names a folder (with a trailing slash) and KADRA_TEST_DRIVE a test drive
// (make_screenshots.sh sets both); writes one BMP per state and the log of a run there.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "kadra_dialog_harness_win32.h"
#include "product_profile.h"
#include "result_table.h"
#include "run_state.h"
#include "test_settings.h"

namespace kadra {
namespace {

using testing::DialogDriver;
using testing::RunDialog;
using testing::SaveWindowBitmap;

std::string shotFolder;
HWND shotWindow = nullptr;
int shotTicks = 0;

// A picture of the running test once the linear read has drawn for a while (on a fast disk
// the synchronous reads of small blocks are the ones that stay on the scale).
void CALLBACK ShootRunning(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!runState.testRunning || resultTable.writeLinear[5] == 0.0 || ++shotTicks < 8) return;
    KillTimer(nullptr, timer);
    SaveWindowBitmap(shotWindow, shotFolder + "kadra-run-in-progress.bmp");
}

class KadraScreenshots : public ::testing::Test {
  protected:
    void SetUp() override {
        char folder[MAX_PATH] = {};
        char drive[8] = {};
        if (!GetEnvironmentVariableA("KADRA_SCREENSHOT_DIR", folder, sizeof folder) ||
            !GetEnvironmentVariableA("KADRA_TEST_DRIVE", drive, sizeof drive)) {
            GTEST_SKIP() << "KADRA_SCREENSHOT_DIR or KADRA_TEST_DRIVE not set";
        }
        shotFolder = folder;
        letter = drive[0];
        runState = RunState{};
        testSettings = TestSettings{};
    }
    // KADRA.INI with the keys of `ini` first (the first of two same keys counts), then the
    // common ones.
    void Start(const std::string& ini) {
        const KText program = FromUtf8(shotFolder) + L"kadra.exe";
        const std::string iniPath = shotFolder + "KADRA.INI";
        FILE* out = std::fopen(iniPath.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        const std::string d(1, letter);
        const std::string text =
            "[INIT]\r\n" + ini + "Drive=" + d + "\r\nDrive2=" + d +
            "\r\nFileSize=16\r\nFileSize2=8\r\nQuick=1\r\nLogfile=0\r\nDynaMaxY=2050\r\n"
            "Description=RAID 0 of two disks\r\nFile=" +
            d + ":\\take.avi\r\nLogPath=" + shotFolder + "\r\n" +
            "[PRODUCT0]\r\nNAME=Studio SD\r\nVIDEO_READ_RATE=3.5\r\nVIDEO_WRITE_RATE=3.5\r\n"
            "[PRODUCT1]\r\nNAME=Studio HD\r\n";
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
        LoadProductProfiles(program);
    }
    std::string Shot(const char* name) { return shotFolder + name + ".bmp"; }
    char letter = 'T';
};

TEST_F(KadraScreenshots, FourPagesWithGraphOffAndOn) {
    const char* names[] = {"disk-test", "file-test", "data-test", "settings"};
    for (int graph = 0; graph < 2; ++graph) {
        Start(graph ? "Graph=1\r\n" : "Graph=0\r\n");
        RunDialog([&](DialogDriver& d) {
            for (int page = 1; page <= 4; ++page) {
                d.ShowPage(page);
                d.Pump(200);
                const std::string name =
                    std::string("kadra-") + names[page - 1] + (graph ? "-graph" : "");
                EXPECT_TRUE(SaveWindowBitmap(d.window(), Shot(name.c_str())));
            }
        });
    }
}

TEST_F(KadraScreenshots, DiskTestRunningWithItsLog) {
    Start("POWERUSER=1\r\nQLen=0\r\nFileSize=128\r\nGraph=1\r\nLogfile=1\r\n");
    RunDialog([&](DialogDriver& d) {
        shotWindow = d.window();
        shotTicks = 0;
        SetTimer(nullptr, 0, 40, ShootRunning);
        d.Click(17);
    });
}

TEST_F(KadraScreenshots, DiskTestFinishedWithUsageAndVerdict) {
    Start("Graph=1\r\n");
    RunDialog([&](DialogDriver& d) {
        d.Click(17);
        EXPECT_TRUE(SaveWindowBitmap(d.window(), Shot("kadra-run-finished")));
    });
}

TEST_F(KadraScreenshots, DataTestResult) {
    Start("Graph=0\r\n");
    RunDialog([&](DialogDriver& d) {
        d.ShowPage(3);
        d.Click(19);
        EXPECT_TRUE(SaveWindowBitmap(d.window(), Shot("kadra-data-test-result")));
    });
}

TEST_F(KadraScreenshots, LogfileErrorBox) {
    Start("Graph=0\r\nLogfile=1\r\nFileSize=4\r\nDescription=RAID 0: 2 disks?\r\n");
    testing::SaveNextBoxTo(Shot("kadra-logfile-error"));
    RunDialog([](DialogDriver& d) { d.Click(17); });
}

}  // namespace
}  // namespace kadra
