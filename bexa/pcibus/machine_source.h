// What the hardware-access service reaches, as Bexa tells its user: a label for a machine
// that is not this computer's own hardware (simulated, a dump, reached only in part) and the
// reason when the configured machine could not be used.
#pragma once

#include <string>

namespace bexa {

struct MachineSource {
    std::string label;  // empty: this computer's own hardware, or nothing is known
    std::string error;  // empty: a machine was chosen
};

// Asks the service (choosing its machine if no access has done so yet).
MachineSource QueryMachineSource();

// The main window's caption: "Bexa", or "Bexa - " and the label.
std::string WindowCaption(const MachineSource& source);

}  // namespace bexa
