// Product profiles: the streaming load one capture and playback product puts on a disk, read
// from the [PRODUCT0] to [PRODUCT39] sections of KADRA.INI.
#pragma once

#include <cstdint>

#include "ktext.h"

namespace kadra {

inline constexpr int kMaxProductProfiles = 40;

struct ProductProfile {
    KText name;                  // empty: the record is free
    double videoReadRate = 0.0;  // MB/s of one stream
    double videoWriteRate = 0.0;
    double audioReadRate = 0.0;
    double audioWriteRate = 0.0;
    int32_t videoReadStreams = 0;
    int32_t videoWriteStreams = 0;
    int32_t audioReadStreams = 0;
    int32_t audioWriteStreams = 0;
    uint32_t videoReadBlockSize = 0;  // bytes
    uint32_t videoWriteBlockSize = 0;
    uint32_t audioReadBlockSize = 0;
    uint32_t audioWriteBlockSize = 0;
    // How long the stream's ring buffer lasts at the stream's rate, in milliseconds; a single
    // transfer of the stream's block size that takes longer counts as a hang. A rate of 0 gives
    // an infinite limit.
    double videoReadLimitMs = 0.0;
    double videoWriteLimitMs = 0.0;
    double audioReadLimitMs = 0.0;
    double audioWriteLimitMs = 0.0;
};

struct ProductTable {
    ProductProfile profiles[kMaxProductProfiles];
    int count = 0;  // at least 1 after loading
};

inline ProductTable productTable;

// The profile used when the INI file holds none: "none", for which the report shows no usage.
ProductProfile NoneProfile();

// The time a ring of ringSizeKB kilobytes lasts at rate MB/s, in milliseconds.
double RingLimitMs(double ringSizeKB, double rate);

// Sets testSettings.programFolder and testSettings.iniPath from the running program's file and
// fills productTable from that INI file.
void LoadProductProfiles();

// The same with the program file given: programFolder is its folder, iniPath that folder's
// KADRA.INI.
void LoadProductProfiles(const KText& programFile);

// Fills productTable from the INI file at iniPath (sections PRODUCT0 to PRODUCT39, packed in
// section order, "none" when there is none). Does not touch testSettings.
void ReadProductProfiles(const KText& iniPath);

// Copies the block sizes of profile `index` into testSettings.selectedBlockSizes (video read,
// audio read, video write, audio write). The caller sets testSettings.productIndex. An index
// outside the loaded table selects profile 0.
void SelectProduct(int index);

// The profile at testSettings.productIndex (profile 0 when the index lies outside the table).
const ProductProfile& SelectedProduct();

}  // namespace kadra
