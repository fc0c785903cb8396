// The throughput graph: one curve per block size of a pass, its scale, the marks of slow blocks
// and the statistics of the plotted values.
//
// Points are (x, y) with x a point index and y a value in tenths of MB/s. Every drawing
// operation does nothing while testSettings.graphEnabled is 0; the statistics follow every
// plotted point all the same.
#pragma once

#include <cstdint>

#include "graph_canvas.h"
#include "ktext.h"

namespace kadra {

struct GraphState {
    bool drawing = false;  // between GraphBegin and GraphEnd
    uint32_t width = 0;    // area size in pixels, taken at GraphBegin
    uint32_t height = 0;
    uint32_t pointCount = 0;        // points across the width, set by GraphReset
    uint32_t fullScale = 0;         // testSettings.dynaMaxY as it was at GraphReset
    uint32_t colour = 0;            // colour of the current pen
    double minRate = 4294967295.0;  // MB/s of the plotted points
    double maxRate = 0.0;
    double sumOfSquares = 0.0;
};

inline GraphState graphState;

// Pixel column of point index x: width * x / (pointCount - 1), 0 when pointCount < 2.
int32_t GraphMapX(uint32_t x);
// Pixel row of value y (tenths of MB/s): height - height * y / (fullScale - 1), in unsigned
// arithmetic, so values above the full scale map above the area; 0 when fullScale < 2.
int32_t GraphMapY(uint32_t y);

// Drawing primitives.
void GraphBegin();
void GraphEnd();
void GraphSetColour(uint32_t colour);
void GraphMoveTo(uint32_t x, uint32_t y);
void GraphLineTo(uint32_t x, uint32_t y);
void GraphText(uint32_t x, uint32_t y, const KText& text);
// Text written top down, one character under the other, from pixel (x, y).
void GraphVerticalText(const KText& text, int32_t x, int32_t y);

// Starts a new curve of `points` points: clears the area, draws the scale, resets the
// statistics and, withStartTime and testSettings.showTimes set, writes the clock time. The
// drawing context stays held until GraphEnd.
void GraphReset(uint32_t points, bool withStartTime);

// The next point of the curve (index 0 starts it), in MB/s. Marks the point when
// runState.hangFlag is set and clears the flag. Updates minRate, maxRate and sumOfSquares.
void GraphPlotPoint(uint32_t index, double megabytesPerSecond);

// A value in MB/s as the graph's y: tenths of MB/s, truncated; 0 for negative values and NaN,
// 4294967295 for values beyond it.
uint32_t GraphValue(double megabytesPerSecond);

}  // namespace kadra
