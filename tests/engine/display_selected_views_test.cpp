// The selected-channel plots as geometry and text: which analysis points are
// drawn and where, the autoscale limits, the unit conversions, the raw view's
// time origin, the pointer readout texts and the "Copy Data" text.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "display/copy_data.h"
#include "display/selected_controls.h"
#include "display/selected_frames.h"
#include "display/selected_labels.h"
#include "files/file_reader.h"
#include "tests/engine/file_reader_test_files.h"

namespace {

constexpr int kW = 200;
constexpr int kH = 100;

// Centres of the markers of one primitive kind in the frame.
std::vector<Vertex2> markers(const DrawList& list, Primitive kind) {
    std::vector<Vertex2> centres;
    const int n = kind == Primitive::Quads ? 4 : 3;
    for (const DrawBatch& b : list.batches()) {
        if (b.primitive != kind) continue;
        for (std::uint32_t i = 0; i < b.count; i += n) {
            const Vertex2* v = list.vertices().data() + b.first + i;
            // Square: corners 0 and 2; triangle: apex x, base y - 3.
            if (kind == Primitive::Quads) centres.push_back({(v[0].x + v[2].x) / 2, (v[0].y + v[2].y) / 2});
            else centres.push_back({v[2].x, v[0].y - 3.0f});
        }
    }
    return centres;
}

struct Series {
    std::array<std::int16_t, 8> counts{};
    std::array<double, 8> times{};
    std::array<std::int32_t, 4> stamps{};
    std::vector<std::int16_t> amplitudes = std::vector<std::int16_t>(korin::kMaxEPEntries, 0);

    SelectedSnapshot snapshot() {
        SelectedSnapshot s;
        s.DrawTyuu = true;
        s.binCounts = counts.data();
        s.binEndMs = times.data();
        s.stamps = stamps.data();
        s.epAmplitudes = amplitudes.data();
        s.epTimesMs = times.data();
        s.scale = korin::CountScale::live(1.0);  // one count per mV
        return s;
    }
};

const ViewColors kColors;

TEST(SelectedAnalysis, SpikeRateRangeOf0To10sDrawsTheBinEndingAt10000msButNot10500) {
    Series d;
    d.times = {9000, 10000, 10500};
    d.counts = {1, 2, 7};
    SelectedSnapshot s = d.snapshot();
    s.spikeIndex = 3;
    DrawList list;
    const PlotRange range{0, 10, 0, 10};
    buildFreqFrame(list, kColors, s, range, {}, kW, kH);
    const auto m = markers(list, Primitive::Quads);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_FLOAT_EQ(m[0].x, 180.0f);
    EXPECT_FLOAT_EQ(m[1].x, 200.0f);
    EXPECT_FLOAT_EQ(m[1].y, 80.0f);  // 2 of 0..10 on 100 px
    EXPECT_EQ(getFreqYAutoScaleMax(s, analysisX(range, 1000, kW, false)), 3.0);
}

TEST(SelectedAnalysis, IsiOfThreeStampsPlotsTwoIntervalsAndAutoscalesTo51) {
    Series d;
    d.stamps = {20000, 20400, 21400};
    SelectedSnapshot s = d.snapshot();
    s.stampCount = 3;
    DrawList list;
    const PlotRange range{0, 2, 0, 100};  // 2000 ms on 200 px
    buildISIFrame(list, kColors, s, range, {AnalysisMode::ISI}, kW, kH);
    const auto m = markers(list, Primitive::Quads);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_FLOAT_EQ(m[0].x, 102.0f);  // 1020 ms
    EXPECT_FLOAT_EQ(m[0].y, 80.0f);   // 20 ms
    EXPECT_FLOAT_EQ(m[1].x, 107.0f);  // 1070 ms
    EXPECT_FLOAT_EQ(m[1].y, 50.0f);   // 50 ms
    EXPECT_DOUBLE_EQ(getISIYAutoScaleMax(s, analysisX(range, 1000, kW, false)), 51.0);
}

TEST(SelectedAnalysis, EvokedPotentialStepFilterSplitsSquaresAndTriangles) {
    Series d;
    for (int i = 0; i < 6; ++i) {
        d.times[i] = 1000.0 * (i + 1);
        d.amplitudes[i] = static_cast<std::int16_t>(10 * i);  // identifies the entry by its height
    }
    SelectedSnapshot s = d.snapshot();
    s.EpIndex = 6;
    s.stepsPerCycle = 2;
    const PlotRange range{0, 10, 0, 100};
    const auto heights = [](const std::vector<Vertex2>& m) {
        std::vector<int> entries;
        for (const Vertex2& v : m) entries.push_back(static_cast<int>(100.0f - v.y + 0.5f) / 10);
        return entries;
    };
    DrawList list;
    buildEPFrame(list, kColors, s, range, {AnalysisMode::EP, 1000, 1, -1}, kW, kH);
    EXPECT_EQ(heights(markers(list, Primitive::Quads)), (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(heights(markers(list, Primitive::Triangles)), (std::vector<int>{1, 3, 5}));
    buildEPFrame(list, kColors, s, range, {AnalysisMode::EP, 1000, 1, 2}, kW, kH);
    EXPECT_EQ(heights(markers(list, Primitive::Quads)), (std::vector<int>{1, 3, 5}));
    EXPECT_TRUE(markers(list, Primitive::Triangles).empty());
}

TEST(SelectedAnalysis, EvokedPotentialAutoscaleSpansTheWholeArrayWithItsMargins) {
    Series d;
    d.amplitudes[3] = -200;
    SelectedSnapshot s = d.snapshot();
    s.scale = korin::CountScale::file(0.5);  // 0.5 mV per count
    EXPECT_NEAR(getEPYAutoScaleMax(s, 1000), (0 + 1) * 0.5 * 1000 + 0.01 * 1000, 1e-3);
    EXPECT_NEAR(getEPYAutoScaleMin(s, 1000), (-200 - 1) * 0.5 * 1000 - 0.01 * 1000, 1e-3);
}

TEST(SelectedControls, UnitMenusConvertTheRangeTexts) {
    struct Case {
        const char* text;
        int from, to;
        bool x;
        const char* expected;
    };
    for (const Case& c : {Case{"500", 1000, 1, false, "0.50000"}, Case{"-500", 1000, 1, false, "-0.50000"},
                          Case{"0.5", 1, 1000, false, "500.00000"}, Case{"0", 1000, 60000, true, "0.00000"},
                          Case{"120", 1000, 60000, true, "2.00000"}, Case{"2", 60000, 1000, true, "120.00000"},
                          Case{"abc", 1000, 1, false, "0.00000"}}) {
        const std::string got = c.x ? convertXUnitText(c.text, c.from, c.to) : convertYUnitText(c.text, c.from, c.to);
        EXPECT_EQ(got, c.expected) << c.text;
    }
}

TEST(SelectedRaw, TimeOriginFollowsTheClockAndTheReplayBlock) {
    EXPECT_DOUBLE_EQ(rawT0Live(4.0), 0.0);
    EXPECT_DOUBLE_EQ(rawT0Live(12.5), 2.5);
    EXPECT_DOUBLE_EQ(rawT0Replay(9500), 0.0);
    EXPECT_DOUBLE_EQ(rawT0Replay(12000), 2.5);
    const RawSampleWindow w = rawSampleWindow(2.5, 2.5, 12.5, 400);
    EXPECT_EQ(w.i0, 0);
    EXPECT_EQ(w.i1, 200000);
    EXPECT_DOUBLE_EQ(w.p, 400.0 / 200000);
}

TEST(SelectedRaw, RangeStartingBeforeTheHistoryShiftsTheFirstSampleRight) {
    const RawSampleWindow w = rawSampleWindow(2.0, 1.0, 3.0, 400);  // one second before sample 0
    EXPECT_EQ(w.i0, 0);
    EXPECT_DOUBLE_EQ(w.firstX, 200.0);
}

TEST(SelectedRaw, ReplayAt12sWithATenSecondHistoryStartsAt2point5s) {
    testfiles::TempDir dir;
    FileReader reader;
    float zero[16] = {}, ep1[16], ep2[16];
    std::uint8_t all[16];
    for (int c = 0; c < 16; ++c) ep1[c] = 10, ep2[c] = 80, all[c] = 1;
    reader.Mthre = reader.Pthre = reader.Postthre = zero;
    reader.EPline1 = ep1;
    reader.EPline2 = ep2;
    reader.ACSelectary = all;
    testfiles::RecordingSpec layout;
    layout.durationMs = 12500;
    ASSERT_TRUE(reader.open(dir.write("r.pldat", testfiles::recording(layout).data)));
    ASSERT_TRUE(reader.read());
    reader.syokika();
    for (int b = 0; b < 25; ++b) ASSERT_TRUE(reader.readData());
    const SelectedSnapshot s = replaySelected(reader, 0);
    EXPECT_DOUBLE_EQ(s.blockOffsetMs, 12000.0);
    EXPECT_DOUBLE_EQ(rawT0(s), 2.5);
    ASSERT_EQ(s.validSamples(), 200000);
    // Sample 0 of the history is the first scan of block 5 (2.5 s).
    EXPECT_DOUBLE_EQ(s.sample(0), testfiles::identityCount(5, 0, 0) * testfiles::kCf2000);
}

TEST(SelectedRaw, AutoscaleAddsTheSinglePrecisionMarginAndShowsFiveDecimals) {
    std::vector<double> h(SelectedSnapshot::kHistoryLength, 0.0);
    h[7] = 0.25;
    h[9] = -0.5;
    SelectedSnapshot s;
    s.history = h.data();
    const YLimits l = rawAutoscale(s, 1000);
    EXPECT_DOUBLE_EQ(l.max, 1000 * (0.25 + 9.999999747378752E-05));
    const AutoscaleTexts t = rawAutoscaleTexts(l);
    EXPECT_EQ(t.yMax, "250.10000");
    EXPECT_EQ(t.yMin, "-500.10000");
}

TEST(SelectedLabels, TicksAreLabelledFromYMaxDownAndXMinAcross) {
    const LabelCanvas c = buildLabelCanvas(PlotKind::EP, {0, 10, -1, 1}, {true, true}, 520, 320);
    ASSERT_EQ(c.texts.size(), 2u + 6u + 5u);
    EXPECT_EQ(c.texts[0].text, "Potential (mV)");
    EXPECT_EQ(c.texts[1].text, "min");
    EXPECT_EQ(c.texts[2].text, "0.000");
    EXPECT_EQ(c.texts[7].text, "10.000");
    EXPECT_FLOAT_EQ(c.texts[7].x, 84.0f + 400.0f);
    EXPECT_EQ(c.texts[8].text, "1.000");  // top
    EXPECT_FLOAT_EQ(c.texts[8].y, 62.0f);
    EXPECT_EQ(c.texts[12].text, "-1.000");
    EXPECT_FLOAT_EQ(c.texts[12].y, 62.0f + 200.0f);
}

TEST(SelectedLabels, RawXTicksOfATenthOfASecondShowNoFloatNoise) {
    // The fourth tick is 0 + 3 * 0.1 / 5 = 0.06000000000000001.
    const LabelCanvas c = buildLabelCanvas(PlotKind::Raw, {0, 0.1, -1, 1}, {}, 520, 320);
    std::vector<std::string> xLabels;
    for (int i = 0; i < 6; ++i) xLabels.push_back(c.texts[2 + static_cast<std::size_t>(i)].text);
    EXPECT_EQ(xLabels, (std::vector<std::string>{"0", "0.02", "0.04", "0.06", "0.08", "0.1"}));
}

TEST(SelectedControls, AxisEndSpotsOpenTheirBoxes) {
    const BoxRect plot{84, 62, 400, 200};
    EXPECT_EQ(axisLimitAt(50, 62, plot), AxisLimit::YMax);
    EXPECT_EQ(axisLimitAt(50, 261, plot), AxisLimit::YMin);
    EXPECT_EQ(axisLimitAt(84, 280, plot), AxisLimit::XMin);
    EXPECT_EQ(axisLimitAt(483, 280, plot), AxisLimit::XMax);
    EXPECT_EQ(axisLimitAt(250, 150, plot), AxisLimit::None);
}

TEST(SelectedControls, DoubleClicksFollowTheDataInBothPlots) {
    SelectedSnapshot live;
    live.timeInTraceSec = 12.0;
    live.elapsedRunSec = 30.0;
    SelectedSnapshot replay;
    replay.replay = true;
    replay.blockOffsetMs = 12000.0;
    replay.replayElapsedSec = 119.0;
    struct Case {
        const SelectedSnapshot* data;
        double width;
        int EpXScale;
        double rawMin, rawMax, freqMax;
    };
    for (const Case& c : {Case{&live, 3.0, 1000, 9.0, 12.0, 30.0}, Case{&replay, 10.0, 1000, 2.5, 12.5, 120.0},
                          Case{&replay, 10.0, 60000, 2.5, 12.5, 2.0}}) {
        const RawXRange raw = upperDoubleClickRange(*c.data, c.width);
        EXPECT_DOUBLE_EQ(raw.xMin, c.rawMin);
        EXPECT_DOUBLE_EQ(raw.xMax, c.rawMax);
        EXPECT_DOUBLE_EQ(lowerDoubleClickRange(*c.data, c.EpXScale).xMax, c.freqMax);
    }
}

TEST(PointerReadout, TextsPerReadout) {
    const float spike[] = {12.5f, 7.0f};
    EXPECT_EQ(setLabelTextSpike(spike).labels, (std::array<std::string, 4>{"X:12.50", "Y:7", "", ""}));
    const float ep[] = {1.234f, -52.5f, 50.0f, 12.5f};
    EXPECT_EQ(setLabelText(ep).labels, (std::array<std::string, 4>{"X:1.23", "Y:-52.500", "", ""}));
    EXPECT_EQ(setLabelTextStim(ep).labels, (std::array<std::string, 4>{"X:1.23", "Y:-52.500", "F1:50", "F2:12.5"}));
}

TEST(PointerReadout, WindowSitsRightOfAndLevelWithThePointer) {
    const ReadoutPlacement p = placeReadout(30, 40, 700, 500, 100, 50, 60, 36);
    EXPECT_EQ(p.left, 30 + 700 + 100 + 84);
    EXPECT_EQ(p.top, 40 + 500 + 50 + 2);
    EXPECT_EQ(p.width, 70);
    EXPECT_EQ(p.height, 41);
}

TEST(CopyData, SpikeModeCopiesOnlyCompletedBins) {
    Series d;
    d.times = {1000, 2000, 3000, 3500};
    d.counts = {4, 5, 6, 1};
    SelectedSnapshot s = d.snapshot();
    s.spikeIndex = 3.5;  // 3.5 s into the first trace
    EXPECT_EQ(copyDataText(s, {AnalysisMode::Spike}),
              "time (ms)\tSpikes per Second\n1000\t4\n2000\t5\n3000\t6\n");
}

TEST(CopyData, EvokedPotentialBothStepsPairsStepsOnOneLine) {
    Series d;
    for (int i = 0; i < 5; ++i) {
        d.times[i] = 1000.0 * i;
        d.amplitudes[i] = static_cast<std::int16_t>(-i);
    }
    SelectedSnapshot s = d.snapshot();
    s.scale = korin::CountScale::live(2.0);  // 2 counts per mV
    s.EpIndex = 5;
    s.stepsPerCycle = 2;
    EXPECT_EQ(copyDataText(s, {AnalysisMode::EP, 1000, false, -1}),
              "time (ms)\tAmplitude (uV)\ttime (ms)_step2\tAmplitude (uV)_step2\n"
              "0\t0\t1000\t-500\n2000\t-1000\t3000\t-1500\n4000\t-2000");
    EXPECT_EQ(copyDataText(s, {AnalysisMode::EP, 1, true, 2}),
              "time (ms)\tAmplitude (mV)\n1000\t-0.5\n3000\t-1.5\n");
}

TEST(CopyData, IsiWithOneStampCopiesTheHeaderOnly) {
    Series d;
    d.stamps = {20000};
    SelectedSnapshot s = d.snapshot();
    s.stampCount = 1;
    EXPECT_EQ(copyDataText(s, {AnalysisMode::ISI}), "time (ms)\tISI (ms)\n");
    s.stampCount = 2;
    d.stamps[1] = 20240;
    EXPECT_EQ(copyDataText(s, {AnalysisMode::ISI}), "time (ms)\tISI (ms)\n1012\t12\n");
}

}  // namespace
