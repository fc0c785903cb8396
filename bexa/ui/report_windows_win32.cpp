// The dialog procedure of the memory map and interrupt routing windows, one for both: each
// shows a text derived from the device list it was given; the memory map rebuilds its text
// when the user switches between memory and I/O space.
#include "report_windows_win32.h"

#include <string>

#include "device_list.h"
#include "interrupt_routing.h"
#include "memory_map.h"
#include "report_windows_resource.h"
#include "secondary_windows_win32.h"

namespace bexa {
namespace {

enum class Report { MemoryMap, InterruptRouting };

struct ReportParameters {
    const PciDeviceList* list;
    Report report;
    bool modal;
};

// What one report dialog holds, kept in its user data from WM_INITDIALOG to WM_NCDESTROY.
struct ReportDialog {
    const PciDeviceList* list;
    Report report;
    bool modal;
};

ReportDialog* DialogOf(HWND dialog) {
    return reinterpret_cast<ReportDialog*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

void ShowText(HWND dialog, int control, const std::string& text) {
    SendDlgItemMessageA(dialog, control, EM_SETLIMITTEXT, 0, 0);
    SetDlgItemTextA(dialog, control, text.c_str());
    SendDlgItemMessageA(dialog, control, EM_SETSEL, 0, 0);
}

void ShowMemoryMap(HWND dialog, const ReportDialog& state, MapSpace space) {
    ShowText(dialog, IDC_REPORT_MEMORY_MAP, MemoryMapText(*state.list, space, "\r\n"));
}

// The memory map starts with memory space; the interrupt routing has one text.
INT_PTR OnInitDialog(HWND dialog, LPARAM parameter) {
    const auto* open = reinterpret_cast<const ReportParameters*>(parameter);
    auto* state = new ReportDialog{open->list, open->report, open->modal};
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    if (state->report == Report::MemoryMap) {
        CheckRadioButton(dialog, IDC_REPORT_MEM_SPACE, IDC_REPORT_IO_SPACE, IDC_REPORT_MEM_SPACE);
        ShowMemoryMap(dialog, *state, MapSpace::Memory);
    } else {
        ShowText(dialog, IDC_REPORT_INT_ROUTING, InterruptRoutingText(*state->list, "\r\n"));
    }
    // The focus on "Q U I T", so that the text is not shown selected.
    SetFocus(GetDlgItem(dialog, IDOK));
    return FALSE;
}

INT_PTR OnQuit(HWND dialog) {
    ReportDialog* state = DialogOf(dialog);
    if (state && !state->modal) {
        DestroyWindow(dialog);
    } else {
        EndDialog(dialog, IDOK);
    }
    return TRUE;
}

INT_PTR OnCommand(HWND dialog, int control) {
    ReportDialog* state = DialogOf(dialog);
    if (control == IDOK || control == IDCANCEL) return OnQuit(dialog);
    if (state == nullptr || state->report != Report::MemoryMap) return FALSE;
    switch (control) {
        case IDC_REPORT_MEM_SPACE:
            ShowMemoryMap(dialog, *state, MapSpace::Memory);
            return TRUE;
        case IDC_REPORT_IO_SPACE:
            ShowMemoryMap(dialog, *state, MapSpace::Io);
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR OnNcDestroy(HWND dialog) {
    delete DialogOf(dialog);
    SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
    return FALSE;
}

INT_PTR CALLBACK ReportDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(dialog, lParam);
        case WM_COMMAND:
            return OnCommand(dialog, LOWORD(wParam));
        case WM_CLOSE:
            return OnQuit(dialog);
        case WM_NCDESTROY:
            return OnNcDestroy(dialog);
        default:
            return FALSE;
    }
}

int ResourceOf(Report report) {
    return report == Report::MemoryMap ? IDD_MEMORY_MAP : IDD_INT_ROUTING;
}

void RunReport(HWND parent, const PciDeviceList& list, Report report) {
    ReportParameters open{&list, report, true};
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ResourceOf(report)), parent,
                    ReportDialogProc, reinterpret_cast<LPARAM>(&open));
}

HWND CreateReport(HWND parent, const PciDeviceList& list, Report report) {
    ReportParameters open{&list, report, false};
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ResourceOf(report)),
                              parent, ReportDialogProc, reinterpret_cast<LPARAM>(&open));
}

}  // namespace

void OpenMemoryMapWindow(HWND parent, const PciDeviceList& list) {
    RunReport(parent, list, Report::MemoryMap);
}

void OpenInterruptRoutingWindow(HWND parent, const PciDeviceList& list) {
    RunReport(parent, list, Report::InterruptRouting);
}

HWND CreateMemoryMapDialog(HWND parent, const PciDeviceList& list) {
    return CreateReport(parent, list, Report::MemoryMap);
}

HWND CreateInterruptRoutingDialog(HWND parent, const PciDeviceList& list) {
    return CreateReport(parent, list, Report::InterruptRouting);
}

}  // namespace bexa
