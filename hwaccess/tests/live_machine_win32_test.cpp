// The Windows live backend: decoding of the Configuration Manager's string lists and resource
// descriptors as Windows lays them out, and the machine of the PCI functions this system
// (Wine, when the tests run there) reports.
#include <windows.h>

#include <cfgmgr32.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "live_machine.h"
#include "platform.h"
#include "pnp_machine.h"
#include "pnp_resources_win32.h"
#include "service.h"

namespace tvk {
namespace {

TEST(PnpStringList, SplitsAMultiStringBuffer) {
    const wchar_t ids[] = L"PCI\\VEN_8086&DEV_2668\0PCI\\CC_0403\0\0";
    EXPECT_EQ(PnpStringList(ids, sizeof ids / sizeof ids[0]),
              (std::vector<std::string>{"PCI\\VEN_8086&DEV_2668", "PCI\\CC_0403"}));
    const wchar_t unterminated[] = {L'P', L'C', L'I', L'\xE9'};
    EXPECT_EQ(PnpStringList(unterminated, 4), (std::vector<std::string>{"PCI?"}));
    EXPECT_TRUE(PnpStringList(L"\0\0", 2).empty());
    EXPECT_TRUE(PnpStringList(nullptr, 8).empty());
}

TEST(PnpResources, DecodesMemoryIoAndInterruptDescriptors) {
    PnpDevice d;
    MEM_RESOURCE bar{};
    bar.MEM_Header.MD_Alloc_Base = 0xD0000000;
    bar.MEM_Header.MD_Alloc_End = 0xD0FFFFFF;
    bar.MEM_Header.MD_Flags = fMD_MEMORY_BAR | fMD_PrefetchAllowed | fMD_32;
    AddPnpResource(ResType_Mem, &bar, sizeof bar, d);
    MEM_LARGE_RESOURCE large{};
    large.MEM_LARGE_Header.MLD_Alloc_Base = 0x400000000ull;
    large.MEM_LARGE_Header.MLD_Alloc_End = 0x4000FFFFFull;
    large.MEM_LARGE_Header.MLD_Flags = fMD_MEMORY_BAR;
    AddPnpResource(ResType_MemLarge, &large, sizeof large, d);
    IO_RESOURCE io{};
    io.IO_Header.IOD_Alloc_Base = 0xD000;
    io.IO_Header.IOD_Alloc_End = 0xD01F;
    io.IO_Header.IOD_DesFlags = fIOD_IO | fIOD_PORT_BAR;
    AddPnpResource(ResType_IO, &io, sizeof io, d);
    MEM_RESOURCE window = bar;
    window.MEM_Header.MD_Flags = fMD_WINDOW_DECODE;
    AddPnpResource(ResType_Mem, &window, sizeof window, d);
    IO_RESOURCE legacy = io;
    legacy.IO_Header.IOD_DesFlags = fIOD_IO;
    AddPnpResource(ResType_IO, &legacy, sizeof legacy, d);
    IRQ_RESOURCE irq{};
    irq.IRQ_Header.IRQD_Alloc_Num = 11;
    AddPnpResource(ResType_IRQ, &irq, sizeof irq, d);
    irq.IRQ_Header.IRQD_Alloc_Num = 12;  // only the first interrupt is the line
    AddPnpResource(ResType_IRQ, &irq, sizeof irq, d);
    AddPnpResource(ResType_Mem, &bar, sizeof bar.MEM_Header - 1, d);  // too short
    MEM_RESOURCE backwards = bar;
    backwards.MEM_Header.MD_Alloc_End = 0xC0000000;
    AddPnpResource(ResType_Mem, &backwards, sizeof backwards, d);
    AddPnpResource(ResType_DMA, &bar, sizeof bar, d);

    using D = PnpRange::Decode;
    using S = PnpRange::Space;
    const struct {
        S space;
        uint64_t start, length;
        bool prefetchable, wide;
        D decode;
    } expected[] = {
        {S::Memory, 0xD0000000, 0x1000000, true, false, D::Bar},
        {S::Memory, 0x400000000ull, 0x100000, false, true, D::Bar},
        {S::Io, 0xD000, 32, false, false, D::Bar},
        {S::Memory, 0xD0000000, 0x1000000, false, false, D::Window},
        {S::Io, 0xD000, 32, false, false, D::Unmarked},
    };
    ASSERT_EQ(d.ranges.size(), std::size(expected));
    for (size_t i = 0; i < d.ranges.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(d.ranges[i].space, expected[i].space);
        EXPECT_EQ(d.ranges[i].start, expected[i].start);
        EXPECT_EQ(d.ranges[i].length, expected[i].length);
        EXPECT_EQ(d.ranges[i].prefetchable, expected[i].prefetchable);
        EXPECT_EQ(d.ranges[i].wide, expected[i].wide);
        EXPECT_EQ(d.ranges[i].decode, expected[i].decode);
    }
    EXPECT_EQ(d.interruptLine, 11u);
}

// Whatever this system reports: a read-only machine whose functions all answer, or a failure
// that says why; and the default source follows what was found.
TEST(LiveMachineWin32, ListsWhatWindowsReportsOrFailsCleanly) {
    std::string error;
    std::unique_ptr<Machine> machine = OpenLiveMachine(error);
    if (!machine) {
        std::printf("live machine: not available: %s\n", error.c_str());
        EXPECT_NE(error.find("machine source live: "), std::string::npos) << error;
        EXPECT_EQ(DefaultMachineSource(), "embedded");
        return;
    }
    EXPECT_TRUE(error.empty()) << error;
    auto* pnp = dynamic_cast<PnpMachine*>(machine.get());
    ASSERT_NE(pnp, nullptr);
    EXPECT_EQ(pnp->SourceLabel(), "Windows, read-only");
    std::printf("live machine: %zu PCI functions reported\n", pnp->FunctionCount());
    for (const FunctionImage& f : pnp->Functions()) {
        uint32_t ids = 0, classRev = 0;
        ASSERT_TRUE(pnp->ReadConfig(f.bus, f.device, f.function, 0x00, ids));
        ASSERT_TRUE(pnp->ReadConfig(f.bus, f.device, f.function, 0x08, classRev));
        std::printf("  %02x:%02x.%x %04x:%04x class %06x rev %02x\n", f.bus, f.device, f.function,
                    ids & 0xFFFF, ids >> 16, classRev >> 8, classRev & 0xFF);
        EXPECT_NE(ids & 0xFFFF, 0xFFFFu);
    }
    for (const std::string& note : pnp->Notes())
        std::printf("  %s\n", note.c_str());
    EXPECT_EQ(LiveMachineHasFunctions(), pnp->FunctionCount() > 0);
    EXPECT_EQ(DefaultMachineSource(), pnp->FunctionCount() > 0 ? "live" : "embedded");
    uint32_t value = 0;
    EXPECT_FALSE(pnp->ReadPort(0x80, value));
    EXPECT_EQ(pnp->MapPhysical(0xA0000, 4096), nullptr);
}

TEST(LiveMachineWin32, ExplicitLiveSourceOpensThisBackend) {
    std::string error;
    std::unique_ptr<Machine> machine = OpenMachine("live", error);
    if (machine)
        EXPECT_EQ(machine->SourceLabel(), "Windows, read-only");
    else
        EXPECT_NE(error.find("could not be read"), std::string::npos) << error;
}

}  // namespace
}  // namespace tvk
