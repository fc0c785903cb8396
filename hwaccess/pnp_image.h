// Configuration images from what Windows' Plug and Play manager reports about PCI functions.
//
// Windows gives a program without a driver, for each PCI function it has enumerated, its bus
// number and address, its hardware and compatible ids ("PCI\VEN_8086&DEV_2668&SUBSYS_...&REV_03",
// "PCI\CC_040300"), its parent in the device tree and the resources assigned to it. This file
// turns that plain data into a 256-byte configuration image per function: the bytes Windows
// gives, the few derived from them (header type, BARs, a bridge's bus numbers) and zero for
// every other byte. The Win32 side that reads the data is live_machine_win32.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim_machine.h"

namespace tvk {

// One memory or I/O range assigned to a function.
struct PnpRange {
    enum class Space { Memory, Io };
    // How Windows marks the range: as a BAR of the function, as a window a bridge passes on,
    // or not at all (older Windows).
    enum class Decode { Unmarked, Bar, Window };
    Space space = Space::Memory;
    uint64_t start = 0;
    uint64_t length = 0;
    bool prefetchable = false;
    bool wide = false;  // a 64-bit memory range
    Decode decode = Decode::Unmarked;
};

// One PCI function as Windows reports it; a property Windows did not give is empty.
struct PnpDevice {
    std::string instanceId;  // "PCI\VEN_...\3&11583659&0&D8"
    std::string parentId;    // instance id of the parent in the device tree
    std::optional<uint32_t> busNumber;
    std::optional<uint32_t> address;  // device << 16 | function
    std::vector<std::string> hardwareIds;
    std::vector<std::string> compatibleIds;
    std::vector<PnpRange> ranges;  // in the order Windows lists them
    std::optional<uint32_t> interruptLine;
    std::optional<uint32_t> interruptPin;  // 1 = INTA# ... 4 = INTD#
};

// The identifiers of one hardware or compatible id; a field it does not carry stays empty.
struct PnpIds {
    std::optional<uint16_t> vendor;
    std::optional<uint16_t> device;
    std::optional<uint32_t> subsystem;  // SUBSYS_ssssvvvv: subsystem id << 16 | its vendor
    std::optional<uint8_t> revision;
    std::optional<uint32_t> classCode;  // base class << 16 | sub-class << 8 | interface
    bool classWithInterface = false;    // the class gave its interface (six digits)
};

// Parses "PCI\VEN_xxxx&DEV_xxxx&SUBSYS_xxxxxxxx&REV_xx" or "PCI\CC_ccss[pp]" (any order of the
// fields, upper or lower case); fields of the wrong length or with other characters are
// ignored, and so is an id that does not begin with "PCI\". A four-digit class has interface 0.
PnpIds ParsePnpId(const std::string& id);

// The images of a device list, and what was left out and why.
struct PnpImages {
    std::vector<FunctionImage> functions;
    std::vector<std::string> notes;  // "INSTANCE-ID: left out: REASON" and the like
};

// Builds one image per usable device. A device is left out when it has no bus number, no
// address or one outside device 0-31 / function 0-7, no vendor id (or vendor or device id
// FFFF), or the address of a device listed before it. In each image:
// - 0x00-0x0B: vendor and device id, revision and class code from the ids;
// - 0x0E: header type 1 for a PCI-to-PCI bridge (class 0604 or 0609), 2 for a CardBus bridge
//   (0607), else 0; bit 7 set when another function of the list shares its bus and device;
// - BARs from the ranges, in the order listed (see the .cpp), with their sizes for probing;
// - type 0: subsystem at 0x2C; type 2: at 0x40; type 1: none;
// - 0x3C, 0x3D: interrupt line (when below 255) and pin (1-4) where given;
// - bridges: primary bus = its own, secondary = the lowest and subordinate = the highest bus
//   number among the functions below it in the device tree (0 when none is below it).
PnpImages BuildPnpImages(const std::vector<PnpDevice>& devices);

}  // namespace tvk
