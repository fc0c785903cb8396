#include "run_control.h"

#include <cwctype>
#include <vector>

#include "block_sizes.h"
#include "cpu_memory_load.h"
#include "data_test.h"
#include "host.h"
#include "host_calls.h"
#include "ini_file.h"
#include "report.h"
#include "request_queue.h"
#include "result_table.h"
#include "results_text.h"
#include "run_state.h"
#include "test_file.h"
#include "test_log.h"
#include "test_settings.h"
#include "throughput_pass.h"

namespace kadra {

namespace {

constexpr uint64_t kMiB = 1048576;
// The drive number of a test on a folder given instead of a drive (Z:).
constexpr uint32_t kFolderDriveNumber = 25;

// The number a text starts with, as "%ld" or "%lx" reads it: blanks, a sign, digits (hex: an
// optional 0x). False when there is no digit or the value leaves the 32-bit range; `tooLarge`,
// when given, tells the second case.
bool ScanNumber(const KText& text, int base, int64_t* value, bool* tooLarge = nullptr) {
    if (tooLarge != nullptr) *tooLarge = false;
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
    if (base == 16 && i + 2 < text.size() && text[i] == L'0' &&
        (text[i + 1] == L'x' || text[i + 1] == L'X') && std::iswxdigit(text[i + 2])) {
        i += 2;
    }
    int64_t result = 0;
    size_t digits = 0;
    for (; i < text.size(); ++i, ++digits) {
        wchar_t c = text[i];
        int digit;
        if (c >= L'0' && c <= L'9') {
            digit = c - L'0';
        } else if (base == 16 && c >= L'a' && c <= L'f') {
            digit = c - L'a' + 10;
        } else if (base == 16 && c >= L'A' && c <= L'F') {
            digit = c - L'A' + 10;
        } else {
            break;
        }
        result = result * base + digit;
        if (result > (base == 16 ? 0xFFFFFFFFll : 0x7FFFFFFFll)) {
            if (tooLarge != nullptr) *tooLarge = true;
            return false;
        }
    }
    if (digits == 0) return false;
    *value = negative ? -result : result;
    return true;
}

bool StartRefused() {
    return runState.testRunning != 0 || runState.busy != 0;
}

// Whether a test file name is a plain name inside the test folder: not empty, no path
// separator, no drive or stream colon, not "." or "..".
bool IsPlainFileName(const KText& name) {
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(L"/\\:") == KText::npos;
}

// The file name part of a path: everything after the last "\", "/" or ":".
KText FileNamePart(const KText& path) {
    size_t cut = path.find_last_of(L"\\/:");
    return cut == KText::npos ? path : path.substr(cut + 1);
}

KText DriveRoot(uint32_t driveNumber) {
    return KText{static_cast<wchar_t>(L'A' + driveNumber), L':', L'\\'};
}

KText DriveName(uint32_t driveNumber) {
    return KText{static_cast<wchar_t>(L'A' + driveNumber), L':'};
}

// How the free-space line names the drive: "C:", or the folder that plays it.
KText DriveLabel(const KText& rootFolder, uint32_t driveNumber) {
    if (rootFolder.empty()) return DriveName(driveNumber);
    KText label = rootFolder;
    if (label.size() > 1 && (label.back() == L'/' || label.back() == L'\\')) label.pop_back();
    return label;
}

// Reads size, drive and physical address of a disk or data test; tells what is wrong.
bool ReadDriveAndSize(const StartInputs& inputs, uint32_t* driveNumber, int64_t* sizeMB) {
    if (!inputs.rootFolder.empty()) {
        // A folder plays the drive: any drive number but 0, which marks the file test.
        *driveNumber = kFolderDriveNumber;
    } else if (!ReadDriveNumber(inputs.drive.substr(0, 19), driveNumber)) {
        AppendResultLine(L"Drive must be a letter: " + inputs.drive);
        return false;
    }
    if (!ReadSizeMB(inputs.size, sizeMB)) {
        AppendResultLine(L"Size must be a number of MB: " + inputs.size);
        return false;
    }
    return true;
}

bool ReadPhys(const StartInputs& inputs, uint32_t* physAddress) {
    if (ReadPhysAddress(inputs.phys.substr(0, 19), physAddress)) return true;
    AppendResultLine(L"Physical address must be a hexadecimal number: " + inputs.phys);
    return false;
}

// The queue length of a disk or file test; a field without a number is told, not ignored.
bool ReadQueue(const StartInputs& inputs) {
    int64_t value = 0;
    if (!ReadDecimalNumber(inputs.queueLength.substr(0, 19), &value)) {
        AppendResultLine(L"Queue length must be a number: " + inputs.queueLength);
        return false;
    }
    ReadQueueLength(inputs.queueLength);
    return true;
}

}  // namespace

bool ReadDecimalNumber(const KText& text, int64_t* value) {
    return ScanNumber(text, 10, value);
}

bool ReadSizeMB(const KText& text, int64_t* sizeMB) {
    int64_t value = 0;
    if (!ScanNumber(text, 10, &value)) return false;
    value &= ~int64_t{1};
    *sizeMB = value < 4 ? 4 : value;
    return true;
}

bool ReadDriveNumber(const KText& text, uint32_t* driveNumber) {
    if (text.empty()) return false;
    wchar_t letter = static_cast<wchar_t>(std::towupper(text[0]));
    if (letter < L'A' || letter > L'Z') return false;
    *driveNumber = static_cast<uint32_t>(letter - L'A');
    return true;
}

bool ReadPhysAddress(const KText& text, uint32_t* physAddress) {
    int64_t value = 0;
    if (!ScanNumber(text, 16, &value)) return false;
    *physAddress = static_cast<uint32_t>(value);
    return true;
}

void ReadQueueLength(const KText& text) {
    int64_t value = 0;
    bool tooLarge = false;
    if (!ScanNumber(text.substr(0, 19), 10, &value, &tooLarge)) {
        // However large (or far below 0), it is 40 or more as the field's unsigned number.
        if (tooLarge) testSettings.queueLength = kMaxQueueLength;
        return;
    }
    uint32_t length = static_cast<uint32_t>(value);
    testSettings.queueLength = length >= 40 ? kMaxQueueLength : length;
}

uint64_t FileTestSize(uint64_t fileBytes) {
    return fileBytes & ~uint64_t{2 * kMiB - 1};
}

RunOutcome DiskTestCommand(const StartInputs& inputs) {
    if (StartRefused()) return RunOutcome::Refused;
    runState.fileTest = 0;
    ClearResults();
    uint32_t driveNumber = 0;
    int64_t sizeMB = 0;
    uint32_t physAddress = 0;
    if (!ReadDriveAndSize(inputs, &driveNumber, &sizeMB)) return RunOutcome::NotStarted;
    if (!ReadPhys(inputs, &physAddress)) return RunOutcome::NotStarted;
    if (!ReadQueue(inputs)) return RunOutcome::NotStarted;
    // The name comes from KADRA.INI: a path there would put the test file (written over, then
    // deleted) outside the test folder.
    if (!IsPlainFileName(testSettings.tempFileName)) {
        AppendResultLine(L"TempFile must be a plain file name: " + testSettings.tempFileName);
        return RunOutcome::Refused;
    }

    SeriesRequest request;
    request.driveNumber = driveNumber;
    request.size = static_cast<uint64_t>(sizeMB) * kMiB;
    request.physAddress = physAddress;
    request.description = FitToCapacity(inputs.description);
    request.driveName = DriveLabel(inputs.rootFolder, driveNumber);
    if (inputs.rootFolder.empty()) {
        request.path = L"x:\\" + testSettings.tempFileName;
        request.path[0] = static_cast<wchar_t>(L'A' + driveNumber);
        request.rootFolder = DriveRoot(driveNumber);
    } else {
        request.path = inputs.rootFolder + testSettings.tempFileName;
        request.rootFolder = inputs.rootFolder;
    }
    return RunTestSeries(request);
}

RunOutcome FileTestCommand(const StartInputs& inputs) {
    if (StartRefused()) return RunOutcome::Refused;
    runState.fileTest = 1;
    ClearResults();
    uint32_t physAddress = 0;
    if (!ReadPhys(inputs, &physAddress)) return RunOutcome::NotStarted;
    KText path = FitToCapacity(inputs.fileName);
    if (!ReadQueue(inputs)) return RunOutcome::NotStarted;
    uint64_t fileBytes = 0;
    uint64_t size = 0;
    if (CurrentFileSystem().FileSize(path, &fileBytes)) size = FileTestSize(fileBytes);
    if (size == 0) {
        AppendResultLine(L"File not found or too small (min. 4 MB)");
        return RunOutcome::NotStarted;
    }
    SeriesRequest request;
    request.driveNumber = 0;
    request.path = path;
    request.size = size;
    request.physAddress = physAddress;
    return RunTestSeries(request);
}

RunOutcome DataTestCommand(const StartInputs& inputs) {
    if (StartRefused()) return RunOutcome::Refused;
    runState.fileTest = 0;
    ClearResults();
    uint32_t driveNumber = 0;
    int64_t sizeMB = 0;
    if (!ReadDriveAndSize(inputs, &driveNumber, &sizeMB)) return RunOutcome::NotStarted;
    const uint64_t size = static_cast<uint64_t>(sizeMB) * kMiB;
    // Both files stay until the end: room for twice the size, told as the disk test tells it.
    const KText root = inputs.rootFolder.empty() ? DriveRoot(driveNumber) : inputs.rootFolder;
    uint64_t freeBytes = 0;
    if (CurrentFileSystem().FreeBytes(root, &freeBytes) && freeBytes / 2 < size) {
        AppendResultLine(L"only " + std::to_wstring(freeBytes / kMiB) + L" MB free on drive " +
                         DriveLabel(inputs.rootFolder, driveNumber) + L" !");
        return RunOutcome::NotStarted;
    }
    bool clean = inputs.rootFolder.empty()
                     ? DataReliabilityTest(driveNumber, size)
                     : DataReliabilityTest(inputs.rootFolder + L"verify1.TMP",
                                           inputs.rootFolder + L"verify2.TMP", size);
    if (runState.abortRequested) return RunOutcome::Stopped;
    return clean ? RunOutcome::Completed : RunOutcome::Failed;
}

RunOutcome RunTestSeries(const SeriesRequest& request) {
    FileSystem& files = CurrentFileSystem();
    runState.title = request.driveNumber != 0 ? request.description : FileNamePart(request.path);
    if (testSettings.logfile) OpenTestLog(runState.title);
    runState.hangCount = 0;
    runState.driveNumber = static_cast<int>(request.driveNumber);
    runState.sizeMB = static_cast<int64_t>(request.size / kMiB);
    runState.physAddress = request.physAddress;
    runState.hangFlag = 0;

    uint64_t freeBytes = 0;
    if (request.driveNumber != 0 && files.FreeBytes(request.rootFolder, &freeBytes) &&
        freeBytes < request.size) {
        AppendResultLine(L"only " + std::to_wstring(freeBytes / kMiB) + L" MB free on drive " +
                         request.driveName + L" !");
        if (runState.log != nullptr) CloseTestLog();
        return RunOutcome::NotStarted;
    }

    SetWaitCursor(true);
    runState.busy = 1;
    resultTable = ResultTable{};
    BuildReport();
    runState.abortRequested = 0;
    runState.testRunning = 1;
    if (ReadIniInt(L"INIT", L"CPUMemAccess", 0, testSettings.iniPath) != 0) {
        StartCpuMemoryLoad(request.physAddress);
    }

    // Lines of failed passes; a later report rewrites the results text, and they are told
    // again at the end of the run when that took them away.
    std::vector<KText> failureLines;
    bool failed = false;
    auto note = [&](PassOutcome outcome, const KText& line) {
        if (outcome != PassOutcome::Failed && outcome != PassOutcome::Refused) return;
        failed = true;
        if (!line.empty()) failureLines.push_back(line);
    };
    KText line;
    // A temporary name taken by a link or a folder: the read passes would read what it
    // points to, so none runs.
    bool refused = false;
    bool created = false;
    if (!runState.fileTest) {
        PassOutcome write =
            WriteLinearPass(request.path, request.size, request.physAddress, &line, &created);
        refused = write == PassOutcome::Refused;
        note(write, line);
    }
    if (!runState.abortRequested && !refused) {
        line.clear();
        note(ReadLinearPass(request.path, request.size, request.physAddress, &line), line);
        if (!runState.abortRequested) {
            line.clear();
            note(ReadRandomPass(request.path, request.size, request.physAddress, &line), line);
        }
    }
    runState.testRunning = 0;
    // Only the file the write pass created goes, never a name it refused, and before the run
    // stops being busy: a stop request meanwhile is still taken as one.
    if (created) files.Delete(request.path);
    const bool stopped = runState.abortRequested != 0;
    runState.busy = 0;
    SetWaitCursor(false);
    for (const KText& line : failureLines) {
        if (ResultsText().find(line) == KText::npos) AppendResultLine(line);
    }
    if (runState.log != nullptr) CloseTestLog();
    if (stopped) return RunOutcome::Stopped;
    return failed ? RunOutcome::Failed : RunOutcome::Completed;
}

}  // namespace kadra
