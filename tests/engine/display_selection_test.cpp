#include "display/replay_channel_selector.h"
#include "display/selected_view_update.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(ReplayChannelButtons, OpeningAFileSelectsPresentChannelsAndGreysAbsentOnes) {
    std::array<std::uint8_t, 16> present{};
    present.fill(1);
    present[4] = 0;
    ReplayChannelSelector sel;
    sel.ChSelector(present.data());
    EXPECT_EQ(sel.buttonColor(0), ViewColors::BackColor1);
    EXPECT_EQ(sel.buttonColor(4), colors::kButtonGrey);
    std::array<std::uint8_t, 16> flags{};
    sel.GetSelectCh(flags.data());
    for (int c = 0; c < 16; ++c) EXPECT_EQ(flags[c], c == 4 ? 0 : 1) << c;
}

TEST(ReplayChannelButtons, ClickTogglesBetweenWhiteAndGrey) {
    std::array<std::uint8_t, 16> present{};
    present.fill(1);
    ReplayChannelSelector sel;
    sel.ChSelector(present.data());
    sel.buttonChrep_Click(7);
    std::array<std::uint8_t, 16> flags{};
    sel.GetSelectCh(flags.data());
    EXPECT_EQ(flags[7], 0);
    EXPECT_EQ(sel.buttonColor(7), colors::kButtonGrey);
    sel.buttonChrep_Click(7);
    sel.GetSelectCh(flags.data());
    EXPECT_EQ(flags[7], 1);
}

TEST(ReplayChannelButtons, ChannelAbsentFromTheFileCannotBeSelected) {
    std::array<std::uint8_t, 16> present{};
    present[0] = 1;
    ReplayChannelSelector sel;
    sel.ChSelector(present.data());
    sel.buttonChrep_Click(9);
    sel.buttonChrep_Click(-1);
    sel.buttonChrep_Click(16);
    std::array<std::uint8_t, 16> flags{};
    sel.GetSelectCh(flags.data());
    EXPECT_EQ(flags[9], 0);
    EXPECT_EQ(flags[0], 1);
}

TEST(SelectedViewsAfterLiveFrame, SpikeModeFollowsTheLast10SecondsOfTheTrace) {
    SelectedViewInput in;
    in.timeInTraceSec = 12.5;
    in.elapsedRunSec = 42.0;
    const SelectedViewPlan p = planAfterLiveFrame(in);
    EXPECT_TRUE(p.setRawRange);
    EXPECT_DOUBLE_EQ(p.rawXMin, 2.5);
    EXPECT_DOUBLE_EQ(p.rawXMax, 12.5);
    EXPECT_TRUE(p.drawSelectCh);
    EXPECT_FALSE(p.drawFreq);  // no bin completed, no size change
}

TEST(SelectedViewsAfterLiveFrame, RawRangeStartsAt0EarlyInTheTrace) {
    SelectedViewInput in;
    in.timeInTraceSec = 3.0;
    const SelectedViewPlan p = planAfterLiveFrame(in);
    EXPECT_DOUBLE_EQ(p.rawXMin, 0.0);
    EXPECT_DOUBLE_EQ(p.rawXMax, 10.0);
}

TEST(SelectedViewsAfterLiveFrame, SpikeModeRedrawsRatesWhenABinCompletes) {
    SelectedViewInput in;
    in.elapsedRunSec = 42.0;
    in.FreqDrawTiming = true;
    const SelectedViewPlan p = planAfterLiveFrame(in);
    EXPECT_TRUE(p.drawFreq);
    EXPECT_TRUE(p.setFreqRange);
    EXPECT_DOUBLE_EQ(p.freqXMax, 42.5);
    EXPECT_TRUE(p.clearSizechange);
}

TEST(SelectedViewsAfterLiveFrame, MinutesDivideTheAnalysisRangeBy60) {
    SelectedViewInput in;
    in.Mode = AnalysisMode::ISI;
    in.EpXScale = 60000;
    in.elapsedRunSec = 119.5;
    const SelectedViewPlan p = planAfterLiveFrame(in);
    EXPECT_TRUE(p.drawFreq);
    EXPECT_DOUBLE_EQ(p.freqXMax, 2.0);
}

TEST(SelectedViewsAfterLiveFrame, EPModeKeepsTheUsersRawRangeAndEndsAfterTheTrace) {
    SelectedViewInput in;
    in.Mode = AnalysisMode::EP;
    in.elapsedRunSec = 30.0;
    in.traceDurationSec = 20.0;
    SelectedViewPlan p = planAfterLiveFrame(in);
    EXPECT_FALSE(p.setRawRange);
    EXPECT_TRUE(p.drawFreq);
    EXPECT_DOUBLE_EQ(p.freqXMax, 50.0);
    in.rawRangeTextsNumeric = false;
    p = planAfterLiveFrame(in);
    EXPECT_TRUE(p.setRawRange);
}

TEST(SelectedViewsAfterReplayFrame, BlockAt12SecondsWith10SecondHistoryStartsAt2Point5) {
    SelectedViewInput in;
    in.blockOffsetMs = 12000.0;
    const SelectedViewPlan p = planAfterReplayFrame(in);
    EXPECT_DOUBLE_EQ(p.rawXMin, 2.5);
    EXPECT_DOUBLE_EQ(p.rawXMax, 12.5);
}

TEST(SelectedViewsAfterReplayFrame, BeforeTheHistoryIsFullTheRangeStartsAt0) {
    SelectedViewInput in;
    in.blockOffsetMs = 9500.0;
    const SelectedViewPlan p = planAfterReplayFrame(in);
    EXPECT_DOUBLE_EQ(p.rawXMin, 0.0);
    EXPECT_DOUBLE_EQ(p.rawXMax, 10.0);
}

TEST(SelectedViewsAfterReplayFrame, AnalysisRangeEndsOneSecondAfterTheReaderOrAfterTheLongestTrace) {
    SelectedViewInput in;
    in.replayElapsedSec = 7.0;
    in.sizechange = true;
    EXPECT_DOUBLE_EQ(planAfterReplayFrame(in).freqXMax, 8.0);
    in.Mode = AnalysisMode::EP;
    in.longestTraceSec = 60.0;
    EXPECT_DOUBLE_EQ(planAfterReplayFrame(in).freqXMax, 67.0);
}

}  // namespace
