#include "app/view_frames.h"

#include <QAction>
#include <QActionGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>

#include "acquisition/number_text.h"
#include "app/logic/window_modes.h"
#include "app/panel_widgets.h"
#include "display/gl/fault_boundary.h"
#include "display/selected_controls.h"

using namespace korin::ui;

namespace {

// Plot panels stand in for the views until they draw: the sixteen-channel panel
// shows the light grey around its cells, the plots their white background.
constexpr const char* kLightGreyPanel = "background-color: rgb(211, 211, 211);";
constexpr const char* kWhitePanel = "background-color: white; border: 1px solid rgb(160, 160, 160);";
// Range boxes: 50 x 21, beside the corner of the plot they limit.
constexpr int kRangeBoxWidth = 50;
constexpr int kRangeBoxHeight = 21;
constexpr const char* kMicrovolt = "\u03BCV";

QFrame* makePlotPanel(const char* name, const char* style, QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setStyleSheet(QString::fromLatin1(style));
    return panel;
}

// A thin outline keeps the frames apart where their white canvases meet.
void outline(QFrame* frame) {
    frame->setStyleSheet(QStringLiteral("QFrame#%1 { border: 1px solid rgb(190, 190, 190); }").arg(frame->objectName()));
}

// Inside the frame's outline.
QRect canvasRect(const QWidget* frame) { return frame->rect().adjusted(1, 1, -1, -1); }

QLabel* makeCanvas(const char* name, QWidget* parent) {
    auto* canvas = new QLabel(parent);
    canvas->setObjectName(name);
    canvas->setStyleSheet("background-color: white;");
    return canvas;
}

QLineEdit* makeRangeBox(const char* name, const QString& text, QWidget* parent) {
    QLineEdit* box = makeField(name, text, parent);
    box->resize(kRangeBoxWidth, kRangeBoxHeight);
    box->hide();  // opened by a click on the axis end it belongs to
    return box;
}

QMenu* makeSubmenu(QMenu* parent, const char* name, const QString& title) {
    QMenu* menu = parent->addMenu(title);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    return menu;
}

QAction* makeItem(QMenu* menu, const QString& name, const QString& text, QActionGroup* group = nullptr) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    if (group) {
        action->setCheckable(true);
        group->addAction(action);
    }
    return action;
}

QActionGroup* makeGroup(QObject* owner) {
    auto* group = new QActionGroup(owner);
    group->setExclusive(true);
    return group;
}

// "Line Color", "Background Color", "Grid Color", "Default".
PreferenceItems makePreferences(QMenu* parent, const char* menuName, const QString& lineText,
                                const std::array<const char*, 4>& names) {
    PreferenceItems prefs;
    prefs.menu = makeSubmenu(parent, menuName, "Preferences");
    const QString texts[] = {lineText, "Background Color", "Grid Color", "Default"};
    for (std::size_t i = 0; i < 4; ++i) prefs.items[i] = makeItem(prefs.menu, names[i], texts[i]);
    return prefs;
}

// Object names from item texts: "2.5" -> "2_5".
QString nameFor(const char* prefix, const QString& text) {
    QString safe = text;
    safe.replace('.', '_');
    return QString::fromLatin1(prefix) + safe;
}

void showMenuOnRightClick(QWidget* widget, QMenu* menu) {
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(widget, &QWidget::customContextMenuRequested, menu,
                     shield([widget, menu](const QPoint& at) { menu->popup(widget->mapToGlobal(at)); }));
}

}  // namespace

namespace korin::ui {

void checkItem(QActionGroup* group, const QString& text) {
    for (QAction* action : group->actions()) {
        if (action->text() == text) {
            action->setChecked(true);
            return;
        }
    }
}

QAction* itemWithValue(QActionGroup* group, double value) {
    for (QAction* action : group->actions()) {
        const auto itemValue = korin::parseDouble(action->text().toStdString());
        if (itemValue && *itemValue == value) return action;
    }
    return nullptr;
}

}  // namespace korin::ui

// --- Stimulus time line -------------------------------------------------------

TimeLineFrame::TimeLineFrame(QWidget* parent) : QFrame(parent) {
    setObjectName("panelTimeLineDodai");
    outline(this);
    pictureBoxTimeLine = makeCanvas("pictureBoxTimeLine", this);
    labelStimulationPattern = makeHeading("STIMULATION PATTERN", "labelStimulationPattern", this);
    labelStimulationPattern->move(8, 6);
    panelStimF1 = makePlotPanel("panelStimF1", kWhitePanel, this);
    panelStimF2 = makePlotPanel("panelStimF2", kWhitePanel, this);
    textBoxTimeLineXMin = makeRangeBox("textBoxTimeLineXMin", "0", this);
    textBoxTimeLineXMax = makeRangeBox("textBoxTimeLineXMax", "0", this);
    textBoxStimF1Ymin = makeRangeBox("textBoxStimF1Ymin", "0", this);
    textBoxStimF1Ymax = makeRangeBox("textBoxStimF1Ymax", "0", this);
    textBoxStimF2Ymin = makeRangeBox("textBoxStimF2Ymin", "0", this);
    textBoxStimF2Ymax = makeRangeBox("textBoxStimF2Ymax", "0", this);
}

void TimeLineFrame::placePanels(const QRect& stimF1, const QRect& stimF2) {
    pictureBoxTimeLine->setGeometry(canvasRect(this));
    panelStimF1->setGeometry(stimF1);
    panelStimF2->setGeometry(stimF2);
    const int left = stimF1.left() - kRangeBoxWidth - 5;
    textBoxStimF1Ymax->move(left, stimF1.top());
    textBoxStimF1Ymin->move(left, stimF1.bottom() - kRangeBoxHeight);
    textBoxStimF2Ymax->move(left, stimF2.top());
    textBoxStimF2Ymin->move(left, stimF2.bottom() - kRangeBoxHeight);
    textBoxTimeLineXMin->move(stimF2.left() - kRangeBoxWidth / 2, stimF2.bottom() + 6);
    textBoxTimeLineXMax->move(stimF2.right() - kRangeBoxWidth / 2, stimF2.bottom() + 6);
    labelStimulationPattern->raise();
}

// --- Sixteen-channel view ------------------------------------------------------

RawDataFrame::RawDataFrame(QWidget* parent) : QFrame(parent) {
    setObjectName("panelRawDataDodai");
    outline(this);
    setAutoFillBackground(true);
    labelRawDataTitle = makeHeading(tr("ALL CHANNELS"), "labelRawDataTitle", this);
    labelRawDataTitle->move(8, 2);
    panelRawData1 = makePlotPanel("panelRawData1", kLightGreyPanel, this);

    contextMenu = new QMenu(this);
    contextMenu->setObjectName("contextMenuRawData");
    QMenu* xMenu = makeSubmenu(contextMenu, "toolStripMenuItemRawXaxis", "X-axis");
    xAxisItems = makeGroup(this);
    for (const char* ms : {"1", "10", "20", "50", "100", "200", "300", "400", "500"})
        makeItem(xMenu, nameFor("MenuItemRawX", ms), ms, xAxisItems);
    QMenu* yMenu = makeSubmenu(contextMenu, "toolStripMenuItemRawYaxis", "Y-axis");
    yAxisItems = makeGroup(this);
    for (const char* uv : {"1", "2.5", "5", "10", "25", "50", "100", "250", "500", "1000", "2000", "2500", "5000"})
        makeItem(yMenu, nameFor("MenuItemRawY", uv), uv, yAxisItems);
    makeItem(yMenu, "MenuItemRawYAutoscale", "Autoscale", yAxisItems);
    preferences = makePreferences(contextMenu, "toolStripMenuItemRawPref", "Line Color",
                                  {"MenuItemRawPrefLine", "MenuItemRawPrefBack", "MenuItemRawPrefGrid",
                                   "MenuItemRawPrefDefalt"});
    QMenu* typeMenu = makeSubmenu(contextMenu, "toolStripMenuItemArrayType", "Array Type");
    TypeMenuItemAB = makeItem(typeMenu, "TypeMenuItemAB", "A/B");
    TypeMenuItemC = makeItem(typeMenu, "TypeMenuItemC", "C");
    TypeMenuItemAB->setCheckable(true);
    TypeMenuItemC->setCheckable(true);
    toolStripMenuItemCopyImage16 = makeItem(contextMenu, "toolStripMenuItemCopyImage16", "Copy Image");
    showMenuOnRightClick(panelRawData1, contextMenu);
}

void RawDataFrame::placePanel(const QRect& panel) { panelRawData1->setGeometry(panel); }

// --- Selected-channel raw plot -------------------------------------------------

namespace {

// Each box sits on the spot by its axis end that a click opens it from.
void placeRangeBoxes(const QRect& plot, QLineEdit* xMin, QLineEdit* xMax, QLineEdit* yMin, QLineEdit* yMax) {
    const BoxRect p{plot.x(), plot.y(), plot.width(), plot.height()};
    const std::pair<AxisLimit, QLineEdit*> boxes[] = {
        {AxisLimit::XMin, xMin}, {AxisLimit::XMax, xMax}, {AxisLimit::YMin, yMin}, {AxisLimit::YMax, yMax}};
    for (const auto& [limit, box] : boxes) {
        const BoxRect r = axisLimitBox(limit, p);
        box->move(r.x, r.y);
    }
}

QActionGroup* addOnOff(QMenu* contextMenu, QObject* owner, const char* menuName, const char* onName,
                       const char* offName) {
    QMenu* menu = makeSubmenu(contextMenu, menuName, "Autoscale");
    QActionGroup* group = makeGroup(owner);
    makeItem(menu, onName, "On", group);
    makeItem(menu, offName, "Off", group);
    return group;
}

QActionGroup* addUnits(QMenu* parent, QObject* owner, const char* menuName, const char* microName,
                       const char* milliName) {
    QMenu* menu = makeSubmenu(parent, menuName, "Unit");
    QActionGroup* group = makeGroup(owner);
    makeItem(menu, microName, QString::fromUtf8(kMicrovolt), group);
    makeItem(menu, milliName, "mV", group);
    return group;
}

}  // namespace

RawDataUpFrame::RawDataUpFrame(QWidget* parent) : QFrame(parent) {
    setObjectName("panelRawDataUpDodai");
    outline(this);
    pictureBoxRawDataUp = makeCanvas("pictureBoxRawDataUp", this);
    labelRawDataUpTitle = makeHeading(tr("SELECTED CHANNEL"), "labelRawDataUpTitle", this);
    labelRawDataUpTitle->move(8, 6);
    panelRawDataUp = makePlotPanel("panelRawDataUp", kWhitePanel, this);
    textBoxRawXMin = makeRangeBox("textBoxRawXMin", "0", this);
    textBoxRawXMax = makeRangeBox("textBoxRawXMax", "10", this);
    textBoxRawYMin = makeRangeBox("textBoxRawYMin", "-50", this);
    textBoxRawYMax = makeRangeBox("textBoxRawYMax", "50", this);

    contextMenu = new QMenu(this);
    contextMenu->setObjectName("contextMenuRawDataUp");
    QMenu* xMenu = makeSubmenu(contextMenu, "toolStripMenuItemRawUpXaxis", "X-axis");
    xAxisItems = makeGroup(this);
    for (const char* s : {"0.1", "0.5", "1", "3", "5", "10"}) makeItem(xMenu, nameFor("MenuItemRawUpX", s), s, xAxisItems);
    unitItems = addUnits(contextMenu, this, "toolStripMenuItemRawUpUnit", "MenuItemRawUpUnitMicro",
                         "MenuItemRawUpUnitMilli");
    autoscaleItems = addOnOff(contextMenu, this, "toolStripMenuItemRawUpAutoscale", "MenuItemRawUpAutoOn",
                              "MenuItemRawUpAutoOff");
    preferences = makePreferences(contextMenu, "toolStripMenuItemRawUpPref", "Line Color",
                                  {"MenuItemRawUpPrefLine", "MenuItemRawUpPrefBack", "MenuItemRawUpPrefGrid",
                                   "MenuItemRawUpPrefDefault"});
    toolStripMenuItemCopyImageRawData = makeItem(contextMenu, "toolStripMenuItemCopyImageRawData", "Copy Image");
    showMenuOnRightClick(panelRawDataUp, contextMenu);
}

void RawDataUpFrame::placePlot(const QRect& plot) {
    pictureBoxRawDataUp->setGeometry(canvasRect(this));
    panelRawDataUp->setGeometry(plot);
    placeRangeBoxes(plot, textBoxRawXMin, textBoxRawXMax, textBoxRawYMin, textBoxRawYMax);
    labelRawDataUpTitle->raise();
}

// --- Analysis plot -------------------------------------------------------------

FreqFrame::FreqFrame(QWidget* parent) : QFrame(parent) {
    setObjectName("panelFreqDodai");
    outline(this);
    pictureBoxFreq = makeCanvas("pictureBoxFreq", this);
    panelFreq = makePlotPanel("panelFreq", kWhitePanel, this);
    textBoxFreqXMin = makeRangeBox("textBoxFreqXMin", "0", this);
    textBoxFreqXMax = makeRangeBox("textBoxFreqXMax", "10", this);
    textBoxFreqYMin = makeRangeBox("textBoxFreqYMin", "0", this);
    textBoxFreqYMax = makeRangeBox("textBoxFreqYMax", "10", this);

    toolStripMode = new QToolBar(this);
    toolStripMode->setObjectName("toolStripMode");
    toolStripMode->setMovable(false);
    toolStripMode->setStyleSheet("QToolBar { background: transparent; border: none; }");
    toolStripMode->addWidget(makeHeading(tr("ANALYSIS"), "labelFreqTitle", toolStripMode));
    toolStripButtonMode = new QToolButton(toolStripMode);
    toolStripButtonMode->setObjectName("toolStripButtonMode");
    toolStripButtonMode->setText(QString::fromLatin1(korin::kModeTextBeforeStartUp.data(),
                                                     static_cast<int>(korin::kModeTextBeforeStartUp.size())));
    toolStripButtonMode->setToolTip(tr("Analysis shown below: spike rate, evoked potential, inter-spike interval or evoked-response slope"));
    toolStripButtonMode->setMinimumWidth(48);
    toolStripMode->addWidget(toolStripButtonMode);
    toolStripMode->move(4, 1);
    toolStripMode->adjustSize();

    contextMenu = new QMenu(this);
    contextMenu->setObjectName("contextMenuFreq");
    QMenu* xMenu = makeSubmenu(contextMenu, "toolStripMenuItemFreqXaxis", "X-axis");
    QMenu* xUnitMenu = makeSubmenu(xMenu, "toolStripMenuItemFreqXUnit", "Unit");
    xUnitItems = makeGroup(this);
    makeItem(xUnitMenu, "MenuItemFreqXUnitSec", "sec", xUnitItems);
    makeItem(xUnitMenu, "MenuItemFreqXUnitMin", "min", xUnitItems);
    yUnitItems = addUnits(contextMenu, this, "toolStripMenuItemFreqYUnit", "MenuItemFreqYUnitMicro",
                          "MenuItemFreqYUnitMilli");
    QMenu* stepMenu = makeSubmenu(contextMenu, "toolStripMenuItemStepFilter", "Step");
    stepItems = makeGroup(this);
    makeItem(stepMenu, "MenuItemStep1", "Step 1", stepItems);
    makeItem(stepMenu, "MenuItemStep2", "Step 2", stepItems);
    makeItem(stepMenu, "MenuItemBothSteps", "Both Steps", stepItems);
    autoscaleItems = addOnOff(contextMenu, this, "toolStripMenuItemFreqAutoscale", "MenuItemFreqAutoOn",
                              "MenuItemFreqAutoOff");
    preferences = makePreferences(contextMenu, "toolStripMenuItemFreqPref", "Line Color No Stim",
                                  {"MenuItemFreqPrefLine", "MenuItemFreqPrefBack", "MenuItemFreqPrefGrid",
                                   "MenuItemPrefDefault"});
    slopeMenu = makeSubmenu(contextMenu, "toolStripMenuItemSlope", "Slope");
    slopeMeasureItems = makeGroup(this);
    // In the order of the measures' numbers (EvokedMeasure).
    makeItem(slopeMenu, "MenuItemSlopeMaxSlope", "Max slope", slopeMeasureItems);
    makeItem(slopeMenu, "MenuItemSlopeWindowSlope", "Window slope", slopeMeasureItems);
    makeItem(slopeMenu, "MenuItemSlope2080", "20-80 % slope", slopeMeasureItems);
    makeItem(slopeMenu, "MenuItemSlopeAmplitude", "Amplitude", slopeMeasureItems);
    slopeMenu->addSeparator();
    slopeAbsoluteItem = makeItem(slopeMenu, "MenuItemSlopeAbsolute", "Absolute units");
    slopeAbsoluteItem->setCheckable(true);
    auto* baselineRow = new QWidget(slopeMenu);
    auto* baselineLayout = new QHBoxLayout(baselineRow);
    baselineLayout->setContentsMargins(24, 2, 8, 2);
    baselineLayout->addWidget(new QLabel(tr("Baseline traces"), baselineRow));
    textBoxSlopeBaselineTraces = new QLineEdit(QStringLiteral("10"), baselineRow);
    textBoxSlopeBaselineTraces->setObjectName("textBoxSlopeBaselineTraces");
    textBoxSlopeBaselineTraces->setFixedWidth(60);
    baselineLayout->addWidget(textBoxSlopeBaselineTraces);
    auto* baselineAction = new QWidgetAction(slopeMenu);
    baselineAction->setDefaultWidget(baselineRow);
    slopeMenu->addAction(baselineAction);
    slopeMenu->addSeparator();
    toolStripMenuItemEvokedWindows =
        makeItem(slopeMenu, "toolStripMenuItemEvokedWindows", QString::fromUtf8("Evoked-response windows\u2026"));
    toolStripMenuItemCopyData = makeItem(contextMenu, "toolStripMenuItemCopyData", "Copy Data");
    toolStripMenuItemCopyImage = makeItem(contextMenu, "toolStripMenuItemCopyImage", "Copy Image");
    showMenuOnRightClick(panelFreq, contextMenu);
}

void FreqFrame::placePlot(const QRect& plot) {
    pictureBoxFreq->setGeometry(canvasRect(this));
    panelFreq->setGeometry(plot);
    placeRangeBoxes(plot, textBoxFreqXMin, textBoxFreqXMax, textBoxFreqYMin, textBoxFreqYMax);
    toolStripMode->raise();
}
