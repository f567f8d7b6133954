#include "acquisition/timer.h"

#include <gtest/gtest.h>

TEST(Timer, TraceOf1_2SecondsAdvancesToItsDurationInThreeBlocks) {
    Timer t(1.2, 1, 1.2, 0);
    EXPECT_EQ(t.getBlockMax(), 3);
    EXPECT_EQ(t.getTime(), 0.0);
    t.Plus500ms();
    EXPECT_DOUBLE_EQ(t.getTime(), 0.5);
    t.Plus500ms();
    EXPECT_DOUBLE_EQ(t.getTime(), 1.0);
    EXPECT_DOUBLE_EQ(t.getRemainingTime(), 0.2);
    t.Plus500ms();
    EXPECT_DOUBLE_EQ(t.getTime(), 1.2);
    EXPECT_EQ(t.getRemainingTime(), 0.0);
    EXPECT_EQ(t.getLastBlock(2), 1);
    EXPECT_EQ(t.getLastBlock(1), 0);
}

TEST(Timer, HalfSecondTraceHasOneBlock) {
    Timer t(0.5, 3, 1, 0.5);
    EXPECT_EQ(t.getBlockMax(), 1);
    EXPECT_EQ(t.getLastBlock(0), 1);
}

TEST(Timer, CountersAndOffsets) {
    Timer t(2.0, 3, 5, 3);
    t.Plusblock();
    t.Plusblock();
    EXPECT_EQ(t.getnowblock(), 2);
    EXPECT_EQ(t.getBlockOffsetMsec(), 1000);
    t.PlusTrace();
    EXPECT_EQ(t.getRemainingTrace(), 2);
    t.ResetTimer();
    EXPECT_EQ(t.getnowblock(), 0);
    EXPECT_EQ(t.getTime(), 0);
    for (int i = 0; i < 7; ++i) t.PlusKeikaTime();
    EXPECT_DOUBLE_EQ(t.getKeikaTime(), 3.5);
    t.PlusKeikaTime(12);
    EXPECT_DOUBLE_EQ(t.getKeikaTime(), 15.5);
    t.setTraceOffsetMsec(t.getKeikaTime());
    EXPECT_DOUBLE_EQ(t.getTraceOffsetMsec(), 15500.0);
    EXPECT_EQ(t.getTimemMaxmsec(), 2000);
}

TEST(Timer, KeikaTimeStaysExactOverAnHourOfBlocks) {
    Timer t(1, 1, 1, 0);
    for (int i = 0; i < 7200; ++i) t.PlusKeikaTime();
    EXPECT_EQ(t.getKeikaTime(), 3600.0);
}

TEST(Timer, NoStepGives255AndLoopZero) {
    Timer t(1, 1, 1, 0);
    EXPECT_EQ(t.getStep(), 255);
    EXPECT_EQ(t.getLoop(), 0);
    t.PlusStep();
    EXPECT_EQ(t.getStep(), 255);
    EXPECT_EQ(t.getLoop(), 0);
}

TEST(Timer, TwoStepsAlternateAndLoopCountsEveryOtherTrace) {
    Timer t(1, 6, 1, 0);
    t.setStep({0, 1});
    t.setMaxStepNum(2);
    std::vector<int> steps, loops;
    for (int trace = 0; trace < 5; ++trace) {
        steps.push_back(t.getStep());
        loops.push_back(t.getLoop());
        t.PlusStep();
    }
    EXPECT_EQ(steps, (std::vector<int>{0, 1, 0, 1, 0}));
    EXPECT_EQ(loops, (std::vector<int>{1, 1, 2, 2, 3}));
}

TEST(Timer, OneStepRaisesLoopEveryTrace) {
    Timer t(1, 6, 1, 0);
    t.setStep({1});
    t.setMaxStepNum(1);
    for (int expectedLoop = 1; expectedLoop <= 4; ++expectedLoop) {
        EXPECT_EQ(t.getStep(), 1);
        EXPECT_EQ(t.getLoop(), expectedLoop);
        t.PlusStep();
    }
}

TEST(Timer, DateTicksOfLeapDayAndEndOfJanuary) {
    EXPECT_EQ(Timer::getDate(2020, 2, 29, 0), 637185312000000000LL);
    EXPECT_EQ(Timer::getDate(2021, 1, 31, 0), 637476480000000000LL);
    EXPECT_EQ(Timer::getDate(1, 1, 1, 0), 0);
}

TEST(Timer, StartTimeOfDayFromTexts) {
    Timer t(0, 0, 0, 0);
    t.setStartDateTime(2022, 1, 31, 9, 5, 3, 45);
    EXPECT_EQ(t.getYear(), 2022);
    EXPECT_EQ(t.getMonth(), 1);
    EXPECT_EQ(t.getDay(), 31);
    EXPECT_EQ(t.getMsecStartTime(), ((9 * 60 + 5) * 60 + 3) * 1000 + 45);
    EXPECT_EQ(t.getDate(), Timer::getDate(2022, 1, 31, t.getMsecStartTime()));
}

TEST(Timer, RemainingTimeText) {
    EXPECT_EQ(Timer(3725.4, 1, 3725.4, 0).getTimeRemaining(), "01:02:05");
    EXPECT_EQ(Timer(65, 1, 65, 0).getTimeRemaining(), "00:01:05");
    EXPECT_EQ(Timer(360000, 1, 360000, 0).getTimeRemaining(), "100:00:00");
    Timer t(1.2, 1, 1.2, 0);
    t.Plus500ms();
    t.Plus500ms();
    t.Plus500ms();
    EXPECT_EQ(t.getTimeRemaining(), "00:00:00");
}
