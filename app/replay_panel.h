// The replay-mode control panel on the left of the window: the replay toolbar,
// the file, the range to replay, the replay filters and speed, the export
// settings, the sixteen channel buttons and the progress labels.
#pragma once

#include <QFrame>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RunToolBar;

class ReplayPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int kChannels = 16;

    explicit ReplayPanel(QWidget* parent = nullptr);

    RunToolBar* toolBar;
    QLineEdit* textBoxFileName;
    QPushButton* buttonFileOpen;
    QLineEdit* textBoxTraceFrom;
    QLineEdit* textBoxTraceTo;
    QLineEdit* textBoxTimeFrom;
    QLineEdit* textBoxTimeTo;
    QComboBox* comboBoxHPFReplay;
    QComboBox* comboBoxLPFReplay;
    QComboBox* comboBoxDelay;
    QComboBox* comboBoxDataFormatReplay;
    QLineEdit* textBoxExportDireReplay;
    QPushButton* buttonExportReplay;
    QLineEdit* textBoxExportfilenameReplay;
    std::array<QPushButton*, kChannels> channelButtons{};
    QLabel* labelRemainingTraceRep;
    QLabel* labelRemainingRep;
};
