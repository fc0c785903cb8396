// bexa.exe: the main window, run modally; the program ends when it closes.
#include <windows.h>

#include <commctrl.h>

#include "main_window_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_TREEVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);
    bexa::Win32MainWindowView view;
    bexa::RunMainWindow(instance, view);
    return 0;
}
