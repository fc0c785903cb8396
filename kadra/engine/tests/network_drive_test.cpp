#include <gtest/gtest.h>

#include "engine_fixture.h"
#include "network_drive.h"
#include "remote_file_system.h"

namespace kadra::testing {
namespace {

class NetworkDriveTest : public EngineTest {
  protected:
    void TearDown() override {
        SetNetworkDriveList(L"");
        EngineTest::TearDown();
    }
};

TEST_F(NetworkDriveTest, ListDecidesByCaseBeforeTheSystemsDriveType) {
    SetNetworkDriveList(L"XYz");
    files.remoteFolders = {L"Z:\\", L"Q:\\"};
    struct Case {
        const wchar_t* path;
        int network;
    };
    const Case cases[] = {
        {L"X:\\KADRA.TMP", 1},
        {L"x:\\KADRA.TMP", 1},
        {L"Y:\\a", 1},
        {L"Z:\\KADRA.TMP", 0},  // lower-case z: never, whatever the system says
        {L"Q:\\KADRA.TMP", 1},  // not listed: the system reports it remote
        {L"C:\\KADRA.TMP", 0},
        {L"\\\\server\\share\\KADRA.TMP", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsNetworkDrive(c.path), c.network) << c.path;
}

TEST_F(NetworkDriveTest, PathsWithoutADriveLetter) {
    SetNetworkDriveList(L"");
    files.remoteFolders = {L"/mnt/nfs/"};
#ifdef _WIN32
    EXPECT_EQ(IsNetworkDrive(L"/mnt/nfs/KADRA.TMP"), 0);
#else
    EXPECT_EQ(IsNetworkDrive(L"/mnt/nfs/KADRA.TMP"), 1);
    EXPECT_EQ(IsNetworkDrive(L"/home/KADRA.TMP"), 0);
#endif
    EXPECT_EQ(IsNetworkDrive(L"K"), 0);
}

TEST(RemoteFileSystemTest, NamesNetworkTypesAndMagicNumbers) {
    for (const char* type : {"nfs", "nfs4", "cifs", "smb3", "fuse.sshfs", "9p", "ceph"}) {
        EXPECT_TRUE(IsRemoteFileSystemType(type)) << type;
    }
    for (const char* type : {"ext4", "xfs", "btrfs", "tmpfs", "fuse.ntfs-3g", "overlay", ""}) {
        EXPECT_FALSE(IsRemoteFileSystemType(type)) << type;
    }
    EXPECT_TRUE(IsRemoteFileSystemMagic(0x6969));      // NFS
    EXPECT_TRUE(IsRemoteFileSystemMagic(0xFF534D42));  // CIFS
    EXPECT_TRUE(IsRemoteFileSystemMagic(0xFE534D42));  // SMB3
    EXPECT_FALSE(IsRemoteFileSystemMagic(0xEF53));     // ext4
    EXPECT_FALSE(IsRemoteFileSystemMagic(kFuseSuperMagic)) << "FUSE needs its subtype";
}

TEST(RemoteFileSystemTest, FindsTheMountHoldingAPath) {
    const char* mountinfo =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "40 22 0:41 / /mnt/share rw,relatime shared:20 - cifs //srv/share rw,vers=3.0\n"
        "41 22 0:42 / /mnt/share\\040two rw - fuse.sshfs me@host:/ rw\n"
        "42 40 0:43 / /mnt/share/local rw - tmpfs tmpfs rw\n"
        "43 22 0:44 / /mnt/sharex rw master:3 - nfs4 srv:/x rw\n";
    EXPECT_EQ(MountTypeOfPath("/home/me/KADRA.TMP", mountinfo), "ext4");
    EXPECT_EQ(MountTypeOfPath("/mnt/share/KADRA.TMP", mountinfo), "cifs");
    EXPECT_EQ(MountTypeOfPath("/mnt/share", mountinfo), "cifs");
    EXPECT_EQ(MountTypeOfPath("/mnt/share two/a", mountinfo), "fuse.sshfs");
    EXPECT_EQ(MountTypeOfPath("/mnt/share/local/a", mountinfo), "tmpfs");
    EXPECT_EQ(MountTypeOfPath("/mnt/sharex/a", mountinfo), "nfs4");
    EXPECT_EQ(MountTypeOfPath("relative", mountinfo), "");
}

}  // namespace
}  // namespace kadra::testing
