// The indexed searches of the ID file against the linear first-match walks: over every entry
// of the full public list, random ids, and random small lists full of duplicate ids.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "id_file.h"
#include "temp_file.h"

#ifndef BEXA_FULL_PCIDEVS
#define BEXA_FULL_PCIDEVS ""
#endif

namespace bexa {
namespace {

IdFileList ReadList(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return {};
    IdFileList list = IdFileList::Read(file);
    std::fclose(file);
    return list;
}

// Compares the search of one level (1 vendor, 2 device, 3 subsystem vendor, 4 subsystem) for
// a (vendor, device, subsystem vendor, subsystem) tuple. Each linear walk starts with a scan
// for the vendor, so the full list is checked one level per entry to keep the test quick.
void ExpectSameAnswer(const IdFileList& list, int level, uint16_t v, uint16_t d, uint16_t o,
                      uint16_t s) {
    switch (level) {
        case 1:
            ASSERT_EQ(list.FindVendor(v), list.FindVendorLinear(v)) << std::hex << v;
            break;
        case 2:
            ASSERT_EQ(list.FindDevice(v, d), list.FindDeviceLinear(v, d))
                << std::hex << v << ":" << d;
            break;
        case 3:
            ASSERT_EQ(list.FindSubsystemVendor(v, d, o), list.FindSubsystemVendorLinear(v, d, o))
                << std::hex << v << ":" << d << " " << o;
            break;
        default:
            ASSERT_EQ(list.FindSubsystem(v, d, o, s), list.FindSubsystemLinear(v, d, o, s))
                << std::hex << v << ":" << d << " " << o << ":" << s;
            break;
    }
}

void ExpectSameAnswers(const IdFileList& list, uint16_t v, uint16_t d, uint16_t o, uint16_t s) {
    for (int level = 1; level <= 4 && !::testing::Test::HasFatalFailure(); ++level) {
        ExpectSameAnswer(list, level, v, d, o, s);
    }
}

int Level(char kind) {
    switch (kind) {
        case 'V':
            return 1;
        case 'D':
            return 2;
        case 'O':
            return 3;
        default:
            return 4;
    }
}

TEST(IdIndexTest, FullPublicListEveryEntryAndRandomIds) {
    const IdFileList list = ReadList(BEXA_FULL_PCIDEVS);
    if (list.Entries().empty()) GTEST_SKIP() << "no converted pci.ids at '" BEXA_FULL_PCIDEVS "'";
    ASSERT_GT(list.Entries().size(), 30000u);

    // Walk the list keeping the ids of the open blocks, and ask for each entry as the lookups
    // would: the vendor, device, subsystem vendor and subsystem it names.
    uint16_t v = 0, d = 0, o = 0;
    std::size_t subsystemsFound = 0, subsystems = 0;
    for (const IdFileEntry& e : list.Entries()) {
        switch (e.kind) {
            case 'V':
                v = e.id;
                break;
            case 'D':
                d = e.id;
                break;
            case 'O':
                o = e.id;
                break;
            case 'S':
                ++subsystems;
                subsystemsFound += list.FindSubsystem(v, d, o, e.id) != nullptr;
                break;
        }
        ExpectSameAnswer(list, Level(e.kind), v, d, o, e.id);
        if (HasFatalFailure()) return;
    }
    // The converter groups a device's subsystems under one O line per subsystem vendor, so
    // every subsystem of the list can be found.
    EXPECT_EQ(subsystemsFound, subsystems);

    std::mt19937 random(4711);
    const auto& entries = list.Entries();
    for (int i = 0; i < 1000; ++i) {
        // Mix ids taken from the list (likely hits) with arbitrary ones.
        auto pick = [&] {
            return random() % 2 ? entries[random() % entries.size()].id
                                : static_cast<uint16_t>(random());
        };
        ExpectSameAnswers(list, pick(), pick(), pick(), pick());
        if (HasFatalFailure()) return;
    }
}

TEST(IdIndexTest, RandomListsWithDuplicateIdsAndBlocks) {
    // Few distinct ids and all four kinds in random order: duplicate vendor blocks, duplicate
    // devices in one block, entries before any vendor, S without O and so on.
    std::mt19937 random(99);
    for (int round = 0; round < 150; ++round) {
        std::string text;
        const int lines = 5 + static_cast<int>(random() % 120);
        for (int i = 0; i < lines; ++i) {
            text += "VDOS"[random() % 4];
            text += " " + std::to_string(random() % 4) + " n" + std::to_string(i) + "\n";
        }
        TempFile file(text);
        const IdFileList list = ReadList(file.path());
        ASSERT_EQ(list.Entries().size(), static_cast<std::size_t>(lines));
        for (uint16_t v = 0; v < 5; ++v) {
            for (uint16_t d = 0; d < 5; ++d) {
                for (uint16_t o = 0; o < 5; ++o) {
                    for (uint16_t s = 0; s < 5; ++s) {
                        ExpectSameAnswers(list, v, d, o, s);
                        if (HasFatalFailure()) return;
                    }
                }
            }
        }
    }
}

TEST(IdIndexTest, FullListFollowedByCopiesOfItsBlocks) {
    std::FILE* in = std::fopen(BEXA_FULL_PCIDEVS, "rb");
    if (in == nullptr) GTEST_SKIP() << "no converted pci.ids at '" BEXA_FULL_PCIDEVS "'";
    std::string text;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
        text.append(buffer, n);
    std::fclose(in);
    // A second copy of the whole list with other texts: every first match stays in the
    // first copy.
    std::string copy;
    for (char c : text)
        copy += c == '\n' ? std::string(" (copy)\n") : std::string(1, c);
    TempFile file(text + copy);
    const IdFileList list = ReadList(file.path());
    const std::size_t half = list.Entries().size() / 2;
    std::mt19937 random(7);
    uint16_t v = 0, d = 0, o = 0;
    for (std::size_t i = 0; i < half; ++i) {
        const IdFileEntry& e = list.Entries()[i];
        if (e.kind == 'V') v = e.id;
        if (e.kind == 'D') d = e.id;
        if (e.kind == 'O') o = e.id;
        if (random() % 8 != 0) continue;  // a sample keeps the linear walks affordable
        ExpectSameAnswer(list, Level(e.kind), v, d, o, e.id);
        if (HasFatalFailure()) return;
        const IdFileEntry* found = list.FindVendor(v);
        ASSERT_NE(found, nullptr);
        EXPECT_LT(static_cast<std::size_t>(found - list.Entries().data()), half);
    }
}

}  // namespace
}  // namespace bexa
