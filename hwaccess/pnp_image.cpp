// BARs: Windows says which range came from which BAR only on newer versions (the BAR and
// window marks); the ranges are therefore given BAR numbers in the order Windows lists them.
// When any range of a function is marked as a BAR, only the marked ones count; otherwise every
// range that is not marked as a bridge window and could be a BAR (a power of two of at least
// 4 bytes of I/O or 16 of memory, aligned to its size) counts, except for bridges, whose
// unmarked ranges are their windows. A 64-bit range (or one above 4G) takes two registers.
// Ranges that do not fit the header's BAR registers are left out.
#include "pnp_image.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace tvk {

namespace {

constexpr uint64_t k4G = uint64_t(1) << 32;

void Put16(std::vector<uint8_t>& c, size_t offset, uint32_t v) {
    c[offset] = uint8_t(v);
    c[offset + 1] = uint8_t(v >> 8);
}

void Put32(std::vector<uint8_t>& c, size_t offset, uint32_t v) {
    Put16(c, offset, v);
    Put16(c, offset + 2, v >> 16);
}

std::optional<uint32_t> Hex(const std::string& text, size_t digits) {
    if (text.size() != digits) return std::nullopt;
    uint32_t value = 0;
    for (char ch : text) {
        if (!std::isxdigit(static_cast<unsigned char>(ch))) return std::nullopt;
        const int c = std::toupper(static_cast<unsigned char>(ch));
        value = value << 4 | uint32_t(c <= '9' ? c - '0' : c - 'A' + 10);
    }
    return value;
}

std::string Upper(std::string text) {
    for (char& ch : text)
        ch = char(std::toupper(static_cast<unsigned char>(ch)));
    return text;
}

bool IsPowerOfTwo(uint64_t v) {
    return v != 0 && (v & (v - 1)) == 0;
}

int HeaderKind(uint32_t classCode) {
    switch (classCode >> 8) {
        case 0x0604:
        case 0x0609:
            return 1;
        case 0x0607:
            return 2;
        default:
            return 0;
    }
}

int BarSlots(int headerKind) {
    return headerKind == 0 ? 6 : headerKind == 1 ? 2 : 1;
}

bool CouldBeBar(const PnpRange& r) {
    const uint64_t minimum = r.space == PnpRange::Space::Io ? 4 : 16;
    if (!IsPowerOfTwo(r.length) || r.length < minimum || r.start % r.length != 0) return false;
    if (r.space == PnpRange::Space::Io) return r.length <= 65536 && r.start + r.length <= k4G;
    return r.length <= (uint64_t(1) << 63);
}

// Fills the BAR registers of `image` from the ranges of `device`.
void PlaceBars(const PnpDevice& device, int headerKind, FunctionImage& image) {
    const bool marked = std::any_of(device.ranges.begin(), device.ranges.end(),
                                    [](auto& r) { return r.decode == PnpRange::Decode::Bar; });
    const int slots = BarSlots(headerKind);
    int next = 0;
    for (const PnpRange& r : device.ranges) {
        if (marked ? r.decode != PnpRange::Decode::Bar
                   : (r.decode == PnpRange::Decode::Window || headerKind != 0))
            continue;
        if (!CouldBeBar(r)) continue;
        const bool wide =
            r.space == PnpRange::Space::Memory && (r.wide || r.start + r.length > k4G);
        if (next + (wide ? 2 : 1) > slots) break;
        const size_t offset = 0x10 + 4 * size_t(next);
        if (r.space == PnpRange::Space::Io) {
            Put32(image.config, offset, uint32_t(r.start) | 0x1);
        } else {
            const uint32_t type = (wide ? 0x4u : 0x0u) | (r.prefetchable ? 0x8u : 0x0u);
            Put32(image.config, offset, uint32_t(r.start) | type);
            if (wide) Put32(image.config, offset + 4, uint32_t(r.start >> 32));
        }
        image.barSize[size_t(next)] = r.length;
        next += wide ? 2 : 1;
    }
}

struct Kept {
    const PnpDevice* device;
    FunctionImage image;
    int headerKind;
};

}  // namespace

PnpIds ParsePnpId(const std::string& id) {
    PnpIds ids;
    const std::string text = Upper(id);
    if (text.rfind("PCI\\", 0) != 0) return ids;
    const size_t end = text.find('\\', 4);
    const std::string fields = text.substr(4, end == std::string::npos ? end : end - 4);
    size_t at = 0;
    while (at <= fields.size()) {
        size_t amp = fields.find('&', at);
        if (amp == std::string::npos) amp = fields.size();
        const std::string field = fields.substr(at, amp - at);
        at = amp + 1;
        const size_t bar = field.find('_');
        if (bar == std::string::npos) continue;
        const std::string key = field.substr(0, bar);
        const std::string value = field.substr(bar + 1);
        if (key == "VEN") {
            if (auto v = Hex(value, 4)) ids.vendor = uint16_t(*v);
        } else if (key == "DEV") {
            if (auto v = Hex(value, 4)) ids.device = uint16_t(*v);
        } else if (key == "SUBSYS") {
            if (auto v = Hex(value, 8)) ids.subsystem = *v;
        } else if (key == "REV") {
            if (auto v = Hex(value, 2)) ids.revision = uint8_t(*v);
        } else if (key == "CC") {
            if (auto v = Hex(value, 6)) {
                ids.classCode = *v;
                ids.classWithInterface = true;
            } else if (auto w = Hex(value, 4)) {
                ids.classCode = *w << 8;
            }
        }
    }
    return ids;
}

PnpImages BuildPnpImages(const std::vector<PnpDevice>& devices) {
    PnpImages result;
    std::vector<Kept> kept;
    std::set<uint32_t> taken;  // bus << 8 | devfn
    for (const PnpDevice& d : devices) {
        auto leaveOut = [&](const std::string& why) {
            result.notes.push_back(d.instanceId + ": left out: " + why);
        };
        if (!d.busNumber || *d.busNumber > 255) {
            leaveOut(d.busNumber ? "bus number above 255" : "no bus number");
            continue;
        }
        const uint32_t device = d.address ? *d.address >> 16 : 0;
        const uint32_t function = d.address ? *d.address & 0xFFFF : 0;
        if (!d.address || device > 31 || function > 7) {
            leaveOut(d.address ? "address outside device 0-31, function 0-7" : "no address");
            continue;
        }
        // The richest id gives each field: hardware ids first, then compatible ids; a class
        // with its interface before one without.
        PnpIds ids;
        std::optional<uint32_t> shortClass;
        for (const auto* list : {&d.hardwareIds, &d.compatibleIds}) {
            for (const std::string& text : *list) {
                const PnpIds one = ParsePnpId(text);
                if (!ids.vendor) ids.vendor = one.vendor;
                if (!ids.device) ids.device = one.device;
                if (!ids.subsystem) ids.subsystem = one.subsystem;
                if (!ids.revision) ids.revision = one.revision;
                if (one.classCode && one.classWithInterface && !ids.classCode)
                    ids.classCode = one.classCode;
                if (one.classCode && !one.classWithInterface && !shortClass)
                    shortClass = one.classCode;
            }
        }
        if (!ids.classCode) ids.classCode = shortClass;
        if (!ids.vendor || *ids.vendor == 0xFFFF || (ids.device && *ids.device == 0xFFFF)) {
            leaveOut(ids.vendor ? "vendor or device id FFFF" : "no vendor id in its ids");
            continue;
        }
        const uint8_t bus = uint8_t(*d.busNumber);
        const uint32_t key = uint32_t(bus) << 8 | device << 3 | function;
        if (!taken.insert(key).second) {
            leaveOut("its address is taken by a device listed before it");
            continue;
        }
        Kept k{&d, FunctionImage{}, HeaderKind(ids.classCode.value_or(0))};
        FunctionImage& f = k.image;
        f.bus = bus;
        f.device = uint8_t(device);
        f.function = uint8_t(function);
        f.config.assign(256, 0);
        Put16(f.config, 0x00, *ids.vendor);
        Put16(f.config, 0x02, ids.device.value_or(0));
        Put32(f.config, 0x08, ids.classCode.value_or(0) << 8 | ids.revision.value_or(0));
        f.config[0x0E] = uint8_t(k.headerKind);
        if (ids.subsystem && k.headerKind == 0) Put32(f.config, 0x2C, *ids.subsystem);
        if (ids.subsystem && k.headerKind == 2) Put32(f.config, 0x40, *ids.subsystem);
        if (d.interruptLine && *d.interruptLine < 255) f.config[0x3C] = uint8_t(*d.interruptLine);
        if (d.interruptPin && *d.interruptPin >= 1 && *d.interruptPin <= 4)
            f.config[0x3D] = uint8_t(*d.interruptPin);
        PlaceBars(d, k.headerKind, f);
        kept.push_back(std::move(k));
    }

    // Multi-function: another function on the same bus and device.
    std::map<uint32_t, int> perDevice;  // bus << 5 | device -> functions
    for (const Kept& k : kept)
        ++perDevice[uint32_t(k.image.bus) << 5 | k.image.device];
    for (Kept& k : kept)
        if (perDevice[uint32_t(k.image.bus) << 5 | k.image.device] > 1)
            k.image.config[0x0E] |= 0x80;

    // Bridges: the buses of the functions below them in the device tree.
    std::map<std::string, size_t> byId;
    for (size_t i = 0; i < kept.size(); ++i)
        byId.emplace(Upper(kept[i].device->instanceId), i);
    std::vector<std::vector<size_t>> children(kept.size());
    for (size_t i = 0; i < kept.size(); ++i) {
        auto parent = byId.find(Upper(kept[i].device->parentId));
        if (parent != byId.end() && parent->second != i) children[parent->second].push_back(i);
    }
    for (size_t i = 0; i < kept.size(); ++i) {
        if (kept[i].headerKind == 0) continue;
        const uint8_t own = kept[i].image.bus;
        uint32_t secondary = 0, subordinate = 0;
        for (size_t c : children[i]) {
            const uint8_t bus = kept[c].image.bus;
            if (bus > own && (secondary == 0 || bus < secondary)) secondary = bus;
        }
        // Every function below, at any depth (a malformed tree with a loop is walked once).
        std::vector<size_t> pending = children[i];
        std::set<size_t> seen{i};
        while (!pending.empty()) {
            const size_t c = pending.back();
            pending.pop_back();
            if (!seen.insert(c).second) continue;
            if (kept[c].image.bus > own)
                subordinate = std::max<uint32_t>(subordinate, kept[c].image.bus);
            pending.insert(pending.end(), children[c].begin(), children[c].end());
        }
        if (secondary == 0) subordinate = 0;
        std::vector<uint8_t>& c = kept[i].image.config;
        c[0x18] = own;
        c[0x19] = uint8_t(secondary);
        c[0x1A] = uint8_t(std::max(secondary, subordinate));
    }

    for (Kept& k : kept)
        result.functions.push_back(std::move(k.image));
    return result;
}

}  // namespace tvk
