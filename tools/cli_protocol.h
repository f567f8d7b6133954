// The stimulation options of `korin16-cli record`: a Step 1 protocol given on
// the command line, built through the same editor rules as the window's
// Step 1 tab (the same checks and refusals, the same record-time limit).
#pragma once

#include <string>

class HeadlessRunWindow;
class PulseParameters;

struct CliProtocol {
    int s1Electrode = 0;  // 1–16, 0 for none
    int s2Electrode = 0;
    std::string step1S1;  // pulses "TYPE,DURATION,INTENSITY,PRE,POST" separated by ';'
    std::string step1S2;
    bool repeatAll = false;
    bool byRep = false;
    std::string increment;  // µA per repetition, "" to keep the editor's "1"
    // The Manual program, delivered once in a pause after trace manualAfterTrace.
    int manualS1Electrode = 0;
    int manualS2Electrode = 0;
    std::string manualS1;
    std::string manualS2;
    int manualAfterTrace = 0;  // 1-based; 0 for no manual stimulation
};

// Takes the stimulation option at args[0] (with its value at args[1]) when it
// is one: returns how many arguments it used, 0 when args[0] is not a
// stimulation option, −1 (after printing why) when its value is wrong.
int takeProtocolOption(int count, char** args, CliProtocol& protocol);

// The usage lines of the stimulation options.
const char* protocolUsage();

// Builds Step 1 of `step1` for a trace of `traceSeconds` and enables the step
// on `window` when any pulse is given. A time or intensity that is not a
// number, or an intensity beyond ±100 µA, is refused rather than corrected as
// the window's boxes would. Returns the refusal, naming the pulse, or "".
std::string applyProtocol(const CliProtocol& protocol, PulseParameters& step1, double traceSeconds,
                          HeadlessRunWindow& window);

// Builds the Manual program from the --manual-* options through the Manual
// tab's editor rules. Returns the refusal, naming the pulse, or "": also when
// pulses come without --manual-after-trace, or the trace without pulses.
std::string applyManualProtocol(const CliProtocol& protocol, PulseParameters& manual);

// One warning line on standard error for each output, of the steps checked,
// with pulses but no electrode or an electrode but no pulses; the run goes on.
void warnUntargetedOutputs(const PulseParameters& step1, bool checkStep1, const PulseParameters& step2,
                           bool checkStep2);
