#include "processing/evoked_trace.h"

#include <gtest/gtest.h>

#include <vector>

#include "acquisition/alert_messages.h"
#include "evoked_shapes.h"

namespace {

using evoked_test::Shape;
using korin::EvokedTraceMeasurer;
using korin::StimOnset;
using korin::TraceMeasures;

constexpr int kChannels = korin::kEvokedChannels;
constexpr int kTraceScans = 2000;  // 100 ms

// Sixteen channels interleaved by scan; channel c falls at -0.1 (c + 1) mV/ms
// after each onset.
std::vector<double> liveTrace(const std::vector<double>& onsetsMs) {
    std::vector<double> block(kChannels * kTraceScans);
    for (int c = 0; c < kChannels; ++c) {
        std::vector<Shape> shapes;
        for (double o : onsetsMs)
            shapes.push_back({.onsetMs = o, .baselineMv = 0.01 * c, .fallFromMs = o + 1.2, .peakMs = o + 4.2,
                              .slope = -0.1 * (c + 1), .tailTauMs = 2.0});
        const std::vector<double> v = evoked_test::trace(shapes, kTraceScans);
        for (int k = 0; k < kTraceScans; ++k) block[kChannels * k + c] = v[k];
    }
    return block;
}

korin::ResponseOnsets responsesAt(std::vector<StimOnset> onsets) {
    return korin::selectResponses(onsets.data(), static_cast<int>(onsets.size()));
}

// Feeds the trace in stretches ending at the given scans; returns complete()
// after each.
std::vector<bool> feed(EvokedTraceMeasurer& m, const std::vector<double>& block, const std::vector<int>& ends) {
    std::vector<bool> complete;
    int from = 0;
    for (int end : ends) {
        m.addBlock(block.data() + kChannels * from, from, end - from);
        complete.push_back(m.complete());
        from = end;
    }
    return complete;
}

TEST(EvokedTraceMeasurer, StretchesAcrossBlocksGiveTheWholeTraceMeasures) {
    const std::vector<double> block = liveTrace({10.0, 60.0});
    const korin::ResponseOnsets responses = responsesAt({{10.0, -20}, {60.0, -30}});
    EvokedTraceMeasurer measurer;
    measurer.beginTrace(responses, kTraceScans);
    // The second response's windows end at 75 ms (scan 1500).
    EXPECT_EQ(feed(measurer, block, {230, 1300, 1499, 1500, kTraceScans}),
              (std::vector<bool>{false, false, false, true, true}));
    TraceMeasures live;
    measurer.measure(live);
    EXPECT_EQ(live.channels, korin::kAllEvokedChannels);
    EXPECT_EQ(live.responses.intensityUa[1], -30);
    const korin::TracePlan plan = korin::planTrace(responses, kTraceScans, {});
    for (int c = 0; c < kChannels; ++c) {
        SCOPED_TRACE(c);
        korin::ChannelMeasures whole;
        korin::measureChannel(korin::MvSamples{block.data() + c, kChannels, 0, kTraceScans}, plan, whole);
        evoked_test::expectSameMeasures(live.channel[c].response[0], whole.response[0]);
        evoked_test::expectSameMeasures(live.channel[c].response[1], whole.response[1]);
        EXPECT_NEAR(live.channel[c].response[0].maxSlope, -0.1 * (c + 1), 1e-6);
        EXPECT_NEAR(live.channel[c].ppr.maxSlope, 1.0, 1e-6);
    }
}

TEST(EvokedTraceMeasurer, EarlyOnsetWaitsForTheTraceLastBlock) {
    const std::vector<double> block = liveTrace({0.0});
    EvokedTraceMeasurer measurer;
    measurer.beginTrace(responsesAt({{0.0, -20}}), kTraceScans);
    EXPECT_EQ(feed(measurer, block, {500, 1000, 1500, kTraceScans}), (std::vector<bool>{false, false, false, true}));
    TraceMeasures live;
    measurer.measure(live);
    EXPECT_NEAR(live.channel[3].response[0].baselineMv, 0.03, 1e-9);
    EXPECT_NEAR(live.channel[3].response[0].amplitudeMv, -0.4 * 3.0, 1e-6);
}

TEST(EvokedTraceMeasurer, MissingStretchGivesNoneNotTheLastTraceValues) {
    const std::vector<double> block = liveTrace({10.0});
    EvokedTraceMeasurer measurer;
    TraceMeasures out;
    measurer.beginTrace(responsesAt({{10.0, -20}}), kTraceScans);
    feed(measurer, block, {kTraceScans});
    measurer.measure(out);
    ASSERT_FALSE(korin::isNone(out.channel[0].response[0].amplitudeMv));

    measurer.beginTrace(responsesAt({{10.0, -20}}), kTraceScans);
    measurer.addBlock(block.data(), 0, 230);
    measurer.addBlock(block.data() + kChannels * 300, 300, kTraceScans - 300);  // scans 230-299 lost
    EXPECT_FALSE(measurer.complete());
    measurer.measure(out);
    const korin::ResponseMeasures& m = out.channel[0].response[0];
    EXPECT_NEAR(m.baselineMv, 0.0, 1e-12);  // [8, 9.8) ms arrived
    for (double v : {m.amplitudeMv, m.maxSlope, m.slope2080}) EXPECT_TRUE(korin::isNone(v));
}

TEST(EvokedTraceMeasurer, OnlyTheChosenChannelsAreWaitedForAndMeasured) {
    const std::vector<double> block = liveTrace({10.0});
    const std::uint16_t chosen = 1U << 3 | 1U << 7;
    EvokedTraceMeasurer measurer;
    measurer.beginTrace(responsesAt({{10.0, -20}}), kTraceScans, chosen);
    for (int c : {3, 7})
        measurer.addSamples(c, korin::MvSamples{block.data() + c, kChannels, 0, kTraceScans});
    EXPECT_TRUE(measurer.complete());
    TraceMeasures out;
    measurer.measure(out);
    EXPECT_EQ(out.channels, chosen);
    EXPECT_NEAR(out.channel[7].response[0].maxSlope, -0.8, 1e-6);
    EXPECT_TRUE(korin::isNone(out.channel[0].response[0].maxSlope));
}

TEST(EvokedTraceMeasurer, RefusedWindowsKeepThePreviousOnes) {
    EvokedTraceMeasurer measurer;
    korin::EvokedWindows narrow;
    narrow.winToMs = 8.0;
    EXPECT_FALSE(measurer.setWindows(narrow));
    korin::EvokedWindows bad = narrow;
    bad.widthMs = 9.0;
    EXPECT_EQ(measurer.setWindows(bad), korin::alerts::kEvokedSlopeWidth);
    EXPECT_EQ(measurer.windows(), narrow);
}

}  // namespace
