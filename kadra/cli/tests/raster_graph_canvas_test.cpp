#include "raster_graph_canvas.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "kadra_test_support.h"
#include "output_file.h"
#include "rtf_writer.h"

namespace kadra::testing {
namespace {

struct Rgb {
    uint8_t red, green, blue;
    bool operator==(const Rgb&) const = default;
};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

// A pixel as the DIB rows hold it: blue, green, red, unused.
Rgb PixelAt(const DibPicture& picture, int x, int y) {
    const std::size_t at = static_cast<std::size_t>(y) * pelmou::DibStride(picture.width, 32) +
                           static_cast<std::size_t>(x) * 4;
    return {picture.rows[at + 2], picture.rows[at + 1], picture.rows[at]};
}

// The pixels of the colour, as (x, y) pairs.
std::vector<std::pair<int, int>> PixelsOf(const DibPicture& picture, Rgb colour) {
    std::vector<std::pair<int, int>> found;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (PixelAt(picture, x, y) == colour) found.emplace_back(x, y);
    return found;
}

class RasterGraphCanvasTest : public ::testing::Test {
  protected:
    std::ostringstream warnings;
    RasterGraphCanvas canvas{"", warnings};
};

TEST_F(RasterGraphCanvasTest, BeginFillsTheWholeAreaBlack) {
    canvas.Begin();
    canvas.SetColour(kGraphRed);
    canvas.MoveTo(0, 5);
    canvas.LineTo(400, 5);
    // A new curve starts on black again.
    const GraphSize size = canvas.Begin();
    EXPECT_EQ(size.width, 436u);
    EXPECT_EQ(size.height, 416u);
    const DibPicture picture = canvas.Picture();
    ASSERT_EQ(picture.width, 436);
    ASSERT_EQ(picture.height, 416);
    ASSERT_EQ(picture.rows.size(), 436u * 4 * 416);
    EXPECT_EQ(PixelsOf(picture, kBlack).size(), 436u * 416u);
}

TEST_F(RasterGraphCanvasTest, LinesAreOnePixelWideAndLeaveTheirEndPixel) {
    canvas.Begin();
    canvas.SetColour(kGraphRed);
    canvas.MoveTo(10, 100);
    canvas.LineTo(60, 100);  // across
    canvas.MoveTo(200, 10);
    canvas.LineTo(200, 50);  // down
    canvas.LineTo(240, 90);  // on from the current position, 45 degrees
    const DibPicture picture = canvas.Picture();
    std::vector<std::pair<int, int>> expected;
    for (int x = 10; x < 60; ++x)
        expected.emplace_back(x, 100);
    for (int y = 10; y < 50; ++y)
        expected.emplace_back(200, y);
    for (int i = 0; i < 40; ++i)
        expected.emplace_back(200 + i, 50 + i);
    std::sort(expected.begin(), expected.end(),
              [](auto a, auto b) { return a.second != b.second ? a.second < b.second : a < b; });
    EXPECT_EQ(PixelsOf(picture, kRed), expected);
    // Nothing but red and black: no blended pixels at the lines' edges.
    EXPECT_EQ(PixelsOf(picture, kRed).size() + PixelsOf(picture, kBlack).size(), 436u * 416u);
}

TEST_F(RasterGraphCanvasTest, ASlopedLineHasOnePixelInEveryColumn) {
    canvas.Begin();
    canvas.SetColour(kGraphRed);
    canvas.MoveTo(10, 300);
    canvas.LineTo(110, 337);
    const DibPicture picture = canvas.Picture();
    std::vector<int> perColumn(436, 0);
    int lastRow = 300;
    for (auto [x, y] : PixelsOf(picture, kRed)) {
        ++perColumn[static_cast<std::size_t>(x)];
        EXPECT_NEAR(y, 300 + (x - 10) * 37.0 / 100.0, 0.5) << x;
        if (x == 109) lastRow = y;
    }
    for (int x = 0; x < 436; ++x)
        EXPECT_EQ(perColumn[static_cast<std::size_t>(x)], x >= 10 && x < 110 ? 1 : 0) << x;
    EXPECT_EQ(lastRow, 337) << "the last pixel before the end";
}

TEST_F(RasterGraphCanvasTest, DibRowsHoldBlueGreenRed) {
    canvas.Begin();
    canvas.SetColour(GraphRgb(0x12, 0x34, 0x56));  // 0x00563412
    canvas.MoveTo(3, 2);
    canvas.LineTo(5, 2);
    const DibPicture picture = canvas.Picture();
    const std::size_t at = 2 * pelmou::DibStride(436, 32) + 3 * 4;
    EXPECT_EQ(picture.rows[at], 0x56);  // blue
    EXPECT_EQ(picture.rows[at + 1], 0x34);
    EXPECT_EQ(picture.rows[at + 2], 0x12);  // red
    EXPECT_EQ(picture.rows[at + 3], 0x00);
    EXPECT_EQ(picture.rows[at + 8], 0x00);  // the end pixel stays black
}

TEST_F(RasterGraphCanvasTest, TextIsDrawnInThePenColourInsideItsBoxOnly) {
    canvas.Begin();
    canvas.SetColour(kGraphWhite);
    // A scale label as the graph places it: from the tick's end to the right edge, 20 high.
    canvas.DrawText(L"100", 18, 92, 436, 112);
    DibPicture picture = canvas.Picture();
    const auto label = PixelsOf(picture, kWhite);
    EXPECT_GT(label.size(), 20u);
    int rightmost = 0;
    for (auto [x, y] : label) {
        EXPECT_TRUE(x >= 18 && x < 436 && y >= 92 && y < 112) << x << "," << y;
        rightmost = std::max(rightmost, x);
    }
    EXPECT_LT(rightmost, 18 + 3 * 12) << "three digits of a small font";
    EXPECT_EQ(label.size() + PixelsOf(picture, kBlack).size(), 436u * 416u) << "not antialiased";

    // A box smaller than the text cuts it.
    canvas.Begin();
    canvas.SetColour(kGraphWhite);
    canvas.DrawText(L"8888", 100, 200, 110, 206);
    picture = canvas.Picture();
    const auto cut = PixelsOf(picture, kWhite);
    EXPECT_FALSE(cut.empty());
    for (auto [x, y] : cut)
        EXPECT_TRUE(x >= 100 && x < 110 && y >= 200 && y < 206) << x << "," << y;
}

TEST_F(RasterGraphCanvasTest, PointsOutsideTheAreaAreClipped) {
    canvas.Begin();
    canvas.SetColour(kGraphRed);
    // A value far above the full scale maps far above the area: the line runs to the top edge.
    canvas.MoveTo(100, 200);
    canvas.LineTo(100, -2000000000);
    // A minimum line drawn to the point after the last one: it ends at the right edge.
    canvas.MoveTo(0, 300);
    canvas.LineTo(2147483647, 300);
    // Wholly outside: nothing.
    canvas.MoveTo(-10, -10);
    canvas.LineTo(-5000, 900000);
    canvas.DrawText(L"8", -5000, -5000, 436, -4980);
    const DibPicture picture = canvas.Picture();
    const auto red = PixelsOf(picture, kRed);
    EXPECT_EQ(red.size(), 201u + 436u);
    EXPECT_EQ(PixelAt(picture, 100, 0), kRed);
    EXPECT_EQ(PixelAt(picture, 100, 200), kRed);
    EXPECT_EQ(PixelAt(picture, 0, 300), kRed);
    EXPECT_EQ(PixelAt(picture, 435, 300), kRed);
}

TEST_F(RasterGraphCanvasTest, NothingIsDrawnOutsideBeginAndEnd) {
    canvas.Begin();
    canvas.SetColour(kGraphRed);
    canvas.MoveTo(0, 10);
    canvas.LineTo(50, 10);
    canvas.End();
    canvas.LineTo(50, 100);
    canvas.DrawText(L"100", 18, 92, 436, 112);
    EXPECT_EQ(PixelsOf(canvas.Picture(), kRed).size(), 50u) << "the kept picture is the curve";
}

TEST_F(RasterGraphCanvasTest, ShowCurveTextKeepsTheLineOutOfThePicture) {
    canvas.Begin();
    canvas.ShowCurveText(L"16 kB: 20.0 MB/s");
    EXPECT_EQ(canvas.curveText(), L"16 kB: 20.0 MB/s");
    EXPECT_EQ(PixelsOf(canvas.Picture(), kBlack).size(), 436u * 416u);
}

TEST(RasterGraphCanvasFilesTest, EveryCompleteCurveIsWrittenAsPng) {
    ScratchFolder folder;
    std::ostringstream warnings;
    const std::string prefix = (folder.path() / "run-").string();
    RasterGraphCanvas canvas(prefix, warnings);
    for (uint32_t blockSize : {16384u, 2097152u}) {
        canvas.StartCurve(L"read linear synchronous", blockSize);
        canvas.Begin();
        canvas.SetColour(kGraphRed);
        canvas.MoveTo(0, 400);
        canvas.LineTo(blockSize / 8192, 400);
        canvas.End();
        canvas.HoldCurve(2000);
    }
    canvas.HoldCurve(2000);  // no curve started since: no file
    EXPECT_EQ(warnings.str(), "");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"run-read linear synchronous 16 kB.png",
                                               "run-read linear synchronous 2048 kB.png"}));

    // The file holds the picture as it was when its curve was complete.
    CairoSurface png(cairo_image_surface_create_from_png(
        (folder.path() / "run-read linear synchronous 16 kB.png").c_str()));
    ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
    const DibPicture picture = DibOfSurface(png.get());
    ASSERT_EQ(picture.width, 436);
    ASSERT_EQ(picture.height, 416);
    EXPECT_EQ(PixelsOf(picture, kRed).size(), 2u);
    EXPECT_EQ(PixelAt(picture, 1, 400), kRed);
}

TEST(RasterGraphCanvasFilesTest, AFileThatCannotBeWrittenIsToldOnceAndTheRunGoesOn) {
    ScratchFolder folder;
    std::ostringstream warnings;
    const std::string prefix = (folder.path() / "missing" / "c-").string();
    RasterGraphCanvas canvas(prefix, warnings);
    canvas.StartCurve(L"write linear synchronous", 65536);
    canvas.Begin();
    canvas.End();
    canvas.HoldCurve(2000);
    EXPECT_EQ(warnings.str(),
              "kadra: warning: curve not written to " + prefix +
                  "write linear synchronous 64 kB.png: No such file or directory\n");
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
    // The canvas draws on.
    canvas.Begin();
    canvas.SetColour(kGraphRed);
    canvas.MoveTo(0, 0);
    canvas.LineTo(3, 0);
    EXPECT_EQ(PixelsOf(canvas.Picture(), kRed).size(), 3u);
}

// A curve's file name taken by a link, a FIFO or a file of the run: nothing is written through
// the link (its target keeps its content), the FIFO is refused at once rather than waited on,
// the run's file is refused; each refusal is one warning.
TEST(RasterGraphCanvasFilesTest, LinksFifosAndTheRunsFilesAtACurveNameAreNotWrittenInto) {
    ScratchFolder folder;
    folder.Write("victim", "precious");
    folder.Write("tested", "under test");
    const std::string prefix = (folder.path() / "c-").string();
    const auto curve = [&](uint32_t kB) {
        return RasterGraphCanvas::CurveFileName(prefix, L"write linear synchronous", kB * 1024);
    };
    std::filesystem::create_symlink(folder.path() / "victim", curve(16));
    std::filesystem::create_hard_link(folder.path() / "victim", curve(32));
    ASSERT_EQ(mkfifo(curve(64).c_str(), 0600), 0);
    std::filesystem::create_hard_link(folder.path() / "tested", curve(128));
    outfile::ProtectInput(folder.path() / "tested");
    // A reader on the FIFO, so that a writer would not wait for one but put the picture in it.
    const int reader = open(curve(64).c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::ostringstream warnings;
    RasterGraphCanvas canvas(prefix, warnings);
    for (uint32_t kB : {16u, 32u, 64u, 128u}) {
        canvas.StartCurve(L"write linear synchronous", kB * 1024);
        canvas.Begin();
        canvas.End();
        canvas.HoldCurve(2000);
    }
    outfile::ClearProtectedInputs();
    EXPECT_EQ(folder.Read("victim"), "precious");
    EXPECT_EQ(folder.Read("tested"), "under test");
    // The links themselves are replaced by the pictures.
    for (uint32_t kB : {16u, 32u}) {
        EXPECT_FALSE(std::filesystem::is_symlink(curve(kB))) << kB;
        EXPECT_EQ(folder.Read(std::filesystem::path(curve(kB)).filename().string()).substr(1, 3),
                  "PNG")
            << kB;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(curve(64)));
    char byte = 0;
    EXPECT_LE(read(reader, &byte, 1), 0) << "a picture written into the FIFO";
    close(reader);
    EXPECT_EQ(warnings.str(), "kadra: warning: curve not written to " + curve(64) +
                                  ": not a regular file\n" +
                                  "kadra: warning: curve not written to " + curve(128) +
                                  ": is a file this run reads or tests\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              6);
}

}  // namespace
}  // namespace kadra::testing
