#include "id_tables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace bexa {
namespace {

// Texts are 8-bit Windows-1252 without control characters.
bool IsCleanText(const char* text) {
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p < 0x20 || *p == 0x7F) return false;
    }
    return true;
}

TEST(VendorTableTest, SortedWithinLimitsAndEndedByTheEndRow) {
    const auto table = BuiltInVendorTable();
    ASSERT_GT(table.size(), 1000u);
    EXPECT_EQ(table.back().vendorId, kEndRowVendorId);
    for (std::size_t i = 0; i + 1 < table.size(); ++i) {
        const VendorRow& row = table[i];
        EXPECT_NE(row.vendorId, kEndRowVendorId) << i;
        if (i > 0) {
            EXPECT_LT(table[i - 1].vendorId, row.vendorId) << std::hex << row.vendorId;
        }
        EXPECT_LE(std::strlen(row.shortName), 20u) << std::hex << row.vendorId;
        EXPECT_GE(std::strlen(row.fullName), 1u) << std::hex << row.vendorId;
        EXPECT_LE(std::strlen(row.fullName), 40u) << std::hex << row.vendorId;
        EXPECT_TRUE(IsCleanText(row.shortName) && IsCleanText(row.fullName)) << row.fullName;
    }
    EXPECT_STREQ(FindBuiltInVendor(0x8086)->fullName, "Intel Corporation");
    EXPECT_STREQ(FindBuiltInVendor(0x8086)->shortName, "Intel");
}

TEST(DeviceTableTest, SortedWithinLimitsAndEndedByTheEndRow) {
    const auto table = BuiltInDeviceTable();
    ASSERT_GT(table.size(), 10000u);
    EXPECT_EQ(table.back().vendorId, kEndRowVendorId);
    std::size_t emptyChip = 0, emptyDescription = 0;
    for (std::size_t i = 0; i + 1 < table.size(); ++i) {
        const DeviceRow& row = table[i];
        EXPECT_NE(row.vendorId, kEndRowVendorId) << i;
        if (i > 0) {
            const DeviceRow& before = table[i - 1];
            EXPECT_TRUE(before.vendorId < row.vendorId ||
                        (before.vendorId == row.vendorId && before.deviceId <= row.deviceId))
                << std::hex << row.vendorId << ":" << row.deviceId;
        }
        EXPECT_LE(std::strlen(row.chipName), 20u) << row.chipName;
        EXPECT_LE(std::strlen(row.description), 54u) << row.description;
        EXPECT_TRUE(IsCleanText(row.chipName) && IsCleanText(row.description)) << row.description;
        emptyChip += row.chipName[0] == '\0';
        emptyDescription += row.description[0] == '\0';
    }
    // The split of a device text leaves a field empty only where no rule fits.
    EXPECT_LT(emptyChip, table.size() / 2);
    EXPECT_LT(emptyDescription, table.size() / 4);
}

TEST(TableSearchTest, BisectionFindsTheRowOfTheLinearScanForEveryId) {
    const auto vendors = BuiltInVendorTable();
    for (uint32_t id = 0; id <= 0xFFFF; ++id) {
        const auto v = static_cast<uint16_t>(id);
        ASSERT_EQ(FindBuiltInVendor(v), FindVendorRowLinear(vendors, v)) << std::hex << id;
    }
    EXPECT_EQ(FindBuiltInVendor(0xFFFF), nullptr);

    const auto devices = BuiltInDeviceTable();
    std::size_t found = 0;
    for (const DeviceRow& row : devices) {
        for (int delta : {-1, 0, 1}) {
            const auto d = static_cast<uint16_t>(row.deviceId + delta);
            const DeviceRow* fast = FindBuiltInDevice(row.vendorId, d);
            ASSERT_EQ(fast, FindDeviceRowLinear(devices, row.vendorId, d))
                << std::hex << row.vendorId << ":" << d;
            found += fast != nullptr;
        }
    }
    EXPECT_GE(found, devices.size() - 1);  // every row but the end row finds itself
    std::mt19937 random(12345);
    for (int i = 0; i < 2000; ++i) {
        const auto v = static_cast<uint16_t>(random()), d = static_cast<uint16_t>(random());
        ASSERT_EQ(FindBuiltInDevice(v, d), FindDeviceRowLinear(devices, v, d));
    }
    EXPECT_EQ(FindBuiltInDevice(0xFFFF, 0x0000), nullptr);
}

TEST(TableSearchTest, DuplicateKeysGiveTheEarlierRowEvenWithAnEmptyText) {
    const DeviceRow rows[] = {
        {0x1000, 0x0001, "a", "first"},
        {0x1000, 0x0002, "", "dup 1"},
        {0x1000, 0x0002, "b", "dup 2"},
        {0x1000, 0x0002, "c", "dup 3"},
        {0x1001, 0x0000, "d", "x"},
        {0x1001, 0x0000, "e", "y"},
        {0x2000, 0x0005, "f", "z"},
        {0xFFFF, 0x0000, "", ""},
        {0x3000, 0x0001, "g", "behind the end row"},
    };
    const std::span<const DeviceRow> table(rows);
    for (uint16_t v : {0x1000, 0x1001, 0x2000, 0x3000, 0xFFFF}) {
        for (uint16_t d = 0; d < 8; ++d) {
            EXPECT_EQ(FindDeviceRowSorted(table.first(7), v, d), FindDeviceRowLinear(table, v, d))
                << std::hex << v << ":" << d;
        }
    }
    EXPECT_STREQ(FindDeviceRowLinear(table, 0x1000, 0x0002)->description, "dup 1");
    EXPECT_STREQ(FindDeviceRowLinear(table, 0x1000, 0x0002)->chipName, "");
    EXPECT_EQ(FindDeviceRowLinear(table, 0x3000, 0x0001), nullptr);

    const VendorRow vendorRows[] = {{0x0001, "", "one"}, {0x0005, "F", "five"}};
    EXPECT_STREQ(FindVendorRowSorted(vendorRows, 0x0001)->fullName, "one");
    EXPECT_EQ(FindVendorRowSorted(vendorRows, 0x0003), nullptr);
    EXPECT_EQ(FindVendorRowLinear(vendorRows, 0x0006), nullptr);  // no end row: all rows count
    EXPECT_STREQ(FindVendorRowLinear(vendorRows, 0x0005)->shortName, "F");
}

}  // namespace
}  // namespace bexa
