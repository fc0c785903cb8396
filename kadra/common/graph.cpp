#include "graph.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "host.h"
#include "run_state.h"
#include "test_settings.h"

namespace kadra {
namespace {

// Drawing happens only with the graph on and a drawing context held.
bool CanDraw() {
    return testSettings.graphEnabled != 0 && graphState.drawing;
}

KText ClockText(const char* format) {
    const ClockTime t = CurrentTimeOfDay();
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, t.hour, t.minute, t.second);
    return FromAscii(buffer);
}

}  // namespace

int32_t GraphMapX(uint32_t x) {
    if (graphState.pointCount < 2) return 0;
    return static_cast<int32_t>(graphState.width * x / (graphState.pointCount - 1));
}

int32_t GraphMapY(uint32_t y) {
    if (graphState.fullScale < 2) return 0;
    return static_cast<int32_t>(graphState.height -
                                graphState.height * y / (graphState.fullScale - 1));
}

uint32_t GraphValue(double megabytesPerSecond) {
    const double tenths = megabytesPerSecond * 10.0;
    if (!(tenths > 0.0)) return 0;  // also NaN
    if (tenths >= 4294967295.0) return 4294967295u;
    return static_cast<uint32_t>(tenths);
}

void GraphBegin() {
    if (!testSettings.graphEnabled) return;
    if (graphState.drawing) GraphEnd();
    const GraphSize size = CurrentGraphCanvas().Begin();
    graphState.width = size.width;
    graphState.height = size.height;
    graphState.drawing = true;
}

void GraphEnd() {
    // Also with the graph switched off meanwhile: a held drawing context is always given back.
    if (!graphState.drawing) return;
    CurrentGraphCanvas().End();
    graphState.drawing = false;
}

void GraphSetColour(uint32_t colour) {
    if (!CanDraw()) return;
    graphState.colour = colour;
    CurrentGraphCanvas().SetColour(colour);
}

void GraphMoveTo(uint32_t x, uint32_t y) {
    if (!CanDraw()) return;
    CurrentGraphCanvas().MoveTo(GraphMapX(x), GraphMapY(y));
}

void GraphLineTo(uint32_t x, uint32_t y) {
    if (!CanDraw()) return;
    CurrentGraphCanvas().LineTo(GraphMapX(x), GraphMapY(y));
}

void GraphText(uint32_t x, uint32_t y, const KText& text) {
    if (!CanDraw()) return;
    const int32_t top = GraphMapY(y) - 8;
    CurrentGraphCanvas().DrawText(text, GraphMapX(x), top, static_cast<int32_t>(graphState.width),
                                  top + 20);
}

void GraphVerticalText(const KText& text, int32_t x, int32_t y) {
    if (!CanDraw()) return;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int32_t top = y + 14 * static_cast<int32_t>(i);
        CurrentGraphCanvas().DrawText(text.substr(i, 1), x, top,
                                      static_cast<int32_t>(graphState.width), top + 20);
    }
}

void GraphReset(uint32_t points, bool withStartTime) {
    graphState.fullScale = static_cast<uint32_t>(testSettings.dynaMaxY);
    graphState.pointCount = 25;  // the scale is drawn on a 25-point grid
    GraphBegin();
    GraphSetColour(kGraphWhite);
    const uint32_t top = graphState.fullScale / 10 + 10;
    for (uint32_t v = 10; v < top; v += 10) {
        GraphMoveTo(0, 10 * v);
        GraphLineTo(1, 10 * v);
        GraphText(1, 10 * v, std::to_wstring(v));
    }
    graphState.pointCount = points;
    GraphSetColour(kGraphRed);
    graphState.minRate = 4294967295.0;
    graphState.maxRate = 0.0;
    graphState.sumOfSquares = 0.0;
    if (withStartTime && testSettings.showTimes) {
        const KText text = ClockText("%02d:%02d:%02d");
        GraphSetColour(kGraphGreen);
        GraphVerticalText(
            text, 3,
            static_cast<int32_t>(graphState.height) - 14 * static_cast<int32_t>(text.size()));
        GraphSetColour(kGraphRed);
    }
}

void GraphPlotPoint(uint32_t index, double megabytesPerSecond) {
    const uint32_t y = GraphValue(megabytesPerSecond);
    TellPointPlotted(index, megabytesPerSecond, runState.hangFlag != 0);
    if (runState.hangFlag) {
        const KText marker = testSettings.showTimes ? ClockText("%02d:%02d:%02d *") : KText(L"*");
        GraphSetColour(kGraphGreen);
        GraphVerticalText(marker, GraphMapX(index) - 8,
                          GraphMapY(y) - 8 - 14 * static_cast<int32_t>(marker.size() - 1));
        GraphSetColour(kGraphRed);
        runState.hangFlag = 0;
    }
    if (index == 0)
        GraphMoveTo(0, y);
    else
        GraphLineTo(index, y);
    if (megabytesPerSecond < graphState.minRate) graphState.minRate = megabytesPerSecond;
    if (megabytesPerSecond > graphState.maxRate) graphState.maxRate = megabytesPerSecond;
    graphState.sumOfSquares += megabytesPerSecond * megabytesPerSecond;
}

}  // namespace kadra
