#include "ini_search.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "bk_paths.h"

namespace kadra {

namespace {

constexpr const char* kIniName = "KADRA.INI";

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::vector<std::string> IniSearchOrder(const IniSearchPlaces& places) {
    std::vector<std::string> order;
    order.push_back(Join(places.programFolder, kIniName));
    if (!places.xdgConfigHome.empty() && places.xdgConfigHome.front() == '/') {
        order.push_back(Join(Join(places.xdgConfigHome, "kadra"), kIniName));
    } else if (!places.home.empty()) {
        order.push_back(Join(Join(places.home, ".config/kadra"), kIniName));
    }
    if (!places.systemConfigDir.empty()) {
        order.push_back(Join(Join(places.systemConfigDir, "kadra"), kIniName));
    }
    return order;
}

std::string FindKadraIni(const IniSearchPlaces& places) {
    const std::vector<std::string> order = IniSearchOrder(places);
    for (const std::string& candidate : order) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate;
    }
    return order.front();
}

IniSearchPlaces ProcessIniSearchPlaces(const std::string& programFolder) {
    return {programFolder, Environment("XDG_CONFIG_HOME"), Environment("HOME"),
            BK_SYSTEM_CONFIG_DIR};
}

}  // namespace kadra
