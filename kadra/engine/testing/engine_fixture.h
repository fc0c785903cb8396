// A test fixture for the passes: a fresh process state, the fake file system and clock, a
// recorded results text and a product with the default stream limits.
#pragma once

#include <gtest/gtest.h>

#include "fake_file_system.h"
#include "host.h"
#include "kadra_test_support.h"
#include "msrand.h"
#include "product_profile.h"
#include "recording_results_sink.h"
#include "request_queue.h"
#include "test_settings.h"

namespace kadra::testing {

// The block sizes of the default profile: video 512 KiB, audio 64 KiB; the video limits are
// 640 ms (4096 kB ring at 6.25 MB/s).
inline ProductProfile DefaultTestProfile() {
    ProductProfile p;
    p.name = L"Test product";
    p.videoReadRate = p.videoWriteRate = 6.25;
    p.audioReadRate = p.audioWriteRate = 0.09;
    p.videoReadStreams = 2;
    p.videoWriteStreams = 1;
    p.audioReadStreams = 8;
    p.audioWriteStreams = 4;
    p.videoReadBlockSize = p.videoWriteBlockSize = 524288;
    p.audioReadBlockSize = p.audioWriteBlockSize = 65536;
    p.videoReadLimitMs = p.videoWriteLimitMs = 4096 / (6.25 * 1024) * 1000;
    p.audioReadLimitMs = p.audioWriteLimitMs = 4096 / (0.09 * 1024) * 1000;
    return p;
}

class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetKadraState();
        host.files = &files;
        host.clock = &clock;
        host.resultsSink = &sink;
        host.calls.serviceMessageQueue = [this] { ++pumps; };
        host.calls.messageBox = [this](const KText& text, const KText& caption) {
            boxes.push_back(caption + L": " + text);
        };
        host.calls.setWaitCursor = [this](bool on) { cursor.push_back(on); };
        InstallHost(host);
        UseProfile(DefaultTestProfile());
        testSettings.tempFileName = L"KADRA.TMP";
        testSettings.iniPath = L"missing-KADRA.INI";
        MsSrand(1);
    }

    void TearDown() override {
        requestQueue.backend.reset();
        ResetKadraState();
    }

    void UseProfile(const ProductProfile& profile) {
        productTable = ProductTable{};
        productTable.profiles[0] = profile;
        productTable.count = 1;
        testSettings.productIndex = 0;
        SelectProduct(0);
    }

    // A file of `bytes` bytes in the fake file system.
    void MakeFile(const KText& path, uint64_t bytes) {
        files.files[path] = std::vector<uint8_t>(bytes, 0x5A);
    }

    // Transfers of the fake with the given length.
    size_t TransfersOf(uint32_t length, bool write) const {
        size_t n = 0;
        for (const FakeTransfer& t : files.transfers)
            n += t.length == length && t.write == write;
        return n;
    }

    FakeClock clock;
    FakeFileSystem files{clock};
    RecordingResultsSink sink;
    // The engine's host in these tests; a test that changes a member installs it again.
    Host host;
    int pumps = 0;
    std::vector<KText> boxes;
    std::vector<bool> cursor;
};

}  // namespace kadra::testing
