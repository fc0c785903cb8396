#include "driver_check.h"

namespace tvk {

DriverCheckResult RunDriverCheck(DriverCheckSystem& system) {
    using Box = DriverCheckSystem::Box;
    const std::string destination = system.windowsDirectory() + "\\system32\\drivers\\Tvk.sys";
    if (system.fileExists(destination)) return DriverCheckResult::Continue;
    const std::string source = system.programDirectory() + "\\Tvk.sys";
    if (!system.fileExists(source)) {
        system.messageBox("Warning\nCould not find Tvk.sys\n", Box::Notice);
        return DriverCheckResult::Continue;
    }
    if (!system.messageBox("\nOk to copy Tvk.sys to system32\\drivers ?\n", Box::Question))
        return DriverCheckResult::Continue;
    if (!system.copyFile(source, destination))
        system.messageBox("Warning\nCould not copy Tvk.sys to system32\\drivers \n", Box::Notice);
    system.messageBox("\nplease restart Bexa\n", Box::Notice);
    return DriverCheckResult::CloseMainWindow;
}

}  // namespace tvk
