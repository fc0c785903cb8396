// The embedded machine: the documented topology, consistent bridge windows, real IDs.
#include <cstring>
#include <fstream>
#include <set>

#include "config_dump.h"
#include "embedded_machine.h"
#include "machine_file.h"
#include "service.h"
#include "test_support.h"

namespace tvk {
namespace {

using test::Read;

struct Expected {
    uint8_t bus, device, function;
    uint32_t ids;    // device << 16 | vendor
    uint32_t klass;  // class << 8 | programming interface
    uint8_t header;
};

// The table of docs/embedded-machine.md.
const Expected kFunctions[] = {
    {0x00, 0x00, 0, 0x25808086, 0x060000, 0x00}, {0x00, 0x1B, 0, 0x26688086, 0x040300, 0x00},
    {0x00, 0x1D, 0, 0x26588086, 0x0C0300, 0x80}, {0x00, 0x1D, 1, 0x26598086, 0x0C0300, 0x80},
    {0x00, 0x1D, 2, 0x265A8086, 0x0C0300, 0x80}, {0x00, 0x1D, 3, 0x265B8086, 0x0C0300, 0x80},
    {0x00, 0x1D, 7, 0x265C8086, 0x0C0320, 0x80}, {0x00, 0x1E, 0, 0x244E8086, 0x060401, 0x01},
    {0x00, 0x1F, 0, 0x26408086, 0x060100, 0x80}, {0x00, 0x1F, 1, 0x266F8086, 0x01018A, 0x00},
    {0x00, 0x1F, 3, 0x266A8086, 0x0C0500, 0x00}, {0x01, 0x00, 0, 0x615210B5, 0x060400, 0x01},
    {0x01, 0x05, 0, 0x880014F1, 0x040000, 0x80}, {0x01, 0x05, 1, 0x880114F1, 0x048000, 0x80},
    {0x01, 0x08, 0, 0xAC55104C, 0x060700, 0x82}, {0x01, 0x08, 1, 0xAC55104C, 0x060700, 0x82},
    {0x02, 0x04, 0, 0x71341131, 0x048000, 0x00}, {0x80, 0x02, 0, 0x107C8086, 0x020000, 0x00},
};

class EmbeddedMachineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        m_ = LoadMachineText(EmbeddedMachineText(), "embedded", error);
        ASSERT_NE(m_, nullptr) << error;
    }
    std::unique_ptr<SimMachine> m_;
};

TEST_F(EmbeddedMachineTest, HasTheDocumentedFunctions) {
    EXPECT_EQ(m_->FunctionCount(), std::size(kFunctions));
    for (const Expected& e : kFunctions) {
        SCOPED_TRACE(testing::Message()
                     << std::hex << int(e.bus) << ":" << int(e.device) << "." << int(e.function));
        EXPECT_EQ(Read(*m_, e.bus, e.device, e.function, 0), e.ids);
        EXPECT_EQ(Read(*m_, e.bus, e.device, e.function, 8) >> 8, e.klass);
        EXPECT_EQ((Read(*m_, e.bus, e.device, e.function, 0x0C) >> 16) & 0xFF, e.header);
    }
    EXPECT_NE(MakeEmbeddedMachine(), nullptr);
}

TEST_F(EmbeddedMachineTest, BridgesAreNumberedDepthFirst) {
    // primary | secondary << 8 | subordinate << 16
    EXPECT_EQ(Read(*m_, 0x00, 0x1E, 0, 0x18) & 0xFFFFFF, 0x040100u);
    EXPECT_EQ(Read(*m_, 0x01, 0x00, 0, 0x18) & 0xFFFFFF, 0x020201u);
    EXPECT_EQ(Read(*m_, 0x01, 0x08, 0, 0x18) & 0xFFFFFF, 0x030301u);
    EXPECT_EQ(Read(*m_, 0x01, 0x08, 1, 0x18) & 0xFFFFFF, 0x040401u);
    // The second top-level bus lies above every subordinate bus number.
    EXPECT_EQ(Read(*m_, 0x80, 0x02, 0, 0) & 0xFFFF, 0x8086u);
}

TEST_F(EmbeddedMachineTest, CaptureFunctionHasMemoryAndRegistersBehindItsBars) {
    m_->WriteConfig(1, 5, 0, 0x10, 0xFFFFFFFF);
    EXPECT_EQ(Read(*m_, 1, 5, 0, 0x10), 0xFF000008u);  // 16 MB, 32-bit prefetchable
    m_->WriteConfig(1, 5, 0, 0x10, 0xD0000008);
    m_->WriteConfig(1, 5, 0, 0x14, 0xFFFFFFFF);
    EXPECT_EQ(Read(*m_, 1, 5, 0, 0x14), 0xFFFFFFE1u);  // 32 bytes of I/O
    m_->WriteConfig(1, 5, 0, 0x14, 0x0000D001);
    auto* memory = static_cast<const char*>(m_->MapPhysical(0xD0000000, 16u << 20));
    ASSERT_NE(memory, nullptr);
    EXPECT_STREQ(memory, "CX23880");
    EXPECT_EQ(uint8_t(memory[0x100000]), 0x80);
    uint32_t value = 0;
    ASSERT_TRUE(m_->ReadPort(0xD000, value));
    EXPECT_EQ(value, 0x14F18800u);
    // The 64-bit BAR of the audio controller, and RAM.
    m_->WriteConfig(0, 0x1B, 0, 0x10, 0xFFFFFFFF);
    EXPECT_EQ(Read(*m_, 0, 0x1B, 0, 0x10), 0xFFFFC004u);
    EXPECT_NE(m_->MapPhysical(0x00100000, 1u << 20), nullptr);
    EXPECT_NE(m_->MapPhysical(0x0009FC00, 1024), nullptr);
}

// Every BAR behind a PCI-to-PCI bridge lies inside that bridge's windows.
TEST_F(EmbeddedMachineTest, BarsLieInsideTheirBridgesWindows) {
    struct Window {
        uint8_t secondary, subordinate;
        uint32_t ioBase, ioLimit, memBase, memLimit, preBase, preLimit;
    };
    std::vector<Window> windows;
    for (const Expected& e : kFunctions) {
        if (e.header != 0x01) continue;
        const uint32_t bus = Read(*m_, e.bus, e.device, e.function, 0x18);
        const uint32_t io = Read(*m_, e.bus, e.device, e.function, 0x1C);
        const uint32_t mem = Read(*m_, e.bus, e.device, e.function, 0x20);
        const uint32_t pre = Read(*m_, e.bus, e.device, e.function, 0x24);
        windows.push_back({uint8_t(bus >> 8), uint8_t(bus >> 16), (io & 0xF0) << 8,
                           (io & 0xF000) | 0xFFF, (mem & 0xFFF0) << 16,
                           (mem & 0xFFF00000) | 0xFFFFF, (pre & 0xFFF0) << 16,
                           (pre & 0xFFF00000) | 0xFFFFF});
    }
    ASSERT_EQ(windows.size(), 2u);
    int checked = 0;
    for (const Expected& e : kFunctions) {
        if (e.header & 0x7F) continue;
        for (uint16_t off = 0x10; off < 0x28; off += 4) {
            const uint32_t bar = Read(*m_, e.bus, e.device, e.function, off);
            if ((bar & ~0xFu) == 0) continue;
            for (const Window& w : windows) {
                if (e.bus < w.secondary || e.bus > w.subordinate) continue;
                SCOPED_TRACE(testing::Message() << std::hex << bar);
                ++checked;
                if (bar & 1) {
                    EXPECT_GE(bar & ~3u, w.ioBase);
                    EXPECT_LE(bar & ~3u, w.ioLimit);
                } else if (bar & 8) {
                    EXPECT_GE(bar & ~15u, w.preBase);
                    EXPECT_LE(bar & ~15u, w.preLimit);
                } else {
                    EXPECT_GE(bar & ~15u, w.memBase);
                    EXPECT_LE(bar & ~15u, w.memLimit);
                }
            }
        }
    }
    EXPECT_GE(checked, 5);
}

// The vendor and device IDs are real ones from the public PCI ID list.
TEST_F(EmbeddedMachineTest, IdsAreInThePublicIdList) {
    std::ifstream ids("/usr/share/misc/pci.ids");
    if (!ids) GTEST_SKIP() << "no /usr/share/misc/pci.ids";
    std::set<uint32_t> known;
    std::string line;
    unsigned vendor = 0;
    while (std::getline(ids, line)) {
        unsigned id;
        if (line.size() > 6 && line[0] != '\t' && line[0] != '#' &&
            std::sscanf(line.c_str(), "%4x  ", &id) == 1 && line[4] == ' ')
            vendor = id;
        else if (line.size() > 7 && line[0] == '\t' && line[1] != '\t' &&
                 std::sscanf(line.c_str() + 1, "%4x", &id) == 1)
            known.insert(id << 16 | vendor);
    }
    for (const Expected& e : kFunctions)
        EXPECT_TRUE(known.count(e.ids)) << std::hex << e.ids;
}

// tvkdump's walk writes what lspci would: the dump parses back into the same images.
TEST_F(EmbeddedMachineTest, DumpParsesBackToTheSameImages) {
    std::string error;
    InstallMachine(MakeEmbeddedMachine());
    const std::string dump = DumpConfigSpaces();
    EXPECT_EQ(dump.rfind("00:00.0 0600: 8086:2580 (rev 04)\n00: 86 80 80 25 06 00 90 20", 0), 0u);
    EXPECT_NE(dump.find("\n01:08.0 0607: 104c:ac55 (rev 01)\n"), std::string::npos);
    auto back = LoadMachineText(dump, "dump", error);
    ASSERT_NE(back, nullptr) << error;
    EXPECT_EQ(back->FunctionCount(), std::size(kFunctions));
    for (const Expected& e : kFunctions)
        EXPECT_EQ(*back->ConfigImage(e.bus, e.device, e.function),
                  *m_->ConfigImage(e.bus, e.device, e.function));
}

}  // namespace
}  // namespace tvk
