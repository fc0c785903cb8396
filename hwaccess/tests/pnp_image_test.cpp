// Configuration images from Plug and Play data: the ids, header types, BARs with their sizes,
// bridges' bus numbers from the device tree, bad input, and the read-only machine over them.
#include "pnp_image.h"

#include <gtest/gtest.h>

#include "pnp_machine.h"
#include "service.h"
#include "test_support.h"

namespace tvk {
namespace {

uint32_t Dword(const FunctionImage& f, size_t offset) {
    return uint32_t(f.config[offset]) | uint32_t(f.config[offset + 1]) << 8 |
           uint32_t(f.config[offset + 2]) << 16 | uint32_t(f.config[offset + 3]) << 24;
}

PnpDevice Device(const std::string& instance, const std::string& parent, uint32_t bus,
                 uint32_t device, uint32_t function, std::vector<std::string> hardwareIds,
                 std::vector<std::string> compatibleIds = {}) {
    PnpDevice d;
    d.instanceId = instance;
    d.parentId = parent;
    d.busNumber = bus;
    d.address = device << 16 | function;
    d.hardwareIds = std::move(hardwareIds);
    d.compatibleIds = std::move(compatibleIds);
    return d;
}

PnpRange Memory(uint64_t start, uint64_t length, bool wide = false, bool prefetchable = false) {
    PnpRange r;
    r.start = start;
    r.length = length;
    r.wide = wide;
    r.prefetchable = prefetchable;
    return r;
}

PnpRange Io(uint64_t start, uint64_t length) {
    PnpRange r = Memory(start, length);
    r.space = PnpRange::Space::Io;
    return r;
}

// A desktop as Windows reports it: a host bridge, HD audio with a 64-bit BAR, a two-function
// USB controller, a PCI bridge to bus 1 with a capture card and a second bridge to bus 2.
std::vector<PnpDevice> Desktop() {
    const std::string root = "ACPI\\PNP0A08\\0";
    std::vector<PnpDevice> list;
    list.push_back(Device(
        "PCI\\HOST", root, 0, 0, 0,
        {"PCI\\VEN_8086&DEV_2580&SUBSYS_25801458&REV_04", "PCI\\VEN_8086&DEV_2580&SUBSYS_25801458"},
        {"PCI\\VEN_8086&DEV_2580&REV_04", "PCI\\VEN_8086&CC_060000", "PCI\\CC_0600"}));
    PnpDevice audio =
        Device("PCI\\AUDIO", root, 0, 0x1B, 0, {"PCI\\VEN_8086&DEV_2668&SUBSYS_01231043&REV_03"},
               {"PCI\\CC_0403", "PCI\\CC_040300"});
    audio.ranges = {Memory(0xFEBF8000, 0x4000, true)};
    audio.interruptLine = 22;
    audio.interruptPin = 1;
    list.push_back(audio);
    for (uint32_t fn = 0; fn < 2; ++fn) {
        PnpDevice usb = Device("PCI\\USB" + std::to_string(fn), root, 0, 0x1D, fn,
                               {"PCI\\VEN_8086&DEV_265" + std::to_string(8 + fn) + "&REV_03"},
                               {"PCI\\CC_0C0300"});
        usb.ranges = {Io(0xE000 + 0x20 * fn, 0x20)};
        list.push_back(usb);
    }
    PnpDevice bridge = Device("PCI\\BRIDGE", root, 0, 0x1E, 0, {"pci\\ven_8086&dev_244e&rev_d3"},
                              {"PCI\\CC_060401"});
    PnpRange window = Memory(0xFE900000, 0x200000);
    window.decode = PnpRange::Decode::Window;
    bridge.ranges = {Io(0xC000, 0x2000), window};  // windows, not BARs
    list.push_back(bridge);
    PnpDevice capture =
        Device("PCI\\CAPTURE", "PCI\\BRIDGE", 1, 5, 0,
               {"PCI\\VEN_14F1&DEV_8800&SUBSYS_34010070&REV_05"}, {"PCI\\CC_040000"});
    capture.ranges = {Memory(0xD0000000, 0x1000000, false, true), Io(0xD000, 32)};
    capture.interruptLine = 10;
    list.push_back(capture);
    list.push_back(Device("PCI\\PLX", "PCI\\BRIDGE", 1, 0, 0, {"PCI\\VEN_10B5&DEV_6152&REV_01"},
                          {"PCI\\CC_060400"}));
    PnpDevice saa = Device("PCI\\SAA", "PCI\\PLX", 2, 4, 0, {"PCI\\VEN_1131&DEV_7134&REV_01"},
                           {"PCI\\CC_048000"});
    saa.ranges = {Memory(0x400000000ull, 0x100000)};  // above 4G: 64-bit
    list.push_back(saa);
    return list;
}

const FunctionImage* Find(const PnpImages& images, uint8_t bus, uint8_t device, uint8_t fn) {
    for (const FunctionImage& f : images.functions)
        if (f.bus == bus && f.device == device && f.function == fn) return &f;
    return nullptr;
}

TEST(PnpIds, ParsesHardwareAndCompatibleIds) {
    const struct {
        const char* id;
        std::optional<uint16_t> vendor, device;
        std::optional<uint32_t> subsystem;
        std::optional<uint8_t> revision;
        std::optional<uint32_t> classCode;
    } cases[] = {
        {"PCI\\VEN_8086&DEV_2668&SUBSYS_01231043&REV_03", 0x8086, 0x2668, 0x01231043, 0x03, {}},
        {"pci\\ven_14f1&dev_8800&cc_040000", 0x14F1, 0x8800, {}, {}, 0x040000},
        {"PCI\\CC_0C0320", {}, {}, {}, {}, 0x0C0320},
        {"PCI\\CC_0604", {}, {}, {}, {}, 0x060400},
        {"PCI\\VEN_10B5&DEV_6152\\3&11583659&0&F0", 0x10B5, 0x6152, {}, {}, {}},  // instance id
        {"PCI\\VEN_12&DEV_12345&REV_XY&CC_06", {}, {}, {}, {}, {}},  // wrong lengths, not hex
        {"USB\\VID_046D&PID_C52B", {}, {}, {}, {}, {}},
        {"PCI\\", {}, {}, {}, {}, {}},
        {"", {}, {}, {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const PnpIds ids = ParsePnpId(c.id);
        EXPECT_EQ(ids.vendor, c.vendor);
        EXPECT_EQ(ids.device, c.device);
        EXPECT_EQ(ids.subsystem, c.subsystem);
        EXPECT_EQ(ids.revision, c.revision);
        EXPECT_EQ(ids.classCode, c.classCode);
    }
}

TEST(PnpImages, IdentifiersHeaderTypesAndInterrupts) {
    const PnpImages images = BuildPnpImages(Desktop());
    EXPECT_TRUE(images.notes.empty()) << images.notes.front();
    ASSERT_EQ(images.functions.size(), 8u);
    const struct {
        uint8_t bus, device, function;
        uint32_t ids, classRev, header, subsystem, interrupt;
    } cases[] = {
        {0, 0x00, 0, 0x25808086, 0x06000004, 0x00, 0x25801458, 0x0000},  // host bridge
        {0, 0x1B, 0, 0x26688086, 0x04030003, 0x00, 0x01231043, 0x0116},  // six-digit class wins
        {0, 0x1D, 0, 0x26588086, 0x0C030003, 0x80, 0, 0},                // multi-function
        {0, 0x1D, 1, 0x26598086, 0x0C030003, 0x80, 0, 0},
        {0, 0x1E, 0, 0x244E8086, 0x060401D3, 0x01, 0, 0},  // bridge: no subsystem at 0x2C
        {1, 0x05, 0, 0x880014F1, 0x04000005, 0x00, 0x34010070, 0x000A},
        {1, 0x00, 0, 0x615210B5, 0x06040001, 0x01, 0, 0},
        {2, 0x04, 0, 0x71341131, 0x04800001, 0x00, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << int(c.bus) << ":" << int(c.device) << "." << int(c.function));
        const FunctionImage* f = Find(images, c.bus, c.device, c.function);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(Dword(*f, 0x00), c.ids);
        EXPECT_EQ(Dword(*f, 0x04), 0u);  // command and status: not given
        EXPECT_EQ(Dword(*f, 0x08), c.classRev);
        EXPECT_EQ(f->config[0x0E], c.header);
        EXPECT_EQ(Dword(*f, 0x2C), c.header == 0x01 ? 0u : c.subsystem);
        EXPECT_EQ(uint32_t(f->config[0x3D]) << 8 | f->config[0x3C], c.interrupt);
    }
}

TEST(PnpImages, BarsWithTheirSizes) {
    const PnpImages images = BuildPnpImages(Desktop());
    const struct {
        uint8_t bus, device, function;
        std::vector<uint32_t> bars;  // BAR 0 onwards; the rest are zero
        std::vector<uint64_t> sizes;
    } cases[] = {
        {0, 0x00, 0, {}, {}},                                     // no resources
        {0, 0x1B, 0, {0xFEBF8004, 0x00000000}, {0x4000, 0}},      // 64-bit below 4G
        {0, 0x1D, 1, {0x0000E021}, {0x20}},                       // I/O
        {0, 0x1E, 0, {}, {}},                                     // a bridge's windows
        {1, 0x05, 0, {0xD0000008, 0x0000D001}, {0x1000000, 32}},  // prefetchable 32-bit, I/O
        {2, 0x04, 0, {0x00000004, 0x00000004}, {0x100000, 0}},    // 64-bit above 4G
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << int(c.bus) << ":" << int(c.device) << "." << int(c.function));
        const FunctionImage* f = Find(images, c.bus, c.device, c.function);
        ASSERT_NE(f, nullptr);
        const int slots = (f->config[0x0E] & 0x7F) == 1 ? 2 : 6;
        for (int i = 0; i < slots; ++i) {
            const size_t n = size_t(i);
            EXPECT_EQ(Dword(*f, 0x10 + 4 * n), n < c.bars.size() ? c.bars[n] : 0u) << "BAR " << i;
            EXPECT_EQ(f->barSize[n], n < c.sizes.size() ? c.sizes[n] : 0u) << "BAR " << i;
        }
    }
}

TEST(PnpImages, BridgesTakeTheirBusesFromTheDeviceTree) {
    const PnpImages images = BuildPnpImages(Desktop());
    const FunctionImage* ich = Find(images, 0, 0x1E, 0);
    const FunctionImage* plx = Find(images, 1, 0, 0);
    ASSERT_TRUE(ich && plx);
    EXPECT_EQ(Dword(*ich, 0x18) & 0xFFFFFF, 0x020100u);  // 0 -> 1 .. 2
    EXPECT_EQ(Dword(*plx, 0x18) & 0xFFFFFF, 0x020201u);  // 1 -> 2 .. 2

    // A bridge with nothing below it: its own bus only. A CardBus bridge: header 2, BAR 0,
    // subsystem at 0x40, its socket's bus from the function below it.
    std::vector<PnpDevice> list;
    list.push_back(
        Device("PCI\\EMPTY", "", 0, 3, 0, {"PCI\\VEN_8086&DEV_244E"}, {"PCI\\CC_060400"}));
    PnpDevice cardbus = Device("PCI\\CB", "", 0, 4, 0, {"PCI\\VEN_104C&DEV_AC55&SUBSYS_AC55104C"},
                               {"PCI\\CC_060700"});
    cardbus.ranges = {Memory(0xFE9FE000, 0x1000)};
    cardbus.ranges[0].decode = PnpRange::Decode::Bar;
    list.push_back(cardbus);
    list.push_back(Device("PCI\\CARD", "pci\\cb", 3, 0, 0, {"PCI\\VEN_1131&DEV_7134"}));
    const PnpImages more = BuildPnpImages(list);
    const FunctionImage* empty = Find(more, 0, 3, 0);
    const FunctionImage* cb = Find(more, 0, 4, 0);
    ASSERT_TRUE(empty && cb);
    EXPECT_EQ(Dword(*empty, 0x18), 0u);
    EXPECT_EQ(cb->config[0x0E], 0x02);
    EXPECT_EQ(Dword(*cb, 0x10), 0xFE9FE000u);
    EXPECT_EQ(cb->barSize[0], 0x1000u);
    EXPECT_EQ(Dword(*cb, 0x2C), 0u);
    EXPECT_EQ(Dword(*cb, 0x40), 0xAC55104Cu);
    EXPECT_EQ(Dword(*cb, 0x18) & 0xFFFFFF, 0x030300u);
}

TEST(PnpImages, BadInputIsLeftOutOrZero) {
    PnpDevice noBus = Device("PCI\\NOBUS", "", 0, 1, 0, {"PCI\\VEN_8086&DEV_0001"});
    noBus.busNumber.reset();
    PnpDevice noAddress = Device("PCI\\NOADDR", "", 0, 1, 0, {"PCI\\VEN_8086&DEV_0001"});
    noAddress.address.reset();
    std::vector<PnpDevice> list = {
        noBus,
        noAddress,
        Device("PCI\\DEV32", "", 0, 32, 0, {"PCI\\VEN_8086&DEV_0002"}),
        Device("PCI\\FN8", "", 0, 2, 8, {"PCI\\VEN_8086&DEV_0003"}),
        Device("PCI\\NOVENDOR", "", 0, 3, 0, {"PCI\\DEV_0004&REV_01"}, {"PCI\\CC_0300"}),
        Device("PCI\\ALLONES", "", 0, 4, 0, {"PCI\\VEN_FFFF&DEV_FFFF"}),
        Device("PCI\\FIRST", "", 0, 5, 0, {"PCI\\VEN_8086&DEV_0005"}),
        Device("PCI\\SECOND", "", 0, 5, 0, {"PCI\\VEN_8086&DEV_0006"}),
        Device("PCI\\BUS256", "", 256, 6, 0, {"PCI\\VEN_8086&DEV_0007"}),
        Device("PCI\\NODEVICE", "", 0, 7, 0, {"PCI\\VEN_8086&SUBSYS_XYZ"}, {"PCI\\CC_06"}),
    };
    PnpDevice oddRanges = Device("PCI\\ODD", "", 0, 8, 0, {"PCI\\VEN_8086&DEV_0008"});
    oddRanges.ranges = {Memory(0xFEB00000, 0x3000), Memory(0xFEB01000, 0x1000), Io(0x1F0, 8),
                        Memory(0, 0), Io(0x3F6, 1)};  // odd sizes, misaligned, empty
    oddRanges.interruptLine = 0xFFFFFFFA;             // a message-signalled interrupt
    oddRanges.interruptPin = 9;
    list.push_back(oddRanges);

    const PnpImages images = BuildPnpImages(list);
    ASSERT_EQ(images.functions.size(), 3u);
    const FunctionImage* first = Find(images, 0, 5, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Dword(*first, 0), 0x00058086u);  // the first at an address keeps it
    const FunctionImage* noDevice = Find(images, 0, 7, 0);
    ASSERT_NE(noDevice, nullptr);
    EXPECT_EQ(Dword(*noDevice, 0x00), 0x00008086u);  // missing fields are zero
    EXPECT_EQ(Dword(*noDevice, 0x08), 0u);
    EXPECT_EQ(Dword(*noDevice, 0x2C), 0u);
    const FunctionImage* odd = Find(images, 0, 8, 0);
    ASSERT_NE(odd, nullptr);
    // Only the ranges that could be BARs, in their order: no odd size, none of 1 byte.
    EXPECT_EQ(Dword(*odd, 0x10), 0xFEB01000u);
    EXPECT_EQ(odd->barSize[0], 0x1000u);
    EXPECT_EQ(Dword(*odd, 0x14), 0x000001F1u);
    EXPECT_EQ(odd->barSize[1], 8u);
    EXPECT_EQ(Dword(*odd, 0x18), 0u);
    EXPECT_EQ(Dword(*odd, 0x3C), 0u);

    const std::vector<std::string> left = {"NOBUS",    "NOADDR",  "DEV32",  "FN8",
                                           "NOVENDOR", "ALLONES", "SECOND", "BUS256"};
    ASSERT_EQ(images.notes.size(), left.size());
    for (size_t i = 0; i < left.size(); ++i)
        EXPECT_EQ(images.notes[i].rfind("PCI\\" + left[i] + ": left out: ", 0), 0u)
            << images.notes[i];
}

TEST(PnpMachine, AnswersTheSizeProbeAndRefusesEverythingElse) {
    auto owned = std::make_unique<PnpMachine>(Desktop());
    PnpMachine& machine = *owned;
    EXPECT_EQ(machine.FunctionCount(), 8u);
    EXPECT_EQ(machine.SourceLabel(), "Windows, read-only");
    InstallMachine(std::move(owned));

    EXPECT_EQ(test::PortRead(1, 5, 0, 0x00), 0x880014F1u);
    EXPECT_EQ(test::PortRead(1, 6, 0, 0x00), 0xFFFFFFFFu);  // nothing there
    // The probe of BAR 0 and BAR 1 of the capture card, as Bexa runs it.
    const struct {
        uint8_t offset;
        uint32_t value, mask;
    } probes[] = {{0x10, 0xD0000008, 0xFF000008}, {0x14, 0x0000D001, 0xFFFFFFE1}};
    for (const auto& p : probes) {
        test::PortWrite(1, 5, 0, p.offset, 0xFFFFFFFF);
        EXPECT_EQ(test::PortRead(1, 5, 0, p.offset), p.mask);
        test::PortWrite(1, 5, 0, p.offset, p.value);
        EXPECT_EQ(test::PortRead(1, 5, 0, p.offset), p.value);
    }

    // Any other write fails and changes nothing: moving a BAR, the command register, a
    // bridge's secondary bus reset, the expansion ROM, a function that is not there.
    const struct {
        uint8_t bus, device, offset;
        uint32_t value;
    } refused[] = {{1, 5, 0x10, 0xE0000000},
                   {1, 5, 0x04, 0x00000007},
                   {0, 0x1E, 0x3C, 0x00400000},
                   {1, 5, 0x30, 0xFFFFFFFF},
                   {1, 6, 0x10, 0xFFFFFFFF}};
    for (const auto& r : refused) {
        SCOPED_TRACE(testing::Message() << "offset " << int(r.offset));
        const uint32_t before = test::PortRead(r.bus, r.device, 0, r.offset);
        const uint32_t address = test::Address(r.bus, r.device, 0, r.offset);
        ASSERT_EQ(TVK_OutPort(0xCF8, &address, 1, 32), 0);
        EXPECT_NE(TVK_OutPort(0xCFC, &r.value, 1, 32), 0);
        EXPECT_EQ(test::PortRead(r.bus, r.device, 0, r.offset), before);
    }

    uint32_t value = 0x1234;
    EXPECT_NE(TVK_InPort(0xD000, &value, 1, 32), 0);
    EXPECT_EQ(value, 0x1234u);
    EXPECT_NE(TVK_OutPort(0xD000, &value, 1, 32), 0);
    EXPECT_EQ(TVK_MapPhysToLin(0xD0000000, 1024), nullptr);
    InstallMachine(nullptr);
}

}  // namespace
}  // namespace tvk
