#include "product_profile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "ini_file.h"
#include "kadra_test_support.h"

namespace kadra {
namespace {

using testing::ScratchFolder;

class ProductProfileTest : public ::testing::Test {
  protected:
    void SetUp() override { testing::ResetKadraState(); }
    void TearDown() override { testing::ResetKadraState(); }

    ScratchFolder folder;
};

void ExpectNoneProfile(const ProductProfile& p) {
    EXPECT_EQ(p.name, L"none");
    EXPECT_EQ(p.videoReadRate, 1.0);
    EXPECT_EQ(p.videoWriteRate, 1.0);
    EXPECT_EQ(p.audioReadRate, 1.0);
    EXPECT_EQ(p.audioWriteRate, 1.0);
    EXPECT_EQ(p.videoReadStreams, 1);
    EXPECT_EQ(p.videoWriteStreams, 1);
    EXPECT_EQ(p.audioReadStreams, 1);
    EXPECT_EQ(p.audioWriteStreams, 1);
    EXPECT_EQ(p.videoReadBlockSize, 16384u);
    EXPECT_EQ(p.videoWriteBlockSize, 262144u);
    EXPECT_EQ(p.audioReadBlockSize, 1048576u);
    EXPECT_EQ(p.audioWriteBlockSize, 1048576u);
    EXPECT_EQ(p.videoReadLimitMs, 200.0);
    EXPECT_EQ(p.videoWriteLimitMs, 200.0);
    EXPECT_EQ(p.audioReadLimitMs, 200.0);
    EXPECT_EQ(p.audioWriteLimitMs, 200.0);
}

TEST_F(ProductProfileTest, WithoutProfilesTheTableHoldsNone) {
    // No file at all, and a file with settings but no profile sections.
    ReadProductProfiles(folder.File("absent.ini"));
    ASSERT_EQ(productTable.count, 1);
    ExpectNoneProfile(productTable.profiles[0]);

    folder.Write("KADRA.INI", "[INIT]\r\nPRODUCT=3\r\n[PRODUCT1]\r\nNAME=\r\n");
    ReadProductProfiles(folder.File("KADRA.INI"));
    ASSERT_EQ(productTable.count, 1);
    ExpectNoneProfile(productTable.profiles[0]);
}

TEST_F(ProductProfileTest, SectionsWithNamesArePackedInOrder) {
    folder.Write("KADRA.INI",
                 "[PRODUCT5]\nNAME=five\n"
                 "[product0]\nname=zero\n"
                 "[PRODUCT1]\nVIDEO_READ_RATE=9\n"  // no name: not a profile
                 "[Product2]\nName = two \n"
                 "[PRODUCT40]\nNAME=never read\n");
    ReadProductProfiles(folder.File("KADRA.INI"));
    ASSERT_EQ(productTable.count, 3);
    EXPECT_EQ(productTable.profiles[0].name, L"zero");
    EXPECT_EQ(productTable.profiles[1].name, L"two");
    EXPECT_EQ(productTable.profiles[2].name, L"five");
    EXPECT_TRUE(productTable.profiles[3].name.empty());
}

TEST_F(ProductProfileTest, MissingKeysTakeTheirDefaults) {
    folder.Write("KADRA.INI", "[PRODUCT0]\r\nNAME=defaults\r\n");
    ReadProductProfiles(folder.File("KADRA.INI"));
    ASSERT_EQ(productTable.count, 1);
    const ProductProfile& p = productTable.profiles[0];
    EXPECT_EQ(p.videoReadRate, 6.25);
    EXPECT_EQ(p.videoWriteRate, 6.25);
    EXPECT_EQ(p.audioReadRate, 0.09);
    EXPECT_EQ(p.audioWriteRate, 0.09);
    EXPECT_EQ(p.videoReadStreams, 2);
    EXPECT_EQ(p.videoWriteStreams, 1);
    EXPECT_EQ(p.audioReadStreams, 8);
    EXPECT_EQ(p.audioWriteStreams, 4);
    EXPECT_EQ(p.videoReadBlockSize, 524288u);
    EXPECT_EQ(p.videoWriteBlockSize, 524288u);
    EXPECT_EQ(p.audioReadBlockSize, 65536u);
    EXPECT_EQ(p.audioWriteBlockSize, 65536u);
    EXPECT_DOUBLE_EQ(p.videoReadLimitMs, 640.0);
    EXPECT_DOUBLE_EQ(p.videoWriteLimitMs, 640.0);
    EXPECT_NEAR(p.audioReadLimitMs, 44444.44, 0.01);
    EXPECT_NEAR(p.audioWriteLimitMs, 44444.44, 0.01);
}

TEST_F(ProductProfileTest, ValuesAreScannedAndLimitsComeFromRingsAtEachStreamsRate) {
    folder.Write("KADRA.INI",
                 "[PRODUCT0]\n"
                 "NAME=custom\n"
                 "VIDEO_READ_RATE=12.5\n"
                 "VIDEO_WRITE_RATE=25 MB/s\n"  // scanned up to the first non-number
                 "AUDIO_READ_RATE=fast\n"      // no number: the default
                 "AUDIO_WRITE_RATE=0\n"        // no rate: never too slow
                 "VIDEO_READ_STREAMS=3\n"
                 "AUDIO_WRITE_STREAMS=\n"  // empty: no number, the default
                 "VIDEO_READ_BLOCKSIZE=1024\n"
                 "AUDIO_READ_BLOCKSIZE=\"16\"\n"
                 "VIDEO_READ_RINGSIZE=8192\n"
                 "VIDEO_WRITE_RINGSIZE=2048\n"
                 "AUDIO_READ_RINGSIZE=90\n");
    ReadProductProfiles(folder.File("KADRA.INI"));
    const ProductProfile& p = productTable.profiles[0];
    EXPECT_EQ(p.videoReadRate, 12.5);
    EXPECT_EQ(p.videoWriteRate, 25.0);
    EXPECT_EQ(p.audioReadRate, 0.09);
    EXPECT_EQ(p.audioWriteRate, 0.0);
    EXPECT_EQ(p.videoReadStreams, 3);
    EXPECT_EQ(p.audioWriteStreams, 4);
    EXPECT_EQ(p.videoReadBlockSize, 1048576u);
    EXPECT_EQ(p.audioReadBlockSize, 16384u);
    EXPECT_DOUBLE_EQ(p.videoReadLimitMs, 8192 / (12.5 * 1024.0) * 1000.0);   // 640 ms
    EXPECT_DOUBLE_EQ(p.videoWriteLimitMs, 2048 / (25.0 * 1024.0) * 1000.0);  // 80 ms
    EXPECT_DOUBLE_EQ(p.audioReadLimitMs, 90 / (0.09 * 1024.0) * 1000.0);
    EXPECT_TRUE(std::isinf(p.audioWriteLimitMs));
}

TEST_F(ProductProfileTest, ProgramFolderAndIniPathComeFromTheProgramFile) {
    folder.Write("KADRA.INI", "[PRODUCT0]\r\nNAME=beside the program\r\n");
    const KText program = folder.File("kadra.exe");
    LoadProductProfiles(program);
    EXPECT_EQ(testSettings.programFolder, FolderOfPath(program));
    EXPECT_EQ(testSettings.programFolder.back(), kPathSeparator);
    EXPECT_EQ(testSettings.iniPath, testSettings.programFolder + L"KADRA.INI");
    ASSERT_EQ(productTable.count, 1);
    EXPECT_EQ(productTable.profiles[0].name, L"beside the program");
}

TEST_F(ProductProfileTest, RunningProgramHasAFolder) {
    LoadProductProfiles();
    ASSERT_FALSE(testSettings.programFolder.empty());
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(testSettings.programFolder)));
    EXPECT_GE(productTable.count, 1);
}

TEST_F(ProductProfileTest, SelectProductCopiesBlockSizesInReportOrder) {
    folder.Write("KADRA.INI",
                 "[PRODUCT0]\nNAME=a\n"
                 "[PRODUCT1]\nNAME=b\nVIDEO_READ_BLOCKSIZE=16\nAUDIO_READ_BLOCKSIZE=32\n"
                 "VIDEO_WRITE_BLOCKSIZE=256\nAUDIO_WRITE_BLOCKSIZE=1024\n");
    ReadProductProfiles(folder.File("KADRA.INI"));
    SelectProduct(1);
    EXPECT_EQ(testSettings.selectedBlockSizes[kVideoReadBlock], 16384u);
    EXPECT_EQ(testSettings.selectedBlockSizes[kAudioReadBlock], 32768u);
    EXPECT_EQ(testSettings.selectedBlockSizes[kVideoWriteBlock], 262144u);
    EXPECT_EQ(testSettings.selectedBlockSizes[kAudioWriteBlock], 1048576u);
    // An index beyond the table selects the first profile rather than a free record.
    SelectProduct(7);
    EXPECT_EQ(testSettings.selectedBlockSizes[kVideoReadBlock], 524288u);
    EXPECT_EQ(testSettings.selectedBlockSizes[kAudioWriteBlock], 65536u);
}

// The sample file shipped beside the program.
KText SampleIniPath() {
    std::filesystem::path source(__FILE__);
    const std::filesystem::path ini =
        source.parent_path().parent_path().parent_path() / "KADRA.INI";
    KText path = ini.wstring();
#ifdef _WIN32
    if (!path.empty() && (path[0] == L'/' || path[0] == L'\\')) path = L"Z:" + path;
#endif
    return path;
}

TEST_F(ProductProfileTest, SampleFileHoldsStreamingProfilesWithinTheSeries) {
    const KText ini = SampleIniPath();
    ReadProductProfiles(ini);
    ASSERT_EQ(productTable.count, 5) << ToUtf8(ini);
    EXPECT_EQ(productTable.profiles[0].name, L"SD 625/25 uncompressed 8 bit 4:2:2");
    EXPECT_EQ(productTable.profiles[3].videoReadRate, 131.84);
    for (int i = 0; i < productTable.count; ++i) {
        const ProductProfile& p = productTable.profiles[i];
        SCOPED_TRACE(ToUtf8(p.name));
        for (uint32_t size : {p.videoReadBlockSize, p.videoWriteBlockSize, p.audioReadBlockSize,
                              p.audioWriteBlockSize}) {
            EXPECT_GE(size, 16384u);
            EXPECT_LE(size, 2097152u);
            EXPECT_EQ(size & (size - 1), 0u);  // a power of two: a size of the series
        }
        EXPECT_GT(p.videoReadLimitMs, 250.0);
        EXPECT_LT(p.videoReadLimitMs, 500.0);
    }
    EXPECT_EQ(ReadIniString(L"INIT", L"TempFile", L"", ini), L"KADRA.TMP");
    EXPECT_EQ(ReadIniInt(L"INIT", L"DynaMaxY", 0, ini), 1050);
    EXPECT_EQ(ReadIniString(L"INIT", L"Description", L"", ini), L"unknown");
}

}  // namespace
}  // namespace kadra
