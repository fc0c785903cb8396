// The two functions vorlu.dll asks about the program's images. They are exported by the
// program file (and by every test program that runs the dialog), so this file is linked into
// each of them directly rather than through a library, where nothing would pull it in.
#include <windows.h>

#include "kadra_resource_win32.h"

extern "C" {

// The range of image ids in the program: the highest in the high word, the lowest in the low.
__declspec(dllexport) DWORD WINAPI GetReslibRange() {
    return (static_cast<DWORD>(KADRA_IMAGE_START) << 16) | KADRA_IMAGE_CHECK;
}

// Fills the information words of a known image and returns 1; 0 for any other id. Words the
// table leaves open are not written.
__declspec(dllexport) int WINAPI GetImageInf(DWORD imageId, DWORD /*reserved*/, DWORD* info) {
    if (!info) return 0;
    switch (imageId) {
        case KADRA_IMAGE_TABS:
            info[0] = 2;
            info[1] = 0x40000;
            return 1;
        case KADRA_IMAGE_CHECK:
            info[0] = 5;
            info[1] = 0x100;
            return 1;
        case KADRA_IMAGE_ARROW:
            info[0] = 5;
            info[1] = 0x120;
            info[2] = 0xC0C0C0;
            return 1;
        case KADRA_IMAGE_START:
            info[0] = 5;
            return 1;
        default:
            return 0;
    }
}

}  // extern "C"
