// The "Slope" analysis of the selected channel as geometry and text: the lower
// plot draws one evoked-response measure per trace over the run, as % of the
// mean of the first baseline traces or in absolute units, with a dashed line
// at the baseline level (100 %); the upper plot draws the last measured
// response's first 30 ms after its onset with the artefact blank, the measure
// window and the fitted max-slope line over it. Also the time course's
// autoscale, pointer readout and Copy Data text.
//
// The time course reads the measures table as it stands; the upper plot reads
// samples kept by SlopeTraceCapture, since the raw history scrolls on after a
// trace was measured. Nothing is allocated per frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "display/colors.h"
#include "display/draw_list.h"
#include "display/selected_frames.h"
#include "display/selected_source.h"
#include "processing/evoked_windows.h"
#include "processing/measures_summary.h"
#include "processing/measures_table.h"
#include "processing/readouts.h"

// What the Slope view draws from: the run's measures table (live or replay)
// and the last trace measured into it. Null pointers: nothing measured yet.
struct SlopeInputs {
    const korin::MeasuresTable* table = nullptr;
    const korin::TraceMeasures* last = nullptr;
    korin::TraceInfo lastInfo;
};

// The choices of the plot's menu.
struct SlopeSettings {
    static constexpr std::int32_t kDefaultBaselineTraces = 10;
    korin::EvokedMeasure measure = korin::EvokedMeasure::MaxSlope;
    std::int32_t baselineTraces = kDefaultBaselineTraces;  // the first traces of the table
    bool absolute = false;  // mV/ms or mV rather than % of the baseline mean
};

struct SlopeState {
    SlopeSettings settings;
    int EpXScale = 1000;  // ms per X unit
    int hyouziStep = 1;   // 1, 2, or -1 for both steps
};

namespace slope_view {

inline constexpr double kShownMs = 30.0;  // the upper plot: the onset to 30 ms after it
inline constexpr std::int32_t kShownSamples = 600;
inline constexpr double kPercentReference = 100.0;
// Dashes of the baseline line: 6 px drawn every 10 px.
inline constexpr float kDashPx = 6.0f;
inline constexpr float kDashPeriodPx = 10.0f;
// Autoscale room above and below the values, as a part of their span; a
// single value gets this part of itself, and 0 gets kFlatRoom.
inline constexpr double kAutoscaleRoom = 0.1;
inline constexpr double kFlatRoom = 1.0;
inline constexpr Rgbf kBlankGrey{0.85f, 0.85f, 0.85f};
inline constexpr Rgbf kWindowBlue{0.0f, 0.0f, 1.0f};
inline constexpr float kFittedLineWidth = 2.0f;

}  // namespace slope_view

// The response shown on the channel's time course: the first.
inline constexpr int kSlopeResponse = 0;

// One plotted point of the time course.
struct SlopePoint {
    std::int32_t entry;  // of the table
    double tMs;          // the trace's start in the run
    double value;        // % of baseline, or mV/ms (mV for the amplitude)
    bool step2;          // drawn as a triangle
};

// The level of the dashed line: 100 in % of baseline, else the baseline mean;
// none when the baseline traces hold no value of the measure.
double slopeReference(const SlopeInputs& in, int channel, const SlopeSettings& s);

// Calls f(const SlopePoint&) for the entries the step filter shows whose value
// is not none, in table order. A trace of step 2 is a triangle; any other (1,
// or 0 when the run has no steps) counts as step 1.
template <class F>
void forEachSlopePoint(const SlopeInputs& in, int channel, const SlopeState& state, F&& f);

// YMax and YMin over every shown value and the reference, with room around them.
YLimits slopeAutoscale(const SlopeInputs& in, int channel, const SlopeState& state);

void buildSlopeFrame(DrawList& out, const ViewColors& colors, const SlopeInputs& in, int channel,
                     const PlotRange& range, const SlopeState& state, int w, int h);

// The point under the pointer, as the EP readout finds it: [trace start in the
// X unit rounded to 0.01, value].
korin::PointerReadout slopeReadout(const SlopeInputs& in, int channel, const SlopeState& state,
                                   const korin::AnalysisView& view, int xMP, int yMP);

// Copy Data: the measures file's header and the table's rows of the channel,
// each line ended by a line feed.
std::string slopeCopyDataText(const korin::MeasuresTable* table, int channel);

// The Y title of the time course: "Max slope (% of baseline)", "Amplitude (mV)"…
std::string slopeYTitle(const SlopeSettings& s);

// --- Upper plot ---

// The samples of one channel around the last measured response.
struct SlopeTraceView {
    const double* samples = nullptr;  // mV
    std::int32_t count = 0;
    double firstMs = 0;  // of samples[0], from the trace's first sample
    double onsetMs = korin::kNone;
    korin::EvokedWindows windows;
    korin::FittedLine line;  // none when the channel had no max slope
    bool shows() const { return !korin::isNone(onsetMs); }
};

// Keeps, for all sixteen channels, the first 30 ms after the last measured
// response's onset, taken from the raw history when a new trace has been
// measured, while the history still holds that trace.
class SlopeTraceCapture {
public:
    SlopeTraceCapture();

    // Whether `in` names the trace already taken.
    bool holds(const SlopeInputs& in) const;
    // Takes the trace of `in` from snapshotOf(channel), a SelectedSnapshot of
    // the trace being measured (live or replay), unless it is held already.
    template <class SnapshotOf>
    void capture(const SlopeInputs& in, SnapshotOf&& snapshotOf) {
        if (holds(in)) return;
        begin(in);
        if (korin::isNone(onsetMs_)) return;
        for (int c = 0; c < korin::kEvokedChannels; ++c) take(c, snapshotOf(c));
    }
    // Forgets the trace (a new run or a new file).
    void clear();

    SlopeTraceView view(int channel, const korin::EvokedWindows& windows) const;

private:
    void begin(const SlopeInputs& in);
    void take(int channel, const SelectedSnapshot& snapshot);

    std::unique_ptr<double[]> samples_;  // [channel][kShownSamples]
    std::int32_t count_[korin::kEvokedChannels] = {};
    korin::FittedLine lines_[korin::kEvokedChannels];
    std::int64_t firstSample_ = 0;
    double onsetMs_ = korin::kNone;
    // The trace held: its table entry count and place in the run.
    std::int32_t entries_ = -1;
    korin::TraceInfo info_;
};

// The upper plot's Y limits over the samples and the fitted line, in the upper unit.
YLimits slopeTraceAutoscale(const SlopeTraceView& trace, int RawUpYScale);

// The upper plot in Slope mode; the X range is the onset to 30 ms after it,
// the Y range the range boxes'.
void buildSlopeTraceFrame(DrawList& out, const ViewColors& colors, const SlopeTraceView& trace,
                          const PlotRange& range, int RawUpYScale, int w, int h);

// --- Template definition ---

template <class F>
void forEachSlopePoint(const SlopeInputs& in, int channel, const SlopeState& state, F&& f) {
    if (in.table == nullptr) return;
    const korin::MeasuresTable& table = *in.table;
    const SlopeSettings& s = state.settings;
    const korin::BaselineNormaliser normaliser(table, channel, kSlopeResponse, s.measure, s.baselineTraces);
    for (std::int32_t t = 0; t < table.traceCount(); ++t) {
        const korin::TraceInfo& info = table.info(t);
        const bool step2 = info.step == 2;
        if (state.hyouziStep != -1 && state.hyouziStep != (step2 ? 2 : 1)) continue;
        const double value =
            s.absolute ? static_cast<double>(table.value(t, channel, kSlopeResponse, s.measure)) : normaliser.percent(t);
        if (korin::isNone(value)) continue;
        f(SlopePoint{t, info.timeS * 1000.0, value, step2});
    }
}
