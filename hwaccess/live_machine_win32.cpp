#include "live_machine.h"

namespace tvk {

std::unique_ptr<Machine> OpenLiveMachine(std::string& error, const std::string&,
                                         const std::string&) {
    error = "machine source live: not available in Win32 programs (use embedded or a file)";
    return nullptr;
}

}  // namespace tvk
