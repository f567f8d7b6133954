#include "display/primitives.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Band from y = 0 (top) to y = 100 (bottom).
constexpr float kTop = 0.0f;
constexpr float kBottom = 100.0f;

std::vector<Vertex2> segment(float lastX, float lastY, float x, float y) {
    DrawList out;
    out.begin(Primitive::Lines);
    Line2D(out, lastX, lastY, x, y, kBottom, kTop);
    out.end();
    return out.vertices();
}

void expectVertex(const Vertex2& v, float x, float y) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
}

TEST(CalcXVal, CrossingOfTheLineThroughTwoPoints) {
    // y = 2x + 10: reaches y = 30 at x = 10.
    EXPECT_FLOAT_EQ(calcXVal(0.0f, 10.0f, 5.0f, 20.0f, 30.0f), 10.0f);
    EXPECT_FLOAT_EQ(calcXValF(0.0f, 10.0f, 5.0f, 20.0f, 30.0f), 10.0f);
}

TEST(CalcXVal, StimVariantReturnsX1ForAVerticalSegment) {
    EXPECT_EQ(calcXValStim(7.0f, -20.0f, 7.0f, 150.0f, 0.0f), 7.0f);
    EXPECT_FLOAT_EQ(calcXValStim(0.0f, 10.0f, 5.0f, 20.0f, 30.0f), 10.0f);
}

TEST(Line2DClipping, BothEndsAboveOrBothBelowDrawNothing) {
    EXPECT_TRUE(segment(0, -5, 10, -50).empty());
    EXPECT_TRUE(segment(0, 101, 10, 300).empty());
}

TEST(Line2DClipping, AboveToBelowIsDrawnEdgeToEdge) {
    // y = 12x - 10: crosses y = 0 at x = 10/12 and y = 100 at x = 110/12.
    const auto v = segment(0, -10, 10, 110);
    ASSERT_EQ(v.size(), 2u);
    expectVertex(v[0], 10.0f / 12.0f, kTop);
    expectVertex(v[1], 110.0f / 12.0f, kBottom);
}

TEST(Line2DClipping, BelowToAboveIsDrawnFromBottomEdgeToTopEdge) {
    // y = -12x + 110: crosses y = 100 at x = 10/12 and y = 0 at x = 110/12.
    const auto v = segment(0, 110, 10, -10);
    ASSERT_EQ(v.size(), 2u);
    expectVertex(v[0], 10.0f / 12.0f, kBottom);
    expectVertex(v[1], 110.0f / 12.0f, kTop);
}

TEST(Line2DClipping, FromAboveIntoTheBandStartsAtTheTopEdge) {
    const auto v = segment(0, -20, 10, 20);
    ASSERT_EQ(v.size(), 2u);
    expectVertex(v[0], 5.0f, kTop);
    expectVertex(v[1], 10.0f, 20.0f);
}

TEST(Line2DClipping, FromTheBandToAboveEndsAtTheTopEdge) {
    const auto v = segment(0, 20, 10, -20);
    ASSERT_EQ(v.size(), 2u);
    expectVertex(v[0], 0.0f, 20.0f);
    expectVertex(v[1], 5.0f, kTop);
}

TEST(Line2DClipping, FromTheBandToBelowEndsAtTheBottomEdge) {
    const auto v = segment(0, 80, 10, 120);
    ASSERT_EQ(v.size(), 2u);
    expectVertex(v[0], 0.0f, 80.0f);
    expectVertex(v[1], 5.0f, kBottom);
}

TEST(Line2DClipping, FromBelowIntoTheBandStartsAtTheBottomEdge) {
    const auto v = segment(0, 120, 10, 80);
    ASSERT_EQ(v.size(), 2u);
    expectVertex(v[0], 5.0f, kBottom);
    expectVertex(v[1], 10.0f, 80.0f);
}

TEST(Line2DClipping, InsideTheBandIsDrawnWhole) {
    const auto v = segment(3, 40, 4, 60);
    ASSERT_EQ(v.size(), 2u);
    expectVertex(v[0], 3.0f, 40.0f);
    expectVertex(v[1], 4.0f, 60.0f);
}

TEST(Line2DClipping, HorizontalSegmentOnAnEdgeIsDrawnWhole) {
    const auto top = segment(0, kTop, 10, kTop);
    ASSERT_EQ(top.size(), 2u);
    expectVertex(top[0], 0.0f, kTop);
    expectVertex(top[1], 10.0f, kTop);
    const auto bottom = segment(0, kBottom, 10, kBottom);
    ASSERT_EQ(bottom.size(), 2u);
    expectVertex(bottom[1], 10.0f, kBottom);
}

TEST(Line2DClipping, FromAnEdgeToOutsideMatchesNoClippingCaseAndIsDrawnWhole) {
    const auto up = segment(0, kTop, 10, -30);
    ASSERT_EQ(up.size(), 2u);
    expectVertex(up[1], 10.0f, -30.0f);
    const auto down = segment(0, kBottom, 10, 130);
    ASSERT_EQ(down.size(), 2u);
    expectVertex(down[1], 10.0f, 130.0f);
}

TEST(Line2DUnit, OpensAndClosesItsOwnLineBatch) {
    DrawList out;
    out.setColor(Rgb{10, 20, 30});
    Line2DUnit(out, 0, 10, 5, 20, kBottom, kTop);
    Line2DUnit(out, 0, -10, 5, -20, kBottom, kTop);  // clipped away: no empty batch left behind
    ASSERT_EQ(out.batches().size(), 1u);
    EXPECT_EQ(out.batches()[0].primitive, Primitive::Lines);
    EXPECT_EQ(out.batches()[0].count, 2u);
    EXPECT_EQ(out.batches()[0].color, toDrawingColor(Rgb{10, 20, 30}));
}

TEST(Line2DStim, VerticalSegmentAcrossTheBandIsClippedAtItsX) {
    DrawList out;
    Line2DStim(out, 7, -50, 7, 150, kBottom, kTop);
    ASSERT_EQ(out.vertices().size(), 2u);
    expectVertex(out.vertices()[0], 7.0f, kTop);
    expectVertex(out.vertices()[1], 7.0f, kBottom);
}

// Dash start offsets of the first vertical grid line (x = 20) of a 100 x 100 cell at (0, 0).
std::vector<float> verticalDashStarts(const DrawList& out, float x) {
    std::vector<float> starts;
    const auto& v = out.vertices();
    for (size_t i = 0; i + 1 < v.size(); i += 2)
        if (v[i].x == x && v[i + 1].x == x) starts.push_back(v[i].y);
    return starts;
}

TEST(DivLine, DashesOfA100PixelCellStartAt0To96) {
    DrawList out;
    DivLine(out, 0, 0, 100, 100);
    std::vector<float> expected;
    for (float y = 0; y <= 96; y += 6) expected.push_back(y);
    EXPECT_EQ(verticalDashStarts(out, 20.0f), expected);
    // The last dash runs from 96 to 99.
    const auto& v = out.vertices();
    bool found = false;
    for (size_t i = 0; i + 1 < v.size(); i += 2)
        if (v[i].x == 20.0f && v[i].y == 96.0f) found = v[i + 1].y == 99.0f;
    EXPECT_TRUE(found);
}

TEST(DivLine, DividesTheCellIntoFiveColumnsAndFourRows) {
    DrawList out;
    DivLine(out, 10, 20, 100, 200);
    for (float x : {30.0f, 50.0f, 70.0f, 90.0f}) EXPECT_FALSE(verticalDashStarts(out, x).empty()) << x;
    std::vector<float> rows;
    const auto& v = out.vertices();
    for (size_t i = 0; i + 1 < v.size(); i += 2)
        if (v[i].y == v[i + 1].y && v[i].x == 10.0f) rows.push_back(v[i].y);
    EXPECT_EQ(rows, (std::vector<float>{70.0f, 120.0f, 170.0f}));
    EXPECT_EQ(out.batches().size(), 1u);
    EXPECT_EQ(out.batches()[0].lineWidth, 1.0f);
}

TEST(DivLine, AtMostAThousandDashesPerLine) {
    DrawList out;
    DivLine(out, 0, 0, 100, 100000);
    EXPECT_EQ(verticalDashStarts(out, 20.0f).size(), 1000u);
}

TEST(LineThreshold, OnTheBandsTopIsDrawnOnePixelLower) {
    DrawList out;
    LineThreshold(out, 0, 50, kTop, kBottom, kTop);
    ASSERT_EQ(out.vertices().size(), 2u);
    expectVertex(out.vertices()[0], 0.0f, 1.0f);
    expectVertex(out.vertices()[1], 50.0f, 1.0f);
}

TEST(LineThreshold, OnTheBandsBottomIsDrawnOnePixelHigher) {
    DrawList out;
    LineThreshold(out, 0, 50, kBottom, kBottom, kTop);
    ASSERT_EQ(out.vertices().size(), 2u);
    EXPECT_FLOAT_EQ(out.vertices()[0].y, 99.0f);
}

TEST(LineThreshold, OutsideTheBandDrawsNothing) {
    DrawList out;
    LineThreshold(out, 0, 50, -0.5f, kBottom, kTop);
    LineThreshold(out, 0, 50, 100.5f, kBottom, kTop);
    EXPECT_TRUE(out.vertices().empty());
}

TEST(LineEP, EndsOfThePlotAreMovedInsideByOnePixel) {
    DrawList out;
    LineEP(out, 0, 80, 0, 200);
    LineEP(out, 0, 80, 200, 200);
    LineEP(out, 0, 80, 57, 200);
    ASSERT_EQ(out.vertices().size(), 6u);
    expectVertex(out.vertices()[0], 1.0f, 0.0f);
    expectVertex(out.vertices()[1], 1.0f, 80.0f);
    EXPECT_FLOAT_EQ(out.vertices()[2].x, 199.0f);
    EXPECT_FLOAT_EQ(out.vertices()[4].x, 57.0f);
}

TEST(LineEP, OutsideThePlotDrawsNothing) {
    DrawList out;
    LineEP(out, 0, 80, -1, 200);
    LineEP(out, 0, 80, 201, 200);
    EXPECT_TRUE(out.vertices().empty());
}

TEST(Markers, SquareIsSixPixelsCentredOnThePoint) {
    DrawList out;
    RectPolygon(out, 10, 20, kBottom, kTop);
    ASSERT_EQ(out.batches().size(), 1u);
    EXPECT_EQ(out.batches()[0].primitive, Primitive::Quads);
    const auto& v = out.vertices();
    ASSERT_EQ(v.size(), 4u);
    expectVertex(v[0], 7.0f, 17.0f);
    expectVertex(v[2], 13.0f, 23.0f);
}

TEST(Markers, TrianglePointsUp) {
    DrawList out;
    TriPolygon(out, 10, 20, kBottom, kTop);
    const auto& v = out.vertices();
    ASSERT_EQ(v.size(), 3u);
    expectVertex(v[0], 7.0f, 23.0f);
    expectVertex(v[1], 13.0f, 23.0f);
    expectVertex(v[2], 10.0f, 17.0f);
}

TEST(Markers, DrawnOnTheBandsEdgesButNotBeyond) {
    DrawList out;
    RectPolygon(out, 10, kTop, kBottom, kTop);
    TriPolygon(out, 10, kBottom, kBottom, kTop);
    EXPECT_EQ(out.batches().size(), 2u);
    RectPolygon(out, 10, -0.1f, kBottom, kTop);
    TriPolygon(out, 10, 100.1f, kBottom, kTop);
    EXPECT_EQ(out.batches().size(), 2u);
}

}  // namespace
