#include "main_dialog.h"

#include <cwctype>
#include <limits>
#include <vector>

#include "graph.h"
#include "ini_file.h"
#include "product_profile.h"
#include "run_control.h"
#include "run_state.h"
#include "test_settings.h"

namespace kadra {

namespace {

constexpr wchar_t kInit[] = L"INIT";
// Capacity of the short texts of [INIT] (drive letters, sizes, the window position).
constexpr std::size_t kShortText = 40;
// Characters of a short edit field that are read or saved.
constexpr std::size_t kShortField = 19;

constexpr wchar_t kDefaultDrive[] = L"R";
constexpr int32_t kDefaultFileSize = 100;
constexpr int32_t kDefaultFileSize2 = 500;
constexpr int32_t kDefaultQueueLength = 10;
constexpr int32_t kQueueLengthLimit = 39;
constexpr int32_t kDefaultDynaMaxY = 1050;

KText InitText(const wchar_t* key, const KText& defaultValue, std::size_t capacity) {
    return ReadIniString(kInit, key, defaultValue, testSettings.iniPath, capacity);
}

// Whether a text starts with a number (after blanks and a sign) as the integer reader takes it.
bool StartsWithNumber(const KText& text) {
    std::size_t i = 0;
    while (i < text.size() && std::iswspace(text[i]))
        ++i;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ++i;
    return i < text.size() && text[i] >= L'0' && text[i] <= L'9';
}

// An integer key; a value that is not a number gives the default.
int32_t InitInt(const wchar_t* key, int32_t defaultValue) {
    if (!StartsWithNumber(InitText(key, L"", kTextCapacity))) return defaultValue;
    return ReadIniInt(kInit, key, defaultValue, testSettings.iniPath);
}

// A check box state kept as 0 or 1.
int InitFlag(const wchar_t* key, int defaultValue) {
    return InitInt(key, defaultValue) != 0 ? 1 : 0;
}

void WriteInitText(const wchar_t* key, const KText& value) {
    WriteIniString(kInit, key, value, testSettings.iniPath);
}

void WriteInitInt(const wchar_t* key, int32_t value) {
    WriteIniInt(kInit, key, value, testSettings.iniPath);
}

// A count in an edit field (a size in MB, a queue length): the decimal number it starts with;
// a field without a number, or with a negative one, counts as the default.
int32_t FieldCount(const KText& text, int32_t defaultValue) {
    int64_t value = 0;
    if (!ReadDecimalNumber(text, &value) || value < 0) return defaultValue;
    return static_cast<int32_t>(value);
}

// The text of a size key; one that does not hold a count gives the default.
KText SizeText(const wchar_t* key, int32_t defaultValue) {
    const KText fallback = std::to_wstring(defaultValue);
    const KText text = InitText(key, fallback, kShortText);
    int64_t value = 0;
    if (!ReadDecimalNumber(text, &value) || value < 0) return fallback;
    return text;
}

// The text of a drive key; one that does not start with a letter gives the default.
KText DriveText(const wchar_t* key) {
    const KText text = InitText(key, kDefaultDrive, kShortText);
    uint32_t drive = 0;
    return ReadDriveNumber(text, &drive) ? text : KText(kDefaultDrive);
}

// "WND": top, left, bottom and right edge, four integers and nothing else.
bool ParseWindowPosition(const KText& text, WindowRect* rect) {
    int32_t values[4] = {};
    std::size_t i = 0;
    for (int32_t& value : values) {
        while (i < text.size() && std::iswspace(text[i]))
            ++i;
        std::size_t end = i;
        if (end < text.size() && (text[end] == L'+' || text[end] == L'-')) ++end;
        while (end < text.size() && text[end] >= L'0' && text[end] <= L'9')
            ++end;
        int64_t number = 0;
        if (end == i || !ReadDecimalNumber(text.substr(i, end - i), &number)) return false;
        value = static_cast<int32_t>(number);
        i = end;
    }
    while (i < text.size() && std::iswspace(text[i]))
        ++i;
    if (i != text.size()) return false;
    rect->top = values[0];
    rect->left = values[1];
    rect->bottom = values[2];
    rect->right = values[3];
    return true;
}

}  // namespace

MainDialog::MainDialog(MainDialogView& view) : view_(view) {}

void MainDialog::OnControlsCreated() {
    view_.AcceptDroppedFiles();
    view_.SetWindowSize(kNarrowWindowWidth, kWindowHeight);

    testSettings.powerUser = static_cast<uint32_t>(InitInt(L"POWERUSER", 0));
    testSettings.notify = InitInt(L"NOTIFY", 0);
    testSettings.showTimes = InitInt(L"SHOWTIMES", 0);

    LoadProducts();

    const int32_t dynaMaxY = InitInt(L"DynaMaxY", kDefaultDynaMaxY);
    testSettings.dynaMaxY = dynaMaxY < kDynaMaxYFloor ? kDynaMaxYFloor : dynaMaxY;
    testSettings.logPath = InitText(L"LogPath", L"", kTextCapacity);
    if (!testSettings.logPath.empty() && testSettings.logPath.back() != L'\\' &&
        testSettings.logPath.back() != L'/') {
        testSettings.logPath += kPathSeparator;
    }

    LoadTexts();
    LoadSwitches();
    view_.ConnectOutputBox();
    if (testSettings.powerUser == 0) HideExpertControls();
    if (testSettings.osFamily == 0) {
        testSettings.osFamily = view_.IsNtPlatform() ? kOsFamilyNt : kOsFamily95;
    }
    RestorePosition();
}

void MainDialog::LoadProducts() {
    std::vector<KText> names;
    for (int i = 0; i < productTable.count; ++i)
        names.push_back(productTable.profiles[i].name);
    view_.SetProductNames(names);
    int index = InitInt(L"PRODUCT", 0);
    if (index < 0 || index >= productTable.count) index = 0;
    testSettings.productIndex = index;
    SelectProduct(index);
    view_.SelectProductEntry(index);
}

void MainDialog::LoadTexts() {
    view_.SetControlText(kItemDrive, DriveText(L"Drive"));
    view_.SetControlText(kItemDrive2, DriveText(L"Drive2"));
    view_.SetControlText(kItemFileName, InitText(L"File", L"", kTextCapacity));
    view_.SetControlText(kItemSize, SizeText(L"FileSize", kDefaultFileSize));
    view_.SetControlText(kItemSize2, SizeText(L"FileSize2", kDefaultFileSize2));

    KText queue = InitText(L"QLen", std::to_wstring(kDefaultQueueLength), kShortText);
    const int32_t queueLength = FieldCount(queue, -1);
    if (queueLength < 0) {
        queue = std::to_wstring(kDefaultQueueLength);
    } else if (queueLength > kQueueLengthLimit) {
        queue = std::to_wstring(kQueueLengthLimit);
    }
    view_.SetControlText(kItemQLen, queue);

    KText phys = InitText(L"Phys", L"0", kShortText);
    uint32_t physAddress = 0;
    if (!ReadPhysAddress(phys.substr(0, kShortField), &physAddress)) phys = L"0";
    view_.SetControlText(kItemPhys, phys);

    view_.SetControlText(kItemDescription, InitText(L"Description", L"unknown", kTextCapacity));
    testSettings.tempFileName = InitText(L"TempFile", L"KADRA.TMP", kTextCapacity);
    if (testSettings.tempFileName.empty()) testSettings.tempFileName = L"KADRA.TMP";
}

void MainDialog::LoadSwitches() {
    testSettings.unbuffered = InitFlag(L"Unbuffered", 1);
    testSettings.quick = InitFlag(L"Quick", 1);
    testSettings.logfile = InitFlag(L"Logfile", 1);
    view_.SetCheck(kItemUnBuffered, testSettings.unbuffered != 0);
    view_.SetCheck(kItemQuick, testSettings.quick != 0);
    view_.SetCheck(kItemLogfile, testSettings.logfile != 0);
    view_.SetCheck(kItemCurveChk, InitFlag(L"Graph", 0) != 0);
    ApplyGraphSwitch();
}

void MainDialog::HideExpertControls() {
    view_.SetControlText(kItemPhys, L"0");
    view_.SetControlText(kItemQLen, std::to_wstring(kDefaultQueueLength));
    view_.SetCheck(kItemUnBuffered, true);
    testSettings.unbuffered = 1;
    for (int item : {kItemPhys, kItemQLen, kItemPhysText, kItemQLenText, kItemUnBuffered})
        view_.ShowItem(item, false);
}

void MainDialog::RestorePosition() {
    const KText text = InitText(L"WND", L"", kShortText);
    if (text.empty()) return;
    WindowRect saved;
    if (!ParseWindowPosition(text, &saved)) return;
    // Only the position comes back; the size stays the one of the graph switch.
    WindowRect current;
    if (!view_.ReadWindowRect(&current)) {
        current.right = testSettings.graphEnabled ? kWideWindowWidth : kNarrowWindowWidth;
        current.bottom = kWindowHeight;
    }
    const int64_t width = int64_t{current.right} - current.left;
    const int64_t height = int64_t{current.bottom} - current.top;
    const int64_t right = saved.left + width;
    const int64_t bottom = saved.top + height;
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    if (right > kMax || bottom > kMax) return;
    const WindowRect target{saved.left, saved.top, static_cast<int32_t>(right),
                            static_cast<int32_t>(bottom)};
    if (!view_.IsOnVisibleMonitor(target)) return;
    view_.MoveWindowTo(saved.left, saved.top);
}

void MainDialog::ApplyGraphSwitch() {
    const bool on = view_.IsChecked(kItemCurveChk);
    testSettings.graphEnabled = on ? 1 : 0;
    view_.SetWindowSize(on ? kWideWindowWidth : kNarrowWindowWidth, kWindowHeight);
}

void MainDialog::StepResolution(int32_t delta) {
    int64_t value = int64_t{testSettings.dynaMaxY} + delta;
    if (value < kDynaMaxYFloor) value = kDynaMaxYFloor;
    if (value > std::numeric_limits<int32_t>::max()) return;
    testSettings.dynaMaxY = static_cast<int32_t>(value);
    GraphReset(10, false);
    // Outside a run nobody draws on: the drawing context goes back at once.
    if (!runState.testRunning) GraphEnd();
    WriteInitInt(L"DynaMaxY", testSettings.dynaMaxY);
}

ControlReply MainDialog::OnControl(int number) {
    switch (number) {
        case kItemCurveChk:
            ApplyGraphSwitch();
            return ControlReply::Default;
        case kItemQuick:
            testSettings.quick = view_.IsChecked(kItemQuick) ? 1 : 0;
            return ControlReply::Default;
        case kItemUnBuffered:
            testSettings.unbuffered = view_.IsChecked(kItemUnBuffered) ? 1 : 0;
            return ControlReply::Default;
        case kItemResPlus:
            StepResolution(kDynaMaxYStep);
            return ControlReply::Default;
        case kItemResMinus:
            StepResolution(-kDynaMaxYStep);
            return ControlReply::Default;
        case kItemLogfile:
            testSettings.logfile = view_.IsChecked(kItemLogfile) ? 1 : 0;
            return ControlReply::Default;
        case kItemMess:
        case kStartKeyCode:
            RunCommand([this] {
                StartInputs inputs;
                inputs.drive = view_.ControlText(kItemDrive);
                inputs.size = view_.ControlText(kItemSize);
                inputs.phys = view_.ControlText(kItemPhys);
                inputs.queueLength = view_.ControlText(kItemQLen);
                inputs.description = view_.ControlText(kItemDescription);
                return DiskTestCommand(inputs);
            });
            return ControlReply::Handled;
        case kItemFileTest:
            RunCommand([this] {
                StartInputs inputs;
                inputs.phys = view_.ControlText(kItemPhys);
                inputs.queueLength = view_.ControlText(kItemQLen);
                inputs.fileName = view_.ControlText(kItemFileName);
                return FileTestCommand(inputs);
            });
            return ControlReply::Handled;
        case kItemRely:
            RunCommand([this] {
                StartInputs inputs;
                inputs.drive = view_.ControlText(kItemDrive2);
                inputs.size = view_.ControlText(kItemSize2);
                return DataTestCommand(inputs);
            });
            return ControlReply::Handled;
        case kStopKeyCode:
            if (!runState.testRunning) return ControlReply::Default;
            runState.abortRequested = 1;
            return ControlReply::Handled;
        default:
            return ControlReply::Default;
    }
}

template <typename Command>
void MainDialog::RunCommand(Command command) {
    // The run pumps messages, so a start can arrive while one is being carried out: refused,
    // also in the moments before the run marks itself busy.
    if (commandRunning_) return;
    commandRunning_ = true;
    command();
    commandRunning_ = false;
    if (closePending_ && !destroyed_) {
        closePending_ = false;
        view_.RequestClose();
    }
}

void MainDialog::OnProductSelected(int index) {
    if (index < 0 || index >= productTable.count) return;
    testSettings.productIndex = index;
    SelectProduct(index);
}

void MainDialog::OnDropFiles(const KText& path) {
    if (path.empty()) return;
    view_.SetControlText(kItemFileName, FitToCapacity(path));
}

bool MainDialog::OnSetCursor() {
    if (!runState.busy) return false;
    view_.SetWaitCursor();
    return true;
}

bool MainDialog::OnCloseRequest() {
    if (!commandRunning_ && !runState.testRunning && !runState.busy) return true;
    runState.abortRequested = 1;
    closePending_ = true;
    return false;
}

void MainDialog::OnDestroy() {
    // Should the window go while a run is in progress after all, the run stops at its next
    // block and cleans up; the settings are saved now, while the controls still exist.
    if (commandRunning_ || runState.testRunning || runState.busy) runState.abortRequested = 1;
    destroyed_ = true;
    SaveSettings();
}

void MainDialog::SaveSettings() {
    WindowRect rect;
    if (view_.ReadWindowRect(&rect)) {
        WriteInitText(L"WND", std::to_wstring(rect.top) + L" " + std::to_wstring(rect.left) + L" " +
                                  std::to_wstring(rect.bottom) + L" " +
                                  std::to_wstring(rect.right));
    }
    WriteInitInt(L"Product", testSettings.productIndex);
    WriteInitText(L"Drive", view_.ControlText(kItemDrive).substr(0, kShortField));
    WriteInitText(L"Drive2", view_.ControlText(kItemDrive2).substr(0, kShortField));
    WriteInitText(L"File", FitToCapacity(view_.ControlText(kItemFileName)));
    WriteInitText(L"Phys", view_.ControlText(kItemPhys).substr(0, kShortField));
    WriteInitText(L"Description", FitToCapacity(view_.ControlText(kItemDescription)));
    WriteInitText(L"LogPath", testSettings.logPath);
    WriteInitInt(L"FileSize", FieldCount(view_.ControlText(kItemSize), kDefaultFileSize));
    WriteInitInt(L"FileSize2", FieldCount(view_.ControlText(kItemSize2), kDefaultFileSize2));
    WriteInitInt(L"QLen", FieldCount(view_.ControlText(kItemQLen), kDefaultQueueLength));
    WriteInitInt(L"Unbuffered", view_.IsChecked(kItemUnBuffered) ? 1 : 0);
    WriteInitInt(L"Quick", view_.IsChecked(kItemQuick) ? 1 : 0);
    WriteInitInt(L"Logfile", view_.IsChecked(kItemLogfile) ? 1 : 0);
    WriteInitInt(L"Graph", view_.IsChecked(kItemCurveChk) ? 1 : 0);
}

}  // namespace kadra
