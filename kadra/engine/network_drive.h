// Whether a path lies on a network drive: the write pass keeps system caching on there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ktext.h"

namespace kadra {

// 1 when `path` lies on a network drive, else 0. A path starting with two backslashes does; a
// drive letter found in upper case in the network drive list does, one found in lower case
// does not, any other drive does when the system reports its root as remote. A path without a
// drive letter is not on a network drive on Windows; elsewhere it is when the file system
// holding its folder is a network file system (NFS, SMB, sshfs and the like).
int IsNetworkDrive(const KText& path);

// The network drive list: the value of "NETWORKDRIVES" in section "FIO" of ZELT.INI (at most
// 48 characters), read once on the first use of IsNetworkDrive.
KText ReadNetworkDriveList();

// Replaces the list IsNetworkDrive uses (and marks it read); for tests.
void SetNetworkDriveList(const KText& list);

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
