// Linux: whether a folder lies on a network file system, from the statfs magic number or, for
// FUSE, from the mount's type in /proc/self/mountinfo. Used by the POSIX test file backend.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kadra {

// Linux: file system magic numbers (statfs f_type) of network file systems.
bool IsRemoteFileSystemMagic(uint64_t magic);
inline constexpr uint64_t kFuseSuperMagic = 0x65735546;

// Linux: whether a file system type as /proc/self/mountinfo names it ("nfs4", "cifs",
// "fuse.sshfs") is a network file system.
bool IsRemoteFileSystemType(std::string_view type);

// Linux: the file system type of the mount that holds the absolute path `path`, from the text of
// /proc/self/mountinfo (the mount with the longest mount point that contains the path; the
// last one mounted wins a tie). Empty when none matches.
std::string MountTypeOfPath(std::string_view path, std::string_view mountinfo);

}  // namespace kadra
