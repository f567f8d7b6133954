// The main window as run control sees it: the texts it reads and writes, the
// gating, the alerts and the field clean-up go to the window's controls; the
// drawing and the event pump are plugged in by whoever owns them.
#pragma once

#include <functional>

#include "acquisition/run_window.h"

class Korin16Form;
class QObject;

class FormRunWindow : public RunWindow {
public:
    explicit FormRunWindow(Korin16Form& form);

    std::string text(RunText which) const override;
    void setText(RunText which, const std::string& value) override;
    bool stepEnabled(int step) const override;
    void applyRunState(korin::RunState state, bool recording) override;
    void setPauseButtonsEnabled(bool on) override;
    void setManualButtonEnabled(bool on) override;
    void ShowAlertForm(const std::string& message) override;
    bool askYesNo(const std::string& question) override;
    void showStatus(const std::string& message) override;
    void applyEnterBackColor() override;
    void DrawChart() override;
    void endSelectedRendering() override;
    bool initEventPump() override;
    void pollEvents() override;
    void terminateEventPump() override;

    // Drawing belongs to the views; empty hooks draw nothing.
    std::function<void()> drawChart;
    std::function<void()> endRendering;
    // The pump of the run and replay loops; by default the window's own events
    // are handled, so its buttons work while a loop runs.
    std::function<bool()> startPump;
    std::function<void()> pump;
    std::function<void()> stopPump;

private:
    QObject* control(RunText which) const;

    Korin16Form& form_;
};
