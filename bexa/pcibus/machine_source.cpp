#include "machine_source.h"

#include <vector>

#include "travik_source.h"

namespace bexa {

namespace {

std::string Fetch(uint32_t(TVK_CALL* query)(char*, uint32_t)) {
    const uint32_t length = query(nullptr, 0);
    if (length == 0) return {};
    std::vector<char> text(size_t(length) + 1, '\0');
    query(text.data(), uint32_t(text.size()));
    return std::string(text.data());
}

}  // namespace

MachineSource QueryMachineSource() {
    MachineSource source;
    source.label = Fetch(TravikSourceLabel);
    source.error = Fetch(TravikSelectionError);
    return source;
}

std::string WindowCaption(const MachineSource& source) {
    return source.label.empty() ? "Bexa" : "Bexa - " + source.label;
}

}  // namespace bexa
