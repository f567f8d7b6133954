#include "app/replay_controller_form.h"

#include <GLFW/glfw3.h>

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QPushButton>
#include <QToolButton>

#include <filesystem>
#include <system_error>

#include "acquisition/acquisition_ni.h"
#include "app/acquisition_panel.h"
#include "app/korin16_form.h"
#include "app/panel_widgets.h"
#include "app/replay_panel.h"
#include "app/run_toolbar.h"
#include "display/gl/sixteen_channel_view.h"
#include "files/file_reader.h"
#include "files/replay_control.h"

namespace {

constexpr const char* kOpenDialogName = "openFileDialog1";
constexpr const char* kOpenDialogFilter = "pldat (*.pldat)";

QString buttonStyle(Rgb c) {
    return QStringLiteral("background-color: rgb(%1, %2, %3); border: 1px solid rgb(90, 90, 90);")
        .arg(c.r)
        .arg(c.g)
        .arg(c.b);
}

// Starts in `folder` (the dialog's own choice when empty) with no name filled in.
std::string showOpenDialog(QWidget* parent, const std::string& folder) {
    QFileDialog dialog(parent);
    dialog.setObjectName(kOpenDialogName);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(kOpenDialogFilter);
    if (!folder.empty()) dialog.setDirectory(QString::fromStdString(folder));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front().toStdString();
}

bool isFolder(const std::string& path) {
    std::error_code ignored;
    return !path.empty() && std::filesystem::is_directory(path, ignored);
}

}  // namespace

// --- FormReplayWindow -------------------------------------------------------------

FormReplayWindow::FormReplayWindow(Korin16Form& form) : form_(form) {}

std::string FormReplayWindow::text(ReplayText which) const {
    ReplayPanel* p = form_.panelReplay;
    switch (which) {
        case ReplayText::FileName: return p->textBoxFileName->text().toStdString();
        case ReplayText::TraceFrom: return p->textBoxTraceFrom->text().toStdString();
        case ReplayText::TraceTo: return p->textBoxTraceTo->text().toStdString();
        case ReplayText::TimeFrom: return p->textBoxTimeFrom->text().toStdString();
        case ReplayText::TimeTo: return p->textBoxTimeTo->text().toStdString();
        case ReplayText::Highpass: return p->comboBoxHPFReplay->currentText().toStdString();
        case ReplayText::Lowpass: return p->comboBoxLPFReplay->currentText().toStdString();
        case ReplayText::Delay: return p->comboBoxDelay->currentText().toStdString();
        case ReplayText::DataFormat: return p->comboBoxDataFormatReplay->currentText().toStdString();
        case ReplayText::ExportFolder: return p->textBoxExportDireReplay->text().toStdString();
        case ReplayText::ExportFileName: return p->textBoxExportfilenameReplay->text().toStdString();
        case ReplayText::LabelTrace: return p->labelRemainingTraceRep->text().toStdString();
        case ReplayText::LabelRemaining: return p->labelRemainingRep->text().toStdString();
        case ReplayText::SelectOneCh: return form_.SelectOneCh.toStdString();
    }
    return {};
}

void FormReplayWindow::setText(ReplayText which, const std::string& value) {
    ReplayPanel* p = form_.panelReplay;
    const QString text = QString::fromStdString(value);
    switch (which) {
        case ReplayText::FileName: p->textBoxFileName->setText(text); break;
        case ReplayText::TraceFrom: p->textBoxTraceFrom->setText(text); break;
        case ReplayText::TraceTo: p->textBoxTraceTo->setText(text); break;
        case ReplayText::TimeFrom: p->textBoxTimeFrom->setText(text); break;
        case ReplayText::TimeTo: p->textBoxTimeTo->setText(text); break;
        case ReplayText::Highpass: korin::ui::setSelectorText(p->comboBoxHPFReplay, text); break;
        case ReplayText::Lowpass: korin::ui::setSelectorText(p->comboBoxLPFReplay, text); break;
        case ReplayText::Delay: korin::ui::setSelectorText(p->comboBoxDelay, text); break;
        case ReplayText::DataFormat: korin::ui::setSelectorText(p->comboBoxDataFormatReplay, text); break;
        case ReplayText::ExportFolder: p->textBoxExportDireReplay->setText(text); break;
        case ReplayText::ExportFileName: p->textBoxExportfilenameReplay->setText(text); break;
        case ReplayText::LabelTrace: p->labelRemainingTraceRep->setText(text); break;
        case ReplayText::LabelRemaining: p->labelRemainingRep->setText(text); break;
        case ReplayText::SelectOneCh: form_.SelectOneCh = text; break;
    }
}

void FormReplayWindow::ChSelector(const std::uint8_t* presentFlags) {
    selector_.ChSelector(presentFlags);
    paintChannelButtons();
}

void FormReplayWindow::GetSelectCh(std::uint8_t* selectFlags) { selector_.GetSelectCh(selectFlags); }

void FormReplayWindow::buttonChrep_Click(int channel) {
    selector_.buttonChrep_Click(channel);
    paintChannelButtons();
}

void FormReplayWindow::paintChannelButtons() {
    for (int c = 0; c < ReplayChannelSelector::kChannels; ++c)
        form_.panelReplay->channelButtons[static_cast<std::size_t>(c)]->setStyleSheet(
            buttonStyle(selector_.buttonColor(c)));
}

void FormReplayWindow::applyRunState(korin::RunState state, bool recording) { form_.gateControls(state, recording); }

void FormReplayWindow::ShowAlertForm(const std::string& message) { form_.ShowAlert(QString::fromStdString(message)); }

void FormReplayWindow::showStatus(const std::string& message) {
    form_.statusBar()->showMessage(QString::fromStdString(message));
}

void FormReplayWindow::applyEnterBackColor() { form_.applyEnterBackColor(); }

void FormReplayWindow::DrawChartLoad() { form_.panelRawData1View->DrawChartLoad(); }

bool FormReplayWindow::initEventPump() { return startPump ? startPump() : true; }

void FormReplayWindow::pollEvents() {
    if (pump) pump();
    else QApplication::processEvents();
}

void FormReplayWindow::terminateEventPump() {
    if (stopPump) stopPump();
}

// --- ReplayControllerForm ---------------------------------------------------------

ReplayControllerForm::ReplayControllerForm(Korin16Form& form) : window(form), form_(form) {
    window.startPump = [] { return glfwInit() == GLFW_TRUE; };
    window.pump = [] {
        glfwPollEvents();
        QCoreApplication::processEvents();
    };
    window.stopPump = [] { glfwTerminate(); };
    control = std::make_unique<ReplayControl>(window, form.levels, &form.runFlags, &form.reader);
    chooseRecordingFile = [this](const std::string& folder) { return showOpenDialog(&form_, folder); };
    chooseFolder = [this](const std::string& start) {
        return QFileDialog::getExistingDirectory(&form_, QString(), QString::fromStdString(start)).toStdString();
    };
    connectButtons();
    form.installEventFilter(this);
}

ReplayControllerForm::~ReplayControllerForm() = default;

void ReplayControllerForm::connectButtons() {
    ReplayPanel* p = form_.panelReplay;
    connect(p->buttonFileOpen, &QPushButton::clicked, this, [this] { buttonFileOpen_Click(); });
    connect(p->buttonExportReplay, &QPushButton::clicked, this, [this] { buttonExportReplay_Click(); });
    connect(form_.panelAcquisitionNew->buttonExport, &QPushButton::clicked, this, [this] { buttonExport_Click(); });
    for (int c = 0; c < ReplayPanel::kChannels; ++c)
        connect(p->channelButtons[static_cast<std::size_t>(c)], &QPushButton::clicked, this,
                [this, c] { window.buttonChrep_Click(c); });

    // Record mode's run control takes these buttons outside replay mode.
    auto inReplay = [this](void (ReplayControl::*handler)()) {
        return [this, handler] {
            if (form_.ReplayMode) (control.get()->*handler)();
        };
    };
    for (RunToolBar* bar : form_.runToolBars()) {
        connect(bar->toolStripButtonPlay, &QToolButton::clicked, this, [this] {
            if (!form_.ReplayMode) return;
            form_.acquisition->pldatExportOn = 0;
            control->toolStripButtonPlay_Click();
        });
        connect(bar->toolStripButtonRec, &QToolButton::clicked, this, inReplay(&ReplayControl::toolStripButtonRec_Click));
        connect(bar->toolStripButtonPause, &QToolButton::clicked, this,
                inReplay(&ReplayControl::toolStripButtonPause_Click));
        connect(bar->toolStripButtonStop, &QToolButton::clicked, this, inReplay(&ReplayControl::toolStripButtonStop_Click));
        connect(bar->toolStripButtonNext, &QToolButton::clicked, this, inReplay(&ReplayControl::toolStripButtonNext_Click));
        connect(bar->toolStripButtonBack, &QToolButton::clicked, this, inReplay(&ReplayControl::toolStripButtonBack_Click));
        // After the window has switched panels: leaving replay stops it there.
        connect(bar->toolStripButtonSwitch, &QToolButton::clicked, this, [this] {
            if (!form_.ReplayMode) control->leaveReplayMode();
        });
    }
}

void ReplayControllerForm::buttonFileOpen_Click() {
    const std::string path = chooseRecordingFile(openDialogFolder());
    control->buttonFileOpen_Click(path);
    if (control->readerActive) lastOpened_ = path;
}

std::string ReplayControllerForm::openDialogFolder() const {
    // Recordings are found where the last one was, or where runs record them.
    const std::string last = std::filesystem::path(lastOpened_).parent_path().string();
    if (isFolder(last)) return last;
    const std::string output = form_.panelAcquisitionNew->textBoxExportDire->text().toStdString();
    return isFolder(output) ? output : std::string();
}

void ReplayControllerForm::chooseFolderInto(QLineEdit* field) {
    const std::string chosen = chooseFolder(field->text().toStdString());
    if (!chosen.empty()) field->setText(QString::fromStdString(chosen));
}

void ReplayControllerForm::buttonExport_Click() { chooseFolderInto(form_.panelAcquisitionNew->textBoxExportDire); }

void ReplayControllerForm::buttonExportReplay_Click() { chooseFolderInto(form_.panelReplay->textBoxExportDireReplay); }

bool ReplayControllerForm::eventFilter(QObject* watched, QEvent* event) {
    // A replay running in the closing window's pump ends at its next block.
    if (watched == &form_ && event->type() == QEvent::Close && control->replaying())
        control->toolStripButtonStop_Click();
    return QObject::eventFilter(watched, event);
}
