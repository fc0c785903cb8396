// vorlu_demo.exe: runs the demonstration dialog of vorlu.dll until it is closed.
#include <windows.h>

#include "demo_dialog_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return vorlu_demo::RunDemoDialog(instance) < 0 ? 1 : 0;
}
