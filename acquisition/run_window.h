// What run control needs of the window: control texts, gating, labels, alerts,
// drawing and the event pump. The Qt window implements it; tests script it; the
// command-line tool runs with a headless one that pumps nothing.
#pragma once

#include <string>

#include "acquisition/run_gating.h"

enum class RunText {
    Repeat,           // comboBoxTrace "# Repeat"
    Hours,            // comboBoxHours   "Time"
    Minutes,          // comboBoxMin
    Seconds,          // comboBoxSec
    IntervalHours,    // comboBoxInHours "Interval"
    IntervalMinutes,  // comboBoxInMin
    IntervalSeconds,  // comboBoxInSec
    InputRange,       // comboInputRange "Max input"
    DataFormat,       // comboBoxDataFormat "File format"
    OutputFolder,     // "Output folder"
    AddText,          // "Add text to filename"
    Highpass,         // comboBoxHPF
    Lowpass,          // comboBoxLPF
    ManualButton,     // buttonMNL: "Start Stim" / "Stop Stim"
    LabelTrace,       // labelRemainingTrace
    LabelRemaining,   // labelRemaining
    LabelInterval,    // labelRemainigInterval
};

class RunWindow {
public:
    virtual ~RunWindow() = default;

    virtual std::string text(RunText which) const = 0;
    virtual void setText(RunText which, const std::string& value) = 0;
    // The "Enable step" boxes of the Step 1 (0) and Step 2 (1) tabs.
    virtual bool stepEnabled(int step) const = 0;

    // Enables and disables the control groups for a run state (the flags are run control's).
    virtual void applyRunState(korin::RunState state, bool recording) = 0;
    virtual void setPauseButtonsEnabled(bool on) = 0;
    virtual void setManualButtonEnabled(bool on) = 0;

    // Modal information dialog.
    virtual void ShowAlertForm(const std::string& message) = 0;
    // The status bar's message beside the device indicator; it stays until the
    // next one, and an empty text clears it.
    virtual void showStatus(const std::string& message) = 0;
    // Modal yes/no question; true for Yes.
    virtual bool askYesNo(const std::string& question) = 0;
    // Sanitises the numeric entry fields before they are read.
    virtual void applyEnterBackColor() = 0;

    // The sixteen-channel view from the live rings, and the selected-channel views.
    virtual void DrawChart() = 0;
    // Ends rendering on the selected-channel surfaces at the end of a run.
    virtual void endSelectedRendering() = 0;

    // The event pump of a run: initialised at set-up, pumped once per pass and in
    // waits, terminated at the end. initEventPump false means it cannot start.
    virtual bool initEventPump() = 0;
    virtual void pollEvents() = 0;
    virtual void terminateEventPump() = 0;
};
