#include "product_profile.h"

#include <cwchar>
#include <limits>
#include <string>

#include "ini_file.h"
#include "program_path.h"
#include "test_settings.h"

namespace kadra {
namespace {

// A number at the start of the text as "%lf" scans it; nothing when there is none.
bool ScanDouble(const KText& text, double& value) {
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    const double scanned = std::wcstod(begin, &end);
    if (end == begin) return false;
    value = scanned;
    return true;
}

// A number at the start of the text as "%d" scans it, wrapped to 32 bits.
bool ScanInt(const KText& text, int32_t& value) {
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    const long long scanned = std::wcstoll(begin, &end, 10);
    if (end == begin) return false;
    value = static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long long>(scanned)));
    return true;
}

// A key's value as a number; a value that holds none counts as the key's default.
double ReadDouble(const KText& section, const wchar_t* key, const wchar_t* defaultText,
                  const KText& iniPath) {
    double value = 0.0;
    if (!ScanDouble(ReadIniString(section, key, defaultText, iniPath), value))
        ScanDouble(defaultText, value);
    return value;
}

int32_t ReadInt(const KText& section, const wchar_t* key, const wchar_t* defaultText,
                const KText& iniPath) {
    int32_t value = 0;
    if (!ScanInt(ReadIniString(section, key, defaultText, iniPath), value))
        ScanInt(defaultText, value);
    return value;
}

uint32_t ReadBlockSize(const KText& section, const wchar_t* key, const wchar_t* defaultText,
                       const KText& iniPath) {
    return static_cast<uint32_t>(ReadInt(section, key, defaultText, iniPath)) * 1024u;
}

}  // namespace

double RingLimitMs(double ringSizeKB, double rate) {
    if (rate == 0.0) return std::numeric_limits<double>::infinity();
    return ringSizeKB / (rate * 1024.0) * 1000.0;
}

ProductProfile NoneProfile() {
    ProductProfile p;
    p.name = L"none";
    p.videoReadRate = p.videoWriteRate = p.audioReadRate = p.audioWriteRate = 1.0;
    p.videoReadStreams = p.videoWriteStreams = p.audioReadStreams = p.audioWriteStreams = 1;
    p.videoReadBlockSize = 16384;
    p.videoWriteBlockSize = 262144;
    p.audioReadBlockSize = 1048576;
    p.audioWriteBlockSize = 1048576;
    p.videoReadLimitMs = p.videoWriteLimitMs = p.audioReadLimitMs = p.audioWriteLimitMs = 200.0;
    return p;
}

void ReadProductProfiles(const KText& iniPath) {
    productTable = ProductTable{};
    int count = 0;
    for (int n = 0; n < kMaxProductProfiles; ++n) {
        const KText section = L"PRODUCT" + std::to_wstring(n);
        KText name = ReadIniString(section, L"NAME", L"", iniPath);
        if (name.empty()) continue;
        ProductProfile& p = productTable.profiles[count];
        p.name = std::move(name);
        p.videoReadRate = ReadDouble(section, L"VIDEO_READ_RATE", L"6.25", iniPath);
        p.videoWriteRate = ReadDouble(section, L"VIDEO_WRITE_RATE", L"6.25", iniPath);
        p.audioReadRate = ReadDouble(section, L"AUDIO_READ_RATE", L"0.09", iniPath);
        p.audioWriteRate = ReadDouble(section, L"AUDIO_WRITE_RATE", L"0.09", iniPath);
        p.videoReadStreams = ReadInt(section, L"VIDEO_READ_STREAMS", L"2", iniPath);
        p.videoWriteStreams = ReadInt(section, L"VIDEO_WRITE_STREAMS", L"1", iniPath);
        p.audioReadStreams = ReadInt(section, L"AUDIO_READ_STREAMS", L"8", iniPath);
        p.audioWriteStreams = ReadInt(section, L"AUDIO_WRITE_STREAMS", L"4", iniPath);
        p.videoReadBlockSize = ReadBlockSize(section, L"VIDEO_READ_BLOCKSIZE", L"512", iniPath);
        p.videoWriteBlockSize = ReadBlockSize(section, L"VIDEO_WRITE_BLOCKSIZE", L"512", iniPath);
        p.audioReadBlockSize = ReadBlockSize(section, L"AUDIO_READ_BLOCKSIZE", L"64", iniPath);
        p.audioWriteBlockSize = ReadBlockSize(section, L"AUDIO_WRITE_BLOCKSIZE", L"64", iniPath);
        p.videoReadLimitMs = RingLimitMs(ReadInt(section, L"VIDEO_READ_RINGSIZE", L"4096", iniPath),
                                         p.videoReadRate);
        p.videoWriteLimitMs = RingLimitMs(
            ReadInt(section, L"VIDEO_WRITE_RINGSIZE", L"4096", iniPath), p.videoWriteRate);
        p.audioReadLimitMs = RingLimitMs(ReadInt(section, L"AUDIO_READ_RINGSIZE", L"4096", iniPath),
                                         p.audioReadRate);
        p.audioWriteLimitMs = RingLimitMs(
            ReadInt(section, L"AUDIO_WRITE_RINGSIZE", L"4096", iniPath), p.audioWriteRate);
        ++count;
    }
    if (count == 0) {
        productTable.profiles[0] = NoneProfile();
        count = 1;
    }
    productTable.count = count;
}

void LoadProductProfiles(const KText& programFile) {
    testSettings.programFolder = FolderOfPath(programFile);
    testSettings.iniPath = testSettings.programFolder + L"KADRA.INI";
    ReadProductProfiles(testSettings.iniPath);
}

void LoadProductProfiles() {
    LoadProductProfiles(ProgramFilePath());
}

void SelectProduct(int index) {
    if (index < 0 || index >= productTable.count) index = 0;
    const ProductProfile& p = productTable.profiles[index];
    testSettings.selectedBlockSizes[kVideoReadBlock] = p.videoReadBlockSize;
    testSettings.selectedBlockSizes[kAudioReadBlock] = p.audioReadBlockSize;
    testSettings.selectedBlockSizes[kVideoWriteBlock] = p.videoWriteBlockSize;
    testSettings.selectedBlockSizes[kAudioWriteBlock] = p.audioWriteBlockSize;
}

const ProductProfile& SelectedProduct() {
    const int index = testSettings.productIndex;
    if (index < 0 || index >= productTable.count) return productTable.profiles[0];
    return productTable.profiles[index];
}

}  // namespace kadra
