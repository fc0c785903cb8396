// The real main dialog under the dialog library, in-process: initialisation from KADRA.INI,
// the controls' handling, saving on close, and full small runs on a test drive (a drive letter
// that the test's Wine prefix maps to a temporary folder, named by KADRA_TEST_DRIVE).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "kadra_dialog_harness_win32.h"
#include "product_profile.h"
#include "result_table.h"
#include "results_text.h"
#include "run_state.h"
#include "test_settings.h"

namespace kadra {
namespace {

using testing::DialogDriver;
using testing::RunDialog;
using testing::SeenBox;

KText TempFolder(const wchar_t* name) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    KText folder = KText(base) + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void WriteTextFile(const KText& path, const std::string& text) {
    FILE* out = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
}

std::string ReadTextFile(const KText& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

bool FileExists(const KText& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

size_t Count(const KText& text, const KText& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != KText::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

class MainDialogWin32Test : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = TempFolder(L"kadra-dialog");
        DeleteFileW((folder + L"KADRA.INI").c_str());
        runState = RunState{};
        testSettings = TestSettings{};
    }
    void TearDown() override { DeleteFileW((folder + L"KADRA.INI").c_str()); }

    // KADRA.INI with the text (none when empty), then the profiles as the program loads them.
    void Start(const std::string& ini) {
        if (!ini.empty()) WriteTextFile(folder + L"KADRA.INI", ini);
        LoadProductProfiles(folder + L"kadra.exe");
    }
    KText Ini(const wchar_t* key) {
        wchar_t value[300] = {};
        GetPrivateProfileStringW(L"INIT", key, L"<missing>", value, 300,
                                 (folder + L"KADRA.INI").c_str());
        return value;
    }

    KText folder;
};

TEST_F(MainDialogWin32Test, WithoutIniStartsWithTheDefaultsAndSavesThemOnClose) {
    Start("");
    RunDialog([](DialogDriver& d) {
        EXPECT_EQ(d.Text(1), L"R");
        EXPECT_EQ(d.Text(2), L"100");
        EXPECT_EQ(d.Text(4), L"R");
        EXPECT_EQ(d.Text(5), L"500");
        EXPECT_EQ(d.Text(7), L"10");
        EXPECT_EQ(d.Text(6), L"0");
        EXPECT_EQ(d.Text(20), L"unknown");
        EXPECT_TRUE(d.Checked(10));
        EXPECT_TRUE(d.Checked(9));
        EXPECT_TRUE(d.Checked(21));
        EXPECT_FALSE(d.Checked(8));
        EXPECT_EQ(testSettings.dynaMaxY, 1050);
        const RECT r = d.WindowRect();
        EXPECT_EQ(r.right - r.left, 410);
        EXPECT_EQ(r.bottom - r.top, 494);
        HWND list = d.Item(13);
        EXPECT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 1);
        EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 0);
        wchar_t name[64] = {};
        SendMessageW(list, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(name));
        EXPECT_STREQ(name, L"none");
        // Not a power user: the physical address, the queue length and the caching switch
        // are hidden, also on their own page.
        d.ShowPage(4);
        EXPECT_TRUE(d.Visible(13));
        for (int item : {6, 7, 0x8009, 0x800A, 10})
            EXPECT_FALSE(d.Visible(item)) << item;
        EXPECT_TRUE(d.Visible(14));
    });
    EXPECT_EQ(Ini(L"Drive"), L"R");
    EXPECT_EQ(Ini(L"Drive2"), L"R");
    EXPECT_EQ(Ini(L"FileSize"), L"100");
    EXPECT_EQ(Ini(L"FileSize2"), L"500");
    EXPECT_EQ(Ini(L"QLen"), L"10");
    EXPECT_EQ(Ini(L"Phys"), L"0");
    EXPECT_EQ(Ini(L"Description"), L"unknown");
    EXPECT_EQ(Ini(L"Product"), L"0");
    EXPECT_EQ(Ini(L"Unbuffered"), L"1");
    EXPECT_EQ(Ini(L"Quick"), L"1");
    EXPECT_EQ(Ini(L"Logfile"), L"1");
    EXPECT_EQ(Ini(L"Graph"), L"0");
    int top = 0, left = 0, bottom = 0, right = 0;
    ASSERT_EQ(swscanf(Ini(L"WND").c_str(), L"%d %d %d %d", &top, &left, &bottom, &right), 4);
    EXPECT_EQ(right - left, 410);
    EXPECT_EQ(bottom - top, 494);
}

TEST_F(MainDialogWin32Test, IniValuesRestoreFieldsPositionAndWideWindow) {
    Start(
        "[INIT]\r\nPRODUCT=7\r\nGraph=1\r\nWND=120 200 130 210\r\nDrive=t\r\nFileSize=8\r\n"
        "POWERUSER=0\r\nPhys=1000\r\nQLen=3\r\nUnbuffered=0\r\n"
        "[PRODUCT0]\r\nNAME=Studio A\r\n[PRODUCT3]\r\nNAME=Studio B\r\n");
    RunDialog([](DialogDriver& d) {
        const RECT r = d.WindowRect();
        // The saved position with the size the graph switch gives.
        EXPECT_EQ(r.left, 200);
        EXPECT_EQ(r.top, 120);
        EXPECT_EQ(r.right - r.left, 867);
        EXPECT_EQ(r.bottom - r.top, 494);
        EXPECT_TRUE(d.Checked(8));
        EXPECT_EQ(testSettings.graphEnabled, 1);
        // "PRODUCT" past the two profiles selects the first.
        EXPECT_EQ(SendMessageW(d.Item(13), CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(SendMessageW(d.Item(13), CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(testSettings.productIndex, 0);
        EXPECT_EQ(d.Text(1), L"t");
        // The product list's selection goes to the settings.
        d.SelectProduct(1);
        EXPECT_EQ(testSettings.productIndex, 1);
    });
    EXPECT_EQ(Ini(L"Product"), L"1");
    // Not a power user: what was hidden is saved as the defaults.
    EXPECT_EQ(Ini(L"Phys"), L"0");
    EXPECT_EQ(Ini(L"QLen"), L"10");
    EXPECT_EQ(Ini(L"Unbuffered"), L"1");
    EXPECT_EQ(Ini(L"Graph"), L"1");
    EXPECT_EQ(Ini(L"FileSize"), L"8");
}

TEST_F(MainDialogWin32Test, PositionOutsideEveryMonitorOpensTheWindowOnScreen) {
    Start("[INIT]\r\nWND=-30000 -30000 -29500 -29600\r\n");
    RunDialog([](DialogDriver& d) {
        RECT r = d.WindowRect();
        EXPECT_NE(MonitorFromRect(&r, MONITOR_DEFAULTTONULL), nullptr);
    });
}

TEST_F(MainDialogWin32Test, ResolutionButtonsStepByHundredDownTo150AndSaveAtOnce) {
    Start("[INIT]\r\nDynaMaxY=350\r\nGraph=1\r\n");
    KText folderIni = folder + L"KADRA.INI";
    std::vector<KText> saved;
    RunDialog([&](DialogDriver& d) {
        for (int press = 0; press < 3; ++press) {
            d.Click(12);
            wchar_t value[40] = {};
            GetPrivateProfileStringW(L"INIT", L"DynaMaxY", L"", value, 40, folderIni.c_str());
            saved.push_back(value);
        }
        d.Click(11);
        EXPECT_EQ(testSettings.dynaMaxY, 250);
    });
    EXPECT_EQ(saved, (std::vector<KText>{L"250", L"150", L"150"}));
    EXPECT_EQ(Ini(L"DynaMaxY"), L"250");
}

TEST_F(MainDialogWin32Test, PowerUserSeesAndKeepsTheExpertFields) {
    Start("[INIT]\r\nPOWERUSER=1\r\nPhys=0\r\nQLen=3\r\nUnbuffered=0\r\n");
    RunDialog([](DialogDriver& d) {
        d.ShowPage(4);
        for (int item : {6, 7, 0x8009, 0x800A, 10})
            EXPECT_TRUE(d.Visible(item)) << item;
        EXPECT_FALSE(d.Checked(10));
        d.Click(10);
        EXPECT_EQ(testSettings.unbuffered, 1);
        d.SetText(7, L"12");
    });
    EXPECT_EQ(Ini(L"QLen"), L"12");
    EXPECT_EQ(Ini(L"Unbuffered"), L"1");
}

TEST_F(MainDialogWin32Test, DroppedFileBecomesTheFileName) {
    Start("");
    RunDialog([](DialogDriver& d) {
        d.DropFile(L"C:\\media\\take 1.avi");
        EXPECT_EQ(d.Text(3), L"C:\\media\\take 1.avi");
    });
    EXPECT_EQ(Ini(L"File"), L"C:\\media\\take 1.avi");
}

TEST_F(MainDialogWin32Test, BadInputTellsWhatIsWrongAndRunsNothing) {
    Start("[INIT]\r\nFileSize=4\r\n");
    RunDialog([](DialogDriver& d) {
        d.SetText(1, L"7");
        d.Click(17);
        EXPECT_NE(d.Text(14).find(L"Drive"), KText::npos) << d.Text(14);
        EXPECT_EQ(runState.testRunning, 0);
        d.SetText(1, L"T");
        d.SetText(2, L"lots");
        d.Click(17);
        EXPECT_NE(d.Text(14).find(L"Size"), KText::npos) << d.Text(14);
        // The start key does what the disk test's button does.
        d.SetText(2, L"4");
        d.SetText(1, L"?");
        d.SendCode(506);
        EXPECT_NE(d.Text(14).find(L"Drive must be a letter: ?"), KText::npos) << d.Text(14);
    });
}

// Full runs on the test drive.
class TestDriveRun : public MainDialogWin32Test {
  protected:
    void SetUp() override {
        MainDialogWin32Test::SetUp();
        char letter[8] = {};
        if (!GetEnvironmentVariableA("KADRA_TEST_DRIVE", letter, sizeof letter))
            GTEST_SKIP() << "KADRA_TEST_DRIVE names no test drive (run through ctest)";
        drive = static_cast<wchar_t>(letter[0]);
        root = KText{drive, L':', L'\\'};
        ASSERT_NE(GetFileAttributesW(root.c_str()), INVALID_FILE_ATTRIBUTES)
            << "no drive " << letter;
    }
    // Settings for a small run: 4 MB, the quick block sizes, graph and log on. The keys of
    // `extra` come first, so they win over the same keys after them.
    std::string RunIni(const std::string& extra = "") {
        std::string d(1, static_cast<char>(drive));
        return "[INIT]\r\n" + extra + "Drive=" + d + "\r\nDrive2=" + d +
               "\r\nFileSize=4\r\nFileSize2=4\r\nQuick=1\r\nGraph=1\r\nLogfile=1\r\n"
               "Description=small array\r\nLogPath=" +
               ToUtf8(folder) + "\r\n";
    }
    KText LogPath(const KText& title) { return folder + L"kadra " + title + L".rtf"; }

    wchar_t drive = L'T';
    KText root;
};

TEST_F(TestDriveRun, DiskTestWithGraphAndLogMeasuresEveryPassAndWritesTheLog) {
    // A power user's synchronous passes: the statistics line shows after every block size.
    Start(RunIni("POWERUSER=1\r\nQLen=0\r\n"));
    DeleteFileW(LogPath(L"small array").c_str());
    KText results;
    KText curveText;
    RunDialog([&](DialogDriver& d) {
        d.Click(17);
        results = d.Text(14);
        curveText = d.Text(16);
        EXPECT_EQ(runState.testRunning, 0);
        EXPECT_EQ(runState.busy, 0);
    });
    EXPECT_NE(results.find(L"Disk: small array\r\n4 MB file from/to main memory\r\n"
                           L"synchronous access\r\n"),
              KText::npos)
        << results;
    // The "none" profile's quick block sizes: 16, 256 and 1024 kB, each with three values.
    for (int k : {0, 4, 6}) {
        EXPECT_GT(resultTable.readLinear[k], 0.0) << k;
        EXPECT_GT(resultTable.readRandom[k], 0.0) << k;
        EXPECT_GT(resultTable.writeLinear[k], 0.0) << k;
    }
    EXPECT_EQ(resultTable.writeLinear[1], 0.0);
    EXPECT_EQ(curveText.rfind(L"1024 kB: min=", 0), 0u) << curveText;
    EXPECT_FALSE(FileExists(root + L"KADRA.TMP"));
    const std::string rtf = ReadTextFile(LogPath(L"small array"));
    ASSERT_FALSE(rtf.empty());
    EXPECT_NE(rtf.find("small array"), std::string::npos);
    EXPECT_EQ(Count(rtf, "kB block, write linear synchronous:"), 3u);
    EXPECT_EQ(Count(rtf, "kB block, read linear synchronous:"), 3u);
    EXPECT_EQ(Count(rtf, "kB block, read random synchronous:"), 3u);
    EXPECT_NE(rtf.find("SUMMARY"), std::string::npos);
    // One picture per block size of every pass and the summary picture.
    EXPECT_EQ(Count(rtf, "\\pict"), 10u);
}

TEST_F(TestDriveRun, FileTestReadsTheUsersFileAndLeavesIt) {
    Start(RunIni("Graph=0\r\nLogfile=0\r\n"));
    const KText file = root + L"take.avi";
    WriteTextFile(file, std::string(5 * 1048576, 'x'));
    RunDialog([&](DialogDriver& d) {
        d.SetText(3, file);
        d.Click(18);
    });
    // 5 MiB is tested as 4 MiB; no write pass.
    EXPECT_NE(ResultsText().find(L"Disk: take.avi\r\n4 MB file"), KText::npos) << ResultsText();
    EXPECT_GT(resultTable.readLinear[0], 0.0);
    EXPECT_EQ(resultTable.writeLinear[0], 0.0);
    EXPECT_TRUE(FileExists(file));
    DeleteFileW(file.c_str());
}

TEST_F(TestDriveRun, DataTestFindsNoErrorsAndRemovesItsFiles) {
    Start(RunIni());
    RunDialog([](DialogDriver& d) { d.Click(19); });
    EXPECT_EQ(ResultsText(), L"\r\nNo data errors found.");
    EXPECT_FALSE(FileExists(root + L"verify1.TMP"));
    EXPECT_FALSE(FileExists(root + L"verify2.TMP"));
}

// Sends the stop code once the run's write pass dispatches messages.
HWND stopWindow = nullptr;
void CALLBACK StopWhenRunning(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!runState.testRunning) return;
    KillTimer(nullptr, timer);
    SendMessageW(stopWindow, XDM_CONTROL, 507, 0);
}

TEST_F(TestDriveRun, StopDuringTheWritePassSkipsTheReadsAndStillCleansUp) {
    Start(RunIni("Quick=0\r\nGraph=0\r\nFileSize=64\r\n"));
    DeleteFileW(LogPath(L"small array").c_str());
    RunDialog([&](DialogDriver& d) {
        stopWindow = d.window();
        SetTimer(nullptr, 0, 1, StopWhenRunning);
        d.Click(17);
    });
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(resultTable.readLinear[k], 0.0) << k;
        EXPECT_EQ(resultTable.readRandom[k], 0.0) << k;
    }
    EXPECT_FALSE(FileExists(root + L"KADRA.TMP"));
    const std::string rtf = ReadTextFile(LogPath(L"small array"));
    EXPECT_NE(rtf.find("SUMMARY"), std::string::npos);
}

TEST_F(TestDriveRun, TooLittleFreeSpaceRunsNoPass) {
    Start(RunIni());
    RunDialog([](DialogDriver& d) {
        d.SetText(2, L"2000000000");
        d.Click(17);
    });
    const KText drivePart = KText(L" MB free on drive ") + drive + L": !";
    EXPECT_EQ(ResultsText().rfind(L"only ", 0), 0u) << ResultsText();
    EXPECT_NE(ResultsText().find(drivePart), KText::npos) << ResultsText();
    EXPECT_FALSE(FileExists(root + L"KADRA.TMP"));
}

TEST_F(TestDriveRun, TitleThatNoFileMayHoldGivesTheLogfileErrorAndTheRunGoesOn) {
    Start(RunIni("Graph=0\r\nDescription=a?b*c\r\n"));
    const std::vector<SeenBox> boxes = RunDialog([](DialogDriver& d) { d.Click(17); });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Logfile Error");
    EXPECT_NE(boxes[0].text.find(L"Could not create logfile:"), KText::npos) << boxes[0].text;
    EXPECT_GT(resultTable.writeLinear[0], 0.0);
    EXPECT_EQ(Count(ResultsText(), L"Disk: a?b*c"), 1u);
}

}  // namespace
}  // namespace kadra
