// Dialog procedures of the memory map and interrupt routing windows. Both show a text derived
// from the device list they were given; the memory map rebuilds its text when the user
// switches between memory and I/O space.
#include "report_windows_win32.h"

#include <string>

#include "device_list.h"
#include "interrupt_routing.h"
#include "memory_map.h"
#include "report_windows_resource.h"
#include "secondary_windows_win32.h"

namespace bexa {
namespace {

struct ReportParameters {
    const PciDeviceList* list;
    bool modal;
};

// What one report dialog holds, kept in its user data from WM_INITDIALOG to WM_NCDESTROY.
struct ReportDialog {
    const PciDeviceList* list;
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

// The focus on "Q U I T", so that the text is not shown selected.
INT_PTR FocusOnQuit(HWND dialog) {
    SetFocus(GetDlgItem(dialog, IDOK));
    return FALSE;
}

void ShowMemoryMap(HWND dialog, MapSpace space) {
    ReportDialog* state = DialogOf(dialog);
    if (state == nullptr) return;
    ShowText(dialog, IDC_REPORT_MEMORY_MAP, MemoryMapText(*state->list, space, "\r\n"));
}

void Remember(HWND dialog, LPARAM parameter) {
    const auto* open = reinterpret_cast<const ReportParameters*>(parameter);
    SetWindowLongPtrA(dialog, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(new ReportDialog{open->list, open->modal}));
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

INT_PTR OnNcDestroy(HWND dialog) {
    delete DialogOf(dialog);
    SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
    return FALSE;
}

INT_PTR OnMemoryMapInit(HWND dialog, LPARAM parameter) {
    Remember(dialog, parameter);
    CheckRadioButton(dialog, IDC_REPORT_MEM_SPACE, IDC_REPORT_IO_SPACE, IDC_REPORT_MEM_SPACE);
    ShowMemoryMap(dialog, MapSpace::Memory);
    return FocusOnQuit(dialog);
}

INT_PTR OnMemoryMapCommand(HWND dialog, int control) {
    switch (control) {
        case IDC_REPORT_MEM_SPACE:
            ShowMemoryMap(dialog, MapSpace::Memory);
            return TRUE;
        case IDC_REPORT_IO_SPACE:
            ShowMemoryMap(dialog, MapSpace::Io);
            return TRUE;
        case IDOK:
        case IDCANCEL:
            return OnQuit(dialog);
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK MemoryMapDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnMemoryMapInit(dialog, lParam);
        case WM_COMMAND:
            return OnMemoryMapCommand(dialog, LOWORD(wParam));
        case WM_CLOSE:
            return OnQuit(dialog);
        case WM_NCDESTROY:
            return OnNcDestroy(dialog);
        default:
            return FALSE;
    }
}

INT_PTR OnInterruptRoutingInit(HWND dialog, LPARAM parameter) {
    Remember(dialog, parameter);
    ShowText(dialog, IDC_REPORT_INT_ROUTING, InterruptRoutingText(*DialogOf(dialog)->list, "\r\n"));
    return FocusOnQuit(dialog);
}

INT_PTR OnInterruptRoutingCommand(HWND dialog, int control) {
    if (control == IDOK || control == IDCANCEL) return OnQuit(dialog);
    return FALSE;
}

INT_PTR CALLBACK InterruptRoutingDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInterruptRoutingInit(dialog, lParam);
        case WM_COMMAND:
            return OnInterruptRoutingCommand(dialog, LOWORD(wParam));
        case WM_CLOSE:
            return OnQuit(dialog);
        case WM_NCDESTROY:
            return OnNcDestroy(dialog);
        default:
            return FALSE;
    }
}

}  // namespace

void OpenMemoryMapWindow(HWND parent, const PciDeviceList& list) {
    ReportParameters open{&list, true};
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MEMORY_MAP), parent,
                    MemoryMapDialogProc, reinterpret_cast<LPARAM>(&open));
}

void OpenInterruptRoutingWindow(HWND parent, const PciDeviceList& list) {
    ReportParameters open{&list, true};
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_INT_ROUTING), parent,
                    InterruptRoutingDialogProc, reinterpret_cast<LPARAM>(&open));
}

HWND CreateMemoryMapDialog(HWND parent, const PciDeviceList& list) {
    ReportParameters open{&list, false};
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MEMORY_MAP), parent,
                              MemoryMapDialogProc, reinterpret_cast<LPARAM>(&open));
}

HWND CreateInterruptRoutingDialog(HWND parent, const PciDeviceList& list) {
    ReportParameters open{&list, false};
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_INT_ROUTING), parent,
                              InterruptRoutingDialogProc, reinterpret_cast<LPARAM>(&open));
}

}  // namespace bexa
