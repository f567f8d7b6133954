#include "app/korin16_form.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include "acquisition/acquisition_ni.h"
#include "acquisition/daqmx.h"
#include "acquisition/run_control.h"
#include "app/form_run_window.h"
#include "display/gl/fault_boundary.h"
#include "stimulation/stimulus_controller.h"
#include "files/file_reader.h"
#include "app/acquisition_panel.h"
#include "app/device_choice_form.h"
#include "app/easy_settings_form.h"
#include "app/settings_form.h"
#include "app/logic/input_sanitising.h"
#include "acquisition/number_text.h"
#include "app/logic/startup_defaults.h"
#include "app/logic/window_layout.h"
#include "app/logic/window_modes.h"
#include "app/panel_widgets.h"
#include "app/replay_controller_form.h"
#include "app/replay_panel.h"
#include "app/run_toolbar.h"
#include "app/selected_views_form.h"
#include "app/slope_view_form.h"
#include "files/replay_control.h"
#include "processing/evoked_session.h"
#include "app/step_editor_form.h"
#include "app/step_tab.h"
#include "app/view_frames.h"
#include "app/window_fonts.h"
#include "display/gl/pointer_information.h"
#include "display/gl/window_wiring.h"

using namespace korin;
using korin::ui::shield;

namespace {

constexpr const char* kTitle = "Korin16-build-20220131";
constexpr double kWindowFontPoints = 8.25;

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

QRect toQRect(const PixelRect& r) { return QRect(r.x, r.y, r.width, r.height); }

double numberOf(const QString& text) { return getDoubleParse(text.toStdString()); }

}  // namespace

QString Korin16Form::title() { return QString::fromLatin1(kTitle); }

void Korin16Form::registerFontSubstitutes() { korin::registerFontSubstitutes(); }

Korin16Form::Korin16Form(std::shared_ptr<daqmx::Driver> driver, const QString& deviceDescription,
                         QWidget* parent)
    : QMainWindow(parent), alertSink_(std::make_shared<ModalAlertSink>(this)) {
    registerFontSubstitutes();
    const bool simulated = driver && driver->isSimulated();
    acquisition = std::make_unique<AcquisitionNI>(std::move(driver));

    setObjectName("Korin16Form");
    setWindowTitle(title());
    QFont windowFont(fontscale);
    windowFont.setPointSizeF(kWindowFontPoints);
    setFont(windowFont);

    panelBase = new QWidget(this);
    panelBase->setObjectName("panelBase");
    setCentralWidget(panelBase);
    panelAcquisitionNew = new AcquisitionPanel(panelBase);
    panelReplay = new ReplayPanel(panelBase);
    panelTimeLineDodai = new TimeLineFrame(panelBase);
    panelRawDataDodai = new RawDataFrame(panelBase);
    panelRawDataUpDodai = new RawDataUpFrame(panelBase);
    panelFreqDodai = new FreqFrame(panelBase);
    panelReplay->hide();

    labelDevice = new QLabel(this);
    labelDevice->setObjectName("labelDevice");
    statusBar()->setObjectName("statusStrip");
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addPermanentWidget(labelDevice);
    applyDeviceIndicator(deviceDescription, simulated);

    auto* readout = new PointerInformation(this);
    pointerinfo = readout;

    resize(kClientWidth, kClientHeight);
    setMinimumSize(kMinimumClientWidth, kMinimumClientHeight);

    connectControls();
    connectInputSanitising();
    panelBase->installEventFilter(this);
    panelTimeLineDodai->panelStimF1->installEventFilter(this);
    installViews();
    selectedViews = std::make_unique<SelectedViewsForm>(*this, readout);
    selectedViews->markThresholdsSet = [this] { levels.markThresholdsSet(); };
    slopeView = std::make_unique<SlopeViewForm>(*this);
    stepEditors = std::make_unique<StepEditorForm>(*this);
    deviceChoice = std::make_unique<DeviceChoiceForm>(*this, deviceDescription);
    settingsForm = std::make_unique<SettingsForm>(*this);
    easySettings = std::make_unique<EasySettingsForm>(*this);
    installRunControl();
    replayController = std::make_unique<ReplayControllerForm>(*this);
    connectEvokedMeasures();
}

void Korin16Form::connectEvokedMeasures() {
    slopeView->evokedWindowsChanged = [this](const korin::EvokedWindows& windows) {
        runControl->evokedSession().setWindows(windows);
        replayController->control->evokedSession().setWindows(windows);
    };
    slopeView->evokedWindowsChanged(slopeView->evokedWindows());
}

const korin::EvokedSession* Korin16Form::measuringSession() const {
    if (ReplayMode) return replayController ? &replayController->control->evokedSession() : nullptr;
    return runControl ? &runControl->evokedSession() : nullptr;
}

Korin16Form::~Korin16Form() { korin::ui::setFaultSink(std::move(previousFaultSink_)); }

std::array<RunToolBar*, 2> Korin16Form::runToolBars() const {
    return {panelAcquisitionNew->toolBar, panelReplay->toolBar};
}

StepTab* Korin16Form::stepTab(int index) const {
    switch (index) {
        case 0: return panelAcquisitionNew->tabStep1;
        case 1: return panelAcquisitionNew->tabStep2;
        default: return panelAcquisitionNew->tabStepManual;
    }
}

QToolButton* Korin16Form::modeButton() const { return panelFreqDodai->toolStripButtonMode; }

void Korin16Form::connectControls() {
    for (RunToolBar* bar : runToolBars())
        connect(bar->toolStripButtonSwitch, &QToolButton::clicked, this,
                shield([this] { toolStripButtonSwitch_Click(); }));
    connect(modeButton(), &QToolButton::clicked, this, shield([this] { toolStripButtonMode_Click(); }));
    connect(panelRawDataDodai->TypeMenuItemAB, &QAction::triggered, this, shield([this] { TypeMenuItemAB_Click(); }));
    connect(panelRawDataDodai->TypeMenuItemC, &QAction::triggered, this, shield([this] { TypeMenuItemC_Click(); }));
}

void Korin16Form::installViews() {
    SixteenChannelWiring w;
    w.colors = &colors;
    w.fields = {&UIType, &RawXaxis, &RawYaxis, &Rawauto, &SelectOneCh, &selectCh, &ReplayMode,
                &sizechange, &Tatiagari, &PaintTatiagari, &Paint16ChFirst};
    w.acquisition = acquisition.get();
    w.reader = [this] { return static_cast<const FileReader*>(reader.get()); };
    w.contextMenu = panelRawDataDodai->contextMenu;
    w.xAxisItems = panelRawDataDodai->xAxisItems;
    w.yAxisItems = panelRawDataDodai->yAxisItems;
    const std::array<const PreferenceItems*, 3> prefs = {&panelRawDataDodai->preferences,
                                                         &panelRawDataUpDodai->preferences,
                                                         &panelFreqDodai->preferences};
    for (std::size_t i = 0; i < prefs.size(); ++i)
        w.preferences[i] = {prefs[i]->menu, prefs[i]->items[0], prefs[i]->items[1], prefs[i]->items[2],
                            prefs[i]->items[3]};
    w.SizeChangeDraw = [this] {
        if (hooks.SizeChangeDraw) hooks.SizeChangeDraw();
    };
    w.selected = {&Mode, &RawUpXaxis, &EpXScale,
                  panelRawDataUpDodai->textBoxRawXMin, panelRawDataUpDodai->textBoxRawXMax,
                  panelFreqDodai->textBoxFreqXMin, panelFreqDodai->textBoxFreqXMax,
                  [this] { if (hooks.DrawSelectCh) hooks.DrawSelectCh(); },
                  [this] { if (hooks.DrawFreqSelectCh) hooks.DrawFreqSelectCh(); },
                  [this] { if (hooks.DrawSelectChWaku) hooks.DrawSelectChWaku(); },
                  [this] { if (hooks.DrawSelectFreqChWaku) hooks.DrawSelectFreqChWaku(); }};
    panelRawData1View = installSixteenChannelView(panelRawDataDodai->panelRawData1, w);
    connect(panelRawData1View, &SixteenChannelView::channelSelected, this, shield([this](int index) {
        if (ReplayMode && reader) reader->selectch = index;
    }));
    hooks.SizeChangeDraw = [this] { panelRawData1View->SizeChangeDraw(StopTyuu.load() != 0); };
}

void Korin16Form::applyDeviceIndicator(const QString& description, bool simulated) {
    if (simulated) {
        labelDevice->setText(tr("Device: %1 \u2014 simulated signals").arg(description));
        labelDevice->setStyleSheet("background-color: rgb(255, 200, 80); color: black; padding: 1px 6px;");
    } else {
        labelDevice->setText(tr("Device: %1").arg(description));
        labelDevice->setStyleSheet("padding: 1px 6px;");
    }
    labelDevice->setToolTip(labelDevice->text());
}

// --- Start-up -------------------------------------------------------------------

void Korin16Form::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        korin::ui::shielded([this] { Korin16Form_Load(); });
    }
}

void Korin16Form::closeEvent(QCloseEvent* event) {
    endRun();
    if (hooks.Korin16Form_FormClosed) korin::ui::shielded([this] { hooks.Korin16Form_FormClosed(); });
    pointerinfo->hide();
    QMainWindow::closeEvent(event);
}

void Korin16Form::Korin16Form_Load() {
    comboBoxDropDownStyle();
    TatiagariSyokiti();
}

void Korin16Form::comboBoxDropDownStyle() {
    for (std::string_view name : kListOnlySelectors) {
        if (auto* combo = findChild<QComboBox*>(qs(name))) combo->setEditable(false);
    }
}

void Korin16Form::SetButtonGroup() {
    buttonsrep = panelReplay->channelButtons;
    buttonsstep1 = stepTab(0)->electrodeButtons;
    buttonsstep2 = stepTab(1)->electrodeButtons;
    buttonsstepMNL = stepTab(2)->electrodeButtons;
}

void Korin16Form::colourOrdinaryAndToolbarButtons() {
    for (int i = 0; i < 3; ++i) {
        StepTab* tab = stepTab(i);
        for (QPushButton* b : {tab->buttonAddStep, tab->buttonDeleteStep, tab->buttonInAllUnits, tab->buttonbyrep,
                               tab->buttonRepeatAll, tab->buttonMNL}) {
            if (b) setButtonEnable(b, !b->testAttribute(Qt::WA_Disabled));
        }
    }
    for (RunToolBar* bar : runToolBars()) {
        for (QToolButton* b : {bar->toolStripButtonPlay, bar->toolStripButtonPause, bar->toolStripButtonStop,
                               bar->toolStripButtonBack, bar->toolStripButtonNext, bar->toolStripButtonSwitch})
            setButtonEnablePlayButton(b, true);
        setButtonEnableRecordButton(bar->toolStripButtonRec, true);
    }
    setButtonEnablePlayButton(modeButton(), true);
}

void Korin16Form::TatiagariSyokiti() {
    // 1. Button colours; the presets show "Custom".
    colourOrdinaryAndToolbarButtons();
    ui::setSelectorText(panelAcquisitionNew->comboBoxEasySettings, qs(kEasySettingsStartText));

    // 2. Button tables, the readout window out of the task bar, empty progress labels.
    SetButtonGroup();
    pointerinfo->setWindowFlag(Qt::Tool, true);
    for (QLabel* label : {panelAcquisitionNew->labelRemainingTrace, panelAcquisitionNew->labelRemaining,
                          panelAcquisitionNew->labelRemainigInterval, panelReplay->labelRemainingTraceRep,
                          panelReplay->labelRemainingRep})
        label->clear();

    // 3. The stopped state; the replay reader.
    StopTyuuDisable();
    reader = std::make_unique<FileReader>();

    // 4. Defaults.
    for (const ControlText& entry : kStartUpTexts) {
        QObject* control = findChild<QObject*>(qs(entry.control));
        if (auto* combo = qobject_cast<QComboBox*>(control)) ui::setSelectorText(combo, qs(entry.text));
        else if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->setText(qs(entry.text));
    }
    // Qt reports no change for a text that was already there, so the interval
    // gating for the repeat count is applied here explicitly.
    setTraceDisable();
    Rawauto = RawUpauto = Freqauto = false;
    RawXaxis = qs(kStartRawXaxis);
    RawYaxis = qs(kStartRawYaxis);
    RawUpXaxis = qs(kStartRawUpXaxis);
    RawXCheck();
    RawYCheck();
    RawUpCheck();
    ui::checkItem(panelRawDataUpDodai->autoscaleItems, "Off");
    ui::checkItem(panelFreqDodai->autoscaleItems, "Off");
    stepTab(0)->CheckStepEnable->setChecked(false);
    stepTab(1)->CheckStepEnable->setChecked(false);
    Mode = kModeSpike;
    initializeModeApply();
    ReplayMode = 0;
    initializeSwitchApply();
    selectCh = kStartSelectedChannel;
    SelectOneCh = QString::number(kStartSelectedChannel);
    for (PulseParameters* program : {&Step1PP, &Step2PP, &StepMPP}) {
        program->S1Ch = PulseParameters::kNoElectrode;
        program->S2Ch = PulseParameters::kNoElectrode;
    }

    // 5. Layout; start-up is over.
    drawSizeChange();
    Tatiagari = false;

    // 6. Evoked-potential window of every channel.
    for (int c = 0; c < kChannels; ++c) {
        EPThreshAry1[c] = kEPWindowStartMs;
        EPThreshAry2[c] = kEPWindowEndMs;
    }

    // 7. Layout type and units.
    UIType = qs(kLayoutTypeC);
    TypeSelectCheck();
    RawUpYUnit = QString::fromUtf8("\u03BCV");
    EpYUnit = QString::fromUtf8("\u03BCV");
    EpXUnit = "sec";
    RawUpYScale = 1000;
    EpYScale = 1000;
    EpXScale = 1000;
    RawUpYaxisUnitCheck();
    EpYaxisUnitCheck();
    EpXaxisUnitCheck();
    StepFilterCheck();
}

// --- Menu ticks for the stored view settings -------------------------------------

void Korin16Form::RawXCheck() {
    if (QAction* item = ui::itemWithValue(panelRawDataDodai->xAxisItems, numberOf(RawXaxis)))
        item->setChecked(true);
}

void Korin16Form::RawYCheck() {
    if (Rawauto) {
        ui::checkItem(panelRawDataDodai->yAxisItems, "Autoscale");
        return;
    }
    if (QAction* item = ui::itemWithValue(panelRawDataDodai->yAxisItems, numberOf(RawYaxis)))
        item->setChecked(true);
}

void Korin16Form::RawUpCheck() {
    if (QAction* item = ui::itemWithValue(panelRawDataUpDodai->xAxisItems, numberOf(RawUpXaxis)))
        item->setChecked(true);
}

void Korin16Form::StepFilterCheck() {
    const char* item = hyouziStep == 1 ? "Step 1" : hyouziStep == 2 ? "Step 2" : "Both Steps";
    ui::checkItem(panelFreqDodai->stepItems, item);
}

void Korin16Form::RawUpYaxisUnitCheck() { ui::checkItem(panelRawDataUpDodai->unitItems, RawUpYUnit); }
void Korin16Form::EpYaxisUnitCheck() { ui::checkItem(panelFreqDodai->yUnitItems, EpYUnit); }
void Korin16Form::EpXaxisUnitCheck() { ui::checkItem(panelFreqDodai->xUnitItems, EpXUnit); }

// --- Modes ---------------------------------------------------------------------

void Korin16Form::initializeModeApply() { modeButton()->setText(qs(analysisModeText(Mode))); }

void Korin16Form::toolStripButtonMode_Click() {
    Mode = nextAnalysisMode(Mode);
    modeButton()->setText(qs(analysisModeText(Mode)));
    if (hooks.redrawSelectedChannelViews) hooks.redrawSelectedChannelViews();
}

void Korin16Form::initializeSwitchApply() {
    const bool replay = ReplayMode != 0;
    panelReplay->setVisible(replay);
    panelAcquisitionNew->setVisible(!replay);
    (replay ? static_cast<QWidget*>(panelReplay) : panelAcquisitionNew)->raise();
    panelReplayFront = replay ? 1 : 0;
}

void Korin16Form::toolStripButtonSwitch_Click() {
    // Stopping first also ends a run in progress at its next pass.
    StopTyuuDisable();
    ReplayMode = panelReplayFront ? 0 : 1;
    initializeSwitchApply();
    if (ReplayMode && reader) reader->selectch = parseInt32(SelectOneCh.toStdString()).value_or(0);
    drawSizeChange();
}

void Korin16Form::TypeMenuItemAB_Click() {
    UIType = qs(kLayoutTypeA);
    TypeSelectCheck();
    drawSizeChange();
}

void Korin16Form::TypeMenuItemC_Click() {
    UIType = qs(kLayoutTypeC);
    TypeSelectCheck();
    drawSizeChange();
}

void Korin16Form::TypeSelectCheck() {
    const bool typeA = UIType == qs(kLayoutTypeA);
    panelRawDataDodai->TypeMenuItemAB->setChecked(typeA);
    panelRawDataDodai->TypeMenuItemC->setChecked(!typeA);
}

// --- Layout --------------------------------------------------------------------

void Korin16Form::Korin16Form_SizeChanged() { drawSizeChange(); }

void Korin16Form::drawSizeChange() {
    // The first layout pass after the saved settings were applied ends the
    // start-up painting state, so they are applied only once.
    if (!Tatiagari && savedSettingsApplied_) PaintTatiagari = false;
    const auto layout = computeWindowLayout(panelBase->width(), panelBase->height(), UIType.toStdString(),
                                            ReplayMode != 0);
    if (!layout) return;
    panelAcquisitionNew->setGeometry(toQRect(layout->controlPanel));
    panelReplay->setGeometry(toQRect(layout->controlPanel));
    panelTimeLineDodai->setGeometry(toQRect(layout->timeLine));
    panelTimeLineDodai->setVisible(layout->timeLine.width > 0 && layout->timeLine.height > 0);
    panelTimeLineDodai->placePanels(toQRect(layout->stimF1), toQRect(layout->stimF2));
    panelRawDataDodai->setGeometry(toQRect(layout->rawData));
    panelRawDataDodai->placePanel(toQRect(layout->rawData1));
    panelRawDataUpDodai->setGeometry(toQRect(layout->rawDataUp));
    panelRawDataUpDodai->placePlot(toQRect(layout->rawDataUpPlot));
    panelFreqDodai->setGeometry(toQRect(layout->freq));
    panelFreqDodai->placePlot(toQRect(layout->freqPlot));
    if (hooks.SizeChangeDraw) hooks.SizeChangeDraw();
}

// --- Alerts --------------------------------------------------------------------

void Korin16Form::setAlertSink(std::shared_ptr<AlertSink> sink) { alertSink_ = std::move(sink); }

void Korin16Form::ShowAlert(const QString& text) { alertSink_->inform(text); }

bool Korin16Form::AskQuestion(const QString& question) { return alertSink_->ask(question); }

// --- Events --------------------------------------------------------------------

bool Korin16Form::eventFilter(QObject* watched, QEvent* event) {
    if (watched == panelBase && event->type() == QEvent::Resize) {
        korin::ui::shielded([this] { Korin16Form_SizeChanged(); });
    } else if (watched == panelTimeLineDodai->panelStimF1 && event->type() == QEvent::Paint) {
        if (loaded_ && PaintTatiagari && !savedSettingsApplied_) {
            savedSettingsApplied_ = true;
            // Applied after this paint: the settings relayout the window, which
            // must not happen inside a paint.
            QTimer::singleShot(0, this, shield([this] {
                if (hooks.initialSettingLastOneMemory) hooks.initialSettingLastOneMemory();
                drawSizeChange();
            }));
        }
    } else if (event->type() == QEvent::MouseButtonPress) {
        korin::ui::shielded([&] { inputFieldPressed(watched); });
    }
    return QMainWindow::eventFilter(watched, event);
}
