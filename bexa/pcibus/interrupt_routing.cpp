#include "interrupt_routing.h"

#include <cstdio>

namespace bexa {

std::string InterruptRoutingText(const PciDeviceList& list, const char* lineEnd) {
    std::string text;
    char buffer[96];
    for (int line = 0; line < 16; ++line) {
        std::snprintf(buffer, sizeof buffer, "INT line %2d <- ", line);
        text += buffer;
        for (int i = 0; i < list.Count(); ++i) {
            const PciDevice& d = list.Entry(i);
            if (d.InterruptPin() == 0 || (d.InterruptLine() & 0xF) != line) continue;
            std::snprintf(buffer, sizeof buffer, " %d<-%X(%d.%d.%d)%04X.%04X  ", d.InterruptLine(),
                          d.InterruptPin() + 9, d.bus, d.Device(), d.Function(), d.DeviceId(),
                          d.VendorId());
            text += buffer;
            if (d.Device() <= 9) text += ' ';
        }
        text += lineEnd;
    }
    return text;
}

}  // namespace bexa
