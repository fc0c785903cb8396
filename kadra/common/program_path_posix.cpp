#include <unistd.h>

#include <string>

#include "program_path.h"

namespace kadra {

KText ProgramFilePath() {
    std::string buffer(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return {};
    buffer.resize(static_cast<std::size_t>(n));
    return FromUtf8(buffer);
}

}  // namespace kadra
