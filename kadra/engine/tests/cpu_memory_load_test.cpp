#include <gtest/gtest.h>

#include "cpu_memory_load.h"
#include "service.h"
#include "sim_machine.h"

namespace kadra {
namespace {

TEST(CpuMemoryLoadTest, StartsOneThreadOnAMappedWindowOnly) {
    auto machine = std::make_unique<tvk::SimMachine>();
    std::string error;
    ASSERT_TRUE(machine->AddRam(0x08000000, 65536, error)) << error;
    tvk::SimMachine* sim = machine.get();
    tvk::InstallMachine(std::move(machine));

    StartCpuMemoryLoad(0);
    EXPECT_FALSE(CpuMemoryLoadRunning()) << "main memory: no load";
    StartCpuMemoryLoad(0x30000000);
    EXPECT_FALSE(CpuMemoryLoadRunning()) << "nothing mapped there";

    StartCpuMemoryLoad(0x08000000);
    EXPECT_TRUE(CpuMemoryLoadRunning());
    EXPECT_EQ(sim->OpenViews(), 1);
    StartCpuMemoryLoad(0x08000000);  // a second test while it runs
    EXPECT_EQ(sim->OpenViews(), 1) << "no second window, no second thread";

    StopCpuMemoryLoad();
    EXPECT_FALSE(CpuMemoryLoadRunning());
    EXPECT_EQ(sim->OpenViews(), 0);
    tvk::InstallMachine(nullptr);
}

}  // namespace
}  // namespace kadra
