#include "processing/series.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "processing/detect_spike.h"

namespace {

constexpr int kChannels = 16;
constexpr std::int16_t kSentinel16 = 0x5A5A;
constexpr std::int32_t kSentinel32 = 0x5A5A5A5A;
constexpr double kSentinelTime = -777.0;

int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// Sixteen rows of `capacity` entries with one sentinel entry after each row,
// so a write past the end shows.
template <typename T>
struct Rows {
    std::vector<std::vector<T>> storage;
    T* rows[kChannels];
    Rows(int capacity, T sentinel) : storage(kChannels, std::vector<T>(capacity + 1, T{})) {
        for (int c = 0; c < kChannels; ++c) {
            storage[c][capacity] = sentinel;
            rows[c] = storage[c].data();
        }
    }
};

struct Bins {
    Rows<std::int16_t> counts;
    std::vector<double> times;
    double spikeIndex = 0;
    korin::SpikeBins series;
    korin::FullNotices notices;
    explicit Bins(int capacity = 16)
        : counts(capacity, kSentinel16), times(capacity + 1, 0.0),
          series{counts.rows, times.data(), spikeIndex, capacity} {
        times[capacity] = kSentinelTime;
    }
    bool add(std::int16_t channel0Count, double endMs) {
        std::int16_t block[kChannels] = {};
        block[0] = channel0Count;
        return korin::addBlockToBins(series, block, endMs, notices);
    }
};

TEST(SpikeBins, TraceOfFiveBlocksGivesBinsOfTwoTwoAndOneBlocks) {
    Bins b;
    for (int k = 1; k <= 5; ++k) b.add(static_cast<std::int16_t>(k), 500.0 * k);
    korin::closeHalfBin(b.series);  // the trace's last block
    EXPECT_EQ(b.spikeIndex, 3.0);
    EXPECT_EQ(b.counts.rows[0][0], 1 + 2);
    EXPECT_EQ(b.counts.rows[0][1], 3 + 4);
    EXPECT_EQ(b.counts.rows[0][2], 5);
    EXPECT_EQ(b.times[0], 1000.0);
    EXPECT_EQ(b.times[1], 2000.0);
    EXPECT_EQ(b.times[2], 2500.0);
}

TEST(SpikeBins, NextTraceStartsANewBin) {
    Bins b;
    for (int k = 1; k <= 3; ++k) b.add(1, 500.0 * k);
    korin::closeHalfBin(b.series);
    b.add(7, 10500.0);
    EXPECT_EQ(b.counts.rows[0][1], 1);
    EXPECT_EQ(b.counts.rows[0][2], 7);
}

TEST(SpikeBins, ClosingAWholeBinChangesNothing) {
    Bins b;
    b.add(1, 500.0);
    b.add(1, 1000.0);
    korin::closeHalfBin(b.series);
    EXPECT_EQ(b.spikeIndex, 1.0);
}

TEST(SpikeBins, ChannelsNotSelectedAreNotCounted) {
    Bins b;
    std::int16_t block[kChannels];
    std::uint8_t on[kChannels] = {};
    for (int c = 0; c < kChannels; ++c) block[c] = 4;
    on[2] = 1;
    korin::addBlockToBins(b.series, block, 500.0, b.notices, on);
    EXPECT_EQ(b.counts.rows[2][0], 4);
    EXPECT_EQ(b.counts.rows[3][0], 0);
}

TEST(SpikeBins, FullSeriesStopsGrowingAndSaysSoOnce) {
    Bins b(2);
    testing::internal::CaptureStdout();
    int accepted = 0;
    for (int k = 1; k <= 8; ++k) accepted += b.add(1, 500.0 * k) ? 1 : 0;
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(accepted, 4);
    EXPECT_EQ(b.spikeIndex, 2.0);
    EXPECT_EQ(b.counts.rows[0][2], kSentinel16);
    EXPECT_EQ(b.times[2], kSentinelTime);
    EXPECT_EQ(occurrences(out, "bins are full"), 1);
}

// A detector whose results are set by hand.
struct Detected : DetectSpike {
    void stamp(int channel, std::initializer_list<std::int32_t> samples) {
        for (std::int32_t s : samples) TimeStampData[channel][timespikes[channel]++] = s;
    }
};

struct Stamps {
    Rows<std::int32_t> rows;
    std::int32_t counts[kChannels] = {};
    korin::TimeStamps series;
    korin::FullNotices notices;
    explicit Stamps(int capacity = 8) : rows(capacity, kSentinel32), series{rows.rows, counts, capacity} {}
};

TEST(TimeStamps, BlockStartDividesBySinglePrecisionTick) {
    // 3 000 000 ms / 0.05000000074505806 = 59 999 999.1, not 60 000 000.
    EXPECT_EQ(korin::blockStartTicks(3'000'000.0), 59'999'999);
    EXPECT_EQ(korin::blockStartTicks(1500.0), 30'000);
}

TEST(TimeStamps, StampsBecomeSamplesSinceTheRunStart) {
    Stamps s;
    Detected d;
    d.stamp(5, {4, 100});
    korin::appendTimeStamps(s.series, d, 1500.0, s.notices);
    ASSERT_EQ(s.counts[5], 2);
    EXPECT_EQ(s.rows.rows[5][0], 30'004);
    EXPECT_EQ(s.rows.rows[5][1], 30'100);
    EXPECT_EQ(s.counts[4], 0);
}

TEST(TimeStamps, FullChannelStopsGrowingAndSaysSoOnce) {
    Stamps s(3);
    Detected d;
    d.stamp(0, {1, 2, 3, 4, 5});
    d.stamp(1, {1, 2, 3, 4, 5});
    testing::internal::CaptureStdout();
    korin::appendTimeStamps(s.series, d, 0.0, s.notices);
    korin::appendTimeStamps(s.series, d, 500.0, s.notices);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(s.counts[0], 3);
    EXPECT_EQ(s.counts[1], 3);
    EXPECT_EQ(s.rows.rows[0][3], kSentinel32);
    EXPECT_EQ(s.rows.rows[1][3], kSentinel32);
    EXPECT_EQ(occurrences(out, "time stamps are full"), 1);
}

TEST(TimeStamps, StampBeyondThe32BitRangeIsDroppedNotWrapped) {
    Stamps s;
    Detected d;
    d.stamp(0, {100, 700});
    const double startMs = 2'147'483'000.0 * korin::kStampTickMs;
    testing::internal::CaptureStdout();
    korin::appendTimeStamps(s.series, d, startMs, s.notices);
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(s.counts[0], 1);
    EXPECT_EQ(s.rows.rows[0][0], 2'147'483'100);
    EXPECT_EQ(occurrences(out, "largest value"), 1);
}

TEST(TimeStamps, OnceAStampPassedThe32BitRangeNoChannelIsStampedAgainInTheRun) {
    Stamps s;
    Detected beyond;
    beyond.stamp(0, {700});
    Detected early;
    early.stamp(1, {5});
    testing::internal::CaptureStdout();
    korin::appendTimeStamps(s.series, beyond, 2'147'483'000.0 * korin::kStampTickMs, s.notices);
    korin::appendTimeStamps(s.series, early, 0.0, s.notices);  // a damaged header's earlier time
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(s.counts[0], 0);
    EXPECT_EQ(s.counts[1], 0);
    EXPECT_EQ(occurrences(out, "largest value"), 1);
}

TEST(InterSpikeInterval, StampsTwoHundredFortyApartAreTwelveMs) {
    const std::int32_t stamps[] = {1000, 1240};
    EXPECT_EQ(korin::interSpikeIntervalMs(stamps, 1), 12.0f);
    EXPECT_EQ(korin::stampTimeMs(1240), 62.0f);
}

// A block with channel `c` holding `value` at the given scans and 0 elsewhere.
std::vector<double> blockWith(int c, std::initializer_list<std::pair<int, double>> samples) {
    std::vector<double> block(kChannels * korin::kEPBlockScans, 0.0);
    for (auto [scan, value] : samples) block[kChannels * scan + c] = value;
    return block;
}

const korin::CountScale kRange2000 = korin::CountScale::live(16384.0);

TEST(EPAmplitude, WindowTenToEightyMsCoversSamples200To1600) {
    const auto block = blockWith(0, {{199, -1.0}, {200, -0.5}, {1600, -0.75}, {1601, -1.0}});
    EXPECT_EQ(korin::epAmplitude(block.data(), 0, 10.0f, 80.0f, kRange2000), -12288);
    const auto early = blockWith(0, {{199, -1.0}, {200, -0.5}, {1601, -1.0}});
    EXPECT_EQ(korin::epAmplitude(early.data(), 0, 10.0f, 80.0f, kRange2000), -8192);
}

TEST(EPAmplitude, WindowBeyondTheFirstBlockHasNoSample) {
    const auto block = blockWith(0, {{100, -1.0}});
    EXPECT_FALSE(korin::epAmplitude(block.data(), 0, 600.0f, 700.0f, kRange2000).has_value());
}

TEST(EPAmplitude, CountsTruncateTowardZero) {
    // -0.00001 mV is -0.16 counts: 0, not -1.
    const auto block = blockWith(0, {{300, -0.00001}});
    EXPECT_EQ(korin::epAmplitude(block.data(), 0, 10.0f, 80.0f, kRange2000), 0);
}

TEST(EPAmplitude, NoBaselineIsSubtracted) {
    auto raised = blockWith(3, {});
    for (int n = 0; n < korin::kEPBlockScans; ++n) raised[kChannels * n + 3] = n == 300 ? 0.75 : 0.25;
    EXPECT_EQ(korin::epAmplitude(raised.data(), 3, 10.0f, 80.0f, kRange2000), 4096);
}

TEST(EPAmplitude, CountsSaturateAtThe16BitLimits) {
    const auto low = blockWith(0, {{300, -3.0}});  // -49 152 counts
    EXPECT_EQ(korin::epAmplitude(low.data(), 0, 10.0f, 80.0f, kRange2000), std::numeric_limits<std::int16_t>::min());
    auto high = blockWith(0, {});
    for (int n = 0; n < korin::kEPBlockScans; ++n) high[kChannels * n] = 3.0;
    EXPECT_EQ(korin::epAmplitude(high.data(), 0, 10.0f, 80.0f, kRange2000), std::numeric_limits<std::int16_t>::max());
}

TEST(EPAmplitude, FileScaleDividesByMillivoltsPerCount) {
    const auto block = blockWith(0, {{300, -0.5}});
    EXPECT_EQ(korin::epAmplitude(block.data(), 0, 10.0f, 80.0f, korin::CountScale::file(1.0 / 3276.8)), -1638);
}

struct EP {
    Rows<std::int16_t> amplitudes;
    std::vector<double> times;
    std::int32_t count = 0;
    korin::EPSeries series;
    korin::FullNotices notices;
    float line1[kChannels], line2[kChannels];
    explicit EP(int capacity = 4)
        : amplitudes(capacity, kSentinel16), times(capacity + 1, 0.0),
          series{amplitudes.rows, times.data(), count, capacity} {
        times[capacity] = kSentinelTime;
        for (int c = 0; c < kChannels; ++c) line1[c] = 10.0f, line2[c] = 80.0f;
    }
    bool add(const std::vector<double>& block, double timeMs) {
        return korin::addEPEntry(series, block.data(), line1, line2, kRange2000, timeMs, notices);
    }
};

TEST(EPEntries, WindowWithoutSamplesLeavesTheEntryUnchanged) {
    EP ep;
    ep.amplitudes.rows[0][0] = 123;
    for (int c = 0; c < kChannels; ++c) ep.line1[c] = 600.0f, ep.line2[c] = 700.0f;
    EXPECT_TRUE(ep.add(blockWith(0, {{300, -1.0}}), 4000.0));
    EXPECT_EQ(ep.amplitudes.rows[0][0], 123);
    EXPECT_EQ(ep.count, 1);
    EXPECT_EQ(ep.times[0], 4000.0);
}

TEST(EPEntries, OneEntryPerTraceForAllChannels) {
    EP ep;
    ep.add(blockWith(2, {{300, -0.5}}), 0.0);
    ep.add(blockWith(7, {{300, -0.25}}), 2000.0);
    EXPECT_EQ(ep.count, 2);
    EXPECT_EQ(ep.amplitudes.rows[2][0], -8192);
    EXPECT_EQ(ep.amplitudes.rows[2][1], 0);
    EXPECT_EQ(ep.amplitudes.rows[7][1], -4096);
    EXPECT_EQ(ep.times[1], 2000.0);
}

TEST(EPEntries, FullSeriesStopsGrowingAndSaysSoOnce) {
    EP ep(2);
    const auto block = blockWith(0, {{300, -0.5}});
    testing::internal::CaptureStdout();
    int accepted = 0;
    for (int k = 0; k < 5; ++k) accepted += ep.add(block, 1000.0 * k) ? 1 : 0;
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(accepted, 2);
    EXPECT_EQ(ep.count, 2);
    EXPECT_EQ(ep.amplitudes.rows[0][2], kSentinel16);
    EXPECT_EQ(ep.times[2], kSentinelTime);
    EXPECT_EQ(occurrences(out, "entries are full"), 1);
}

}  // namespace
