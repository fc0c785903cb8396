// The live backend on Linux: configuration space through /sys/bus/pci/devices/*/config
// (domain 0000 only, as configuration mechanism #1 reaches segment 0 only), memory through
// the devices' resourceN files, I/O ports through /dev/port. Writes are real writes.
//
// Choices: bytes of a configuration read beyond the end of the config file (a conventional
// function's 256 bytes, or the 64 bytes sysfs gives a non-root reader) read as 0xFF; a config
// file that cannot be opened or read makes the function not answer (all ones through 0xCFC).
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "live_machine.h"

namespace tvk {

namespace {

constexpr uint64_t kIoResourceMem = 0x00000200;  // IORESOURCE_MEM

class LiveMachine : public Machine {
  public:
    LiveMachine(std::string root, std::string portDevice)
        : root_(std::move(root)), portDevice_(std::move(portDevice)), present_(65536, false) {}

    ~LiveMachine() override {
        for (auto& [key, fd] : configFds_)
            if (fd >= 0) close(fd);
        if (portFd_ >= 0) close(portFd_);
        for (auto& [view, mapping] : views_)
            munmap(mapping.first, mapping.second);
    }

    bool ListFunctions(std::string& error) {
        DIR* dir = opendir(root_.c_str());
        if (!dir) {
            error = "machine source live: cannot list " + root_ + " (" + std::strerror(errno) + ")";
            return false;
        }
        while (dirent* entry = readdir(dir)) {
            unsigned domain, bus, device, function;
            char tail;
            if (std::sscanf(entry->d_name, "%4x:%2x:%2x.%1u%c", &domain, &bus, &device, &function,
                            &tail) == 4 &&
                std::strlen(entry->d_name) == 12 && domain == 0 && device < 32 && function < 8)
                present_[Key(uint8_t(bus), uint8_t(device), uint8_t(function))] = true;
        }
        closedir(dir);
        return true;
    }

    bool ReadConfig(uint8_t bus, uint8_t device, uint8_t function, uint16_t offset,
                    uint32_t& value) override {
        const int fd = ConfigFd(bus, device, function);
        if (fd < 0) return false;
        uint8_t bytes[4] = {0xFF, 0xFF, 0xFF, 0xFF};
        const ssize_t n = pread(fd, bytes, 4, offset & ~3u);
        if (n < 0) return false;
        value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                uint32_t(bytes[3]) << 24;
        return true;
    }

    void WriteConfig(uint8_t bus, uint8_t device, uint8_t function, uint16_t offset,
                     uint32_t value) override {
        const int fd = ConfigFd(bus, device, function);
        if (fd < 0) return;
        const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                                  uint8_t(value >> 24)};
        if (pwrite(fd, bytes, 4, offset & ~3u) != 4) {
            // A read-only or failing config file: the write is lost, as on a bus that drops it.
        }
    }

    bool ReadPort(uint32_t port, uint32_t& value) override {
        const int fd = PortFd();
        uint8_t bytes[4];
        if (fd < 0 || port > 0xFFFC || pread(fd, bytes, 4, port) != 4) return false;
        value = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                uint32_t(bytes[3]) << 24;
        return true;
    }

    bool WritePort(uint32_t port, uint32_t value) override {
        const int fd = PortFd();
        const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                                  uint8_t(value >> 24)};
        return fd >= 0 && port <= 0xFFFC && pwrite(fd, bytes, 4, port) == 4;
    }

    void* MapPhysical(uint32_t address, uint32_t length) override {
        if (length == 0) return nullptr;
        const uint64_t last = uint64_t(address) + length - 1;
        for (uint32_t key = 0; key < 65536; ++key) {
            if (!present_[key]) continue;
            const std::vector<SysfsResource>& resources = ResourcesOf(key);
            for (size_t i = 0; i < resources.size() && i < 6; ++i) {
                const SysfsResource& r = resources[i];
                if (!(r.flags & kIoResourceMem) || r.start == 0 || address < r.start ||
                    last > r.end)
                    continue;
                return MapResource(key, int(i), address - r.start, length);
            }
        }
        return nullptr;
    }

    void UnmapPhysical(void* view, uint32_t) override {
        auto it = views_.find(view);
        if (it == views_.end()) return;
        munmap(it->second.first, it->second.second);
        views_.erase(it);
    }

  private:
    static uint32_t Key(uint8_t bus, uint8_t device, uint8_t function) {
        return uint32_t(bus) << 8 | uint32_t(device) << 3 | function;
    }

    std::string FolderOf(uint32_t key) const {
        char name[32];
        std::snprintf(name, sizeof name, "0000:%02x:%02x.%x", key >> 8, (key >> 3) & 31, key & 7);
        return root_ + "/" + name;
    }

    int ConfigFd(uint8_t bus, uint8_t device, uint8_t function) {
        if (device > 31 || function > 7) return -1;
        const uint32_t key = Key(bus, device, function);
        if (!present_[key]) return -1;
        auto it = configFds_.find(key);
        if (it != configFds_.end()) return it->second;
        const std::string path = FolderOf(key) + "/config";
        int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        configFds_[key] = fd;
        return fd;
    }

    int PortFd() {
        if (portFd_ == -2) {
            portFd_ = open(portDevice_.c_str(), O_RDWR | O_CLOEXEC);
            if (portFd_ < 0) portFd_ = -1;
        }
        return portFd_;
    }

    const std::vector<SysfsResource>& ResourcesOf(uint32_t key) {
        auto it = resources_.find(key);
        if (it != resources_.end()) return it->second;
        std::ifstream in(FolderOf(key) + "/resource");
        std::stringstream text;
        text << in.rdbuf();
        return resources_[key] = ParseSysfsResources(in ? text.str() : std::string());
    }

    void* MapResource(uint32_t key, int index, uint64_t offset, uint32_t length) {
        const std::string path = FolderOf(key) + "/resource" + std::to_string(index);
        const int fd = open(path.c_str(), O_RDWR | O_SYNC | O_CLOEXEC);
        if (fd < 0) return nullptr;
        const uint64_t page = uint64_t(sysconf(_SC_PAGESIZE));
        const uint64_t start = offset & ~(page - 1);
        const size_t span = size_t(offset - start + length);
        void* base = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_SHARED, fd, off_t(start));
        close(fd);
        if (base == MAP_FAILED) return nullptr;
        void* view = static_cast<uint8_t*>(base) + (offset - start);
        views_[view] = {base, span};
        return view;
    }

    std::string root_;
    std::string portDevice_;
    std::vector<bool> present_;
    std::map<uint32_t, int> configFds_;
    std::map<uint32_t, std::vector<SysfsResource>> resources_;
    std::map<void*, std::pair<void*, size_t>> views_;
    int portFd_ = -2;  // -2 = not tried yet, -1 = not available
};

}  // namespace

std::vector<SysfsResource> ParseSysfsResources(const std::string& text) {
    std::vector<SysfsResource> resources;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        SysfsResource r;
        unsigned long long start, end, flags;
        if (std::sscanf(line.c_str(), "%llx %llx %llx", &start, &end, &flags) == 3 &&
            end >= start) {
            r.start = start;
            r.end = end;
            r.flags = flags;
        }
        resources.push_back(r);
    }
    return resources;
}

std::unique_ptr<Machine> OpenLiveMachine(std::string& error, const std::string& root,
                                         const std::string& portDevice) {
    auto machine = std::make_unique<LiveMachine>(root, portDevice);
    if (!machine->ListFunctions(error)) return nullptr;
    return machine;
}

}  // namespace tvk
