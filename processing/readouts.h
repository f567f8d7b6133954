// The pointer readout of the analysis plot: which plotted point of the spike
// rate, inter-spike interval or evoked-potential (EP) series lies under the
// mouse, and what to show for it. Pure functions of the series, the plot's
// limits and the pointer; the Rec and Read names serve the live and the replay
// data. Also the step filter of EP entries and the stimulus intensities that
// belong to a live EP entry.
#pragma once

#include <array>
#include <cstdint>

#include "processing/series.h"

namespace korin {

constexpr double kReachPixels = 5.0;  // Rf: a point this close in x and in y is hit, edges included

// The analysis plot as drawn: X limits in ms (EpXScale x the range texts), its
// size in pixels and its current vertical range in plotted units.
struct AnalysisView {
    double xMinMs;
    double xMaxMs;
    int width;
    int height;
    double yMin;
    double yMax;
};

// Where the plot draws a point of time t (ms) and value v.
double plotX(double tMs, const AnalysisView& view);
double plotY(double value, const AnalysisView& view);

// The hit point, or index -1 with values [-1, -1].
struct PointerReadout {
    std::int32_t index = -1;
    float x = -1.0f;
    float y = -1.0f;
    bool hit() const { return index >= 0; }
};

// Live EP readouts also carry the S1 and S2 intensities of the entry's trace.
struct EPStimReadout : PointerReadout {
    float f1 = 0.0f;
    float f2 = 0.0f;
};

// One channel's spike-rate bins: bins 0 .. floor(spikeIndex) - 1 are plotted.
struct BinsView {
    const std::int16_t* counts;
    const double* endTimesMs;
    double spikeIndex;
};

// One channel's time stamps.
struct StampsView {
    const std::int32_t* stamps;
    std::int32_t count;
};

// One channel's EP entries and how the plot shows them.
struct EPView {
    const std::int16_t* amplitudes;
    const double* timesMs;
    std::int32_t count;
    CountScale scale;
    int epYScale;        // plotted units per mV: 1000 for uV, 1 for mV
    int epXScale;        // ms per X unit: 1000 for seconds, 60000 for minutes
    int stepsPerCycle;   // S: the run clock's steps per cycle, or the file's
    int hyouziStep;      // shown step: 1, 2, or -1 for all
};

// Whether EP entry k is plotted under the step filter: all steps (-1) shows the
// entries with k mod S = 0 and, when S > 1, k mod S = 1 (every entry when S is
// 0); one step s shows the entries whose step (k + 1) mod S (0 meaning S)
// equals s clamped to S.
bool epEntryShown(std::int32_t k, int hyouziStep, int stepsPerCycle);

// Spike rate: [bin end time in s rounded to 0.1, count].
PointerReadout getRecFreqSpikeZahyou(const BinsView& bins, const AnalysisView& view, int xMP, int yMP);
PointerReadout getReadFreqSpikeZahyou(const BinsView& bins, const AnalysisView& view, int xMP, int yMP);

// Inter-spike interval: [stamp time in s rounded to 0.1, interval in ms].
PointerReadout getRecISIZahyou(const StampsView& stamps, const AnalysisView& view, int xMP, int yMP);
PointerReadout getReadISIZahyou(const StampsView& stamps, const AnalysisView& view, int xMP, int yMP);

// The stimulus of one step program as the EP readout needs it: per output the
// largest absolute pulse intensity (uA) and the by-repetition increment.
struct StepIntensity {
    bool enabled = false;
    std::array<float, 2> maxAbsIntensity{};
    std::array<bool, 2> byRepetition{};
    std::array<float, 2> increment{};
};

// Intensity of output f (0 = S1, 1 = S2) of a step at repetition `index`:
// the largest absolute intensity plus increment x index when the output
// increments by repetition; never below 0.
float getMaxIntensity(const StepIntensity& step, int f, std::int32_t index);

// S1 and S2 intensities of live EP entry k: with both steps enabled traces
// alternate (even k step 1 at k / 2, odd k step 2 at (k - 1) / 2); with one
// step that step at k; with neither 0 and 0.
std::array<float, 2> epEntryIntensities(std::int32_t k, const StepIntensity& step1, const StepIntensity& step2);

// EP: [entry time / EpXScale rounded to 0.01, amplitude in plotted units]; the
// live readout adds the entry's S1 and S2 intensities.
EPStimReadout getRecEPZahyou(const EPView& ep, const AnalysisView& view, const StepIntensity& step1,
                             const StepIntensity& step2, int xMP, int yMP);
PointerReadout getReadEPZahyou(const EPView& ep, const AnalysisView& view, int xMP, int yMP);

}  // namespace korin
