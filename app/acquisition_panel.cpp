#include "app/acquisition_panel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/panel_widgets.h"
#include "app/run_toolbar.h"
#include "app/step_tab.h"

using namespace korin::ui;

namespace {

constexpr int kTimeFieldWidth = 46;

QStringList hourItems() { return {"0", "1", "2"}; }
QStringList minuteItems() { return {"0", "1", "5", "10", "20", "30"}; }

// A row of three selectors (hours, minutes, seconds) under one label.
void addTimeRow(QGridLayout* grid, int row, QLabel* caption, QComboBox* h, QComboBox* m, QComboBox* s) {
    grid->addWidget(caption, row, 0);
    for (QComboBox* combo : {h, m, s}) combo->setFixedWidth(kTimeFieldWidth);
    grid->addWidget(h, row, 1);
    grid->addWidget(m, row, 2);
    grid->addWidget(s, row, 3);
}

}  // namespace

AcquisitionPanel::AcquisitionPanel(QWidget* parent) : QFrame(parent) {
    setObjectName("panelAcquisitionNew");
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);

    toolBar = new RunToolBar(QString(), QStringLiteral("REPLAY"), this);

    comboBoxEasySettings = makeSelector("comboBoxEasySettings",
                                        {"Custom", "EP - baseline", "EP - culture", "EP - IO curve", "ERP",
                                         "LTP - HFS", "LTP - TBS", "Spontaneous", "Straight pacing"},
                                        this);

    // Run settings.
    comboInputRange = makeSelector("comboInputRange", selectorItems(korin::SettingKey::InputRange), this);
    comboBoxTrace = makeSelector("comboBoxTrace", {"1", "5", "10", "100", "1000"}, this);
    comboBoxHours = makeSelector("comboBoxHours", hourItems(), this);
    comboBoxMin = makeSelector("comboBoxMin", minuteItems(), this);
    comboBoxSec = makeSelector("comboBoxSec", {"0", "0.1", "0.5", "1", "5", "10", "20", "30"}, this);
    comboBoxInHours = makeSelector("comboBoxInHours", hourItems(), this);
    comboBoxInMin = makeSelector("comboBoxInMin", minuteItems(), this);
    comboBoxInSec = makeSelector("comboBoxInSec", {"1", "5", "10", "20", "30"}, this);
    comboBoxHPF = makeSelector("comboBoxHPF", selectorItems(korin::SettingKey::LowCut), this);
    comboBoxLPF = makeSelector("comboBoxLPF", selectorItems(korin::SettingKey::HighCut), this);

    auto* settings = new QGridLayout;
    settings->setHorizontalSpacing(4);
    settings->setVerticalSpacing(3);
    int row = 0;
    settings->addWidget(makeLabel("Max input", "labelMaxInput", this), row, 0);
    settings->addWidget(comboInputRange, row, 1, 1, 2);
    settings->addWidget(makeLabel(QString::fromUtf8("\u00B5V"), "labelMaxInputUnit", this), row++, 3);
    settings->addWidget(makeLabel("# Repeat", "labelRepeat", this), row, 0);
    settings->addWidget(comboBoxTrace, row++, 1, 1, 2);
    settings->addWidget(makeLabel("hours", "labelTimeHours", this), row, 1, Qt::AlignHCenter);
    settings->addWidget(makeLabel("min", "labelTimeMinutes", this), row, 2, Qt::AlignHCenter);
    settings->addWidget(makeLabel("sec", "labelTimeSeconds", this), row++, 3, Qt::AlignHCenter);
    addTimeRow(settings, row++, makeLabel("Time", "labelTime", this), comboBoxHours, comboBoxMin, comboBoxSec);
    addTimeRow(settings, row++, makeLabel("Interval", "labelInterval", this), comboBoxInHours, comboBoxInMin,
               comboBoxInSec);
    settings->addWidget(makeLabel("Highpass filter", "labelHighpass", this), row, 0);
    settings->addWidget(comboBoxHPF, row, 1, 1, 2);
    settings->addWidget(makeLabel("Hz", "labelHighpassUnit", this), row++, 3);
    settings->addWidget(makeLabel("Lowpass filter", "labelLowpass", this), row, 0);
    settings->addWidget(comboBoxLPF, row, 1, 1, 2);
    settings->addWidget(makeLabel("Hz", "labelLowpassUnit", this), row++, 3);
    settings->setColumnStretch(0, 1);

    // Recording output.
    comboBoxDataFormat = makeSelector("comboBoxDataFormat", selectorItems(korin::SettingKey::DataFormat), this);
    textBoxExportDire = makeField("textBoxExportDire", QString(), this);
    buttonExport = makeButton("buttonExport", "...", this);
    buttonExport->setFixedWidth(28);
    textBoxExportfilename = makeField("textBoxExportfilename", QString(), this);

    auto* output = new QGridLayout;
    output->setHorizontalSpacing(4);
    output->setVerticalSpacing(3);
    output->addWidget(makeLabel("File format", "labelFileFormat", this), 0, 0);
    output->addWidget(comboBoxDataFormat, 0, 1, 1, 2);
    output->addWidget(makeLabel("Output folder", "labelOutputFolder", this), 1, 0, 1, 3);
    output->addWidget(textBoxExportDire, 2, 0, 1, 2);
    output->addWidget(buttonExport, 2, 2);
    output->addWidget(makeLabel("Add text to filename", "labelAddText", this), 3, 0, 1, 3);
    output->addWidget(textBoxExportfilename, 4, 0, 1, 3);
    output->setColumnStretch(1, 1);

    // Progress of a run: the current trace and the times left.
    labelRemainingTrace = makeLabel("0001", "labelRemainingTrace", this);
    labelRemaining = makeLabel("00:00:00", "labelRemaining", this);
    labelRemainigInterval = makeLabel("00:00:00", "labelRemainigInterval", this);
    auto* progress = new QGridLayout;
    progress->setHorizontalSpacing(6);
    progress->setVerticalSpacing(1);
    progress->addWidget(makeLabel(tr("Trace"), "labelCaptionTrace", this), 0, 0);
    progress->addWidget(labelRemainingTrace, 0, 1);
    progress->addWidget(makeLabel(tr("Trace time left"), "labelCaptionRemaining", this), 1, 0);
    progress->addWidget(labelRemaining, 1, 1);
    progress->addWidget(makeLabel(tr("Next trace in"), "labelCaptionInterval", this), 2, 0);
    progress->addWidget(labelRemainigInterval, 2, 1);
    progress->setColumnStretch(1, 1);

    // Stimulation.
    tabControlStep = new QTabWidget(this);
    tabControlStep->setObjectName("tabControlStep");
    tabStep1 = new StepTab(StepTab::Kind::Step1, tabControlStep);
    tabStep1->setObjectName("tabPageStep1");
    tabStep2 = new StepTab(StepTab::Kind::Step2, tabControlStep);
    tabStep2->setObjectName("tabPageStep2");
    tabStepManual = new StepTab(StepTab::Kind::Manual, tabControlStep);
    tabStepManual->setObjectName("tabPageManual");
    tabControlStep->addTab(tabStep1, "Step 1");
    tabControlStep->addTab(tabStep2, "Step 2");
    tabControlStep->addTab(tabStepManual, "Manual");

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 2, 6, 6);
    column->setSpacing(4);
    column->addWidget(toolBar);
    column->addWidget(makeHeading("EASY SETTINGS", "labelEasySettings", this));
    column->addWidget(comboBoxEasySettings);
    column->addSpacing(4);
    column->addWidget(makeHeading(tr("RUN"), "labelRunHeading", this));
    column->addLayout(settings);
    column->addSpacing(4);
    column->addWidget(makeHeading(tr("RECORDING"), "labelRecordingHeading", this));
    column->addLayout(output);
    column->addSpacing(2);
    column->addLayout(progress);
    column->addSpacing(4);
    column->addWidget(makeHeading(tr("STIMULATION"), "labelStimulationHeading", this));
    column->addWidget(tabControlStep, 1);
}
