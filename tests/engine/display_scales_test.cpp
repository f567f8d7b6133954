#include "display/raw_scales.h"
#include "display/sixteen_channel_settings.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(RawXScale, XAxis1Spans100SamplesAnd500Spans50000) {
    EXPECT_EQ(samplesAcross("1"), 100);
    EXPECT_EQ(samplesAcross("100"), 10000);
    EXPECT_EQ(samplesAcross("500"), 50000);
}

TEST(RawXScale, UnreadableStoredValueFallsBackTo500) {
    EXPECT_EQ(samplesAcross("abc"), 50000);
    EXPECT_EQ(samplesAcross("0"), 50000);
    EXPECT_EQ(samplesAcross(""), 50000);
}

TEST(RawYScale, YAxis50ShowsPlusMinus100MicrovoltsOverTheCell) {
    const CellYScale s = fixedYScale(200, 50.0);
    EXPECT_DOUBLE_EQ(s.zeroOffset, 100.0);
    // y = zeroOffset - uV * s: +100 uV at the top edge, -100 uV at the bottom.
    EXPECT_DOUBLE_EQ(s.zeroOffset - 100.0 * s.pixelsPerMicrovolt, 0.0);
    EXPECT_DOUBLE_EQ(s.zeroOffset + 100.0 * s.pixelsPerMicrovolt, 200.0);
}

TEST(RawYScale, AutomaticRangeMapsYmaxToTheTopAndYminToTheBottom) {
    const CellYScale s = autoYScale(100, 30.0, -10.0);
    EXPECT_DOUBLE_EQ(s.zeroOffset - 30.0 * s.pixelsPerMicrovolt, 0.0);
    EXPECT_DOUBLE_EQ(s.zeroOffset + 10.0 * s.pixelsPerMicrovolt, 100.0);
}

TEST(Autoscale, AllZeroChannelGivesPlusMinusATenthOfAMicrovolt) {
    const std::vector<double> zeros(50000, 0.0);
    const double margin = 1000.0 * static_cast<double>(0.0001f);  // 0.09999999747... uV
    EXPECT_DOUBLE_EQ(getAmpYAutoScaleMax(zeros.data(), 50000), margin);
    EXPECT_DOUBLE_EQ(getAmpYAutoScaleMin(zeros.data(), 50000), -margin);
    EXPECT_NEAR(margin, 0.1, 1e-8);
}

TEST(Autoscale, ScansTheWholeArrayIncludingUnfilledZeros) {
    std::vector<double> a(50000, 0.0);
    a[0] = 0.02;       // mV
    a[49999] = 0.05;
    a[1000] = 0.01;
    EXPECT_NEAR(getAmpYAutoScaleMax(a.data(), 50000), 50.1, 1e-6);
    EXPECT_NEAR(getAmpYAutoScaleMin(a.data(), 50000), -0.1, 1e-6);  // the unfilled zeros count
}

TEST(AxisMenus, XItemSetsRawXaxis) {
    SixteenChannelSettings s;
    s.comboduration_SelectedIndexChanged(4);
    EXPECT_EQ(s.RawXaxis, "100");
    EXPECT_EQ(checkedXItem(s.RawXaxis), 4);
}

TEST(AxisMenus, AutoscaleTurnsAutoOnAndKeepsRawYaxis) {
    SixteenChannelSettings s;
    s.RawYaxis = "250";
    s.combovoltage_SelectedIndexChanged(raw_axis::kAutoscaleItem);
    EXPECT_TRUE(s.Rawauto);
    EXPECT_EQ(s.RawYaxis, "250");
    EXPECT_EQ(checkedYItem(s.RawYaxis, s.Rawauto), raw_axis::kAutoscaleItem);
}

TEST(AxisMenus, ValueItemTurnsAutoOffAndTakesTheValue) {
    SixteenChannelSettings s;
    s.combovoltage_SelectedIndexChanged(raw_axis::kAutoscaleItem);
    s.combovoltage_SelectedIndexChanged(1);
    EXPECT_FALSE(s.Rawauto);
    EXPECT_EQ(s.RawYaxis, "2.5");
    EXPECT_EQ(checkedYItem(s.RawYaxis, s.Rawauto), 1);
}

TEST(AxisMenus, RestoredValuesAreCheckedByNumber) {
    EXPECT_EQ(checkedXItem("300.0"), 6);  // "300"
    EXPECT_EQ(checkedYItem("2.50", false), 1);  // "2.5"
    EXPECT_EQ(checkedYItem("5000", false), 12);
}

TEST(AxisMenus, RestoredValueMatchingNoItemChecksNothing) {
    EXPECT_EQ(checkedXItem("abc"), -1);
    EXPECT_EQ(checkedXItem("2.5"), -1);
    EXPECT_EQ(checkedYItem("Autoscale", false), -1);
    EXPECT_EQ(checkedYItem("3", false), -1);
}

TEST(ChannelSelection, IndexAndTextMoveTogether) {
    SixteenChannelSettings s;
    EXPECT_EQ(s.selectedIndex(), 1);
    EXPECT_TRUE(s.selectChannel(12));
    EXPECT_EQ(s.selectCh, 12);
    EXPECT_EQ(s.SelectOneCh, "12");
    EXPECT_FALSE(s.selectChannel(16));
    EXPECT_EQ(s.selectCh, 12);
}

TEST(ChannelSelection, UnreadableTextSelectsNoCell) {
    SixteenChannelSettings s;
    s.SelectOneCh = "x";
    EXPECT_EQ(s.selectedIndex(), -1);
    s.SelectOneCh = "16";
    EXPECT_EQ(s.selectedIndex(), -1);
}

}  // namespace
