#include "processing/evoked_session.h"

#include <gtest/gtest.h>

#include <vector>

#include "acquisition/alert_messages.h"
#include "processing/measures_report.h"

namespace {

using korin::EvokedSession;
using korin::StimOnset;

constexpr int kChannels = 16;
constexpr int kBlockScans = 10000;

// Counts the traces handed over.
struct CountingSink : korin::MeasuresSink {
    std::vector<std::int32_t> rows;
    void traceMeasured(const korin::MeasuresTable& table, std::int32_t entry) override {
        rows.push_back(table.rowCount(entry));
    }
};

// A block of sixteen channels that fall at -0.5 mV/ms from `fromMs` for 3 ms,
// then stay down; flat elsewhere. `firstMs` is the block's start in its trace.
std::vector<double> block(double firstMs, double fromMs) {
    std::vector<double> b(kChannels * kBlockScans);
    for (int k = 0; k < kBlockScans; ++k) {
        const double t = firstMs + k / 20.0;
        const double v = t < fromMs ? 0.0 : -0.5 * std::min(t - fromMs, 3.0);
        for (int c = 0; c < kChannels; ++c) b[kChannels * k + c] = v;
    }
    return b;
}

TEST(EvokedSession, ATraceIsMeasuredWhenTheBlockHoldingItsLastWindowArrives) {
    EvokedSession session;
    CountingSink sink;
    session.setSink(&sink);
    const StimOnset onsets[] = {{495.0, -40}};  // its windows end at 510 ms, in the second block
    session.beginTrace({1, 0, 0, 0.0}, onsets, 1, 3 * kBlockScans);
    EXPECT_FALSE(session.addBlock(block(0, 496.2).data(), 0, kBlockScans));
    EXPECT_TRUE(session.waiting());
    EXPECT_TRUE(session.addBlock(block(500, 496.2).data(), kBlockScans, kBlockScans));
    EXPECT_FALSE(session.waiting());
    EXPECT_FALSE(session.addBlock(block(1000, 496.2).data(), 2 * kBlockScans, kBlockScans));  // nothing more needed
    EXPECT_EQ(sink.rows, std::vector<std::int32_t>{16});
    EXPECT_EQ(session.measuredTraces(), 1U);
    EXPECT_NEAR(session.lastMeasures().channel[7].response[0].maxSlope, -0.5, 1e-9);
    EXPECT_NEAR(session.table().value(0, 7, 0, korin::EvokedMeasure::MaxSlope), -0.5, 1e-6);
}

TEST(EvokedSession, ATraceLeftBeforeItsWindowsArriveIsMeasuredFromWhatCame) {
    EvokedSession session;
    const StimOnset paired[] = {{10.0, -40}, {495.0, -40}};
    session.beginTrace({1, 0, 0, 0.0}, paired, 2, 2 * kBlockScans);
    session.addBlock(block(0, 11.2).data(), 0, kBlockScans);
    EXPECT_TRUE(session.waiting());
    session.beginTrace({2, 0, 0, 2.0}, paired, 2, 2 * kBlockScans);  // the run moved on
    ASSERT_EQ(session.table().traceCount(), 1);
    EXPECT_NEAR(session.table().value(0, 0, 0, korin::EvokedMeasure::MaxSlope), -0.5, 1e-6);
    EXPECT_TRUE(std::isnan(session.table().value(0, 0, 1, korin::EvokedMeasure::MaxSlope)));
    session.endRun();  // a stopped run: the second trace too, with nothing at all
    EXPECT_EQ(session.table().traceCount(), 2);
    EXPECT_EQ(session.lastInfo().trace, 2);
}

TEST(EvokedSession, ATraceWithoutStimulusIsNotMeasured) {
    EvokedSession session;
    session.beginTrace({1, 0, 0, 0.0}, nullptr, 0, kBlockScans);
    EXPECT_FALSE(session.waiting());
    EXPECT_FALSE(session.addBlock(block(0, 11.2).data(), 0, kBlockScans));
    EXPECT_EQ(session.measuredTraces(), 0U);
    EXPECT_EQ(session.table().traceCount(), 0);
}

TEST(EvokedSession, OnlyTheChosenChannelsAreMeasuredAndANewRunEmptiesTheTable) {
    EvokedSession session;
    session.setChannels(1U << 4);
    const StimOnset onset[] = {{10.0, -40}};
    session.beginTrace({1, 0, 0, 0.0}, onset, 1, kBlockScans);
    session.addBlock(block(0, 11.2).data(), 0, kBlockScans);
    ASSERT_EQ(session.table().traceCount(), 1);
    EXPECT_EQ(session.table().rowCount(0), 1);
    EXPECT_EQ(session.table().channels(0), 1U << 4);
    session.beginRun();
    EXPECT_EQ(session.table().traceCount(), 0);
    EXPECT_EQ(session.measuredTraces(), 0U);
}

TEST(EvokedSession, RefusedWindowsKeepTheOldOnesAndSetOnesApplyFromTheNextTrace) {
    EvokedSession session;
    korin::EvokedWindows narrow;
    narrow.widthMs = 0.5;
    EXPECT_FALSE(session.setWindows(narrow));
    korin::EvokedWindows bad = narrow;
    bad.winFromMs = 0.5;  // inside the blank
    EXPECT_EQ(session.setWindows(bad), std::string_view(korin::alerts::kEvokedMeasureWindow));
    EXPECT_EQ(session.windows(), narrow);
    const StimOnset onset[] = {{10.0, -40}};
    session.beginTrace({1, 0, 0, 0.0}, onset, 1, kBlockScans);
    EXPECT_EQ(session.lastPlan().count, 0);
    session.addBlock(block(0, 11.2).data(), 0, kBlockScans);
    EXPECT_EQ(session.lastPlan().response[0].widthSamples, 10);
}

// A table whose channel 1 has the given first-response max slopes, a 20-80 %
// slope when `responding`, and a second response at 0.8 of the first.
korin::MeasuresTable& fill(korin::MeasuresTable& table, const std::vector<double>& slopes,
                           const std::vector<double>& intensities, bool responding) {
    for (std::size_t t = 0; t < slopes.size(); ++t) {
        korin::TraceMeasures m;
        m.channels = 1;
        m.responses.count = 2;
        m.responses.intensityUa[0] = intensities[t % intensities.size()];
        korin::ChannelMeasures& ch = m.channel[0];
        ch.response[0].maxSlope = slopes[t];
        ch.response[0].slope2080 = responding ? slopes[t] : korin::kNone;
        ch.response[1].maxSlope = 0.8 * slopes[t];
        ch.ppr.maxSlope = 0.8;
        table.append({static_cast<std::int32_t>(t) + 1, 1, 1, 20.0 * t}, m);
    }
    return table;
}

TEST(MeasuresReport, LastTracesAsPercentOfTheBaselineWithTheRatioAndTheIoCurve) {
    korin::MeasuresTable table;
    // 2 baseline traces at -0.5, then 10 at -0.75 alternating -20 and -40 uA.
    std::vector<double> slopes{-0.5, -0.5};
    slopes.insert(slopes.end(), 10, -0.75);
    const korin::ChannelReport r = korin::reportChannel(fill(table, slopes, {-20, -40}, true), 0, 2);
    EXPECT_TRUE(r.responds);
    EXPECT_NEAR(r.baseline.mean, -0.5, 1e-7);
    EXPECT_EQ(r.last.count, 10);
    EXPECT_NEAR(r.lastPercent, 150.0, 1e-4);
    EXPECT_NEAR(r.ppr.mean, 0.8, 1e-7);
    EXPECT_EQ(r.ppr.count, 12);
    ASSERT_EQ(r.io.size(), 2U);
    EXPECT_EQ(r.io[0].intensityUa, -40);
    EXPECT_NEAR(r.io[0].value.mean, (-0.5 - 5 * 0.75) / 6, 1e-6);  // the second baseline trace and five more
}

TEST(MeasuresReport, NoResponseToNormaliseIsToldNeverDivided) {
    korin::MeasuresTable noise, zero;
    const korin::ChannelReport shallow = korin::reportChannel(fill(noise, {-0.01, -0.02, -0.01}, {-20}, false), 0, 2);
    EXPECT_FALSE(shallow.responds);
    EXPECT_TRUE(std::isnan(shallow.lastPercent));
    EXPECT_TRUE(shallow.io.empty());  // one intensity: no curve
    EXPECT_FALSE(korin::reportChannel(fill(zero, {0.0, 0.0, -0.5}, {-20}, true), 0, 2).responds);
    const korin::ChannelReport absent = korin::reportChannel(noise, 5, 2);  // a channel never measured
    EXPECT_FALSE(absent.responds);
    EXPECT_EQ(absent.baseline.count, 0);
}

}  // namespace
