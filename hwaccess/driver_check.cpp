#include "driver_check.h"

namespace tvk {

DriverCheckResult RunDriverCheck(DriverCheckSystem& system) {
    using Box = DriverCheckSystem::Box;
    const std::string destination = system.WindowsDirectory() + "\\system32\\drivers\\Tvk.sys";
    if (system.FileExists(destination)) return DriverCheckResult::Continue;
    const std::string source = system.ProgramDirectory() + "\\Tvk.sys";
    if (!system.FileExists(source)) {
        system.ShowMessage("Warning\nCould not find Tvk.sys\n", Box::Notice);
        return DriverCheckResult::Continue;
    }
    if (!system.ShowMessage("\nOk to copy Tvk.sys to system32\\drivers ?\n", Box::Question))
        return DriverCheckResult::Continue;
    if (!system.CopyFileTo(source, destination))
        system.ShowMessage("Warning\nCould not copy Tvk.sys to system32\\drivers \n", Box::Notice);
    system.ShowMessage("\nplease restart Bexa\n", Box::Notice);
    return DriverCheckResult::CloseMainWindow;
}

}  // namespace tvk
