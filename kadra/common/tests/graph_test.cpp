#include "graph.h"

#include <gtest/gtest.h>

#include <limits>

#include "host.h"
#include "kadra_test_support.h"
#include "recording_graph_canvas.h"

namespace kadra {
namespace {

using Op = RecordingGraphCanvas::Op;

ClockTime FixedClock() {
    return {9, 5, 7};
}

class GraphTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::ResetKadraState();
        testSettings.graphEnabled = 1;
        Host host;
        host.graphCanvas = &canvas;
        host.graphClock = &FixedClock;
        InstallHost(host);
    }
    void TearDown() override { testing::ResetKadraState(); }

    RecordingGraphCanvas canvas{{436, 416}};
};

TEST_F(GraphTest, ScaleAtTheDefaultFullScaleShowsTicksTenToOneHundredTen) {
    GraphReset(100, false);
    const auto texts = canvas.Calls(Op::Text);
    ASSERT_EQ(texts.size(), 11u);
    EXPECT_EQ(texts.front().text, L"10");
    EXPECT_EQ(texts.back().text, L"110");
    // The 10 MB/s tick: value 100 on a 25-point grid; 416 - 416 * 100 / 1049 = 377.
    const auto moves = canvas.Calls(Op::MoveTo);
    const auto lines = canvas.Calls(Op::LineTo);
    ASSERT_EQ(moves.size(), 11u);
    EXPECT_EQ(moves[0].x, 0);
    EXPECT_EQ(moves[0].y, 377);
    EXPECT_EQ(lines[0].x, 18);  // a tick is 1/24 of the width long
    EXPECT_EQ(lines[0].y, 377);
    EXPECT_EQ(texts[0].x, 18);
    EXPECT_EQ(texts[0].y, 369);  // 8 above the tick, 20 high, to the right edge
    EXPECT_EQ(texts[0].right, 436);
    EXPECT_EQ(texts[0].bottom, 389);
    // 110 MB/s lies above the full scale of 105 MB/s: above the area.
    EXPECT_LT(moves[10].y, 0);
    // The scale is white on a fresh black area, the curve red; the context stays held.
    ASSERT_GE(canvas.calls.size(), 2u);
    EXPECT_EQ(canvas.calls[0].op, Op::Begin);
    EXPECT_EQ(canvas.calls[1].op, Op::Colour);
    EXPECT_EQ(canvas.calls[1].value, kGraphWhite);
    EXPECT_EQ(canvas.calls.back().op, Op::Colour);
    EXPECT_EQ(canvas.calls.back().value, kGraphRed);
    EXPECT_EQ(graphState.pointCount, 100u);
    EXPECT_TRUE(graphState.drawing);
    EXPECT_TRUE(canvas.Calls(Op::End).empty());
}

TEST_F(GraphTest, ScaleFollowsTheFullScale) {
    testSettings.dynaMaxY = 150;
    GraphReset(10, false);
    const auto texts = canvas.Calls(Op::Text);
    ASSERT_EQ(texts.size(), 2u);  // 10 and 20 (v < 150 / 10 + 10)
    EXPECT_EQ(texts[1].text, L"20");
}

TEST_F(GraphTest, PointsMapToTheAreaInUnsignedArithmetic) {
    GraphReset(5, false);
    canvas.calls.clear();
    GraphPlotPoint(0, 0.05);   // y = 0: the lower edge
    GraphPlotPoint(4, 52.45);  // the last point: the right edge; y = 524
    GraphPlotPoint(2, 200.0);  // above the full scale: above the area
    const auto moves = canvas.Calls(Op::MoveTo);
    const auto lines = canvas.Calls(Op::LineTo);
    ASSERT_EQ(moves.size(), 1u);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(moves[0].x, 0);
    EXPECT_EQ(moves[0].y, 416);
    EXPECT_EQ(lines[0].x, 436);
    EXPECT_EQ(lines[0].y, 209);  // 416 - 416 * 524 / 1049, rounded down
    EXPECT_EQ(lines[1].x, 218);
    EXPECT_EQ(lines[1].y, -377);
    EXPECT_LT(lines[1].y, 0);
}

TEST_F(GraphTest, DegenerateScalesMapToZero) {
    GraphReset(1, false);
    EXPECT_EQ(GraphMapX(5), 0);
    testSettings.dynaMaxY = 1;
    GraphReset(10, false);
    EXPECT_EQ(GraphMapY(500), 0);
}

TEST_F(GraphTest, ValuesBecomeTenthsTruncated) {
    EXPECT_EQ(GraphValue(12.97), 129u);
    EXPECT_EQ(GraphValue(0.05), 0u);
    EXPECT_EQ(GraphValue(-3.0), 0u);
    EXPECT_EQ(GraphValue(1e12), 4294967295u);
    EXPECT_EQ(GraphValue(std::numeric_limits<double>::infinity()), 4294967295u);
    EXPECT_EQ(GraphValue(std::numeric_limits<double>::quiet_NaN()), 0u);
}

TEST_F(GraphTest, StatisticsFollowEveryPointAndResetWithTheCurve) {
    GraphReset(3, true);
    GraphPlotPoint(0, 10.0);
    GraphPlotPoint(1, 14.0);
    GraphPlotPoint(2, 12.0);
    EXPECT_EQ(graphState.minRate, 10.0);
    EXPECT_EQ(graphState.maxRate, 14.0);
    EXPECT_EQ(graphState.sumOfSquares, 440.0);
    GraphReset(3, true);
    EXPECT_EQ(graphState.minRate, 4294967295.0);
    EXPECT_EQ(graphState.maxRate, 0.0);
    EXPECT_EQ(graphState.sumOfSquares, 0.0);
}

TEST_F(GraphTest, GraphOffDrawsNothingButKeepsStatisticsAndClearsTheHangFlag) {
    testSettings.graphEnabled = 0;
    GraphReset(3, true);
    runState.hangFlag = 1;
    GraphPlotPoint(0, 5.0);
    GraphPlotPoint(1, 7.0);
    GraphEnd();
    EXPECT_TRUE(canvas.calls.empty());
    EXPECT_EQ(graphState.minRate, 5.0);
    EXPECT_EQ(graphState.maxRate, 7.0);
    EXPECT_EQ(graphState.sumOfSquares, 74.0);
    EXPECT_EQ(runState.hangFlag, 0);
}

TEST_F(GraphTest, HangMarkEndsWithAStarAtThePoint) {
    GraphReset(5, false);
    canvas.calls.clear();
    runState.hangFlag = 1;
    GraphPlotPoint(2, 10.0);  // x = 218, y = 416 - 416 * 100 / 1049 = 377
    EXPECT_EQ(runState.hangFlag, 0);
    ASSERT_EQ(canvas.calls.size(), 4u);
    EXPECT_EQ(canvas.calls[0].op, Op::Colour);
    EXPECT_EQ(canvas.calls[0].value, kGraphGreen);
    EXPECT_EQ(canvas.calls[1].op, Op::Text);
    EXPECT_EQ(canvas.calls[1].text, L"*");
    EXPECT_EQ(canvas.calls[1].x, 210);
    EXPECT_EQ(canvas.calls[1].y, 369);
    EXPECT_EQ(canvas.calls[2].value, kGraphRed);
    EXPECT_EQ(canvas.calls[3].op, Op::LineTo);
    // The next point carries no mark.
    GraphPlotPoint(3, 10.0);
    EXPECT_TRUE(canvas.Calls(Op::Text).size() == 1);
}

TEST_F(GraphTest, HangMarkWithTimesIsWrittenUpwardsFromThePoint) {
    testSettings.showTimes = 1;
    GraphReset(5, false);
    canvas.calls.clear();
    runState.hangFlag = 1;
    GraphPlotPoint(2, 10.0);
    const auto texts = canvas.Calls(Op::Text);
    const KText marker = L"09:05:07 *";
    // One character a line, 14 apart, ending on the point's line.
    const int32_t tops[] = {243, 257, 271, 285, 299, 313, 327, 341, 355, 369};
    ASSERT_EQ(texts.size(), marker.size());
    for (std::size_t i = 0; i < marker.size(); ++i) {
        EXPECT_EQ(texts[i].text, marker.substr(i, 1));
        EXPECT_EQ(texts[i].x, 210);
        EXPECT_EQ(texts[i].y, tops[i]);
    }
    EXPECT_EQ(texts.back().y, 369);  // the star at the point
}

TEST_F(GraphTest, StartTimeEndsAtTheLowerEdge) {
    testSettings.showTimes = 1;
    GraphReset(5, true);
    auto texts = canvas.Calls(Op::Text);
    ASSERT_EQ(texts.size(), 11u + 8u);  // scale labels, then "09:05:07"
    EXPECT_EQ(texts[11].text, L"0");
    EXPECT_EQ(texts[11].x, 3);
    EXPECT_EQ(texts[11].y, 304);  // eight lines of 14 above the lower edge
    EXPECT_EQ(texts.back().text, L"7");
    // Without showTimes, or from the resolution buttons, no time.
    canvas.calls.clear();
    GraphReset(10, false);
    EXPECT_EQ(canvas.Calls(Op::Text).size(), 11u);
    testSettings.showTimes = 0;
    canvas.calls.clear();
    GraphReset(10, true);
    EXPECT_EQ(canvas.Calls(Op::Text).size(), 11u);
}

TEST_F(GraphTest, ANewCurveGivesUpAHeldContextFirst) {
    GraphReset(5, false);
    GraphReset(5, false);
    GraphEnd();
    EXPECT_EQ(canvas.Calls(Op::Begin).size(), 2u);
    EXPECT_EQ(canvas.Calls(Op::End).size(), 2u);
    EXPECT_FALSE(graphState.drawing);
    // Switching the graph off while drawing still gives the context back.
    GraphReset(5, false);
    testSettings.graphEnabled = 0;
    GraphEnd();
    EXPECT_EQ(canvas.Calls(Op::End).size(), 3u);
}

}  // namespace
}  // namespace kadra
