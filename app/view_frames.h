// The four frames on the right of the window and what they hold before the
// views draw into them: the stimulus time line, the sixteen-channel view, the
// selected-channel raw plot and the analysis plot, each with its plot panel,
// its range boxes and its context menu. The plot panels are plain frames here;
// the views take them over.
#pragma once

#include <QFrame>

#include <array>

#include <QRect>

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;
class QToolButton;

// Colour preferences of one view: line, background, grid and "Default".
struct PreferenceItems {
    QMenu* menu = nullptr;
    std::array<QAction*, 4> items{};
};

class TimeLineFrame : public QFrame {
    Q_OBJECT
public:
    explicit TimeLineFrame(QWidget* parent = nullptr);
    // The picture fills the frame; the two panels sit at the given places in it.
    void placePanels(const QRect& stimF1, const QRect& stimF2);

    QLabel* pictureBoxTimeLine;  // axes picture behind the two panels
    QLabel* labelStimulationPattern;
    QFrame* panelStimF1;
    QFrame* panelStimF2;
    QLineEdit* textBoxTimeLineXMin;
    QLineEdit* textBoxTimeLineXMax;
    QLineEdit* textBoxStimF1Ymin;
    QLineEdit* textBoxStimF1Ymax;
    QLineEdit* textBoxStimF2Ymin;
    QLineEdit* textBoxStimF2Ymax;
};

class RawDataFrame : public QFrame {
    Q_OBJECT
public:
    explicit RawDataFrame(QWidget* parent = nullptr);
    void placePanel(const QRect& panel);

    QLabel* labelRawDataTitle;
    QFrame* panelRawData1;
    QMenu* contextMenu;
    QActionGroup* xAxisItems;  // "X-axis": ms per division
    QActionGroup* yAxisItems;  // "Y-axis": µV per division and "Autoscale"
    PreferenceItems preferences;
    QAction* TypeMenuItemAB;
    QAction* TypeMenuItemC;
    QAction* toolStripMenuItemCopyImage16;
};

class RawDataUpFrame : public QFrame {
    Q_OBJECT
public:
    explicit RawDataUpFrame(QWidget* parent = nullptr);
    // The canvas fills the frame; the plot and its range boxes go by `plot`.
    void placePlot(const QRect& plot);

    QLabel* pictureBoxRawDataUp;  // label canvas: axis titles, ticks, tick labels
    QLabel* labelRawDataUpTitle;
    QFrame* panelRawDataUp;
    QLineEdit* textBoxRawXMin;
    QLineEdit* textBoxRawXMax;
    QLineEdit* textBoxRawYMin;
    QLineEdit* textBoxRawYMax;
    QMenu* contextMenu;
    QActionGroup* xAxisItems;     // seconds across the plot
    QActionGroup* unitItems;      // "μV", "mV"
    QActionGroup* autoscaleItems; // "On", "Off"
    PreferenceItems preferences;
    QAction* toolStripMenuItemCopyImageRawData;
};

class FreqFrame : public QFrame {
    Q_OBJECT
public:
    explicit FreqFrame(QWidget* parent = nullptr);
    void placePlot(const QRect& plot);

    QLabel* pictureBoxFreq;
    QFrame* panelFreq;
    QToolBar* toolStripMode;      // the analysis heading and the mode button
    QToolButton* toolStripButtonMode;
    QLineEdit* textBoxFreqXMin;
    QLineEdit* textBoxFreqXMax;
    QLineEdit* textBoxFreqYMin;
    QLineEdit* textBoxFreqYMax;
    QMenu* contextMenu;
    QActionGroup* xUnitItems;      // "sec", "min"
    QActionGroup* yUnitItems;      // "μV", "mV"
    QActionGroup* stepItems;       // "Step 1", "Step 2", "Both Steps"
    QActionGroup* autoscaleItems;  // "On", "Off"
    PreferenceItems preferences;
    QAction* toolStripMenuItemCopyData;
    QAction* toolStripMenuItemCopyImage;
    // "Slope", shown in the Slope mode only: the measure, the unit, the
    // number of baseline traces and the evoked-response windows.
    QMenu* slopeMenu;
    QActionGroup* slopeMeasureItems;  // "Max slope", "Window slope", "20-80 % slope", "Amplitude"
    QAction* slopeAbsoluteItem;       // "Absolute units", checkable
    QLineEdit* textBoxSlopeBaselineTraces;
    QAction* toolStripMenuItemEvokedWindows;
};

namespace korin::ui {
// Ticks the item of an exclusive group whose text is `text` (compared as text).
void checkItem(QActionGroup* group, const QString& text);
// The item of a group whose text reads as the same number as `value`, if any.
QAction* itemWithValue(QActionGroup* group, double value);
}  // namespace korin::ui
