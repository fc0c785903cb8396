// The live backend: on a sysfs-like folder made by the test (short, unreadable and extended
// config files, resource files, a port device) and on this machine's real sysfs.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "config_dump.h"
#include "live_machine.h"
#include "service.h"
#include "test_support.h"

namespace tvk {
namespace {

using test::Read;

std::string Bytes(size_t n, uint8_t first) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = char(uint8_t(first + i));
    return s;
}

class FakeSysfs : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = folder_.file("devices");
        device("0000:00:00.0", Bytes(256, 0));
        device("0000:00:01.0", Bytes(64, 0x40));    // what a non-root reader gets
        device("0000:00:03.0", Bytes(4096, 0x10));  // extended space
        device("0001:00:00.0", Bytes(256, 0x80));   // another domain
        std::filesystem::create_directories(root_ + "/0000:00:02.0/config");  // unreadable
        test::WriteFile(root_ + "/0000:00:00.0/resource",
                        "0x00000000f7e00000 0x00000000f7e01fff 0x0000000000040200\n"
                        "0x000000000000e000 0x000000000000e01f 0x0000000000040101\n"
                        "0x0000000000000000 0x0000000000000000 0x0000000000000000\n");
        test::WriteFile(root_ + "/0000:00:00.0/resource0", Bytes(8192, 0x20));
        test::WriteFile(folder_.file("port"), Bytes(65536, 0));
        std::string error;
        machine_ = OpenLiveMachine(error, root_, folder_.file("port"));
        ASSERT_NE(machine_, nullptr) << error;
    }
    void device(const std::string& name, const std::string& config) {
        std::filesystem::create_directories(root_ + "/" + name);
        test::WriteFile(root_ + "/" + name + "/config", config);
    }
    test::TempFolder folder_;
    std::string root_;
    std::unique_ptr<Machine> machine_;
};

TEST_F(FakeSysfs, ReadsConfigurationFilesOfDomainZero) {
    EXPECT_EQ(Read(*machine_, 0, 0, 0, 0x00), 0x03020100u);
    EXPECT_EQ(Read(*machine_, 0, 0, 0, 0xFC), 0xFFFEFDFCu);
    EXPECT_EQ(Read(*machine_, 0, 0, 0, 0x100), 0xFFFFFFFFu);  // past the 256-byte file
    EXPECT_EQ(Read(*machine_, 0, 1, 0, 0x3C), 0x7F7E7D7Cu);
    uint32_t value = 0;
    EXPECT_TRUE(machine_->ReadConfig(0, 1, 0, 0x40, value));  // short file: the rest is FF
    EXPECT_EQ(value, 0xFFFFFFFFu);
    EXPECT_EQ(Read(*machine_, 0, 3, 0, 0xFFC), 0x0F0E0D0Cu);
    EXPECT_FALSE(machine_->ReadConfig(0, 2, 0, 0, value));  // unreadable: does not answer
    EXPECT_FALSE(machine_->ReadConfig(0, 4, 0, 0, value));  // absent
    EXPECT_FALSE(machine_->ReadConfig(1, 0, 0, 0, value));
}

TEST_F(FakeSysfs, WritesReachTheFile) {
    machine_->WriteConfig(0, 0, 0, 0x3C, 0x0000010B);
    EXPECT_EQ(Read(*machine_, 0, 0, 0, 0x3C), 0x0000010Bu);
    const std::string config = test::ReadFile(root_ + "/0000:00:00.0/config");
    EXPECT_EQ(config.substr(0x3C, 4), std::string("\x0b\x01\x00\x00", 4));
    machine_->WriteConfig(0, 2, 0, 0x3C, 1);  // unreadable: lost without harm
}

TEST_F(FakeSysfs, MapsInsideAMemoryResourceOnly) {
    auto* view = static_cast<uint8_t*>(machine_->MapPhysical(0xF7E01003, 16));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view[0], uint8_t(0x20 + 0x1003));
    view[1] = 0xAB;
    machine_->UnmapPhysical(view, 16);
    EXPECT_EQ(uint8_t(test::ReadFile(root_ + "/0000:00:00.0/resource0")[0x1004]), 0xAB);
    EXPECT_EQ(machine_->MapPhysical(0xF7E01FF0, 32), nullptr);  // runs past the end
    EXPECT_EQ(machine_->MapPhysical(0x0000E000, 4), nullptr);   // an I/O resource
    EXPECT_EQ(machine_->MapPhysical(0x00001000, 4), nullptr);
    EXPECT_EQ(machine_->MapPhysical(0xF7E00000, 0), nullptr);
}

TEST_F(FakeSysfs, PortsThroughThePortDevice) {
    ASSERT_TRUE(machine_->WritePort(0x80, 0x11223344));
    uint32_t value = 0;
    ASSERT_TRUE(machine_->ReadPort(0x80, value));
    EXPECT_EQ(value, 0x11223344u);
    EXPECT_FALSE(machine_->ReadPort(0x10000, value));
    std::string error;
    auto noPorts = OpenLiveMachine(error, root_, folder_.file("no-such-port"));
    ASSERT_NE(noPorts, nullptr);
    EXPECT_FALSE(noPorts->ReadPort(0x80, value));
    EXPECT_FALSE(noPorts->WritePort(0x80, value));
    InstallMachine(std::move(noPorts));
    EXPECT_NE(TVK_InPort(0x80, &value, 1, 32), 0);  // the contract's failure result
    EXPECT_EQ(test::PortRead(0, 0, 0, 0), 0x03020100u);
}

TEST(LiveMachine, MissingRootIsAnError) {
    std::string error;
    EXPECT_EQ(OpenLiveMachine(error, "/no/such/sysfs"), nullptr);
    EXPECT_NE(error.find("/no/such/sysfs"), std::string::npos) << error;
}

TEST(LiveMachine, ParsesResourceFiles) {
    const auto r = ParseSysfsResources(
        "0x0000004000000000 0x000000400007ffff 0x0000000000140204\n"
        "0x0000000000000000 0x0000000000000000 0x0000000000000000\n"
        "garbage\n");
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].start, 0x4000000000u);
    EXPECT_EQ(r[0].end, 0x400007FFFFu);
    EXPECT_EQ(r[0].flags, 0x140204u);
    EXPECT_EQ(r[2].start, 0u);
    EXPECT_EQ(r[2].flags, 0u);
}

// This machine's own functions through the service: the same bytes as the config files.
TEST(LiveMachine, AgreesWithThisMachinesSysfs) {
    const std::string root = "/sys/bus/pci/devices";
    if (!std::filesystem::is_directory(root)) GTEST_SKIP() << "no " << root;
    std::string error;
    auto live = OpenMachine("live", error);
    ASSERT_NE(live, nullptr) << error;
    InstallMachine(std::move(live));
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(root)) {
        unsigned domain, bus, device, function;
        const std::string name = entry.path().filename().string();
        if (std::sscanf(name.c_str(), "%x:%x:%x.%u", &domain, &bus, &device, &function) != 4 ||
            domain != 0)
            continue;
        const std::string config = test::ReadFile(entry.path().string() + "/config");
        if (config.size() < 64) continue;
        for (size_t off = 0; off < 64; off += 4) {
            uint32_t expected;
            std::memcpy(&expected, config.data() + off, 4);
            EXPECT_EQ(
                test::PortRead(uint8_t(bus), uint8_t(device), uint8_t(function), uint8_t(off)),
                expected)
                << name << " offset " << off;
        }
        ++compared;
    }
    EXPECT_GT(compared, 0);
    for (uint8_t device = 0; device < 32; ++device) {  // the first empty slot of bus 0
        if (!std::filesystem::exists(root + "/0000:00:" + (device < 16 ? "0" : "") +
                                     std::string(1, "0123456789abcdef"[device & 15]) + ".0")) {
            EXPECT_EQ(test::PortRead(0, device, 0, 0), 0xFFFFFFFFu) << int(device);
            break;
        }
    }
}

}  // namespace
}  // namespace tvk
