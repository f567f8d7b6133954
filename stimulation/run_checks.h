// Checks of the programs a run is about to play, made before any device or file
// is touched: the largest current of every trace against the stimulator's
// range, and outputs whose pulses or electrode reach no tissue. Pure functions
// of the programs; nothing here renders a pattern.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "stimulation/pulse_parameters.h"

namespace stim {

// A trace that would go beyond ±kIntensityLimitUa on one output.
struct CurrentExcess {
    std::int64_t trace = 0;  // 0-based, as the run clock counts
    int output = PulseParameters::kS1;
    float microamps = 0;     // the intensity of the largest pulse, signed
};

// The first trace of a run of `traces` traces (at least one is recorded) that
// would deliver more than the stimulator's range, with the steps taking turns
// in `order` as the run clock has them. Each output that is on counts with
// every pulse as stored and, with "by rep #", every repetition's increment
// (the parsed increment of the program). Nothing when every trace stays within.
std::optional<CurrentExcess> firstCurrentExcess(const std::vector<const PulseParameters*>& order,
                                                std::int64_t traces);

// The largest pulse that output f of `program` plays as stored, when beyond
// the range; nothing otherwise (the Manual program, which never increments).
std::optional<CurrentExcess> storedCurrentExcess(const PulseParameters& program, int f);

// "Trace 2 would stimulate with -105 µA on S1; the stimulator's limit is 100 µA."
std::string traceCurrentMessage(const CurrentExcess& excess);
// "The Manual program would stimulate with -105 µA on S1; …"
std::string manualCurrentMessage(const CurrentExcess& excess);

// "S1" or "S2".
const char* outputName(int f);

// One sentence per output of `program` with pulses but no electrode, or with an
// electrode but no pulses. `stepSuffix` follows each output's name: "" gives
// "S1 has pulses but no electrode: …", " of Step 2" gives "S1 of Step 2 has …".
std::vector<std::string> untargetedOutputWarnings(const PulseParameters& program, const std::string& stepSuffix);

}  // namespace stim
