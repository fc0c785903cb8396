#include "rtf_file_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "graph.h"
#include "kadra_test_support.h"
#include "report.h"

namespace kadra::testing {
namespace {

// A picture of the document, decoded from its \pngblip hex.
struct LogPicture {
    std::size_t at = 0;  // offset of "{\pict" in the document
    CairoSurface surface;
};

cairo_status_t ReadBytes(void* closure, unsigned char* data, unsigned int length) {
    auto* bytes = static_cast<std::pair<const std::string*, std::size_t>*>(closure);
    if (bytes->second + length > bytes->first->size()) return CAIRO_STATUS_READ_ERROR;
    std::copy_n(bytes->first->data() + bytes->second, length, data);
    bytes->second += length;
    return CAIRO_STATUS_SUCCESS;
}

std::vector<LogPicture> PicturesOf(const std::string& rtf) {
    std::vector<LogPicture> pictures;
    for (std::size_t at = rtf.find("{\\pict\\pngblip"); at != std::string::npos;
         at = rtf.find("{\\pict\\pngblip", at + 1)) {
        const std::size_t start = rtf.find('\n', at) + 1;
        const std::size_t end = rtf.find('}', start);
        std::string png;
        int high = -1;
        for (std::size_t i = start; i < end; ++i) {
            const char c = rtf[i];
            if (!std::isxdigit(static_cast<unsigned char>(c))) continue;
            const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'a' + 10;
            if (high < 0) {
                high = digit;
            } else {
                png += static_cast<char>(high * 16 + digit);
                high = -1;
            }
        }
        std::pair<const std::string*, std::size_t> bytes{&png, 0};
        pictures.push_back(
            {at, CairoSurface(cairo_image_surface_create_from_png_stream(ReadBytes, &bytes))});
    }
    return pictures;
}

// Pixels of the picture with exactly this colour (0x00RRGGBB as cairo keeps it).
int CountColour(cairo_surface_t* surface, uint32_t rgb) {
    const DibPicture picture = DibOfSurface(surface);
    int count = 0;
    for (std::size_t i = 0; i + 3 < picture.rows.size(); i += 4) {
        const uint32_t pixel =
            (uint32_t{picture.rows[i + 2]} << 16) | (picture.rows[i + 1] << 8) | picture.rows[i];
        if (pixel == rgb) ++count;
    }
    return count;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RtfFileLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetKadraState();
        testSettings.logPath = folder.path().wstring() + L"/";
        testSettings.graphEnabled = 1;
        testSettings.dynaMaxY = 1050;
        testSettings.queueLength = 0;
        Host host;
        host.graphCanvas = &canvas;
        host.testLog = &log;
        InstallHost(host);
    }
    void TearDown() override { ResetKadraState(); }

    // A run's log as RunTestSeries and the passes write it: the title, a curve per block size,
    // the summary.
    void WriteRun(std::vector<uint32_t> blockSizes) {
        OpenTestLog(L"RAID 0");
        for (uint32_t blockSize : blockSizes) {
            GraphReset(10, false);
            for (uint32_t i = 0; i < 10; ++i)
                GraphPlotPoint(i, 40.0 + i);
            BlockSummary(blockSize, 44.5, L"read linear synchronous");
        }
        ReplaceResults(L"Disk: RAID 0\r\n8 MB file from/to main memory\r\n");
        CloseTestLog();
        finished = log.Finish(false);
    }

    ScratchFolder folder;
    std::ostringstream messages;
    RasterGraphCanvas canvas{"", messages};
    RtfFileLog log{canvas, messages};
    bool finished = false;  // what Finish gave at the end of WriteRun
};

TEST_F(RtfFileLogTest, TitleThenAHeadingAndACurvePerBlockSizeThenTheSummary) {
    WriteRun({16384, 65536});
    EXPECT_TRUE(finished);
    EXPECT_EQ(messages.str(), "");
    EXPECT_EQ(runState.log, nullptr);
    const std::string rtf = ReadFile(folder.path() / "kadra RAID 0.rtf");
    ASSERT_FALSE(rtf.empty());
    const std::vector<LogPicture> pictures = PicturesOf(rtf);
    ASSERT_EQ(pictures.size(), 3u);

    const std::size_t title = rtf.find("\\fs50 RAID 0");
    const std::size_t first = rtf.find("16 kB block, read linear synchronous:");
    const std::size_t second = rtf.find("64 kB block, read linear synchronous:");
    const std::size_t summary = rtf.find("SUMMARY");
    ASSERT_NE(title, std::string::npos);
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    ASSERT_NE(summary, std::string::npos);
    EXPECT_LT(title, first);
    EXPECT_LT(first, pictures[0].at);
    EXPECT_LT(pictures[0].at, second);
    EXPECT_LT(second, pictures[1].at);
    EXPECT_LT(pictures[1].at, summary);
    EXPECT_LT(summary, pictures[2].at);
    EXPECT_EQ(rtf.find("STOPPED"), std::string::npos);

    for (int i = 0; i < 2; ++i) {
        cairo_surface_t* graph = pictures[static_cast<std::size_t>(i)].surface.get();
        ASSERT_EQ(cairo_surface_status(graph), CAIRO_STATUS_SUCCESS);
        EXPECT_EQ(cairo_image_surface_get_width(graph), 436);
        EXPECT_EQ(cairo_image_surface_get_height(graph), 416);
        EXPECT_GT(CountColour(graph, 0xFF0000), 400) << "the red curve";
        EXPECT_GE(CountColour(graph, 0x00FF00), 2 * 430) << "the green minimum and maximum";
        EXPECT_GT(CountColour(graph, 0xFFFFFF), 100) << "the white scale";
    }
    // The results text as the output box shows it: dark letters on white, sized to the text.
    cairo_surface_t* results = pictures[2].surface.get();
    ASSERT_EQ(cairo_surface_status(results), CAIRO_STATUS_SUCCESS);
    const int width = cairo_image_surface_get_width(results);
    const int height = cairo_image_surface_get_height(results);
    EXPECT_GT(width, 29 * 6);  // "8 MB file from/to main memory"
    EXPECT_LT(width, 29 * 9 + 20);
    EXPECT_GT(height, 2 * 10);
    EXPECT_LT(height, 2 * 20 + 20);
    EXPECT_GT(CountColour(results, 0xFFFFFF), width * height / 2);
    EXPECT_GT(CountColour(results, 0x000000), 50);
}

TEST_F(RtfFileLogTest, WithTheGraphOffOnlyTheTitleAndTheSummary) {
    testSettings.graphEnabled = 0;
    WriteRun({16384, 65536});
    const std::string rtf = ReadFile(folder.path() / "kadra RAID 0.rtf");
    EXPECT_EQ(PicturesOf(rtf).size(), 1u);
    EXPECT_EQ(rtf.find("kB block"), std::string::npos);
    EXPECT_NE(rtf.find("SUMMARY"), std::string::npos);
}

TEST_F(RtfFileLogTest, AStoppedRunKeepsItsCurvesAndIsMarkedAboveTheSummary) {
    OpenTestLog(L"RAID 0");
    GraphReset(10, false);
    GraphPlotPoint(0, 40.0);
    BlockSummary(16384, 40.0, L"write linear synchronous");
    runState.abortRequested = 1;  // the stop request, as the passes and RunTestSeries leave it
    CloseTestLog();
    EXPECT_TRUE(log.Finish(true));
    const std::string rtf = ReadFile(folder.path() / "kadra RAID 0.rtf");
    const std::vector<LogPicture> pictures = PicturesOf(rtf);
    ASSERT_EQ(pictures.size(), 2u);
    const std::size_t summary = rtf.find("SUMMARY");
    const std::size_t stopped = rtf.find("STOPPED");
    ASSERT_NE(stopped, std::string::npos);
    EXPECT_LT(pictures[0].at, summary);
    EXPECT_LT(summary, stopped);
    EXPECT_LT(stopped, pictures[1].at);
}

TEST_F(RtfFileLogTest, ALogFolderThatDoesNotExistIsToldAndTheRunGoesOnWithoutALog) {
    testSettings.logPath = (folder.path() / "missing").wstring() + L"/";
    WriteRun({16384});
    const std::string path = (folder.path() / "missing" / "kadra RAID 0.rtf").string();
    EXPECT_EQ(messages.str(), "Logfile Error: Could not create logfile:\n" + path +
                                  "\nPlease remove invalid characters (if any)\n"
                                  "kadra: " +
                                  path + ": No such file or directory\n");
    EXPECT_EQ(runState.log, nullptr);
    EXPECT_FALSE(finished) << "a log asked for and not created fails the run";
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

// The run's end only completes the document: it is placed by Finish, which says whether the run
// was stopped; a stop request after the run's end (the outcome already decided) marks nothing,
// and a run the program ends as not started leaves no document.
TEST_F(RtfFileLogTest, TheDocumentIsPlacedByFinishWithTheOutcomeItIsGiven) {
    const std::filesystem::path path = folder.path() / "kadra RAID 0.rtf";
    OpenTestLog(L"RAID 0");
    CloseTestLog();
    runState.abortRequested = 1;
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(log.Finish(false));
    const std::string rtf = ReadFile(path);
    EXPECT_NE(rtf.find("SUMMARY"), std::string::npos);
    EXPECT_EQ(rtf.find("STOPPED"), std::string::npos);
    EXPECT_EQ(PicturesOf(rtf).size(), 1u);
    EXPECT_TRUE(log.Finish(false)) << "nothing left to place";

    std::filesystem::remove(path);
    OpenTestLog(L"RAID 0");
    CloseTestLog();
    log.Discard();
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
    EXPECT_EQ(messages.str(), "");
}

TEST_F(RtfFileLogTest, ALogThatCannotBePlacedIsToldAndFailsTheRun) {
    const std::filesystem::path path = folder.path() / "kadra RAID 0.rtf";
    OpenTestLog(L"RAID 0");
    CloseTestLog();
    // Something takes the name during the run: a folder with a file in it is not replaced.
    std::filesystem::create_directory(path);
    folder.Write("kadra RAID 0.rtf/keep", "k");
    EXPECT_FALSE(log.Finish(false));
    EXPECT_EQ(messages.str(),
              "kadra: the log " + path.string() + " could not be written: Is a directory\n");
    EXPECT_EQ(folder.Read("kadra RAID 0.rtf/keep"), "k");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
}  // namespace kadra::testing
