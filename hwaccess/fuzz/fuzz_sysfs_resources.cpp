// libFuzzer target for the parser of sysfs `resource` files of the live backend. The input is
// the file. Every line gives one entry, in order; an entry either spans start..end with
// end >= start or is all zero.
#include <cstddef>
#include <cstdint>
#include <string>

#include "live_machine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto resources = tvk::ParseSysfsResources(text);
    size_t lines = 0;
    for (char c : text)
        lines += c == '\n';
    if (!text.empty() && text.back() != '\n') ++lines;
    if (resources.size() != lines) __builtin_trap();
    for (const tvk::SysfsResource& r : resources) {
        if (r.end < r.start) __builtin_trap();
    }
    // The parse of each line does not depend on the lines around it.
    if (!resources.empty()) {
        const size_t cut = text.find('\n');
        const auto head =
            tvk::ParseSysfsResources(text.substr(0, cut == std::string::npos ? cut : cut + 1));
        if (head.size() != 1 || head[0].start != resources[0].start ||
            head[0].end != resources[0].end || head[0].flags != resources[0].flags)
            __builtin_trap();
    }
    return 0;
}
