#include <windows.h>

#include <vector>

#include "ini_file.h"

namespace kadra {

KText ReadIniString(const KText& section, const KText& key, const KText& defaultValue,
                    const KText& path, std::size_t capacity) {
    if (capacity == 0) return {};
    std::vector<wchar_t> buffer(capacity, L'\0');
    const DWORD n =
        GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                 static_cast<DWORD>(capacity), path.c_str());
    return KText(buffer.data(), n < capacity ? n : capacity - 1);
}

int32_t ReadIniInt(const KText& section, const KText& key, int32_t defaultValue,
                   const KText& path) {
    return static_cast<int32_t>(
        GetPrivateProfileIntW(section.c_str(), key.c_str(), defaultValue, path.c_str()));
}

bool WriteIniString(const KText& section, const KText& key, const KText& value, const KText& path) {
    if (value.find_first_of(L"\r\n") != KText::npos) return false;
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path.c_str()) !=
           0;
}

bool WriteIniInt(const KText& section, const KText& key, int32_t value, const KText& path) {
    return WriteIniString(section, key, std::to_wstring(value), path);
}

}  // namespace kadra
