#include "app/form_run_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>

#include "app/acquisition_panel.h"
#include "app/korin16_form.h"
#include "app/panel_widgets.h"
#include "app/step_tab.h"

FormRunWindow::FormRunWindow(Korin16Form& form) : form_(form) {}

QObject* FormRunWindow::control(RunText which) const {
    AcquisitionPanel* acq = form_.panelAcquisitionNew;
    switch (which) {
        case RunText::Repeat: return acq->comboBoxTrace;
        case RunText::Hours: return acq->comboBoxHours;
        case RunText::Minutes: return acq->comboBoxMin;
        case RunText::Seconds: return acq->comboBoxSec;
        case RunText::IntervalHours: return acq->comboBoxInHours;
        case RunText::IntervalMinutes: return acq->comboBoxInMin;
        case RunText::IntervalSeconds: return acq->comboBoxInSec;
        case RunText::InputRange: return acq->comboInputRange;
        case RunText::DataFormat: return acq->comboBoxDataFormat;
        case RunText::OutputFolder: return acq->textBoxExportDire;
        case RunText::AddText: return acq->textBoxExportfilename;
        case RunText::Highpass: return acq->comboBoxHPF;
        case RunText::Lowpass: return acq->comboBoxLPF;
        case RunText::ManualButton: return form_.stepTab(2)->buttonMNL;
        case RunText::LabelTrace: return acq->labelRemainingTrace;
        case RunText::LabelRemaining: return acq->labelRemaining;
        case RunText::LabelInterval: return acq->labelRemainigInterval;
    }
    return nullptr;
}

std::string FormRunWindow::text(RunText which) const {
    QObject* c = control(which);
    QString value;
    if (auto* combo = qobject_cast<QComboBox*>(c)) value = combo->currentText();
    else if (auto* edit = qobject_cast<QLineEdit*>(c)) value = edit->text();
    else if (auto* label = qobject_cast<QLabel*>(c)) value = label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(c)) value = button->text();
    return value.toStdString();
}

void FormRunWindow::setText(RunText which, const std::string& value) {
    QObject* c = control(which);
    const QString text = QString::fromStdString(value);
    if (auto* combo = qobject_cast<QComboBox*>(c)) korin::ui::setSelectorText(combo, text);
    else if (auto* edit = qobject_cast<QLineEdit*>(c)) edit->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(c)) label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(c)) button->setText(text);
}

bool FormRunWindow::stepEnabled(int step) const {
    if (step != 0 && step != 1) return false;
    return form_.stepTab(step)->CheckStepEnable->isChecked();
}

void FormRunWindow::applyRunState(korin::RunState state, bool recording) { form_.gateControls(state, recording); }

void FormRunWindow::setPauseButtonsEnabled(bool on) { form_.setPauseButtonsEnabled(on); }

void FormRunWindow::setManualButtonEnabled(bool on) { form_.setManualButtonEnabled(on); }

void FormRunWindow::ShowAlertForm(const std::string& message) { form_.ShowAlert(QString::fromStdString(message)); }

void FormRunWindow::showStatus(const std::string& message) {
    form_.statusBar()->showMessage(QString::fromStdString(message));
}

bool FormRunWindow::askYesNo(const std::string& question) {
    return form_.AskQuestion(QString::fromStdString(question));
}

void FormRunWindow::applyEnterBackColor() { form_.applyEnterBackColor(); }

void FormRunWindow::DrawChart() {
    if (drawChart) drawChart();
}

void FormRunWindow::endSelectedRendering() {
    if (endRendering) endRendering();
}

bool FormRunWindow::initEventPump() { return startPump ? startPump() : true; }

void FormRunWindow::pollEvents() {
    if (pump) pump();
    else QApplication::processEvents();
}

void FormRunWindow::terminateEventPump() {
    if (stopPump) stopPump();
}
