// Fuzz target for the INI reader and writer: any bytes as an INI file, read with the keys Kadra
// asks for, then written to and read back.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "ini_file.h"
#include "product_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string file = "/tmp/kadra-ini-fuzz-" + std::to_string(getpid()) + ".ini";
    if (FILE* out = std::fopen(file.c_str(), "wb")) {
        std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    const kadra::KText path = kadra::FromUtf8(file);
    kadra::ReadIniString(L"INIT", L"Description", L"unknown", path);
    kadra::ReadIniInt(L"INIT", L"DynaMaxY", 1050, path);
    kadra::ReadProductProfiles(path);
    if (kadra::WriteIniString(L"INIT", L"Drive", L"R", path) &&
        kadra::ReadIniString(L"init", L"drive", L"", path) != L"R")
        __builtin_trap();
    std::remove(file.c_str());
    return 0;
}
