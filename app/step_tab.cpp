#include "app/step_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/panel_widgets.h"

namespace {

constexpr int kFieldWidth = 86;
constexpr int kElectrodeColumns = 8;
constexpr int kElectrodeButtonWidth = 26;
constexpr int kElectrodeButtonHeight = 22;

QString suffixFor(StepTab::Kind kind) {
    switch (kind) {
        case StepTab::Kind::Step1: return QString();
        case StepTab::Kind::Step2: return QStringLiteral("2");
        case StepTab::Kind::Manual: return QStringLiteral("M");
    }
    return QString();
}

QLabel* label(const QString& text, const QString& name, QWidget* parent) {
    return korin::ui::makeLabel(text, name, parent);
}

QLineEdit* field(const QString& name, const QString& text, QWidget* parent) {
    QLineEdit* edit = korin::ui::makeField(name, text, parent);
    edit->setFixedWidth(kFieldWidth);
    return edit;
}

QComboBox* selector(const QString& name, const QStringList& items, QWidget* parent) {
    QComboBox* combo = korin::ui::makeSelector(name, items, parent);
    combo->setFixedWidth(kFieldWidth);
    return combo;
}

QPushButton* button(const QString& name, const QString& caption, QWidget* parent) {
    return korin::ui::makeButton(name, caption, parent);
}

}  // namespace

StepTab::StepTab(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {
    const QString sfx = suffixFor(kind);
    // The step-1 names carry no suffix except where the step number is part of
    // the name (comboStep1F, buttonAddStep1, ...).
    const QString stepNo = kind == Kind::Step1 ? QStringLiteral("1") : kind == Kind::Step2 ? QStringLiteral("2")
                                                                                           : QStringLiteral("M");
    const bool manual = kind == Kind::Manual;

    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    int row = 0;

    const QString selectorName = manual ? QStringLiteral("comboMNL") : QStringLiteral("comboStep%1F").arg(stepNo);
    comboStepF = selector(selectorName, korin::ui::selectorItems(korin::SettingKey::Step1F), this);
    grid->addWidget(label(tr("Stimulator"), QStringLiteral("labelStimulator") + stepNo, this), row, 0);
    grid->addWidget(comboStepF, row, 1);
    ++row;
    if (!manual) {
        CheckStepEnable = new QCheckBox(QStringLiteral("Enable step"), this);
        CheckStepEnable->setObjectName(QStringLiteral("CheckStep%1Enable").arg(stepNo));
        grid->addWidget(CheckStepEnable, row, 0, 1, 2);
        ++row;
    }

    comboBoxUnit = selector(QStringLiteral("comboBoxUnit") + sfx, {QStringLiteral("0")}, this);
    grid->addWidget(label(QStringLiteral("Pulse #"), QStringLiteral("labelPulseNumber") + stepNo, this), row, 0);
    grid->addWidget(comboBoxUnit, row++, 1);
    comboBoxPulse = selector(QStringLiteral("comboBoxPulse") + sfx, korin::ui::selectorItems(korin::SettingKey::Pulse), this);
    grid->addWidget(label(QStringLiteral("Pulse type"), QStringLiteral("labelPulseType") + stepNo, this), row, 0);
    grid->addWidget(comboBoxPulse, row++, 1);

    textBoxDurationTrain = field(QStringLiteral("textBoxDurationTrain") + sfx, QStringLiteral("0.1"), this);
    grid->addWidget(label(QStringLiteral("Duration (ms)"), QStringLiteral("labelDuration") + stepNo, this), row, 0);
    grid->addWidget(textBoxDurationTrain, row++, 1);
    textBoxIntensity = field(QStringLiteral("textBoxIntensity") + sfx, QStringLiteral("-10"), this);
    grid->addWidget(label(QStringLiteral("Intensity (uA)"), QStringLiteral("labelIntensity") + stepNo, this), row, 0);
    grid->addWidget(textBoxIntensity, row++, 1);
    textBoxPre = field(QStringLiteral("textBoxPre") + sfx, QStringLiteral("0"), this);
    grid->addWidget(label(QStringLiteral("Pre (ms)"), QStringLiteral("labelPre") + stepNo, this), row, 0);
    grid->addWidget(textBoxPre, row++, 1);
    textBoxPost = field(QStringLiteral("textBoxPost") + sfx, QStringLiteral("99.9"), this);
    grid->addWidget(label(QStringLiteral("Post (ms)"), QStringLiteral("labelPost") + stepNo, this), row, 0);
    grid->addWidget(textBoxPost, row++, 1);

    auto* addRow = new QHBoxLayout;
    addRow->setSpacing(4);
    textBoxUnits = field(QStringLiteral("textBoxUnits") + sfx, QStringLiteral("1"), this);
    textBoxUnits->setFixedWidth(34);
    buttonAddStep = button(QStringLiteral("buttonAddStep") + stepNo, QStringLiteral("Add"), this);
    buttonDeleteStep = button(QStringLiteral("buttonDeleteStep") + stepNo, QStringLiteral("Delete"), this);
    addRow->addWidget(textBoxUnits);
    addRow->addWidget(label(QStringLiteral("units"), QStringLiteral("labelUnits") + stepNo, this));
    addRow->addStretch(1);
    addRow->addWidget(buttonAddStep);
    addRow->addWidget(buttonDeleteStep);
    grid->addLayout(addRow, row++, 0, 1, 2);

    auto* incRow = new QHBoxLayout;
    incRow->setSpacing(4);
    textBoxAutoIncrement = field(QStringLiteral("textBoxAutoIncrement") + sfx, QStringLiteral("1"), this);
    textBoxAutoIncrement->setFixedWidth(40);
    incRow->addWidget(label(QStringLiteral("Increase intensity"), QStringLiteral("labelIncrease") + stepNo, this));
    incRow->addWidget(textBoxAutoIncrement);
    incRow->addWidget(label(QStringLiteral("uA"), QStringLiteral("labelIncreaseUnit") + stepNo, this));
    incRow->addStretch(1);
    grid->addLayout(incRow, row++, 0, 1, 2);

    auto* toggles = new QHBoxLayout;
    toggles->setSpacing(4);
    buttonInAllUnits = button(QStringLiteral("buttonInAllUnits") + sfx, QStringLiteral("in all units"), this);
    toggles->addWidget(buttonInAllUnits);
    if (!manual) {
        buttonbyrep = button(QStringLiteral("buttonbyrep") + sfx, QStringLiteral("by rep #"), this);
        toggles->addWidget(buttonbyrep);
    }
    grid->addLayout(toggles, row++, 0, 1, 2);
    if (!manual) {
        buttonRepeatAll = button(QStringLiteral("buttonRepeatAll") + sfx, QStringLiteral("repeat all the time"), this);
        grid->addWidget(buttonRepeatAll, row++, 0, 1, 2);
    }

    auto* electrodes = new QGridLayout;
    electrodes->setSpacing(2);
    const QString electrodePrefix = manual ? QStringLiteral("buttonChstepMNL_") : QStringLiteral("buttonChstep%1_").arg(stepNo);
    for (int i = 0; i < kElectrodes; ++i) {
        auto* b = button(electrodePrefix + QString::number(i + 1), QString::number(i + 1), this);
        b->setFixedSize(kElectrodeButtonWidth, kElectrodeButtonHeight);
        electrodes->addWidget(b, i / kElectrodeColumns, i % kElectrodeColumns);
        electrodeButtons[static_cast<std::size_t>(i)] = b;
    }

    paintElectrodes(-1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(6);
    column->addLayout(grid);
    column->addWidget(label(tr("Electrodes"), QStringLiteral("labelElectrodes") + stepNo, this));
    column->addLayout(electrodes);
    if (manual) {
        buttonMNL = button(QStringLiteral("buttonMNL"), QStringLiteral("Start Stim"), this);
        column->addWidget(buttonMNL);
    }
    column->addStretch(1);
}

std::array<QWidget*, 14> StepTab::gatedControls() const {
    if (kind_ == Kind::Manual) return {};
    return {CheckStepEnable, comboBoxUnit, comboBoxPulse, textBoxDurationTrain, textBoxIntensity,
            textBoxPre, textBoxPost, textBoxUnits, buttonAddStep, buttonDeleteStep,
            textBoxAutoIncrement, buttonInAllUnits, buttonbyrep, buttonRepeatAll};
}

std::vector<QWidget*> StepTab::stepControls() const {
    if (kind_ == Kind::Manual) return {};
    std::vector<QWidget*> controls = {comboStepF,  comboBoxUnit,  comboBoxPulse,  textBoxDurationTrain,
                                      textBoxIntensity, textBoxPre, textBoxPost, textBoxUnits, buttonAddStep,
                                      buttonDeleteStep, textBoxAutoIncrement, buttonInAllUnits, buttonbyrep,
                                      buttonRepeatAll};
    controls.insert(controls.end(), electrodeButtons.begin(), electrodeButtons.end());
    return controls;
}

void StepTab::paintElectrodes(int red) {
    // Electrodes show white when free and red when routed to the shown output.
    static const QString kWhite = QStringLiteral("background-color: white; border: 1px solid rgb(90, 90, 90);");
    static const QString kRed = QStringLiteral("background-color: rgb(255, 0, 0); border: 1px solid rgb(90, 90, 90);");
    redElectrode_ = red >= 0 && red < kElectrodes ? red : -1;
    for (int i = 0; i < kElectrodes; ++i)
        electrodeButtons[static_cast<std::size_t>(i)]->setStyleSheet(i == redElectrode_ ? kRed : kWhite);
}
