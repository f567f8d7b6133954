// The main window: owns the acquisition engine and the window-wide settings,
// hosts every control, and gates the controls for each run state. The panels
// build their own controls; this class wires them together, applies the
// start-up defaults, switches modes and lays the panels out.
#pragma once

#include <QMainWindow>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "acquisition/channel_levels.h"
#include "acquisition/run_flags.h"
#include "app/alert_forms.h"
#include "acquisition/run_gating.h"
#include "display/colors.h"
#include "display/gl/fault_boundary.h"
#include "stimulation/pulse_parameters.h"

namespace daqmx {
class Driver;
}
class AcquisitionNI;
class FormRunWindow;
class RunControl;
class StimulusController;
class FileReader;
class AcquisitionPanel;
class FreqFrame;
class SixteenChannelView;
class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class RawDataFrame;
class RawDataUpFrame;
class SelectedViewsForm;
class SlopeViewForm;
namespace korin {
class EvokedSession;
}
class ReplayControllerForm;
class DeviceChoiceForm;
class EasySettingsForm;
class SettingsForm;
class ReplayPanel;
class RunToolBar;
class StepEditorForm;
class StepTab;
class TimeLineFrame;

// Behaviour that other parts of the window (views, step editor, saved settings)
// plug in; an empty hook does nothing.
struct WindowHooks {
    std::function<void()> SetSelectStepStimConfig;      // step editor: reload the open tab's pulse fields
    std::function<void()> SizeChangeDraw;               // views: redraw after a layout pass
    std::function<void()> redrawSelectedChannelViews;   // views: after the analysis mode changed
    std::function<void()> DrawSelectCh;                 // selected-channel raw plot
    std::function<void()> DrawFreqSelectCh;             // analysis plot of the current mode
    std::function<void()> DrawSelectChWaku;             // empty raw plot
    std::function<void()> DrawSelectFreqChWaku;         // empty analysis plot
    std::function<void()> initialSettingLastOneMemory;  // saved settings: once, at the first paint
    std::function<void()> Korin16Form_FormClosed;       // end any run, offer to save the settings
    std::function<void()> drawStimViews;                // stimulus time line: redraw in SizeChangeDraw
    std::function<void()> afterGating;                  // step editor: unticked steps stay disabled
    std::function<void()> beforeRunSetUp;               // device choice: a changed device opens here
};

class Korin16Form : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kChannels = 16;
    static constexpr int kClientWidth = 1272;
    static constexpr int kClientHeight = 979;
    // The minimum of 1280 x 847 is an outer size that includes the frame; less
    // the reference platform's 16 px of side borders and 39 px of caption and
    // bottom border it leaves this minimum client area.
    static constexpr int kMinimumClientWidth = 1264;
    static constexpr int kMinimumClientHeight = 808;

    Korin16Form(std::shared_ptr<daqmx::Driver> driver, const QString& deviceDescription,
                QWidget* parent = nullptr);
    ~Korin16Form() override;

    static QString title();
    // Maps the font families the window names to ones present on this machine.
    static void registerFontSubstitutes();

    // --- Start-up ---
    void Korin16Form_Load();
    void comboBoxDropDownStyle();
    void TatiagariSyokiti();

    // --- Run-state gating (one operation per state, all reading the same table) ---
    // Gates the controls for `state` and sets the run flags.
    void applyRunState(korin::RunState state);
    // Gates the controls only, for a caller that keeps the run flags itself;
    // `recording` decides the "rec" and "not rec" cells.
    void gateControls(korin::RunState state, bool recording);
    // The run loop's own switches: Pause from the first interval of a recorded
    // run on, and the manual button while a pause falls into an interval.
    void setPauseButtonsEnabled(bool on);
    void setManualButtonEnabled(bool on);
    void PlayTyuuDisable() { applyRunState(korin::RunState::Play); }
    void StopTyuuDisable() { applyRunState(korin::RunState::Stop); }
    void PauseTyuuDisable() { applyRunState(korin::RunState::Pause); }
    void ReplayTyuuDisable() { applyRunState(korin::RunState::Replay); }
    void EndTyuuDisable() { applyRunState(korin::RunState::End); }
    void NextTyuuDisable() { applyRunState(korin::RunState::Next); }
    void SyoriTyuuDisable() { applyRunState(korin::RunState::Syori); }
    void setButtonEnable(QAbstractButton* button, bool on);
    void setButtonEnablePlayButton(QAbstractButton* button, bool on);
    void setButtonEnableRecordButton(QAbstractButton* button, bool on);
    // Shows an ordinary button as selected (a toggle that is on) or not, in its
    // current enabled state.
    void setButtonSelected(QAbstractButton* button, bool selected);
    void tabStep1Enabled(bool on);
    void tabStep2Enabled(bool on);
    void tabStep1EnabledPause(bool on);
    void tabStep2EnabledPause(bool on);
    void setPrefEnabled(bool on);

    // --- Modes and layout ---
    void initializeModeApply();
    void toolStripButtonMode_Click();
    void initializeSwitchApply();
    void toolStripButtonSwitch_Click();
    void TypeMenuItemAB_Click();
    void TypeMenuItemC_Click();
    void TypeSelectCheck();
    void RawXCheck();
    void RawYCheck();
    void RawUpCheck();
    void StepFilterCheck();
    void RawUpYaxisUnitCheck();
    void EpYaxisUnitCheck();
    void EpXaxisUnitCheck();
    void Korin16Form_SizeChanged();
    void drawSizeChange();

    // --- Input sanitising ---
    void applyEnterBackColor();
    void setTraceDisable();

    // --- Alerts ---
    void setAlertSink(std::shared_ptr<AlertSink> sink);
    void ShowAlert(const QString& text);
    bool AskQuestion(const QString& question);

    WindowHooks hooks;

    // --- Owned objects ---
    std::unique_ptr<AcquisitionNI> acquisition;
    std::unique_ptr<FileReader> reader;  // created at start-up, replaced when a file is opened
    PulseParameters Step1PP, Step2PP, StepMPP;
    QWidget* pointerinfo = nullptr;  // the pointer readout window; kept out of the task bar

    // --- Window settings (constructor values; start-up and saved settings overwrite them) ---
    QString UIType = "C";
    std::uint8_t Mode = 0;
    QString RawUpYUnit = QString::fromUtf8("\u03BCV");
    QString EpYUnit = QString::fromUtf8("\u03BCV");
    int RawUpYScale = 1000;
    int EpYScale = 1000;
    QString EpXUnit = "sec";
    int EpXScale = 1000;
    QString EasySettingPreName = "Custom";
    std::int32_t LPF = 1;
    std::int32_t HPF = 1;
    std::int32_t selectCh = 0;
    QString SelectOneCh;
    QString RawXaxis = "500";
    QString RawYaxis = "50";
    QString RawUpXaxis = "10";
    bool Rawauto = false;
    bool RawUpauto = false;
    bool Freqauto = false;
    std::int32_t hyouziStep = 1;
    QString fontscale = "Microsoft Sans Serif";
    QString fonttitle = "Verdana";
    ViewColors colors;
    Rgb StimTextClickedColor{234, 145, 152};
    Rgb StimTextEnteredColor{255, 255, 255};

    // --- Run flags: read by the run and replay loops, written by the handlers
    // they pump and by the delay and stimulus threads ---
    korin::RunFlags runFlags;
    std::atomic<std::uint8_t>& PlayTyuu = runFlags.PlayTyuu;
    std::atomic<std::uint8_t>& StopTyuu = runFlags.StopTyuu;
    std::atomic<std::uint8_t>& PauseTyuu = runFlags.PauseTyuu;
    std::atomic<std::uint8_t>& KyuusiTyuu = runFlags.KyuusiTyuu;
    std::atomic<std::uint8_t>& rectf = runFlags.rectf;
    std::uint8_t ReplayMode = 0;
    std::uint8_t readerActive = 0;
    std::uint8_t panelReplayFront = 0;
    float IntervalTime = 0;

    // Start-up state: `Tatiagari` until the defaults are applied; `PaintTatiagari`
    // until the first layout pass after the saved settings were applied.
    bool Tatiagari = true;
    bool PaintTatiagari = true;
    bool Paint16ChFirst = true;
    bool sizechange = false;

    // Per-channel settings shared by reference with the acquisition engine.
    korin::ChannelLevels levels;
    float (&yPThreshAry)[kChannels] = levels.yPThreshAry;
    float (&yMThreshAry)[kChannels] = levels.yMThreshAry;
    float (&PostAry)[kChannels] = levels.PostAry;
    float (&EPThreshAry1)[kChannels] = levels.EPThreshAry1;
    float (&EPThreshAry2)[kChannels] = levels.EPThreshAry2;

    // --- Record mode's run control, driving this window through runWindow ---
    // Asks a run in progress to end; its loop finishes it at its next pass.
    void endRun();
    // A fault stopped at the window's boundary: ends the run or replay in
    // progress through its normal finish; otherwise it is only printed.
    void internalError(const std::string& reason);
    std::unique_ptr<StimulusController> stimulus;
    std::unique_ptr<FormRunWindow> runWindow;
    std::unique_ptr<RunControl> runControl;
    // Replay mode: opening, replaying, stepping and exporting recordings.
    std::unique_ptr<ReplayControllerForm> replayController;
    // The selected-channel plots, their readout, drags and copy commands.
    std::unique_ptr<SelectedViewsForm> selectedViews;
    // The Slope analysis: its measures (setSlopeInputs), menu choices and windows.
    std::unique_ptr<SlopeViewForm> slopeView;
    // The evoked-response measures of what the window shows: the replayed
    // file's in replay mode, else the live run's.
    const korin::EvokedSession* measuringSession() const;
    // The stimulation tabs' editors and the stimulus time line.
    std::unique_ptr<StepEditorForm> stepEditors;
    // The remembered settings, the "EASY SETTINGS" presets and the device choice.
    std::unique_ptr<SettingsForm> settingsForm;
    std::unique_ptr<EasySettingsForm> easySettings;
    std::unique_ptr<DeviceChoiceForm> deviceChoice;

    // --- Panels ---
    QWidget* panelBase;
    AcquisitionPanel* panelAcquisitionNew;
    ReplayPanel* panelReplay;
    TimeLineFrame* panelTimeLineDodai;
    RawDataFrame* panelRawDataDodai;
    RawDataUpFrame* panelRawDataUpDodai;
    FreqFrame* panelFreqDodai;
    SixteenChannelView* panelRawData1View;  // the sixteen-channel view inside panelRawData1
    QLabel* labelDevice;

    // Channel order; filled at start-up (SetButtonGroup).
    std::array<QPushButton*, kChannels> buttonsrep{};
    std::array<QPushButton*, kChannels> buttonsstep1{};
    std::array<QPushButton*, kChannels> buttonsstep2{};
    std::array<QPushButton*, kChannels> buttonsstepMNL{};

    // Both toolbars, record panel first.
    std::array<RunToolBar*, 2> runToolBars() const;
    StepTab* stepTab(int index) const;  // 0 step 1, 1 step 2, 2 manual
    QToolButton* modeButton() const;
    // The status bar's device indicator: the device in use, marked when simulated.
    void applyDeviceIndicator(const QString& description, bool simulated);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    void installViews();
    // Creates the stimulus controller and run control and connects the record
    // mode's buttons to them.
    void installRunControl();
    // The windows of the Slope view measure both the live run and replay.
    void connectEvokedMeasures();
    void connectInputSanitising();
    void SetButtonGroup();
    void colourOrdinaryAndToolbarButtons();
    void applyGroup(korin::ControlGroup group, korin::RunState state, korin::GatingContext context);
    void setGroupEnabled(korin::ControlGroup group, bool on);
    // The widgets of a group (none for the step tabs and the preference menus).
    std::vector<QWidget*> groupWidgets(korin::ControlGroup group) const;
    void setStepTabEnabled(StepTab* tab, bool on, bool includeCheckBox);
    void wholeNumberFieldChanged(QComboBox* field);
    void inputFieldPressed(QObject* field);

    std::shared_ptr<AlertSink> alertSink_;
    // The state the controls were last gated for: it names why a group is greyed.
    korin::RunState gatedState_ = korin::RunState::Stop;
    korin::GatingContext gatedContext_;
    korin::ui::FaultSink previousFaultSink_;  // put back when this window goes
    bool loaded_ = false;
    bool savedSettingsApplied_ = false;
};
