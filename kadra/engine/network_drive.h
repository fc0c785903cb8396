// Whether a path lies on a network drive: the write pass keeps system caching on there.
#pragma once

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

}  // namespace kadra
