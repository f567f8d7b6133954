// Replay navigation: the replay range, the sample window, forward and back
// steps through the sixteen-channel window, and analysis that counts each
// block once.
#include <gtest/gtest.h>

#include "files/file_reader.h"
#include "tests/engine/file_reader_test_files.h"

using namespace testfiles;

namespace {

constexpr std::int16_t kSpikeCount = -4096;  // -0.25 mV, beyond a -0.1 mV threshold

// Block n carries n + 1 spikes on channel 1, starting at scans 1000, 2000, ...;
// each spike is 3 scans at -0.25 mV and is accepted 3 scans after its start.
std::int16_t spikesOnChannel1(int n, int k, int j) {
    if (j != 0) return identityCount(n, k, j);
    for (int s = 0; s <= n && s < 9; ++s)
        if (k >= 1000 * (s + 1) && k < 1000 * (s + 1) + 3) return kSpikeCount;
    return 0;
}

class ReplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int c = 0; c < 16; ++c) {
            mthre[c] = -0.1f;
            pthre[c] = 0.1f;
            post[c] = 0.5f;
            ep1[c] = 10.0f;
            ep2[c] = 80.0f;
            selection[c] = 1;
        }
        reader.Mthre = mthre;
        reader.Pthre = pthre;
        reader.Postthre = post;
        reader.EPline1 = ep1;
        reader.EPline2 = ep2;
        reader.ACSelectary = selection;
    }

    void load(const RecordingSpec& plan, const CountFn& count = identityCount) {
        ASSERT_TRUE(reader.open(dir.write("rec.pldat", recording(plan, count).data)));
        ASSERT_TRUE(reader.read());
        reader.syokika();
    }
    void forward(int blocks) {
        for (int i = 0; i < blocks; ++i) ASSERT_TRUE(reader.readData());
    }
    void back() {
        ASSERT_EQ(reader.backBlock(), 1);
        ASSERT_TRUE(reader.readHeader());
        ASSERT_TRUE(reader.backSkip());
    }
    static double mv(int n, int k, int j) { return identityCount(n, k, j) * kCf2000; }

    TempDir dir;
    FileReader reader;
    float mthre[16], pthre[16], post[16], ep1[16], ep2[16];
    std::uint8_t selection[16];
};

TEST_F(ReplayTest, TwoTracesOfTwoBlocksCompleteABinPerTraceAndAnEntryPerTrace) {
    RecordingSpec plan;
    plan.traces = 2;
    load(plan, spikesOnChannel1);
    reader.tracefrom1 = 1;
    reader.traceto1 = 2;
    reader.msfrom1 = 0;
    reader.msto1 = 1000;
    reader.setLastReplayBlock();
    EXPECT_EQ(reader.lastblock, 4);

    int reads = 0;
    while (!reader.isLastBlockReplay()) {
        ASSERT_TRUE(reader.readData());
        ++reads;
        if (reads == 2) {
            EXPECT_EQ(reader.spikeIndex, 1.0);
            EXPECT_TRUE(reader.FreqDrawTiming);
        }
    }
    EXPECT_EQ(reads, 4);
    EXPECT_EQ(reader.spikeIndex, 2.0);
    EXPECT_EQ(reader.SpikeData[0][0], 1 + 2);
    EXPECT_EQ(reader.SpikeData[0][1], 3 + 4);
    EXPECT_EQ(reader.spikeTime[0], 1000.0);
    EXPECT_EQ(reader.spikeTime[1], 2000.0 + 1000.0);
    EXPECT_EQ(reader.EpIndex, 2);
    EXPECT_EQ(reader.epKeikaTime[1], 2000.0);
}

TEST_F(ReplayTest, HalfFilledBinClosesAtTheEndOfAOneAndAHalfSecondTrace) {
    RecordingSpec plan;
    plan.traces = 2;
    plan.durationMs = 1500;
    load(plan, spikesOnChannel1);
    forward(3);
    EXPECT_EQ(reader.spikeIndex, 2.0);
    EXPECT_EQ(reader.SpikeData[0][1], 3);  // the third block alone
    forward(1);
    EXPECT_EQ(reader.SpikeData[0][2], 4);  // the next trace starts bin 2
    EXPECT_EQ(reader.spikeIndex, 2.5);
}

TEST_F(ReplayTest, SampleWindowKeepsTheRangePackedToTheFront) {
    load({});
    reader.KaisiPoint = 5000;  // 250 ms into block 0
    reader.OwariPoint = 10000;
    forward(1);
    EXPECT_EQ(reader.aryData[3], mv(0, 5000, 3));
    EXPECT_EQ(reader.aryData[16 * 4999 + 3], mv(0, 9999, 3));
    EXPECT_EQ(reader.aryData[16 * 5000 + 3], 0.0);
    EXPECT_EQ(reader.DrawChartMaxIndex, 5000);

    reader.KaisiPoint = 0;
    reader.OwariPoint = 5000;  // up to 750 ms: the first half of block 1
    forward(1);
    EXPECT_EQ(reader.aryData[3], mv(1, 0, 3));
    EXPECT_EQ(reader.aryData[16 * 4999 + 3], mv(1, 4999, 3));
    EXPECT_EQ(reader.aryData[16 * 5000 + 3], 0.0);
    EXPECT_EQ(reader.DrawChartMaxIndex, 10000);
}

TEST_F(ReplayTest, SelectedChannelHistoryHoldsOnlyTheKeptSamplesBackToBack) {
    load({});
    reader.KaisiPoint = 5000;
    forward(1);
    reader.KaisiPoint = 0;
    reader.OwariPoint = 5000;
    forward(1);
    EXPECT_EQ(reader.DrawSelectChMaxIndex, 10000);
    EXPECT_EQ(reader.selectChdataIndex, 10000);
    EXPECT_EQ(reader.selectChAry[2][4999], mv(0, 9999, 2));
    EXPECT_EQ(reader.selectChAry[2][5000], mv(1, 0, 2));
}

TEST_F(ReplayTest, HistoryKeepsTheNewestTenSecondsOldestFirst) {
    RecordingSpec plan;
    plan.durationMs = 16000;  // 32 blocks in one trace
    load(plan);
    forward(32);
    EXPECT_EQ(reader.DrawSelectChMaxIndex, 200000);
    EXPECT_EQ(reader.selectChAry[7][0], mv(12, 0, 7));
    EXPECT_EQ(reader.selectChAry[7][199999], mv(31, 9999, 7));
    EXPECT_EQ(reader.selectChAry[7][100000], mv(22, 0, 7));
}

TEST_F(ReplayTest, WindowShiftsLeftOnceFiveBlocksAreShown) {
    RecordingSpec plan;
    plan.durationMs = 3500;
    load(plan);
    forward(7);
    EXPECT_EQ(reader.BlockNum, 5);
    EXPECT_EQ(reader.DrawChartMaxIndex, 50000);
    EXPECT_EQ(reader.chAry[4][0], mv(2, 0, 4));
    EXPECT_EQ(reader.chAry[4][49999], mv(6, 9999, 4));
}

TEST_F(ReplayTest, UnselectedChannelsAreNotWrittenToTheWindow) {
    load({});
    selection[5] = 0;
    forward(1);
    EXPECT_EQ(reader.chAry[5][0], 0.0);
    EXPECT_EQ(reader.chAry[6][0], mv(0, 0, 6));
}

TEST_F(ReplayTest, StepBackAndForwardAgainReadsBlockNineWithoutCountingItTwice) {
    RecordingSpec plan;
    plan.durationMs = 5000;  // blocks 0 to 9 in one trace
    load(plan, spikesOnChannel1);
    forward(10);
    const std::int32_t stamps = reader.spikeCount[0];
    const std::int16_t lastBin = reader.SpikeData[0][4];
    const double index = reader.spikeIndex;

    ASSERT_EQ(reader.backBlock(), 1);
    EXPECT_EQ(reader.NowBlock, 4);
    ASSERT_TRUE(reader.readHeader());
    ASSERT_TRUE(reader.backSkip());
    EXPECT_EQ(reader.chAry[3][0], mv(4, 0, 3));
    EXPECT_EQ(reader.chAry[3][40000], mv(8, 0, 3));

    ASSERT_TRUE(reader.readData());
    EXPECT_EQ(reader.traceBlockNumberIndex, 9);
    EXPECT_EQ(reader.chAry[3][40000], mv(9, 0, 3));
    EXPECT_EQ(reader.spikeCount[0], stamps);
    EXPECT_EQ(reader.SpikeData[0][4], lastBin);
    EXPECT_EQ(reader.spikeIndex, index);
    EXPECT_EQ(reader.EpIndex, 1);
}

TEST_F(ReplayTest, ForwardAgainOverATraceStartAddsNoSecondEvokedPotential) {
    RecordingSpec plan;
    plan.traces = 2;
    plan.durationMs = 2500;  // 5 blocks per trace
    load(plan, spikesOnChannel1);
    forward(10);
    ASSERT_EQ(reader.EpIndex, 2);
    const std::int32_t stamps = reader.spikeCount[0];
    for (int i = 0; i < 5; ++i) back();  // back to block 0
    EXPECT_EQ(reader.NowBlock, 0);
    while (reader.NowBlock < 10) ASSERT_TRUE(reader.readData());
    EXPECT_EQ(reader.EpIndex, 2);
    EXPECT_EQ(reader.spikeCount[0], stamps);
}

TEST_F(ReplayTest, BlocksSeenBeforeAreNotCountedAgainWhenTheShownChannelIsNotReplayed) {
    RecordingSpec plan;
    plan.durationMs = 5000;
    load(plan, spikesOnChannel1);
    reader.selectch = 3;
    selection[3] = 0;
    forward(10);
    const std::int32_t stamps = reader.spikeCount[0];
    back();
    forward(1);
    EXPECT_EQ(reader.spikeCount[0], stamps);
    EXPECT_EQ(reader.NowSeleIndex, 0);
}

TEST_F(ReplayTest, StepBackAtTheFirstBlockReturnsZeroAndChangesNothing) {
    RecordingSpec plan;
    plan.durationMs = 5000;
    load(plan);
    EXPECT_EQ(reader.backBlock(), 0);
    EXPECT_EQ(reader.NowBlock, 0);

    forward(5);  // window holds blocks 0 to 4: nothing before it
    EXPECT_EQ(reader.backBlock(), 0);
    EXPECT_EQ(reader.NowBlock, 5);
    EXPECT_EQ(reader.BlockNum, 5);

    reader.NowBlock = 0;
    reader.BackTyuu = true;
    EXPECT_EQ(reader.backBlock(), 0);
    EXPECT_EQ(reader.NowBlock, 0);
}

TEST_F(ReplayTest, StepBackIntoAPartlyFilledWindowResumesAfterItsNewestBlock) {
    RecordingSpec plan;
    plan.traces = 2;
    plan.durationMs = 2500;
    plan.traceIntervalMs = 4000;
    load(plan);
    forward(7);  // trace 2 started at block 5: the window holds blocks 5 and 6
    ASSERT_EQ(reader.BlockNum, 2);
    back();
    EXPECT_EQ(reader.NowBlock, 4);
    EXPECT_EQ(reader.BlockNum, 3);
    EXPECT_EQ(reader.chAry[0][20000], mv(6, 0, 0));
    EXPECT_EQ(reader.traceOffsetTime, 4000.0);  // the newest block, 6
    EXPECT_EQ(reader.blockOffsetTime, 500.0);
    EXPECT_EQ(reader.getKeikaTimeSec(), 4);

    ASSERT_TRUE(reader.readData());
    EXPECT_EQ(reader.traceNumberIndex, 1);
    EXPECT_EQ(reader.traceBlockNumberIndex, 2);  // block 7
}

TEST_F(ReplayTest, ElapsedSecondsAreTheNewestBlockStartTruncated) {
    RecordingSpec plan;
    plan.traces = 2;
    plan.durationMs = 2000;
    plan.traceIntervalMs = 2300;
    load(plan);
    forward(6);  // trace 2 block 1: 2300 + 500 ms
    EXPECT_EQ(reader.getKeikaTimeSec(), 2);
    forward(1);  // 2300 + 1000
    EXPECT_EQ(reader.getKeikaTimeSec(), 3);
}

TEST_F(ReplayTest, LastReplayBlockFollowsTheNominalBlocksPerTrace) {
    RecordingSpec plan;
    plan.traces = 3;
    plan.durationMs = 1200;  // 3 blocks per trace, the last short
    load(plan);
    reader.traceto1 = 2;
    reader.msto1 = 750;
    reader.setLastReplayBlock();
    EXPECT_EQ(reader.lastblock, 5);
    reader.NowBlock = 4;
    EXPECT_FALSE(reader.isLastBlockReplay());
    reader.NowBlock = 5;
    EXPECT_TRUE(reader.isLastBlockReplay());
    reader.traceto1 = 4;  // beyond the file
    reader.setLastReplayBlock();
    reader.NowBlock = 9;
    EXPECT_TRUE(reader.isLastBlockReplay());
}

TEST_F(ReplayTest, TimeStampsAreSamplesSinceTheRunStart) {
    RecordingSpec plan;
    plan.traces = 2;
    load(plan, spikesOnChannel1);
    forward(4);
    // Block 3 starts at 2000 + 500 ms: 50 000 ticks; its first spike is accepted at scan 1003.
    ASSERT_EQ(reader.spikeCount[0], 1 + 2 + 3 + 4);
    EXPECT_EQ(reader.TimeStampData[0][6], 50000 + 1003);
    EXPECT_EQ(reader.TimeStampData[0][0], 1003);
    EXPECT_EQ(reader.spikeCount[1], 0);
}

TEST_F(ReplayTest, AReplayPastTheLast32BitTickStoresNoStampBeyondItAndSaysSoOnce) {
    RecordingSpec plan;
    plan.traces = 2;
    plan.durationMs = 2000;
    // Trace 2 starts at tick 2 147 453 968: its third block's spikes end 27 003
    // ticks on, its fourth block starts 30 000 on, past 2^31 - 1.
    plan.traceIntervalMs = 107'372'700.0;
    load(plan, spikesOnChannel1);
    testing::internal::CaptureStdout();
    forward(8);
    const std::string out = testing::internal::GetCapturedStdout();

    ASSERT_EQ(reader.spikeCount[0], (1 + 2 + 3 + 4) + (5 + 6 + 7));
    EXPECT_EQ(reader.TimeStampData[0][27], 2'147'453'968 + 27'003);
    EXPECT_EQ(reader.TimeStampData[0][28], 0);
    std::size_t lines = 0;
    for (auto at = out.find("largest value"); at != std::string::npos; at = out.find("largest value", at + 1)) ++lines;
    EXPECT_EQ(lines, 1u) << out;
}

TEST_F(ReplayTest, BlocksOfADamagedHeaderTimeAreReplayedWithoutTimeStamps) {
    RecordingSpec plan;
    plan.traces = 2;
    plan.traceIntervalMs = 1e300;  // trace 2 claims to start far beyond any stamp
    load(plan, spikesOnChannel1);
    forward(4);
    EXPECT_EQ(reader.spikeCount[0], 1 + 2);
    EXPECT_EQ(reader.SpikeData[0][1], 3 + 4);  // still counted in its bin
}

TEST_F(ReplayTest, EvokedPotentialIsTheMostNegativeCountInTheWindowOfTheTracesFirstBlock) {
    auto counts = [](int n, int k, int j) -> std::int16_t {
        if (j != 0 && j != 1) return 0;
        if (k == 200) return static_cast<std::int16_t>(-1000 - n);  // 10 ms: inside
        if (k == 1601) return -2000;                                // 80.05 ms: outside
        return 5;
    };
    RecordingSpec plan;
    plan.traces = 2;
    plan.traceIntervalMs = 3000;
    load(plan, counts);
    selection[1] = 0;
    forward(4);
    ASSERT_EQ(reader.EpIndex, 2);
    EXPECT_EQ(reader.EPAmpData[0][0], -1000);
    EXPECT_EQ(reader.EPAmpData[0][1], -1002);  // block 2 starts trace 2
    EXPECT_EQ(reader.EPAmpData[1][0], 0);
    EXPECT_EQ(reader.epKeikaTime[1], 3000.0);
}

TEST_F(ReplayTest, ForwardBlockIsFilteredInScanOrderAfterPacking) {
    load({});
    reader.setFilter(1000.0f, 10.0f, 1, 1);
    reader.KaisiPoint = 2500;
    forward(1);
    Filter expected(1000.0f, 10.0f, 1, 1);
    for (int k = 0; k < 10000; ++k) {
        for (int c = 0; c < 16; ++c) {
            const double raw = k < 7500 ? mv(0, k + 2500, c) : 0.0;
            const double want = expected.filterSyori(c, raw);
            if (k % 997 == 0 || k == 9999) {
                ASSERT_EQ(reader.aryData[16 * k + c], want) << k << " " << c;
            }
        }
    }
}

TEST_F(ReplayTest, ThresholdPassKeepsTheUnfilteredBlockAndWindowsTheFilteredOne) {
    RecordingSpec plan;
    plan.durationMs = 3000;
    load(plan, spikesOnChannel1);
    for (int i = 0; i < 5; ++i) {
        reader.setFilter(1000.0f, 10.0f, 1, 1);
        ASSERT_TRUE(reader.readThresholdData());
    }
    EXPECT_EQ(reader.NowBlock, 5);
    EXPECT_EQ(reader.BlockNum, 5);
    EXPECT_EQ(reader.aryData[16 * 123 + 4], mv(4, 123, 4));
    EXPECT_NE(reader.chAry[4][40000 + 123], mv(4, 123, 4));
    EXPECT_NE(reader.chAry[4][40000 + 123], 0.0);
    EXPECT_EQ(reader.spikeCount[0], 0);
    EXPECT_EQ(reader.spikeIndex, 0.0);
    EXPECT_EQ(reader.EpIndex, 0);
}

TEST_F(ReplayTest, ResetClearsTheAnalysisOfTheLastReplay) {
    RecordingSpec plan;
    plan.traces = 2;
    load(plan, spikesOnChannel1);
    forward(4);
    reader.syokika();
    EXPECT_EQ(reader.NowBlock, 0);
    EXPECT_EQ(reader.spikeCount[0], 0);
    EXPECT_EQ(reader.TimeStampData[0][0], 0);
    EXPECT_EQ(reader.SpikeData[0][0], 0);
    EXPECT_EQ(reader.spikeTime[1], 0.0);
    EXPECT_EQ(reader.EpIndex, 0);
    EXPECT_EQ(reader.OffsetAry[1], 0.0);
    EXPECT_EQ(reader.chAry[0][10000], 0.0);
    EXPECT_EQ(reader.selectChAry[0][100], 0.0);
    EXPECT_EQ(reader.DrawSelectChMaxIndex, 0);
}

TEST_F(ReplayTest, ReadingPastTheLastBlockDoesNothing) {
    load({});
    forward(2);
    const double spikeIndex = reader.spikeIndex;
    EXPECT_FALSE(reader.readData());
    EXPECT_EQ(reader.NowBlock, 2);
    EXPECT_EQ(reader.spikeIndex, spikeIndex);
}

}  // namespace
