#include "test_file.h"

namespace kadra {

namespace {
FileSystem* installedFileSystem = nullptr;
}

FileSystem& CurrentFileSystem() {
    return installedFileSystem ? *installedFileSystem : SystemFileSystem();
}

void InstallFileSystem(FileSystem* files) {
    installedFileSystem = files;
}

}  // namespace kadra
