#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquisition/alert_messages.h"
#include "stimulation/electrode_routing.h"
#include "stimulation/pulse_parameters.h"
#include "stimulation/step_intensity.h"

namespace {

PulseConfigs pulse(const char* type, const char* duration, const char* intensity, const char* pre,
                   const char* post) {
    PulseConfigs p;
    p.setParameter(type, duration, intensity, pre, post);
    return p;
}

PulseConfigs standardBiphasic() { return pulse("Biphasic", "0.1", "-10", "0", "99.9"); }

PulseParameters programWithS1(std::vector<PulseConfigs> list, int electrode = 2) {
    PulseParameters p;
    p.S1Ch = electrode;
    p.S2Ch = -1;
    p.setPulses(PulseParameters::kS1, std::move(list));
    return p;
}

}  // namespace

TEST(PulseSamples, CountsTruncateTheWidenedSinglePrecisionValue) {
    EXPECT_EQ(stim::fieldSamples("0.1"), 2);
    EXPECT_EQ(stim::fieldSamples("0.7"), 13);  // 0.7f lies just below 0.7
    EXPECT_EQ(stim::fieldSamples("99.9"), 1998);
    EXPECT_EQ(stim::fieldSamples("1"), 20);
}

TEST(PulseSamples, UnparsableAndNegativeTimesGiveNoSamples) {
    EXPECT_EQ(stim::fieldSamples("abc"), 0);
    EXPECT_EQ(stim::fieldSamples(""), 0);
    EXPECT_EQ(stim::fieldSamples("-5"), 0);
}

TEST(PulseSamples, ParsingAcceptsBlanksAndPlusButNotInfinityOrOverflow) {
    EXPECT_EQ(stim::parseFloat32(" +2.5 "), 2.5f);
    EXPECT_EQ(stim::parseFloat32("-10"), -10.0f);
    EXPECT_FALSE(stim::parseFloat32("inf"));
    EXPECT_FALSE(stim::parseFloat32("nan"));
    EXPECT_FALSE(stim::parseFloat32("1e39"));
    EXPECT_FALSE(stim::parseFloat32("1.5x"));
    EXPECT_FALSE(stim::parseFloat32("+-1"));
}

TEST(PulseRendering, BiphasicPointOneMsIsMinusTenPlusTenThenZeros) {
    auto s = stim::renderPulses({standardBiphasic()});
    ASSERT_EQ(s.size(), 2000u);
    EXPECT_EQ(s[0], -10.0f);
    EXPECT_EQ(s[1], 10.0f);
    for (std::size_t i = 2; i < s.size(); ++i) ASSERT_EQ(s[i], 0.0f) << i;
}

TEST(PulseRendering, BiphasicPointSevenMsHasSixFirstPhaseAndSevenSecondPhaseSamples) {
    auto s = stim::renderPulses({pulse("Biphasic", "0.7", "20", "0", "0")});
    ASSERT_EQ(s.size(), 13u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(s[i], 20.0f) << i;
    for (int i = 6; i < 13; ++i) EXPECT_EQ(s[i], -20.0f) << i;
}

TEST(PulseRendering, ConstOneMsFiveMicroampsIsTwentySamplesOfFive) {
    auto s = stim::renderPulses({pulse("Const", "1", "5", "0", "0")});
    EXPECT_EQ(s, std::vector<float>(20, 5.0f));
    auto v = stim::interleaveVolts(s, {});
    EXPECT_EQ(v[0], 0.2f);
}

TEST(PulseRendering, PreComesBeforeAndPulsesFollowInListOrder) {
    auto s = stim::renderPulses({pulse("Const", "0.1", "3", "0.1", "0.05"), pulse("Const", "0.05", "7", "0", "0")});
    EXPECT_EQ(s, (std::vector<float>{0, 0, 3, 3, 0, 7}));
}

TEST(PulseRendering, OversizedPatternIsCutOnePastTheLimitInsteadOfExhaustingMemory) {
    auto s = stim::renderPulses({pulse("Const", "1e9", "5", "0", "0")});
    EXPECT_EQ(s.size(), std::size_t(stim::kMaxSamplesPerOutput) + 1);
}

TEST(PulseProgram, SetPulsesKeepsCountLengthsAndArrayInStep) {
    auto p = programWithS1({standardBiphasic(), pulse("Const", "1", "5", "0", "0")});
    EXPECT_EQ(p.S1ChAddNum, 2);
    EXPECT_EQ(p.AryLengthS1, (std::vector<std::int32_t>{2000, 20}));
    EXPECT_EQ(p.PulseAmplitudeAry.size(), 2020u);
    p.setPulses(PulseParameters::kS1, {});
    EXPECT_EQ(p.S1ChAddNum, 0);
    EXPECT_TRUE(p.PulseAmplitudeAry.empty());
}


TEST(StimOnOrOff, EmptyListWithElectrodeIsOff) {
    PulseParameters p;
    p.S1Ch = 4;
    EXPECT_EQ(stim::getStimOnOrOff(p, 0), 0);
}

TEST(StimOnOrOff, PulsesWithoutElectrodeAreOff) {
    auto p = programWithS1({standardBiphasic()}, -1);
    EXPECT_EQ(stim::getStimOnOrOff(p, 0), 0);
}


TEST(OutputBuffer, S1OnlyPatternGivesMinusAndPlusPointFourVoltsAndZeroOddValues) {
    auto v = stim::interleaveVolts(stim::renderPulses({standardBiphasic()}), {});
    ASSERT_EQ(v.size(), 4000u);
    EXPECT_EQ(v[0], -0.4f);
    EXPECT_EQ(v[2], 0.4f);
    for (std::size_t i = 1; i < v.size(); i += 2) ASSERT_EQ(v[i], 0.0f) << i;
    for (std::size_t i = 4; i < v.size(); i += 2) ASSERT_EQ(v[i], 0.0f) << i;
}

TEST(OutputBuffer, OutputsOfDifferentLengthsPadTheShorterWithZeros) {
    std::vector<float> s1(2000, 25.0f), s2(3000, -50.0f);
    auto v = stim::interleaveVolts(s1, s2);
    ASSERT_EQ(v.size(), 6000u);
    EXPECT_EQ(v[2 * 1999], 1.0f);
    EXPECT_EQ(v[2 * 2000], 0.0f);
    EXPECT_EQ(v[2 * 2999], 0.0f);
    EXPECT_EQ(v[2 * 2999 + 1], -2.0f);
}

TEST(OutputBuffer, S2OnlyPatternLeavesEveryEvenValueZero) {
    auto v = stim::interleaveVolts({}, std::vector<float>(3, 10.0f));
    EXPECT_EQ(v, (std::vector<float>{0, 0.4f, 0, 0.4f, 0, 0.4f}));
}

TEST(OutputBuffer, HundredthOfAMicroampRoundsToZeroVolts) {
    auto v = stim::interleaveVolts({0.01f}, {});
    EXPECT_EQ(v[0], 0.0f);
}

TEST(OutputBuffer, VoltsRoundToHundredthsHalvesToEven) {
    // 0.625 µA is 0.025 V and 0.375 µA is 0.015 V: both go to 0.02 V.
    auto v = stim::interleaveVolts({0.625f, 0.375f, 100.0f, -100.0f}, {});
    EXPECT_EQ(v[0], 0.02f);
    EXPECT_EQ(v[2], 0.02f);
    EXPECT_EQ(v[4], 4.0f);
    EXPECT_EQ(v[6], -4.0f);
}

TEST(ByRepetition, NegativeFirstPulseGrowsByFivePerRepetition) {
    auto p = programWithS1({standardBiphasic()});
    p.autoincrementS1float = 5;
    EXPECT_EQ(stim::getPulseAllUnitsIncrementRep(p, 0, 0)[0], -10.0f);
    EXPECT_EQ(stim::getPulseAllUnitsIncrementRep(p, 0, 1)[0], -15.0f);
    EXPECT_EQ(stim::getPulseAllUnitsIncrementRep(p, 0, 2)[0], -20.0f);
    EXPECT_EQ(stim::getPulseAllUnitsIncrementRep(p, 0, 2)[1], 20.0f);
}

TEST(ByRepetition, PolarityNeverFlipsItStopsAtZero) {
    auto p = programWithS1({standardBiphasic(), pulse("Biphasic", "0.1", "10", "0", "1")});
    p.autoincrementS1float = -15;
    auto s = stim::getPulseAllUnitsIncrementRep(p, 0, 1);
    EXPECT_EQ(s[0], 0.0f);     // −10 − (−15) would be +5
    EXPECT_EQ(s[2000], 0.0f);  // 10 + (−15) would be −5
}

TEST(ByRepetition, ConstPulsesKeepTheirIntensity) {
    auto p = programWithS1({pulse("Const", "1", "5", "0", "1")});
    p.autoincrementS1float = 5;
    EXPECT_EQ(stim::getPulseAllUnitsIncrementRep(p, 0, 3)[0], 5.0f);
}


TEST(PatternTiming, TwoThousandSamplesLastOneHundredMs) {
    EXPECT_EQ(stim::patternDurationMs(2000), 100);
    EXPECT_EQ(stim::patternDurationMs(13), 0);  // 0.65 ms truncated
}

TEST(PatternTiming, OneSecondTraceHoldsTenRepeatsOfAHundredMsPattern) {
    EXPECT_EQ(stim::repeatCount(1000.0, 2000), 10);
}

TEST(PatternTiming, RepeatCountRoundsToOneDecimalBeforeTruncating) {
    EXPECT_EQ(stim::repeatCount(999.99, 2000), 10);  // 9.9999 → 10.0
    EXPECT_EQ(stim::repeatCount(1000.0, 6000), 3);   // 3.33 → 3.3 → 3
    EXPECT_EQ(stim::repeatCount(1000.0, 0), 0);
}

TEST(TimeLine, XMaxIsTheLongerOutputAndZeroWhenAbsent) {
    PulseParameters p;
    EXPECT_EQ(stim::getTimeLineXMax(p), 0);
    p.setPulses(0, {standardBiphasic()});
    p.setPulses(1, {standardBiphasic(), standardBiphasic()});
    EXPECT_EQ(stim::getTimeLineXMaxF1(p), 2000);
    EXPECT_EQ(stim::getTimeLineXMaxF2(p), 4000);
    EXPECT_EQ(stim::getTimeLineXMax(p), 4000);
}

TEST(MaxIntensity, GrowsByTheIncrementPerRepetition) {
    auto p = programWithS1({pulse("Biphasic", "0.1", "-50", "0", "1"), pulse("Const", "1", "20", "0", "1")});
    p.addIncrementByRepS1 = 1;
    p.autoincrementS1float = 10;
    EXPECT_EQ(stim::getMaxIntensity(p, 0, 0), 50.0f);
    EXPECT_EQ(stim::getMaxIntensity(p, 0, 1), 60.0f);
    EXPECT_EQ(stim::getMaxIntensity(p, 0, 2), 70.0f);
}

TEST(MaxIntensity, NegativeResultBecomesZero) {
    auto p = programWithS1({pulse("Biphasic", "0.1", "-50", "0", "1")});
    p.addIncrementByRepS1 = 1;
    p.autoincrementS1float = -30;
    EXPECT_EQ(stim::getMaxIntensity(p, 0, 1), 20.0f);
    EXPECT_EQ(stim::getMaxIntensity(p, 0, 2), 0.0f);  // −10 clamped
}


TEST(PatternEnd, LastPulseWithPostZeroEndsAboveZero) {
    auto p = programWithS1({standardBiphasic(), pulse("Biphasic", "0.1", "-10", "0", "0")});
    EXPECT_TRUE(stim::endsAboveZero(p, 0));
    EXPECT_FALSE(stim::endsAboveZero(p, 1));
}

TEST(PatternEnd, PostZeroWithZeroIntensityEndsAtZero) {
    auto p = programWithS1({pulse("Const", "1", "0", "0", "0")});
    EXPECT_FALSE(stim::endsAboveZero(p, 0));
}

TEST(PatternChecks, NegativeDurationPreOrPostIsRefused) {
    EXPECT_EQ(stim::pulseProblem(pulse("Biphasic", "-0.1", "-10", "0", "1")), korin::alerts::kNegativePulseTime);
    EXPECT_EQ(stim::pulseProblem(pulse("Biphasic", "0.1", "-10", "-1", "1")), korin::alerts::kNegativePulseTime);
    EXPECT_EQ(stim::pulseProblem(pulse("Biphasic", "0.1", "-10", "0", "-1")), korin::alerts::kNegativePulseTime);
    EXPECT_EQ(stim::pulseProblem(pulse("Biphasic", "0.1", "-10", "0", "1")), "");
}

TEST(PatternChecks, MillionSamplesPerOutputPlayButOneMoreDoesNot) {
    auto fits = programWithS1({pulse("Const", "1", "5", "0", "49999")});  // 20 + 999 980 samples
    EXPECT_EQ(stim::listSamples(fits.PulseConfigS1), 1'000'000);
    EXPECT_EQ(stim::programProblem(fits), "");
    auto over = programWithS1({pulse("Const", "1", "5", "0", "49999.05")});
    EXPECT_EQ(stim::programProblem(over), korin::alerts::kPatternTooLong);
}

TEST(PatternChecks, OutputThatIsOffIsNotChecked) {
    auto off = programWithS1({pulse("Const", "1", "5", "-3", "1")}, -1);
    EXPECT_EQ(stim::programProblem(off), "");
}

TEST(Dumps, S1ArrayIsPrintedOneValuePerLine) {
    auto p = programWithS1({pulse("Biphasic", "0.1", "-10", "0", "0.05")});
    testing::internal::CaptureStdout();
    p.OutPulseAmplitueAry();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "-10\n10\n0\n");
}


TEST(Routing, ElectrodeCodesFollowThePortWiring) {
    EXPECT_EQ(stim::getPOch(-1), 24);
    EXPECT_EQ(stim::getPOch(0), 16);
    EXPECT_EQ(stim::getPOch(2), 18);
    EXPECT_EQ(stim::getPOch(7), 23);
    EXPECT_EQ(stim::getPOch(8), 8);
    EXPECT_EQ(stim::getPOch(15), 15);
    EXPECT_EQ(stim::getPOch(16), 24);
}

TEST(Routing, WordsForElectrodeThreeForNineAndSixteenAndForNothing) {
    EXPECT_EQ(stim::routingWord(18, 24), 786u);
    EXPECT_EQ(stim::routingWord(stim::getPOch(8), stim::getPOch(15)), 488u);
    EXPECT_EQ(stim::routingWord(24, 24), 792u);
}

TEST(ElectrodeButtons, FirstClickSelectsTheElectrodeAndColoursItsButton) {
    auto r = stim::clickElectrodeButton(-1, 3, -1);
    EXPECT_EQ(r.redButton, 2);
    EXPECT_EQ(r.electrode, 2);
}

TEST(ElectrodeButtons, ClickOnTheRedButtonClearsTheElectrode) {
    auto r = stim::clickElectrodeButton(2, 3, 2);
    EXPECT_EQ(r.redButton, -1);
    EXPECT_EQ(r.electrode, -1);
}

TEST(ElectrodeButtons, ClickOnAnotherButtonMovesTheElectrode) {
    auto r = stim::clickElectrodeButton(2, 16, 2);
    EXPECT_EQ(r.redButton, 15);
    EXPECT_EQ(r.electrode, 15);
}


TEST(StepIntensitySummary, ReadoutGivesTheSameIntensitiesAsTheProgram) {
    auto p = programWithS1({pulse("Biphasic", "0.1", "-50", "0", "1")});
    p.addIncrementByRepS1 = 1;
    p.autoincrementS1float = -30;
    auto step = stim::stepIntensity(p, true);
    for (int index : {0, 1, 2}) EXPECT_EQ(korin::getMaxIntensity(step, 0, index), stim::getMaxIntensity(p, 0, index));
    EXPECT_EQ(korin::getMaxIntensity(step, 1, 1), 0.0f);
}
