// How vorlu.dll cuts a program's image into frames. The program describes each image with up
// to three information words (its export GetImageInf); docs/dialog-script.md defines them:
//   word 0  the number of frames (for a tab-strip image: the width of the fixed edges)
//   word 1  flags: kImageTransparent, kImageOwnSize, kImageTabStrip
//   word 2  with kImageTransparent: the colour (0x00BBGGRR) that is not drawn
// Frames lie in a grid two frames wide, row by row; an image of one frame is one cell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dialog_script.h"

namespace vorlu {

inline constexpr uint32_t kImageTransparent = 0x20;
inline constexpr uint32_t kImageOwnSize = 0x100;
inline constexpr uint32_t kImageTabStrip = 0x40000;
inline constexpr int kMaxFrames = 64;

// Rows of a tab-strip image.
inline constexpr int kTabCurrent = 0;
inline constexpr int kTabOther = 1;
inline constexpr int kTabHot = 2;

struct ImageLayout {
    bool tabStrip = false;
    int frames = 1;  // tab strip: 3 rows
    int columns = 1;
    int rows = 1;
    int frameWidth = 0;
    int frameHeight = 0;
    int edge = 0;          // tab strip: fixed columns at each side of a row
    bool ownSize = false;  // frames keep their size instead of filling the item
    bool transparent = false;
    uint32_t transparentColour = 0;  // 0x00BBGGRR
    bool alpha = false;              // 32-bit pixels with their own alpha (premultiplied)
};

// Lays out an image of width x height pixels by its information words; false with a message
// when the words do not fit the image.
bool LayoutImage(int width, int height, const uint32_t words[3], ImageLayout& layout,
                 std::string& error);

// The rectangle of frame `frame` in the image; a frame the image does not have gives frame 0.
Rect FrameRect(const ImageLayout& layout, int frame);

// A tab row stretched over `target`: the left and right edges keep their width (both shrink
// evenly when the target is narrower), the middle stretches.
struct Slice {
    Rect source;
    Rect target;
};
std::vector<Slice> TabRowSlices(const ImageLayout& layout, int row, const Rect& target);

// Where a bitmap resource keeps its parts. A resource holds a BMP file, or the same without
// its 14-byte file header (a packed DIB, as RT_BITMAP keeps it).
struct BitmapResource {
    int width = 0;
    int height = 0;  // rows; positive also for top-down images
    bool topDown = false;
    int bitCount = 0;
    size_t infoOffset = 0;  // BITMAPINFOHEADER, then masks and colour table
    size_t infoSize = 0;    // header plus masks and colour table
    size_t pixelOffset = 0;
    size_t stride = 0;  // bytes per row, a multiple of 4
};

inline constexpr int kMaxBitmapSide = 8192;

// A 32-bit image uses its alpha channel when some pixel's alpha is neither 0 nor all 255
// together (many tools leave the byte 0 in opaque images): true after the colour channels of
// every pixel were multiplied by its alpha, as AlphaBlend wants them.
bool PremultiplyIfAlpha(uint8_t* pixels, size_t stride, int width, int rows);

// Checks the headers and that the pixel rows lie inside the data.
bool ParseBitmapResource(const uint8_t* data, size_t size, BitmapResource& bitmap,
                         std::string& error);

}  // namespace vorlu
