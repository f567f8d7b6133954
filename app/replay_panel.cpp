#include "app/replay_panel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/panel_widgets.h"
#include "app/run_toolbar.h"

using namespace korin::ui;

namespace {

constexpr int kChannelColumns = 8;
constexpr int kChannelButtonWidth = 26;
constexpr int kChannelButtonHeight = 22;

}  // namespace

ReplayPanel::ReplayPanel(QWidget* parent) : QFrame(parent) {
    setObjectName("panelReplay");
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);

    toolBar = new RunToolBar(QStringLiteral("2"), QStringLiteral("RECORD"), this);

    textBoxFileName = makeField("textBoxFileName", QString(), this);
    textBoxFileName->setReadOnly(true);
    buttonFileOpen = makeButton("buttonFileOpen", "...", this);
    buttonFileOpen->setFixedWidth(28);
    auto* file = new QGridLayout;
    file->setHorizontalSpacing(4);
    file->setVerticalSpacing(3);
    file->addWidget(makeLabel("Filename", "labelFilename", this), 0, 0, 1, 2);
    file->addWidget(textBoxFileName, 1, 0);
    file->addWidget(buttonFileOpen, 1, 1);

    textBoxTraceFrom = makeField("textBoxTraceFrom", QString(), this);
    textBoxTraceTo = makeField("textBoxTraceTo", QString(), this);
    textBoxTimeFrom = makeField("textBoxTimeFrom", QString(), this);
    textBoxTimeTo = makeField("textBoxTimeTo", QString(), this);
    comboBoxHPFReplay = makeSelector("comboBoxHPFReplay", selectorItems(korin::SettingKey::LowCutReplay), this);
    comboBoxLPFReplay = makeSelector("comboBoxLPFReplay", selectorItems(korin::SettingKey::HighCutReplay), this);
    comboBoxDelay = makeSelector("comboBoxDelay", selectorItems(korin::SettingKey::Delay), this);

    auto* range = new QGridLayout;
    range->setHorizontalSpacing(4);
    range->setVerticalSpacing(3);
    range->addWidget(makeLabel("Trace", "labelTraceRange", this), 0, 0);
    range->addWidget(textBoxTraceFrom, 0, 1);
    range->addWidget(makeLabel("to", "labelTraceTo", this), 0, 2);
    range->addWidget(textBoxTraceTo, 0, 3);
    range->addWidget(makeLabel(tr("Time (ms)"), "labelTimeRange", this), 1, 0);
    range->addWidget(textBoxTimeFrom, 1, 1);
    range->addWidget(makeLabel("to", "labelTimeTo", this), 1, 2);
    range->addWidget(textBoxTimeTo, 1, 3);
    range->addWidget(makeLabel("Highpass filter", "labelHighpassReplay", this), 2, 0);
    range->addWidget(comboBoxHPFReplay, 2, 1, 1, 3);
    range->addWidget(makeLabel("Lowpass filter", "labelLowpassReplay", this), 3, 0);
    range->addWidget(comboBoxLPFReplay, 3, 1, 1, 3);
    range->setColumnStretch(1, 1);
    range->setColumnStretch(3, 1);

    comboBoxDataFormatReplay = makeSelector("comboBoxDataFormatReplay", selectorItems(korin::SettingKey::DataFormatReplay), this);
    textBoxExportDireReplay = makeField("textBoxExportDireReplay", QString(), this);
    buttonExportReplay = makeButton("buttonExportReplay", "...", this);
    buttonExportReplay->setFixedWidth(28);
    textBoxExportfilenameReplay = makeField("textBoxExportfilenameReplay", QString(), this);
    auto* exportGrid = new QGridLayout;
    exportGrid->setHorizontalSpacing(4);
    exportGrid->setVerticalSpacing(3);
    exportGrid->addWidget(makeLabel(tr("Format"), "labelExportFormat", this), 0, 0);
    exportGrid->addWidget(comboBoxDataFormatReplay, 0, 1, 1, 2);
    exportGrid->addWidget(makeLabel(tr("Folder"), "labelExportFolder", this), 1, 0, 1, 3);
    exportGrid->addWidget(textBoxExportDireReplay, 2, 0, 1, 2);
    exportGrid->addWidget(buttonExportReplay, 2, 2);
    exportGrid->addWidget(makeLabel(tr("File name"), "labelExportFileName", this), 3, 0, 1, 3);
    exportGrid->addWidget(textBoxExportfilenameReplay, 4, 0, 1, 3);
    exportGrid->setColumnStretch(1, 1);

    auto* channels = new QGridLayout;
    channels->setSpacing(2);
    for (int i = 0; i < kChannels; ++i) {
        QPushButton* b = makeButton(QStringLiteral("buttonChrep_%1").arg(i + 1), QString::number(i + 1), this);
        b->setFixedSize(kChannelButtonWidth, kChannelButtonHeight);
        // White is "replay this channel"; grey (absent or switched off) comes with a file.
        b->setStyleSheet(QStringLiteral("background-color: white; border: 1px solid rgb(90, 90, 90);"));
        channels->addWidget(b, i / kChannelColumns, i % kChannelColumns);
        channelButtons[static_cast<std::size_t>(i)] = b;
    }

    labelRemainingTraceRep = makeLabel("0001", "labelRemainingTraceRep", this);
    labelRemainingRep = makeLabel("00:00:00", "labelRemainingRep", this);
    auto* progress = new QGridLayout;
    progress->setHorizontalSpacing(6);
    progress->setVerticalSpacing(1);
    progress->addWidget(makeLabel(tr("Trace"), "labelCaptionTraceRep", this), 0, 0);
    progress->addWidget(labelRemainingTraceRep, 0, 1);
    progress->addWidget(makeLabel(tr("Time in trace"), "labelCaptionRemainingRep", this), 1, 0);
    progress->addWidget(labelRemainingRep, 1, 1);
    progress->setColumnStretch(1, 1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 2, 6, 6);
    column->setSpacing(4);
    column->addWidget(toolBar);
    column->addWidget(makeHeading(tr("FILE"), "labelFileHeading", this));
    column->addLayout(file);
    column->addLayout(range);
    column->addWidget(makeHeading("REPLAY SPEED", "labelReplaySpeed", this));
    column->addWidget(comboBoxDelay);
    column->addSpacing(4);
    column->addWidget(makeHeading(tr("CHANNELS"), "labelChannelsHeading", this));
    column->addLayout(channels);
    column->addSpacing(4);
    column->addWidget(makeHeading(tr("EXPORT"), "labelExportHeading", this));
    column->addLayout(exportGrid);
    column->addSpacing(4);
    column->addLayout(progress);
    column->addStretch(1);
}
