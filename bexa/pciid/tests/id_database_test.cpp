#include "id_database.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "id_file.h"
#include "id_tables.h"
#include "temp_file.h"
#include "temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace bexa {
namespace {

std::string Hex(uint16_t id) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", id);
    return text;
}

// A built-in vendor row with an empty short name, and a device row with an empty chip name.
const VendorRow& VendorWithoutShortName() {
    for (const VendorRow& row : BuiltInVendorTable()) {
        if (row.vendorId != kEndRowVendorId && row.shortName[0] == '\0') return row;
    }
    ADD_FAILURE() << "no vendor row without short name";
    return VendorTable[0];
}
const DeviceRow& DeviceWithoutChipName() {
    for (const DeviceRow& row : BuiltInDeviceTable()) {
        if (row.vendorId != kEndRowVendorId && row.chipName[0] == '\0' && row.description[0]) {
            return row;
        }
    }
    ADD_FAILURE() << "no device row without chip name";
    return DeviceTable[0];
}
uint16_t VendorIdNotBuiltIn() {
    for (uint16_t id = 0xF000;; ++id) {
        if (FindBuiltInVendor(id) == nullptr) return id;
    }
}

class IdDatabaseTest : public ::testing::Test {
  protected:
    void TearDown() override { FreeIdFile(); }
};

TEST_F(IdDatabaseTest, WithoutFileTheBuiltInTablesAnswer) {
    FreeIdFile();
    EXPECT_STREQ(VendorName(0x8086), "Intel Corporation");
    EXPECT_STREQ(VendorShortName(0x8086), "Intel");
    const DeviceRow* gpu = FindBuiltInDevice(0x10DE, 0x1C82);
    ASSERT_NE(gpu, nullptr);
    EXPECT_STREQ(DeviceName(0x10DE, 0x1C82), gpu->chipName);
    EXPECT_STREQ(DeviceDescription(0x10DE, 0x1C82), gpu->description);
    EXPECT_STREQ(SubsystemVendorName(0x10DE, 0x1C82, 0x8086), "Intel");
    EXPECT_STREQ(SubsystemName(0x10DE, 0x1C82, 0x8086, 0x0001), "no-name");

    // An empty text of the matching row is the answer; it does not fall through.
    const VendorRow& noShort = VendorWithoutShortName();
    EXPECT_STREQ(VendorShortName(noShort.vendorId), "");
    EXPECT_STREQ(SubsystemVendorName(0x8086, 0x1237, noShort.vendorId), "");
    const DeviceRow& noChip = DeviceWithoutChipName();
    EXPECT_STREQ(DeviceName(noChip.vendorId, noChip.deviceId), "");
    EXPECT_STREQ(DeviceDescription(noChip.vendorId, noChip.deviceId), noChip.description);
}

TEST_F(IdDatabaseTest, FixedTextsWhenNothingMatches) {
    for (bool withFile : {false, true}) {
        TempFile file("V 8086 Intel from file\nD 1237 file device\n");
        if (withFile) LoadIdFile(file.path());
        const uint16_t unknown = VendorIdNotBuiltIn();
        for (uint16_t vendor : {uint16_t{0xFFFF}, unknown}) {
            EXPECT_STREQ(VendorShortName(vendor), "no VID");
            EXPECT_STREQ(VendorName(vendor), "no VID match");
            EXPECT_STREQ(DeviceName(vendor, 0x0001), "no device name found");
            EXPECT_STREQ(DeviceDescription(vendor, 0x0001), "no device description found");
            EXPECT_STREQ(SubsystemVendorName(0x8086, 0x1237, vendor), "no-name");
            EXPECT_STREQ(SubsystemName(0x8086, 0x1237, vendor, 0x0001), "no-name");
        }
        EXPECT_STREQ(DeviceName(0x8086, 0xFFFF), "no device name found");
    }
}

TEST_F(IdDatabaseTest, FileTakesPrecedenceExceptForTheShortVendorName) {
    const VendorRow& noShort = VendorWithoutShortName();
    const uint16_t fileOnly = VendorIdNotBuiltIn();
    const DeviceRow* gpu = FindBuiltInDevice(0x10DE, 0x1C82);
    ASSERT_NE(gpu, nullptr);
    TempFile file(
        "# header\n"
        "V 8086 Intel from file\n"
        "D 1237 File 440FX\n"
        "O 1028 Dell in file\n"
        "S 0001 Dell board\n"
        "D 7000 File PIIX3 after an O block\n"
        "V " +
        Hex(noShort.vendorId) +
        " Vendor without short name\n"
        "V " +
        Hex(fileOnly) +
        " Only in the file\n"
        "D 0001 Device of a file-only vendor\n"
        "V 10de NVIDIA first block\n"
        "D 0020 Riva TNT\n"
        "V 10de NVIDIA second block\n"
        "D 1c82 only in the second block\n");
    LoadIdFile(file.path());

    EXPECT_STREQ(VendorName(0x8086), "Intel from file");
    EXPECT_STREQ(VendorShortName(0x8086), "Intel");
    EXPECT_STREQ(VendorName(noShort.vendorId), "Vendor without short name");
    EXPECT_STREQ(VendorShortName(noShort.vendorId), "");
    EXPECT_STREQ(VendorName(fileOnly), "Only in the file");
    EXPECT_STREQ(VendorShortName(fileOnly), "Only in the file");

    // One text of the file serves as name and description.
    EXPECT_STREQ(DeviceName(0x8086, 0x1237), "File 440FX");
    EXPECT_STREQ(DeviceDescription(0x8086, 0x1237), "File 440FX");
    EXPECT_STREQ(DeviceName(0x8086, 0x7000), "File PIIX3 after an O block");
    EXPECT_STREQ(DeviceName(fileOnly, 0x0001), "Device of a file-only vendor");
    // A device only in a later block of its vendor is not found in the file.
    EXPECT_STREQ(DeviceName(0x10DE, 0x1C82), gpu->chipName);
    EXPECT_STREQ(DeviceDescription(0x10DE, 0x1C82), gpu->description);

    EXPECT_STREQ(SubsystemVendorName(0x8086, 0x1237, 0x1028), "Dell in file");
    EXPECT_STREQ(SubsystemName(0x8086, 0x1237, 0x1028, 0x0001), "Dell board");
    EXPECT_STREQ(SubsystemName(0x8086, 0x1237, 0x1028, 0x0002), "no-name");
    // Without a matching O entry: the built-in short name of the subsystem vendor.
    EXPECT_STREQ(SubsystemVendorName(0x8086, 0x7000, 0x1028), FindBuiltInVendor(0x1028)->shortName);
    EXPECT_STREQ(SubsystemVendorName(0x8086, 0x7000, 0x8086), "Intel");
    EXPECT_STREQ(SubsystemName(0x8086, 0x7000, 0x1028, 0x0001), "no-name");
}

TEST_F(IdDatabaseTest, VersionTextAndFreeing) {
    TempFile file("# first line\r\n\r\n# third line\r\nV 8086 Intel from file\r\n");
    LoadIdFile(file.path());
    EXPECT_STREQ(IdFileVersionText(), "Version of pcidevs.txt:\n# first line\n\n# third line\n");
    EXPECT_STREQ(VendorName(0x8086), "Intel from file");

    FreeIdFile();
    EXPECT_STREQ(VendorName(0x8086), "Intel Corporation");
    FreeIdFile();  // a second call does nothing
    EXPECT_STREQ(VendorName(0x8086), "Intel Corporation");

    TempFile twoLines("V 8086 second file\nD 1237 x");
    LoadIdFile(twoLines.path());
    EXPECT_STREQ(IdFileVersionText(), "Version of pcidevs.txt:\nV 8086 second file\nD 1237 x\n");
    EXPECT_STREQ(VendorName(0x8086), "second file");
    EXPECT_STREQ(DeviceName(0x8086, 0x1237), "x");
}

TEST_F(IdDatabaseTest, MissingFileLeavesTheBuiltInTablesAndSaysSo) {
    TempFile file("V 8086 Intel from file\n");
    LoadIdFile(file.path());
    LoadIdFile("tests/data/no-such-file.txt");  // replaces the list loaded before
    EXPECT_STREQ(IdFileVersionText(), "Version of pcidevs.txt:\n  no file pcidevs.txt found");
    EXPECT_STREQ(VendorName(0x8086), "Intel Corporation");
    EXPECT_STREQ(SubsystemName(0x8086, 0x1237, 0x8086, 0x0001), "no-name");
}

TEST_F(IdDatabaseTest, FoldersFifosDevicesAndHugeFilesAreLeftAsIfMissing) {
    const TempFile loaded("V 8086 Intel from file\n");
    const tvk::test::TempFolder temp;
    // Sparse files: the cap itself is read, one byte more is refused.
    const std::string atCap = temp.file("at-cap.txt");
    const std::string overCap = temp.file("over-cap.txt");
    ASSERT_TRUE(tvk::test::WriteFile(atCap, "V 8086 at the cap\n"));
    ASSERT_TRUE(tvk::test::WriteFile(overCap, "V 8086 over the cap\n"));
    std::filesystem::resize_file(atCap, kIdFileMaxBytes);
    std::filesystem::resize_file(overCap, kIdFileMaxBytes + 1);
    EXPECT_EQ(LoadIdFile(atCap.c_str()), InputFileStatus::Opened);
    EXPECT_STREQ(VendorName(0x8086), "at the cap");

    struct Case {
        std::string path;
        InputFileStatus status;
        const char* reason;
    } cases[] = {
        {overCap, InputFileStatus::TooLarge, "larger than 16 MiB"},
        {temp.file("missing.txt"), InputFileStatus::CannotOpen, nullptr},
#ifndef _WIN32
        {temp.path().string(), InputFileStatus::NotRegularFile, "is a folder"},
        {"/dev/zero", InputFileStatus::NotRegularFile, "not a regular file"},
        {"/dev/urandom", InputFileStatus::NotRegularFile, "not a regular file"},
        {temp.file("fifo"), InputFileStatus::NotRegularFile, "not a regular file"},
#endif
    };
#ifndef _WIN32
    ASSERT_EQ(mkfifo(temp.file("fifo").c_str(), 0600), 0);  // no writer: reading would wait
#endif
    for (const Case& c : cases) {
        LoadIdFile(loaded.path());
        std::string reason;
        EXPECT_EQ(LoadIdFile(c.path.c_str(), &reason), c.status) << c.path;
        if (c.reason != nullptr) {
            EXPECT_EQ(reason, c.reason) << c.path;
        }
        EXPECT_STREQ(IdFileVersionText(), "Version of pcidevs.txt:\n  no file pcidevs.txt found")
            << c.path;
        EXPECT_STREQ(VendorName(0x8086), "Intel Corporation") << c.path;
    }
}

TEST_F(IdDatabaseTest, DefaultPathIsPcidevsTxtInTheCurrentFolder) {
    // An empty current folder, whichever folder the tests were started in.
    const tvk::test::TempFolder empty;
    const std::filesystem::path startFolder = std::filesystem::current_path();
    std::filesystem::current_path(empty.path());
    LoadIdFile();
    EXPECT_STREQ(IdFileVersionText(), "Version of pcidevs.txt:\n  no file pcidevs.txt found");
    std::filesystem::current_path(startFolder);
}

}  // namespace
}  // namespace bexa
