// A window without a screen for run control: texts in a table, gating
// remembered, alerts collected, and an optional hook at every pump of events
// (where a real window would run its button handlers). The command-line tool
// runs with it; tests script button presses through the hook.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "acquisition/run_window.h"

class HeadlessRunWindow : public RunWindow {
public:
    HeadlessRunWindow();

    std::string text(RunText which) const override;
    void setText(RunText which, const std::string& value) override { texts[which] = value; }
    bool stepEnabled(int step) const override { return step == 0 ? step1Enabled : step == 1 && step2Enabled; }
    void applyRunState(korin::RunState state, bool recording) override;
    void setPauseButtonsEnabled(bool on) override { pauseEnabled = on; }
    void setManualButtonEnabled(bool on) override { manualEnabled = on; }
    void ShowAlertForm(const std::string& message) override;
    bool askYesNo(const std::string& question) override;
    void showStatus(const std::string& message) override {
        status = message;
        if (onStatus) onStatus(message);
    }
    void applyEnterBackColor() override {}
    void DrawChart() override {
        ++draws;
        if (onDraw) onDraw();
    }
    void endSelectedRendering() override {}
    bool initEventPump() override { return eventPumpAvailable; }
    void pollEvents() override;
    void terminateEventPump() override {}

    std::map<RunText, std::string> texts;
    bool step1Enabled = false;
    bool step2Enabled = false;
    bool eventPumpAvailable = true;
    // The gating last applied, and whether Pause and the manual button are usable.
    korin::RunState state = korin::RunState::Stop;
    bool pauseEnabled = false;
    bool manualEnabled = false;
    std::vector<std::string> alerts;
    std::string status;  // the last status message
    // Questions asked, and the answer each gets: No unless a script says Yes,
    // since nobody is there to agree.
    std::vector<std::string> questions;
    bool answer = false;
    int draws = 0;
    int stopStates = 0;  // how often the stopped state was applied
    long long polls = 0;
    // Called at every pump of events with the pump's number (from 1).
    std::function<void(long long)> onPoll;
    // Called at every draw of the views, after `draws` counted it.
    std::function<void()> onDraw;
    // Called for every status message.
    std::function<void(const std::string&)> onStatus;
    // Called for every alert, e.g. to print it.
    std::function<void(const std::string&)> onAlert;
    // Called for every question before it is answered.
    std::function<void(const std::string&)> onQuestion;
};
