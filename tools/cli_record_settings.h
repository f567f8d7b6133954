// `korin16-cli record --settings DIR`: a run set up from a settings folder (the
// store and the six pulse-list files the window saves), as the window would
// set it up at its next start: trace and interval times, repeat count, input
// range, filters, enabled steps, the three programs and their electrodes.
#pragma once

#include <optional>
#include <string>

#include "files/settings_memory.h"

struct CliProtocol;
class HeadlessRunWindow;
class SimulatedDevice;
class PulseParameters;

// The folder of "--settings DIR" among the arguments, or nothing. `missing`
// is set when the option has no value.
std::optional<std::string> settingsOption(int argc, char** argv, bool* missing);

// The loading's console lines on standard error as warnings: a damaged store,
// skipped values, and each pulse list that is there but could not be read or
// stopped at a line (a missing list is normal and says nothing).
void printLoadWarnings(const korin::LoadedSettings& loaded);

// Reads the folder and puts the run texts and step enables into `window`,
// before the explicit options are applied over them. Damaged or skipped
// entries are reported on standard error; a missing folder is an error.
std::optional<korin::LoadedSettings> loadRecordSettings(const std::string& folder, HeadlessRunWindow& window,
                                                        std::string* error);

// Whether any stimulation option was given.
bool protocolGiven(const CliProtocol& protocol);

// The trace duration the window texts give, in seconds.
double traceSecondsOf(const HeadlessRunWindow& window);

// The six pulse lists through the step editors' rules (checked against a
// trace of `traceSeconds`), then the electrodes and increments. Returns the
// first refusal's text, or "".
std::string applyRecordPrograms(const korin::LoadedSettings& loaded, double traceSeconds, PulseParameters& step1,
                                PulseParameters& step2, PulseParameters& manual);

// One line on what the stimulator did in a run on the simulated device: the
// electrodes of the last routing word and each output's range in volts, or
// "Stimulation: none".
std::string stimulationSummary(SimulatedDevice& device);
