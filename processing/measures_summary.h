// Summaries of a measures table for the time-course view and the command-line
// summary: the mean of a measure over a range of traces, each trace as a
// percentage of the baseline traces' mean, and the mean per stimulus
// intensity (the input-output curve). A value that is none is left out of a
// mean; a percentage of a mean that is none or zero is none.
#pragma once

#include <cstdint>
#include <vector>

#include "processing/measures_table.h"

namespace korin {

struct MeasureMean {
    double mean = kNone;
    std::int32_t count = 0;  // values averaged
};

// Over the entries [fromTrace, toTrace) of the table, clamped to it; channel
// index 0-15, response index 0-1.
MeasureMean meanOverTraces(const MeasuresTable& table, int channel, int response, EvokedMeasure measure,
                           std::int32_t fromTrace, std::int32_t toTrace);

// 100 x value / reference; none when either is none or the reference is 0.
double percentOf(double value, double reference);

// A channel's measure as a percentage of its mean over the first
// `baselineTraces` entries (the time course of a potentiation experiment).
class BaselineNormaliser {
public:
    BaselineNormaliser(const MeasuresTable& table, int channel, int response, EvokedMeasure measure,
                       std::int32_t baselineTraces);

    const MeasureMean& baseline() const { return baseline_; }
    // Entry t as % of the baseline mean.
    double percent(std::int32_t t) const;

private:
    const MeasuresTable& table_;
    int channel_;
    int response_;
    EvokedMeasure measure_;
    MeasureMean baseline_;
};

struct IntensityMean {
    double intensityUa;
    MeasureMean value;
};

// The mean of a measure per stimulus intensity, by increasing intensity;
// entries without an intensity are left out.
std::vector<IntensityMean> meansPerIntensity(const MeasuresTable& table, int channel, int response,
                                             EvokedMeasure measure);

}  // namespace korin
