#include "about_window_win32.h"

#include "bexa_resource.h"
#include "id_database.h"
#include "machine_source.h"

namespace bexa {

namespace {

static_assert(sizeof(OSVERSIONINFOA) == 148, "the extended version record has 148 bytes");

enum : LPARAM { kModeless = 0, kModal = 1 };

BOOL OnInitDialog(HWND dialog, LPARAM modal) {
    SetWindowLongPtrW(dialog, DWLP_USER, modal);
    const AboutTexts texts = BuildAboutTexts(QueryVersionWord(), QueryVersionRecord(),
                                             IdFileVersionText(), QueryMachineSource().label);
    SetDlgItemTextA(dialog, IDC_ABOUT_SYSTEM, texts.systemText.c_str());
    SetDlgItemTextA(dialog, IDC_ABOUT_HELP, texts.helpText.c_str());
    return TRUE;
}

void OnClose(HWND dialog) {
    if (GetWindowLongPtrW(dialog, DWLP_USER) == kModal) {
        EndDialog(dialog, IDOK);
    } else {
        DestroyWindow(dialog);
    }
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(dialog, lParam);
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                OnClose(dialog);
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            OnClose(dialog);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

uint32_t QueryVersionWord() {
    return uint32_t(GetVersion());
}

std::optional<OsVersionRecord> QueryVersionRecord() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!GetVersionExA(&info)) return std::nullopt;
    OsVersionRecord record;
    record.majorVersion = info.dwMajorVersion;
    record.minorVersion = info.dwMinorVersion;
    record.buildNumber = info.dwBuildNumber;
    record.platformId = info.dwPlatformId;
    record.servicePack.assign(info.szCSDVersion,
                              strnlen(info.szCSDVersion, sizeof(info.szCSDVersion)));
    return record;
}

void OpenAboutWindow(HWND parent) {
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), parent, AboutProc,
                    kModal);
}

HWND CreateAboutWindow(HWND parent) {
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), parent,
                              AboutProc, kModeless);
}

}  // namespace bexa
