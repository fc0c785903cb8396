// The embedded default machine: a desktop of the capture-card era (Intel 915 host bridge,
// ICH6 south bridge, a capture card and a CardBus controller behind the ICH's PCI bridge and
// a PLX bridge, a network card on a second top-level bus). Described in
// docs/embedded-machine.md; kept as machine-file text so that `lspci -F` reads it too.
#pragma once

#include <memory>

#include "sim_machine.h"

namespace tvk {

// The machine-file text of the embedded machine.
const char* EmbeddedMachineText();

// A fresh simulated machine in its power-on state.
std::unique_ptr<SimMachine> MakeEmbeddedMachine();

}  // namespace tvk
