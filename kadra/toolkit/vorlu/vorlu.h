// vorlu.dll, the dialog library: builds a dialog window from a script resource of the calling
// program (type 200), runs it modally and forwards what the user does to the program's dialog
// procedure. Every function uses the standard Windows calling convention and is exported under
// its plain name.
#pragma once

#include <windows.h>

#ifdef VORLU_BUILD
#define VORLU_API __declspec(dllexport)
#else
#define VORLU_API __declspec(dllimport)
#endif

// Messages the library sends to the program's dialog procedure.
#define XDM_CONTROLS_CREATED 0x5F6  // once, after every control exists
#define XDM_GET_ICON 0x5D6          // returns the window icon (HICON), or 0
#define XDM_CONTROL 0x5C2           // wParam: number of the control the user operated
// Codes of XDM_CONTROL for the two keys of the dialog (see docs/dialog-script.md).
#define XDC_START_KEY 506
#define XDC_STOP_KEY 507

// The dialog procedure of the program (the window-procedure form).
typedef LRESULT(CALLBACK* XDIALOGPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The dialog object; a pointer to it is the window's user data (GWLP_USERDATA).
typedef struct tagXDialog {
    HWND window;     // the dialog window
    HWND* controls;  // controls by number, from 0 in script order
    int controlCount;
    HWND* statics;  // static items by number - 0x8000, in script order
    int staticCount;
    XDIALOGPROC defaultProc;  // the library's default procedure for the dialog window
    void* internal;           // the library's own state
} XDIALOG;

// The window of an item by its number: controls from 0, statics from 0x8000; 0 when out of
// range.
static inline HWND XDialogItem(const XDIALOG* dialog, int number) {
    if (!dialog) return 0;
    if (number >= 0x8000) {
        const int index = number - 0x8000;
        return index < dialog->staticCount ? dialog->statics[index] : 0;
    }
    return number >= 0 && number < dialog->controlCount ? dialog->controls[number] : 0;
}

#ifdef __cplusplus
extern "C" {
#endif

// Builds the dialog from the script `script` (an integer resource id made with
// MAKEINTRESOURCEW, or a name) of resource type 200 in `instance`, runs it modally with
// `procedure` and returns when the window is closed (0; -1 when the script cannot be used,
// after a message box that says why).
VORLU_API LONG WINAPI XDialog(HWND parent, int x, int y, LPCWSTR script, HINSTANCE instance,
                              XDIALOGPROC procedure, DWORD reserved1, DWORD reserved2,
                              DWORD reserved3, DWORD reserved4, DWORD reserved5, UINT flags);

// A modal box with one acknowledge button.
VORLU_API int WINAPI XMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type,
                                 void(CALLBACK* help)(LPHELPINFO), DWORD reserved);

// Control operations; each returns 0 for an unknown dialog or control number.
VORLU_API int WINAPI SetControlText(XDIALOG* dialog, int control, LPCWSTR text, UINT flags);
VORLU_API int WINAPI CheckControl(XDIALOG* dialog, int control, int state);
VORLU_API int WINAPI ShowControl(XDIALOG* dialog, int control, int show);
VORLU_API int WINAPI GetControlInt(XDIALOG* dialog, int control, int flags);
VORLU_API int WINAPI IsControlChecked(XDIALOG* dialog, int control);

#ifdef __cplusplus
}
#endif
