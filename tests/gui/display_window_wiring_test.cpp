#include "display/gl/window_wiring.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(WindowWiring, SettingsAreReadFromAndWrittenToTheWindowsFields) {
    QString UIType = "A", RawXaxis = "100", RawYaxis = "2.5", SelectOneCh = "7";
    bool Rawauto = true, sizechange = false, Tatiagari = false, PaintTatiagari = false, Paint16ChFirst = true;
    std::int32_t selectCh = 7;
    std::uint8_t ReplayMode = 0;
    const SixteenChannelBinding b = bindingToFields({&UIType, &RawXaxis, &RawYaxis, &Rawauto, &SelectOneCh, &selectCh,
                                                     &ReplayMode, &sizechange, &Tatiagari, &PaintTatiagari,
                                                     &Paint16ChFirst});
    SixteenChannelSettings s = b.getSettings();
    EXPECT_EQ(s.UIType, "A");
    EXPECT_EQ(s.RawXaxis, "100");
    EXPECT_EQ(s.RawYaxis, "2.5");
    EXPECT_TRUE(s.Rawauto);
    EXPECT_EQ(s.selectedIndex(), 7);
    s.comboduration_SelectedIndexChanged(8);
    s.selectChannel(3);
    b.setSettings(s);
    EXPECT_EQ(RawXaxis, "500");
    EXPECT_EQ(SelectOneCh, "3");
    EXPECT_EQ(selectCh, 3);
    EXPECT_EQ(b.PaintTatiagari, &PaintTatiagari);
}

TEST(WindowWiring, PlanSetsTheRangeBoxesAndDrawsRawBeforeAnalysis) {
    QLineEdit rawMin, rawMax, freqMin, freqMax;
    std::vector<std::string> calls;
    SelectedViewsWiring w;
    w.textBoxRawXMin = &rawMin;
    w.textBoxRawXMax = &rawMax;
    w.textBoxFreqXMin = &freqMin;
    w.textBoxFreqXMax = &freqMax;
    w.DrawSelectCh = [&] { calls.push_back("raw:" + rawMin.text().toStdString()); };
    w.DrawFreqSelectCh = [&] { calls.push_back("freq:" + freqMax.text().toStdString()); };
    SelectedViewInput in;
    in.timeInTraceSec = 12.5;
    in.elapsedRunSec = 42.0;
    in.FreqDrawTiming = true;
    bool sizechange = true;
    applySelectedViewPlan(planAfterLiveFrame(in), w, sizechange);
    EXPECT_EQ(rawMin.text(), "2.5");
    EXPECT_EQ(rawMax.text(), "12.5");
    EXPECT_EQ(freqMin.text(), "0");
    EXPECT_EQ(freqMax.text(), "42.5");
    EXPECT_EQ(calls, (std::vector<std::string>{"raw:2.5", "freq:42.5"}));
    EXPECT_FALSE(sizechange);
}

TEST(WindowWiring, SpikeModeWithoutACompletedBinLeavesTheAnalysisPlotAlone) {
    QLineEdit rawMin, rawMax, freqMin("0"), freqMax("10");
    int analysisDraws = 0;
    SelectedViewsWiring w;
    w.textBoxRawXMin = &rawMin;
    w.textBoxRawXMax = &rawMax;
    w.textBoxFreqXMin = &freqMin;
    w.textBoxFreqXMax = &freqMax;
    w.DrawFreqSelectCh = [&] { ++analysisDraws; };
    bool sizechange = false;
    applySelectedViewPlan(planAfterLiveFrame(SelectedViewInput{}), w, sizechange);
    EXPECT_EQ(freqMax.text(), "10");
    EXPECT_EQ(analysisDraws, 0);
}

}  // namespace
