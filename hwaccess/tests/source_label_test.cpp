// What the service tells a program about the machine it reaches: the source label and the
// reason a configured source could not be used, in C++ and through the library's extension.
#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "service.h"
#include "test_support.h"
#include "travik_source.h"

namespace tvk {
namespace {

std::string Label() {
    char text[128];
    TravikSourceLabel(text, sizeof text);
    return text;
}

std::string Error() {
    char text[1024];
    TravikSelectionError(text, sizeof text);
    return text;
}

#ifdef _WIN32
void SetEnvironment(const char* value) {
    _putenv_s("TRAVIK_MACHINE", value);
    SetEnvironmentVariableA("TRAVIK_MACHINE", value);
}
#else
void SetEnvironment(const char* value) {
    setenv("TRAVIK_MACHINE", value, 1);
}
#endif

TEST(SourceLabel, NamesTheSimulatedMachines) {
    std::string error;
    auto embedded = OpenMachine("embedded", error);
    ASSERT_NE(embedded, nullptr) << error;
    EXPECT_EQ(embedded->SourceLabel(), "simulated: embedded machine");
    auto dump = OpenMachine(test::DataFile("vm-xxx.txt"), error);
    ASSERT_NE(dump, nullptr) << error;
    EXPECT_EQ(dump->SourceLabel(), "dump: vm-xxx.txt");
    EXPECT_EQ(SimMachine().SourceLabel(), "simulated machine");

    InstallMachine(std::move(dump));
    EXPECT_EQ(CurrentSourceLabel(), "dump: vm-xxx.txt");
    EXPECT_EQ(Label(), "dump: vm-xxx.txt");
    EXPECT_EQ(Error(), "");
}

TEST(SourceLabel, ExtensionCutsToTheBufferAndReturnsTheWholeLength) {
    std::string error;
    InstallMachine(OpenMachine("embedded", error));
    char text[10] = "xxxxxxxxx";
    EXPECT_EQ(TravikSourceLabel(text, sizeof text), 27u);
    EXPECT_STREQ(text, "simulated");
    EXPECT_EQ(TravikSourceLabel(nullptr, 0), 27u);
    text[0] = 'x';
    EXPECT_EQ(TravikSourceLabel(text, 1), 27u);
    EXPECT_STREQ(text, "");
}

TEST(SourceLabel, AFailedSelectionSaysWhyAndNamesNoMachine) {
    const std::string missing = test::DataFile("no-such-machine.txt");
    SetEnvironment(missing.c_str());
    ResetMachineSelection();
    const std::string error = Error();
    EXPECT_NE(error.find("no-such-machine.txt"), std::string::npos) << error;
    EXPECT_EQ(Label(), "");
    EXPECT_EQ(CurrentMachine(), nullptr);

    SetEnvironment("embedded");
    ResetMachineSelection();
    EXPECT_EQ(Error(), "");
    EXPECT_EQ(Label(), "simulated: embedded machine");
}

}  // namespace
}  // namespace tvk
