// The Slope analysis as geometry and text: the time course's values as % of
// the baseline traces, its dashed baseline line, markers per step and skipped
// none values, the autoscale, the readout and Copy Data; the upper plot's
// captured response and the ends of its fitted line.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "display/slope_frames.h"

namespace {

using korin::EvokedMeasure;
constexpr int kW = 200;
constexpr int kH = 100;
constexpr int kChannel = 2;

struct Entry {
    int step;
    double timeS;
    double maxSlope;
};

// A table of traces with one response each on kChannel.
void fill(korin::MeasuresTable& table, const std::vector<Entry>& entries) {
    int trace = 1;
    for (const Entry& e : entries) {
        korin::TraceMeasures m;
        m.responses.count = 1;
        m.responses.onsetMs[0] = 10.0;
        m.responses.intensityUa[0] = 50.0;
        m.channels = 1u << kChannel;
        korin::ResponseMeasures& r = m.channel[kChannel].response[0];
        r.maxSlope = e.maxSlope;
        r.baselineMv = 0.5;
        r.amplitudeMv = -1.0;
        r.latencyMs = 4.0;
        r.windowSlope = -0.5;
        ASSERT_TRUE(table.append({trace++, e.step, 0, e.timeS}, m));
    }
}

std::vector<double> values(const SlopeInputs& in, const SlopeState& state) {
    std::vector<double> out;
    forEachSlopePoint(in, kChannel, state, [&](const SlopePoint& p) { out.push_back(p.value); });
    return out;
}

// Centres of the markers of one kind.
std::vector<Vertex2> markers(const DrawList& list, Primitive kind) {
    std::vector<Vertex2> centres;
    const int n = kind == Primitive::Quads ? 4 : 3;
    for (const DrawBatch& b : list.batches()) {
        if (b.primitive != kind) continue;
        for (std::uint32_t i = 0; i < b.count; i += n) {
            const Vertex2* v = list.vertices().data() + b.first + i;
            if (kind == Primitive::Quads) centres.push_back({(v[0].x + v[2].x) / 2, (v[0].y + v[2].y) / 2});
            else centres.push_back({v[2].x, v[0].y - 3.0f});
        }
    }
    return centres;
}

const DrawBatch* batchOf(const DrawList& list, Rgbf colour, Primitive kind = Primitive::Lines) {
    for (const DrawBatch& b : list.batches())
        if (b.color == colour && b.primitive == kind) return &b;
    return nullptr;
}

class SlopeTimeCourse : public ::testing::Test {
protected:
    void SetUp() override {
        fill(table, {{1, 1.0, -1.0}, {2, 2.0, -3.0}, {1, 3.0, -4.0}});
        in.table = &table;
        state.settings.baselineTraces = 2;
        state.hyouziStep = -1;
    }
    korin::MeasuresTable table;
    SlopeInputs in;
    SlopeState state;
};

TEST_F(SlopeTimeCourse, ValuesArePercentOfTheFirstTracesMeanOrAbsolute) {
    EXPECT_EQ(values(in, state), (std::vector<double>{50.0, 150.0, 200.0}));
    state.settings.absolute = true;
    EXPECT_EQ(values(in, state), (std::vector<double>{-1.0, -3.0, -4.0}));
    EXPECT_EQ(slopeReference(in, kChannel, state.settings), -2.0);
}

TEST_F(SlopeTimeCourse, FrameDrawsTheDashedHundredLineAndASquareOrTrianglePerStep) {
    DrawList list;
    buildSlopeFrame(list, ViewColors{}, in, kChannel, {0.0, 4.0, 0.0, 200.0}, state, kW, kH);
    const DrawBatch* line = batchOf(list, selected_view::kOverlayRed);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->count, 2u * 20);  // 6 px dashes every 10 px across 200 px
    const Vertex2* v = list.vertices().data() + line->first;
    EXPECT_EQ(v[0], (Vertex2{0.0f, 50.0f}));
    EXPECT_EQ(v[1], (Vertex2{6.0f, 50.0f}));
    EXPECT_EQ(markers(list, Primitive::Quads), (std::vector<Vertex2>{{50, 75}, {150, 0}}));
    EXPECT_EQ(markers(list, Primitive::Triangles), (std::vector<Vertex2>{{100, 25}}));

    state.hyouziStep = 2;
    buildSlopeFrame(list, ViewColors{}, in, kChannel, {0.0, 4.0, 0.0, 200.0}, state, kW, kH);
    EXPECT_TRUE(markers(list, Primitive::Quads).empty());
    EXPECT_EQ(markers(list, Primitive::Triangles).size(), 1u);
}

TEST_F(SlopeTimeCourse, TraceWithoutTheMeasureIsSkipped) {
    fill(table, {{1, 4.0, korin::kNone}, {1, 5.0, -2.0}});
    EXPECT_EQ(values(in, state), (std::vector<double>{50.0, 150.0, 200.0, 100.0}));
}

TEST_F(SlopeTimeCourse, ZeroBaselineGivesNoLineAndNoPoints) {
    korin::MeasuresTable flat;
    fill(flat, {{1, 1.0, 0.0}, {1, 2.0, 0.0}, {1, 3.0, -1.0}});
    in.table = &flat;
    EXPECT_TRUE(values(in, state).empty());
    EXPECT_TRUE(korin::isNone(slopeReference(in, kChannel, state.settings)));
    DrawList list;
    buildSlopeFrame(list, ViewColors{}, in, kChannel, {0.0, 4.0, 0.0, 200.0}, state, kW, kH);
    EXPECT_EQ(batchOf(list, selected_view::kOverlayRed), nullptr);
}

TEST_F(SlopeTimeCourse, AutoscaleSpansTheValuesAndTheReferenceWithATenthOfRoom) {
    const YLimits l = slopeAutoscale(in, kChannel, state);
    EXPECT_DOUBLE_EQ(l.max, 215.0);
    EXPECT_DOUBLE_EQ(l.min, 35.0);
    korin::MeasuresTable one;
    fill(one, {{1, 1.0, -2.0}});
    in.table = &one;
    state.settings.absolute = true;
    const YLimits single = slopeAutoscale(in, kChannel, state);
    EXPECT_DOUBLE_EQ(single.max, -1.8);
    EXPECT_DOUBLE_EQ(single.min, -2.2);
}

TEST_F(SlopeTimeCourse, ReadoutHitsThePointWithinFivePixels) {
    const korin::AnalysisView view{0.0, 4000.0, kW, kH, 0.0, 200.0};
    const korin::PointerReadout hit = slopeReadout(in, kChannel, state, view, 105, 20);  // the point at (100, 25)
    EXPECT_EQ(hit.index, 1);
    EXPECT_FLOAT_EQ(hit.x, 2.0f);
    EXPECT_FLOAT_EQ(hit.y, 150.0f);
    EXPECT_FALSE(slopeReadout(in, kChannel, state, view, 106, 25).hit());
}

TEST_F(SlopeTimeCourse, CopyDataIsTheChannelsRowsInTheMeasuresFileFormat) {
    const std::string text = slopeCopyDataText(&table, kChannel);
    const std::string header = std::string(korin::kMeasuresHeader) + "\n";
    EXPECT_EQ(text, header + "1,1,0,1,3,1,10,50,0.5,-1,4,-1,-0.5,,\n" + "2,2,0,2,3,1,10,50,0.5,-1,4,-3,-0.5,,\n" +
                        "3,1,0,3,3,1,10,50,0.5,-1,4,-4,-0.5,,\n");
    EXPECT_EQ(slopeCopyDataText(&table, kChannel + 1), header);
}

TEST(SlopeLabels, YTitleNamesTheMeasureAndItsUnit) {
    EXPECT_EQ(slopeYTitle({EvokedMeasure::MaxSlope, 10, false}), "Max slope (% of baseline)");
    EXPECT_EQ(slopeYTitle({EvokedMeasure::WindowSlope, 10, true}), "Window slope (mV/ms)");
    EXPECT_EQ(slopeYTitle({EvokedMeasure::Amplitude, 10, true}), "Amplitude (mV)");
}

// --- Upper plot ---

class SlopeTrace : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < SelectedSnapshot::kHistoryLength; ++i) history[i] = i * 0.001;
        snapshot.history = history.data();
        snapshot.DrawSelectChMaxIndex = SelectedSnapshot::kHistoryLength;
        snapshot.timeInTraceSec = 0.5;
        fill(table, {{1, 1.0, -1.0}});
        measures.responses.count = 1;
        measures.responses.onsetMs[0] = 10.0;
        measures.channels = 1u << kChannel;
        measures.channel[kChannel].response[0].maxSlopeLine = {12.0, -0.1, 13.0, -0.4};
        in = {&table, &measures, table.info(0)};
    }
    void capture() {
        this->capturer.capture(in, [&](int) { return snapshot; });
    }
    std::vector<double> history = std::vector<double>(SelectedSnapshot::kHistoryLength);
    SelectedSnapshot snapshot;
    korin::MeasuresTable table;
    korin::TraceMeasures measures;
    SlopeInputs in;
    SlopeTraceCapture capturer;
};

TEST_F(SlopeTrace, CaptureTakesThirtyMsFromTheOnsetAndKeepsThemAfterTheHistoryMoves) {
    capture();
    SlopeTraceView v = capturer.view(kChannel, {});
    ASSERT_EQ(v.count, 600);
    EXPECT_DOUBLE_EQ(v.samples[0], 0.2);  // sample 200 = 10 ms
    EXPECT_DOUBLE_EQ(v.firstMs, 10.0);
    EXPECT_EQ(v.line.toMv, -0.4);
    EXPECT_TRUE(korin::isNone(capturer.view(kChannel + 1, {}).line.fromMs));

    history[200] = 9.0;
    capture();  // the same trace: not taken again
    EXPECT_DOUBLE_EQ(capturer.view(kChannel, {}).samples[0], 0.2);
}

TEST_F(SlopeTrace, OnsetScrolledOutOfTheHistoryLeavesOnlyTheFittedLine) {
    snapshot.timeInTraceSec = 12.0;  // the history starts 2 s into the trace
    capture();
    const SlopeTraceView v = capturer.view(kChannel, {});
    EXPECT_EQ(v.count, 0);
    EXPECT_TRUE(v.shows());
}

TEST_F(SlopeTrace, FrameDrawsTheBlankTheWindowAndTheFittedLineAtTheirTimes) {
    capture();
    const SlopeTraceView v = capturer.view(kChannel, {});  // default windows: blank 1, measure 1 to 15 ms
    DrawList list;
    constexpr int kW30 = 300;  // 10 px per ms
    buildSlopeTraceFrame(list, ViewColors{}, v, {0.0, 30.0, -0.5, 0.5}, 1, kW30, kH);
    const DrawBatch* fitted = batchOf(list, selected_view::kOverlayRed);
    ASSERT_NE(fitted, nullptr);
    EXPECT_EQ(fitted->lineWidth, slope_view::kFittedLineWidth);
    const Vertex2* f = list.vertices().data() + fitted->first;
    EXPECT_EQ(f[0], (Vertex2{20.0f, 60.0f}));
    EXPECT_EQ(f[1], (Vertex2{30.0f, 90.0f}));
    const DrawBatch* blank = batchOf(list, slope_view::kBlankGrey, Primitive::Quads);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(list.vertices()[blank->first + 1].x, 10.0f);
    std::vector<float> edges;
    for (const DrawBatch& b : list.batches())
        if (b.color == slope_view::kWindowBlue) edges.push_back(list.vertices()[b.first].x);
    EXPECT_EQ(edges, (std::vector<float>{10.0f, 150.0f}));
}

}  // namespace
