#include "processing/thresholds.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using korin::AutoThreshold;

// A buffer of `length` samples whose 2000-sample windows alternate between
// mean - sd and mean + sd, so each window has exactly that mean and SD.
struct Windows {
    std::vector<double> samples;
    explicit Windows(int length, double mean = 0.0, double sd = 0.5) : samples(length) {
        for (int w = 0; w < length / korin::kThresholdWindowSamples; ++w) set(w, mean, sd);
    }
    void set(int window, double mean, double sd) {
        for (int n = 0; n < korin::kThresholdWindowSamples; ++n)
            samples[window * korin::kThresholdWindowSamples + n] = n % 2 == 0 ? mean - sd : mean + sd;
    }
};

TEST(DCOffset, MeanOfSamplesRoundedToSinglePrecision) {
    const std::vector<double> samples(korin::kDCOffsetSamples, 0.1);
    EXPECT_EQ(korin::dcOffset(samples.data()), static_cast<double>(0.1f));
}

TEST(DCOffset, EachChannelFromItsOwnBuffer) {
    std::vector<std::vector<double>> buffers(16);
    const double* chAry[16];
    for (int c = 0; c < 16; ++c) {
        buffers[c].assign(korin::kDCOffsetSamples, 0.25 * c);
        buffers[c][0] = 0.25 * c + 10000 * 0.5;  // raises the mean by exactly 0.5
        chAry[c] = buffers[c].data();
    }
    double offsets[16];
    korin::DCOffsetKeisann(chAry, offsets);
    for (int c = 0; c < 16; ++c) EXPECT_EQ(offsets[c], 0.25 * c + 0.5) << "channel " << c;
}

TEST(AutoThreshold, QuietestWindowWithMean2uVAndSd4uVGivesMinus20And24uV) {
    Windows w(korin::kLiveThresholdSamples, 0.0, 0.01);
    w.set(6, 0.002, 0.004);
    const AutoThreshold t = korin::autoThreshold(w.samples.data(), korin::kLiveThresholdSamples);
    EXPECT_NEAR(t.lower, -0.02, 1e-7);
    EXPECT_NEAR(t.upper, 0.024, 1e-7);
}

TEST(AutoThreshold, IsMeanMinusAndPlusFivePointFiveSd) {
    Windows w(korin::kLiveThresholdSamples, 0.0, 1.0);
    w.set(3, 0.5, 0.25);
    const AutoThreshold t = korin::autoThreshold(w.samples.data(), korin::kLiveThresholdSamples);
    EXPECT_EQ(t.lower, -0.875f);
    EXPECT_EQ(t.upper, 1.875f);
}

TEST(AutoThreshold, OfEqualWindowsTheEarlierWins) {
    Windows w(korin::kLiveThresholdSamples, 0.0, 1.0);
    w.set(3, 1.0, 0.25);
    w.set(7, 2.0, 0.25);
    EXPECT_EQ(korin::autoThreshold(w.samples.data(), korin::kLiveThresholdSamples).lower, -0.375f);
}

TEST(AutoThreshold, WindowOfZerosGivesThresholdsOfZero) {
    const std::vector<double> zeros(korin::kReplayThresholdSamples, 0.0);
    const AutoThreshold t = korin::autoThreshold(zeros.data(), korin::kReplayThresholdSamples);
    EXPECT_EQ(t.lower, 0.0f);
    EXPECT_EQ(t.upper, 0.0f);
}

TEST(AutoThreshold, LiveLooksAtFortyThousandSamplesReplayAtFiftyThousand) {
    Windows w(korin::kReplayThresholdSamples, 0.0, 1.0);
    w.set(22, 0.5, 0.25);  // samples 44 000 to 45 999
    EXPECT_EQ(korin::autoThreshold(w.samples.data(), korin::kLiveThresholdSamples).lower, -5.5f);
    EXPECT_EQ(korin::autoThreshold(w.samples.data(), korin::kReplayThresholdSamples).lower, -0.875f);
}

TEST(AutoThreshold, ThresholdKeisannFillsAllSixteenChannelsWithPostHalfMs) {
    std::vector<Windows> buffers;
    const double* chAry[16];
    for (int c = 0; c < 16; ++c) buffers.emplace_back(korin::kLiveThresholdSamples, 0.0, 0.25 * (c + 1));
    for (int c = 0; c < 16; ++c) chAry[c] = buffers[c].samples.data();
    float lower[16], upper[16], post[16];
    korin::thresholdKeisann(chAry, korin::kLiveThresholdSamples, lower, upper, post);
    for (int c = 0; c < 16; ++c) {
        EXPECT_EQ(lower[c], static_cast<float>(-1.375 * (c + 1))) << "channel " << c;
        EXPECT_EQ(upper[c], static_cast<float>(1.375 * (c + 1))) << "channel " << c;
        EXPECT_EQ(post[c], 0.5f);
    }
}

// A raw view 200 px high showing -100 to 100 uV.
const korin::RawViewY kRawY{200, -100.0, 100.0, 1000};

TEST(ManualThreshold, PointerYMapsThroughTheViewRangeToMillivolts) {
    EXPECT_EQ(korin::manualThresholdMv(0, kRawY), 0.1f);
    EXPECT_EQ(korin::manualThresholdMv(100, kRawY), 0.0f);
    EXPECT_EQ(korin::manualThresholdMv(150, kRawY), -0.05f);
}

TEST(ManualThreshold, PointerOutsideTheViewIsClamped) {
    EXPECT_EQ(korin::manualThresholdMv(-20, kRawY), 0.1f);
    EXPECT_EQ(korin::manualThresholdMv(250, kRawY), -0.1f);
}

TEST(ManualThreshold, ViewWithoutVerticalExtentSetsNothing) {
    EXPECT_FALSE(korin::manualThresholdMv(50, korin::RawViewY{200, 5.0, 5.0, 1000}).has_value());
}

// A raw view 1000 px wide showing one second (20 000 samples) from the trace start.
const korin::RawViewX kRawX{1000, 0.0, 20000.0};

TEST(ManualEPWindow, PointerXMapsToMillisecondsAfterTheTraceStart) {
    EXPECT_EQ(korin::pointerToTraceMs(500, kRawX), 500.0f);
    EXPECT_EQ(korin::pointerToTraceMs(0, korin::RawViewX{1000, 2000.0, 20000.0}), 100.0f);
    EXPECT_EQ(korin::pointerToTraceMs(1200, kRawX), 1000.0f);  // clamped to the width
}

TEST(ManualEPWindow, NearerEndMovesAndTiesMoveTheEnd) {
    EXPECT_EQ(korin::nearerEPEdge(30.0f, 10.0f, 80.0f), korin::EPEdge::Start);
    EXPECT_EQ(korin::nearerEPEdge(60.0f, 10.0f, 80.0f), korin::EPEdge::End);
    EXPECT_EQ(korin::nearerEPEdge(45.0f, 10.0f, 80.0f), korin::EPEdge::End);
}

TEST(ManualEPWindow, MovesTheEdgeOfAllSixteenChannels) {
    float start[16], end[16];
    for (int c = 0; c < 16; ++c) start[c] = 10.0f, end[c] = 80.0f;
    EXPECT_EQ(korin::moveNearerEPEdge(30, kRawX, 3, start, end), korin::EPEdge::Start);  // 30 ms
    for (int c = 0; c < 16; ++c) {
        EXPECT_EQ(start[c], 30.0f);
        EXPECT_EQ(end[c], 80.0f);
    }
}

TEST(ManualEPWindow, ViewSpanningNoSamplesSetsTheEdgeToZero) {
    float start[16], end[16];
    for (int c = 0; c < 16; ++c) start[c] = 10.0f, end[c] = 80.0f;
    korin::moveNearerEPEdge(400, korin::RawViewX{1000, 0.0, 0.0}, 0, start, end);
    EXPECT_EQ(start[15], 0.0f);
    EXPECT_EQ(end[15], 80.0f);
}

}  // namespace
