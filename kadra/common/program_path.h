// Where the running program lives.
#pragma once

#include "ktext.h"

namespace kadra {

// Full path of the running program's file; empty when the system does not tell.
KText ProgramFilePath();

}  // namespace kadra
