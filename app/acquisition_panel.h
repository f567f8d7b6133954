// The record-mode control panel on the left of the window: the run toolbar,
// the protocol presets, the run settings and live filters, the recording output,
// the progress labels and the three stimulation tabs.
#pragma once

#include <QFrame>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class RunToolBar;
class StepTab;

class AcquisitionPanel : public QFrame {
    Q_OBJECT
public:
    explicit AcquisitionPanel(QWidget* parent = nullptr);

    RunToolBar* toolBar;
    QComboBox* comboBoxEasySettings;

    QComboBox* comboInputRange;
    QComboBox* comboBoxTrace;
    QComboBox* comboBoxHours;
    QComboBox* comboBoxMin;
    QComboBox* comboBoxSec;
    QComboBox* comboBoxInHours;
    QComboBox* comboBoxInMin;
    QComboBox* comboBoxInSec;
    QComboBox* comboBoxHPF;
    QComboBox* comboBoxLPF;

    QComboBox* comboBoxDataFormat;
    QLineEdit* textBoxExportDire;
    QPushButton* buttonExport;
    QLineEdit* textBoxExportfilename;

    QLabel* labelRemainingTrace;
    QLabel* labelRemaining;
    QLabel* labelRemainigInterval;

    QTabWidget* tabControlStep;
    StepTab* tabStep1;
    StepTab* tabStep2;
    StepTab* tabStepManual;
};
