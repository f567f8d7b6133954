#include <gtest/gtest.h>

#include "acquisition/run_gating.h"
#include "app/logic/gating_tips.h"

using namespace korin;

namespace {

constexpr GatingContext kRecordMode{false, false};
constexpr GatingContext kRecordModeRecording{false, true};
constexpr GatingContext kReplayMode{true, false};

std::optional<bool> enabled(ControlGroup group, RunState state, GatingContext context) {
    return resolveGate(gateFor(group, state), context);
}

}  // namespace

TEST(RunGating, StoppedInRecordModeEnablesOnlyTheStartButtons) {
    EXPECT_EQ(enabled(ControlGroup::PlayButtons, RunState::Stop, kRecordMode), true);
    EXPECT_EQ(enabled(ControlGroup::RecordButtons, RunState::Stop, kRecordMode), true);
    EXPECT_EQ(enabled(ControlGroup::StopButtons, RunState::Stop, kRecordMode), false);
    EXPECT_EQ(enabled(ControlGroup::PauseButtons, RunState::Stop, kRecordMode), false);
    EXPECT_EQ(enabled(ControlGroup::BackNextButtons, RunState::Stop, kRecordMode), false);
    EXPECT_EQ(enabled(ControlGroup::ManualStimButton, RunState::Stop, kRecordMode), false);
}

TEST(RunGating, StoppedInReplayModeEnablesBackAndNext) {
    EXPECT_EQ(enabled(ControlGroup::BackNextButtons, RunState::Stop, kReplayMode), true);
}

TEST(RunGating, PauseIsAvailableWhilePlayingButNotWhileRecording) {
    EXPECT_EQ(enabled(ControlGroup::PauseButtons, RunState::Play, kRecordMode), true);
    EXPECT_EQ(enabled(ControlGroup::PauseButtons, RunState::Play, kRecordModeRecording), false);
}

TEST(RunGating, PausedRecordedRunOffersOnlyRecordToResume) {
    EXPECT_EQ(enabled(ControlGroup::RecordButtons, RunState::Pause, kRecordModeRecording), true);
    EXPECT_EQ(enabled(ControlGroup::PlayButtons, RunState::Pause, kRecordModeRecording), false);
}

TEST(RunGating, PausedUnrecordedRunOffersOnlyPlayToResume) {
    EXPECT_EQ(enabled(ControlGroup::PlayButtons, RunState::Pause, kRecordMode), true);
    EXPECT_EQ(enabled(ControlGroup::RecordButtons, RunState::Pause, kRecordMode), false);
}

TEST(RunGating, PreferenceMenusGoOffWhenPlayingInRecordModeAndStayInReplayMode) {
    EXPECT_EQ(enabled(ControlGroup::PreferenceMenus, RunState::Play, kRecordMode), false);
    EXPECT_EQ(enabled(ControlGroup::PreferenceMenus, RunState::Play, kReplayMode), std::nullopt);
}

TEST(RunGating, ReplayKeepsRunSettingsAndStepTabsAsTheyWere) {
    EXPECT_EQ(gateFor(ControlGroup::RunSettings, RunState::Replay), Gate::Keep);
    EXPECT_EQ(gateFor(ControlGroup::StepTabs, RunState::Replay), Gate::Keep);
    EXPECT_EQ(gateFor(ControlGroup::ExportSettings, RunState::End), Gate::Keep);
}

TEST(RunGating, PauseOpensOnlyTheEditorsOfEnabledSteps) {
    EXPECT_EQ(gateFor(ControlGroup::StepTabs, RunState::Pause), Gate::EnabledStepsOnly);
    EXPECT_EQ(gateFor(ControlGroup::StepTabs, RunState::Syori), Gate::Off);
}

TEST(RunGating, ModeButtonIsOffOnlyWhileSteppingThroughReplay) {
    for (RunState state : kAllRunStates) {
        const auto on = enabled(ControlGroup::ModeButton, state, kReplayMode);
        if (state == RunState::Next) EXPECT_EQ(on, false);
        else if (state == RunState::Play || state == RunState::Syori) EXPECT_EQ(on, std::nullopt);
        else EXPECT_EQ(on, true) << runStateName(state);
    }
}

TEST(RunGating, ManualStimButtonIsOnlyEverSwitchedOffByTheGating) {
    for (RunState state : kAllRunStates)
        EXPECT_NE(enabled(ControlGroup::ManualStimButton, state, kRecordMode), true) << runStateName(state);
}

TEST(RunGating, EachStateSetsTheRunFlagsOfTheReplayTable) {
    struct Row { RunState state; int play, pause, stop; };  // -1: unchanged
    const Row rows[] = {
        {RunState::Replay, 1, 0, 0}, {RunState::Next, 1, -1, 0}, {RunState::Syori, 0, -1, 0},
        {RunState::Pause, 0, 1, 0},  {RunState::Stop, 0, 0, 1},  {RunState::End, 0, -1, 1},
        {RunState::Play, 1, -1, 0},
    };
    for (const Row& row : rows) {
        for (std::uint8_t before : {0, 1}) {
            const RunFlagChanges changes = flagChangesFor(row.state);
            auto expect = [&](int wanted) { return wanted < 0 ? before : static_cast<std::uint8_t>(wanted); };
            EXPECT_EQ(applyFlagChange(changes.PlayTyuu, before), expect(row.play)) << runStateName(row.state);
            EXPECT_EQ(applyFlagChange(changes.PauseTyuu, before), expect(row.pause)) << runStateName(row.state);
            EXPECT_EQ(applyFlagChange(changes.StopTyuu, before), expect(row.stop)) << runStateName(row.state);
        }
    }
}

TEST(RunGating, KeepCellsResolveToNothing) {
    EXPECT_EQ(resolveGate(Gate::Keep, kReplayMode), std::nullopt);
    EXPECT_EQ(resolveGate(Gate::Keep, kRecordModeRecording), std::nullopt);
}

TEST(GatingTips, EveryGreyedStartStepSwitchOpenOrManualButtonSaysWhy) {
    const ControlGroup reached[] = {ControlGroup::PlayButtons,     ControlGroup::RecordButtons,
                                    ControlGroup::PauseButtons,    ControlGroup::BackNextButtons,
                                    ControlGroup::SwitchButtons,   ControlGroup::FileOpenButton,
                                    ControlGroup::ManualStimButton};
    for (bool replay : {false, true})
        for (bool recording : {false, true})
            for (RunState state : kAllRunStates)
                for (ControlGroup group : reached) {
                    const GatingContext context{replay, recording};
                    if (enabled(group, state, context) != false) continue;
                    if (group == ControlGroup::PauseButtons && state == RunState::Pause) continue;  // paused already
                    EXPECT_FALSE(whyDisabled(group, state, context).empty())
                        << controlGroupName(group) << " in " << runStateName(state) << (replay ? ", replay" : "")
                        << (recording ? ", recording" : "");
                }
}

TEST(GatingTips, APausedRunNamesTheButtonThatResumesIt) {
    EXPECT_EQ(whyDisabled(ControlGroup::PlayButtons, RunState::Pause, kRecordModeRecording),
              "This run records: Record resumes it");
    EXPECT_EQ(whyDisabled(ControlGroup::RecordButtons, RunState::Pause, kRecordMode),
              "This run does not record: Play resumes it");
    EXPECT_EQ(whyDisabled(ControlGroup::PlayButtons, RunState::Pause, GatingContext{true, true}),
              "This export resumes with Record");
    EXPECT_EQ(whyDisabled(ControlGroup::ManualStimButton, RunState::Play, kRecordMode),
              "Available while a run is paused");
}
