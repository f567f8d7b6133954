// What replay control needs of the window: the replay panel's texts, the
// channel buttons, gating, alerts, the replay frame and the event pump. The Qt
// window implements it; tests and the command-line tool use the headless one.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "acquisition/run_gating.h"
#include "display/replay_channel_selector.h"

enum class ReplayText {
    FileName,        // textBoxFileName
    TraceFrom,       // textBoxTraceFrom "Trace"
    TraceTo,         // textBoxTraceTo "to"
    TimeFrom,        // textBoxTimeFrom, ms
    TimeTo,          // textBoxTimeTo
    Highpass,        // comboBoxHPFReplay
    Lowpass,         // comboBoxLPFReplay
    Delay,           // comboBoxDelay "REPLAY SPEED"
    DataFormat,      // comboBoxDataFormatReplay
    ExportFolder,    // textBoxExportDireReplay
    ExportFileName,  // textBoxExportfilenameReplay
    LabelTrace,      // labelRemainingTraceRep
    LabelRemaining,  // labelRemainingRep
    SelectOneCh,     // the selected channel index as text
};

class ReplayWindow {
public:
    virtual ~ReplayWindow() = default;

    virtual std::string text(ReplayText which) const = 0;
    virtual void setText(ReplayText which, const std::string& value) = 0;

    // The sixteen replay channel buttons: a file's channel flags grey the
    // absent ones and select the rest; GetSelectCh reads them back as flags.
    virtual void ChSelector(const std::uint8_t* presentFlags) = 0;
    virtual void GetSelectCh(std::uint8_t* selectFlags) = 0;

    // Enables and disables the control groups for a run state (the flags are replay control's).
    virtual void applyRunState(korin::RunState state, bool recording) = 0;
    virtual void ShowAlertForm(const std::string& message) = 0;
    // The status bar's message; it stays until the next one, and an empty text clears it.
    virtual void showStatus(const std::string& message) = 0;
    virtual void applyEnterBackColor() = 0;
    // The sixteen-channel view from the reader, and the selected-channel views.
    virtual void DrawChartLoad() = 0;

    virtual bool initEventPump() = 0;
    virtual void pollEvents() = 0;
    virtual void terminateEventPump() = 0;
};

// A replay window without a screen: texts in a table with the panel's
// defaults, the channel buttons as state, gating remembered, alerts collected,
// and a hook at every pump of events where a test presses buttons.
class HeadlessReplayWindow : public ReplayWindow {
public:
    HeadlessReplayWindow();

    std::string text(ReplayText which) const override;
    void setText(ReplayText which, const std::string& value) override { texts[which] = value; }
    void ChSelector(const std::uint8_t* presentFlags) override { channels.ChSelector(presentFlags); }
    void GetSelectCh(std::uint8_t* selectFlags) override { channels.GetSelectCh(selectFlags); }
    void applyRunState(korin::RunState newState, bool) override;
    void ShowAlertForm(const std::string& message) override;
    void showStatus(const std::string& message) override { status = message; }
    void applyEnterBackColor() override {}
    void DrawChartLoad() override;
    bool initEventPump() override { return eventPumpAvailable; }
    void pollEvents() override;
    void terminateEventPump() override {}

    std::map<ReplayText, std::string> texts;
    ReplayChannelSelector channels;
    bool eventPumpAvailable = true;
    korin::RunState state = korin::RunState::Stop;
    std::vector<korin::RunState> states;  // every state applied, in order
    std::vector<std::string> alerts;
    std::string status;  // the last status message
    int draws = 0;
    long long polls = 0;
    std::function<void(long long poll)> onPoll;
    std::function<void()> onDraw;
    std::function<void(const std::string&)> onAlert;
};
