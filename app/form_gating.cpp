// Run-state gating of the main window: every state applies its column of the
// gating table to the control groups and sets the run flags.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "app/acquisition_panel.h"
#include "app/button_look.h"
#include "app/korin16_form.h"
#include "app/replay_panel.h"
#include "app/run_toolbar.h"
#include "app/step_tab.h"
#include "app/view_frames.h"

using namespace korin;

void Korin16Form::applyRunState(RunState state) {
    gateControls(state, rectf != 0);
    runFlags.apply(state);
}

void Korin16Form::gateControls(RunState state, bool recording) {
    const GatingContext context{ReplayMode != 0, recording};
    for (int g = 0; g < kControlGroupCount; ++g) applyGroup(static_cast<ControlGroup>(g), state, context);
    if (hooks.afterGating) hooks.afterGating();
}

void Korin16Form::setPauseButtonsEnabled(bool on) { setGroupEnabled(ControlGroup::PauseButtons, on); }

void Korin16Form::setManualButtonEnabled(bool on) { setGroupEnabled(ControlGroup::ManualStimButton, on); }

void Korin16Form::applyGroup(ControlGroup group, RunState state, GatingContext context) {
    const Gate gate = gateFor(group, state);
    if (group == ControlGroup::StepTabs) {
        switch (gate) {
            case Gate::On:
            case Gate::Off:
                tabStep1Enabled(gate == Gate::On);
                tabStep2Enabled(gate == Gate::On);
                break;
            case Gate::EnabledStepsOnly:
                tabStep1EnabledPause(true);
                tabStep2EnabledPause(true);
                break;
            default: break;
        }
        return;
    }
    const auto on = resolveGate(gate, context);
    if (on) setGroupEnabled(group, *on);
}

void Korin16Form::setGroupEnabled(ControlGroup group, bool on) {
    AcquisitionPanel* acq = panelAcquisitionNew;
    ReplayPanel* rep = panelReplay;
    auto enable = [on](std::initializer_list<QWidget*> widgets) {
        for (QWidget* w : widgets) w->setEnabled(on);
    };
    switch (group) {
        case ControlGroup::PlayButtons:
            for (RunToolBar* bar : runToolBars()) setButtonEnablePlayButton(bar->toolStripButtonPlay, on);
            break;
        case ControlGroup::RecordButtons:
            for (RunToolBar* bar : runToolBars()) setButtonEnableRecordButton(bar->toolStripButtonRec, on);
            break;
        case ControlGroup::StopButtons:
            for (RunToolBar* bar : runToolBars()) setButtonEnablePlayButton(bar->toolStripButtonStop, on);
            break;
        case ControlGroup::PauseButtons:
            for (RunToolBar* bar : runToolBars()) setButtonEnablePlayButton(bar->toolStripButtonPause, on);
            break;
        case ControlGroup::BackNextButtons:
            for (RunToolBar* bar : runToolBars()) {
                setButtonEnablePlayButton(bar->toolStripButtonBack, on);
                setButtonEnablePlayButton(bar->toolStripButtonNext, on);
            }
            break;
        case ControlGroup::SwitchButtons:
            for (RunToolBar* bar : runToolBars()) setButtonEnablePlayButton(bar->toolStripButtonSwitch, on);
            break;
        case ControlGroup::ModeButton: setButtonEnablePlayButton(modeButton(), on); break;
        case ControlGroup::FileOpenButton: enable({rep->buttonFileOpen}); break;
        case ControlGroup::RunSettings:
            enable({acq->comboBoxInHours, acq->comboBoxInMin, acq->comboBoxInSec, acq->comboBoxTrace,
                    acq->comboBoxHours, acq->comboBoxMin, acq->comboBoxSec, acq->comboInputRange, acq->comboBoxLPF,
                    acq->comboBoxHPF});
            break;
        case ControlGroup::ExportSettings:
            enable({acq->buttonExport, acq->textBoxExportDire, acq->textBoxExportfilename});
            break;
        case ControlGroup::ReplayRange:
            enable({rep->textBoxFileName, rep->textBoxTraceFrom, rep->textBoxTraceTo, rep->textBoxTimeFrom,
                    rep->textBoxTimeTo});
            for (QPushButton* b : rep->channelButtons) b->setEnabled(on);
            break;
        case ControlGroup::ReplayDelay: enable({rep->comboBoxDelay}); break;
        case ControlGroup::ReplayFilters: enable({rep->comboBoxLPFReplay, rep->comboBoxHPFReplay}); break;
        case ControlGroup::ManualStimButton: setButtonEnable(stepTab(2)->buttonMNL, on); break;
        case ControlGroup::EasySettings: enable({acq->comboBoxEasySettings}); break;
        case ControlGroup::ElectrodeButtons:
            for (int i = 0; i < 2; ++i)
                for (QPushButton* b : stepTab(i)->electrodeButtons) b->setEnabled(on);
            break;
        case ControlGroup::PreferenceMenus: setPrefEnabled(on); break;
        case ControlGroup::StepTabs: break;  // handled by the tab operations
    }
}

// --- Buttons in the colour scheme ----------------------------------------------

void Korin16Form::setButtonEnable(QAbstractButton* button, bool on) {
    button->setEnabled(on);
    applyButtonLook(button, isShownSelected(button) ? ButtonKind::OrdinarySelected : ButtonKind::Ordinary, on);
}

void Korin16Form::setButtonEnablePlayButton(QAbstractButton* button, bool on) {
    button->setEnabled(on);
    applyButtonLook(button, ButtonKind::Toolbar, on);
}

void Korin16Form::setButtonEnableRecordButton(QAbstractButton* button, bool on) {
    button->setEnabled(on);
    applyButtonLook(button, ButtonKind::Record, on);
}

void Korin16Form::setButtonSelected(QAbstractButton* button, bool selected) {
    setShownSelected(button, selected);
    const bool enabled = !button->testAttribute(Qt::WA_Disabled);
    applyButtonLook(button, selected ? ButtonKind::OrdinarySelected : ButtonKind::Ordinary, enabled);
}

// --- Step tabs and preference menus --------------------------------------------

void Korin16Form::setStepTabEnabled(StepTab* tab, bool on, bool includeCheckBox) {
    for (QWidget* control : tab->gatedControls()) {
        if (control == tab->CheckStepEnable && !includeCheckBox) continue;
        if (auto* button = qobject_cast<QPushButton*>(control)) setButtonEnable(button, on);
        else control->setEnabled(on);
    }
}

void Korin16Form::tabStep1Enabled(bool on) { setStepTabEnabled(stepTab(0), on, true); }
void Korin16Form::tabStep2Enabled(bool on) { setStepTabEnabled(stepTab(1), on, true); }

void Korin16Form::tabStep1EnabledPause(bool on) {
    if (stepTab(0)->CheckStepEnable->isChecked()) setStepTabEnabled(stepTab(0), on, false);
}

void Korin16Form::tabStep2EnabledPause(bool on) {
    if (stepTab(1)->CheckStepEnable->isChecked()) setStepTabEnabled(stepTab(1), on, false);
}

void Korin16Form::setPrefEnabled(bool on) {
    for (const PreferenceItems* prefs :
         {&panelRawDataDodai->preferences, &panelRawDataUpDodai->preferences, &panelFreqDodai->preferences})
        for (QAction* item : prefs->items) item->setEnabled(on);
}
