// The texts of the About window that depend on the system: the operating system and the ID
// file's first lines, and a pointer to the documentation.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace bexa {

// The fields of the extended version record (GetVersionExA) that the About window shows.
struct OsVersionRecord {
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    uint32_t buildNumber = 0;
    uint32_t platformId = 0;
    std::string servicePack;
};

struct AboutTexts {
    std::string systemText;  // control 1075
    std::string helpText;    // control 1129
};

// "Win NT" (top bit of the version word clear), else "Win" below major version 4, else
// "Win95/98".
std::string OsFamilyText(uint32_t versionWord, uint32_t majorVersion);
// The platform by its id: Win32s, Win95, Win98, Windows NT, or "??".
std::string OsPlatformText(uint32_t platformId, uint32_t minorVersion);

// "OS:\t%s %d.%02d   (build:%d) \nPlatform:\t%s \nInfo:   \t%s\n\n%s"; with a machine source
// label (a machine that is not this computer's own hardware) a line "Machine:\t%s" follows
// the Info line.
std::string AboutSystemText(uint32_t versionWord, const OsVersionRecord& record,
                            const std::string& idFileVersionText,
                            const std::string& sourceLabel = "");

// Both texts; empty when the extended version query failed (no record).
AboutTexts BuildAboutTexts(uint32_t versionWord, const std::optional<OsVersionRecord>& record,
                           const std::string& idFileVersionText,
                           const std::string& sourceLabel = "");

}  // namespace bexa
