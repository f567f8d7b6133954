#include "processing/readouts.h"

#include <gtest/gtest.h>

namespace {

// 0 to 10 s across 1000 px (0.1 px per ms); 0 to 100 down 100 px (1 px per unit).
const korin::AnalysisView kView{0.0, 10000.0, 1000, 100, 0.0, 100.0};

// One bin ending at 1000 ms with 20 spikes: plotted at (100, 80).
const std::int16_t kCounts[] = {20, 0};
const double kEndTimes[] = {1000.0, 2000.0};
const korin::BinsView kBins{kCounts, kEndTimes, 1.5};

TEST(SpikeRateReadout, PointerFivePixelsAwayInXAndYStillHits) {
    const korin::PointerReadout r = korin::getRecFreqSpikeZahyou(kBins, kView, 105, 85);
    ASSERT_TRUE(r.hit());
    EXPECT_EQ(r.x, 1.0f);  // seconds, to 0.1
    EXPECT_EQ(r.y, 20.0f);
    EXPECT_TRUE(korin::getReadFreqSpikeZahyou(kBins, kView, 95, 75).hit());
}

TEST(SpikeRateReadout, PointerSixPixelsAwayMisses) {
    const korin::PointerReadout r = korin::getRecFreqSpikeZahyou(kBins, kView, 106, 80);
    EXPECT_FALSE(r.hit());
    EXPECT_EQ(r.x, -1.0f);
    EXPECT_EQ(r.y, -1.0f);
    EXPECT_FALSE(korin::getRecFreqSpikeZahyou(kBins, kView, 100, 86).hit());
}

TEST(SpikeRateReadout, OnlyBinsBelowTheWholeBinIndexArePlotted) {
    // Bin 1 (2000 ms, 0 spikes, at (200, 100)) is still open at spikeIndex 1.5.
    EXPECT_FALSE(korin::getRecFreqSpikeZahyou(kBins, kView, 200, 100).hit());
}

TEST(SpikeRateReadout, PointsOutsideTheXRangeAreSkipped) {
    const korin::AnalysisView later{2000.0, 12000.0, 1000, 100, 0.0, 100.0};
    // Bin 0 would sit at x = -100; nothing may be found anywhere near it.
    EXPECT_FALSE(korin::getRecFreqSpikeZahyou(kBins, later, -100, 80).hit());
}

TEST(ISIReadout, IntervalOfStampsTwoHundredFortyApartReadsTwelveMs) {
    const std::int32_t stamps[] = {19760, 20000};  // the second at 1000 ms
    const korin::StampsView view{stamps, 2};
    const korin::PointerReadout r = korin::getRecISIZahyou(view, kView, 100, 88);
    ASSERT_TRUE(r.hit());
    EXPECT_EQ(r.index, 1);
    EXPECT_EQ(r.x, 1.0f);
    EXPECT_EQ(r.y, 12.0f);
}

TEST(ISIReadout, FirstStampHasNoPoint) {
    const std::int32_t stamps[] = {20000};
    EXPECT_FALSE(korin::getReadISIZahyou(korin::StampsView{stamps, 1}, kView, 100, 100).hit());
}

TEST(EPStepFilter, NoStepsShowsEveryEntry) {
    for (int shown : {-1, 1, 2})
        for (int k = 0; k < 4; ++k) EXPECT_TRUE(korin::epEntryShown(k, shown, 0)) << shown << " " << k;
}

TEST(EPStepFilter, OneStepShowsEveryEntry) {
    for (int shown : {-1, 1, 2})
        for (int k = 0; k < 4; ++k) EXPECT_TRUE(korin::epEntryShown(k, shown, 1)) << shown << " " << k;
}

TEST(EPStepFilter, TwoStepsAlternate) {
    EXPECT_TRUE(korin::epEntryShown(0, 1, 2));
    EXPECT_FALSE(korin::epEntryShown(1, 1, 2));
    EXPECT_TRUE(korin::epEntryShown(1, 2, 2));
    EXPECT_FALSE(korin::epEntryShown(2, 2, 2));
    for (int k = 0; k < 4; ++k) EXPECT_TRUE(korin::epEntryShown(k, -1, 2));
}

TEST(EPStepFilter, AllStepsOfThreeShowOnlyTheFirstTwo) {
    EXPECT_TRUE(korin::epEntryShown(3, -1, 3));
    EXPECT_TRUE(korin::epEntryShown(4, -1, 3));
    EXPECT_FALSE(korin::epEntryShown(5, -1, 3));
}

// Entries at 2000 ms and 4000 ms of -8192 and -4096 counts (range "2000": -500 and
// -250 uV), drawn on a view from -1000 to 0 uV: (200, 50) and (400, 25).
const std::int16_t kAmplitudes[] = {-8192, -4096};
const double kEntryTimes[] = {2000.0, 4000.0};
const korin::AnalysisView kEPPlot{0.0, 10000.0, 1000, 100, -1000.0, 0.0};

korin::EPView epView(korin::CountScale scale, int steps, int shownStep) {
    return korin::EPView{kAmplitudes, kEntryTimes, 2, scale, 1000, 1000, steps, shownStep};
}

TEST(EPReadout, ReplayShowsTimeInSecondsAndAmplitudeInMicrovolts) {
    const korin::PointerReadout r =
        korin::getReadEPZahyou(epView(korin::CountScale::file(1.0 / 16384), 0, -1), kEPPlot, 200, 50);
    ASSERT_TRUE(r.hit());
    EXPECT_EQ(r.x, 2.0f);
    EXPECT_EQ(r.y, -500.0f);
}

TEST(EPReadout, EntriesOfAHiddenStepAreNotFound) {
    const auto view = epView(korin::CountScale::live(16384.0), 2, 1);
    EXPECT_FALSE(korin::getReadEPZahyou(view, kEPPlot, 400, 25).hit());
    EXPECT_TRUE(korin::getReadEPZahyou(view, kEPPlot, 200, 50).hit());
}

TEST(EPReadout, LiveAddsTheIntensitiesOfTheEntrysStep) {
    korin::StepIntensity step1;
    step1.enabled = true;
    step1.maxAbsIntensity = {50.0f, 20.0f};
    step1.byRepetition = {true, false};
    step1.increment = {10.0f, 0.0f};
    const korin::EPStimReadout r =
        korin::getRecEPZahyou(epView(korin::CountScale::live(16384.0), 0, -1), kEPPlot, step1, {}, 400, 25);
    ASSERT_TRUE(r.hit());
    EXPECT_EQ(r.y, -250.0f);
    EXPECT_EQ(r.f1, 60.0f);  // repetition 1
    EXPECT_EQ(r.f2, 20.0f);
}

TEST(StimulusIntensity, IncrementOfTenRaisesFiftyByRepetition) {
    korin::StepIntensity step;
    step.maxAbsIntensity = {50.0f, 0.0f};  // the largest of |-50| and smaller pulses
    step.byRepetition = {true, false};
    step.increment = {10.0f, 0.0f};
    EXPECT_EQ(korin::getMaxIntensity(step, 0, 0), 50.0f);
    EXPECT_EQ(korin::getMaxIntensity(step, 0, 1), 60.0f);
    EXPECT_EQ(korin::getMaxIntensity(step, 0, 2), 70.0f);
}

TEST(StimulusIntensity, NegativeResultIsClampedToZero) {
    korin::StepIntensity step;
    step.maxAbsIntensity = {50.0f, 0.0f};
    step.byRepetition = {true, false};
    step.increment = {-30.0f, 0.0f};
    EXPECT_EQ(korin::getMaxIntensity(step, 0, 1), 20.0f);
    EXPECT_EQ(korin::getMaxIntensity(step, 0, 2), 0.0f);
}

TEST(StimulusIntensity, WithBothStepsEntriesAlternate) {
    korin::StepIntensity step1, step2;
    step1.enabled = step2.enabled = true;
    step1.maxAbsIntensity = {10.0f, 0.0f};
    step2.maxAbsIntensity = {30.0f, 0.0f};
    step2.byRepetition = {true, false};
    step2.increment = {5.0f, 0.0f};
    EXPECT_EQ(korin::epEntryIntensities(2, step1, step2)[0], 10.0f);
    EXPECT_EQ(korin::epEntryIntensities(3, step1, step2)[0], 35.0f);  // step 2, repetition 1
    EXPECT_EQ(korin::epEntryIntensities(3, {}, {})[0], 0.0f);
}

}  // namespace
