// The four TVK_ operations over the current machine, with configuration mechanism #1 decoded
// here: port 0xCF8 latches the address dword, port 0xCFC reaches the configuration dword it
// addresses, every other port goes to the machine.
#include "service.h"

#include <algorithm>
#include <fstream>
#include <mutex>

#include "platform.h"
#include "travik.h"
#include "travik_source.h"

namespace tvk {

namespace {

constexpr uint32_t kAddressPort = 0xCF8;
constexpr uint32_t kDataPort = 0xCFC;

struct ServiceState {
    std::mutex mutex;  // guards everything below
    std::unique_ptr<Machine> machine;
    bool selected = false;
    std::string selectionError;
    uint32_t address = 0;  // the latched mechanism #1 address dword
};

ServiceState& State() {
    static ServiceState state;
    return state;
}

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Caller holds the mutex.
Machine* MachineLocked(ServiceState& s) {
    if (!s.selected) {
        s.selected = true;
        std::string error;
        s.machine = OpenMachine(
            SelectMachineSource(EnvironmentValue("TRAVIK_MACHINE"), ProgramDirectory()), error);
        s.selectionError = s.machine ? std::string() : error;
    }
    return s.machine.get();
}

}  // namespace

std::string SelectMachineSource(const std::string& environment, const std::string& programFolder) {
    std::string source = Trim(environment);
    if (!source.empty()) return source;
    if (!programFolder.empty()) {
        std::ifstream cfg(JoinPath(programFolder, "travik.cfg"));
        std::string line;
        if (cfg && std::getline(cfg, line)) {
            source = Trim(line);
            if (!source.empty()) {
                if (source != "embedded" && source != "live" && !IsAbsolutePath(source))
                    source = JoinPath(programFolder, source);
                return source;
            }
        }
    }
    return DefaultMachineSource();
}

Machine* CurrentMachine() {
    ServiceState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return MachineLocked(s);
}

void InstallMachine(std::unique_ptr<Machine> machine) {
    ServiceState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.machine = std::move(machine);
    s.selected = true;
    s.selectionError.clear();
    s.address = 0;
}

std::string SelectionError() {
    ServiceState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.selectionError;
}

std::string CurrentSourceLabel() {
    ServiceState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    Machine* machine = MachineLocked(s);
    return machine ? machine->SourceLabel() : std::string();
}

void ResetMachineSelection() {
    ServiceState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.machine.reset();
    s.selected = false;
    s.selectionError.clear();
    s.address = 0;
}

}  // namespace tvk

namespace {

// The configuration dword addressed by a latched address, or false when the enable bit is
// clear. Register field bits 7-2, function 10-8, device 15-11, bus 23-16.
bool DecodeAddress(uint32_t address, uint8_t& bus, uint8_t& device, uint8_t& function,
                   uint16_t& offset) {
    if (!(address & 0x80000000u)) return false;
    bus = uint8_t(address >> 16);
    device = uint8_t((address >> 11) & 0x1F);
    function = uint8_t((address >> 8) & 0x07);
    offset = uint16_t(address & 0xFC);
    return true;
}

// Copies `text` into a caller's buffer as the travik_source.h functions do.
uint32_t CopyOut(const std::string& text, char* buffer, uint32_t size) {
    if (buffer && size > 0) {
        const size_t n = std::min<size_t>(text.size(), size - 1);
        text.copy(buffer, n);
        buffer[n] = '\0';
    }
    return uint32_t(text.size());
}

}  // namespace

extern "C" {

uint32_t TVK_CALL TravikSourceLabel(char* buffer, uint32_t size) {
    return CopyOut(tvk::CurrentSourceLabel(), buffer, size);
}

uint32_t TVK_CALL TravikSelectionError(char* buffer, uint32_t size) {
    tvk::CurrentMachine();  // the selection, if nothing has made it yet
    return CopyOut(tvk::SelectionError(), buffer, size);
}

int TVK_CALL TVK_InPort(uint32_t port, uint32_t* buffer, uint32_t count, uint32_t width) {
    if (count != 1 || width != 32 || !buffer) return 1;
    tvk::ServiceState& s = tvk::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    tvk::Machine* machine = tvk::MachineLocked(s);
    if (!machine) return 1;
    if (port == tvk::kAddressPort) {
        *buffer = s.address;
        return 0;
    }
    if (port == tvk::kDataPort) {
        uint8_t bus, device, function;
        uint16_t offset;
        uint32_t value = 0xFFFFFFFF;
        if (!DecodeAddress(s.address, bus, device, function, offset) ||
            !machine->ReadConfig(bus, device, function, offset, value))
            value = 0xFFFFFFFF;
        *buffer = value;
        return 0;
    }
    uint32_t value = 0;
    if (!machine->ReadPort(port, value)) return 1;
    *buffer = value;
    return 0;
}

int TVK_CALL TVK_OutPort(uint32_t port, const uint32_t* buffer, uint32_t count, uint32_t width) {
    if (count != 1 || width != 32 || !buffer) return 1;
    tvk::ServiceState& s = tvk::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    tvk::Machine* machine = tvk::MachineLocked(s);
    if (!machine) return 1;
    if (port == tvk::kAddressPort) {
        s.address = *buffer;
        return 0;
    }
    if (port == tvk::kDataPort) {
        uint8_t bus, device, function;
        uint16_t offset;
        if (!DecodeAddress(s.address, bus, device, function, offset)) return 0;
        if (!machine->TakesConfigWrite(bus, device, function, offset, *buffer)) return 1;
        machine->WriteConfig(bus, device, function, offset, *buffer);
        return 0;
    }
    return machine->WritePort(port, *buffer) ? 0 : 1;
}

void* TVK_CALL TVK_MapPhysToLin(uint32_t physAddress, uint32_t length) {
    tvk::ServiceState& s = tvk::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    tvk::Machine* machine = tvk::MachineLocked(s);
    if (!machine || length == 0) return nullptr;
    return machine->MapPhysical(physAddress, length);
}

void TVK_CALL TVK_UnmapPhysToLin(void* linear, uint32_t length) {
    if (!linear) return;
    tvk::ServiceState& s = tvk::State();
    std::lock_guard<std::mutex> lock(s.mutex);
    tvk::Machine* machine = tvk::MachineLocked(s);
    if (machine) machine->UnmapPhysical(linear, length);
}

}  // extern "C"
