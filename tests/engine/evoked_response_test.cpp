#include "processing/evoked_response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "evoked_shapes.h"

namespace {

using evoked_test::Shape;
using korin::ChannelMeasures;
using korin::EvokedWindows;
using korin::MvSamples;
using korin::ResponseMeasures;
using korin::SampleRange;
using korin::StimOnset;
using korin::TracePlan;

constexpr double kTol = 1e-6;  // mV or mV/ms
constexpr int kTraceScans = 2000;  // 100 ms

TracePlan planFor(const std::vector<StimOnset>& onsets, std::int64_t scans, const EvokedWindows& w = {}) {
    return korin::planTrace(korin::selectResponses(onsets.data(), static_cast<int>(onsets.size())), scans, w);
}

ChannelMeasures measure(const std::vector<double>& v, const std::vector<StimOnset>& onsets,
                        const EvokedWindows& w = {}) {
    ChannelMeasures out;
    korin::measureChannel(MvSamples{v.data(), 1, 0, static_cast<std::int64_t>(v.size())},
                          planFor(onsets, static_cast<std::int64_t>(v.size()), w), out);
    return out;
}

ChannelMeasures measure(const Shape& s, int scans = kTraceScans) {
    return measure(evoked_test::trace(s, scans), {{s.onsetMs, -20}});
}

TEST(EvokedPlan, WindowsCoverTheseSampleIndices) {
    struct Case {
        double onsetMs;
        std::int64_t scans;
        SampleRange baseline, measure, slope;
    };
    const Case cases[] = {
        // [8.0, 9.8) ms, [11, 25) ms, [11.5, 13) ms: ends excluded.
        {10.0, 2000, {160, 196}, {220, 500}, {230, 260}},
        // An onset between samples: each window starts at its first sample at or after its edge.
        {10.01, 2000, {161, 197}, {221, 501}, {231, 261}},
        // The trace's end ends the measure window early.
        {10.0, 400, {160, 196}, {220, 400}, {230, 260}},
        // A slope window the trace cuts is not measured at all.
        {10.0, 250, {160, 196}, {220, 250}, {}},
    };
    for (const Case& c : cases) {
        const TracePlan plan = planFor({{c.onsetMs, -20}}, c.scans);
        ASSERT_EQ(plan.count, 1);
        const korin::ResponsePlan& p = plan.response[0];
        EXPECT_EQ(p.baseline, c.baseline) << c.onsetMs << " ms, " << c.scans;
        EXPECT_EQ(p.measure, c.measure) << c.onsetMs << " ms, " << c.scans;
        EXPECT_EQ(p.slope, c.slope) << c.onsetMs << " ms, " << c.scans;
        EXPECT_EQ(p.widthSamples, 20);
        EXPECT_FALSE(p.baselineFromTail);
        EXPECT_TRUE(plan.tail.empty());
    }
}

TEST(EvokedPlan, OnsetTooEarlyForItsBaselineTakesTheTraceLastTenMs) {
    struct Case {
        double onsetMs;
        bool fromTail;
    };
    // The baseline window's first sample must be in the trace: 1.95 ms lacks sample -1.
    for (const Case c : {Case{0.0, true}, Case{1.95, true}, Case{1.96, false}, Case{2.0, false}}) {
        const TracePlan plan = planFor({{c.onsetMs, -20}}, kTraceScans);
        EXPECT_EQ(plan.response[0].baselineFromTail, c.fromTail) << c.onsetMs;
        EXPECT_EQ(plan.tail, c.fromTail ? (SampleRange{1800, 2000}) : SampleRange{}) << c.onsetMs;
    }
}

TEST(EvokedPlan, PulseMergedIntoAResponseExtendsItsBlank) {
    // S2 fires 0.6 ms after S1: nothing before 11.6 ms is measured, so the fixed
    // slope window [11.5, 13) is cut and the measure window starts at 11.6 ms.
    const TracePlan plan = planFor({{10.0, -20}, {10.6, -30}}, kTraceScans);
    ASSERT_EQ(plan.count, 1);
    EXPECT_EQ(plan.response[0].measure, (SampleRange{232, 500}));
    EXPECT_TRUE(plan.response[0].slope.empty());
}

TEST(EvokedResponses, OnsetsCloserThanOneMsAreOneStimulus) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        std::vector<StimOnset> onsets;
        int count;
        double first, firstLast, firstIntensity, second, secondNext;
    };
    const Case cases[] = {
        {{{5.0, -10}, {5.5, -30}, {30.0, -20}}, 2, 5.0, 5.5, -30, 30.0, inf},
        // Exactly 1 ms apart are two.
        {{{5.0, -10}, {5.999, 10}, {6.0, -20}, {40.0, -20}}, 2, 5.0, 5.999, -10, 6.0, 40.0},
        // Any order; negative and non-finite onsets are not stimuli; of equal magnitudes the negative.
        {{{30.0, -20}, {5.4, 10}, {-1.0, -50}, {NAN, -60}, {5.0, -10}}, 2, 5.0, 5.4, -10, 30.0, inf},
        {{{12.5, -40}}, 1, 12.5, 12.5, -40, NAN, NAN},
    };
    for (const Case& c : cases) {
        const korin::ResponseOnsets r = korin::selectResponses(c.onsets.data(), static_cast<int>(c.onsets.size()));
        ASSERT_EQ(r.count, c.count);
        EXPECT_EQ(r.onsetMs[0], c.first);
        EXPECT_EQ(r.lastMs[0], c.firstLast);
        EXPECT_EQ(r.intensityUa[0], c.firstIntensity);
        if (c.count == 2) {
            EXPECT_EQ(r.nextMs[0], c.second);
            EXPECT_EQ(r.onsetMs[1], c.second);
            EXPECT_EQ(r.nextMs[1], c.secondNext);
        }
    }
    EXPECT_EQ(korin::selectResponses(nullptr, 0).count, 0);
}

TEST(EvokedResponse, OnsetPastTheTraceGivesNoneAndNoFault) {
    const std::vector<double> flat(kTraceScans, 0.1);
    for (double onset : {100.0, 1e300}) {
        const ResponseMeasures m = measure(flat, {{onset, -20}}).response[0];
        for (double v : {m.amplitudeMv, m.latencyMs, m.maxSlope, m.windowSlope, m.slope2080})
            EXPECT_TRUE(korin::isNone(v)) << onset;
    }
}

void expectAnalytic(const ResponseMeasures& m, const Shape& s) {
    EXPECT_NEAR(m.baselineMv, s.baselineMv, 1e-9);  // an alpha tail 90 ms on is 3e-11 mV
    EXPECT_NEAR(m.amplitudeMv, s.amplitude(), kTol);
    EXPECT_NEAR(m.latencyMs, s.peakMs - s.onsetMs, 1e-9);
    EXPECT_NEAR(m.maxSlope, s.slope, kTol);
    EXPECT_NEAR(m.windowSlope, s.slope, kTol);
    EXPECT_NEAR(m.slope2080, s.slope, kTol);
    // The fitted line of the steepest run lies on the fall.
    for (auto [t, y] : {std::pair{m.maxSlopeLine.fromMs, m.maxSlopeLine.fromMv},
                        std::pair{m.maxSlopeLine.toMs, m.maxSlopeLine.toMv}}) {
        EXPECT_GE(t, s.fallFromMs);
        EXPECT_LE(t, s.peakMs);
        EXPECT_NEAR(y, s.baselineMv + s.slope * (t - s.fallFromMs), kTol);
    }
    EXPECT_NEAR(m.maxSlopeLine.toMs - m.maxSlopeLine.fromMs, 0.95, 1e-12);  // 20 samples
}

TEST(EvokedResponse, SyntheticResponsesGiveTheirAnalyticMeasures) {
    const Shape shapes[] = {
        {},
        {.baselineMv = -1.25, .fallFromMs = 11.0, .peakMs = 13.0, .slope = -3.5},
        {.onsetMs = 10.01, .baselineMv = 0.05, .fallFromMs = 11.4, .peakMs = 14.4, .slope = -0.5},
        // Onset at the trace start: baseline from the trace's last 10 ms, flat at the offset.
        {.onsetMs = 0.0, .fallFromMs = 1.2, .peakMs = 4.2},
    };
    for (const Shape& s : shapes) {
        SCOPED_TRACE(s.onsetMs);
        expectAnalytic(measure(s).response[0], s);
    }
}

TEST(EvokedResponse, ArtefactInsideTheBlankChangesNothing) {
    Shape s;
    const ResponseMeasures clean = measure(s).response[0];
    s.artefact = true;
    evoked_test::expectSameMeasures(measure(s).response[0], clean);
}

TEST(EvokedResponse, FlatTraceGivesNoFallSlope) {
    const ResponseMeasures m = measure(std::vector<double>(kTraceScans, 0.4), {{10.0, -20}}).response[0];
    EXPECT_EQ(m.amplitudeMv, 0.0);
    EXPECT_EQ(m.maxSlope, 0.0);
    EXPECT_EQ(m.windowSlope, 0.0);
    EXPECT_TRUE(korin::isNone(m.slope2080));
}

TEST(EvokedResponse, FallSlopeNeedsADepthOfFiveBaselineSd) {
    const Shape s;
    for (double depthInSd : {4.9, 5.1}) {
        std::vector<double> v = evoked_test::trace(s, kTraceScans);
        const double sd = -s.amplitude() / depthInSd;
        for (int k = 160; k < 196; ++k) v[k] += k % 2 == 0 ? sd : -sd;  // the baseline window
        const ResponseMeasures m = measure(v, {{s.onsetMs, -20}}).response[0];
        EXPECT_NEAR(m.baselineSdMv, sd, 1e-12);
        EXPECT_NEAR(m.amplitudeMv, s.amplitude(), kTol);
        if (depthInSd < korin::kMinDepthInSd)
            EXPECT_TRUE(korin::isNone(m.slope2080)) << depthInSd;
        else
            EXPECT_NEAR(m.slope2080, s.slope, kTol) << depthInSd;
    }
}

TEST(EvokedResponse, EarlyOnsetIsCorrectedByTheTraceLastTenMs) {
    const Shape s{.onsetMs = 0.5, .fallFromMs = 1.7, .peakMs = 4.7};
    std::vector<double> v = evoked_test::trace(s, kTraceScans);
    for (int k = 1800; k < kTraceScans; ++k) v[k] += 0.2;
    const ResponseMeasures m = measure(v, {{s.onsetMs, -20}}).response[0];
    EXPECT_NEAR(m.baselineMv, s.baselineMv + 0.2, 1e-9);
    EXPECT_NEAR(m.amplitudeMv, s.amplitude() - 0.2, kTol);
}

TEST(EvokedResponse, TraceLastTenMsInsideAResponseGiveNoBaseline) {
    // A 20 ms trace: its last 10 ms lie inside the response's measure window.
    const Shape s{.onsetMs = 0.5, .fallFromMs = 1.7, .peakMs = 4.7};
    const ResponseMeasures m = measure(s, 400).response[0];
    EXPECT_TRUE(korin::isNone(m.baselineMv));
    EXPECT_TRUE(korin::isNone(m.amplitudeMv));
    EXPECT_TRUE(korin::isNone(m.slope2080));
    EXPECT_NEAR(m.maxSlope, s.slope, kTol);  // a slope needs no baseline
}

TEST(EvokedResponse, PairedPulseRatioIsSecondOverFirst) {
    // A short tail, so the first response is over by the second's baseline.
    const Shape first{.tailTauMs = 1.0};
    const Shape second{.onsetMs = 60.0, .fallFromMs = 61.2, .peakMs = 64.2, .slope = -0.6, .tailTauMs = 1.0};
    const ChannelMeasures m = measure(evoked_test::trace({first, second}, kTraceScans), {{60.0, -20}, {10.0, -20}});
    expectAnalytic(m.response[0], first);
    expectAnalytic(m.response[1], second);
    for (double ratio : {m.ppr.amplitude, m.ppr.maxSlope, m.ppr.windowSlope, m.ppr.slope2080})
        EXPECT_NEAR(ratio, 0.75, kTol);
}

TEST(EvokedResponse, RatioIsNoneWhenTheFirstIsNoneOrZero) {
    struct Case {
        double second, first, ratio;
    };
    for (const Case c : {Case{1.0, 2.0, 0.5}, Case{0.0, 1.0, 0.0}, Case{1.0, 0.0, NAN}, Case{1.0, NAN, NAN},
                         Case{NAN, 1.0, NAN}})
        EXPECT_TRUE(evoked_test::sameOrBothNone(korin::ratioOrNone(c.second, c.first), c.ratio)) << c.second << " / " << c.first;
}

TEST(EvokedResponse, NextStimulusEndsTheMeasureWindow) {
    // Pulses 10 ms apart: the second's -8 mV artefact lies inside the first's [11, 25) ms.
    const Shape first;
    const Shape second{.onsetMs = 20.0, .fallFromMs = 21.2, .peakMs = 24.2, .artefact = true};
    const std::vector<double> v = evoked_test::trace({first, second}, kTraceScans);
    EXPECT_EQ(planFor({{10.0, -20}, {20.0, -20}}, kTraceScans).response[0].measure, (SampleRange{220, 400}));
    const ChannelMeasures m = measure(v, {{10.0, -20}, {20.0, -20}});
    EXPECT_NEAR(m.response[0].amplitudeMv, first.amplitude(), kTol);
    EXPECT_NEAR(m.response[0].latencyMs, 4.2, 1e-9);
}

TEST(EvokedResponse, CountsAreMeasuredAsCountTimesFactor) {
    // Three channels in the file, the measured one in the middle.
    constexpr double kFactor = 1.0 / 3276.8;
    const std::vector<double> mv = evoked_test::trace(Shape{}, kTraceScans);
    std::vector<std::int16_t> counts(3 * kTraceScans, 1000);
    std::vector<double> asMv(kTraceScans);
    for (int k = 0; k < kTraceScans; ++k) {
        counts[3 * k + 1] = static_cast<std::int16_t>(std::lround(mv[k] / kFactor));
        asMv[k] = counts[3 * k + 1] * kFactor;
    }
    const TracePlan plan = planFor({{10.0, -20}}, kTraceScans);
    ChannelMeasures fromCounts, fromMv;
    korin::measureChannel(korin::CountSamples{counts.data() + 1, 3, 0, kTraceScans, kFactor}, plan, fromCounts);
    korin::measureChannel(MvSamples{asMv.data(), 1, 0, kTraceScans}, plan, fromMv);
    EXPECT_EQ(fromCounts.response[0].amplitudeMv, fromMv.response[0].amplitudeMv);
    EXPECT_EQ(fromCounts.response[0].maxSlope, fromMv.response[0].maxSlope);
    EXPECT_EQ(fromCounts.response[0].slope2080, fromMv.response[0].slope2080);
    EXPECT_NEAR(fromCounts.response[0].maxSlope, -0.8, 1e-3);  // quantised by 0.3 uV counts
}

}  // namespace
