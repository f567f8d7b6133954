// Replay control with a scripted window: which blocks a range replays, the
// sample window, the speeds, pause, stop, single steps and the progress texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquisition/alert_messages.h"
#include "files/file_reader.h"
#include "files/replay_control.h"
#include "tests/engine/file_reader_test_files.h"

using namespace testfiles;
using korin::RunState;

namespace {

class ReplayControlTest : public ::testing::Test {
protected:
    void open(int traces, double durationMs = 1000) {
        RecordingSpec plan;
        plan.traces = traces;
        plan.durationMs = durationMs;
        replay.buttonFileOpen_Click(dir.write("rec.pldat", recording(plan).data));
        ASSERT_TRUE(replay.readerActive);
        // Every block read forward, by its index over the file.
        replay.onBlock = [this] { blocksRead.push_back(replay.reader()->NowBlock - 1); };
    }
    void range(const char* traceFrom, const char* traceTo, const char* msFrom, const char* msTo) {
        window.texts[ReplayText::TraceFrom] = traceFrom;
        window.texts[ReplayText::TraceTo] = traceTo;
        window.texts[ReplayText::TimeFrom] = msFrom;
        window.texts[ReplayText::TimeTo] = msTo;
    }

    TempDir dir;
    HeadlessReplayWindow window;
    korin::ChannelLevels levels;
    ReplayControl replay{window, levels};
    std::vector<int> blocksRead;
};

TEST_F(ReplayControlTest, OpeningFillsTheRangeFromTheFileAndStops) {
    open(3);
    EXPECT_EQ(window.texts[ReplayText::FileName], "rec.pldat");
    EXPECT_EQ(window.texts[ReplayText::TraceTo], "3");
    EXPECT_EQ(window.texts[ReplayText::TimeTo], "1000");
    EXPECT_EQ(window.state, RunState::Stop);
    EXPECT_EQ(replay.reader()->EPline1, levels.EPThreshAry1);
    EXPECT_EQ(replay.reader()->Mthre, levels.yMThreshAry);
}

TEST_F(ReplayControlTest, AFileThatCannotBeParsedAlertsTheReadersMessageAndLeavesNoReader) {
    replay.buttonFileOpen_Click(dir.write("short.pldat", std::vector<std::uint8_t>(50, 0)));
    EXPECT_FALSE(replay.readerActive);
    ASSERT_EQ(window.alerts.size(), 1u);
    EXPECT_FALSE(window.alerts[0].empty());
    replay.toolStripButtonPlay_Click();
    EXPECT_EQ(window.draws, 0);
}

TEST_F(ReplayControlTest, TracesTwoToThreeAndTheFirstHalfSecondReplayBlocksTwoAndFourOnly) {
    open(3);
    range("2", "3", "0", "500");
    replay.toolStripButtonPlay_Click();
    EXPECT_EQ(blocksRead, (std::vector<int>{2, 4}));
    EXPECT_EQ(window.state, RunState::End);
}

TEST_F(ReplayControlTest, ToAt750MsCutsTheSecondBlockOfATraceAtSample5000) {
    open(1);
    range("1", "1", "0", "750");
    replay.toolStripButtonPlay_Click();
    EXPECT_EQ(blocksRead, (std::vector<int>{0, 1}));
    EXPECT_EQ(replay.reader()->OwariPoint, 5000);
    EXPECT_EQ(replay.reader()->DrawChartMaxIndex, 15000);
}

TEST_F(ReplayControlTest, InTraceTimeAgreesWithTheRuleTraceByTrace) {
    open(4, 1500);  // 3 blocks per trace
    struct Case {
        int traceFrom, traceTo, msFrom, msTo;
    };
    for (const Case& c : {Case{1, 4, 0, 1500}, Case{2, 3, 0, 500}, Case{1, 4, 600, 1000}, Case{3, 3, 499, 501},
                          Case{1, 2, 0, 2000}, Case{2, 4, 1000, 1500}, Case{4, 1, 0, 1500}}) {
        range(std::to_string(c.traceFrom).c_str(), std::to_string(c.traceTo).c_str(),
              std::to_string(c.msFrom).c_str(), std::to_string(c.msTo).c_str());
        const int F = c.msFrom / 500, E = (c.msTo + 499) / 500;
        for (int n = 0; n < 14; ++n) {
            bool inRange = false;
            for (int t = c.traceFrom; t <= c.traceTo; ++t) inRange |= (t - 1) * 3 + F <= n && n < (t - 1) * 3 + E;
            EXPECT_EQ(replay.inTraceTime(n), inRange) << "block " << n << " of traces " << c.traceFrom << "-"
                                                      << c.traceTo << ", " << c.msFrom << "-" << c.msTo << " ms";
        }
    }
}

TEST_F(ReplayControlTest, SpeedTextsGiveTheirDelays) {
    struct Case {
        const char* text;
        int ms;
    };
    for (const Case& c : {Case{"Fast", 0}, Case{"Normal", 25}, Case{"Slow", 500}, Case{"fast", 500}})
        EXPECT_EQ(ReplayControl::delayForSpeed(c.text), c.ms) << c.text;
}

TEST_F(ReplayControlTest, NormalSpeedWaitsOnTheDelayThreadAfterEveryBlock) {
    open(1);
    window.texts[ReplayText::Delay] = "Normal";
    long long waitingPolls = 0;
    window.onPoll = [&](long long) { waitingPolls += replay.KyuusiTyuu.load(); };
    replay.toolStripButtonPlay_Click();
    EXPECT_EQ(blocksRead.size(), 2u);
    EXPECT_GT(waitingPolls, 2) << "the loop pumps events while the delay runs";
    EXPECT_EQ(replay.KyuusiTyuu.load(), 0);
}

TEST_F(ReplayControlTest, StopDuringASlowDelayEndsTheWaitAtOnce) {
    open(2);
    window.texts[ReplayText::Delay] = "Slow";
    window.onDraw = [&] { replay.toolStripButtonStop_Click(); };
    replay.toolStripButtonPlay_Click();
    EXPECT_EQ(blocksRead.size(), 1u);
    EXPECT_EQ(window.state, RunState::Stop);
}

TEST_F(ReplayControlTest, PauseThenPlayContinuesWithTheNextBlockWithoutClearingTheBins) {
    open(2);
    window.onDraw = [&] {
        if (window.draws == 2) replay.toolStripButtonPause_Click();
    };
    replay.toolStripButtonPlay_Click();
    EXPECT_EQ(window.state, RunState::Pause);
    EXPECT_DOUBLE_EQ(replay.reader()->spikeIndex, 1.0);
    window.onDraw = nullptr;
    replay.toolStripButtonPlay_Click();
    EXPECT_EQ(blocksRead, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_DOUBLE_EQ(replay.reader()->spikeIndex, 2.0);
    EXPECT_EQ(replay.reader()->EpIndex, 2);
}

TEST_F(ReplayControlTest, TheStatusLineSaysWhatPlayNeedsThenPausedThenFinished) {
    replay.toolStripButtonPlay_Click();
    EXPECT_EQ(window.status, "Open a recording with \"...\" beside \"Filename\" first.");
    open(2);
    window.onDraw = [&] {
        if (window.draws == 2) replay.toolStripButtonPause_Click();
        if (window.draws == 3) {
            EXPECT_EQ(window.status, "Replaying");
        }
    };
    replay.toolStripButtonPlay_Click();
    EXPECT_EQ(window.status, "Replay paused. Play goes on; Stop starts again at the range's first block.");
    replay.toolStripButtonPlay_Click();
    EXPECT_EQ(window.status, "Replay finished");
}

TEST_F(ReplayControlTest, StopThenPlayRestartsAtTheRangesFirstBlockWithClearedAnalysis) {
    open(2);
    range("2", "2", "0", "1000");
    window.onDraw = [&] { replay.toolStripButtonStop_Click(); };
    replay.toolStripButtonPlay_Click();
    window.onDraw = nullptr;
    replay.toolStripButtonPlay_Click();
    EXPECT_EQ(blocksRead, (std::vector<int>{2, 2, 3}));
    EXPECT_EQ(replay.reader()->EpIndex, 1);
    EXPECT_DOUBLE_EQ(replay.reader()->spikeIndex, 1.0);
}

TEST_F(ReplayControlTest, NextOnAFreshFileInitialisesTheFilterAndShowsTheFirstBlockInRange) {
    open(3);
    range("2", "3", "0", "1000");
    window.texts[ReplayText::Highpass] = "1";
    replay.toolStripButtonNext_Click();
    EXPECT_TRUE(replay.reader()->filter->isOn());
    EXPECT_EQ(replay.reader()->NowBlock, 3);
    EXPECT_EQ(replay.reader()->traceNumberIndex, 1);
    EXPECT_EQ(window.state, RunState::Next);
    EXPECT_EQ(window.draws, 1);
}

TEST_F(ReplayControlTest, BackAtTheFirstBlockDoesNothingAndLeavesTheStepState) {
    open(1);
    replay.toolStripButtonNext_Click();
    replay.toolStripButtonBack_Click();
    EXPECT_EQ(replay.reader()->NowBlock, 1);
    EXPECT_EQ(window.state, RunState::Next);
    EXPECT_EQ(window.draws, 1);
}

TEST_F(ReplayControlTest, BackThenNextReadsTheNewestBlockAgainWithoutCountingItTwice) {
    open(1, 5000);
    for (int i = 0; i < 7; ++i) replay.toolStripButtonNext_Click();
    replay.toolStripButtonBack_Click();
    EXPECT_EQ(replay.reader()->NowBlock, 1) << "block 1 is prepended to the window of blocks 2 to 6";
    replay.toolStripButtonNext_Click();
    EXPECT_EQ(replay.reader()->traceBlockNumberIndex, 6);
    EXPECT_DOUBLE_EQ(replay.reader()->spikeIndex, 3.5);
}

TEST_F(ReplayControlTest, NextAfterStepsBackToTheFirstBlockKeepsTheAnalysis) {
    open(1, 5000);
    for (int i = 0; i < 6; ++i) replay.toolStripButtonNext_Click();
    replay.toolStripButtonBack_Click();
    ASSERT_EQ(replay.reader()->NowBlock, 0);
    replay.toolStripButtonNext_Click();
    EXPECT_EQ(replay.reader()->traceBlockNumberIndex, 1) << "a trace's first block starts the window afresh";
    EXPECT_DOUBLE_EQ(replay.reader()->spikeIndex, 3.0) << "six blocks, none counted twice";
}

TEST_F(ReplayControlTest, BackStopNextShowsTheRangesFirstBlockWithClearedAnalysis) {
    open(1, 5000);
    for (int i = 0; i < 7; ++i) replay.toolStripButtonNext_Click();
    replay.toolStripButtonBack_Click();
    replay.toolStripButtonStop_Click();
    replay.toolStripButtonNext_Click();
    const FileReader& r = *replay.reader();
    EXPECT_EQ(r.NowBlock, 1);
    EXPECT_EQ(r.traceBlockNumberIndex, 0);
    EXPECT_EQ(r.BlockNum, 1);
    EXPECT_DOUBLE_EQ(r.spikeIndex, 0.5);
    EXPECT_EQ(r.EpIndex, 1);
    EXPECT_EQ(window.texts[ReplayText::LabelRemaining], "00:00:00");
}

TEST_F(ReplayControlTest, BackPastTheStartOfARangeFromTraceTwoStaysOnItsFirstBlockAndNextKeepsTheAnalysis) {
    open(3);  // two blocks per trace: trace 2 is blocks 2 and 3
    range("2", "3", "0", "1000");
    for (int i = 0; i < 3; ++i) replay.toolStripButtonNext_Click();
    const FileReader& r = *replay.reader();
    const double bins = r.spikeIndex;
    ASSERT_EQ(r.EpIndex, 2);
    for (int i = 0; i < 3; ++i) replay.toolStripButtonBack_Click();
    EXPECT_EQ(r.NowBlock, 2);
    EXPECT_EQ(r.BlockNum, 1);
    EXPECT_EQ(r.DrawChartMaxIndex, 10000);
    EXPECT_DOUBLE_EQ(r.chAry[0][0], identityCount(2, 0, 0) * kCf2000) << "block 2 is shown";
    EXPECT_EQ(window.texts[ReplayText::LabelTrace], "0002");
    EXPECT_EQ(window.texts[ReplayText::LabelRemaining], "00:00:00");

    replay.toolStripButtonNext_Click();
    EXPECT_EQ(r.traceNumberIndex, 1);
    EXPECT_EQ(r.traceBlockNumberIndex, 1);
    EXPECT_EQ(r.DrawChartMaxIndex, 20000);
    EXPECT_DOUBLE_EQ(r.spikeIndex, bins);
    EXPECT_EQ(r.EpIndex, 2);
}

TEST_F(ReplayControlTest, BackWithNoBlockOfTheRangeBeforeTheWindowChangesNothing) {
    struct Case {
        const char *traceFrom, *traceTo, *msFrom;
        int nexts;
    };
    // Traces of 1 s, two blocks each: the window already holds the range's first block.
    for (const Case& c : {Case{"2", "3", "0", 1}, Case{"3", "3", "0", 2}, Case{"2", "3", "500", 1}}) {
        open(3);
        range(c.traceFrom, c.traceTo, c.msFrom, "1000");
        for (int i = 0; i < c.nexts; ++i) replay.toolStripButtonNext_Click();
        const FileReader& r = *replay.reader();
        const std::int32_t block = r.NowBlock, shown = r.BlockNum, samples = r.DrawChartMaxIndex;
        const double first = r.chAry[0][0];
        const auto labels = window.texts;
        const int draws = window.draws;
        replay.toolStripButtonBack_Click();
        const std::string where = std::string("traces ") + c.traceFrom + "-" + c.traceTo + " from " + c.msFrom;
        EXPECT_EQ(r.NowBlock, block) << where;
        EXPECT_EQ(r.BlockNum, shown) << where;
        EXPECT_EQ(r.DrawChartMaxIndex, samples) << where;
        EXPECT_EQ(r.chAry[0][0], first) << where;
        EXPECT_EQ(window.texts, labels) << where;
        EXPECT_EQ(window.draws, draws) << where;
        EXPECT_EQ(window.state, RunState::Next) << where;
    }
}

TEST_F(ReplayControlTest, ProgressShowsTraceNumbersWithFourDigitsAndTheTimeAtTheBlocksEnd) {
    EXPECT_EQ(ReplayControl::traceHyouzi(6 + 1), "0007");
    EXPECT_EQ(ReplayControl::traceHyouzi(1234), "1234");
    open(1, 2000);
    for (int i = 0; i < 4; ++i) replay.toolStripButtonNext_Click();
    EXPECT_EQ(replay.reader()->traceBlockNumberIndex, 3);
    EXPECT_EQ(window.texts[ReplayText::LabelRemaining], "00:00:02");
    EXPECT_EQ(window.texts[ReplayText::LabelTrace], "0001");
}

TEST_F(ReplayControlTest, ARangeTextThatIsNotANumberAlertsAndReplaysNothing) {
    open(1);
    window.texts[ReplayText::TimeTo] = "1 s";
    replay.toolStripButtonPlay_Click();
    EXPECT_TRUE(blocksRead.empty());
    ASSERT_EQ(window.alerts.size(), 1u);
    EXPECT_EQ(window.alerts[0], korin::alerts::kNumericalValue);
    EXPECT_EQ(window.state, RunState::Stop);
}

TEST_F(ReplayControlTest, LeavingReplayModeStopsAPausedReplay) {
    open(2);
    window.onDraw = [&] { replay.toolStripButtonPause_Click(); };
    replay.toolStripButtonPlay_Click();
    replay.leaveReplayMode();
    EXPECT_EQ(window.state, RunState::Stop);
    EXPECT_EQ(replay.PauseTyuu.load(), 0);
    EXPECT_EQ(replay.reader()->NowBlock, 0);
}

}  // namespace
