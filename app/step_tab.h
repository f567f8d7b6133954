// The editor of one stimulation program on its tab: output selector, pulse
// table, add/delete, intensity increments and the sixteen electrode buttons.
// Step 1 and Step 2 have the same controls; Manual has no "Enable step", no
// "by rep #" and no "repeat all the time", and adds the "Start Stim" button.
#pragma once

#include <QWidget>

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class StepTab : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Step1, Step2, Manual };
    static constexpr int kElectrodes = 16;

    explicit StepTab(Kind kind, QWidget* parent = nullptr);

    Kind kind() const { return kind_; }

    QComboBox* comboStepF;                // comboStep1F, comboStep2F, comboMNL
    QCheckBox* CheckStepEnable = nullptr; // CheckStep1Enable, CheckStep2Enable; none on Manual
    QComboBox* comboBoxUnit;              // "Pulse #"
    QComboBox* comboBoxPulse;
    QLineEdit* textBoxDurationTrain;
    QLineEdit* textBoxIntensity;
    QLineEdit* textBoxPre;
    QLineEdit* textBoxPost;
    QLineEdit* textBoxUnits;
    QPushButton* buttonAddStep;
    QPushButton* buttonDeleteStep;
    QLineEdit* textBoxAutoIncrement;
    QPushButton* buttonInAllUnits;
    QPushButton* buttonbyrep = nullptr;      // none on Manual
    QPushButton* buttonRepeatAll = nullptr;  // none on Manual
    QPushButton* buttonMNL = nullptr;        // Manual only: "Start Stim"
    std::array<QPushButton*, kElectrodes> electrodeButtons{};

    // The controls whole-tab gating switches: the check box first, then the
    // 13 editor controls (tabStep1Enabled / tabStep1EnabledPause). Empty on Manual.
    std::array<QWidget*, 14> gatedControls() const;
    // What "Enable step" switches: the pulse table, Add, Delete, the
    // "Stimulator" list, the electrode buttons, the increment box and the
    // three increment buttons. Empty on Manual.
    std::vector<QWidget*> stepControls() const;

    // Electrode buttons: all white, the one of index `red` (label − 1) red; −1 for none.
    void paintElectrodes(int red);
    int redElectrode() const { return redElectrode_; }

private:
    Kind kind_;
    int redElectrode_ = -1;
};
