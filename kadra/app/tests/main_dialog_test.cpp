#include "main_dialog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <utility>

#include "data_test.h"
#include "engine_fixture.h"
#include "fake_main_dialog_view.h"
#include "graph.h"
#include "ini_file.h"
#include "product_profile.h"
#include "recording_graph_canvas.h"
#include "recording_test_log.h"
#include "run_state.h"
#include "test_log.h"
#include "test_settings.h"

namespace kadra::testing {
namespace {

constexpr uint64_t kMiB = 1048576;

// The dialog on a fake view, with a real KADRA.INI in a scratch folder and the fake file system
// of the engine tests under the runs.
class MainDialogTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        testSettings.tempFileName.clear();
        testSettings.programFolder = scratch.path().wstring() + kPathSeparator;
        testSettings.iniPath = testSettings.programFolder + L"KADRA.INI";
        ReadProductProfiles(testSettings.iniPath);
    }

    // KADRA.INI with the given text; its profiles are loaded as the program entry does.
    void WriteIni(const std::string& text) {
        scratch.Write("KADRA.INI", text);
        ReadProductProfiles(testSettings.iniPath);
    }

    void Open() { dialog.OnControlsCreated(); }

    KText Saved(const wchar_t* key) const {
        return ReadIniString(L"INIT", key, L"(missing)", testSettings.iniPath);
    }

    // Presses a check box: the control changes its state, then tells the dialog.
    ControlReply Toggle(int item) {
        view.checks[item] = !view.IsChecked(item);
        return dialog.OnControl(item);
    }

    ScratchFolder scratch;
    FakeMainDialogView view;
    MainDialog dialog{view};
};

TEST_F(MainDialogTest, WithoutIniFileEverySettingHasItsDefault) {
    view.ntPlatform = false;
    Open();
    EXPECT_TRUE(view.acceptsDrops);
    EXPECT_TRUE(view.outputConnected);
    EXPECT_EQ(view.texts[kItemDrive], L"R");
    EXPECT_EQ(view.texts[kItemDrive2], L"R");
    EXPECT_EQ(view.texts[kItemFileName], L"");
    EXPECT_EQ(view.texts[kItemSize], L"100");
    EXPECT_EQ(view.texts[kItemSize2], L"500");
    EXPECT_EQ(view.texts[kItemQLen], L"10");
    EXPECT_EQ(view.texts[kItemPhys], L"0");
    EXPECT_EQ(view.texts[kItemDescription], L"unknown");
    EXPECT_TRUE(view.IsChecked(kItemUnBuffered));
    EXPECT_TRUE(view.IsChecked(kItemQuick));
    EXPECT_TRUE(view.IsChecked(kItemLogfile));
    EXPECT_FALSE(view.IsChecked(kItemCurveChk));
    EXPECT_EQ(testSettings.unbuffered, 1);
    EXPECT_EQ(testSettings.quick, 1);
    EXPECT_EQ(testSettings.logfile, 1);
    EXPECT_EQ(testSettings.graphEnabled, 0);
    EXPECT_EQ(testSettings.notify, 0);
    EXPECT_EQ(testSettings.showTimes, 0);
    EXPECT_EQ(testSettings.powerUser, 0u);
    EXPECT_EQ(testSettings.dynaMaxY, 1050);
    EXPECT_EQ(testSettings.logPath, L"");
    EXPECT_EQ(testSettings.tempFileName, L"KADRA.TMP");
    EXPECT_EQ(testSettings.osFamily, kOsFamily95);
    // The narrow window where the library put it.
    EXPECT_EQ(view.Width(), 410);
    EXPECT_EQ(view.Height(), 494);
    EXPECT_EQ(view.window.left, 100);
    EXPECT_EQ(view.window.top, 80);
    // The one built-in profile, selected.
    EXPECT_EQ(view.productNames, (std::vector<KText>{L"none"}));
    EXPECT_EQ(view.productSelection, 0);
    EXPECT_EQ(testSettings.productIndex, 0);
    EXPECT_EQ(testSettings.selectedBlockSizes[kVideoReadBlock], 16384u);
    EXPECT_EQ(testSettings.selectedBlockSizes[kVideoWriteBlock], 262144u);
    // Opening reads only: the file appears when the window closes.
    EXPECT_FALSE(std::filesystem::exists(scratch.path() / "KADRA.INI"));
}

TEST_F(MainDialogTest, SavedProductIndexOutsideTheListSelectsTheFirst) {
    struct Case {
        const char* value;
        int index;
    };
    for (const Case& c :
         {Case{"1", 1}, Case{"2", 0}, Case{"3", 0}, Case{"-1", 0}, Case{"many", 0}, Case{"", 0}}) {
        SCOPED_TRACE(c.value);
        WriteIni(std::string("[INIT]\nPRODUCT=") + c.value +
                 "\n[PRODUCT0]\nNAME=Small\nVIDEO_READ_BLOCKSIZE=128\n"
                 "[PRODUCT2]\nNAME=Big\nVIDEO_READ_BLOCKSIZE=1024\n");
        Open();
        EXPECT_EQ(view.productNames, (std::vector<KText>{L"Small", L"Big"}));
        EXPECT_EQ(testSettings.productIndex, c.index);
        EXPECT_EQ(view.productSelection, c.index);
        EXPECT_EQ(testSettings.selectedBlockSizes[kVideoReadBlock],
                  c.index == 1 ? 1048576u : 131072u);
    }
}

TEST_F(MainDialogTest, ProductListSelectionChoosesTheProfileAndIsSaved) {
    WriteIni(
        "[PRODUCT0]\nNAME=Small\nAUDIO_WRITE_BLOCKSIZE=16\n"
        "[PRODUCT1]\nNAME=Big\nAUDIO_WRITE_BLOCKSIZE=256\n");
    Open();
    dialog.OnProductSelected(1);
    EXPECT_EQ(testSettings.productIndex, 1);
    EXPECT_EQ(testSettings.selectedBlockSizes[kAudioWriteBlock], 262144u);
    // No selection (the list's error value) and positions past the list change nothing.
    dialog.OnProductSelected(-1);
    dialog.OnProductSelected(2);
    EXPECT_EQ(testSettings.productIndex, 1);
    dialog.OnDestroy();
    EXPECT_EQ(Saved(L"PRODUCT"), L"1");
}

TEST_F(MainDialogTest, ResolutionStepsByHundredDownToAFloorOf150AndIsWrittenAtOnce) {
    RecordingGraphCanvas canvas;
    host.graphCanvas = &canvas;
    InstallHost(host);
    WriteIni("[INIT]\nDynaMaxY=420\nGraph=1\nSHOWTIMES=1\n");
    Open();
    ASSERT_EQ(testSettings.graphEnabled, 1);
    struct Step {
        int item;
        int32_t after;
    };
    for (const Step& s :
         {Step{kItemResMinus, 320}, Step{kItemResMinus, 220}, Step{kItemResMinus, 150},
          Step{kItemResMinus, 150}, Step{kItemResPlus, 250}, Step{kItemResPlus, 350}}) {
        canvas.calls.clear();
        EXPECT_EQ(dialog.OnControl(s.item), ControlReply::Default);
        EXPECT_EQ(testSettings.dynaMaxY, s.after);
        EXPECT_EQ(Saved(L"DynaMaxY"), std::to_wstring(s.after));
        // A fresh scale of 10 points, no clock time, the drawing context given back.
        EXPECT_EQ(graphState.fullScale, static_cast<uint32_t>(s.after));
        EXPECT_EQ(graphState.pointCount, 10u);
        EXPECT_FALSE(graphState.drawing);
        ASSERT_FALSE(canvas.calls.empty());
        EXPECT_EQ(canvas.calls.front().op, RecordingGraphCanvas::Op::Begin);
        EXPECT_EQ(canvas.calls.back().op, RecordingGraphCanvas::Op::End);
        EXPECT_TRUE(canvas.Calls(RecordingGraphCanvas::Op::Text).size() > 0);
        for (const auto& call : canvas.Calls(RecordingGraphCanvas::Op::Colour))
            EXPECT_NE(call.value, kGraphGreen) << "no start time";
    }
}

TEST_F(MainDialogTest, SavedFullScaleBelowTheFloorOrNotANumber) {
    for (auto [value, expected] : {std::pair{"40", 150}, std::pair{"-900", 150},
                                   std::pair{"wide", 1050}, std::pair{"2000", 2000}}) {
        SCOPED_TRACE(value);
        WriteIni(std::string("[INIT]\nDynaMaxY=") + value + "\n");
        Open();
        EXPECT_EQ(testSettings.dynaMaxY, expected);
    }
}

TEST_F(MainDialogTest, ExpertControlsAreHiddenAndForcedUnlessPowerUser) {
    const std::string settings = "Phys=D0000\nQLen=20\nUnbuffered=0\n";
    const std::set<int> expertItems{kItemPhys, kItemQLen, kItemPhysText, kItemQLenText,
                                    kItemUnBuffered};
    struct Case {
        const char* powerUser;
        std::set<int> hidden;
        const wchar_t* phys;
        const wchar_t* queue;
        const wchar_t* unbuffered;
    };
    for (const Case& c :
         {Case{"0", expertItems, L"0", L"10", L"1"}, Case{"1", {}, L"D0000", L"20", L"0"}}) {
        SCOPED_TRACE(c.powerUser);
        WriteIni(std::string("[INIT]\nPOWERUSER=") + c.powerUser + "\n" + settings);
        FakeMainDialogView fresh;
        MainDialog shown(fresh);
        shown.OnControlsCreated();
        EXPECT_EQ(fresh.hidden, c.hidden);
        EXPECT_EQ(fresh.texts[kItemPhys], c.phys);
        EXPECT_EQ(fresh.texts[kItemQLen], c.queue);
        EXPECT_EQ(testSettings.unbuffered, c.unbuffered == KText(L"1") ? 1 : 0);
        shown.OnDestroy();
        EXPECT_EQ(Saved(L"Phys"), c.phys);
        EXPECT_EQ(Saved(L"QLen"), c.queue);
        EXPECT_EQ(Saved(L"Unbuffered"), c.unbuffered);
        EXPECT_EQ(Saved(L"POWERUSER"), FromAscii(c.powerUser)) << "not written";
    }
}

TEST_F(MainDialogTest, SavedWindowPositionComesBackOnlyWhenSoundAndVisible) {
    struct Case {
        const char* wnd;
        bool moved;
    };
    for (const Case& c :
         {Case{"50 60 700 900", true}, Case{" -20  -30 1 1 ", true}, Case{"50 60 700", false},
          Case{"50 60 700 900 5", false}, Case{"a b c d", false}, Case{"50,60,700,900", false},
          Case{"-5000 -5000 -4000 -4000", false}, Case{"50 3000 700 3900", false},
          Case{"50 2147483600 700 2147483647", false}, Case{"", false}}) {
        SCOPED_TRACE(c.wnd);
        WriteIni(std::string("[INIT]\nGraph=1\nWND=") + c.wnd + "\n");
        FakeMainDialogView fresh;
        MainDialog shown(fresh);
        shown.OnControlsCreated();
        // The size is always the graph switch's.
        EXPECT_EQ(fresh.Width(), 867);
        EXPECT_EQ(fresh.Height(), 494);
        if (c.moved) {
            WindowRect saved;
            std::sscanf(c.wnd, "%d %d %d %d", &saved.top, &saved.left, &saved.bottom, &saved.right);
            EXPECT_EQ(fresh.window.left, saved.left);
            EXPECT_EQ(fresh.window.top, saved.top);
        } else {
            EXPECT_EQ(fresh.window.left, 100);
            EXPECT_EQ(fresh.window.top, 80);
        }
    }
}

TEST_F(MainDialogTest, SecondMonitorPositionIsKept) {
    view.monitors.push_back({1920, 0, 3840, 1200});
    WriteIni("[INIT]\nWND=100 2500 594 2910\n");
    Open();
    EXPECT_EQ(view.window.left, 2500);
    EXPECT_EQ(view.window.top, 100);
    EXPECT_EQ(view.Width(), 410);
}

TEST_F(MainDialogTest, DroppedFileReplacesTheFileName) {
    Open();
    view.texts[kItemFileName] = L"old.dat";
    dialog.OnDropFiles(L"D:\\clips\\take one.avi");
    EXPECT_EQ(view.texts[kItemFileName], L"D:\\clips\\take one.avi");
    dialog.OnDropFiles(KText(400, L'x'));
    EXPECT_EQ(view.texts[kItemFileName], KText(259, L'x'));
    dialog.OnDropFiles(L"");
    EXPECT_EQ(view.texts[kItemFileName], KText(259, L'x')) << "nothing dropped, nothing lost";
}

TEST_F(MainDialogTest, SwitchesFollowTheirCheckBoxes) {
    RecordingGraphCanvas canvas;
    host.graphCanvas = &canvas;
    InstallHost(host);
    Open();
    view.MoveWindowTo(300, 200);
    EXPECT_EQ(Toggle(kItemCurveChk), ControlReply::Default);
    EXPECT_EQ(testSettings.graphEnabled, 1);
    EXPECT_EQ(view.Width(), 867);
    EXPECT_EQ(view.Height(), 494);
    EXPECT_EQ(view.window.left, 300);
    EXPECT_EQ(view.window.top, 200);
    Toggle(kItemCurveChk);
    EXPECT_EQ(testSettings.graphEnabled, 0);
    EXPECT_EQ(view.Width(), 410);

    for (auto [item, flag] : {std::pair{kItemQuick, &testSettings.quick},
                              std::pair{kItemUnBuffered, &testSettings.unbuffered},
                              std::pair{kItemLogfile, &testSettings.logfile}}) {
        EXPECT_EQ(Toggle(item), ControlReply::Default);
        EXPECT_EQ(*flag, 0) << item;
        Toggle(item);
        EXPECT_EQ(*flag, 1) << item;
    }
    EXPECT_EQ(dialog.OnControl(kItemDrive), ControlReply::Default);
    EXPECT_EQ(dialog.OnIconRequest(), 102);
}

TEST_F(MainDialogTest, ClosingWritesTheSettingsBackAndTheyComeBack) {
    WriteIni(
        "[INIT]\nPOWERUSER=1\nNOTIFY=1\nLogPath=logs\n"
        "[PRODUCT0]\nNAME=Small\n[PRODUCT1]\nNAME=Big\n");
    Open();
    EXPECT_EQ(testSettings.logPath, KText(L"logs") + kPathSeparator);
    view.texts[kItemDrive] = L"s" + KText(30, L'!');
    view.texts[kItemDrive2] = L"T";
    view.texts[kItemFileName] = L"C:\\media\\clip.avi";
    view.texts[kItemPhys] = L"d0000000";
    view.texts[kItemDescription] = L"RAID 5, eight disks";
    view.texts[kItemSize] = L"7 MB";
    view.texts[kItemSize2] = L"lots";
    view.texts[kItemQLen] = L"25";
    Toggle(kItemQuick);
    Toggle(kItemUnBuffered);
    Toggle(kItemCurveChk);
    dialog.OnProductSelected(1);
    view.MoveWindowTo(40, 30);
    dialog.OnDestroy();

    EXPECT_EQ(Saved(L"WND"), L"30 40 524 907");
    EXPECT_EQ(Saved(L"Product"), L"1");
    EXPECT_EQ(Saved(L"Drive"), L"s" + KText(18, L'!'));
    EXPECT_EQ(Saved(L"Drive2"), L"T");
    EXPECT_EQ(Saved(L"File"), L"C:\\media\\clip.avi");
    EXPECT_EQ(Saved(L"Phys"), L"d0000000");
    EXPECT_EQ(Saved(L"Description"), L"RAID 5, eight disks");
    EXPECT_EQ(Saved(L"LogPath"), KText(L"logs") + kPathSeparator);
    EXPECT_EQ(Saved(L"FileSize"), L"7");
    EXPECT_EQ(Saved(L"FileSize2"), L"500") << "no number: the default";
    EXPECT_EQ(Saved(L"QLen"), L"25");
    EXPECT_EQ(Saved(L"Unbuffered"), L"0");
    EXPECT_EQ(Saved(L"Quick"), L"0");
    EXPECT_EQ(Saved(L"Logfile"), L"1");
    EXPECT_EQ(Saved(L"Graph"), L"1");
    EXPECT_EQ(Saved(L"NOTIFY"), L"1");
    EXPECT_EQ(Saved(L"DynaMaxY"), L"(missing)") << "written only by the resolution buttons";
    EXPECT_EQ(Saved(L"TempFile"), L"(missing)");

    // The next start shows what was saved.
    testSettings = TestSettings{};
    testSettings.iniPath = scratch.File("KADRA.INI");
    FakeMainDialogView next;
    MainDialog reopened(next);
    reopened.OnControlsCreated();
    EXPECT_EQ(next.texts[kItemDrive2], L"T");
    EXPECT_EQ(next.texts[kItemSize], L"7");
    EXPECT_EQ(next.texts[kItemQLen], L"25");
    EXPECT_EQ(next.texts[kItemDescription], L"RAID 5, eight disks");
    EXPECT_FALSE(next.IsChecked(kItemQuick));
    EXPECT_EQ(testSettings.graphEnabled, 1);
    EXPECT_EQ(testSettings.productIndex, 1);
    EXPECT_EQ(next.window.left, 40);
    EXPECT_EQ(next.window.top, 30);
    EXPECT_EQ(next.Width(), 867);
}

TEST_F(MainDialogTest, UnreadableWindowRectangleLeavesTheSavedPosition) {
    WriteIni("[INIT]\nWND=1 2 3 4\n");
    Open();
    view.windowReadable = false;
    dialog.OnDestroy();
    EXPECT_EQ(Saved(L"WND"), L"1 2 3 4");
    EXPECT_EQ(Saved(L"Drive"), L"R");
}

TEST_F(MainDialogTest, JunkSettingsGiveTheDefaultOrTheNearestSoundValue) {
    WriteIni(
        "[INIT]\nPOWERUSER=1\nDrive=5\nDrive2=\nFileSize=-20\nFileSize2=big\nQLen=100\n"
        "Phys=zz\nTempFile=\nUnbuffered=yes\nQuick=on\nLogfile=2\nGraph=maybe\n");
    Open();
    EXPECT_EQ(view.texts[kItemDrive], L"R");
    EXPECT_EQ(view.texts[kItemDrive2], L"R");
    EXPECT_EQ(view.texts[kItemSize], L"100");
    EXPECT_EQ(view.texts[kItemSize2], L"500");
    EXPECT_EQ(view.texts[kItemQLen], L"39");
    EXPECT_EQ(view.texts[kItemPhys], L"0");
    EXPECT_EQ(testSettings.tempFileName, L"KADRA.TMP");
    EXPECT_EQ(testSettings.unbuffered, 1);
    EXPECT_EQ(testSettings.quick, 1);
    EXPECT_EQ(testSettings.logfile, 1);
    EXPECT_TRUE(view.IsChecked(kItemLogfile));
    EXPECT_EQ(testSettings.graphEnabled, 0);

    WriteIni("[INIT]\nPOWERUSER=1\nQLen=-3\n");
    Open();
    EXPECT_EQ(view.texts[kItemQLen], L"10");
}

// Start commands on the fake file system: one product with 512 and 64 KiB blocks.
class MainDialogRunTest : public MainDialogTest {
  protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        WriteIni(
            "[INIT]\nPOWERUSER=1\nQLen=0\nFileSize=5\nFileSize2=4\nDescription=array\n"
            "[PRODUCT0]\nNAME=Test product\n");
        Open();
        host.testLog = &log;
        InstallHost(host);
    }

    // Runs `action` once, at the first transfer of the given direction.
    void AtFirstTransfer(bool write, std::function<void()> action) {
        files.onTransfer = [this, write, action, done = false](FakeTransfer& t) mutable {
            if (t.write == write && !done) {
                done = true;
                action();
            }
        };
    }

    RecordingTestLog log;
};

TEST_F(MainDialogRunTest, StartCommandsRunTheTestOfTheirPage) {
    for (int command : {int{kItemMess}, kStartKeyCode}) {
        files.opens.clear();
        files.deleted.clear();
        EXPECT_EQ(dialog.OnControl(command), ControlReply::Handled);
        ASSERT_EQ(files.opens.size(), 3u) << command;
        EXPECT_EQ(files.opens[0].path, L"R:\\KADRA.TMP");
        EXPECT_EQ(runState.sizeMB, 4) << "5 MB become 4";
        EXPECT_EQ(runState.title, L"array");
        EXPECT_EQ(files.deleted, (std::vector<KText>{L"R:\\KADRA.TMP"}));
    }
    EXPECT_EQ(log.closeCount, 2);

    view.texts[kItemFileName] = L"movie.avi";
    MakeFile(L"movie.avi", 3 * kMiB);
    files.opens.clear();
    EXPECT_EQ(dialog.OnControl(kItemFileTest), ControlReply::Handled);
    ASSERT_EQ(files.opens.size(), 2u);
    EXPECT_FALSE(files.opens[0].mode.write);
    EXPECT_EQ(runState.sizeMB, 2);
    EXPECT_EQ(runState.title, L"movie.avi");
    EXPECT_TRUE(files.files.count(L"movie.avi")) << "the user's file stays";

    view.texts[kItemDrive2] = L"t";
    files.opens.clear();
    EXPECT_EQ(dialog.OnControl(kItemRely), ControlReply::Handled);
    ASSERT_FALSE(files.opens.empty());
    EXPECT_EQ(files.opens[0].path, L"T:\\verify1.TMP");
}

TEST_F(MainDialogRunTest, BadInputIsToldInTheOutputBoxAndNothingRuns) {
    struct Case {
        int command;
        int item;
        const wchar_t* text;
        const wchar_t* line;
    };
    const Case cases[] = {
        {kItemMess, kItemDrive, L"7", L"Drive must be a letter: 7\r\n"},
        {kItemMess, kItemDrive, L"", L"Drive must be a letter: \r\n"},
        {kItemMess, kItemSize, L"big", L"Size must be a number of MB: big\r\n"},
        {kItemMess, kItemQLen, L"deep", L"Queue length must be a number: deep\r\n"},
        {kItemFileTest, kItemQLen, L"", L"Queue length must be a number: \r\n"},
        {kItemFileTest, kItemFileName, L"missing.avi",
         L"File not found or too small (min. 4 MB)\r\n"},
        {kItemRely, kItemDrive2, L"?", L"Drive must be a letter: ?\r\n"},
        {kItemRely, kItemSize2, L"x5", L"Size must be a number of MB: x5\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.line));
        const KText before = view.texts[c.item];
        view.texts[c.item] = c.text;
        EXPECT_EQ(dialog.OnControl(c.command), ControlReply::Handled);
        EXPECT_EQ(ResultsText(), c.line);
        EXPECT_TRUE(files.opens.empty());
        EXPECT_EQ(runState.busy, 0);
        view.texts[c.item] = before;
    }
}

TEST_F(MainDialogRunTest, StartDuringARunIsRefusedAndStopEndsIt) {
    std::vector<ControlReply> replies;
    AtFirstTransfer(true, [&] {
        for (int command : {int{kItemMess}, kStartKeyCode, int{kItemFileTest}, int{kItemRely}})
            replies.push_back(dialog.OnControl(command));
        EXPECT_TRUE(dialog.OnSetCursor());
        replies.push_back(dialog.OnControl(kStopKeyCode));
    });
    EXPECT_EQ(dialog.OnControl(kItemMess), ControlReply::Handled);
    EXPECT_EQ(replies, std::vector<ControlReply>(5, ControlReply::Handled));
    EXPECT_EQ(files.opens.size(), 1u) << "no second run; the stop skipped the read passes";
    EXPECT_EQ(files.deleted, (std::vector<KText>{L"R:\\KADRA.TMP"}));
    EXPECT_EQ(view.waitCursors, 1);
    EXPECT_EQ(view.closeRequests, 0);
    EXPECT_FALSE(dialog.OnSetCursor());
    // Outside a run the stop key is the library's.
    EXPECT_EQ(dialog.OnControl(kStopKeyCode), ControlReply::Default);
}

TEST_F(MainDialogRunTest, StopKeyDuringADataTestIsTheLibrarys) {
    ControlReply reply = ControlReply::Handled;
    AtFirstTransfer(true, [&] { reply = dialog.OnControl(kStopKeyCode); });
    dialog.OnControl(kItemRely);
    EXPECT_EQ(reply, ControlReply::Default);
    EXPECT_EQ(runState.abortRequested, 0);
}

TEST_F(MainDialogRunTest, ClosingDuringARunStopsItCleansUpAndThenCloses) {
    testSettings.logfile = 1;
    bool allowed = true;
    AtFirstTransfer(true, [&] {
        allowed = dialog.OnCloseRequest();
        EXPECT_EQ(view.closeRequests, 0) << "not while the run is on the stack";
    });
    dialog.OnControl(kItemMess);
    EXPECT_FALSE(allowed);
    EXPECT_EQ(files.opens.size(), 1u) << "read passes skipped";
    EXPECT_EQ(files.deleted, (std::vector<KText>{L"R:\\KADRA.TMP"}));
    EXPECT_EQ(log.closeCount, 1);
    EXPECT_EQ(runState.testRunning, 0);
    EXPECT_EQ(runState.busy, 0);
    EXPECT_EQ(view.closeRequests, 1);
    EXPECT_FALSE(dialog.ClosePending());
    // The close asked for again goes through, and the settings are saved.
    EXPECT_TRUE(dialog.OnCloseRequest());
    dialog.OnDestroy();
    EXPECT_EQ(Saved(L"Description"), L"array");
}

TEST_F(MainDialogRunTest, ClosingDuringADataTestClosesWhenItEnds) {
    bool allowed = true;
    AtFirstTransfer(true, [&] { allowed = dialog.OnCloseRequest(); });
    dialog.OnControl(kItemRely);
    EXPECT_FALSE(allowed);
    EXPECT_EQ(runState.busy, 0);
    EXPECT_FALSE(files.files.count(L"R:\\verify1.TMP"));
    EXPECT_FALSE(files.files.count(L"R:\\verify2.TMP"));
    EXPECT_EQ(view.closeRequests, 1);
}

TEST_F(MainDialogRunTest, DestroyedDuringARunSavesStopsAndAsksForNoClose) {
    AtFirstTransfer(true, [&] { dialog.OnDestroy(); });
    dialog.OnControl(kItemMess);
    EXPECT_EQ(Saved(L"FileSize"), L"5");
    EXPECT_EQ(files.opens.size(), 1u);
    EXPECT_EQ(files.deleted, (std::vector<KText>{L"R:\\KADRA.TMP"}));
    EXPECT_EQ(view.closeRequests, 0);
}

}  // namespace
}  // namespace kadra::testing
