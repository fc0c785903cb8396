// The four TVK_ operations over an installed machine: mechanism #1 decoding, the count and
// width contract, other ports, mapping, no machine, concurrent callers, source selection.
#include <cstring>
#include <thread>

#include "platform.h"
#include "service.h"
#include "test_support.h"

namespace tvk {
namespace {

using test::Function;
using test::PortRead;
using test::PortWrite;

class ServiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto sim = std::make_unique<SimMachine>();
        FunctionImage low = Function(0, 31, 0, 0x8086, 0x2640);
        low.config[0x0E] = 0x80;  // multi-function, so that 00:1f.7 is a sibling
        FunctionImage last = Function(0, 31, 7, 0x1234, 0x0007);
        test::Put32(last.config, 0xFC, 0xCAFEF00D);
        FunctionImage high = Function(255, 0, 0, 0x10B5, 0x6152);
        FunctionImage io = Function(1, 5, 0, 0x14F1, 0x8800);
        test::Put32(io.config, 0x10, 0xD0000008);  // 16 MB prefetchable memory
        io.barSize[0] = 16u << 20;
        test::Put32(io.config, 0x14, 0x0000D001);  // 32 bytes of I/O at 0xD000
        io.barSize[1] = 32;
        std::string error;
        for (const auto& f : {low, last, high, io})
            ASSERT_TRUE(sim->AddFunction(f, error)) << error;
        sim_ = sim.get();
        InstallMachine(std::move(sim));
    }
    SimMachine* sim_ = nullptr;
};

TEST_F(ServiceTest, DecodesMechanismOneAddresses) {
    // Bus 0, device 31, function 7, register 63 and bus 255, device 0, function 0, register 0.
    EXPECT_EQ(test::Address(0, 31, 7, 63 * 4), 0x8000FFFCu);
    EXPECT_EQ(test::Address(255, 0, 0, 0), 0x80FF0000u);
    uint32_t address = 0x8000FFFC, value = 0;
    ASSERT_EQ(TVK_OutPort(0xCF8, &address, 1, 32), 0);
    ASSERT_EQ(TVK_InPort(0xCFC, &value, 1, 32), 0);
    EXPECT_EQ(value, 0xCAFEF00Du);
    uint32_t latched = 0;
    ASSERT_EQ(TVK_InPort(0xCF8, &latched, 1, 32), 0);
    EXPECT_EQ(latched, 0x8000FFFCu);

    address = 0x80FF0000;
    ASSERT_EQ(TVK_OutPort(0xCF8, &address, 1, 32), 0);
    ASSERT_EQ(TVK_InPort(0xCFC, &value, 1, 32), 0);
    EXPECT_EQ(value, 0x615210B5u);
    // Device and function fields: 01:05.0 register 4 (BAR 0).
    EXPECT_EQ(PortRead(1, 5, 0, 0x10), 0xD0000008u);
}

TEST_F(ServiceTest, EnableBitClearReadsAllOnesAndIgnoresWrites) {
    sim_->SetLogging(true);
    sim_->ResetCounters();
    const uint32_t address = 0x0000FFFC;  // 00:1f.7 register 63 without the enable bit
    uint32_t value = 0, zero = 0;
    ASSERT_EQ(TVK_OutPort(0xCF8, &address, 1, 32), 0);
    ASSERT_EQ(TVK_InPort(0xCFC, &value, 1, 32), 0);
    EXPECT_EQ(value, 0xFFFFFFFFu);
    ASSERT_EQ(TVK_OutPort(0xCFC, &zero, 1, 32), 0);
    EXPECT_EQ(sim_->ConfigReads(), 0u);
    EXPECT_EQ(sim_->ConfigWrites(), 0u);
    EXPECT_TRUE(sim_->WriteLog().empty());
    EXPECT_EQ(PortRead(0, 31, 7, 0xFC), 0xCAFEF00Du);
}

TEST_F(ServiceTest, EmptySlotReadsAllOnesForOneRead) {
    sim_->ResetCounters();
    EXPECT_EQ(PortRead(7, 3, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(sim_->ConfigReads(), 1u);
    PortWrite(7, 3, 0, 0x3C, 0x0000010B);  // ignored, but served
    EXPECT_EQ(sim_->ConfigWrites(), 1u);
    EXPECT_EQ(PortRead(7, 3, 0, 0x3C), 0xFFFFFFFFu);
}

TEST_F(ServiceTest, RejectsOtherCountsAndWidthsLeavingTheBufferAlone) {
    const struct {
        uint32_t count, width;
    } cases[] = {{0, 32}, {2, 32}, {1, 8}, {1, 16}, {1, 64}, {4, 8}};
    const uint32_t address = test::Address(0, 31, 7, 0xFC);
    ASSERT_EQ(TVK_OutPort(0xCF8, &address, 1, 32), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "count " << c.count << " width " << c.width);
        uint32_t buffer[4] = {0x11111111, 0x22222222, 0x33333333, 0x44444444};
        EXPECT_NE(TVK_InPort(0xCFC, buffer, c.count, c.width), 0);
        EXPECT_EQ(buffer[0], 0x11111111u);
        EXPECT_EQ(buffer[1], 0x22222222u);
        const uint32_t other = test::Address(255, 0, 0, 0);
        EXPECT_NE(TVK_OutPort(0xCF8, &other, c.count, c.width), 0);  // latch unchanged
        EXPECT_NE(TVK_OutPort(0xCFC, buffer, c.count, c.width), 0);
    }
    uint32_t value = 0;
    ASSERT_EQ(TVK_InPort(0xCFC, &value, 1, 32), 0);
    EXPECT_EQ(value, 0xCAFEF00Du);
    EXPECT_NE(TVK_InPort(0xCFC, nullptr, 1, 32), 0);
    EXPECT_NE(TVK_OutPort(0xCFC, nullptr, 1, 32), 0);
}

TEST_F(ServiceTest, OtherPortsAndMemoryReachTheMachine) {
    uint32_t value = 0x89ABCDEF, back = 0;
    ASSERT_EQ(TVK_OutPort(0xD004, &value, 1, 32), 0);
    ASSERT_EQ(TVK_InPort(0xD004, &back, 1, 32), 0);
    EXPECT_EQ(back, 0x89ABCDEFu);
    ASSERT_EQ(TVK_InPort(0xD002, &back, 1, 32), 0);  // unaligned: bytes 2-5
    EXPECT_EQ(back, 0xCDEF0000u);

    auto* view = static_cast<uint32_t*>(TVK_MapPhysToLin(0xD0000400, 1024));
    ASSERT_NE(view, nullptr);
    view[3] = 0x5A5AA5A5;
    TVK_UnmapPhysToLin(view, 1024);
    auto* again = static_cast<uint32_t*>(TVK_MapPhysToLin(0xD000040C, 4));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(*again, 0x5A5AA5A5u);
    TVK_UnmapPhysToLin(again, 4);
    EXPECT_EQ(sim_->OpenViews(), 0);
    EXPECT_EQ(TVK_MapPhysToLin(0xD0FFFC00, 2048), nullptr);  // runs past the BAR
    EXPECT_EQ(TVK_MapPhysToLin(0x40000000, 16), nullptr);    // nothing there
    EXPECT_EQ(TVK_MapPhysToLin(0xD0000000, 0), nullptr);
    TVK_UnmapPhysToLin(nullptr, 16);
}

TEST_F(ServiceTest, InstallResetsTheLatch) {
    const uint32_t address = test::Address(0, 31, 7, 0xFC);
    ASSERT_EQ(TVK_OutPort(0xCF8, &address, 1, 32), 0);
    InstallMachine(std::make_unique<SimMachine>());
    uint32_t latched = 1;
    ASSERT_EQ(TVK_InPort(0xCF8, &latched, 1, 32), 0);
    EXPECT_EQ(latched, 0u);
}

TEST(ServiceWithoutMachine, EveryOperationFails) {
    InstallMachine(nullptr);
    uint32_t value = 0x77777777;
    const uint32_t address = 0x80000000;
    EXPECT_NE(TVK_OutPort(0xCF8, &address, 1, 32), 0);
    EXPECT_NE(TVK_InPort(0xCFC, &value, 1, 32), 0);
    EXPECT_NE(TVK_InPort(0x80, &value, 1, 32), 0);
    EXPECT_NE(TVK_OutPort(0x80, &value, 1, 32), 0);
    EXPECT_EQ(value, 0x77777777u);
    EXPECT_EQ(TVK_MapPhysToLin(0, 4096), nullptr);
    TVK_UnmapPhysToLin(&value, 4);  // harmless
    EXPECT_EQ(CurrentMachine(), nullptr);
}

// A BAR-writer thread and a memory-load thread run beside configuration reads: every call
// sees a consistent machine.
TEST_F(ServiceTest, ConcurrentCallersSeeConsistentResults) {
    std::atomic<int> failures{0};
    std::thread writer([&] {
        for (uint32_t i = 0; i < 2000; ++i) {
            uint32_t back = 0;
            if (TVK_OutPort(0xD010, &i, 1, 32) != 0 || TVK_InPort(0xD010, &back, 1, 32) != 0)
                ++failures;
        }
    });
    std::thread mapper([&] {
        for (int i = 0; i < 2000; ++i) {
            void* view = TVK_MapPhysToLin(0xD0001000, 1024);
            if (!view)
                ++failures;
            else
                std::memset(view, i & 0xFF, 1024);
            TVK_UnmapPhysToLin(view, 1024);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        uint32_t value = 0;
        if (TVK_InPort(0xCF8, &value, 1, 32) != 0) ++failures;
    }
    writer.join();
    mapper.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(sim_->OpenViews(), 0);
    EXPECT_EQ(PortRead(0, 31, 7, 0xFC), 0xCAFEF00Du);
}

TEST(MachineSelection, EnvironmentThenConfigFileThenDefault) {
    test::TempFolder folder;
    const std::string dir = folder.path().string();
    const std::string fallback = SelectMachineSource("", "");
    EXPECT_TRUE(fallback == "embedded" || fallback == "live") << fallback;
    EXPECT_EQ(fallback, DefaultMachineSource());
    EXPECT_EQ(SelectMachineSource("", dir), fallback);  // no travik.cfg
    EXPECT_EQ(SelectMachineSource("  live \r\n", dir), "live");

    test::WriteFile(folder.file("travik.cfg"), "embedded\r\nlive\n");
    EXPECT_EQ(SelectMachineSource("", dir), "embedded");
    EXPECT_EQ(SelectMachineSource("/x/dump.txt", dir), "/x/dump.txt");

    test::WriteFile(folder.file("travik.cfg"), "  box.txt  \n");  // beside the program
    EXPECT_EQ(SelectMachineSource("", dir), (folder.path() / "box.txt").string());

    test::WriteFile(folder.file("travik.cfg"), "\nembedded\n");  // blank first line
    EXPECT_EQ(SelectMachineSource("", dir), fallback);
}

TEST(MachineSelection, OpenMachineNamesWhatFailed) {
    std::string error;
    EXPECT_EQ(OpenMachine("embeded", error), nullptr);
    EXPECT_NE(error.find("'embeded'"), std::string::npos) << error;
    EXPECT_NE(error.find("embedded, live"), std::string::npos) << error;
    EXPECT_EQ(OpenMachine("", error), nullptr);
    EXPECT_FALSE(error.empty());
    auto embedded = OpenMachine("embedded", error);
    ASSERT_NE(embedded, nullptr);
    EXPECT_TRUE(error.empty());
    test::TempFolder folder;
    test::WriteFile(folder.file("bad.txt"), "00:00.0 Host bridge\n00: 86 80\n");
    EXPECT_EQ(OpenMachine(folder.file("bad.txt"), error), nullptr);
    // The block is cut short on line 2: that line holds the fault.
    EXPECT_EQ(error.rfind(folder.file("bad.txt") + ":2: ", 0), 0u) << error;
}

}  // namespace
}  // namespace tvk
