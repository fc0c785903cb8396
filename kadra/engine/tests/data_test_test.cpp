#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "data_test.h"
#include "engine_fixture.h"
#include "run_state.h"
#include "test_file.h"
#include "transfer_buffer.h"

namespace kadra::testing {
namespace {

const KText kVerify1 = L"C:\\verify1.TMP";
const KText kVerify2 = L"C:\\verify2.TMP";
constexpr uint64_t kSize = 4194304;  // 64 chunks

class DataTestTest : public EngineTest {};

TEST_F(DataTestTest, PatternFillAndCheckCountDifferingBytes) {
    std::vector<uint8_t> buffer(1024);
    dataErrorCount = 7;
    FillPattern(buffer.data(), buffer.size());
    EXPECT_EQ(dataErrorCount, 0u);
    EXPECT_EQ(buffer[255], 255);
    EXPECT_EQ(buffer[256], 0);
    EXPECT_EQ(buffer[700], 700 % 256);
    CheckPattern(buffer.data(), buffer.size());
    EXPECT_EQ(dataErrorCount, 0u);
    buffer[3] ^= 1;
    buffer[600] = 0;
    buffer[601] = 0;
    CheckPattern(buffer.data(), buffer.size());
    EXPECT_EQ(dataErrorCount, 3u);
}

TEST_F(DataTestTest, AHealthyDiskWritesCopiesComparesAndCleansUp) {
    EXPECT_TRUE(DataReliabilityTest(2, kSize));
    EXPECT_EQ(ResultsText(), L"\r\nNo data errors found.");
    EXPECT_EQ(sink.shown.front().text, L"Testing for data reliability ...");
    // 64 chunks written, 64 read and 64 written in the copy, 2 x 64 read in the compare.
    EXPECT_EQ(files.transfers.size(), 64u * 5);
    for (const FakeTransfer& t : files.transfers)
        EXPECT_EQ(t.length, kDataChunkSize);
    ASSERT_EQ(files.opens.size(), 5u);
    for (const FakeOpen& open : files.opens) {
        EXPECT_TRUE(open.mode.unbuffered);
        EXPECT_FALSE(open.mode.shareRead || open.mode.shareWrite || open.mode.sequential ||
                     open.mode.overlapped);
    }
    EXPECT_EQ(files.opens[0].path, kVerify1);
    EXPECT_EQ(files.opens[2].path, kVerify2);
    EXPECT_TRUE(files.files.empty()) << "both files deleted";
    EXPECT_EQ(files.deleted, (std::vector<KText>{kVerify1, kVerify2}));
    EXPECT_EQ(runState.busy, 0);
    EXPECT_EQ(cursor, (std::vector<bool>{true, false}));
}

TEST_F(DataTestTest, CountsBytesAndChunksThatDiffer) {
    struct Case {
        const wchar_t* path;
        uint32_t count;
    };
    // A byte flipped in verify2 during the copy: once as a byte, once as a differing chunk.
    // A byte flipped in verify1 while writing: in the copy, and in both files when comparing.
    for (const Case& c : {Case{L"C:\\verify2.TMP", 2}, Case{L"C:\\verify1.TMP", 3}}) {
        files.transfers.clear();
        files.afterTransfer = [&](const FakeTransfer& t) {
            if (t.write && t.path == c.path && t.offset == 65536 * 9) {
                files.files[t.path][t.offset + 100] ^= 0x10;
            }
        };
        EXPECT_FALSE(DataReliabilityTest(2, kSize));
        EXPECT_EQ(dataErrorCount, c.count) << c.path;
        EXPECT_EQ(ResultsText(), L"\r\nWARNING! " + std::to_wstring(c.count) +
                                     L" data errors detected!\r\n\r\nPlease check cables and bus "
                                     L"termination!");
    }
}

TEST_F(DataTestTest, AFileThatCannotBeOpenedIsTold) {
    files.openErrors[kVerify1] = 5;
    EXPECT_FALSE(DataReliabilityTest(2, kSize));
    EXPECT_EQ(ResultsText(),
              L"Testing for data reliability ...C:\\verify1.TMPverify: file open error\r\n");
    EXPECT_TRUE(files.deleted.empty()) << "the run created nothing";
}

TEST_F(DataTestTest, WhenTheCopyCannotBeCreatedTheFirstFileIsDeleted) {
    files.openErrors[kVerify2] = 5;
    EXPECT_FALSE(DataReliabilityTest(2, kSize));
    EXPECT_EQ(ResultsText(),
              L"Testing for data reliability ...C:\\verify2.TMPverify: file open error\r\n");
    EXPECT_TRUE(files.files.empty());
    EXPECT_EQ(files.deleted, (std::vector<KText>{kVerify1}));
}

// Files of those names that the run did not create are someone else's: never deleted.
TEST_F(DataTestTest, OnlyTheFilesTheRunCreatedAreDeleted) {
    struct Case {
        KText failing;
        int error;
        std::vector<KText> deleted;
    };
    const Case cases[] = {
        {kVerify1, kNotRegularFileError, {}},
        {kVerify1, 5, {}},
        {kVerify2, kNotRegularFileError, {kVerify1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.failing) + " error " + std::to_string(c.error));
        files.files.clear();
        files.deleted.clear();
        files.openErrors = {{c.failing, c.error}};
        // A file of the other name that was there before the run.
        const KText& other = c.failing == kVerify1 ? kVerify2 : kVerify1;
        if (c.failing == kVerify1) MakeFile(other, 100);
        EXPECT_FALSE(DataReliabilityTest(2, kSize));
        EXPECT_EQ(files.deleted, c.deleted);
        if (c.failing == kVerify1) {
            ASSERT_EQ(files.files.count(other), 1u) << "left alone";
            EXPECT_EQ(files.files[other], std::vector<uint8_t>(100, 0x5A));
        }
    }
}

// The run stays busy, with the wait cursor on, until its files are deleted, however it ended:
// a stop request meanwhile is taken as one and cannot end the program with a file left.
TEST_F(DataTestTest, TheRunIsBusyUntilItsFilesAreDeleted) {
    struct Case {
        const char* name;
        std::function<void(FakeTransfer&)> script;
        std::map<KText, int> openErrors;
        size_t deletes;
    };
    const Case cases[] = {
        {"completed", nullptr, {}, 2},
        {"stopped",
         [](FakeTransfer& t) {
             if (!t.write && t.path == kVerify1 && t.offset == 65536 * 10) {
                 runState.abortRequested = 1;
             }
         },
         {},
         2},
        {"failed transfer",
         [](FakeTransfer& t) {
             if (t.write && t.path == kVerify2 && t.offset == 65536 * 4) t.error = 28;
         },
         {},
         2},
        {"copy not createable", nullptr, {{kVerify2, 5}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        files.deleted.clear();
        cursor.clear();
        files.onTransfer = c.script;
        files.openErrors = c.openErrors;
        std::vector<int> busyAtDelete;
        std::vector<size_t> cursorChangesAtDelete;
        files.onDelete = [&](const KText&) {
            busyAtDelete.push_back(runState.busy);
            cursorChangesAtDelete.push_back(cursor.size());
        };
        DataReliabilityTest(2, kSize);
        EXPECT_EQ(busyAtDelete, std::vector<int>(c.deletes, 1));
        EXPECT_EQ(cursorChangesAtDelete, std::vector<size_t>(c.deletes, 1u)) << "wait cursor on";
        EXPECT_EQ(runState.busy, 0);
        EXPECT_EQ(cursor, (std::vector<bool>{true, false}));
        EXPECT_TRUE(files.files.empty());
    }
}

TEST_F(DataTestTest, AFailedOrShortTransferIsToldWithoutBlamingTheCabling) {
    struct Case {
        std::function<void(FakeTransfer&)> script;
        const wchar_t* line;
    };
    const Case cases[] = {
        {[](FakeTransfer& t) {
             if (t.write && t.path == kVerify1 && t.offset == 65536 * 20) t.error = 28;
         },
         L"C:\\verify1.TMP write failed in the write phase: error 28"},
        {[](FakeTransfer& t) {
             if (!t.write && t.path == kVerify2 && t.offset == 65536 * 3) t.bytes = 4096;
         },
         L"C:\\verify2.TMP read failed in the compare phase: 4096 of 65536 bytes transferred"},
        {[](FakeTransfer& t) {
             if (!t.write && t.path == kVerify1 && t.offset == 0) t.error = 5;
         },
         L"C:\\verify1.TMP read failed in the copy phase: error 5"},
    };
    for (const Case& c : cases) {
        files.onTransfer = c.script;
        EXPECT_FALSE(DataReliabilityTest(2, kSize));
        EXPECT_EQ(dataErrorCount, 0u) << c.line;
        EXPECT_EQ(ResultsText(), L"\r\n" + KText(c.line));
        EXPECT_TRUE(files.files.empty());
    }
}

TEST_F(DataTestTest, AStopRequestEndsAtTheNextChunkAndDeletesBothFiles) {
    // Only the native program asks for a stop; a stale request of an earlier run is dropped.
    runState.abortRequested = 1;
    files.onTransfer = [](FakeTransfer& t) {
        if (!t.write && t.path == kVerify1 && t.offset == 65536 * 10) runState.abortRequested = 1;
    };
    EXPECT_FALSE(DataReliabilityTest(2, kSize));
    // 64 written, then 11 chunks copied (read and written): the stop is seen before the 12th.
    EXPECT_EQ(files.transfers.size(), 64u + 11 * 2);
    EXPECT_EQ(ResultsText(), L"Testing for data reliability ...");
    EXPECT_TRUE(files.files.empty());
    EXPECT_EQ(files.deleted, (std::vector<KText>{kVerify1, kVerify2}));
    EXPECT_EQ(runState.busy, 0);
}

TEST_F(DataTestTest, ANameThatIsNotARegularFileIsRefusedByName) {
    files.openErrors[kVerify2] = kNotRegularFileError;
    EXPECT_FALSE(DataReliabilityTest(2, kSize));
    EXPECT_EQ(ResultsText(), L"Testing for data reliability ...\r\n" + kVerify2 +
                                 L" exists and is not a regular file: not touched\r\n");
}

}  // namespace
}  // namespace kadra::testing
