#include "processing/filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double kRate = 20000.0;
// Dyadic inputs, so every interpolated low-pass input is exact.
const std::vector<double> kSequence = {1.0, 0.5, -0.25, 0.75, 0.125, -1.0, 0.3, 0.0};

std::vector<double> run(Filter& f, int channel, const std::vector<double>& input) {
    std::vector<double> out;
    for (double x : input) out.push_back(f.filterSyori(channel, x));
    return out;
}

void expectExactly(const std::vector<double>& actual, const std::vector<float>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t n = 0; n < expected.size(); ++n)
        EXPECT_EQ(actual[n], static_cast<double>(expected[n])) << "sample " << n;
}

// Gain in dB of a sine at `hz` through channel 0, measured over the last half
// second of two seconds so the start-up transient has died away.
double gainDb(Filter& f, double hz) {
    const int total = 40000;
    const int settle = 30000;
    double inPower = 0;
    double outPower = 0;
    for (int n = 0; n < total; ++n) {
        const double x = std::sin(2.0 * std::numbers::pi * hz * n / kRate);
        const double y = f.filterSyori(0, x);
        if (n >= settle) {
            inPower += x * x;
            outPower += y * y;
        }
    }
    return 10.0 * std::log10(outPower / inPower);
}

TEST(FilterTable, CutOffAboveStrictComparisonsPicksSubSteps) {
    EXPECT_EQ(Filter(1000.0f, 1.0f, 1, 0).subSteps, 1);
    EXPECT_EQ(Filter(2200.0f, 1.0f, 1, 0).subSteps, 1);
    EXPECT_EQ(Filter(2201.0f, 1.0f, 1, 0).subSteps, 2);
    EXPECT_EQ(Filter(4500.0f, 1.0f, 1, 0).subSteps, 2);
    EXPECT_EQ(Filter(4501.0f, 1.0f, 1, 0).subSteps, 4);
    EXPECT_EQ(Filter(9000.0f, 1.0f, 1, 0).subSteps, 4);
    EXPECT_EQ(Filter(9001.0f, 1.0f, 1, 0).subSteps, 8);
}

TEST(FilterTable, At4500HzTheTwoSubStepGainsApply) {
    const Filter at4500(4500.0f, 1.0f, 1, 0);
    EXPECT_EQ(at4500.K1, 0.000231f);
    EXPECT_EQ(at4500.K2, 0.000173f);
    const Filter at4501(4501.0f, 1.0f, 1, 0);
    EXPECT_EQ(at4501.K1, 0.0001155f);
    EXPECT_EQ(at4501.K2, 0.0000865f);
}

TEST(FilterLowPass, FirstSampleReturnsZeroAndRunsOnlyTheFinalSubStep) {
    Filter f(10000.0f, 1.0f, 1, 0);
    EXPECT_EQ(f.filterSyori(0, 1.0), 0.0);
    // One sub-step from zero state with input 1: XX = K2 fc, VV = XX K1 fc.
    const float xx = static_cast<float>(1.0 * (0.0000576666667f * 10000.0));
    EXPECT_EQ(f.XX[0], xx);
    EXPECT_EQ(f.VV[0], static_cast<float>(static_cast<double>(xx) * (0.000077f * 10000.0)));
    EXPECT_EQ(f.oversample[0], 1.0f);
    EXPECT_EQ(f.first[0], 0);
}

TEST(FilterLowPass, ExactOutputsWithOneSubStep) {
    Filter f(1000.0f, 1.0f, 1, 0);
    expectExactly(run(f, 0, kSequence),
                  {0.0f, 0.15985199809074402f, 0.2634597420692444f, 0.21329337358474731f,
                   0.2836357653141022f, 0.27994298934936523f, 0.07420416921377182f,
                   0.04693051800131798f});
}

TEST(FilterLowPass, ExactOutputsWithTwoSubSteps) {
    Filter f(2500.0f, 1.0f, 1, 0);
    expectExactly(run(f, 0, kSequence),
                  {0.0f, 0.40842965245246887f, 0.37684524059295654f, 0.19749829173088074f,
                   0.3781047463417053f, 0.12372422218322754f, -0.2666160762310028f,
                   -0.04720338061451912f});
}

TEST(FilterLowPass, ExactOutputsWithFourSubSteps) {
    Filter f(5000.0f, 1.0f, 1, 0);
    expectExactly(run(f, 0, kSequence),
                  {0.0f, 0.577256441116333f, 0.2679184377193451f, 0.21182234585285187f,
                   0.40836337208747864f, -0.18631355464458466f, -0.3666289150714874f,
                   0.03674933314323425f});
}

TEST(FilterLowPass, ExactOutputsWithEightSubSteps) {
    Filter f(10000.0f, 1.0f, 1, 0);
    expectExactly(run(f, 0, kSequence),
                  {0.0f, 0.6318880319595337f, -0.009628767147660255f, 0.44106003642082214f,
                   0.3136789798736572f, -0.6396708488464355f, -0.10029003769159317f,
                   0.08355940878391266f});
}

TEST(FilterLowPass, ConstantInputPassesUnchanged) {
    Filter f(5000.0f, 1.0f, 1, 0);
    double y = 0;
    for (int n = 0; n < 20000; ++n) y = f.filterSyori(0, 0.75);
    EXPECT_NEAR(y, 0.75, 1e-6);
}

TEST(FilterLowPass, GainAtCutOff1000HzIsAboutMinus3Point3Db) {
    Filter f(1000.0f, 1.0f, 1, 0);
    EXPECT_NEAR(gainDb(f, 1000.0), -3.3, 0.2);
}

TEST(FilterLowPass, GainAtCutOff2500HzIsAboutMinus3Point8Db) {
    Filter f(2500.0f, 1.0f, 1, 0);
    EXPECT_NEAR(gainDb(f, 2500.0), -3.8, 0.2);
}

TEST(FilterLowPass, GainAtCutOff5000HzIsAboutMinus5Point6Db) {
    Filter f(5000.0f, 1.0f, 1, 0);
    EXPECT_NEAR(gainDb(f, 5000.0), -5.6, 0.2);
}

TEST(FilterHighPass, FirstSampleIsReturnedUnchanged) {
    Filter f(5000.0f, 100.0f, 0, 1);
    EXPECT_EQ(f.filterSyori(3, 0.123), static_cast<double>(0.123f));
}

TEST(FilterHighPass, OnlyModeUsesSinglePrecisionConstants) {
    // Sample 4 (0.039891134947538376) differs in its last bit from the value
    // the decimal constants give (0.039891138672828674).
    Filter f(5000.0f, 100.0f, 0, 1);
    expectExactly(run(f, 0, kSequence),
                  {1.0f, 0.4555976986885071f, -0.3156176507472992f, 0.6969615817070007f,
                   0.039891134947538376f, -1.088690996170044f, 0.25779926776885986f,
                   -0.05442453920841217f});
}

TEST(FilterHighPass, ConstantInputDecaysToZero) {
    Filter f(5000.0f, 1.0f, 0, 1);
    double y = 0;
    for (int n = 0; n < 40000; ++n) y = f.filterSyori(0, 1.0);
    EXPECT_NEAR(y, 0.0, 1e-3);
}

TEST(FilterHighPass, GainAtCutOffIsAboutMinus3Db) {
    Filter f(5000.0f, 100.0f, 0, 1);
    EXPECT_NEAR(gainDb(f, 100.0), -3.0, 0.3);
}

TEST(FilterHighPass, GainAtHalfTheCutOffIsAboutMinus12Db) {
    Filter f(5000.0f, 100.0f, 0, 1);
    EXPECT_NEAR(gainDb(f, 50.0), -12.0, 0.5);
}

TEST(FilterBothStages, ExactOutputsWithDecimalHighPassConstants) {
    Filter f(5000.0f, 100.0f, 1, 1);
    expectExactly(run(f, 0, kSequence),
                  {0.0f, 0.5622316002845764f, 0.22335480153560638f, 0.15540003776550293f,
                   0.3436008393764496f, -0.2677631378173828f, -0.43792152404785156f,
                   -0.016558583825826645f});
}

TEST(FilterBothStages, LowPassBehavesAsInLowPassOnlyMode) {
    // A high-pass at 0 Hz passes its input untouched, isolating the low-pass.
    for (float fc : {1000.0f, 2500.0f, 5000.0f, 10000.0f}) {
        Filter both(fc, 0.0f, 1, 1);
        Filter lowOnly(fc, 0.0f, 1, 0);
        for (int n = 0; n < 2000; ++n) {
            const double x = std::sin(n * 0.7) + 0.3 * std::cos(n * 0.13);
            ASSERT_EQ(both.filterSyori(5, x), lowOnly.filterSyori(5, x)) << fc << " Hz, sample " << n;
        }
    }
}

TEST(FilterOff, ReturnsInputRoundedToSinglePrecision) {
    Filter f(5000.0f, 1.0f, 0, 0);
    EXPECT_FALSE(f.isOn());
    EXPECT_EQ(f.filterSyori(0, 0.1), static_cast<double>(0.1f));
}

TEST(FilterChannels, ChannelsDoNotShareState) {
    Filter f(5000.0f, 10.0f, 1, 1);
    for (int n = 0; n < 100; ++n) f.filterSyori(7, 1.0 + n);
    for (int c = 0; c < Filter::kChannels; ++c) {
        if (c == 7) continue;
        EXPECT_EQ(f.XX[c], 0.0f);
        EXPECT_EQ(f.VV[c], 0.0f);
        EXPECT_EQ(f.XX1[c], 0.0f);
        EXPECT_EQ(f.XX2[c], 0.0f);
        EXPECT_EQ(f.oversample[c], 0.0f);
        EXPECT_EQ(f.first[c], 1);
    }
    // A channel that was never fed still treats its next sample as its first.
    EXPECT_EQ(f.filterSyori(8, 2.0), 0.0);
}

TEST(FilterChannels, InterleavedCallsMatchSeparateRuns) {
    auto signal = [](int c, int n) { return std::sin(0.01 * (c + 1) * n) + 0.1 * c; };
    const int scans = 500;
    Filter interleaved(10000.0f, 1.0f, 1, 1);
    std::vector<double> mixed(scans * Filter::kChannels);
    for (int n = 0; n < scans; ++n)
        for (int c = 0; c < Filter::kChannels; ++c)
            mixed[n * Filter::kChannels + c] = interleaved.filterSyori(c, signal(c, n));
    for (int c = 0; c < Filter::kChannels; ++c) {
        Filter alone(10000.0f, 1.0f, 1, 1);
        for (int n = 0; n < scans; ++n)
            ASSERT_EQ(alone.filterSyori(c, signal(c, n)), mixed[n * Filter::kChannels + c])
                << "channel " << c << " sample " << n;
    }
}

TEST(FilterReset, SyokikaRestartsEveryChannel) {
    Filter f(2500.0f, 10.0f, 1, 1);
    const std::vector<double> fresh = run(f, 2, kSequence);
    run(f, 9, kSequence);
    f.syokika();
    EXPECT_EQ(run(f, 2, kSequence), fresh);
    EXPECT_EQ(run(f, 9, kSequence), fresh);
}

TEST(FilterBlock, FilterScansMatchesFilterSyoriScanByScanInEveryMode) {
    struct Mode {
        float fc;
        std::int32_t lpf;
        std::int32_t hpf;
    };
    const Mode modes[] = {{1000.0f, 1, 0}, {2500.0f, 1, 0}, {5000.0f, 1, 1}, {10000.0f, 1, 1},
                          {10000.0f, 0, 1}, {10000.0f, 0, 0}};
    const int scans = 300;
    for (const Mode& m : modes) {
        std::vector<double> block(scans * Filter::kChannels);
        for (size_t k = 0; k < block.size(); ++k) block[k] = std::sin(0.37 * k) + 0.01 * (k % 16);
        Filter bySample(m.fc, 10.0f, m.lpf, m.hpf);
        std::vector<double> expected(block.size());
        for (size_t k = 0; k < block.size(); ++k)
            expected[k] = bySample.filterSyori(static_cast<int>(k % Filter::kChannels), block[k]);
        // In two pieces, so the second starts from carried state.
        Filter byBlock(m.fc, 10.0f, m.lpf, m.hpf);
        byBlock.filterScans(block.data(), 1);
        byBlock.filterScans(block.data() + Filter::kChannels, scans - 1);
        for (size_t k = 0; k < block.size(); ++k)
            ASSERT_EQ(block[k], expected[k]) << m.fc << " Hz LPF " << m.lpf << " HPF " << m.hpf << " value " << k;
        EXPECT_EQ(byBlock.returnbox, bySample.returnbox);
    }
}

}  // namespace
