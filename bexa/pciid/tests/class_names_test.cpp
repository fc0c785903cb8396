#include "class_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "class_code_table.h"

namespace bexa {
namespace {

TEST(ClassCodeTableTest, RowsAreAscendingWithoutDuplicateKeysAndTextsAreFilled) {
    std::set<std::tuple<int, int, int>> keys;
    std::tuple<int, int, int> previous{-1, -1, -1};
    for (const ClassCodeRow& row : ClassCodeTable) {
        std::tuple<int, int, int> key{row.baseClass, row.subClass, row.progIf};
        EXPECT_LT(previous, key) << std::get<0>(key) << " " << std::get<1>(key);
        previous = key;
        keys.insert(key);
        EXPECT_NE(std::string(row.baseText), "");
        EXPECT_NE(std::string(row.subClassText), "");
    }
    EXPECT_EQ(keys.size(), 112u);
    // Every base class 00 to 11 has rows, none beyond.
    for (int base = 0; base <= 0x11; ++base) {
        EXPECT_TRUE(keys.lower_bound({base, 0, 0}) != keys.lower_bound({base + 1, 0, 0})) << base;
    }
    EXPECT_EQ(std::get<0>(*keys.rbegin()), 0x11);
}

struct ClassCase {
    uint16_t vendor, device;
    uint8_t base, sub, progIf;
    const char* expected;
};

TEST(ClassNameTest, TableTextsFallbacksAndSpecialCases) {
    const ClassCase cases[] = {
        // Table rows: interface text, sub-class text, base text.
        {0x1234, 0x0001, 0x03, 0x00, 0x00, "VGA; PC Compatible; Display Controller"},
        {0x1234, 0x0001, 0x03, 0x00, 0x01, "8514; PC Compatible; Display Controller"},
        {0x1234, 0x0001, 0x01, 0x01, 0x00, "IDE; Mass Storage Controller"},
        {0x1234, 0x0001, 0x07, 0x80, 0x00, "Other; Simple Communications Controller"},
        {0x1234, 0x0001, 0x07, 0x01, 0xFE,
         "IEEE 1284 target; Parallel; Simple Communications Controller"},
        {0x1234, 0x0001, 0x07, 0x03, 0x00, "Generic Modem; Simple Communications Controller"},
        {0x1234, 0x0001, 0x07, 0x03, 0x04,
         "16750; Hayes-Compatible Modem; Simple Communications Controller"},
        {0x1234, 0x0001, 0x08, 0x00, 0x20, "I/O(x) APIC; Base Systems Peripheral"},
        {0x1234, 0x0001, 0x0C, 0x03, 0xFE,
         "Device; USB (Universal Serial Bus); Serial Bus Controller"},
        {0x1234, 0x0001, 0x0C, 0x02, 0x00,
         "SSA (Serial Storage Archetecture); Serial Bus Controller"},
        {0x1234, 0x0001, 0x11, 0x80, 0x00, "Other; Signal Processing"},
        // No row: the base class's fallback.
        {0x1234, 0x0001, 0x03, 0x00, 0x02, "o. Display Controller"},
        {0x1234, 0x0001, 0x01, 0x06, 0x01, "o. Mass Storage Controller"},
        {0x1234, 0x0001, 0x08, 0x05, 0x00, "o. system peripheral"},
        {0x1234, 0x0001, 0x0F, 0x00, 0x00, "o. satellite communication Device"},
        {0x1234, 0x0001, 0x11, 0x01, 0x00, "o. data acquisition and signal processing device"},
        // Base class 00: devices from before class codes.
        {0x8086, 0x0484, 0x00, 0x00, 0x00, "ISA Bridge"},
        {0x8086, 0x0483, 0x00, 0x00, 0x00, "Host Bridge"},
        {0x8086, 0x0482, 0x00, 0x01, 0x00, "EISA Bridge"},
        {0x8086, 0x0453, 0x00, 0x00, 0x00, "PCI Test Card"},
        {0x1000, 0x0001, 0x00, 0x00, 0x00, "SCSI Bus"},
        {0x8086, 0x1234, 0x00, 0x00, 0x00, "Non-VGA; Pre-2.0 PCI Specification Device"},
        {0x8086, 0x1234, 0x00, 0x01, 0x00, "VGA Compatible; Pre-2.0 PCI Specification Device"},
        {0x1000, 0x0002, 0x00, 0x02, 0x00, "Unknown Device"},
        // The Dlock card is named only for base classes 12 to FE.
        {0x8086, 0x4248, 0x00, 0x00, 0x00, "Non-VGA; Pre-2.0 PCI Specification Device"},
        {0x8086, 0x4248, 0x12, 0x00, 0x00, "PCI Dlock Card"},
        {0x8086, 0x4248, 0xFE, 0x80, 0x00, "PCI Dlock Card"},
        {0x8086, 0x4249, 0x12, 0x00, 0x00, "Unknown Device"},
        {0x8086, 0x4248, 0xFF, 0x00, 0x00, "PCI Device"},
        {0x8086, 0x4248, 0x06, 0x00, 0x00, "Host/PCI; Bridge Device"},
        // The vendor special cases hold only for base class 00.
        {0x8086, 0x0483, 0x06, 0x00, 0x00, "Host/PCI; Bridge Device"},
        {0x1000, 0x0001, 0x01, 0x00, 0x00, "SCSI; Mass Storage Controller"},
        // Base class FF never consults the table.
        {0x1234, 0x0001, 0xFF, 0x00, 0x00, "PCI Device"},
        {0x1234, 0x0001, 0xFF, 0xFF, 0xFF, "PCI Device"},
        {0x1234, 0x0001, 0x12, 0x00, 0x00, "Unknown Device"},
    };
    for (const ClassCase& c : cases) {
        EXPECT_EQ(ClassName(c.vendor, c.device, c.base, c.sub, c.progIf), c.expected)
            << std::hex << c.vendor << ":" << c.device << " class " << int(c.base) << " "
            << int(c.sub) << " " << int(c.progIf);
    }
}

TEST(ClassNameTest, EveryBaseClassFromOneToElevenHasAFallbackAndNoneIsEmpty) {
    for (int base = 0; base < 0x100; ++base) {
        const std::string name = ClassName(0x1234, 0x5678, static_cast<uint8_t>(base), 0x7F, 0x7F);
        EXPECT_FALSE(name.empty()) << base;
        if (base >= 0x01 && base <= 0x11) {
            EXPECT_EQ(name.rfind("o. ", 0), 0u) << base << ": " << name;
        }
    }
}

TEST(ClassTableTextTest, GivesNothingWithoutARow) {
    EXPECT_EQ(ClassTableText(0x03, 0x00, 0x00), "VGA; PC Compatible; Display Controller");
    EXPECT_EQ(ClassTableText(0x0B, 0x40, 0x00), "Co-processor; Processor");
    EXPECT_FALSE(ClassTableText(0x03, 0x00, 0x02).has_value());
    EXPECT_FALSE(ClassTableText(0x12, 0x00, 0x00).has_value());
    EXPECT_FALSE(ClassTableText(0xFF, 0x00, 0x00).has_value());
}

TEST(BarKindShortTest, DecodesIoMemoryPrefetchAndWidth) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0x00000000, ""},
        {0x00000001, " io"},
        {0x0000E001, " io"},
        {0xFFFFFFFF, " io"},
        {0xFEBF0000, " mem 32bit"},
        {0x00000008, " mem pref. 32bit"},
        {0x0000000C, " mem pref. 64bit"},
        {0x00000002, " mem  <1MB"},
        {0x0000000A, " mem pref.  <1MB"},
        {0x00000006, " mem"},
        {0xE000000E, " mem pref."},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(BarKindShort(value), expected) << std::hex << value;
    }
}

struct DumpCase {
    HeaderKind kind;
    int index;
    uint32_t value;
    const char* expected;
};

TEST(RegisterDumpLineTest, LabelsOfTheThreeHeaderLayouts) {
    const DumpCase cases[] = {
        {HeaderKind::Device, 0, 0x12378086, " 1237 8086 <00 : DID VID"},
        {HeaderKind::Device, 5, 0x0000E001, " 0000 E001 <14 : BAR 1 io"},
        {HeaderKind::Device, 4, 0xFEBF000C, " FEBF 000C <10 : BAR 0 mem pref. 64bit"},
        {HeaderKind::Device, 9, 0x00000000, " 0000 0000 <24 : BAR 5"},
        {HeaderKind::Device, 10, 0x00000001, " 0000 0001 <28 : Cardbus_CIS_Ptr"},
        {HeaderKind::Device, 11, 0x00011028, " 0001 1028 <2C : SubID SubVendorID"},
        {HeaderKind::Device, 12, 0x00000001, " 0000 0001 <30 : Exp_ROM_BAR"},
        {HeaderKind::Device, 15, 0x0000010B, " 0000 010B <3C : maxLat minGnt IntPin IntLine"},
        {HeaderKind::PciBridge, 4, 0xF0000000, " F000 0000 <10 : BAR 0 mem 32bit"},
        {HeaderKind::PciBridge, 5, 0x00000001, " 0000 0001 <14 : BAR 1 io"},
        {HeaderKind::PciBridge, 6, 0x00020100, " 0002 0100 <18 : sLatTimer subBNr secBNr priBNr"},
        {HeaderKind::PciBridge, 7, 0x2280F0F0, " 2280 F0F0 <1C : secStat  IOLimit IOBase"},
        {HeaderKind::PciBridge, 8, 0x0000FFF0, " 0000 FFF0 <20 : MemLimit MemBase"},
        {HeaderKind::PciBridge, 9, 0x0001FFF1, " 0001 FFF1 <24 : prefMemLimit prefMemBase"},
        {HeaderKind::PciBridge, 10, 0x00000000, " 0000 0000 <28 : prefBaseUpper32"},
        {HeaderKind::PciBridge, 11, 0x00000000, " 0000 0000 <2C : prefBaseUpper32"},
        {HeaderKind::PciBridge, 12, 0x00000000, " 0000 0000 <30 : IOLimitUpper16 IOBaseUpper16"},
        {HeaderKind::PciBridge, 14, 0x00000001, " 0000 0001 <38 : Exp_ROM_BAR"},
        {HeaderKind::PciBridge, 15, 0x000A01FF, " 000A 01FF <3C : BrigeControl IntPin IntLine"},
        {HeaderKind::CardBus, 4, 0xFEBFF000, " FEBF F000 <10 : CBsocketReg"},
        {HeaderKind::CardBus, 5, 0x02000000, " 0200 0000 <14 : secStat res capabPointer"},
        {HeaderKind::CardBus, 6, 0xB0030302, " B003 0302 <18 : CBLatTimer subBNr CBBNr PciBNr"},
        {HeaderKind::CardBus, 9, 0x00000000, " 0000 0000 <24 : CB membase 1"},
        {HeaderKind::CardBus, 14, 0x000000FF, " 0000 00FF <38 : CB IOlimit 1"},
        {HeaderKind::CardBus, 15, 0x05C001FF, " 05C0 01FF <3C : BrigeControl IntPin IntLine"},
        {HeaderKind::Device, 13, 0x00000000, " 0000 0000 <34 : reserved"},
        {HeaderKind::PciBridge, 13, 0x00000000, " 0000 0000 <34 : reserved"},
        {HeaderKind::Device, 16, 0xDEADBEEF, " DEAD BEEF <40 : < dev.specific"},
        {HeaderKind::PciBridge, 16, 0x00000001, " 0000 0001 <40 : < dev.specific"},
        {HeaderKind::CardBus, 16, 0x00000001, " 0000 0001 <40 : < dev.specific"},
        {HeaderKind::Device, 63, 0x00000001, " 0000 0001 <FC : < dev.specific"},
    };
    for (const DumpCase& c : cases) {
        EXPECT_EQ(RegisterDumpLine(c.kind, c.index, c.value), c.expected)
            << static_cast<int>(c.kind) << " register " << c.index;
    }
}

TEST(RegisterDumpLineTest, CommonRowsAreTheSameInEveryLayout) {
    const char* const labels[] = {"DID VID", "Stat Cmd", "BaseClass SubClass PgmIF RevID",
                                  "BIST Header LatTimer CacheLSize"};
    for (HeaderKind kind : {HeaderKind::Device, HeaderKind::PciBridge, HeaderKind::CardBus}) {
        for (int index = 0; index < 4; ++index) {
            const std::string line = RegisterDumpLine(kind, index, 0x0000000C);
            EXPECT_EQ(line.substr(17), labels[index]) << line;
        }
    }
}

}  // namespace
}  // namespace bexa
