#include "class_code_table.h"

namespace bexa {

namespace {
constexpr const char* kPre20 = "Pre-2.0 PCI Specification Device";
constexpr const char* kStorage = "Mass Storage Controller";
constexpr const char* kNetwork = "Network Controller";
constexpr const char* kDisplay = "Display Controller";
constexpr const char* kMultimedia = "Multimedia Device";
constexpr const char* kMemory = "Memory Controller";
constexpr const char* kBridge = "Bridge Device";
constexpr const char* kComm = "Simple Communications Controller";
constexpr const char* kPeripheral = "Base Systems Peripheral";
constexpr const char* kInput = "Input Device";
constexpr const char* kDocking = "Docking Station";
constexpr const char* kProcessor = "Processor";
constexpr const char* kSerialBus = "Serial Bus Controller";
constexpr const char* kWireless = "Wireless";
constexpr const char* kIntelligentIo = "Intelligent IO";
constexpr const char* kSatellite = "Satellite";
constexpr const char* kEncryption = "Encryption";
constexpr const char* kSignal = "Signal Processing";
constexpr const char* kUsb = "USB (Universal Serial Bus)";
}  // namespace

const ClassCodeRow ClassCodeTable[112] = {
    {0x00, 0x00, 0x00, kPre20, "Non-VGA", ""},
    {0x00, 0x01, 0x00, kPre20, "VGA Compatible", ""},

    {0x01, 0x00, 0x00, kStorage, "SCSI", ""},
    {0x01, 0x01, 0x00, kStorage, "IDE", ""},
    {0x01, 0x02, 0x00, kStorage, "Floppy", ""},
    {0x01, 0x03, 0x00, kStorage, "IPI", ""},
    {0x01, 0x04, 0x00, kStorage, "RAID", ""},
    {0x01, 0x80, 0x00, kStorage, "Other", ""},

    {0x02, 0x00, 0x00, kNetwork, "Ethernet", ""},
    {0x02, 0x01, 0x00, kNetwork, "Token Ring", ""},
    {0x02, 0x02, 0x00, kNetwork, "FDDI", ""},
    {0x02, 0x03, 0x00, kNetwork, "ATM", ""},
    {0x02, 0x04, 0x00, kNetwork, "ISDN", ""},
    {0x02, 0x80, 0x00, kNetwork, "Other", ""},

    {0x03, 0x00, 0x00, kDisplay, "PC Compatible", "VGA"},
    {0x03, 0x00, 0x01, kDisplay, "PC Compatible", "8514"},
    {0x03, 0x01, 0x00, kDisplay, "XGA", ""},
    {0x03, 0x02, 0x00, kDisplay, "3D", ""},
    {0x03, 0x80, 0x00, kDisplay, "Other", ""},

    {0x04, 0x00, 0x00, kMultimedia, "Video", ""},
    {0x04, 0x01, 0x00, kMultimedia, "Audio", ""},
    {0x04, 0x02, 0x00, kMultimedia, "Telephony", ""},
    {0x04, 0x80, 0x00, kMultimedia, "Other", ""},

    {0x05, 0x00, 0x00, kMemory, "RAM", ""},
    {0x05, 0x01, 0x00, kMemory, "Flash", ""},
    {0x05, 0x80, 0x00, kMemory, "Other", ""},

    {0x06, 0x00, 0x00, kBridge, "Host/PCI", ""},
    {0x06, 0x01, 0x00, kBridge, "PCI/ISA", ""},
    {0x06, 0x02, 0x00, kBridge, "PCI/EISA", ""},
    {0x06, 0x03, 0x00, kBridge, "PCI/MCA", ""},
    {0x06, 0x04, 0x00, kBridge, "PCI/PCI", ""},
    {0x06, 0x04, 0x01, kBridge, "PCI/PCI", "Subtractive"},
    {0x06, 0x05, 0x00, kBridge, "PCI/PCMCIA", ""},
    {0x06, 0x06, 0x00, kBridge, "PCI/NuBus", ""},
    {0x06, 0x07, 0x00, kBridge, "PCI/CardBus", ""},
    {0x06, 0x08, 0x00, kBridge, "PCI/RACEway", "Transparent"},
    {0x06, 0x08, 0x01, kBridge, "PCI/RACEway", "End-Point"},
    {0x06, 0x80, 0x00, kBridge, "Other", ""},

    {0x07, 0x00, 0x00, kComm, "Serial", "Generic XT Compatible"},
    {0x07, 0x00, 0x01, kComm, "Serial", "16450 Compatible"},
    {0x07, 0x00, 0x02, kComm, "Serial", "16550 Compatible"},
    {0x07, 0x00, 0x03, kComm, "Serial", "16650 Compatible"},
    {0x07, 0x00, 0x04, kComm, "Serial", "16750 Compatible"},
    {0x07, 0x00, 0x05, kComm, "Serial", "16850 Compatible"},
    {0x07, 0x00, 0x06, kComm, "Serial", "16950 Compatible"},
    {0x07, 0x01, 0x00, kComm, "Parallel", "Standard"},
    {0x07, 0x01, 0x01, kComm, "Parallel", "Bidirectional"},
    {0x07, 0x01, 0x02, kComm, "Parallel", "ECP 1.X Compliant"},
    {0x07, 0x01, 0x03, kComm, "Parallel", "IEEE 1284 controller"},
    {0x07, 0x01, 0xFE, kComm, "Parallel", "IEEE 1284 target"},
    {0x07, 0x02, 0x00, kComm, "Multiport Serial", ""},
    {0x07, 0x03, 0x00, kComm, "Generic Modem", ""},
    {0x07, 0x03, 0x01, kComm, "Hayes-Compatible Modem", "16450"},
    {0x07, 0x03, 0x02, kComm, "Hayes-Compatible Modem", "16550"},
    {0x07, 0x03, 0x03, kComm, "Hayes-Compatible Modem", "16650"},
    {0x07, 0x03, 0x04, kComm, "Hayes-Compatible Modem", "16750"},
    {0x07, 0x80, 0x00, kComm, "Other", ""},

    {0x08, 0x00, 0x00, kPeripheral, "PIC (Programmable Interrupt Controller)", "Generic 8259"},
    {0x08, 0x00, 0x01, kPeripheral, "PIC (Programmable Interrupt Controller)", "ISA"},
    {0x08, 0x00, 0x02, kPeripheral, "PIC (Programmable Interrupt Controller)", "EISA"},
    {0x08, 0x00, 0x10, kPeripheral, "I/O APIC", ""},
    {0x08, 0x00, 0x20, kPeripheral, "I/O(x) APIC", ""},
    {0x08, 0x01, 0x00, kPeripheral, "DMA (Direct Memory Access)", "Generic 8237"},
    {0x08, 0x01, 0x01, kPeripheral, "DMA (Direct Memory Access)", "ISA"},
    {0x08, 0x01, 0x02, kPeripheral, "DMA (Direct Memory Access)", "EISA"},
    {0x08, 0x02, 0x00, kPeripheral, "System Timer", "Generic 8254"},
    {0x08, 0x02, 0x01, kPeripheral, "System Timer", "ISA"},
    {0x08, 0x02, 0x02, kPeripheral, "System Timer", "EISA"},
    {0x08, 0x03, 0x00, kPeripheral, "RTC (Real Time Clock)", "Generic"},
    {0x08, 0x03, 0x01, kPeripheral, "RTC (Real Time Clock)", "ISA"},
    {0x08, 0x04, 0x00, kPeripheral, "PCI Hot-Plug Controller", "Generic"},
    {0x08, 0x80, 0x00, kPeripheral, "Other", ""},

    {0x09, 0x00, 0x00, kInput, "Keyboard", ""},
    {0x09, 0x01, 0x00, kInput, "Digitizer (Pen)", ""},
    {0x09, 0x02, 0x00, kInput, "Mouse", ""},
    {0x09, 0x03, 0x00, kInput, "Scanner", ""},
    {0x09, 0x04, 0x00, kInput, "Game Port", "Generic"},
    {0x09, 0x04, 0x10, kInput, "Game Port", "Legacy"},
    {0x09, 0x80, 0x00, kInput, "Other", ""},

    {0x0A, 0x00, 0x00, kDocking, "Generic", ""},
    {0x0A, 0x80, 0x00, kDocking, "Other", ""},

    {0x0B, 0x00, 0x00, kProcessor, "i386", ""},
    {0x0B, 0x01, 0x00, kProcessor, "i486", ""},
    {0x0B, 0x02, 0x00, kProcessor, "Pentium", ""},
    {0x0B, 0x10, 0x00, kProcessor, "Alpha", ""},
    {0x0B, 0x20, 0x00, kProcessor, "Power PC", ""},
    {0x0B, 0x30, 0x00, kProcessor, "MIPS", ""},
    {0x0B, 0x40, 0x00, kProcessor, "Co-processor", ""},

    {0x0C, 0x00, 0x00, kSerialBus, "IEEE 1394", "Firewire"},
    {0x0C, 0x00, 0x10, kSerialBus, "IEEE 1394", "OpenHCI"},
    {0x0C, 0x01, 0x00, kSerialBus, "ACCESS.bus", ""},
    {0x0C, 0x02, 0x00, kSerialBus, "SSA (Serial Storage Archetecture)", ""},
    {0x0C, 0x03, 0x00, kSerialBus, kUsb, "Universal Host Controller"},
    {0x0C, 0x03, 0x10, kSerialBus, kUsb, "Open Host Controller"},
    {0x0C, 0x03, 0x80, kSerialBus, kUsb, "Non-specific Controller"},
    {0x0C, 0x03, 0xFE, kSerialBus, kUsb, "Device"},
    {0x0C, 0x04, 0x00, kSerialBus, "Fibre Channel", ""},
    {0x0C, 0x05, 0x00, kSerialBus, "SMBus", ""},

    {0x0D, 0x00, 0x00, kWireless, "iRDA-compatible Controller", ""},
    {0x0D, 0x01, 0x00, kWireless, "Consumer IR Controller", ""},
    {0x0D, 0x10, 0x00, kWireless, "RF Controller", ""},
    {0x0D, 0x80, 0x00, kWireless, "Other", ""},

    {0x0E, 0x00, 0x00, kIntelligentIo, "I2O", ""},

    {0x0F, 0x01, 0x00, kSatellite, "TV", ""},
    {0x0F, 0x02, 0x00, kSatellite, "Audio", ""},
    {0x0F, 0x03, 0x00, kSatellite, "Voice", ""},
    {0x0F, 0x04, 0x00, kSatellite, "Data", ""},

    {0x10, 0x00, 0x00, kEncryption, "Network/Computing", ""},
    {0x10, 0x10, 0x00, kEncryption, "Entertainment", ""},
    {0x10, 0x80, 0x00, kEncryption, "Other", ""},

    {0x11, 0x00, 0x00, kSignal, "DPIO", ""},
    {0x11, 0x80, 0x00, kSignal, "Other", ""},
};

}  // namespace bexa
