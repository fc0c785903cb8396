// Cutting images into frames by their information words, and checking bitmap resources.
#include "image_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vorlu {
namespace {

TEST(ImageLayout, KadraImagesCutIntoFrames) {
    struct Case {
        const char* what;
        int width, height;
        uint32_t words[3];
        int frames, frameWidth, frameHeight;
        bool ownSize, transparent, tabStrip;
    };
    const Case cases[] = {
        {"tab strip 2800", 73, 69, {2, 0x40000, 0}, 3, 73, 23, false, false, true},
        {"check box 2061", 30, 45, {5, 0x100, 0}, 5, 15, 15, true, false, false},
        {"arrow 2062", 26, 39, {5, 0x120, 0xC0C0C0}, 5, 13, 13, true, true, false},
        {"start button 4410", 140, 210, {5, 0, 0}, 5, 70, 70, false, false, false},
        {"one frame", 40, 30, {1, 0, 0}, 1, 40, 30, false, false, false},
        {"no frame count", 40, 30, {0, 0, 0}, 1, 40, 30, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ImageLayout layout;
        std::string error;
        ASSERT_TRUE(LayoutImage(c.width, c.height, c.words, layout, error)) << error;
        EXPECT_EQ(layout.frames, c.frames);
        EXPECT_EQ(layout.frameWidth, c.frameWidth);
        EXPECT_EQ(layout.frameHeight, c.frameHeight);
        EXPECT_EQ(layout.ownSize, c.ownSize);
        EXPECT_EQ(layout.transparent, c.transparent);
        EXPECT_EQ(layout.tabStrip, c.tabStrip);
    }
}

TEST(ImageLayout, FramesRunTwoToARow) {
    const uint32_t words[3] = {5, 0x120, 0xC0C0C0};
    ImageLayout layout;
    std::string error;
    ASSERT_TRUE(LayoutImage(26, 39, words, layout, error));
    EXPECT_EQ(layout.transparentColour, 0xC0C0C0u);
    EXPECT_EQ(FrameRect(layout, 0), (Rect{0, 0, 13, 13}));
    EXPECT_EQ(FrameRect(layout, 1), (Rect{13, 0, 13, 13}));
    EXPECT_EQ(FrameRect(layout, 2), (Rect{0, 13, 13, 13}));
    EXPECT_EQ(FrameRect(layout, 4), (Rect{0, 26, 13, 13}));
    EXPECT_EQ(FrameRect(layout, 5), (Rect{0, 0, 13, 13}));  // missing frames give frame 0
    EXPECT_EQ(FrameRect(layout, -1), (Rect{0, 0, 13, 13}));
}

TEST(ImageLayout, WordsThatDoNotFitTheImage) {
    struct Case {
        const char* what;
        int width, height;
        uint32_t words[3];
        const char* message;
    };
    const Case cases[] = {
        {"odd width for two columns", 31, 45, {5, 0, 0}, "does not divide into 2 x 3"},
        {"rows do not divide", 30, 44, {5, 0, 0}, "does not divide"},
        {"too many frames", 30, 45, {65, 0, 0}, "at most 64"},
        {"tab rows", 73, 70, {2, 0x40000, 0}, "three rows"},
        {"tab edges too wide", 73, 69, {40, 0x40000, 0}, "leave nothing"},
        {"no pixels", 0, 10, {1, 0, 0}, "no pixels"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ImageLayout layout;
        std::string error;
        EXPECT_FALSE(LayoutImage(c.width, c.height, c.words, layout, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

TEST(ImageLayout, TabRowKeepsItsEdges) {
    const uint32_t words[3] = {2, 0x40000, 0};
    ImageLayout layout;
    std::string error;
    ASSERT_TRUE(LayoutImage(73, 69, words, layout, error));
    auto slices = TabRowSlices(layout, kTabHot, Rect{100, 5, 95, 20});
    ASSERT_EQ(slices.size(), 3u);
    EXPECT_EQ(slices[0].source, (Rect{0, 46, 2, 23}));
    EXPECT_EQ(slices[0].target, (Rect{100, 5, 2, 20}));
    EXPECT_EQ(slices[1].source, (Rect{71, 46, 2, 23}));
    EXPECT_EQ(slices[1].target, (Rect{193, 5, 2, 20}));
    EXPECT_EQ(slices[2].source, (Rect{2, 46, 69, 23}));
    EXPECT_EQ(slices[2].target, (Rect{102, 5, 91, 20}));
    // Narrower than both edges: the edges share the width, nothing is left for the middle.
    slices = TabRowSlices(layout, kTabCurrent, Rect{0, 0, 3, 20});
    ASSERT_EQ(slices.size(), 3u);
    EXPECT_EQ(slices[0].target.width + slices[1].target.width + slices[2].target.width, 3);
    EXPECT_TRUE(TabRowSlices(layout, kTabCurrent, Rect{0, 0, 0, 20}).empty());
}

// A BMP file of width x height pixels with `bits` per pixel, rows filled with `fill`.
std::vector<uint8_t> Bmp(int width, int height, int bits, bool fileHeader = true) {
    const size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
    const size_t colours = bits <= 8 ? (size_t(1) << bits) : 0;
    const size_t rows = static_cast<size_t>(height < 0 ? -height : height);
    std::vector<uint8_t> data((fileHeader ? 14 : 0) + 40 + colours * 4 + stride * rows, 0x55);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&data[at], &v, 4); };
    auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&data[at], &v, 2); };
    size_t info = 0;
    if (fileHeader) {
        data[0] = 'B';
        data[1] = 'M';
        put32(2, static_cast<uint32_t>(data.size()));
        put32(6, 0);
        put32(10, static_cast<uint32_t>(14 + 40 + colours * 4));
        info = 14;
    }
    put32(info, 40);
    put32(info + 4, static_cast<uint32_t>(width));
    put32(info + 8, static_cast<uint32_t>(height));
    put16(info + 12, 1);
    put16(info + 14, static_cast<uint16_t>(bits));
    put32(info + 16, 0);
    put32(info + 20, 0);
    for (size_t at = info + 24; at < info + 40; at += 4)
        put32(at, 0);
    return data;
}

TEST(BitmapResource, ReadsFilesAndPackedBitmaps) {
    struct Case {
        const char* what;
        std::vector<uint8_t> data;
        int width, height, bits;
        size_t pixelOffset, stride;
        bool topDown;
    };
    const Case cases[] = {
        {"24-bit file", Bmp(30, 45, 24), 30, 45, 24, 54, 92, false},
        {"32-bit file", Bmp(73, 69, 32), 73, 69, 32, 54, 292, false},
        {"packed 24-bit", Bmp(3, 2, 24, false), 3, 2, 24, 40, 12, false},
        {"8-bit with palette", Bmp(5, 5, 8), 5, 5, 8, 14 + 40 + 1024, 8, false},
        {"top-down", Bmp(4, -3, 32), 4, 3, 32, 54, 16, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BitmapResource bitmap;
        std::string error;
        ASSERT_TRUE(ParseBitmapResource(c.data.data(), c.data.size(), bitmap, error)) << error;
        EXPECT_EQ(bitmap.width, c.width);
        EXPECT_EQ(bitmap.height, c.height);
        EXPECT_EQ(bitmap.bitCount, c.bits);
        EXPECT_EQ(bitmap.pixelOffset, c.pixelOffset);
        EXPECT_EQ(bitmap.stride, c.stride);
        EXPECT_EQ(bitmap.topDown, c.topDown);
        EXPECT_LE(bitmap.pixelOffset + bitmap.stride * bitmap.height, c.data.size());
    }
}

TEST(BitmapResource, RefusesDamagedBitmaps) {
    auto cut = Bmp(30, 45, 24);
    cut.resize(cut.size() - 1);
    auto wide = Bmp(2, 2, 24);
    uint32_t huge = 100000;
    std::memcpy(&wide[18], &huge, 4);
    auto rle = Bmp(2, 2, 8);
    rle[30] = 1;
    auto bits = Bmp(2, 2, 24);
    bits[28] = 7;
    auto offset = Bmp(2, 2, 24);
    uint32_t beyond = 5000;
    std::memcpy(&offset[10], &beyond, 4);
    auto header = Bmp(2, 2, 24);
    header[14] = 12;  // an OS/2 core header
    struct Case {
        const char* what;
        std::vector<uint8_t> data;
        const char* message;
    };
    const Case cases[] = {
        {"empty", {}, "cut short"},
        {"file header only", std::vector<uint8_t>{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         "cut short"},
        {"rows cut short", cut, "pixel rows are cut short"},
        {"width too large", wide, "bitmap size"},
        {"compressed", rle, "compressed"},
        {"7 bits per pixel", bits, "unsupported"},
        {"offset beyond the data", offset, "outside"},
        {"core header", header, "header size 12"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BitmapResource bitmap;
        std::string error;
        EXPECT_FALSE(ParseBitmapResource(c.data.data(), c.data.size(), bitmap, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace vorlu

namespace vorlu {
namespace {

TEST(ImageAlpha, OnlyAMixedAlphaChannelCounts) {
    // Two pixels a row (BGRA), stride 8.
    std::vector<uint8_t> allZero = {10, 20, 30, 0, 40, 50, 60, 0};
    std::vector<uint8_t> allOpaque = {10, 20, 30, 255, 40, 50, 60, 255};
    EXPECT_FALSE(PremultiplyIfAlpha(allZero.data(), 8, 2, 1));
    EXPECT_FALSE(PremultiplyIfAlpha(allOpaque.data(), 8, 2, 1));
    EXPECT_EQ(allZero[0], 10);  // left alone
    EXPECT_EQ(allOpaque[4], 40);

    std::vector<uint8_t> mixed = {200, 100, 50, 255, 200, 100, 50, 0,   // row 0
                                  200, 100, 50, 128, 0,   0,   0,  0};  // row 1
    ASSERT_TRUE(PremultiplyIfAlpha(mixed.data(), 8, 2, 2));
    EXPECT_EQ((std::vector<uint8_t>(mixed.begin(), mixed.begin() + 8)),
              (std::vector<uint8_t>{200, 100, 50, 255, 0, 0, 0, 0}));
    EXPECT_EQ(mixed[8], 100);  // 200 * 128 / 255, rounded
    EXPECT_EQ(mixed[9], 50);
    EXPECT_EQ(mixed[10], 25);
    EXPECT_EQ(mixed[11], 128);
}

}  // namespace
}  // namespace vorlu
