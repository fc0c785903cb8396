// kadra.exe: loads the product profiles and runs the main dialog; the program ends with it.
#include <windows.h>

#include "main_dialog_win32.h"
#include "product_profile.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    kadra::LoadProductProfiles();
    kadra::RunMainDialog(instance);
    return 0;
}
