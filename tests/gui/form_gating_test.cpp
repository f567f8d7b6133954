// The window's controls against the gating table: every state applied after
// every other, in record and replay mode, for recorded and unrecorded runs.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>

#include <map>
#include <string>
#include <vector>

#include "app/button_look.h"
#include "acquisition/run_gating.h"
#include "tests/gui/gui_test_support.h"

using namespace korin;
using Gating = ShownForm;

namespace {

std::vector<std::string> numbered(const std::string& prefix) {
    std::vector<std::string> names;
    for (int i = 1; i <= 16; ++i) names.push_back(prefix + std::to_string(i));
    return names;
}

std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The controls of each group, by name. The step tabs are checked separately.
const std::map<ControlGroup, std::vector<std::string>>& groupControls() {
    static const std::map<ControlGroup, std::vector<std::string>> groups = {
        {ControlGroup::PlayButtons, {"toolStripButtonPlay", "toolStripButtonPlay2"}},
        {ControlGroup::RecordButtons, {"toolStripButtonRec", "toolStripButtonRec2"}},
        {ControlGroup::StopButtons, {"toolStripButtonStop", "toolStripButtonStop2"}},
        {ControlGroup::PauseButtons, {"toolStripButtonPause", "toolStripButtonPause2"}},
        {ControlGroup::BackNextButtons,
         {"toolStripButtonBack", "toolStripButtonBack2", "toolStripButtonNext", "toolStripButtonNext2"}},
        {ControlGroup::FileOpenButton, {"buttonFileOpen"}},
        {ControlGroup::RunSettings,
         {"comboBoxInHours", "comboBoxInMin", "comboBoxInSec", "comboBoxTrace", "comboBoxHours", "comboBoxMin",
          "comboBoxSec", "comboInputRange", "comboBoxLPF", "comboBoxHPF"}},
        {ControlGroup::ExportSettings, {"buttonExport", "textBoxExportDire", "textBoxExportfilename"}},
        {ControlGroup::ReplayRange,
         join({"textBoxFileName", "textBoxTraceFrom", "textBoxTraceTo", "textBoxTimeFrom", "textBoxTimeTo"},
              numbered("buttonChrep_"))},
        {ControlGroup::ReplayDelay, {"comboBoxDelay"}},
        {ControlGroup::ReplayFilters, {"comboBoxLPFReplay", "comboBoxHPFReplay"}},
        {ControlGroup::SwitchButtons, {"toolStripButtonSwitch", "toolStripButtonSwitch2"}},
        {ControlGroup::ModeButton, {"toolStripButtonMode"}},
        {ControlGroup::ManualStimButton, {"buttonMNL"}},
        {ControlGroup::EasySettings, {"comboBoxEasySettings"}},
        {ControlGroup::ElectrodeButtons, join(numbered("buttonChstep1_"), numbered("buttonChstep2_"))},
        {ControlGroup::PreferenceMenus,
         {"MenuItemRawPrefLine", "MenuItemRawPrefBack", "MenuItemRawPrefGrid", "MenuItemRawPrefDefalt",
          "MenuItemRawUpPrefLine", "MenuItemRawUpPrefBack", "MenuItemRawUpPrefGrid", "MenuItemRawUpPrefDefault",
          "MenuItemFreqPrefLine", "MenuItemFreqPrefBack", "MenuItemFreqPrefGrid", "MenuItemPrefDefault"}},
    };
    return groups;
}

// The 13 editor controls of a step tab that follow the check box.
std::vector<std::string> stepEditorControls(int step) {
    const std::string s = step == 1 ? "" : "2";
    const std::string n = std::to_string(step);
    return {"comboBoxUnit" + s,  "comboBoxPulse" + s,       "textBoxDurationTrain" + s, "textBoxIntensity" + s,
            "textBoxPre" + s,    "textBoxPost" + s,         "textBoxUnits" + s,         "buttonAddStep" + n,
            "buttonDeleteStep" + n, "textBoxAutoIncrement" + s, "buttonInAllUnits" + s, "buttonbyrep" + s,
            "buttonRepeatAll" + s};
}

bool isEnabled(Korin16Form& form, const std::string& name) {
    QObject* object = form.findChild<QObject*>(QString::fromStdString(name));
    if (auto* widget = qobject_cast<QWidget*>(object)) return widget->isEnabled();
    if (auto* action = qobject_cast<QAction*>(object)) return action->isEnabled();
    ADD_FAILURE() << "no control " << name;
    return false;
}

std::map<std::string, bool> snapshot(Korin16Form& form) {
    std::map<std::string, bool> states;
    for (const auto& [group, names] : groupControls())
        for (const std::string& name : names) states[name] = isEnabled(form, name);
    for (int step : {1, 2}) {
        for (const std::string& name : stepEditorControls(step)) states[name] = isEnabled(form, name);
        const std::string box = "CheckStep" + std::to_string(step) + "Enable";
        states[box] = isEnabled(form, box);
    }
    return states;
}

std::string describe(RunState before, RunState state, bool replay, bool recording) {
    return std::string(runStateName(before)) + " then " + std::string(runStateName(state)) +
           (replay ? ", replay mode" : ", record mode") + (recording ? ", recording" : "");
}

}  // namespace

TEST_F(Gating, EveryStateAfterEveryOtherFollowsTheTable) {
    // Step 1 ticked and step 2 not: a pause opens only step 1's editor.
    control<QCheckBox>("CheckStep1Enable")->setChecked(true);
    for (bool replay : {false, true}) {
        for (bool recording : {false, true}) {
            form->ReplayMode = replay ? 1 : 0;
            form->rectf = recording ? 1 : 0;
            for (RunState before : kAllRunStates) {
                for (RunState state : kAllRunStates) {
                    form->applyRunState(before);
                    const auto was = snapshot(*form);
                    const std::uint8_t play = form->PlayTyuu, stop = form->StopTyuu, pause = form->PauseTyuu;
                    form->applyRunState(state);
                    const std::string where = describe(before, state, replay, recording);

                    for (const auto& [group, names] : groupControls()) {
                        const auto wanted = resolveGate(gateFor(group, state), GatingContext{replay, recording});
                        for (const std::string& name : names) {
                            // An unticked step keeps its electrode buttons off whatever the state.
                            const bool unticked = name.rfind("buttonChstep2_", 0) == 0;
                            ASSERT_EQ(isEnabled(*form, name), wanted.value_or(was.at(name)) && !unticked)
                                << name << " (" << controlGroupName(group) << "): " << where;
                        }
                    }

                    const Gate tabs = gateFor(ControlGroup::StepTabs, state);
                    for (int step : {1, 2}) {
                        const bool ticked = step == 1;
                        const std::string box = "CheckStep" + std::to_string(step) + "Enable";
                        bool editorWanted = false, boxWanted = false;
                        switch (tabs) {
                            case Gate::On:  // an unticked step keeps only its check box
                                editorWanted = ticked;
                                boxWanted = true;
                                break;
                            case Gate::Off: editorWanted = boxWanted = false; break;
                            case Gate::EnabledStepsOnly:
                                editorWanted = ticked ? true : was.at(stepEditorControls(step)[0]);
                                boxWanted = was.at(box);
                                break;
                            default:
                                editorWanted = was.at(stepEditorControls(step)[0]);
                                boxWanted = was.at(box);
                        }
                        for (const std::string& name : stepEditorControls(step))
                            ASSERT_EQ(isEnabled(*form, name), editorWanted) << name << ": " << where;
                        ASSERT_EQ(isEnabled(*form, box), boxWanted) << box << ": " << where;
                    }

                    const RunFlagChanges flags = flagChangesFor(state);
                    ASSERT_EQ(form->PlayTyuu, applyFlagChange(flags.PlayTyuu, play)) << where;
                    ASSERT_EQ(form->StopTyuu, applyFlagChange(flags.StopTyuu, stop)) << where;
                    ASSERT_EQ(form->PauseTyuu, applyFlagChange(flags.PauseTyuu, pause)) << where;
                }
            }
        }
    }
}

TEST_F(Gating, PlaySetsPlayTyuuAndClearsStopTyuu) {
    form->PlayTyuuDisable();
    EXPECT_EQ(form->PlayTyuu, 1);
    EXPECT_EQ(form->StopTyuu, 0);
    EXPECT_TRUE(control<QWidget>("toolStripButtonPause")->isEnabled());
}

TEST_F(Gating, RecordedPlayKeepsPauseOffUntilTheRunLoopEnablesIt) {
    form->rectf = 1;
    form->PlayTyuuDisable();
    EXPECT_FALSE(control<QWidget>("toolStripButtonPause")->isEnabled());
    form->setPauseButtonsEnabled(true);
    EXPECT_TRUE(control<QWidget>("toolStripButtonPause")->isEnabled());
    EXPECT_TRUE(control<QWidget>("toolStripButtonPause2")->isEnabled());
}

TEST_F(Gating, GateControlsLeavesTheRunFlagsAlone) {
    form->gateControls(RunState::Play, false);
    EXPECT_EQ(form->StopTyuu, 1);
    EXPECT_EQ(form->PlayTyuu, 0);
    EXPECT_FALSE(control<QWidget>("toolStripButtonPlay")->isEnabled());
}

TEST_F(Gating, DisabledSelectedButtonKeepsItsSelectedColoursDimmed) {
    auto* byRep = control<QAbstractButton>("buttonbyrep");
    form->setButtonSelected(byRep, true);
    form->PlayTyuuDisable();  // step tabs off
    ASSERT_FALSE(byRep->isEnabled());
    EXPECT_EQ(buttonForeColour(byRep), QColor(255, 255, 255, 10));
    EXPECT_EQ(buttonBackColour(byRep), QColor(90, 90, 90, 10));
}

TEST_F(Gating, ReenabledSelectedButtonRegainsItsSelectedColours) {
    control<QCheckBox>("CheckStep1Enable")->setChecked(true);
    auto* byRep = control<QAbstractButton>("buttonbyrep");
    form->setButtonSelected(byRep, true);
    form->PlayTyuuDisable();
    form->StopTyuuDisable();
    ASSERT_TRUE(byRep->isEnabled());
    EXPECT_EQ(buttonForeColour(byRep), QColor(255, 255, 255, 255));
    EXPECT_EQ(buttonBackColour(byRep), QColor(90, 90, 90, 255));
}

TEST_F(Gating, OrdinaryButtonDimsToAlphaTen) {
    control<QCheckBox>("CheckStep1Enable")->setChecked(true);
    auto* add = control<QAbstractButton>("buttonAddStep1");
    EXPECT_EQ(buttonForeColour(add), QColor(90, 90, 90, 255));
    EXPECT_EQ(buttonBackColour(add), QColor(255, 255, 255, 255));
    form->PlayTyuuDisable();
    EXPECT_EQ(buttonForeColour(add), QColor(90, 90, 90, 10));
    EXPECT_EQ(buttonBackColour(add), QColor(255, 255, 255, 10));
}

TEST_F(Gating, RecordButtonIsRedAndDimsToAlphaTen) {
    auto* rec = control<QAbstractButton>("toolStripButtonRec2");
    EXPECT_EQ(buttonForeColour(rec), QColor(255, 0, 0, 255));
    form->PlayTyuuDisable();
    EXPECT_EQ(buttonForeColour(rec), QColor(255, 0, 0, 10));
    EXPECT_EQ(buttonBackColour(rec), QColor(255, 255, 255, 10));
}

TEST_F(Gating, ToolbarButtonsTakeTheirDimmedColoursWhenDisabled) {
    auto* stop = control<QAbstractButton>("toolStripButtonStop");
    EXPECT_EQ(buttonForeColour(stop), QColor(90, 90, 90, 10));
    form->PlayTyuuDisable();
    EXPECT_EQ(buttonForeColour(stop), QColor(90, 90, 90, 255));
    EXPECT_EQ(buttonBackColour(stop), QColor(255, 255, 255, 255));
}

TEST_F(Gating, PauseOpensTheTickedStepWithoutItsCheckBox) {
    control<QCheckBox>("CheckStep1Enable")->setChecked(true);
    form->PlayTyuuDisable();
    form->PauseTyuuDisable();
    EXPECT_TRUE(control<QWidget>("textBoxIntensity")->isEnabled());
    EXPECT_TRUE(control<QWidget>("buttonAddStep1")->isEnabled());
    EXPECT_FALSE(control<QWidget>("CheckStep1Enable")->isEnabled());
    EXPECT_FALSE(control<QWidget>("textBoxIntensity2")->isEnabled());
}

TEST_F(Gating, ManualButtonIsEnabledOnlyByTheRunLoop) {
    form->PlayTyuuDisable();
    form->PauseTyuuDisable();
    EXPECT_FALSE(control<QWidget>("buttonMNL")->isEnabled());
    form->setManualButtonEnabled(true);
    EXPECT_TRUE(control<QWidget>("buttonMNL")->isEnabled());
    form->StopTyuuDisable();
    EXPECT_FALSE(control<QWidget>("buttonMNL")->isEnabled());
}

TEST_F(Gating, GreyedButtonsSayWhyAndGetTheirOwnTipBackWhenEnabled) {
    auto tip = [&](const char* name) { return control<QWidget>(name)->toolTip().toStdString(); };
    EXPECT_EQ(tip("buttonMNL"), "Available while a run is paused");
    EXPECT_EQ(tip("toolStripButtonPause2"), "Available during a run or a replay");
    EXPECT_EQ(tip("toolStripButtonPlay"), "Play");

    form->rectf = 1;
    form->PlayTyuuDisable();
    EXPECT_EQ(tip("toolStripButtonPlay"), "A run is in progress: Pause or Stop it first");
    EXPECT_EQ(tip("toolStripButtonPause"), "A recorded run can be paused from its first interval on");
    form->setPauseButtonsEnabled(true);
    EXPECT_EQ(tip("toolStripButtonPause"), "Pause");

    form->PauseTyuuDisable();
    EXPECT_EQ(tip("toolStripButtonPlay"), "This run records: Record resumes it");
    EXPECT_EQ(tip("toolStripButtonRec"), "Record");
    form->setManualButtonEnabled(true);
    EXPECT_EQ(tip("buttonMNL"), "");

    form->StopTyuuDisable();
    EXPECT_EQ(tip("buttonMNL"), "Available while a run is paused");
    EXPECT_EQ(tip("toolStripButtonPlay"), "Play");
}
