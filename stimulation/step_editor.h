// The stimulation step editor of one tab (Step 1, Step 2 or Manual), without a
// window: the tab's control texts as plain state, the list operations on the
// tab's program with their checks, and what each operation asks the window and
// the time line to do afterwards. The window copies its controls into `tab`
// before an operation and shows `tab` and the returned EditResult after it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "stimulation/pulse_parameters.h"

namespace stim {

enum class StepKind { Step1, Step2, Manual };

// The texts and selections of one tab's controls.
struct StepTabState {
    int output = PulseParameters::kS1;  // "Stimulator": 0 = "S1", 1 = "S2"
    int unitCount = 0;                  // "Pulse #" holds "1" … unitCount, or "0" alone
    int selectedUnit = 0;               // the selected "Pulse #", 0 for "0"
    PulseConfigs fields;                // "Pulse type", Duration, Intensity, Pre, Post
    std::string units = "1";            // add count
    std::string increment = "1";        // "Increase intensity"
    bool enabled = false;               // "Enable step"; Manual is always editable
    int redButton = -1;                 // electrode button shown red (label − 1), −1 none

    StepTabState() { fields.setParameter(PulseConfigs::kBiphasic, "0.1", "-10", "0", "99.9"); }
};

// What the window does after an operation.
struct EditResult {
    bool changed = false;      // the program's pulse list changed
    std::string alert;         // shown in the information dialog; "" for none
    std::string timeLineXMax;  // new X maximum text (X minimum "0"); "" leaves the range
    bool autoscaleS1 = false;  // vertical autoscale and redraw of the upper panel
    bool autoscaleS2 = false;  // ... of the lower panel
};

class StepEditor {
public:
    // "Pulse #" texts are parsed as single-precision numbers like every field.
    StepEditor(PulseParameters& program, StepKind kind) : program_(program), kind_(kind) {}

    StepKind kind() const { return kind_; }
    PulseParameters& program() { return program_; }
    const PulseParameters& program() const { return program_; }
    bool manual() const { return kind_ == StepKind::Manual; }

    StepTabState tab;

    // Trace duration in seconds for the record-time check of Steps 1 and 2
    // (hours × 3600 + minutes × 60 + seconds of the acquisition panel).
    void setTraceSeconds(double seconds) { traceSeconds_ = seconds; }

    // The input check (Step1Check1 and twins): clamps the intensity box to
    // ±100 ("10" when it does not parse), then requires every field to parse.
    bool checkInput();

    // "Add": input check, then setStepF with the tab's texts.
    EditResult add();
    // Inserts `count` copies of `pulse` after pulse `after` of output f. Steps 1
    // and 2 refuse a pattern longer than the trace; every tab refuses negative
    // times, a count that is not a whole number of 1 or more and a pattern of
    // more than kMaxSamplesPerOutput samples. Nothing changes when refused.
    EditResult setStepF(int f, const PulseConfigs& pulse, const std::string& unitText, const std::string& countText);
    // Enter in a pulse field: input check, then setPulseModify.
    EditResult enter();
    // Replaces the selected pulse with the tab's fields (no record-time check).
    EditResult setPulseModify();
    // "Delete": removes the selected pulse, then loads the new selection's fields.
    EditResult deleteSyori();
    // "in all units": every "Biphasic" intensity of the output moves by the
    // increment away from zero, permanently (the sign may flip); then the
    // selection's fields are reloaded.
    EditResult setPulseAllUnitsIncrement();

    // "by rep #" (for the shown output) and "repeat all the time" (both outputs).
    void toggleByRep();
    void toggleRepeatAll();
    bool byRepOn() const { return program_.incrementsByRep(tab.output); }
    bool repeatAllOn() const { return program_.repeatAll != 0; }
    // Typing in "Increase intensity": stored for the shown output at once.
    void setIncrementText(const std::string& text);

    // Copies the selected pulse's five texts into the fields; nothing for "0".
    void setPulseConfig();
    // "Pulse #" changed to `unit`: the fields follow.
    void selectUnit(int unit);
    // "Stimulator" changed: electrode buttons, "Pulse #", "by rep #" and the
    // increment text follow the new output.
    EditResult selectOutput(int f);
    // "Pulse #" becomes "1" … k with k selected, or "0" when k ≤ 0.
    EditResult SetUnitNumber(int k);

    // Click on electrode button `label` (1–16) for the shown output.
    void clickElectrode(int label);
    // "Enable step"; the tab title that goes with it ("Step 1" or "#Step 1#").
    void setEnabled(bool on) { tab.enabled = on; }
    std::string tabTitle() const;
    // Whether the editor controls of the tab may be used (always on Manual).
    bool editable() const { return manual() || tab.enabled; }

private:
    EditResult rebuilt(int f, std::vector<PulseConfigs> list, const std::string& xMaxText);
    std::string lengthProblem(std::int64_t samples, std::size_t pulses) const;

    PulseParameters& program_;
    StepKind kind_;
    double traceSeconds_ = 0;
};

// [first sample, end sample] of pulse `unit` (1-based) of output f: the start is
// the sum of the counts before it, the end the start plus its own count;
// {-1, -1} when there is no such pulse.
std::pair<std::int32_t, std::int32_t> getprepost(const PulseParameters& program, int f, int unit);
inline std::pair<std::int32_t, std::int32_t> getprepostF1(const PulseParameters& p, int unit) {
    return getprepost(p, PulseParameters::kS1, unit);
}
inline std::pair<std::int32_t, std::int32_t> getprepostF2(const PulseParameters& p, int unit) {
    return getprepost(p, PulseParameters::kS2, unit);
}

// The intensity box after the clamp: "100" above 100, "-100" below −100, "10"
// when it does not parse, else the text unchanged.
std::string getIntensityValue(const std::string& text);

// A single-precision value in the system's default number format ("-11", "-10.5"),
// to seven significant digits.
std::string floatText(float value);

}  // namespace stim
