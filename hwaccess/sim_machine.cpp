#include "sim_machine.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "pci_header.h"

namespace tvk {

namespace {

enum class BarKind : uint8_t { None, Io, Memory32, Memory64, Memory64Upper };

void SetMask(std::vector<uint8_t>& mask, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        mask[offset + i] = uint8_t(value >> (8 * i));
}

bool IsPowerOfTwo(uint64_t v) {
    return v != 0 && (v & (v - 1)) == 0;
}

// Header type 1 (PCI-to-PCI bridge) and 2 (CardBus bridge) have secondary buses.
bool IsBridgeType(int type) {
    return type == 1 || type == 2;
}

// Bits of a configuration byte that a write of 1 clears: the error bits of the status
// register and of a bridge's secondary status.
uint8_t ClearedByOne(int headerType, size_t offset) {
    const bool status = offset == 0x07 || (headerType == 1 && offset == 0x1F) ||
                        (headerType == 2 && offset == 0x17);
    return status ? 0xF9 : 0;
}

std::string Address(uint8_t bus, uint8_t device, uint8_t function) {
    char text[16];
    std::snprintf(text, sizeof text, "%02x:%02x.%x", bus, device, function);
    return text;
}

}  // namespace

struct SimMachine::Function {
    uint8_t bus = 0, device = 0, function = 0;
    int headerType = 0;
    std::vector<uint8_t> powerOn;
    std::vector<uint8_t> config;
    std::vector<uint8_t> writable;  // per byte: bits a write may change
    std::array<BarKind, 6> kind{};
    std::array<uint64_t, 6> size{};
    std::array<std::unique_ptr<SparseMemory>, 6> memory;  // null above SparseMemory::kMaxSize
    std::array<std::unique_ptr<SparseMemory>, 6> ports;   // the registers behind I/O BARs

    uint64_t MemoryBase(int bar) const {
        uint64_t base = ConfigDword(config, 0x10 + 4 * bar) & 0xFFFFFFF0u;
        if (kind[bar] == BarKind::Memory64)
            base |= uint64_t(ConfigDword(config, 0x14 + 4 * bar)) << 32;
        return base;
    }
    uint32_t IoBase(int bar) const { return ConfigDword(config, 0x10 + 4 * bar) & 0xFFFFFFFCu; }
};

SimMachine::SimMachine() : slots_(65536, -1) {}
SimMachine::~SimMachine() = default;

SimMachine::Function* SimMachine::Find(uint8_t bus, uint8_t device, uint8_t function) const {
    if (device > 31 || function > 7) return nullptr;
    int32_t index = slots_[size_t(bus) << 8 | size_t(device) << 3 | function];
    return index < 0 ? nullptr : functions_[size_t(index)].get();
}

const std::vector<uint8_t>* SimMachine::ConfigImage(uint8_t bus, uint8_t device,
                                                    uint8_t function) const {
    const Function* f = Find(bus, device, function);
    return f ? &f->config : nullptr;
}

bool SimMachine::CheckNewFunction(const FunctionImage& image, std::string& error) const {
    const std::string where = Address(image.bus, image.device, image.function);
    if (image.device > 31 || image.function > 7) {
        error = "function " + where + ": device above 31 or function above 7";
        return false;
    }
    if (Find(image.bus, image.device, image.function)) {
        error = "function " + where + " is given twice";
        return false;
    }
    if (image.config.size() != 256 && image.config.size() != 4096) {
        error = "function " + where + ": configuration image is not 256 or 4096 bytes";
        return false;
    }
    return true;
}

// Common to every header: command writable, status read-only but for its error bits
// (cleared by writing 1, see ClearedByOne), cache line size and latency timer writable, interrupt
// line writable, everything else of the first 64 bytes read-only unless set here; the
// device-specific part after the header writable.
void SimMachine::SetHeaderMasks(Function& f) {
    auto& w = f.writable;
    const auto& c = f.config;
    w[0x04] = 0xFF;
    w[0x05] = 0x07;
    w[0x0C] = 0xFF;
    w[0x0D] = 0xFF;
    w[0x3C] = 0xFF;
    size_t deviceSpecific = 0x40;
    if (f.headerType == 1) {
        for (size_t o = 0x18; o <= 0x1B; ++o)
            w[o] = 0xFF;               // bus numbers, secondary latency
        w[0x1C] = w[0x1D] = 0xF0;      // I/O base and limit
        SetMask(w, 0x20, 0xFFF0FFF0);  // memory base and limit
        SetMask(w, 0x24, 0xFFF0FFF0);  // prefetchable base and limit
        if ((c[0x24] & 0x0F) == 1) {   // 64-bit prefetchable window
            SetMask(w, 0x28, 0xFFFFFFFF);
            SetMask(w, 0x2C, 0xFFFFFFFF);
        }
        if ((c[0x1C] & 0x0F) == 1) SetMask(w, 0x30, 0xFFFFFFFF);  // 32-bit I/O window
        w[0x3E] = 0xFF;                                           // bridge control
        w[0x3F] = 0x0F;
    } else if (f.headerType == 2) {
        for (size_t o = 0x18; o <= 0x1B; ++o)
            w[o] = 0xFF;  // bus numbers, latency
        for (size_t o = 0x1C; o < 0x2C; o += 4)
            SetMask(w, o, 0xFFFFF000);  // memory windows
        for (size_t o = 0x2C; o < 0x3C; o += 4)
            SetMask(w, o, 0xFFFFFFFC);  // I/O windows
        w[0x3E] = 0xFF;                 // bridge control
        w[0x3F] = 0x07;
        SetMask(w, 0x44, 0xFFFFFFFE);  // 16-bit legacy mode base
        deviceSpecific = 0x48;
    }
    for (size_t o = deviceSpecific; o < w.size(); ++o)
        w[o] = 0xFF;
}

// Capability list headers (ID and next pointer) and extended capability headers are
// read-only.
void SimMachine::ProtectCapabilityHeaders(Function& f) {
    auto& w = f.writable;
    const auto& c = f.config;
    const size_t capPointer = f.headerType == 2 ? 0x14 : 0x34;
    if (c[0x06] & 0x10) {
        size_t p = c[capPointer] & 0xFC;
        for (int guard = 0; guard < 64 && p >= 0x40 && p < 0xFF; ++guard) {
            w[p] = w[p + 1] = 0;
            p = c[p + 1] & 0xFC;
        }
    }
    if (c.size() == 4096) {
        size_t p = 0x100;
        for (int guard = 0; guard < 960 && p >= 0x100 && p <= 0xFFC; ++guard) {
            const uint32_t header = ConfigDword(c, p);
            if (header == 0 || header == 0xFFFFFFFF) break;
            SetMask(w, p, 0);
            p = (header >> 20) & 0xFFC;
        }
    }
}

// BARs: the address bits at and above the size are writable, the type bits read-only.
bool SimMachine::SetBarMasks(Function& f, const FunctionImage& image, std::string& error) {
    auto& w = f.writable;
    const int barCount = LayoutOfHeader(f.config[0x0E]).bars;
    const std::string where = Address(image.bus, image.device, image.function);
    for (int i = 0; i < barCount; ++i) {
        const size_t off = kFirstBar + 4 * size_t(i);
        SetMask(w, off, 0);
        const uint64_t size = image.barSize[size_t(i)];
        if (size == 0) continue;
        const uint32_t value = ConfigDword(f.config, off);
        const std::string bar = "function " + where + " BAR " + std::to_string(i);
        if (value & 1) {
            if (!IsPowerOfTwo(size) || size < kMinIoBar || size > kMaxIoBar) {
                error = bar + ": I/O size must be a power of two from 4 to 64K";
                return false;
            }
            f.kind[i] = BarKind::Io;
            f.size[i] = size;
            f.ports[i] = std::make_unique<SparseMemory>(size);
            SetMask(w, off, ~uint32_t(size - 1) & 0xFFFFFFFCu);
            continue;
        }
        const bool wide = ((value >> 1) & 3) == 2 && i + 1 < barCount;
        if (!IsPowerOfTwo(size) || size < kMinMemoryBar || (!wide && size > kMaxMemory32Bar)) {
            error = bar + ": memory size must be a power of two from 16 to 2G (64-bit: 2^63)";
            return false;
        }
        if (wide && size > kMaxMemory64Bar) {
            error = bar + ": memory size too large";
            return false;
        }
        f.kind[i] = wide ? BarKind::Memory64 : BarKind::Memory32;
        f.size[i] = size;
        // Memory behind BARs above 4G is not simulated: the service's 32-bit map cannot
        // reach it anyway.
        if (size <= SparseMemory::kMaxSize) f.memory[i] = std::make_unique<SparseMemory>(size);
        SetMask(w, off, uint32_t(~(size - 1)) & 0xFFFFFFF0u);
        if (wide) {
            ++i;
            f.kind[i] = BarKind::Memory64Upper;
            SetMask(w, off + 4, uint32_t(~((size - 1) >> 32)));
        }
    }
    return true;
}

bool SimMachine::SetRomMask(Function& f, const FunctionImage& image, std::string& error) {
    const size_t romOffset = LayoutOfHeader(f.config[0x0E]).romOffset;
    if (!romOffset) return true;
    SetMask(f.writable, romOffset, 0);
    const uint64_t size = image.barSize[kRomBar];
    if (size == 0) return true;
    if (!IsPowerOfTwo(size) || size < kMinRom || size > kMaxRom) {
        error = "function " + Address(image.bus, image.device, image.function) +
                " expansion ROM: size must be a power of two from 2K to 2G";
        return false;
    }
    SetMask(f.writable, romOffset, (uint32_t(~(size - 1)) & 0xFFFFF800u) | 1);
    return true;
}

bool SimMachine::AddFunction(const FunctionImage& image, std::string& error) {
    if (!CheckNewFunction(image, error)) return false;
    auto f = std::make_unique<Function>();
    f->bus = image.bus;
    f->device = image.device;
    f->function = image.function;
    f->powerOn = image.config;
    f->config = image.config;
    f->headerType = image.config[0x0E] & 0x7F;
    f->writable.assign(image.config.size(), 0);
    SetHeaderMasks(*f);
    ProtectCapabilityHeaders(*f);
    if (!SetBarMasks(*f, image, error) || !SetRomMask(*f, image, error)) return false;
    slots_[size_t(f->bus) << 8 | size_t(f->device) << 3 | f->function] = int32_t(functions_.size());
    functions_.push_back(std::move(f));
    decodersStale_ = true;
    const Function& added = *functions_.back();
    if (IsBridgeType(added.headerType) && (added.config[0x3E] & 0x40)) HoldBusesOf(added);
    return true;
}

bool SimMachine::AddRam(uint32_t address, uint64_t size, std::string& error) {
    const uint64_t end = uint64_t(address) + size;
    if (size == 0) {
        error = "RAM region is empty";
        return false;
    }
    if (end > (uint64_t(1) << 32)) {
        error = "RAM region reaches past 4 GB";
        return false;
    }
    // Regions do not overlap: only the one before and the one after can reach this one.
    const auto after = ram_.lower_bound(address);
    const bool overlaps = (after != ram_.end() && after->first < end) ||
                          (after != ram_.begin() &&
                           std::prev(after)->first + std::prev(after)->second->Size() > address);
    if (overlaps) {
        error = "RAM region overlaps another RAM region";
        return false;
    }
    ram_.emplace_hint(after, address, std::make_unique<SparseMemory>(size));
    return true;
}

void SimMachine::UpdateReset() {
    // Buses newly held in reset get their functions restored to power-on; restoring a bridge
    // may change which buses are held, so repeat until nothing is added.
    for (int guard = 0; guard < 300; ++guard) {
        // +1 where a held range of buses begins, -1 past its end.
        std::array<int, 257> edges{};
        for (const auto& f : functions_) {
            if (!IsBridgeType(f->headerType) || !(f->config[0x3E] & 0x40)) continue;
            if (f->config[0x19] > f->config[0x1A]) continue;
            ++edges[f->config[0x19]];
            --edges[size_t(f->config[0x1A]) + 1];
        }
        std::array<bool, 256> next{};
        int holding = 0;
        for (size_t b = 0; b < 256; ++b)
            next[b] = (holding += edges[b]) > 0;
        bool added = false;
        for (const auto& f : functions_) {
            if (next[f->bus] && !busInReset_[f->bus]) {
                f->config = f->powerOn;
                added = true;
            }
        }
        if (added || next != busInReset_) decodersStale_ = true;
        busInReset_ = next;
        if (!added) return;
    }
}

// A bridge added with its reset asserted holds its buses too. The functions already on them
// are at power-on unless written since they were added; only then is the whole picture redone.
void SimMachine::HoldBusesOf(const Function& bridge) {
    bool restored = false;
    for (int b = bridge.config[0x19]; b <= bridge.config[0x1A]; ++b) {
        if (busInReset_[size_t(b)]) continue;
        busInReset_[size_t(b)] = true;
        decodersStale_ = true;
        for (size_t devfn = 0; devfn < 256; ++devfn) {
            const int32_t index = slots_[size_t(b) << 8 | devfn];
            if (index < 0) continue;
            Function& f = *functions_[size_t(index)];
            if (f.config != f.powerOn) {
                f.config = f.powerOn;
                restored = true;
            }
        }
    }
    if (restored) UpdateReset();
}

bool SimMachine::ReadConfig(uint8_t bus, uint8_t device, uint8_t function, uint16_t offset,
                            uint32_t& value) {
    ++reads_;
    const Function* f = Find(bus, device, function);
    if (!f || busInReset_[bus]) return false;
    const size_t off = offset & ~3u;
    value = off + 4 <= f->config.size() ? ConfigDword(f->config, off) : 0xFFFFFFFF;
    return true;
}

void SimMachine::WriteConfig(uint8_t bus, uint8_t device, uint8_t function, uint16_t offset,
                             uint32_t value) {
    ++writes_;
    if (logging_) log_.push_back({bus, device, function, uint16_t(offset & ~3u), value});
    Function* f = Find(bus, device, function);
    if (!f || busInReset_[bus]) return;
    const size_t off = offset & ~3u;
    if (off + 4 > f->config.size()) return;
    const uint32_t before = ConfigDword(f->config, off);
    for (size_t i = 0; i < 4; ++i) {
        const uint8_t v = uint8_t(value >> (8 * i));
        uint8_t& b = f->config[off + i];
        b = uint8_t((b & ~f->writable[off + i]) | (v & f->writable[off + i]));
        b = uint8_t(b & ~(v & ClearedByOne(f->headerType, off + i)));
    }
    if (off >= kFirstBar && off < kFirstBar + 24 && ConfigDword(f->config, off) != before)
        decodersStale_ = true;  // a BAR moved
    if (IsBridgeType(f->headerType)) UpdateReset();
}

// Ranks in the decode indexes: function index * 8 + BAR.
void SimMachine::RefreshDecoders() const {
    if (!decodersStale_) return;
    std::vector<DecodeIndex::Range> memory, io;
    for (size_t index = 0; index < functions_.size(); ++index) {
        const Function& f = *functions_[index];
        if (busInReset_[f.bus]) continue;
        for (int i = 0; i < 6; ++i) {
            const uint64_t rank = index * 8 + size_t(i);
            if (f.kind[i] == BarKind::Memory32 || f.kind[i] == BarKind::Memory64) {
                if (const uint64_t base = f.MemoryBase(i))
                    memory.push_back({base, f.size[i], rank});
            } else if (f.kind[i] == BarKind::Io) {
                if (const uint32_t base = f.IoBase(i)) io.push_back({base, f.size[i], rank});
            }
        }
    }
    memoryDecoders_.Assign(std::move(memory));
    portDecoders_.Assign(std::move(io));
    decodersStale_ = false;
}

SimMachine::MemoryPlace SimMachine::FindMemory(uint64_t address, uint64_t length) const {
    RefreshDecoders();
    const uint64_t rank = memoryDecoders_.Find(address, length);
    if (rank != DecodeIndex::kNone) {
        const Function& f = *functions_[size_t(rank / 8)];
        const int bar = int(rank % 8);
        return {f.memory[size_t(bar)].get(), address - f.MemoryBase(bar)};
    }
    // RAM regions do not overlap: only the one that begins last at or below the address.
    auto r = ram_.upper_bound(address);
    if (r == ram_.begin()) return {};
    --r;
    const uint64_t offset = address - r->first;
    if (offset <= r->second->Size() && length <= r->second->Size() - offset)
        return {r->second.get(), offset};
    return {};
}

uint8_t* SimMachine::MemoryAt(uint64_t address, uint64_t length) {
    const MemoryPlace place = FindMemory(address, length);
    return place.memory ? place.memory->Touch(place.offset, length) : nullptr;
}

uint64_t SimMachine::CommittedMemory() const {
    uint64_t bytes = 0;
    for (const auto& f : functions_) {
        for (const auto& m : f->memory)
            if (m) bytes += m->CommittedBytes();
        for (const auto& p : f->ports)
            if (p) bytes += p->CommittedBytes();
    }
    for (const auto& r : ram_)
        bytes += r.second->CommittedBytes();
    return bytes;
}

SimMachine::MemoryPlace SimMachine::FindPort(uint32_t port) const {
    RefreshDecoders();
    const uint64_t rank = portDecoders_.Find(port, 1);
    if (rank == DecodeIndex::kNone) return {};
    const Function& f = *functions_[size_t(rank / 8)];
    const int bar = int(rank % 8);
    return {f.ports[size_t(bar)].get(), port - f.IoBase(bar)};
}

bool SimMachine::StoreMemory(uint64_t address, const uint8_t* bytes, size_t count) {
    if (count == 0) return false;
    const MemoryPlace place = FindMemory(address, count);
    return place.memory && place.memory->Store(place.offset, bytes, count);
}

bool SimMachine::FillRange(uint64_t address, uint64_t length, uint8_t value) {
    if (length == 0) return false;
    const MemoryPlace place = FindMemory(address, length);
    return place.memory && place.memory->Fill(place.offset, length, value);
}

bool SimMachine::StorePorts(uint32_t port, const uint8_t* bytes, size_t count) {
    if (count == 0 || uint64_t(port) + count > (uint64_t(1) << 32)) return false;
    const MemoryPlace first = FindPort(port);
    if (!first.memory) return false;
    for (size_t i = 1; i < count; ++i) {
        const MemoryPlace at = FindPort(uint32_t(port + i));
        if (at.memory != first.memory || at.offset != first.offset + i)
            return false;  // not all in one I/O BAR
    }
    return first.memory->Store(first.offset, bytes, count);
}

bool SimMachine::ReadPort(uint32_t port, uint32_t& value) {
    value = 0;
    for (uint32_t i = 0; i < 4; ++i) {
        const MemoryPlace at = FindPort(port + i);
        uint8_t b = 0xFF;
        if (at.memory) at.memory->Read(at.offset, &b, 1);
        value |= uint32_t(b) << (8 * i);
    }
    return true;
}

bool SimMachine::WritePort(uint32_t port, uint32_t value) {
    for (uint32_t i = 0; i < 4; ++i) {
        const MemoryPlace at = FindPort(port + i);
        if (!at.memory) continue;
        if (uint8_t* b = at.memory->Touch(at.offset, 1)) *b = uint8_t(value >> (8 * i));
    }
    return true;
}

void* SimMachine::MapPhysical(uint32_t address, uint32_t length) {
    if (length == 0) return nullptr;
    void* view = MemoryAt(address, length);
    if (view) ++openViews_;
    return view;
}

void SimMachine::UnmapPhysical(void* view, uint32_t) {
    if (view) --openViews_;
}

}  // namespace tvk
