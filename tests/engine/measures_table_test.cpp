#include "processing/measures_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "processing/measures_summary.h"

namespace {

using korin::EvokedMeasure;
using korin::MeasureRow;
using korin::MeasuresTable;
using korin::TraceMeasures;

std::string rowText(const MeasureRow& row) {
    char text[korin::kMeasureRowRoom];
    return std::string(text, korin::writeMeasureRow(text, row));
}

// A trace with `responses` responses whose max slope on every chosen channel is `maxSlope`.
TraceMeasures traceWith(int responses, std::uint16_t channels, double maxSlope, double intensityUa = -20) {
    TraceMeasures t;
    t.responses.count = responses;
    t.channels = channels;
    for (int r = 0; r < responses; ++r) {
        t.responses.onsetMs[r] = 10.0 + 50 * r;
        t.responses.intensityUa[r] = intensityUa;
    }
    for (int c = 0; c < korin::kEvokedChannels; ++c) {
        if (!korin::hasChannel(channels, c)) continue;
        for (int r = 0; r < responses; ++r) t.channel[c].response[r].maxSlope = maxSlope * (r + 1);
        if (responses == 2) t.channel[c].ppr.maxSlope = 2.0;
    }
    return t;
}

TEST(MeasuresTable, RowTextIsTheFileLineWithEmptyFieldsForNone) {
    EXPECT_EQ(korin::kMeasuresHeader,
              "trace,step,loop,time_s,channel,response,onset_ms,intensity_ua,baseline_mv,amplitude_mv,latency_ms,"
              "max_slope,window_slope,slope_20_80,ppr_max_slope");
    MeasureRow row;
    row.info = {12, 2, 3, 220.5};
    row.channel = 5;
    row.response = 2;
    row.onsetMs = 60.05;
    row.intensityUa = -17.5f;
    row.baselineMv = 0.0125f;
    row.amplitudeMv = -1.2345678f;
    row.latencyMs = 4.2f;
    row.maxSlope = -0.8f;
    row.windowSlope = -0.00001f;
    row.pprMaxSlope = 0.75f;
    EXPECT_EQ(rowText(row), "12,2,3,220.5,5,2,60.05,-17.5,0.0125,-1.2345678,4.2,-0.8,-1e-05,,0.75");
    EXPECT_EQ(rowText(MeasureRow{}), "0,0,0,0,0,0,,,,,,,,,");
}

TEST(MeasuresTable, RowsFollowChannelsThenResponsesWithTheRatioOnTheSecond) {
    MeasuresTable table;
    ASSERT_TRUE(table.append({1, 1, 1, 0.0}, traceWith(2, 1U << 0 | 1U << 4, -0.5)));
    EXPECT_EQ(table.rowCount(0), 4);
    std::vector<std::string> lines;
    table.forEachRow(0, [&](const MeasureRow& row) { lines.push_back(rowText(row)); });
    EXPECT_EQ(lines, (std::vector<std::string>{"1,1,1,0,1,1,10,-20,,,,-0.5,,,", "1,1,1,0,1,2,60,-20,,,,-1,,,2",
                                               "1,1,1,0,5,1,10,-20,,,,-0.5,,,", "1,1,1,0,5,2,60,-20,,,,-1,,,2"}));
    EXPECT_TRUE(std::isnan(table.value(0, 1, 0, EvokedMeasure::MaxSlope)));  // channel 2 not measured
}

TEST(MeasuresTable, TraceWithoutResponseAddsNoEntry) {
    MeasuresTable table;
    EXPECT_TRUE(table.append({1, 1, 1, 0.0}, traceWith(0, korin::kAllEvokedChannels, -0.5)));
    EXPECT_EQ(table.traceCount(), 0);
}

TEST(MeasuresTable, GrowsInChunksWithoutMovingEntries) {
    MeasuresTable table;
    ASSERT_TRUE(table.append({1, 1, 1, 0.0}, traceWith(1, korin::kAllEvokedChannels, -1.0)));
    const korin::TraceInfo* first = &table.info(0);
    constexpr int kTraces = 2 * MeasuresTable::kChunkTraces + 5;
    for (int t = 1; t < kTraces; ++t)
        ASSERT_TRUE(table.append({t + 1, 1, 1, 20.0 * t}, traceWith(1, korin::kAllEvokedChannels, -0.001 * t)));
    EXPECT_EQ(table.traceCount(), kTraces);
    EXPECT_EQ(&table.info(0), first);
    EXPECT_EQ(table.value(kTraces - 1, 15, 0, EvokedMeasure::MaxSlope), static_cast<float>(-0.001 * (kTraces - 1)));
    EXPECT_EQ(table.info(MeasuresTable::kChunkTraces).trace, MeasuresTable::kChunkTraces + 1);
    table.clear();
    EXPECT_EQ(table.traceCount(), 0);
    ASSERT_TRUE(table.append({1, 1, 1, 0.0}, traceWith(1, 1, -3.0)));
    EXPECT_EQ(&table.info(0), first);
    EXPECT_EQ(table.value(0, 0, 0, EvokedMeasure::MaxSlope), -3.0f);
}

TEST(MeasuresSummary, TracesAsPercentOfTheBaselineMean) {
    MeasuresTable table;
    for (double slope : {-0.4, -0.6, -0.5, korin::kNone, -0.75, -0.25})
        table.append({1, 1, 1, 0.0}, traceWith(1, 1, slope));
    const korin::BaselineNormaliser n(table, 0, 0, EvokedMeasure::MaxSlope, 4);
    EXPECT_EQ(n.baseline().count, 3);  // the none of trace 4 is left out
    EXPECT_NEAR(n.baseline().mean, -0.5, 1e-7);
    EXPECT_NEAR(n.percent(4), 150.0, 1e-4);
    EXPECT_TRUE(std::isnan(n.percent(3)));
    const korin::MeasureMean last = korin::meanOverTraces(table, 0, 0, EvokedMeasure::MaxSlope, 4, 10);
    EXPECT_NEAR(korin::percentOf(last.mean, n.baseline().mean), 100.0, 1e-4);
}

TEST(MeasuresSummary, ZeroOrNoBaselineGivesNoPercent) {
    MeasuresTable table;
    for (double slope : {0.0, 0.0, -0.5}) table.append({1, 1, 1, 0.0}, traceWith(1, 1, slope));
    EXPECT_TRUE(std::isnan(korin::BaselineNormaliser(table, 0, 0, EvokedMeasure::MaxSlope, 2).percent(2)));
    // A channel never measured: no baseline at all.
    const korin::BaselineNormaliser far(table, 9, 0, EvokedMeasure::MaxSlope, 2);
    EXPECT_EQ(far.baseline().count, 0);
    EXPECT_TRUE(std::isnan(far.percent(2)));
}

TEST(MeasuresSummary, MeansPerIntensityInIncreasingOrder) {
    MeasuresTable table;
    const double rows[][2] = {{-40, -0.9}, {-10, -0.1}, {-40, -1.1}, {-20, -0.4}, {-10, -0.3}};
    for (const auto& r : rows) table.append({1, 1, 1, 0.0}, traceWith(1, 1, r[1], r[0]));
    table.append({1, 1, 1, 0.0}, traceWith(1, 1, -5.0, korin::kNone));  // no intensity known
    const std::vector<korin::IntensityMean> io = korin::meansPerIntensity(table, 0, 0, EvokedMeasure::MaxSlope);
    ASSERT_EQ(io.size(), 3U);
    const double want[][3] = {{-40, -1.0, 2}, {-20, -0.4, 1}, {-10, -0.2, 2}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(io[i].intensityUa, want[i][0]);
        EXPECT_NEAR(io[i].value.mean, want[i][1], 1e-7);
        EXPECT_EQ(io[i].value.count, want[i][2]);
    }
}

}  // namespace
