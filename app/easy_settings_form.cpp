#include "app/easy_settings_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

#include <cstdio>

#include "app/acquisition_panel.h"
#include "app/korin16_form.h"
#include "app/panel_widgets.h"
#include "app/selected_views_form.h"
#include "app/step_editor_form.h"
#include "app/step_tab.h"
#include "app/view_frames.h"
#include "display/gl/fault_boundary.h"

using korin::ui::shield;

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }
std::string text(const QComboBox* combo) { return combo->currentText().toStdString(); }

}  // namespace

EasySettingsForm::EasySettingsForm(Korin16Form& form) : QObject(&form), form_(form) {
    connect(form.panelAcquisitionNew->comboBoxEasySettings, &QComboBox::currentTextChanged, this,
            shield([this](const QString& selected) { comboBoxEasySettings_SelectedIndexChanged(selected); }));
}

void EasySettingsForm::comboBoxEasySettings_SelectedIndexChanged(const QString& selected) {
    if (form_.Tatiagari) return;  // the start-up text "Custom" is no choice
    PresetState state = readState();
    std::string why;
    if (!presets.comboBoxEasySettings_SelectedIndexChanged(selected.toStdString(), state, &why)) {
        std::puts(why.c_str());
        std::fflush(stdout);
        return;
    }
    form_.EasySettingPreName = QString::fromStdString(presets.EasySettingPreName());
    if (selected != QStringLiteral("Custom")) showState(state);
}

PresetState EasySettingsForm::readState() const {
    const AcquisitionPanel* acq = form_.panelAcquisitionNew;
    PresetState s;
    s.trace = text(acq->comboBoxTrace);
    s.hours = text(acq->comboBoxHours);
    s.minutes = text(acq->comboBoxMin);
    s.seconds = text(acq->comboBoxSec);
    s.intervalHours = text(acq->comboBoxInHours);
    s.intervalMinutes = text(acq->comboBoxInMin);
    s.intervalSeconds = text(acq->comboBoxInSec);
    s.hpf = text(acq->comboBoxHPF);
    s.lpf = text(acq->comboBoxLPF);
    s.inputRange = text(acq->comboInputRange);
    s.Mode = form_.Mode;
    s.RawXaxis = form_.RawXaxis.toStdString();
    s.RawYaxis = form_.RawYaxis.toStdString();
    s.Rawauto = form_.Rawauto;
    s.RawUpXaxis = form_.RawUpXaxis.toStdString();
    s.textBoxRawYMax = form_.panelRawDataUpDodai->textBoxRawYMax->text().toStdString();
    s.textBoxRawYMin = form_.panelRawDataUpDodai->textBoxRawYMin->text().toStdString();
    s.RawUpauto = form_.RawUpauto;
    s.Freqauto = form_.Freqauto;
    s.hyouziStep = form_.hyouziStep;
    s.step1 = form_.Step1PP;
    s.step2 = form_.Step2PP;
    s.manual = form_.StepMPP;
    for (int step = 0; step < 3; ++step) {
        s.tabs[static_cast<std::size_t>(step)] = form_.stepEditors->editor(step).tab;
        if (const QCheckBox* enable = form_.stepTab(step)->CheckStepEnable)
            s.tabs[static_cast<std::size_t>(step)].enabled = enable->isChecked();
    }
    return s;
}

void EasySettingsForm::showState(const PresetState& s) {
    AcquisitionPanel* acq = form_.panelAcquisitionNew;
    using korin::ui::setSelectorText;
    setSelectorText(acq->comboBoxTrace, qs(s.trace));
    setSelectorText(acq->comboBoxHours, qs(s.hours));
    setSelectorText(acq->comboBoxMin, qs(s.minutes));
    setSelectorText(acq->comboBoxSec, qs(s.seconds));
    setSelectorText(acq->comboBoxInHours, qs(s.intervalHours));
    setSelectorText(acq->comboBoxInMin, qs(s.intervalMinutes));
    setSelectorText(acq->comboBoxInSec, qs(s.intervalSeconds));
    setSelectorText(acq->comboBoxHPF, qs(s.hpf));
    setSelectorText(acq->comboBoxLPF, qs(s.lpf));
    setSelectorText(acq->comboInputRange, qs(s.inputRange));
    form_.setTraceDisable();

    form_.Step1PP = s.step1;
    form_.Step2PP = s.step2;
    form_.StepMPP = s.manual;
    for (int step = 0; step < 3; ++step) {
        form_.stepEditors->editor(step).tab = s.tabs[static_cast<std::size_t>(step)];
        if (QCheckBox* enable = form_.stepTab(step)->CheckStepEnable) enable->setChecked(s.tabs[static_cast<std::size_t>(step)].enabled);
    }
    acq->tabControlStep->setCurrentIndex(s.stimTab);
    for (int step = 0; step < 3; ++step) {
        form_.stepEditors->showEdit(step, {});
        if (step < 2) form_.stepEditors->EnableChangeStep(step);
    }
    TimeLineFrame* line = form_.panelTimeLineDodai;
    if (!s.timeLineXMax.empty()) {
        line->textBoxTimeLineXMin->setText(qs(s.timeLineXMin));
        line->textBoxTimeLineXMax->setText(qs(s.timeLineXMax));
    }
    if (s.autoscalePatterns) form_.stepEditors->Stimautoscale();

    form_.Mode = static_cast<std::uint8_t>(s.Mode);
    form_.initializeModeApply();
    form_.RawXaxis = qs(s.RawXaxis);
    form_.RawYaxis = qs(s.RawYaxis);
    form_.Rawauto = s.Rawauto;
    form_.RawXCheck();
    form_.RawYCheck();
    form_.RawUpXaxis = qs(s.RawUpXaxis);
    form_.RawUpCheck();
    RawDataUpFrame* up = form_.panelRawDataUpDodai;
    up->textBoxRawXMin->setText(QStringLiteral("0"));
    up->textBoxRawXMax->setText(qs(s.RawUpXaxis));
    up->textBoxRawYMax->setText(qs(s.textBoxRawYMax));
    up->textBoxRawYMin->setText(qs(s.textBoxRawYMin));
    form_.selectedViews->setRawUpAuto(s.RawUpauto);
    form_.selectedViews->setFreqAuto(s.Freqauto);
    form_.hyouziStep = s.hyouziStep;
    form_.StepFilterCheck();
    form_.drawSizeChange();
}
