// A step program summarised for the live EP readout: per output the largest
// absolute intensity and the by-repetition increment, so the readout shows the
// same intensities that getMaxIntensity gives on the program itself.
#pragma once

#include "processing/readouts.h"
#include "stimulation/pulse_parameters.h"

namespace stim {

inline korin::StepIntensity stepIntensity(const PulseParameters& program, bool enabled) {
    korin::StepIntensity step;
    step.enabled = enabled;
    for (int f : {PulseParameters::kS1, PulseParameters::kS2}) {
        step.maxAbsIntensity[f] = getMaxIntensity(program, f, 0);
        step.byRepetition[f] = program.incrementsByRep(f);
        step.increment[f] = program.increment(f);
    }
    return step;
}

}  // namespace stim
