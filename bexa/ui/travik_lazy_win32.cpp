// bexa.exe binds the hardware-access service travik.dll on the first hardware access, not when
// it is loaded. These definitions of the four TVK_ operations load the library and look up the
// operation on their first call. Without the library, or without the operation in it, Bexa
// cannot reach the hardware at all: it says so in a message box and ends.
//
// The two functions of our own extension (travik_source.h) are looked up the same way, but
// are optional: a travik.dll without them tells nothing about its machine, and Bexa then
// shows it as it shows real hardware.
#include <windows.h>

#include <string>

#include "travik.h"
#include "travik_source.h"

namespace {

constexpr const char* kLibrary = "travik.dll";

[[noreturn]] void FailBinding(const std::string& text) {
    MessageBoxA(GetActiveWindow(), text.c_str(), "Bexa",
                MB_OK | MB_ICONSTOP | MB_SETFOREGROUND | MB_TASKMODAL);
    ExitProcess(1);
}

HMODULE Library() {
    static HMODULE library = [] {
        HMODULE module = LoadLibraryA(kLibrary);
        if (module == nullptr) {
            FailBinding(std::string("The hardware-access library ") + kLibrary +
                        " could not be loaded.\nBexa cannot reach the PCI bus and ends now.");
        }
        return module;
    }();
    return library;
}

template <typename Function>
Function Bind(const char* name) {
    FARPROC address = GetProcAddress(Library(), name);
    if (address == nullptr) {
        FailBinding(std::string("The hardware-access library ") + kLibrary + " has no operation " +
                    name + ".\nBexa cannot reach the PCI bus and ends now.");
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

// An operation of the extension, or nullptr when the library has none.
template <typename Function>
Function BindOptional(const char* name) {
    FARPROC address = GetProcAddress(Library(), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

using TextFn = uint32_t(TVK_CALL*)(char*, uint32_t);

uint32_t NoText(char* buffer, uint32_t size) {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    return 0;
}

using InPortFn = int(TVK_CALL*)(uint32_t, uint32_t*, uint32_t, uint32_t);
using OutPortFn = int(TVK_CALL*)(uint32_t, const uint32_t*, uint32_t, uint32_t);
using MapFn = void*(TVK_CALL*)(uint32_t, uint32_t);
using UnmapFn = void(TVK_CALL*)(void*, uint32_t);

}  // namespace

extern "C" {

int TVK_CALL TVK_InPort(uint32_t port, uint32_t* buffer, uint32_t count, uint32_t width) {
    static const InPortFn operation = Bind<InPortFn>("TVK_InPort");
    return operation(port, buffer, count, width);
}

int TVK_CALL TVK_OutPort(uint32_t port, const uint32_t* buffer, uint32_t count, uint32_t width) {
    static const OutPortFn operation = Bind<OutPortFn>("TVK_OutPort");
    return operation(port, buffer, count, width);
}

void* TVK_CALL TVK_MapPhysToLin(uint32_t physAddress, uint32_t length) {
    static const MapFn operation = Bind<MapFn>("TVK_MapPhysToLin");
    return operation(physAddress, length);
}

void TVK_CALL TVK_UnmapPhysToLin(void* linear, uint32_t length) {
    static const UnmapFn operation = Bind<UnmapFn>("TVK_UnmapPhysToLin");
    operation(linear, length);
}

uint32_t TVK_CALL TravikSourceLabel(char* buffer, uint32_t size) {
    static const TextFn operation = BindOptional<TextFn>("TravikSourceLabel");
    return operation ? operation(buffer, size) : NoText(buffer, size);
}

uint32_t TVK_CALL TravikSelectionError(char* buffer, uint32_t size) {
    static const TextFn operation = BindOptional<TextFn>("TravikSelectionError");
    return operation ? operation(buffer, size) : NoText(buffer, size);
}

}  // extern "C"
