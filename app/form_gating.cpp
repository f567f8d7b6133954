// Run-state gating of the main window: every state applies its column of the
// gating table to the control groups and sets the run flags.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVariant>

#include "app/acquisition_panel.h"
#include "app/button_look.h"
#include "app/korin16_form.h"
#include "app/logic/gating_tips.h"
#include "app/replay_panel.h"
#include "app/run_toolbar.h"
#include "app/step_tab.h"
#include "app/view_frames.h"

using namespace korin;

namespace {

// The control's own tool tip, kept while a reason for its greying stands in.
constexpr const char* kOwnToolTip = "korin16OwnToolTip";

void showWhy(QWidget* widget, bool enabled, std::string_view reason) {
    const QVariant own = widget->property(kOwnToolTip);
    if (enabled || reason.empty()) {
        if (own.isValid()) widget->setToolTip(own.toString());
        return;
    }
    if (!own.isValid()) widget->setProperty(kOwnToolTip, widget->toolTip());
    widget->setToolTip(QString::fromUtf8(reason.data(), static_cast<int>(reason.size())));
}

}  // namespace

void Korin16Form::applyRunState(RunState state) {
    gateControls(state, rectf != 0);
    runFlags.apply(state);
}

void Korin16Form::gateControls(RunState state, bool recording) {
    gatedState_ = state;
    gatedContext_ = GatingContext{ReplayMode != 0, recording};
    for (int g = 0; g < kControlGroupCount; ++g) applyGroup(static_cast<ControlGroup>(g), state, gatedContext_);
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

std::vector<QWidget*> Korin16Form::groupWidgets(ControlGroup group) const {
    AcquisitionPanel* acq = panelAcquisitionNew;
    ReplayPanel* rep = panelReplay;
    std::vector<QWidget*> widgets;
    auto toolbars = [&](auto member) {
        for (RunToolBar* bar : runToolBars()) widgets.push_back(bar->*member);
    };
    switch (group) {
        case ControlGroup::PlayButtons: toolbars(&RunToolBar::toolStripButtonPlay); break;
        case ControlGroup::RecordButtons: toolbars(&RunToolBar::toolStripButtonRec); break;
        case ControlGroup::StopButtons: toolbars(&RunToolBar::toolStripButtonStop); break;
        case ControlGroup::PauseButtons: toolbars(&RunToolBar::toolStripButtonPause); break;
        case ControlGroup::BackNextButtons:
            toolbars(&RunToolBar::toolStripButtonBack);
            toolbars(&RunToolBar::toolStripButtonNext);
            break;
        case ControlGroup::SwitchButtons: toolbars(&RunToolBar::toolStripButtonSwitch); break;
        case ControlGroup::ModeButton: widgets = {modeButton()}; break;
        case ControlGroup::FileOpenButton: widgets = {rep->buttonFileOpen}; break;
        case ControlGroup::RunSettings:
            widgets = {acq->comboBoxInHours, acq->comboBoxInMin, acq->comboBoxInSec, acq->comboBoxTrace,
                       acq->comboBoxHours,   acq->comboBoxMin,   acq->comboBoxSec,   acq->comboInputRange,
                       acq->comboBoxLPF,     acq->comboBoxHPF};
            break;
        case ControlGroup::ExportSettings:
            widgets = {acq->buttonExport, acq->textBoxExportDire, acq->textBoxExportfilename};
            break;
        case ControlGroup::ReplayRange:
            widgets = {rep->textBoxFileName, rep->textBoxTraceFrom, rep->textBoxTraceTo, rep->textBoxTimeFrom,
                       rep->textBoxTimeTo};
            widgets.insert(widgets.end(), rep->channelButtons.begin(), rep->channelButtons.end());
            break;
        case ControlGroup::ReplayDelay: widgets = {rep->comboBoxDelay}; break;
        case ControlGroup::ReplayFilters: widgets = {rep->comboBoxLPFReplay, rep->comboBoxHPFReplay}; break;
        case ControlGroup::ManualStimButton: widgets = {stepTab(2)->buttonMNL}; break;
        case ControlGroup::EasySettings: widgets = {acq->comboBoxEasySettings}; break;
        case ControlGroup::ElectrodeButtons:
            for (int i = 0; i < 2; ++i)
                widgets.insert(widgets.end(), stepTab(i)->electrodeButtons.begin(), stepTab(i)->electrodeButtons.end());
            break;
        case ControlGroup::StepTabs:
        case ControlGroup::PreferenceMenus: break;  // the tab operations and the menu items
    }
    return widgets;
}

void Korin16Form::setGroupEnabled(ControlGroup group, bool on) {
    const std::string_view reason = whyDisabled(group, gatedState_, gatedContext_);
    for (QWidget* w : groupWidgets(group)) {
        auto* button = qobject_cast<QAbstractButton*>(w);
        switch (group) {
            case ControlGroup::RecordButtons: setButtonEnableRecordButton(button, on); break;
            case ControlGroup::PlayButtons:
            case ControlGroup::StopButtons:
            case ControlGroup::PauseButtons:
            case ControlGroup::BackNextButtons:
            case ControlGroup::SwitchButtons:
            case ControlGroup::ModeButton: setButtonEnablePlayButton(button, on); break;
            case ControlGroup::ManualStimButton: setButtonEnable(button, on); break;
            default: w->setEnabled(on); break;
        }
        showWhy(w, on, reason);
    }
    if (group == ControlGroup::PreferenceMenus) setPrefEnabled(on);
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
