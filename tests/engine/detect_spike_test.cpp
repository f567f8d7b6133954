#include "processing/detect_spike.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

constexpr int kChannels = DetectSpike::kChannels;

// One block of zeros with per-channel settings, written sample by sample.
struct Block {
    std::vector<double> data = std::vector<double>(kChannels * DetectSpike::kBlockScans, 0.0);
    float threshP[kChannels] = {};
    float threshM[kChannels] = {};
    float post[kChannels] = {};

    Block() {
        for (int c = 0; c < kChannels; ++c) {
            threshP[c] = 99.0f;  // never consulted
            threshM[c] = -0.05f;
            post[c] = 0.5f;
        }
    }
    void set(int c, int n, double v) { data[kChannels * n + c] = v; }
    void trace(int c, int start, std::initializer_list<double> values) {
        for (double v : values) set(c, start++, v);
    }
    void detect(DetectSpike& d) const { d.DetectSpikeBlock(data.data(), threshP, threshM, post); }
};

TEST(DetectSpike, StampIsTheSampleBackPastHalfTheThreshold) {
    Block b;
    b.trace(0, 0, {0.0, -0.06, -0.08, -0.03, -0.01});
    DetectSpike d;
    b.detect(d);
    ASSERT_EQ(d.timespikes[0], 1);
    EXPECT_EQ(d.TimeStampData[0][0], 4);
    EXPECT_EQ(d.type, DetectSpike::kNegativeGoing);
}

TEST(DetectSpike, TraceBelowThresholdAtSampleZeroNeedsAFreshCrossing) {
    Block b;
    for (int n = 0; n < 10; ++n) b.set(0, n, -0.1);
    b.trace(0, 10, {-0.01, -0.1, 0.0});
    DetectSpike d;
    b.detect(d);
    ASSERT_EQ(d.timespikes[0], 1);
    EXPECT_EQ(d.TimeStampData[0][0], 12);
}

TEST(DetectSpike, SampleExactlyAtThresholdNeitherStartsNorPrecedesACrossing) {
    Block b;
    b.threshM[0] = -0.5f;
    b.trace(0, 0, {0.0, -0.5, -0.8, 0.0});
    DetectSpike d;
    b.detect(d);
    EXPECT_EQ(d.timespikes[0], 0);
}

TEST(DetectSpike, CrossingWithinDeadTimeIsIgnoredWithTheRestOfItsExcursion) {
    Block b;
    // First spike: peak at sample 11 (0.55 ms), accepted at 12.
    b.trace(0, 10, {-0.1, -0.2, 0.0});
    // Crossing at sample 20 (1.00 ms), 0.45 ms after the peak: post 0.5 refuses it.
    b.trace(0, 20, {-0.1, -0.12, -0.1, 0.0});
    DetectSpike d;
    b.detect(d);
    ASSERT_EQ(d.timespikes[0], 1);
    EXPECT_EQ(d.TimeStampData[0][0], 12);
}

TEST(DetectSpike, CrossingExactlyOneDeadTimeAfterThePeakIsAllowed) {
    Block b;
    b.trace(0, 10, {-0.1, -0.2, 0.0});
    b.trace(0, 21, {-0.1, 0.0});  // 1.05 ms - 0.55 ms = 0.5 ms
    DetectSpike d;
    b.detect(d);
    ASSERT_EQ(d.timespikes[0], 2);
    EXPECT_EQ(d.TimeStampData[0][1], 22);
}

TEST(DetectSpike, OfEqualExtremesTheFirstIsThePeak) {
    Block b;
    // Peak at sample 10 (0.50 ms), not 11; a crossing at sample 20 is then 0.5 ms on.
    b.trace(0, 10, {-0.1, -0.1, 0.0});
    b.trace(0, 20, {-0.1, 0.0});
    DetectSpike d;
    b.detect(d);
    EXPECT_EQ(d.timespikes[0], 2);
}

TEST(DetectSpike, ThresholdZeroDetectsPositiveGoingSpikes) {
    Block b;
    for (int c = 0; c < kChannels; ++c) b.threshM[c] = 0.0f;
    b.trace(0, 0, {-0.01, 0.05, 0.02, -0.001});
    b.trace(0, 100, {-0.2, 0.0});  // a negative excursion never crosses upward
    DetectSpike d;
    b.detect(d);
    ASSERT_EQ(d.timespikes[0], 1);
    EXPECT_EQ(d.TimeStampData[0][0], 3);
    EXPECT_EQ(d.type, DetectSpike::kPositiveGoing);
}

TEST(DetectSpike, PositiveThresholdAcceptsAtOrBelowHalfOfIt) {
    Block b;
    b.threshM[0] = 0.5f;
    b.trace(0, 0, {0.0, 0.6, 0.9, 0.3, 0.25});
    DetectSpike d;
    b.detect(d);
    ASSERT_EQ(d.timespikes[0], 1);
    EXPECT_EQ(d.TimeStampData[0][0], 4);
}

TEST(DetectSpike, SpikeStillOpenAtBlockEndIsLostAndNotCarriedOver) {
    Block b;
    b.trace(0, 9997, {0.0, -0.1, -0.2});
    DetectSpike d;
    b.detect(d);
    EXPECT_EQ(d.timespikes[0], 0);

    Block next;  // the trace returns to 0 at the start of the next block
    next.detect(d);
    EXPECT_EQ(d.timespikes[0], 0);
}

TEST(DetectSpike, EachCallClearsThePreviousResults) {
    Block b;
    b.trace(2, 0, {0.0, -0.1, 0.0});
    DetectSpike d;
    b.detect(d);
    ASSERT_EQ(d.timespikes[2], 1);
    Block quiet;
    quiet.detect(d);
    EXPECT_EQ(d.timespikes[2], 0);
    EXPECT_EQ(d.TimeStampData[2][0], 0);
}

TEST(DetectSpike, ChannelsUseTheirOwnThresholds) {
    Block b;
    b.threshM[1] = -0.2f;
    b.trace(0, 0, {0.0, -0.1, 0.0});
    b.trace(1, 0, {0.0, -0.1, 0.0});  // not deep enough for channel 1
    b.trace(1, 50, {0.0, -0.3, 0.0});
    DetectSpike d;
    b.detect(d);
    EXPECT_EQ(d.timespikes[0], 1);
    ASSERT_EQ(d.timespikes[1], 1);
    EXPECT_EQ(d.TimeStampData[1][0], 52);
}

TEST(DetectSpike, FullChannelStopsAt1000AndLaterChannelsKeepTheirCounts) {
    Block b;
    b.post[3] = 0.0f;
    // A spike every 4 samples on channel 3: 2500 in the block.
    for (int n = 1; n < DetectSpike::kBlockScans; n += 4) b.set(3, n, -0.1);
    for (int k = 0; k < 5; ++k) b.trace(9, 1000 * k, {0.0, -0.1, 0.0});
    DetectSpike d;
    b.detect(d);
    EXPECT_EQ(d.timespikes[3], DetectSpike::kMaxStampsPerBlock);
    EXPECT_EQ(d.TimeStampData[3][999], 2 + 4 * 999);
    EXPECT_EQ(d.timespikes[9], 5);
    EXPECT_EQ(d.TimeStampData[9][4], 4002);
    EXPECT_EQ(d.TimeStampData[9 - 1][0], 0);  // the stamp arrays stay apart
}

}  // namespace
