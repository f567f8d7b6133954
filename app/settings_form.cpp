#include "app/settings_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <array>
#include <cstdio>
#include <optional>

#include "acquisition/number_text.h"
#include "app/acquisition_panel.h"
#include "app/device_choice_form.h"
#include "app/korin16_form.h"
#include "app/panel_widgets.h"
#include "app/selected_views_form.h"
#include "app/slope_view_form.h"
#include "app/step_editor_form.h"
#include "app/step_tab.h"
#include "app/view_frames.h"

using korin::EditorBox;
using korin::SettingKey;
using korin::SettingsValues;

namespace {

using K = SettingKey;

constexpr int kMicroScale = 1000;  // the Y scales: 1000 per mV in µV, 1 in mV
constexpr int kMilliScale = 1;
constexpr int kSecScale = 1000;    // ms per X unit
constexpr int kMinScale = 60000;
const QString kMicro = QString::fromUtf8("\u03BCV");

// The keys whose value is the text of one control, by the control's object name.
struct ControlKey {
    SettingKey key;
    const char* control;
};
constexpr std::array<ControlKey, 21> kControlKeys{{
    {K::InputRange, "comboInputRange"},
    {K::Trace, "comboBoxTrace"},
    {K::Hours, "comboBoxHours"},
    {K::Min, "comboBoxMin"},
    {K::Sec, "comboBoxSec"},
    {K::HoursInterval, "comboBoxInHours"},
    {K::MinInterval, "comboBoxInMin"},
    {K::SecInterval, "comboBoxInSec"},
    {K::LowCut, "comboBoxHPF"},
    {K::HighCut, "comboBoxLPF"},
    {K::LowCutReplay, "comboBoxHPFReplay"},
    {K::HighCutReplay, "comboBoxLPFReplay"},
    {K::DataFormat, "comboBoxDataFormat"},
    {K::DataFormatReplay, "comboBoxDataFormatReplay"},
    {K::RawYMax, "textBoxRawYMax"},
    {K::RawYMin, "textBoxRawYMin"},
    {K::FreqYMax, "textBoxFreqYMax"},
    {K::FreqYMin, "textBoxFreqYMin"},
    {K::Delay, "comboBoxDelay"},
    {K::Step1Enable, "CheckStep1Enable"},
    {K::Step2Enable, "CheckStep2Enable"},
}};

const char* controlOf(SettingKey key) {
    for (const ControlKey& c : kControlKeys)
        if (c.key == key) return c.control;
    return nullptr;
}

QString qs(const std::string& text) { return QString::fromStdString(text); }

// The step editor (0, 1, 2) and box of an editor key, or nothing.
std::optional<std::pair<int, EditorBox>> editorBoxOf(SettingKey key) {
    const auto first = static_cast<int>(K::Unit);
    const auto k = static_cast<int>(key);
    constexpr int kBoxes = 8;
    if (k < first || k >= first + 3 * kBoxes) return std::nullopt;
    return std::pair{(k - first) / kBoxes, static_cast<EditorBox>((k - first) % kBoxes)};
}

int outputOf(const std::string& text) { return text == "S2" ? PulseParameters::kS2 : PulseParameters::kS1; }

}  // namespace

SettingsForm::SettingsForm(Korin16Form& form) : QObject(&form), form_(form) {
    form.hooks.initialSettingLastOneMemory = [this] { initialSettingLastOneMemory(); };
    form.hooks.Korin16Form_FormClosed = [this] { Korin16Form_FormClosed(); };
}

SettingsForm::~SettingsForm() {
    form_.hooks.initialSettingLastOneMemory = nullptr;
    form_.hooks.Korin16Form_FormClosed = nullptr;
}

double SettingsForm::traceSeconds() const {
    const AcquisitionPanel* acq = form_.panelAcquisitionNew;
    double seconds = 0;
    for (auto [combo, scale] : {std::pair{acq->comboBoxHours, 3600.0}, std::pair{acq->comboBoxMin, 60.0},
                                std::pair{acq->comboBoxSec, 1.0}})
        seconds += korin::parseDouble(combo->currentText().toStdString()).value_or(0.0) * scale;
    return seconds;
}

// --- Loading --------------------------------------------------------------------

void SettingsForm::initialSettingLastOneMemory() {
    const korin::LoadedSettings loaded = korin::loadSettings(korin::settingsFolder());
    for (const std::string& line : loaded.console) std::puts(line.c_str());
    std::fflush(stdout);
    korin::initialSettingLastOneMemory(loaded, *this);
    applied_ = true;
}

void SettingsForm::applySetting(SettingKey key, const std::string& value) {
    if (const char* name = controlOf(key)) {
        QObject* control = form_.findChild<QObject*>(QString::fromLatin1(name));
        if (auto* combo = qobject_cast<QComboBox*>(control)) korin::ui::setSelectorText(combo, qs(value));
        else if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->setText(qs(value));
        else if (auto* check = qobject_cast<QCheckBox*>(control)) check->setChecked(value == "True");
        return;
    }
    if (const auto box = editorBoxOf(key)) {
        stim::StepEditor& editor = form_.stepEditors->editor(box->first);
        stim::StepTabState& tab = editor.tab;
        switch (box->second) {
            case EditorBox::Unit: editor.selectUnit(korin::parseInt32(value).value_or(0)); break;
            case EditorBox::Pulse: tab.fields.Pulsetype = value; break;
            case EditorBox::DurationTrain: tab.fields.Duration = value; break;
            case EditorBox::Intensity: tab.fields.Intensity = value; break;
            case EditorBox::Pre: tab.fields.Pre = value; break;
            case EditorBox::Post: tab.fields.Post = value; break;
            case EditorBox::Units:
                tab.units = value;
                form_.stepTab(box->first)->textBoxUnits->setText(qs(value));
                break;
            case EditorBox::AutoIncrement: tab.increment = value; break;
        }
        return;
    }
    const bool on = value == "True";
    const std::int32_t number = korin::parseInt32(value).value_or(0);
    switch (key) {
        case K::RawAutoscale: form_.Rawauto = on; break;
        case K::RawDuration: form_.RawXaxis = qs(value); break;
        case K::RawVoltage: form_.RawYaxis = qs(value); break;
        case K::SelectedRawAutoscale: form_.selectedViews->setRawUpAuto(on); break;
        case K::SelectedRawDuration: form_.RawUpXaxis = qs(value); break;
        case K::SelectedFreqAutoscale: form_.selectedViews->setFreqAuto(on); break;
        case K::Step1F: form_.stepEditors->editor(0).selectOutput(outputOf(value)); break;
        case K::Step2F: form_.stepEditors->editor(1).selectOutput(outputOf(value)); break;
        case K::StepMF: form_.stepEditors->editor(2).selectOutput(outputOf(value)); break;
        case K::Mode: form_.Mode = static_cast<std::uint8_t>(number); break;
        case K::ReplayMode: form_.ReplayMode = on ? 1 : 0; break;
        case K::SelectCh:
            form_.selectCh = number;
            form_.SelectOneCh = QString::number(number);
            break;
        case K::StepFilter: form_.hyouziStep = number; break;
        case K::UIType: form_.UIType = qs(value); break;
        case K::RawUpYUnit: form_.RawUpYUnit = qs(value); break;
        case K::EpYUnit: form_.EpYUnit = qs(value); break;
        case K::EpXUnit: form_.EpXUnit = qs(value); break;
        case K::Device: form_.deviceChoice->setPreference(devicePreferenceFromText(value)); break;
        case K::SlopeMeasure: form_.slopeView->setMeasure(static_cast<korin::EvokedMeasure>(number)); break;
        case K::SlopeBaselineTraces: form_.slopeView->setBaselineTraces(number); break;
        case K::SlopeAbsolute: form_.slopeView->setAbsolute(number != 0); break;
        // Electrodes, colours and the evoked-response windows (one set of eight
        // keys): applied with the rest in applyLoaded.
        default: break;
    }
}

void SettingsForm::applyPulseList(korin::PulseList list, const korin::PulseListFile& file) {
    const korin::PulseListInfo& info = korin::pulseListInfo(list);
    stim::StepEditor& editor = form_.stepEditors->editor(info.step);
    editor.setTraceSeconds(traceSeconds());
    std::string alert;
    korin::setStimLastOneMemory(editor, info.f, file, &alert);
    if (!alert.empty()) form_.ShowAlert(qs(alert));
    form_.stepEditors->showEdit(info.step, {});
}

void SettingsForm::stepListsLoaded(int step) {
    TimeLineFrame* line = form_.panelTimeLineDodai;
    if (step == 0) {
        line->textBoxStimF1Ymin->setText(QStringLiteral("0"));
        line->textBoxStimF1Ymax->setText(QStringLiteral("0"));
    }
    // The repeat-all button, the by-rep colours and the increment text follow the editor.
    form_.stepEditors->showEdit(step, {});
}

void SettingsForm::applyLoaded(const SettingsValues& values) {
    korin::applyToPrograms(values, form_.Step1PP, form_.Step2PP, form_.StepMPP);
    std::string windowsProblem;
    form_.slopeView->setEvokedWindows(korin::evokedWindows(values, &windowsProblem));
    if (!windowsProblem.empty()) {
        std::printf("Evoked-response windows of the settings are refused (%s); the defaults are used\n",
                    windowsProblem.c_str());
        std::fflush(stdout);
    }
    form_.colors.BackColor16 = values.colour(korin::ViewColour::Back);
    form_.colors.LineColor16 = values.colour(korin::ViewColour::Line);
    form_.colors.GridColor16 = values.colour(korin::ViewColour::Grid);

    form_.TypeSelectCheck();
    form_.StepFilterCheck();
    form_.RawXCheck();
    form_.RawUpCheck();
    form_.RawYCheck();  // ticks "Autoscale" instead when the sixteen-channel view autoscales
    // The stored limit boxes are in the stored units: the scales follow the
    // units without converting the boxes.
    form_.RawUpYScale = form_.RawUpYUnit == kMicro ? kMicroScale : kMilliScale;
    form_.EpYScale = form_.EpYUnit == kMicro ? kMicroScale : kMilliScale;
    form_.EpXScale = form_.EpXUnit == "sec" ? kSecScale : kMinScale;
    form_.RawUpYaxisUnitCheck();
    form_.EpYaxisUnitCheck();
    form_.EpXaxisUnitCheck();
    form_.initializeModeApply();
    form_.initializeSwitchApply();
    form_.setTraceDisable();

    for (int step = 0; step < 3; ++step) {
        stim::StepEditor& editor = form_.stepEditors->editor(step);
        const PulseParameters& program = editor.program();
        const bool s1 = editor.tab.output == PulseParameters::kS1;
        editor.tab.redButton = s1 ? program.S1Ch : program.S2Ch;
        // The box shows the shown output's own increment, not the text it was saved with.
        editor.tab.increment = s1 ? program.autoincrementS1 : program.autoincrementS2;
        form_.stepEditors->showEdit(step, {});
        if (step < 2) form_.stepEditors->EnableChangeStep(step);
    }
    form_.stepEditors->Stimautoscale();
}

// --- Saving ---------------------------------------------------------------------

SettingsValues SettingsForm::currentValues() const {
    SettingsValues v = SettingsValues::defaults();
    for (const ControlKey& c : kControlKeys) {
        QObject* control = form_.findChild<QObject*>(QString::fromLatin1(c.control));
        if (auto* combo = qobject_cast<QComboBox*>(control)) v.set(c.key, combo->currentText().toStdString());
        else if (auto* edit = qobject_cast<QLineEdit*>(control)) v.set(c.key, edit->text().toStdString());
        else if (auto* check = qobject_cast<QCheckBox*>(control)) v.setFlag(c.key, check->isChecked());
    }
    for (int step = 0; step < 3; ++step) {
        const StepTab* tab = form_.stepTab(step);
        const auto editor = static_cast<korin::StepEditor>(step);
        auto set = [&](EditorBox box, const QString& text) { v.set(korin::editorKey(editor, box), text.toStdString()); };
        set(EditorBox::Unit, tab->comboBoxUnit->currentText());
        set(EditorBox::Pulse, tab->comboBoxPulse->currentText());
        set(EditorBox::DurationTrain, tab->textBoxDurationTrain->text());
        set(EditorBox::Intensity, tab->textBoxIntensity->text());
        set(EditorBox::Pre, tab->textBoxPre->text());
        set(EditorBox::Post, tab->textBoxPost->text());
        set(EditorBox::Units, tab->textBoxUnits->text());
        set(EditorBox::AutoIncrement, tab->textBoxAutoIncrement->text());
    }
    v.set(K::Step1F, form_.stepTab(0)->comboStepF->currentText().toStdString());
    v.set(K::Step2F, form_.stepTab(1)->comboStepF->currentText().toStdString());
    v.set(K::StepMF, form_.stepTab(2)->comboStepF->currentText().toStdString());
    v.setFlag(K::RawAutoscale, form_.Rawauto);
    v.set(K::RawDuration, form_.RawXaxis.toStdString());
    v.set(K::RawVoltage, form_.RawYaxis.toStdString());
    v.setFlag(K::SelectedRawAutoscale, form_.RawUpauto);
    v.set(K::SelectedRawDuration, form_.RawUpXaxis.toStdString());
    v.setFlag(K::SelectedFreqAutoscale, form_.Freqauto);
    v.setInteger(K::Mode, form_.Mode);
    v.setFlag(K::ReplayMode, form_.ReplayMode != 0);
    v.setInteger(K::SelectCh, form_.selectCh);
    v.setColour(korin::ViewColour::Back, form_.colors.BackColor16);
    v.setColour(korin::ViewColour::Line, form_.colors.LineColor16);
    v.setColour(korin::ViewColour::Grid, form_.colors.GridColor16);
    v.setInteger(K::StepFilter, form_.hyouziStep);
    v.set(K::UIType, form_.UIType.toStdString());
    v.set(K::RawUpYUnit, form_.RawUpYUnit.toStdString());
    v.set(K::EpYUnit, form_.EpYUnit.toStdString());
    v.set(K::EpXUnit, form_.EpXUnit.toStdString());
    v.set(K::Device, std::string(devicePreferenceText(form_.deviceChoice->preference())));
    korin::setEvokedWindows(v, form_.slopeView->evokedWindows());
    const SlopeSettings& slope = form_.slopeView->settings();
    v.setInteger(K::SlopeMeasure, static_cast<std::int32_t>(slope.measure));
    v.setInteger(K::SlopeBaselineTraces, slope.baselineTraces);
    v.setInteger(K::SlopeAbsolute, slope.absolute ? 1 : 0);
    korin::takeFromPrograms(v, form_.Step1PP, form_.Step2PP, form_.StepMPP);
    return v;
}

void SettingsForm::Korin16Form_FormClosed() {
    const char* question = korin::closeQuestion(form_.panelAcquisitionNew->comboBoxEasySettings->currentText().toStdString());
    if (!question || !form_.AskQuestion(QString::fromUtf8(question))) return;
    std::string error;
    if (!korin::saveSettings(korin::settingsFolder(), currentValues(), form_.Step1PP, form_.Step2PP, form_.StepMPP,
                             &error)) {
        std::puts(error.c_str());
        std::fflush(stdout);
    }
}
