// A picture of the results text as the window's output box shows it: black letters of a fixed
// pitch on white, in a thin frame, sized to the text.
#pragma once

#include "cairo_picture.h"
#include "ktext.h"

namespace kadra {

// Lines end in "\r\n" (or "\n"). At least one line high; lines beyond the 16384 pixels a log
// picture may have are left out, as are columns beyond that width.
CairoSurface RenderResultsPicture(const KText& text);

}  // namespace kadra
