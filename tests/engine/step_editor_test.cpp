#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "acquisition/acquisition_ni.h"
#include "acquisition/alert_messages.h"
#include "acquisition/sim_device.h"
#include "stimulation/step_editor.h"
#include "stimulation/stimulus_controller.h"
#include "tests/engine/stim_test_helpers.h"

namespace {

using stimtest::pulse;
using stimtest::standardBiphasic;

constexpr int kS1 = PulseParameters::kS1;

struct StepEditorTest : ::testing::Test {
    PulseParameters program;
    stim::StepEditor editor{program, stim::StepKind::Step1};

    void SetUp() override {
        program.S1Ch = program.S2Ch = PulseParameters::kNoElectrode;
        editor.setTraceSeconds(1200);  // the start-up "Time" of 20 minutes
    }
    stim::EditResult addDefault(const char* units = "1") {
        editor.tab.fields = standardBiphasic();
        editor.tab.units = units;
        return editor.add();
    }
};

}  // namespace

TEST_F(StepEditorTest, AddingThreeDefaultPulsesToAnEmptyListSelectsTheLastAndShowsPointThreeSeconds) {
    const stim::EditResult r = addDefault("3");
    EXPECT_TRUE(r.alert.empty());
    EXPECT_EQ(program.S1ChAddNum, 3);
    EXPECT_EQ(program.PulseAmplitudeAry.size(), 6000u);
    EXPECT_EQ(editor.tab.unitCount, 3);
    EXPECT_EQ(editor.tab.selectedUnit, 3);
    EXPECT_EQ(r.timeLineXMax, "0.30000");
    EXPECT_TRUE(r.autoscaleS1 && r.autoscaleS2);
}

TEST_F(StepEditorTest, AddInsertsRightAfterTheSelectedPulse) {
    addDefault("3");
    editor.selectUnit(1);
    editor.tab.fields = pulse("Const", "1", "5", "0", "10");
    editor.tab.units = "1";
    ASSERT_TRUE(editor.add().alert.empty());
    ASSERT_EQ(program.S1ChAddNum, 4);
    EXPECT_EQ(program.PulseConfigS1[0].Pulsetype, "Biphasic");
    EXPECT_EQ(program.PulseConfigS1[1].Pulsetype, "Const");
    EXPECT_EQ(program.PulseConfigS1[2].Pulsetype, "Biphasic");
    EXPECT_EQ(program.PulseConfigS1[3].Pulsetype, "Biphasic");
    EXPECT_EQ(program.PulseAmplitudeAry[2000], 5.0f);  // the Const pulse starts after pulse 1
    EXPECT_EQ(editor.tab.selectedUnit, 4);             // the last, not the inserted one
}

TEST_F(StepEditorTest, PatternEqualToTheTraceIsAcceptedOneSampleLongerIsRefused) {
    editor.setTraceSeconds(0.1);
    ASSERT_TRUE(addDefault().alert.empty());  // 2000 samples = 0.1 s
    editor.deleteSyori();
    editor.tab.fields = pulse("Biphasic", "0.1", "-10", "0.05", "99.9");  // 1 + 2 + 1998 samples
    const stim::EditResult r = editor.add();
    EXPECT_EQ(r.alert, korin::alerts::kPatternLongerThanTrace);
    EXPECT_EQ(program.S1ChAddNum, 0);
}

TEST_F(StepEditorTest, ManualAddLongerThanTheTraceIsAccepted) {
    stim::StepEditor manual(program, stim::StepKind::Manual);
    manual.setTraceSeconds(0.05);
    manual.tab.fields = standardBiphasic();
    EXPECT_TRUE(manual.add().alert.empty());
    EXPECT_EQ(program.S1ChAddNum, 1);
}

TEST_F(StepEditorTest, DeletingTheOnlyPulseLeavesZeroAnEmptyArrayAndTheOutputOff) {
    program.S1Ch = 4;
    addDefault();
    const stim::EditResult r = editor.deleteSyori();
    EXPECT_EQ(editor.tab.unitCount, 0);
    EXPECT_EQ(editor.tab.selectedUnit, 0);
    EXPECT_TRUE(program.PulseAmplitudeAry.empty());
    EXPECT_EQ(stim::getStimOnOrOff(program, kS1), 0);
    EXPECT_EQ(r.timeLineXMax, "0.00");
}

TEST_F(StepEditorTest, EnterClampsIntensity150To100InTheBoxAndThePulse) {
    addDefault();
    editor.tab.fields.Intensity = "150";
    EXPECT_TRUE(editor.enter().alert.empty());
    EXPECT_EQ(editor.tab.fields.Intensity, "100");
    EXPECT_EQ(program.PulseAmplitudeAry[0], 100.0f);
}

TEST_F(StepEditorTest, EnterWithConstInsteadOfBiphasicReRendersAtOnce) {
    addDefault();
    editor.tab.fields.Pulsetype = "Const";
    editor.enter();
    EXPECT_EQ(program.PulseAmplitudeAry[0], -10.0f);
    EXPECT_EQ(program.PulseAmplitudeAry[1], -10.0f);
}

TEST_F(StepEditorTest, EnterHasNoRecordTimeCheck) {
    addDefault();
    editor.setTraceSeconds(0.1);
    editor.tab.fields.Post = "200";
    EXPECT_TRUE(editor.enter().alert.empty());
    EXPECT_EQ(program.PulseAmplitudeAry.size(), 4002u);
}

TEST_F(StepEditorTest, AnUnappliedEditIsDiscardedWhenTheSelectionIsReloaded) {
    addDefault();
    editor.tab.fields.Duration = "5";
    editor.setPulseConfig();
    EXPECT_EQ(editor.tab.fields.Duration, "0.1");
}

TEST_F(StepEditorTest, InAllUnitsMovesBiphasicIntensitiesAwayFromZeroAndKeepsConst) {
    program.setPulses(kS1, {pulse("Biphasic", "0.1", "-10", "0", "1"), pulse("Biphasic", "0.1", "10", "0", "1"),
                            pulse("Const", "0.1", "-10", "0", "1")});
    editor.selectOutput(kS1);
    editor.setIncrementText("5");
    editor.setPulseAllUnitsIncrement();
    EXPECT_EQ(program.PulseConfigS1[0].Intensity, "-15");
    EXPECT_EQ(program.PulseConfigS1[1].Intensity, "15");
    EXPECT_EQ(program.PulseConfigS1[2].Intensity, "-10");
    editor.setIncrementText("-20.5");  // permanent, and the sign may flip
    editor.setPulseAllUnitsIncrement();
    EXPECT_EQ(program.PulseConfigS1[0].Intensity, "5.5");
    EXPECT_EQ(program.PulseConfigS1[1].Intensity, "-5.5");
}

TEST_F(StepEditorTest, RefusalsChangeNothingAndSayWhy) {
    struct Case {
        const char* duration;
        const char* pre;
        const char* post;
        const char* units;
        const char* alert;
    };
    const Case cases[] = {
        {"-0.1", "0", "99.9", "1", korin::alerts::kNegativePulseTime},
        {"0.1", "-1", "99.9", "1", korin::alerts::kNegativePulseTime},
        {"0.1", "0", "-99.9", "1", korin::alerts::kNegativePulseTime},
        {"0.1", "0", "99.9", "1.5", korin::alerts::kUnitsNotWhole},
        {"0.1", "0", "99.9", "-2", korin::alerts::kUnitsNotWhole},
        {"0.1", "0", "99.9", "0", korin::alerts::kUnitsNotWhole},
        {"abc", "0", "99.9", "1", korin::alerts::kNumericalValue},
        {"0.1", "0", "99.9", "x", korin::alerts::kNumericalValue},
        {"0.1", "0", "50000", "1", korin::alerts::kPatternTooLong},  // 1 000 002 samples
        {"0.05", "0", "0", "2000000", korin::alerts::kPatternTooLong},  // one sample each
        {"0", "0", "0", "1", korin::alerts::kZeroLengthPulse},
        {"0.01", "0", "0", "1", korin::alerts::kZeroLengthPulse},  // 0.2 samples truncate to none
    };
    stim::StepEditor manual(program, stim::StepKind::Manual);  // no record-time limit in the way
    for (const Case& c : cases) {
        manual.tab.fields = pulse("Biphasic", c.duration, "-10", c.pre, c.post);
        manual.tab.units = c.units;
        EXPECT_EQ(manual.add().alert, c.alert) << c.duration << " " << c.pre << " " << c.post << " " << c.units;
        EXPECT_EQ(program.S1ChAddNum, 0);
    }
}

TEST_F(StepEditorTest, ZeroLengthPulseIsRefusedAtAddAndAtEnter) {
    const PulseConfigs none = pulse("Const", "0", "-10", "0", "0");
    editor.tab.fields = none;
    EXPECT_EQ(editor.add().alert, korin::alerts::kZeroLengthPulse);
    EXPECT_EQ(program.S1ChAddNum, 0);

    addDefault();
    editor.tab.fields = none;
    EXPECT_EQ(editor.enter().alert, korin::alerts::kZeroLengthPulse);
    EXPECT_EQ(program.PulseConfigS1[0].Duration, "0.1");
    EXPECT_EQ(program.PulseAmplitudeAry.size(), 2000u);
}

TEST_F(StepEditorTest, EnterRefusesAPatternOverAMillionSamplesAndKeepsThePulse) {
    stim::StepEditor manual(program, stim::StepKind::Manual);
    manual.tab.fields = standardBiphasic();
    manual.add();
    manual.tab.fields.Post = "50000";
    EXPECT_EQ(manual.enter().alert, korin::alerts::kPatternTooLong);
    EXPECT_EQ(program.PulseConfigS1[0].Post, "99.9");
    EXPECT_EQ(program.PulseAmplitudeAry.size(), 2000u);
}

TEST_F(StepEditorTest, ElectrodeFiveRoutesTheShownOutputAndASecondClickClearsIt) {
    editor.selectOutput(kS1);
    editor.clickElectrode(5);
    EXPECT_EQ(program.S1Ch, 4);
    EXPECT_EQ(editor.tab.redButton, 4);
    EXPECT_EQ(program.S2Ch, -1);
    editor.clickElectrode(5);
    EXPECT_EQ(program.S1Ch, -1);
    EXPECT_EQ(editor.tab.redButton, -1);
}

TEST_F(StepEditorTest, SwitchingTheStimulatorShowsThatOutputsElectrodePulsesAndIncrement) {
    program.S2Ch = 8;
    program.autoincrementS2 = "3";
    program.addIncrementByRepS2 = 1;
    program.setPulses(PulseParameters::kS2, {standardBiphasic(), standardBiphasic()});
    editor.selectOutput(PulseParameters::kS2);
    EXPECT_EQ(editor.tab.redButton, 8);
    EXPECT_EQ(editor.tab.unitCount, 2);
    EXPECT_EQ(editor.tab.increment, "3");
    EXPECT_TRUE(editor.byRepOn());
}

TEST_F(StepEditorTest, TogglesFlipByRepOfTheShownOutputAndRepeatAllOfTheProgram) {
    editor.toggleByRep();
    editor.toggleRepeatAll();
    EXPECT_EQ(program.addIncrementByRepS1, 1);
    EXPECT_EQ(program.addIncrementByRepS2, 0);
    EXPECT_EQ(program.repeatAll, 1);
    editor.toggleRepeatAll();
    EXPECT_EQ(program.repeatAll, 0);
}

TEST_F(StepEditorTest, EnableStepTitlesTheTab) {
    EXPECT_EQ(editor.tabTitle(), "#Step 1#");
    EXPECT_FALSE(editor.editable());
    editor.setEnabled(true);
    EXPECT_EQ(editor.tabTitle(), "Step 1");
    EXPECT_TRUE(editor.editable());
}

TEST(StepEditorPrePost, PulseRangesAreCumulativeSampleCounts) {
    PulseParameters p;
    p.setPulses(PulseParameters::kS1, {standardBiphasic(), pulse("Const", "1", "5", "0", "0"), standardBiphasic()});
    EXPECT_EQ(stim::getprepostF1(p, 1), std::make_pair(0, 2000));
    EXPECT_EQ(stim::getprepostF1(p, 2), std::make_pair(2000, 2020));
    EXPECT_EQ(stim::getprepostF1(p, 3), std::make_pair(2020, 4020));
    EXPECT_EQ(stim::getprepostF1(p, 4), std::make_pair(-1, -1));
}

TEST(StepEditorRunCheck, PostZeroOnTheLastPulseOfADisabledStepBlocksARun) {
    AcquisitionNI acq(std::make_shared<SimulatedDevice>(SimulatedDevice::Options{1, false}));
    PulseParameters step1, step2, manual;
    StimulusController stim(acq, step1, step2, manual);
    stim::StepEditor editor(step2, stim::StepKind::Step2);
    editor.setTraceSeconds(10);
    editor.tab.fields = pulse("Const", "1", "-10", "0", "0");
    ASSERT_TRUE(editor.add().alert.empty());
    EXPECT_EQ(stim.runStartProblem(false, false), korin::alerts::kLastPulsePostRun);
}
