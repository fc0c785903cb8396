// Opening a file the user names for reading: the ID file pcidevs.txt, a memory image to load.
// Only a regular file is read. A FIFO, a folder or a device is refused before anything is read
// from it (a FIFO is opened without waiting for a writer, so the program never hangs on one);
// a file larger than a given cap is refused by its size.
#pragma once

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

namespace bexa {

enum class InputFileStatus {
    Opened,
    CannotOpen,      // missing, no permission, ...: the system's reason
    NotRegularFile,  // a folder, a FIFO, a device, a socket
    TooLarge,        // a regular file larger than the cap
};

struct InputFile {
    std::FILE* file = nullptr;  // binary reading; the caller closes it
    InputFileStatus status = InputFileStatus::CannotOpen;
    std::string reason;  // why it was not opened: "is a folder", "not a regular file", ...
};

inline constexpr std::uint64_t kNoSizeCap = std::numeric_limits<std::uint64_t>::max();

// Opens `path` (the platform's 8-bit path text) for binary reading if it names a regular file
// of at most `maxBytes` bytes.
InputFile OpenInputFile(const char* path, std::uint64_t maxBytes = kNoSizeCap);

// "16 MiB" for 16 << 20 bytes; whole KiB or bytes below a MiB.
std::string ByteSizeText(std::uint64_t bytes);

}  // namespace bexa
