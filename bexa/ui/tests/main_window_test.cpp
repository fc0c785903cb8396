// The main window's behaviour against the simulated machine, through a fake view.
#include "main_window.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>

#include "bexa_resource.h"
#include "embedded_machine.h"
#include "fake_main_window_view.h"
#include "id_database.h"
#include "output_file.h"
#include "service.h"
#include "temp_folder.h"

namespace bexa {
namespace {

using tvk::ConfigWrite;

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto machine = tvk::MakeEmbeddedMachine();
        sim = machine.get();
        tvk::InstallMachine(std::move(machine));
        view.window = &window;
        window.SetSleep([this](int ms) { sleeps.push_back(ms); });
        ASSERT_TRUE(window.Initialise());
        sim->SetLogging(true);
    }
    void TearDown() override { FreeIdFile(); }

    // The list entry at bus.device.function.
    PciDevice& Entry(int bus, int device, int function) {
        const PciDeviceList* list = window.List();
        for (int i = 0; i < list->Count(); ++i) {
            const PciDevice& e = list->Entry(i);
            if (e.bus == bus && e.Device() == device && e.Function() == function) {
                return const_cast<PciDevice&>(e);
            }
        }
        ADD_FAILURE() << "no entry " << bus << "." << device << "." << function;
        return const_cast<PciDevice&>(list->Entry(0));
    }
    void Select(int bus, int device, int function) {
        view.SelectTreeItem(Entry(bus, device, function).treeItem);
    }
    uint32_t ConfigDword(int bus, int device, int function, int reg) {
        const std::vector<uint8_t>* image = sim->ConfigImage(bus, device, function);
        const uint8_t* p = image->data() + reg * 4;
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }

    tvk::SimMachine* sim = nullptr;
    FakeMainWindowView view;
    MainWindow window{view};
    std::vector<int> sleeps;
};

TEST_F(MainWindowTest, StartsUpInOrderAndShowsTheFirstAddress) {
    EXPECT_EQ(view.steps, (std::vector<std::string>{"system menu", "driver check",
                                                    "prepare controls", "counter ranges"}));
    EXPECT_EQ(window.RegisterCount(), 16);
    EXPECT_TRUE(view.IsChecked(IDC_COUNT_16));
    EXPECT_EQ(view.Text(IDC_HIGHEST_BUS), "highest busnr: 128");
    EXPECT_EQ(window.SelectedLine(), -1);
    // The bus is simulated, and the caption says so; "host CPU" is the first line in view.
    EXPECT_EQ(view.windowCaption, "Bexa - simulated: embedded machine");
    EXPECT_EQ(view.firstInView, view.tree.FirstItem());
    EXPECT_TRUE(view.messages.empty());
    // 0.0.0 is shown from the root entry; the host bridge's tree item is selected.
    EXPECT_EQ(window.Current(), &Entry(0, 0, 0));
    EXPECT_EQ(view.selected, Entry(0, 0, 0).treeItem);
    EXPECT_EQ(view.Text(IDC_SHEET_TITLE), " 0.0.0");
    EXPECT_EQ(view.Text(IDC_VENDOR), "VID: x8086 " + std::string(VendorName(0x8086)));
    EXPECT_EQ(view.Text(IDC_DEVICE).substr(0, 11), "DID: x2580 ");
    EXPECT_EQ(view.Text(IDC_SUB_VENDOR).substr(0, 14), "SubVID: x8086 ");
    EXPECT_EQ(view.Text(IDC_SUB_ID).substr(0, 14), "SubID:  x2580 ");
    EXPECT_EQ(view.Text(IDC_REVISION), "rev.: x04");
    EXPECT_EQ(view.Text(IDC_INT_PIN), "no INT");
    EXPECT_EQ(view.Text(IDC_DUMP_TITLE), "Config Space Dump: (type 1 xs)");
    EXPECT_EQ(view.Text(IDC_BUS_SEL), "0");
    ASSERT_EQ(view.dump.size(), 16u);
    EXPECT_EQ(view.dump[0].substr(0, 16), " 2580 8086 <00 :");
    // Every function found has a tree item under "host CPU", expanded.
    EXPECT_EQ(view.tree.ItemText(view.tree.FirstItem()), "host CPU");
    EXPECT_EQ(view.tree.ItemCount(), size_t(window.List()->Count()) + 1);
}

#ifdef _WIN32
void SetMachineVariable(const char* value) {
    _putenv_s("TRAVIK_MACHINE", value);
    SetEnvironmentVariableA("TRAVIK_MACHINE", value);
}
#else
void SetMachineVariable(const char* value) {
    setenv("TRAVIK_MACHINE", value, 1);
}
#endif

TEST(MainWindowSourceTest, AMachineThatCannotBeUsedIsReportedBeforeTheScan) {
    SetMachineVariable("no-such-dump.txt");
    tvk::ResetMachineSelection();
    FakeMainWindowView view;
    MainWindow window(view);
    view.window = &window;
    ASSERT_TRUE(window.Initialise());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text.rfind("no machine to reach: ", 0), 0u) << view.messages[0].text;
    EXPECT_NE(view.messages[0].text.find("no-such-dump.txt"), std::string::npos);
    EXPECT_EQ(view.messages[0].caption, "Bexa");
    EXPECT_EQ(view.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_TRUE(view.messages[0].treeWasEmpty);
    // Then the window goes on: an empty bus, and no machine to name.
    EXPECT_EQ(view.Text(IDC_HIGHEST_BUS), "highest busnr:  0");
    EXPECT_EQ(view.windowCaption, "Bexa");
    FreeIdFile();
    SetMachineVariable("embedded");
    tvk::ResetMachineSelection();
}

TEST(MainWindowSourceTest, CaptionNamesADumpAndNothingForRealHardware) {
    struct Labelled : tvk::SimMachine {
        std::string label;
        std::string SourceLabel() const override { return label; }
    };
    for (const char* label : {"dump: box.txt", "Windows, read-only", ""}) {
        auto machine = std::make_unique<Labelled>();
        machine->label = label;
        tvk::InstallMachine(std::move(machine));
        FakeMainWindowView view;
        MainWindow window(view);
        view.window = &window;
        ASSERT_TRUE(window.Initialise());
        EXPECT_EQ(view.windowCaption, *label ? std::string("Bexa - ") + label : "Bexa");
        FreeIdFile();
    }
}

TEST(MainWindowSourceTest, MoreThan1024FunctionsAreToldOnceAfterTheScan) {
    // 35 top-level buses of 32 single-function devices: 1120 functions.
    auto machine = std::make_unique<tvk::SimMachine>();
    std::string error;
    for (int bus = 0; bus < 35; ++bus) {
        for (int device = 0; device < 32; ++device) {
            tvk::FunctionImage f;
            f.bus = uint8_t(bus);
            f.device = uint8_t(device);
            f.config.assign(256, 0);
            const uint8_t header[] = {0x34, 0x12, 0x78, 0x56};
            std::copy(std::begin(header), std::end(header), f.config.begin());
            ASSERT_TRUE(machine->AddFunction(f, error)) << error;
        }
    }
    tvk::InstallMachine(std::move(machine));
    FakeMainWindowView view;
    MainWindow window(view);
    view.window = &window;
    ASSERT_TRUE(window.Initialise());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "more than 1024 functions; 96 not listed");
    EXPECT_EQ(view.messages[0].caption, "Bexa");
    EXPECT_FALSE(view.messages[0].treeWasEmpty);
    EXPECT_EQ(window.List()->Count(), 1024);
    window.Rescan();
    EXPECT_EQ(view.messages.size(), 2u);  // once per scan
    FreeIdFile();
}

TEST_F(MainWindowTest, DriverCheckThatEndsTheStartUpClosesBeforeAnyScan) {
    FakeMainWindowView stopped;
    MainWindow second(stopped);
    stopped.window = &second;
    stopped.driverCheckPasses = false;
    EXPECT_FALSE(second.Initialise());
    EXPECT_EQ(stopped.steps, (std::vector<std::string>{"system menu", "driver check"}));
    EXPECT_EQ(stopped.closes, 1);
    EXPECT_EQ(second.List(), nullptr);
    EXPECT_EQ(stopped.tree.ItemCount(), 0u);
}

TEST_F(MainWindowTest, SelectingABridgeShowsItsBusNumbersAndInterrupt) {
    Select(0, 0x1e, 0);
    EXPECT_EQ(window.Current(), &Entry(0, 0x1e, 0));
    EXPECT_EQ(view.Text(IDC_SHEET_TITLE), " 0.30.0");
    EXPECT_EQ(view.Text(IDC_DEVICE_SEL), "30");
    EXPECT_EQ(view.Text(IDC_SUB_ID), " PPB: 0 -> 1 (4)");
    EXPECT_EQ(view.Text(IDC_SUB_VENDOR), "");
    EXPECT_EQ(view.Text(IDC_REVISION), "rev.: xD3");

    Select(2, 4, 0);  // interrupt line 5, pin 1
    EXPECT_EQ(view.Text(IDC_INT_PIN), "x5<-INTA#");
    EXPECT_EQ(view.Text(IDC_SHEET_TITLE), " 2.4.0");
    EXPECT_EQ(view.Text(IDC_SUB_VENDOR).substr(0, 14), "SubVID: x1131 ");
    EXPECT_EQ(window.BusSel(), 2);
    EXPECT_EQ(window.DevSel(), 4);
}

TEST_F(MainWindowTest, CountersWrapAndShowAnyAddress) {
    struct Step {
        AddressCounter counter;
        int delta;
        int bus, device, function;
    };
    const Step steps[] = {
        {AddressCounter::Bus, -1, 255, 0, 0},    {AddressCounter::Bus, 1, 0, 0, 0},
        {AddressCounter::Device, -1, 0, 31, 0},  {AddressCounter::Device, 1, 0, 0, 0},
        {AddressCounter::Function, -1, 0, 0, 7}, {AddressCounter::Function, 1, 0, 0, 0},
        {AddressCounter::Device, 29, 0, 29, 0},  {AddressCounter::Device, 3, 0, 0, 0},
    };
    for (const Step& s : steps) {
        window.StepCounter(s.counter, s.delta);
        EXPECT_EQ(window.BusSel(), s.bus);
        EXPECT_EQ(window.DevSel(), s.device);
        EXPECT_EQ(window.FuncSel(), s.function);
        EXPECT_EQ(view.Text(IDC_BUS_SEL), std::to_string(s.bus));
        EXPECT_EQ(view.Text(IDC_DEVICE_SEL), std::to_string(s.device));
        EXPECT_EQ(view.Text(IDC_FUNCTION_SEL), std::to_string(s.function));
    }
    // 0.5.0 holds no function: the all-ones fields are shown and no tree item is selected.
    window.StepCounter(AddressCounter::Device, 5);
    EXPECT_EQ(view.selected, kNoTreeItem);
    EXPECT_EQ(window.Current(), &window.List()->root);
    EXPECT_EQ(view.Text(IDC_SHEET_TITLE), " 0.5.0");
    EXPECT_EQ(view.Text(IDC_VENDOR), "VID: xFFFF no VID match");
    EXPECT_EQ(view.Text(IDC_DEVICE), "DID: xFFFF no device name found no device description found");
    EXPECT_EQ(view.dump[0].substr(0, 16), " FFFF FFFF <00 :");

    // 0.30.0 holds the bridge: its tree item is selected, the root entry is shown.
    window.StepCounter(AddressCounter::Device, 25);
    EXPECT_EQ(view.selected, Entry(0, 30, 0).treeItem);
    EXPECT_EQ(view.Text(IDC_SUB_ID), " PPB: 0 -> 1 (4)");
    EXPECT_EQ(window.List()->root.devfn, 30 * 8);
}

TEST(ParseHexValueTest, ReadsTheFormsTheEditAccepts) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"x1F", 0x1F},     {"1F", 0x1F},
        {"0x1F", 0x1F},    {"x0000001f", 0x1F},
        {"FFFFFFFF", ~0u}, {"xdeadBEEF", 0xDEADBEEF},
        {"  12", 0x12},    {"12zz", 0x12},
        {"zz", 0},         {"", 0},
        {"x", 0},          {"123456789", ~0u},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseHexValue(text), value) << text;
}

TEST_F(MainWindowTest, WriteConfRegWritesTheSelectedRegisterOnce) {
    Select(2, 4, 0);
    window.WriteConfReg();  // no line selected: nothing
    EXPECT_TRUE(sim->WriteLog().empty());
    EXPECT_EQ(view.Text(IDC_REGISTER_ECHO), "");

    window.DumpLineSelected(15);
    EXPECT_EQ(window.SelectedLine(), 15);
    EXPECT_EQ(view.Text(IDC_WRITE_VALUE), "x18040105");
    view.texts[IDC_WRITE_VALUE] = "0x1804010B";
    window.WriteConfReg();
    EXPECT_EQ(view.Text(IDC_REGISTER_ECHO), "x1804010B");
    EXPECT_EQ(sim->WriteLog(), (std::vector<ConfigWrite>{{2, 4, 0, 0x3C, 0x1804010B}}));
    // Without "refr after wr." neither the image nor the dump changes.
    EXPECT_EQ(window.Current()->image[15], 0x18040105u);
    EXPECT_EQ(view.dump[15].substr(0, 16), " 1804 0105 <3C :");

    view.checks[IDC_REFRESH_AFTER_WRITE] = true;
    window.RefreshAfterWriteClicked();
    view.texts[IDC_WRITE_VALUE] = "no number";
    window.WriteConfReg();
    EXPECT_EQ(sim->WriteLog().back(), (ConfigWrite{2, 4, 0, 0x3C, 0}));
    EXPECT_EQ(view.Text(IDC_REGISTER_ECHO), "x00000000");
    // Interrupt pin and the grant/latency bytes are read-only: only the line byte took the 0.
    EXPECT_EQ(window.Current()->image[15], 0x18040100u);
    EXPECT_EQ(view.dump[15].substr(0, 16), " 1804 0100 <3C :");
    EXPECT_EQ(view.dumpSelection, 15);
}

TEST_F(MainWindowTest, RegisterCountTakesEffectAtTheNextShow) {
    window.SetRegisterCount(64);
    EXPECT_EQ(view.dump.size(), 16u);
    window.RefreshDump();
    EXPECT_EQ(view.dump.size(), 64u);
    EXPECT_EQ(window.Current()->dwordsRead, 64);
    window.SetRegisterCount(16);
    sim->ResetCounters();
    window.RefreshDump();
    EXPECT_EQ(view.dump.size(), 16u);
    EXPECT_EQ(sim->ConfigReads(), 16u);  // registers 16-63 are not read
}

TEST_F(MainWindowTest, UseBiosIsRefusedOnTheNtFamilyOnly) {
    view.checks[IDC_USE_BIOS] = true;
    window.UseBiosClicked();
    EXPECT_FALSE(view.IsChecked(IDC_USE_BIOS));
    EXPECT_FALSE(window.UseBios());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "Win NT does not support user interrupts");
    EXPECT_EQ(view.messages[0].caption, "Bexa");
    EXPECT_EQ(view.messages[0].icon, MessageIcon::Exclamation);

    view.versionWord = 0xC0000A04;  // Windows 98: top bit set
    view.checks[IDC_USE_BIOS] = true;
    window.UseBiosClicked();
    EXPECT_TRUE(window.UseBios());
    EXPECT_EQ(window.List()->mode, AccessMode::Bios);
    EXPECT_EQ(view.messages.size(), 1u);
    window.RefreshDump();
    EXPECT_EQ(view.Text(IDC_DUMP_TITLE), "Config Space Dump: (type 0 xs)");
}

TEST_F(MainWindowTest, DoubleClickOutsideTheBarsSaysNoBarSelected) {
    const struct {
        int bus, device, function, line;
    } cases[] = {{2, 4, 0, 10}, {2, 4, 0, 3}, {0, 30, 0, 6}, {0, 30, 0, 9}};
    for (const auto& c : cases) {
        Select(c.bus, c.device, c.function);
        view.messages.clear();
        window.DumpLineDoubleClicked(c.line);
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_EQ(view.messages[0].text, "no BAR selected");
    }
    EXPECT_TRUE(view.barWindows.empty());
    EXPECT_TRUE(sim->WriteLog().empty());
}

TEST_F(MainWindowTest, BarProbeReadsWritesOnesReadsAndRestores) {
    Select(0, 0x1b, 0);  // BAR 0: 16 KB memory at FEBF8000
    view.answers = {MessageAnswer::Yes};
    window.DumpLineDoubleClicked(4);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text,
              "\nAre you ready to perform\n BAR read-write(0xffffffff)-read-restore ?\n\nIf not: "
              "a BARrange of 1MByte is assumed\n");
    EXPECT_EQ(view.messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(view.messages[0].buttons, MessageButtons::YesNoCancel);
    EXPECT_EQ(sim->WriteLog(), (std::vector<ConfigWrite>{{0, 0x1b, 0, 0x10, 0xFFFFFFFF},
                                                         {0, 0x1b, 0, 0x10, 0xFEBF8004}}));
    EXPECT_EQ(ConfigDword(0, 0x1b, 0, 4), 0xFEBF8004u);
    EXPECT_EQ(view.barWindows,
              (std::vector<std::pair<uint32_t, uint32_t>>{{0xFEBF8004, 0xFFFFC004}}));
}

TEST_F(MainWindowTest, BarProbeAnsweredNoAssumesOneMegabyteWithoutWriting) {
    Select(0, 0x1b, 0);
    view.answers = {MessageAnswer::No};
    window.DumpLineDoubleClicked(4);
    EXPECT_TRUE(sim->WriteLog().empty());
    EXPECT_EQ(view.barWindows,
              (std::vector<std::pair<uint32_t, uint32_t>>{{0xFEBF8004, 0xFFF00000}}));

    view.answers = {MessageAnswer::Cancel};
    window.DumpLineDoubleClicked(4);
    EXPECT_TRUE(sim->WriteLog().empty());
    EXPECT_EQ(view.barWindows.size(), 1u);
}

TEST_F(MainWindowTest, UpperHalfOfA64BitBarIsRefusedWithoutAnyWrite) {
    // 00:1b.0's BAR 0 (register 4, FEBF8004) is 64-bit memory: register 5 is its upper half.
    // Probing it would write FFFFFFFF there and open an I/O window on port 0.
    Select(0, 0x1b, 0);
    for (MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
        view.messages.clear();
        view.answers = {answer};
        window.DumpLineDoubleClicked(5);
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_EQ(view.messages[0].text,
                  "\nregister 5 holds the upper 32 bits of the 64-bit memory BAR\nin register 4: "
                  "probe register 4 instead\n");
        EXPECT_EQ(view.messages[0].caption, "Bexa");
        EXPECT_EQ(view.messages[0].icon, MessageIcon::Exclamation);
        view.answers.clear();
    }
    EXPECT_TRUE(view.barWindows.empty());
    EXPECT_TRUE(sim->WriteLog().empty());
}

TEST(MainWindowProbeTest, UpperHalvesFollowTheBarsFromTheFirst) {
    // BAR 0 64-bit (registers 4-5, the upper half holding 0x4 that looks like a 32-bit BAR),
    // BAR 2 32-bit memory, BAR 3 64-bit (registers 7-8): 5 and 8 are upper halves, 6 and 9 not.
    auto machine = std::make_unique<tvk::SimMachine>();
    tvk::FunctionImage f;
    f.config.assign(256, 0);
    const uint8_t header[] = {0x34, 0x12, 0x78, 0x56, 0x06, 0, 0, 0, 0, 0, 0x80, 0x04};
    std::copy(std::begin(header), std::end(header), f.config.begin());
    const uint32_t bars[6] = {0xE000000C, 0x00000004, 0xE1000000, 0xE2000004, 0, 0xE3000000};
    for (int i = 0; i < 6; ++i)
        for (int b = 0; b < 4; ++b)
            f.config[size_t(0x10 + 4 * i + b)] = uint8_t(bars[i] >> (8 * b));
    f.barSize = {1 << 20, 0, 1 << 20, 1 << 20, 0, 1 << 20, 0};
    std::string error;
    ASSERT_TRUE(machine->AddFunction(f, error)) << error;
    tvk::InstallMachine(std::move(machine));

    FakeMainWindowView view;
    MainWindow window(view);
    view.window = &window;
    ASSERT_TRUE(window.Initialise());
    for (int line : {5, 8}) {
        view.messages.clear();
        window.DumpLineDoubleClicked(line);
        ASSERT_EQ(view.messages.size(), 1u) << line;
        EXPECT_NE(view.messages[0].text.find("upper 32 bits"), std::string::npos) << line;
    }
    for (int line : {6, 9}) {
        view.messages.clear();
        view.answers = {MessageAnswer::Cancel};
        window.DumpLineDoubleClicked(line);
        ASSERT_EQ(view.messages.size(), 1u) << line;
        EXPECT_EQ(view.messages[0].icon, MessageIcon::Question) << line;
    }
    EXPECT_TRUE(view.barWindows.empty());
    FreeIdFile();
}

TEST_F(MainWindowTest, BarWithoutAddressBitsIsNotImplemented) {
    // 00:1b.0 has no BAR 2 (BAR 0 and 1 are one 64-bit BAR): it reads 0 before and after the
    // ones are written.
    Select(0, 0x1b, 0);
    view.answers = {MessageAnswer::Yes};
    window.DumpLineDoubleClicked(6);
    EXPECT_EQ(view.messages.back().text, "selected BAR is not implemented");
    EXPECT_TRUE(view.barWindows.empty());
    EXPECT_EQ(sim->WriteLog(),
              (std::vector<ConfigWrite>{{0, 0x1b, 0, 0x18, 0xFFFFFFFF}, {0, 0x1b, 0, 0x18, 0}}));
}

TEST(MainWindowProbeTest, ProbeWithOnlyTypeBitsOpensNoWindow) {
    // A function whose unimplemented BARs hold only type bits (64-bit prefetchable memory, I/O):
    // the size probe reads those bits back and describes no region.
    auto machine = std::make_unique<tvk::SimMachine>();
    tvk::FunctionImage f;
    f.config.assign(256, 0);
    const uint8_t header[] = {0x34, 0x12, 0x78, 0x56, 0x06, 0, 0, 0, 0, 0, 0x80, 0x04};
    std::copy(std::begin(header), std::end(header), f.config.begin());
    f.config[0x10] = 0x0C;  // BAR 0: type bits of 64-bit prefetchable memory only
    f.config[0x18] = 0x01;  // BAR 2: the I/O type bit only
    std::string error;
    ASSERT_TRUE(machine->AddFunction(f, error)) << error;
    tvk::InstallMachine(std::move(machine));

    FakeMainWindowView view;
    MainWindow window(view);
    view.window = &window;
    ASSERT_TRUE(window.Initialise());
    for (int line : {4, 6}) {
        view.answers = {MessageAnswer::Yes};
        window.DumpLineDoubleClicked(line);
        EXPECT_EQ(view.messages.back().text, "selected BAR is not implemented") << line;
    }
    EXPECT_TRUE(view.barWindows.empty());
    FreeIdFile();
}

TEST_F(MainWindowTest, ResetBridgeRefusesAnythingButAPciToPciBridge) {
    window.ResetBridge();  // the host bridge's item is selected
    Select(1, 8, 0);       // a CardBus bridge does not count
    window.ResetBridge();
    ASSERT_EQ(view.messages.size(), 2u);
    for (const ShownMessage& m : view.messages) {
        EXPECT_EQ(m.text, "\nplease select a PCI to PCI bridge\n to perform a reset\n");
        EXPECT_EQ(m.caption, "reset");
    }
    view.selected = kNoTreeItem;  // nothing selected: nothing happens
    window.ResetBridge();
    EXPECT_EQ(view.messages.size(), 2u);
    EXPECT_TRUE(sim->WriteLog().empty());
}

TEST_F(MainWindowTest, ResetBridgeListsTheAffectedDevicesAndStopsOnCancel) {
    Select(0, 30, 0);
    view.answers = {MessageAnswer::Cancel};
    window.ResetBridge();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].caption, "reset");
    EXPECT_EQ(view.messages[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(view.messages[0].text,
              "\ndo you really want to\n reset the bridge's \nsecondary PCIbus ??\n"
              "\nthe following devices are going to be reset:\n"
              "   (1.0.0) 6152.10B5\n   (2.4.0) 7134.1131\n   (1.5.0) 8800.14F1\n"
              "   (1.5.1) 8801.14F1\n   (1.8.0) AC55.104C\n   (1.8.1) AC55.104C\n");
    view.answers = {MessageAnswer::Ok, MessageAnswer::Cancel};
    window.ResetBridge();
    EXPECT_EQ(view.messages.back().text,
              "\ndo you want to reread the current content\nof those PCI devices?\n");
    EXPECT_EQ(view.messages.back().buttons, MessageButtons::YesNoCancel);
    EXPECT_TRUE(sim->WriteLog().empty());
    EXPECT_TRUE(sleeps.empty());
}

TEST_F(MainWindowTest, ResetBridgePulsesTheResetAndRestoresEveryDeviceBehindIt) {
    // A setting made after the scan: rereading keeps it across the reset.
    WriteConfigDword(AccessMode::Ports, 2, 4, 0, 15, 0x0000000A);
    sim->ClearLog();
    Select(0, 30, 0);
    view.answers = {MessageAnswer::Ok, MessageAnswer::Yes};
    window.ResetBridge();
    EXPECT_EQ(view.messages.back().text, "\nrestore done\n");
    EXPECT_EQ(view.messages.back().caption, "reset");
    EXPECT_EQ(sleeps, (std::vector<int>{600, 100}));

    const std::vector<ConfigWrite>& log = sim->WriteLog();
    ASSERT_GE(log.size(), 2u);
    const uint32_t control = ConfigDword(0, 30, 0, 15);
    EXPECT_EQ(log[0], (ConfigWrite{0, 30, 0, 0x3C, control | 0x00400000}));
    EXPECT_EQ(log[1], (ConfigWrite{0, 30, 0, 0x3C, control & ~0x00400000u}));
    // Then 16 dwords of each of the six functions, in list order, and after the PLX bridge the
    // master-abort clear at the reset bridge's address.
    std::vector<std::tuple<int, int, int>> restored;
    int abortClears = 0;
    for (size_t i = 2; i < log.size(); ++i) {
        if (log[i].offset == 0 && (log[i].bus != 0 || log[i].device != 30)) {
            restored.emplace_back(log[i].bus, log[i].device, log[i].function);
        }
        if (log[i].bus == 0 && log[i].device == 30 && log[i].offset == 0x1C) {
            EXPECT_NE(log[i].value & 0x20000000u, 0u);
            ++abortClears;
        }
    }
    EXPECT_EQ(restored, (std::vector<std::tuple<int, int, int>>{
                            {1, 0, 0}, {2, 4, 0}, {1, 5, 0}, {1, 5, 1}, {1, 8, 0}, {1, 8, 1}}));
    EXPECT_EQ(abortClears, 1);
    EXPECT_EQ(log.size(), 2u + 6 * 16 + 1);
    EXPECT_EQ(ConfigDword(2, 4, 0, 15) & 0xFF, 0x0Au);
    EXPECT_EQ(ConfigDword(1, 0, 0, 6), Entry(1, 0, 0).image[6]);  // bus numbers restored
}

TEST_F(MainWindowTest, ResetBridgeWithoutRereadRestoresTheScannedImages) {
    WriteConfigDword(AccessMode::Ports, 2, 4, 0, 15, 0x0000000A);
    Select(0, 30, 0);
    view.answers = {MessageAnswer::Ok, MessageAnswer::No};
    window.ResetBridge();
    EXPECT_EQ(ConfigDword(2, 4, 0, 15) & 0xFF, 0x05u);
}

TEST_F(MainWindowTest, ExpandAndCollapseEveryEntry) {
    const TreeItem bridge = Entry(0, 30, 0).treeItem;
    window.CollapseAll();
    EXPECT_FALSE(view.tree.IsExpanded(bridge));
    EXPECT_TRUE(view.tree.IsExpanded(view.tree.FirstItem()));  // "host CPU" is no entry
    window.ExpandAll();
    EXPECT_TRUE(view.tree.IsExpanded(bridge));
}

TEST_F(MainWindowTest, RescanBuildsANewListAndKeepsTheCounters) {
    window.StepCounter(AddressCounter::Bus, 2);
    window.StepCounter(AddressCounter::Device, 4);
    const size_t items = view.tree.ItemCount();
    window.Rescan();
    EXPECT_EQ(view.tree.ItemCount(), items);
    EXPECT_EQ(view.selected, Entry(2, 4, 0).treeItem);
    EXPECT_EQ(view.Text(IDC_SHEET_TITLE), " 2.4.0");
    EXPECT_EQ(window.SelectedLine(), -1);
}

TEST_F(MainWindowTest, ButtonsOpenTheOtherWindowsWithTheList) {
    window.ShowMemoryMap();
    window.ShowInterruptRouting();
    window.About();
    EXPECT_EQ(view.memoryMaps, (std::vector<const PciDeviceList*>{window.List()}));
    EXPECT_EQ(view.interruptRoutings, (std::vector<const PciDeviceList*>{window.List()}));
    EXPECT_EQ(view.aboutWindows, 1);
}

TEST_F(MainWindowTest, TheListingDoesNotReplaceThePcidevsTxtItRead) {
    const tvk::test::TempFolder temp;
    const std::filesystem::path start = std::filesystem::current_path();
    std::filesystem::current_path(temp.path());
    ASSERT_TRUE(tvk::test::WriteFile("pcidevs.txt", "V 8086 Chipmaker From The File\n"));
    FakeMainWindowView second;
    MainWindow other{second};
    second.window = &other;
    ASSERT_TRUE(other.Initialise());
    ASSERT_STREQ(VendorName(0x8086), "Chipmaker From The File");
    second.messages.clear();
    second.answers = {MessageAnswer::No};
    second.listingPath = temp.file("pcidevs.txt");  // as the save dialog gives it: a full path
    other.WriteToFile();
    const std::string after = tvk::test::ReadFile("pcidevs.txt");
    std::filesystem::current_path(start);
    EXPECT_EQ(after, "V 8086 Chipmaker From The File\n");
    ASSERT_EQ(second.messages.size(), 2u);
    EXPECT_EQ(second.messages[1].text, "can't open file");
    outfile::ClearProtectedInputs();
}

TEST_F(MainWindowTest, ClosingFreesTheIdFileAndTheList) {
    const std::string path = ::testing::TempDir() + "bexa_close_pcidevs.txt";
    std::FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("# a list\nV 8086\tChipmaker From The File\n", f);
    std::fclose(f);
    LoadIdFile(path.c_str());
    ASSERT_STREQ(VendorName(0x8086), "Chipmaker From The File");
    window.Close();
    EXPECT_EQ(view.closes, 1);
    EXPECT_EQ(window.List(), nullptr);
    EXPECT_STRNE(VendorName(0x8086), "Chipmaker From The File");
    std::remove(path.c_str());
}

}  // namespace
}  // namespace bexa
