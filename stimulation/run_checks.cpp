#include "stimulation/run_checks.h"

#include <algorithm>
#include <cmath>

#include "acquisition/alert_messages.h"
#include "acquisition/number_text.h"
#include "stimulation/electrode_routing.h"
#include "stimulation/step_editor.h"

namespace stim {

namespace {

namespace alerts = korin::alerts;

// The intensity pulse `p` plays in repetition `roop`: "by rep #" moves only
// "Biphasic" pulses; an unparsable intensity plays as 0, as rendering does.
float playedIntensity(const PulseConfigs& p, bool byRep, std::int64_t roop, float inc) {
    const float stored = parseFloat32(p.Intensity).value_or(0.0f);
    return byRep && isBiphasic(p) ? repIntensity(stored, roop, inc) : stored;
}

// The first pulse with the largest magnitude in repetition `roop` (of the
// "Biphasic" pulses only, with `biphasicOnly`).
float peakIntensity(const PulseParameters& program, int f, std::int64_t roop, bool biphasicOnly = false) {
    const bool byRep = program.incrementsByRep(f);
    float peak = 0;
    for (const PulseConfigs& p : program.pulses(f)) {
        if (biphasicOnly && !isBiphasic(p)) continue;
        const float v = playedIntensity(p, byRep, roop, program.increment(f));
        if (std::fabs(v) > std::fabs(peak)) peak = v;
    }
    return peak;
}

bool beyondLimit(float microamps) { return std::fabs(microamps) > kIntensityLimitUa; }

// The first of `repetitions` repetitions of output f that goes beyond the range.
// Only the largest "Biphasic" pulse can change between repetitions, and its
// magnitude moves one way only (growing with a positive increment, shrinking
// to 0 with a negative one), so a bisection finds the first without walking
// every trace of a long run.
std::optional<std::int64_t> firstRepetitionBeyond(const PulseParameters& program, int f,
                                                  std::int64_t repetitions) {
    if (repetitions <= 0) return std::nullopt;
    if (beyondLimit(peakIntensity(program, f, 0))) return 0;
    const float inc = program.increment(f);
    if (!program.incrementsByRep(f) || !(inc > 0)) return std::nullopt;
    const float largestBiphasic = peakIntensity(program, f, 0, true);
    auto beyond = [&](std::int64_t roop) { return beyondLimit(repIntensity(largestBiphasic, roop, inc)); };
    std::int64_t low = 0, high = repetitions - 1;  // low within the range
    if (!beyond(high)) return std::nullopt;
    while (high - low > 1) {
        const std::int64_t mid = low + (high - low) / 2;
        (beyond(mid) ? high : low) = mid;
    }
    return high;
}

std::string withOutput(const char* text, const CurrentExcess& excess) {
    const std::string filled = alerts::fillIn(text, "{X}", floatText(excess.microamps));
    return alerts::fillIn(filled, "{S}", outputName(excess.output));
}

}  // namespace

std::optional<CurrentExcess> firstCurrentExcess(const std::vector<const PulseParameters*>& order,
                                                std::int64_t traces) {
    const auto steps = static_cast<std::int64_t>(order.size());
    traces = std::max<std::int64_t>(traces, 1);
    std::optional<CurrentExcess> first;
    for (std::int64_t position = 0; position < steps && position < traces; ++position) {
        const PulseParameters& program = *order[static_cast<std::size_t>(position)];
        // The traces of this step are position, position + steps, …; the
        // repetition index of each is its pass through the order.
        const std::int64_t repetitions = (traces - 1 - position) / steps + 1;
        for (int f : {PulseParameters::kS1, PulseParameters::kS2}) {
            if (!getStimOnOrOff(program, f)) continue;
            const std::optional<std::int64_t> roop = firstRepetitionBeyond(program, f, repetitions);
            if (!roop) continue;
            const std::int64_t trace = position + *roop * steps;
            if (!first || trace < first->trace) first = CurrentExcess{trace, f, peakIntensity(program, f, *roop)};
        }
    }
    return first;
}

std::optional<CurrentExcess> storedCurrentExcess(const PulseParameters& program, int f) {
    if (!getStimOnOrOff(program, f)) return std::nullopt;
    const float peak = peakIntensity(program, f, 0);
    if (!beyondLimit(peak)) return std::nullopt;
    return CurrentExcess{0, f, peak};
}

std::string traceCurrentMessage(const CurrentExcess& excess) {
    return alerts::fillIn(withOutput(alerts::kTraceCurrentBeyondLimit, excess), "{N}",
                          korin::wholeNumberText(excess.trace + 1));
}

std::string manualCurrentMessage(const CurrentExcess& excess) {
    return withOutput(alerts::kManualCurrentBeyondLimit, excess);
}

const char* outputName(int f) { return f == PulseParameters::kS1 ? "S1" : "S2"; }

std::vector<std::string> untargetedOutputWarnings(const PulseParameters& program, const std::string& stepSuffix) {
    std::vector<std::string> warnings;
    for (int f : {PulseParameters::kS1, PulseParameters::kS2}) {
        const std::string name = outputName(f) + stepSuffix;
        const bool pulses = program.pulseCount(f) > 0;
        const std::int32_t electrode = program.electrode(f);
        const bool routed = getPOch(electrode) != kNotRouted;
        if (pulses && !routed) warnings.push_back(alerts::fillIn(alerts::kPulsesWithoutElectrode, "{S}", name));
        if (!pulses && routed)
            warnings.push_back(alerts::fillIn(alerts::fillIn(alerts::kElectrodeWithoutPulses, "{S}", name), "{E}",
                                              korin::wholeNumberText(electrode + 1)));
    }
    return warnings;
}

}  // namespace stim
