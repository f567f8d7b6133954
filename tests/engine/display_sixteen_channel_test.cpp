#include "display/sixteen_channel_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr int kL = ChartSnapshot::kLength;
// Layout "C" on 845 x 415: cells 100 x 200; channel index 0 at (5, 5), index 1 at (110, 5).
constexpr int kW = 845;
constexpr int kH = 415;

class SixteenChannelFrame : public ::testing::Test {
protected:
    SixteenChannelFrame() : storage(16, std::vector<double>(kL, 0.0)) {
        for (int c = 0; c < 16; ++c) table[c] = storage[c].data();
        colors.LineColor16 = {1, 2, 3};
        colors.GridColor16 = {4, 5, 6};
        colors.BackColor16 = {7, 8, 9};
        colors.ChColor16 = {10, 11, 12};
    }

    ChartSnapshot live(std::int32_t valid, std::int32_t tail) const {
        ChartSnapshot s;
        s.chAry = table.data();
        s.DrawChartMaxIndex = valid;
        s.ring = true;
        s.tailA = tail;
        s.DrawTyuu = true;
        return s;
    }

    std::vector<const DrawBatch*> traceBatches() const {
        std::vector<const DrawBatch*> out;
        for (const DrawBatch& b : list.batches())
            if (b.color == toDrawingColor(colors.LineColor16)) out.push_back(&b);
        return out;
    }

    const Vertex2& vertex(const DrawBatch* b, std::size_t i) const { return list.vertices()[b->first + i]; }

    std::vector<std::vector<double>> storage;
    std::array<const double*, 16> table{};
    SixteenChannelSettings settings;
    ViewColors colors;
    DrawList list;
};

TEST_F(SixteenChannelFrame, FullRingAtXAxis500DrawsEverySampleOfEveryChannel) {
    buildChartFrame(list, settings, colors, live(kL, 777), kW, kH, true);
    const auto traces = traceBatches();
    ASSERT_EQ(traces.size(), 16u);
    for (const DrawBatch* b : traces) {
        EXPECT_EQ(b->primitive, Primitive::Lines);
        EXPECT_EQ(b->count, 2u * 49999u);
        EXPECT_EQ(b->lineWidth, 1.0f);
    }
}

TEST_F(SixteenChannelFrame, FullRingAtXAxis100ShowsTheOldest10000SamplesHeld) {
    settings.RawXaxis = "100";
    const std::int32_t tail = 12345;
    storage[0][tail] = 0.05;                     // oldest sample held: +50 uV
    storage[0][(tail + 9999) % kL] = -0.05;      // last sample shown: -50 uV
    storage[0][(tail + 10000) % kL] = 0.08;      // first sample not shown
    buildChartFrame(list, settings, colors, live(kL, tail), kW, kH, true);
    const DrawBatch* b = traceBatches()[0];
    ASSERT_EQ(b->count, 2u * 9999u);
    // Y-axis "50" on a 200 px cell: 1 px per uV, 0 uV at y = 5 + 100.
    EXPECT_FLOAT_EQ(vertex(b, 0).x, 5.0f);
    EXPECT_FLOAT_EQ(vertex(b, 0).y, 55.0f);
    EXPECT_FLOAT_EQ(vertex(b, b->count - 1).x, 5.0f + 9999 * 0.01f);
    EXPECT_FLOAT_EQ(vertex(b, b->count - 1).y, 155.0f);
    for (std::size_t i = 0; i < b->count; ++i) ASSERT_NE(vertex(b, i).y, 25.0f);
}

TEST_F(SixteenChannelFrame, RingNotYetFullIsReadFromIndex0) {
    storage[0][0] = 0.05;
    buildChartFrame(list, settings, colors, live(30000, 30000), kW, kH, true);
    const DrawBatch* b = traceBatches()[0];
    EXPECT_EQ(b->count, 2u * 29999u);
    EXPECT_FLOAT_EQ(vertex(b, 0).y, 55.0f);
}

TEST_F(SixteenChannelFrame, WritePositionOutsideTheRingWrapsInsteadOfReadingPastIt) {
    storage[0][5] = 0.05;
    buildChartFrame(list, settings, colors, live(kL, kL + 5), kW, kH, true);
    EXPECT_FLOAT_EQ(vertex(traceBatches()[0], 0).y, 55.0f);
}

TEST_F(SixteenChannelFrame, SampleOf015MillivoltAtYAxis50IsClippedAtTheCellsTop) {
    settings.RawXaxis = "1";  // 100 samples, 1 px each
    storage[2][50] = 0.15;   // 150 uV: 50 px above the cell
    buildChartFrame(list, settings, colors, live(kL, 0), kW, kH, true);
    const DrawBatch* b = traceBatches()[2];
    const float top = 5.0f;
    float highest = 1e9f;
    for (std::size_t i = 0; i < b->count; ++i) highest = std::min(highest, vertex(b, i).y);
    EXPECT_EQ(highest, top);
    // Segment 49 -> 50 runs from y 105 to -45 and leaves the cell two thirds of the way along.
    const float left = 215.0f;
    bool crossing = false;
    for (std::size_t i = 0; i < b->count; ++i)
        if (vertex(b, i).y == top) crossing |= std::abs(vertex(b, i).x - (left + 49.0f + 2.0f / 3.0f)) < 1e-3f;
    EXPECT_TRUE(crossing);
}

TEST_F(SixteenChannelFrame, AutoscaleOfAnAllZeroChannelDrawsItAtTheMiddle) {
    settings.Rawauto = true;
    buildChartFrame(list, settings, colors, live(100, 0), kW, kH, true);
    EXPECT_FLOAT_EQ(vertex(traceBatches()[0], 0).y, 105.0f);
}

TEST_F(SixteenChannelFrame, ReplayChannelSwitchedOffIsAnEmptyCell) {
    std::array<std::uint8_t, 16> selected;
    selected.fill(1);
    selected[3] = 0;
    storage[3].assign(kL, 0.02);
    ChartSnapshot s;
    s.chAry = table.data();
    s.DrawChartMaxIndex = kL;
    s.ACSelectary = selected.data();
    buildChartFrame(list, settings, colors, s, kW, kH, false);
    const auto traces = traceBatches();
    ASSERT_EQ(traces.size(), 15u);
    const CellRect cell3 = cellGrid(ArrayType::C, kW, kH).cell(3);  // (320, 5), 100 x 200
    for (const DrawBatch* b : traces) {
        const Vertex2& v = vertex(b, 0);
        EXPECT_FALSE(v.x == cell3.left && v.y >= cell3.top && v.y <= cell3.top + cell3.height);
    }
    const auto backgrounds = std::count_if(list.batches().begin(), list.batches().end(),
                                           [](const DrawBatch& b) { return b.primitive == Primitive::Quads; });
    EXPECT_EQ(backgrounds, 16);
}

TEST_F(SixteenChannelFrame, ReplayIsReadFromIndex0EvenWhenFull) {
    storage[0][0] = 0.05;
    ChartSnapshot s;
    s.chAry = table.data();
    s.DrawChartMaxIndex = kL;
    s.tailA = 400;  // ignored without a ring
    buildChartFrame(list, settings, colors, s, kW, kH, false);
    EXPECT_FLOAT_EQ(vertex(traceBatches()[0], 0).y, 55.0f);
}

TEST_F(SixteenChannelFrame, LiveFrameFlushesAndReplayFrameDoesNot) {
    buildChartFrame(list, settings, colors, live(10, 0), kW, kH, true);
    EXPECT_TRUE(list.recipe.flush);
    EXPECT_EQ(list.recipe.width, kW);
    EXPECT_EQ(list.recipe.height, kH);
    EXPECT_EQ(list.recipe.clearColor, colors::kLightGrey);
    EXPECT_EQ(list.recipe.baseColor, colors::kLightGrey);
    buildChartFrame(list, settings, colors, live(10, 0), kW, kH, false);
    EXPECT_FALSE(list.recipe.flush);
}

TEST_F(SixteenChannelFrame, ChannelNumbersSit5And18IntoEachCell) {
    buildChartFrame(list, settings, colors, live(10, 0), kW, kH, true);
    ASSERT_EQ(list.texts().size(), 16u);
    EXPECT_STREQ(list.texts()[0].text, "1");
    EXPECT_FLOAT_EQ(list.texts()[0].x, 10.0f);
    EXPECT_FLOAT_EQ(list.texts()[0].y, 23.0f);
    EXPECT_STREQ(list.texts()[15].text, "16");
    EXPECT_FLOAT_EQ(list.texts()[15].x, 745.0f);
    EXPECT_FLOAT_EQ(list.texts()[15].y, 228.0f);
    EXPECT_EQ(list.texts()[0].color, toDrawingColor(colors.ChColor16));
}

TEST_F(SixteenChannelFrame, SelectionFrameIsARedRectangleAroundTheCellDrawnLast) {
    buildChartFrame(list, settings, colors, live(10, 0), kW, kH, true);  // SelectOneCh "1": cell at (110, 5)
    const DrawBatch& frame = list.batches().back();
    EXPECT_EQ(frame.color, colors::kSelectionRed);
    EXPECT_EQ(frame.lineWidth, 2.5f);
    ASSERT_EQ(frame.count, 8u);
    const Vertex2* v = &list.vertices()[frame.first];
    EXPECT_EQ(v[0], (Vertex2{108.75f, 3.75f}));
    EXPECT_EQ(v[1], (Vertex2{211.25f, 3.75f}));
    EXPECT_EQ(v[3], (Vertex2{211.25f, 206.25f}));
    EXPECT_EQ(v[5], (Vertex2{108.75f, 206.25f}));
    EXPECT_EQ(list.texts()[0].afterBatch, list.batches().size() - 1);
}

TEST_F(SixteenChannelFrame, EmptyCellsDrawTheSelectionFrameBeforeTheSelectedCell) {
    buildWakuFrame(list, settings, colors, kW, kH);
    EXPECT_TRUE(traceBatches().empty());
    const auto& b = list.batches();
    // Cell 0's background and grid, then the frame of cell 1, then cell 1's background.
    ASSERT_GE(b.size(), 4u);
    EXPECT_EQ(b[2].color, colors::kSelectionRed);
    EXPECT_EQ(b[3].primitive, Primitive::Quads);
    EXPECT_EQ(b[3].color, toDrawingColor(colors.BackColor16));
    EXPECT_EQ(list.texts().size(), 16u);
}

TEST_F(SixteenChannelFrame, WithoutDataEveryCellIsEmpty) {
    buildChartFrame(list, settings, colors, ChartSnapshot{}, kW, kH, true);
    EXPECT_TRUE(traceBatches().empty());
    EXPECT_EQ(list.texts().size(), 16u);
}

}  // namespace
