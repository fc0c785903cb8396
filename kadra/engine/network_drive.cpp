#include "network_drive.h"

#include <cwctype>

#include "host.h"
#include "ini_file.h"
#include "test_file.h"

namespace kadra {

namespace {

bool listRead = false;
KText networkDriveList;

}  // namespace

int IsNetworkDrive(const KText& path) {
    if (!listRead) SetNetworkDriveList(ReadNetworkDriveList());
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') return 1;
    if (path.size() < 2 || path[1] != L':') {
#ifdef _WIN32
        return 0;
#else
        KText folder = FolderOfPath(path);
        if (folder.empty()) folder = L".";
        return CurrentFileSystem().IsRemote(folder) ? 1 : 0;
#endif
    }
    wchar_t upper = static_cast<wchar_t>(std::towupper(path[0]));
    wchar_t lower = static_cast<wchar_t>(std::towlower(path[0]));
    if (networkDriveList.find(upper) != KText::npos) return 1;
    if (networkDriveList.find(lower) != KText::npos) return 0;
    KText root{path[0], L':', L'\\'};
    return CurrentFileSystem().IsRemote(root) ? 1 : 0;
}

KText ReadNetworkDriveList() {
#ifdef _WIN32
    // A bare file name: the system looks for it in the Windows folder.
    return ReadIniString(L"FIO", L"NETWORKDRIVES", L"", L"ZELT.INI", 49);
#else
    // No Windows folder and no drive letters here: the file system type decides alone.
    return KText();
#endif
}

void SetNetworkDriveList(const KText& list) {
    networkDriveList = list.substr(0, 48);
    listRead = true;
}

}  // namespace kadra
