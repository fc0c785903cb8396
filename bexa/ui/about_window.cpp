#include "about_window.h"

#include <cstdio>
#include <vector>

namespace bexa {

namespace {

constexpr const char* kHelpText = "Help: see bexa.md in the docs folder of the Bexa package";

}  // namespace

std::string OsFamilyText(uint32_t versionWord, uint32_t majorVersion) {
    if ((versionWord & 0x80000000u) == 0) return "Win NT";
    return majorVersion < 4 ? "Win" : "Win95/98";
}

std::string OsPlatformText(uint32_t platformId, uint32_t minorVersion) {
    switch (platformId) {
        case 0:
            return "Win32s on Windows 3.1";
        case 1:
            return minorVersion != 0 ? "Win32 on Win98" : "Win32 on Win95";
        case 2:
            return "Win32 on Windows NT";
        default:
            return "??";
    }
}

std::string AboutSystemText(uint32_t versionWord, const OsVersionRecord& record,
                            const std::string& idFileVersionText, const std::string& sourceLabel) {
    const std::string family = OsFamilyText(versionWord, record.majorVersion);
    const std::string platform = OsPlatformText(record.platformId, record.minorVersion);
    const std::string machine = sourceLabel.empty() ? "" : "\nMachine:\t" + sourceLabel;
    const char* format = "OS:\t%s %d.%02d   (build:%d) \nPlatform:\t%s \nInfo:   \t%s%s\n\n%s";
    auto print = [&](char* out, size_t size) {
        return std::snprintf(out, size, format, family.c_str(), int(record.majorVersion),
                             int(record.minorVersion), int(record.buildNumber), platform.c_str(),
                             record.servicePack.c_str(), machine.c_str(),
                             idFileVersionText.c_str());
    };
    const int length = print(nullptr, 0);
    if (length <= 0) return {};
    std::vector<char> text(size_t(length) + 1);
    print(text.data(), text.size());
    return std::string(text.data(), size_t(length));
}

AboutTexts BuildAboutTexts(uint32_t versionWord, const std::optional<OsVersionRecord>& record,
                           const std::string& idFileVersionText, const std::string& sourceLabel) {
    if (!record) return {};
    return {AboutSystemText(versionWord, *record, idFileVersionText, sourceLabel), kHelpText};
}

}  // namespace bexa
