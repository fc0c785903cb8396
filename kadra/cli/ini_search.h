// Which KADRA.INI the native kadra reads when no --ini is given.
#pragma once

#include <string>
#include <vector>

namespace kadra {

// The places kadra looks in, from the process's environment and its installation.
struct IniSearchPlaces {
    std::string programFolder;    // the folder of the program file
    std::string xdgConfigHome;    // $XDG_CONFIG_HOME; empty when unset
    std::string home;             // $HOME; empty when unset
    std::string systemConfigDir;  // /etc for a /usr installation
};

// The candidates in order: KADRA.INI beside the program, in the user's configuration folder
// ($XDG_CONFIG_HOME/kadra, else ~/.config/kadra; a relative XDG_CONFIG_HOME is ignored, as
// the XDG base directory rules say) and in the system's (<systemConfigDir>/kadra).
std::vector<std::string> IniSearchOrder(const IniSearchPlaces& places);

// The first candidate that is a file; the one beside the program when none is, so that the
// defaults apply.
std::string FindKadraIni(const IniSearchPlaces& places);

// The places of this process: its environment and the compiled-in system folder.
IniSearchPlaces ProcessIniSearchPlaces(const std::string& programFolder);

}  // namespace kadra
