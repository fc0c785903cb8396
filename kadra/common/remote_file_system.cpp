#include "remote_file_system.h"

#include <sstream>
#include <vector>

namespace kadra {

namespace {

// Undoes the octal escapes (\040 for a blank and so on) of a mountinfo path.
std::string UnescapeMountPath(std::string_view text) {
    std::string out;
    auto octal = [](char c) { return c >= '0' && c <= '7'; };
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && octal(text[i + 1]) && octal(text[i + 2]) &&
            octal(text[i + 3])) {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                     (text[i + 3] - '0'));
            i += 3;
            continue;
        }
        out += text[i];
    }
    return out;
}

// Whether mount point `mount` contains `path`.
bool MountContains(const std::string& mount, std::string_view path) {
    if (mount == "/") return !path.empty() && path[0] == '/';
    if (path.substr(0, mount.size()) != mount) return false;
    return path.size() == mount.size() || path[mount.size()] == '/';
}

}  // namespace

bool IsRemoteFileSystemMagic(uint64_t magic) {
    switch (magic) {
        case 0x6969:      // NFS
        case 0x517B:      // SMB
        case 0xFF534D42:  // CIFS
        case 0xFE534D42:  // SMB2 / SMB3
        case 0x564C:      // NCP
        case 0x01021997:  // 9P
        case 0x5346414F:  // AFS
        case 0x6B414653:  // kAFS
        case 0x73757245:  // Coda
        case 0x00C36400:  // Ceph
        case 0x0BD00BD0:  // Lustre
            return true;
        default:
            return false;
    }
}

bool IsRemoteFileSystemType(std::string_view type) {
    static const char* const remote[] = {
        "nfs",       "nfs4",         "cifs",        "smb3",
        "smbfs",     "smb",          "ncpfs",       "ncp",
        "9p",        "afs",          "coda",        "ceph",
        "glusterfs", "lustre",       "davfs",       "fuse.sshfs",
        "fuse.s3fs", "fuse.rclone",  "fuse.davfs2", "fuse.glusterfs",
        "fuse.ceph", "fuse.gcsfuse", "fuse.goofys", "fuse.curlftpfs"};
    for (const char* name : remote) {
        if (type == name) return true;
    }
    return false;
}

std::string MountTypeOfPath(std::string_view path, std::string_view mountinfo) {
    std::string bestType;
    size_t bestLength = 0;
    bool found = false;
    std::istringstream lines{std::string(mountinfo)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> words;
        std::string word;
        while (fields >> word)
            words.push_back(word);
        // id, parent, major:minor, root, mount point, options, optional fields, "-", type, ...
        if (words.size() < 7) continue;
        size_t dash = 6;
        while (dash < words.size() && words[dash] != "-")
            ++dash;
        if (dash + 1 >= words.size()) continue;
        std::string mount = UnescapeMountPath(words[4]);
        if (!MountContains(mount, path)) continue;
        if (!found || mount.size() >= bestLength) {
            found = true;
            bestLength = mount.size();
            bestType = words[dash + 1];
        }
    }
    return bestType;
}

}  // namespace kadra
