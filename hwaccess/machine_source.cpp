// OpenMachine: the names of the machine sources.
#include "embedded_machine.h"
#include "live_machine.h"
#include "machine_file.h"
#include "service.h"

namespace tvk {

std::unique_ptr<Machine> OpenMachine(const std::string& source, std::string& error) {
    error.clear();
    if (source == "embedded") {
        auto machine = MakeEmbeddedMachine();
        if (!machine) error = "machine source embedded: the built-in text does not load";
        return machine;
    }
    if (source == "live") return OpenLiveMachine(error);
    if (source.empty()) {
        error = "machine source is empty: give embedded, live or the path of a machine file";
        return nullptr;
    }
    std::string fileError;
    auto machine = LoadMachineFile(source, fileError);
    if (machine) return machine;
    if (fileError.rfind("machine file " + source + ": cannot be opened", 0) == 0) {
        error = "machine source '" + source +
                "' is not embedded, live or a readable machine file (cannot open it)";
    } else {
        error = fileError;
    }
    return nullptr;
}

}  // namespace tvk
