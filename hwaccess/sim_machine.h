// The simulated machine: PCI functions with configuration spaces that behave like real
// hardware (read-only and writable bits, BAR sizing, status bits cleared by writing 1, a
// bridge's secondary bus reset), memory behind memory BARs, registers behind I/O BARs and
// declared RAM regions. It is filled from a machine source (machine_file.h, the embedded
// machine) or built in code by tests.
//
// Secondary bus reset: while a bridge (header type 1 or 2) has bit 6 of its bridge control
// (bit 22 of dword 15) set, every function on its secondary..subordinate buses is held at its
// power-on image and does not answer: its configuration reads return false (all ones through
// 0xCFC), its writes are ignored and its BARs decode neither memory nor ports. When the bit is
// cleared the functions answer again, with their power-on images. The memory and register
// contents behind their BARs are kept.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "decode_index.h"
#include "machine.h"
#include "sparse_memory.h"

namespace tvk {

// Index of the expansion ROM in FunctionImage::barSize.
constexpr int kRomBar = 6;

// One function as a source describes it.
struct FunctionImage {
    uint8_t bus = 0;
    uint8_t device = 0;
    uint8_t function = 0;
    // Power-on configuration image: 256 bytes, or 4096 for a function with extended space.
    std::vector<uint8_t> config;
    // Sizes in bytes of BAR 0-5 and of the expansion ROM (index kRomBar); powers of two.
    // 0 = not implemented: the register keeps its image value and ignores writes. A 64-bit
    // BAR's size is given at its lower index. Which BARs exist follows the header type:
    // type 0 has BAR 0-5 and a ROM at 0x30, type 1 BAR 0-1 and a ROM at 0x38, type 2 BAR 0.
    std::array<uint64_t, 7> barSize{};
};

// One configuration write as the machine received it.
struct ConfigWrite {
    uint8_t bus;
    uint8_t device;
    uint8_t function;
    uint16_t offset;
    uint32_t value;
    bool operator==(const ConfigWrite&) const = default;
};

class SimMachine : public Machine {
  public:
    SimMachine();
    ~SimMachine() override;

    // --- Building (before use) ---------------------------------------------------------
    // Adds a function. false (and `error`) when its address is taken, the image is not 256 or
    // 4096 bytes, or a BAR size is not a power of two of at least the minimum (4 for I/O, 16
    // for memory, 2048 for the ROM) or does not fit its BAR.
    bool AddFunction(const FunctionImage& image, std::string& error);
    // Declares a RAM region (zero-filled). false when it is empty, reaches past 4 GB or
    // overlaps another RAM region. Memory is taken as it is touched, not as it is declared.
    bool AddRam(uint32_t address, uint64_t size, std::string& error);
    // Writes bytes into memory that lies entirely inside one memory BAR region (at the BAR's
    // current address) or RAM region; false otherwise. Memory behind a BAR is simulated for
    // BARs of up to 4G; a larger 64-bit BAR sizes and decodes, but has no memory behind it.
    // Stores and fills over memory nothing has mapped yet take no memory: they are noted,
    // and the memory takes them when it is first mapped (sparse_memory.h).
    bool StoreMemory(uint64_t address, const uint8_t* bytes, size_t count);
    bool FillRange(uint64_t address, uint64_t length, uint8_t value);
    // Writes bytes into the registers behind one I/O BAR; false unless all lie inside it.
    bool StorePorts(uint32_t port, const uint8_t* bytes, size_t count);

    // --- Machine -----------------------------------------------------------------------
    bool ReadConfig(uint8_t bus, uint8_t device, uint8_t function, uint16_t offset,
                    uint32_t& value) override;
    void WriteConfig(uint8_t bus, uint8_t device, uint8_t function, uint16_t offset,
                     uint32_t value) override;
    // Ports inside an I/O BAR reach its registers (little-endian); bytes of a port access
    // outside every I/O BAR read as 0xFF and ignore writes, as on a real bus. Always true.
    bool ReadPort(uint32_t port, uint32_t& value) override;
    bool WritePort(uint32_t port, uint32_t value) override;
    // A view of memory lying entirely inside one memory BAR region (BARs at address 0 decode
    // nothing) or one RAM region; nullptr otherwise, and for length 0.
    void* MapPhysical(uint32_t address, uint32_t length) override;
    void UnmapPhysical(void* view, uint32_t length) override;
    // "simulated machine" unless the source that built it names itself.
    std::string SourceLabel() const override { return sourceLabel_; }
    void SetSourceLabel(std::string label) { sourceLabel_ = std::move(label); }

    // --- Inspection (tests) ------------------------------------------------------------
    // Configuration accesses served: every readConfig/writeConfig call, answered or not.
    uint64_t ConfigReads() const { return reads_; }
    uint64_t ConfigWrites() const { return writes_; }
    void ResetCounters() { reads_ = writes_ = 0; }
    // Log of configuration writes (off by default).
    void SetLogging(bool on) { logging_ = on; }
    const std::vector<ConfigWrite>& WriteLog() const { return log_; }
    void ClearLog() { log_.clear(); }
    // Bytes of simulated memory in use (committed as it was touched).
    uint64_t CommittedMemory() const;
    // Maps minus unmaps so far.
    long OpenViews() const { return openViews_; }
    size_t FunctionCount() const { return functions_.size(); }
    // True while a bridge holds `bus` in secondary bus reset.
    bool BusInReset(uint8_t bus) const { return busInReset_[bus]; }
    // The current configuration image of a function, nullptr when there is none.
    const std::vector<uint8_t>* ConfigImage(uint8_t bus, uint8_t device, uint8_t function) const;

  private:
    struct Function;
    // Where a range of bus addresses or ports lies: in which region's memory (or which I/O
    // BAR's registers), at which offset.
    struct MemoryPlace {
        SparseMemory* memory = nullptr;
        uint64_t offset = 0;
    };

    Function* Find(uint8_t bus, uint8_t device, uint8_t function) const;
    // The steps of AddFunction.
    bool CheckNewFunction(const FunctionImage& image, std::string& error) const;
    static void SetHeaderMasks(Function& f);
    static void ProtectCapabilityHeaders(Function& f);
    static bool SetBarMasks(Function& f, const FunctionImage& image, std::string& error);
    static bool SetRomMask(Function& f, const FunctionImage& image, std::string& error);
    void UpdateReset();
    void HoldBusesOf(const Function& bridge);
    // Rebuilds the decode indexes when a function was added, a BAR moved or a bus went into or
    // out of reset since they were built.
    void RefreshDecoders() const;
    // The first memory BAR (in the order functions were added) that holds the whole range,
    // else the RAM region that does.
    MemoryPlace FindMemory(uint64_t address, uint64_t length) const;
    uint8_t* MemoryAt(uint64_t address, uint64_t length);
    // The register behind a port: of the first I/O BAR that decodes it.
    MemoryPlace FindPort(uint32_t port) const;

    std::vector<std::unique_ptr<Function>> functions_;
    std::vector<int32_t> slots_;  // (bus << 8 | devfn) -> index in functions_, -1 = empty
    std::map<uint32_t, std::unique_ptr<SparseMemory>> ram_;  // by address, not overlapping
    std::array<bool, 256> busInReset_{};
    mutable bool decodersStale_ = true;
    mutable DecodeIndex memoryDecoders_;
    mutable DecodeIndex portDecoders_;
    uint64_t reads_ = 0;
    uint64_t writes_ = 0;
    bool logging_ = false;
    std::vector<ConfigWrite> log_;
    long openViews_ = 0;
    std::string sourceLabel_ = "simulated machine";
};

}  // namespace tvk
