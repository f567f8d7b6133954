// The window's side of the "Slope" analysis: the measures it is shown from
// (set by whoever measures, live or in replay), the plot menu's choices (the
// measure, absolute units, the number of baseline traces), the
// evoked-response windows and their dialog, and the last measured response
// kept for the upper plot. The selected-channel views draw from it. The form
// makes one.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <string_view>

#include "app/evoked_windows_dialog.h"
#include "display/slope_frames.h"
#include "processing/evoked_session.h"
#include "processing/evoked_windows.h"

class Korin16Form;

class SlopeViewForm : public QObject {
    Q_OBJECT
public:
    explicit SlopeViewForm(Korin16Form& form);
    ~SlopeViewForm() override;

    // The measures the view shows: the live run's or the replayed file's
    // table and its last measured trace, set after each trace is measured
    // (and with a cleared table at a new run). The pointers must stay valid
    // until the next call; the last trace's samples are taken from the
    // selected-channel history now, while it still holds that trace.
    void setSlopeInputs(const SlopeInputs& inputs);
    const SlopeInputs& slopeInputs() const { return inputs_; }
    // Shows what `session` has measured (none: an empty view), setting the
    // inputs again only when it is another session or has measured another
    // trace since; called before every draw of the selected-channel views.
    void follow(const korin::EvokedSession* session);

    // The windows of the measures: loaded from the settings, changed by the
    // dialog. A set that windowsProblem refuses is not taken (its text is
    // returned). Every change is passed to evokedWindowsChanged, for the
    // measuring sessions.
    std::optional<std::string_view> setEvokedWindows(const korin::EvokedWindows& windows);
    const korin::EvokedWindows& evokedWindows() const { return windows_; }
    std::function<void(const korin::EvokedWindows&)> evokedWindowsChanged;

    // The menu's choices; each ticks its item and redraws.
    const SlopeSettings& settings() const { return settings_; }
    void setMeasure(korin::EvokedMeasure measure);
    void setAbsolute(bool absolute);
    void setBaselineTraces(std::int32_t traces);
    // The baseline box after Enter: a number (truncated, at least 1) is taken;
    // anything else is refused with "Please input a numerical value." and the
    // box shows the number in use again.
    void baselineTracesEntered();

    // "Evoked-response windows…": opens the dialog (not blocking); OK takes its windows.
    void openEvokedWindowsDialog();
    EvokedWindowsDialog* evokedWindowsDialog() const { return dialog_; }

    SlopeTraceCapture& traceCapture() { return capture_; }
    const SlopeTraceCapture& traceCapture() const { return capture_; }

private:
    void redraw();

    Korin16Form& form_;
    SlopeInputs inputs_;
    const korin::EvokedSession* followed_ = nullptr;
    std::uint64_t followedTraces_ = 0;
    SlopeSettings settings_;
    korin::EvokedWindows windows_;
    SlopeTraceCapture capture_;
    QPointer<EvokedWindowsDialog> dialog_;
};
