// The image exports of vorlu_demo.exe that vorlu.dll calls: the range of image ids and how
// each image is cut into frames (docs/dialog-script.md, "Images").
#include <windows.h>

#include "demo_resource.h"

extern "C" {

__declspec(dllexport) DWORD WINAPI GetReslibRange() {
    return static_cast<DWORD>(IDB_DEMO_START) << 16 | IDB_DEMO_TABS;
}

__declspec(dllexport) int WINAPI GetImageInf(int id, int, DWORD* info) {
    switch (id) {
        case IDB_DEMO_TABS:  // tab strip, two-pixel edges
            info[0] = 2;
            info[1] = 0x40000;
            return 1;
        case IDB_DEMO_CHECK:  // five check box frames at their own size on a key colour
            info[0] = 5;
            info[1] = 0x120;
            info[2] = 0xC8D0D4;
            return 1;
        case IDB_DEMO_ARROW:  // five arrow frames at their own size on C0C0C0
            info[0] = 5;
            info[1] = 0x120;
            info[2] = 0xC0C0C0;
            return 1;
        case IDB_DEMO_START:  // five button frames filling the button, on a key colour
            info[0] = 5;
            info[1] = 0x20;
            info[2] = 0xC8D0D4;
            return 1;
        default:
            return 0;
    }
}

}  // extern "C"
