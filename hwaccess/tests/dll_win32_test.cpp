// travik.dll and travikw.dll as Bexa and Kadra bind them: loaded by name, the four
// operations found by their undecorated names, a configuration read of the embedded
// machine's host bridge through ports 0xCF8/0xCFC.
#include <windows.h>

#include "test_support.h"

namespace tvk {
namespace {

using InPort = int(__stdcall*)(uint32_t, uint32_t*, uint32_t, uint32_t);
using OutPort = int(__stdcall*)(uint32_t, const uint32_t*, uint32_t, uint32_t);
using Map = void*(__stdcall*)(uint32_t, uint32_t);
using Unmap = void(__stdcall*)(void*, uint32_t);

template <typename F>
F Find(HMODULE dll, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

TEST(TravikDll, ExportsTheFourOperations) {
    // The DLLs choose their machine on first use: make it the embedded one.
    ASSERT_TRUE(SetEnvironmentVariableA("TRAVIK_MACHINE", "embedded"));
    for (const char* name : {"travik.dll", "travikw.dll"}) {
        SCOPED_TRACE(name);
        HMODULE dll = LoadLibraryA(name);
        ASSERT_NE(dll, nullptr) << "error " << GetLastError();
        auto in = Find<InPort>(dll, "TVK_InPort");
        auto out = Find<OutPort>(dll, "TVK_OutPort");
        auto map = Find<Map>(dll, "TVK_MapPhysToLin");
        auto unmap = Find<Unmap>(dll, "TVK_UnmapPhysToLin");
        ASSERT_NE(in, nullptr);
        ASSERT_NE(out, nullptr);
        ASSERT_NE(map, nullptr);
        ASSERT_NE(unmap, nullptr);
        EXPECT_EQ(GetProcAddress(dll, "_TVK_InPort@16"), nullptr);

        const uint32_t address = 0x80000000;  // 00:00.0 register 0
        uint32_t value = 0;
        ASSERT_EQ(out(0xCF8, &address, 1, 32), 0);
        ASSERT_EQ(in(0xCFC, &value, 1, 32), 0);
        EXPECT_EQ(value & 0xFFFF, 0x8086u);
        EXPECT_EQ(value, 0x25808086u);
        EXPECT_NE(in(0xCFC, &value, 2, 32), 0);
        void* view = map(0xD0000000, 1024);  // the capture card's memory
        ASSERT_NE(view, nullptr);
        EXPECT_STREQ(static_cast<const char*>(view), "CX23880");
        unmap(view, 1024);
        EXPECT_EQ(map(0x40000000, 16), nullptr);
        FreeLibrary(dll);
    }
}

TEST(TravikDll, ExtensionNamesTheMachine) {
    using Text = uint32_t(__stdcall*)(char*, uint32_t);
    ASSERT_TRUE(SetEnvironmentVariableA("TRAVIK_MACHINE", "embedded"));
    for (const char* name : {"travik.dll", "travikw.dll"}) {
        SCOPED_TRACE(name);
        HMODULE dll = LoadLibraryA(name);
        ASSERT_NE(dll, nullptr) << "error " << GetLastError();
        auto label = Find<Text>(dll, "TravikSourceLabel");
        auto error = Find<Text>(dll, "TravikSelectionError");
        ASSERT_NE(label, nullptr);
        ASSERT_NE(error, nullptr);
        char text[64] = "?";
        EXPECT_EQ(label(text, sizeof text), 27u);
        EXPECT_STREQ(text, "simulated: embedded machine");
        EXPECT_EQ(error(text, sizeof text), 0u);
        EXPECT_STREQ(text, "");
        FreeLibrary(dll);
    }
}

}  // namespace
}  // namespace tvk
