#include "image_layout.h"

#include <algorithm>
#include <cstring>

namespace vorlu {
namespace {

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t ReadU16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}

std::string Size(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

}  // namespace

bool LayoutImage(int width, int height, const uint32_t words[3], ImageLayout& layout,
                 std::string& error) {
    layout = ImageLayout{};
    const uint32_t flags = words[1];
    layout.ownSize = (flags & kImageOwnSize) != 0;
    layout.transparent = (flags & kImageTransparent) != 0;
    layout.transparentColour = layout.transparent ? (words[2] & 0xFFFFFF) : 0;
    if (width <= 0 || height <= 0) {
        error = "the image has no pixels";
        return false;
    }
    if (flags & kImageTabStrip) {
        layout.tabStrip = true;
        layout.frames = 3;
        layout.rows = 3;
        if (height % 3 != 0) {
            error = "a tab-strip image needs three rows of equal height; this one is " +
                    Size(width, height);
            return false;
        }
        if (words[0] * 2 >= static_cast<uint32_t>(width)) {
            error = "the tab-strip edges (" + std::to_string(words[0]) +
                    " pixels each) leave nothing of an image " + std::to_string(width) +
                    " pixels wide";
            return false;
        }
        layout.edge = static_cast<int>(words[0]);
        layout.frameWidth = width;
        layout.frameHeight = height / 3;
        return true;
    }
    const uint32_t frames = words[0] == 0 ? 1 : words[0];
    if (frames > kMaxFrames) {
        error = std::to_string(frames) + " frames (at most " + std::to_string(kMaxFrames) + ")";
        return false;
    }
    layout.frames = static_cast<int>(frames);
    layout.columns = frames == 1 ? 1 : 2;
    layout.rows = (layout.frames + layout.columns - 1) / layout.columns;
    if (width % layout.columns != 0 || height % layout.rows != 0) {
        error = "an image of " + Size(width, height) + " pixels does not divide into " +
                std::to_string(layout.columns) + " x " + std::to_string(layout.rows) + " frames (" +
                std::to_string(frames) + " frames, two to a row)";
        return false;
    }
    layout.frameWidth = width / layout.columns;
    layout.frameHeight = height / layout.rows;
    return true;
}

Rect FrameRect(const ImageLayout& layout, int frame) {
    if (frame < 0 || frame >= layout.frames) frame = 0;
    if (layout.tabStrip)
        return {0, frame * layout.frameHeight, layout.frameWidth, layout.frameHeight};
    return {(frame % layout.columns) * layout.frameWidth,
            (frame / layout.columns) * layout.frameHeight, layout.frameWidth, layout.frameHeight};
}

std::vector<Slice> TabRowSlices(const ImageLayout& layout, int row, const Rect& target) {
    const Rect source = FrameRect(layout, row);
    std::vector<Slice> slices;
    if (target.width <= 0 || target.height <= 0) return slices;
    int edge = layout.edge;
    int targetEdge = std::min(edge, target.width / 2);
    if (edge > 0 && targetEdge > 0) {
        slices.push_back({{source.x, source.y, edge, source.height},
                          {target.x, target.y, targetEdge, target.height}});
        slices.push_back(
            {{source.x + source.width - edge, source.y, edge, source.height},
             {target.x + target.width - targetEdge, target.y, targetEdge, target.height}});
    }
    int middle = target.width - 2 * targetEdge;
    if (middle > 0) {
        slices.push_back({{source.x + edge, source.y, source.width - 2 * edge, source.height},
                          {target.x + targetEdge, target.y, middle, target.height}});
    }
    return slices;
}

bool PremultiplyIfAlpha(uint8_t* pixels, size_t stride, int width, int rows) {
    bool anyClear = false;
    bool anyOpaque = false;
    for (int y = 0; y < rows; ++y) {
        const uint8_t* row = pixels + stride * y;
        for (int x = 0; x < width; ++x) {
            const uint8_t a = row[x * 4 + 3];
            if (a != 0 && a != 255) {
                anyClear = anyOpaque = true;
            } else {
                (a == 0 ? anyClear : anyOpaque) = true;
            }
        }
    }
    if (!anyClear || !anyOpaque) return false;  // all 0 or all 255: an opaque image
    for (int y = 0; y < rows; ++y) {
        uint8_t* row = pixels + stride * y;
        for (int x = 0; x < width; ++x) {
            uint8_t* p = row + x * 4;
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<uint8_t>((p[c] * p[3] + 127) / 255);
        }
    }
    return true;
}

bool ParseBitmapResource(const uint8_t* data, size_t size, BitmapResource& bitmap,
                         std::string& error) {
    bitmap = BitmapResource{};
    size_t info = 0;
    size_t fileOffBits = 0;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
        if (size < 14) {
            error = "the BMP file header is cut short";
            return false;
        }
        fileOffBits = ReadU32(data + 10);
        info = 14;
    }
    if (size < info + 40) {
        error = "the bitmap header is cut short";
        return false;
    }
    const uint32_t headerSize = ReadU32(data + info);
    if (headerSize < 40 || headerSize > size - info) {
        error = "unknown bitmap header size " + std::to_string(headerSize);
        return false;
    }
    const int32_t width = static_cast<int32_t>(ReadU32(data + info + 4));
    const int32_t height = static_cast<int32_t>(ReadU32(data + info + 8));
    const uint16_t planes = ReadU16(data + info + 12);
    const uint16_t bits = ReadU16(data + info + 14);
    const uint32_t compression = ReadU32(data + info + 16);
    const uint32_t coloursUsed = ReadU32(data + info + 32);
    if (width <= 0 || width > kMaxBitmapSide || height == 0 || height < -kMaxBitmapSide ||
        height > kMaxBitmapSide) {
        error = "bitmap size " + std::to_string(width) + " x " + std::to_string(height) +
                " (each side 1 to " + std::to_string(kMaxBitmapSide) + ")";
        return false;
    }
    if (planes != 1 ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)) {
        error = "unsupported bitmap format (" + std::to_string(bits) + " bits per pixel)";
        return false;
    }
    const bool bitfields = compression == 3 && (bits == 16 || bits == 32);
    if (compression != 0 && !bitfields) {
        error = "compressed bitmaps are not supported (compression " + std::to_string(compression) +
                ")";
        return false;
    }
    size_t colours = 0;
    if (bits <= 8) {
        colours = coloursUsed == 0 ? (size_t(1) << bits) : coloursUsed;
        if (colours > (size_t(1) << bits)) {
            error = "colour table of " + std::to_string(coloursUsed) + " entries";
            return false;
        }
    }
    size_t infoSize = headerSize + colours * 4 + (bitfields && headerSize == 40 ? 12 : 0);
    if (infoSize > size - info) {
        error = "the colour table is cut short";
        return false;
    }
    size_t pixels = info + infoSize;
    if (fileOffBits != 0) {
        if (fileOffBits < pixels || fileOffBits > size) {
            error = "the BMP file header points outside the data";
            return false;
        }
        pixels = fileOffBits;
    }
    const size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
    const size_t rows = static_cast<size_t>(height < 0 ? -int64_t(height) : height);
    if (pixels > size || stride * rows > size - pixels) {
        error = "the pixel rows are cut short (" + std::to_string(size - std::min(pixels, size)) +
                " of " + std::to_string(stride * rows) + " bytes)";
        return false;
    }
    bitmap.width = width;
    bitmap.height = static_cast<int>(rows);
    bitmap.topDown = height < 0;
    bitmap.bitCount = bits;
    bitmap.infoOffset = info;
    bitmap.infoSize = infoSize;
    bitmap.pixelOffset = pixels;
    bitmap.stride = stride;
    return true;
}

}  // namespace vorlu
