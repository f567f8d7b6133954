// The per-channel summary of a run's measures that the command-line tool
// prints: the baseline traces' mean max slope, the last traces' mean as a
// percentage of it, the paired-pulse ratio, and the mean max slope per
// stimulus intensity (the input-output curve). A channel whose baseline traces
// show no response is reported as such rather than normalised: the steepest
// slope of noise is a number, but not one to take a percentage of.
#pragma once

#include <cstdint>
#include <vector>

#include "processing/measures_summary.h"
#include "processing/measures_table.h"

namespace korin {

// The traces the time course ends with, averaged against the baseline.
constexpr std::int32_t kReportLastTraces = 10;
// A channel responds when at least this share of its baseline traces holds a
// response deep enough for a 20-80 % slope (5 baseline SDs).
constexpr double kMinRespondingShare = 0.5;

struct ChannelReport {
    MeasureMean baseline;            // first response's max slope over the baseline traces
    std::int32_t respondingTraces = 0;  // baseline traces with a 20-80 % slope
    bool responds = false;           // a baseline to normalise to
    MeasureMean last;                // over the last kReportLastTraces traces
    double lastPercent = kNone;      // of the baseline; none when the channel does not respond
    MeasureMean ppr;                 // max slope, second response over first, over the traces with two
    std::vector<IntensityMean> io;   // filled only when there are several intensities
};

// Channel index 0-15, the first `baselineTraces` entries as the baseline.
ChannelReport reportChannel(const MeasuresTable& table, int channel, std::int32_t baselineTraces);

}  // namespace korin
