// The selected-channel plots as geometry: the upper raw trace of the selected
// channel with its threshold or evoked-potential (EP) window overlay, and the
// three analyses of the lower plot (spike rate, inter-spike interval, EP
// amplitude with the step filter), with their autoscale limits. Every frame is
// rebuilt completely from the snapshot; nothing is kept between frames.
#pragma once

#include <cstdint>

#include "display/colors.h"
#include "display/draw_list.h"
#include "display/sample_window.h"
#include "display/selected_source.h"
#include "display/selected_view_update.h"

namespace selected_view {

inline constexpr double kSamplesPerSec = 20000.0;
inline constexpr double kHistorySec = 10.0;
// The raw autoscale margin, mV: the single-precision 0.0001.
inline constexpr double kRawMarginMv = static_cast<double>(0.0001f);
// The EP autoscale margin, mV: the single-precision 0.01.
inline constexpr double kEPMarginMv = static_cast<double>(0.01f);
inline constexpr Rgbf kOverlayRed{1.0f, 0.0f, 0.0f};
inline constexpr Rgbf kAxisBlack{0.0f, 0.0f, 0.0f};

}  // namespace selected_view

// A plot's limits as its range boxes hold them: X in seconds within the trace
// (upper plot) or in the lower X unit, Y in the plot's unit.
struct PlotRange {
    double xMin = 0.0;
    double xMax = 10.0;
    double yMin = 0.0;
    double yMax = 1.0;
};

// A range with YMax = YMin has no scale; it is shown as 0 to 1 instead.
PlotRange drawableY(PlotRange r);

// --- Upper plot ---

// Time (s within the trace) of history sample 0. Live: t - 10, not below 0.
// Replay, with the last block's offset b: 0 while b < 10 s, else b - 9.5.
double rawT0Live(double timeInTraceSec);
double rawT0Replay(double blockOffsetMs);
double rawT0(const SelectedSnapshot& data);

struct YLimits {
    double max = 0.0;
    double min = 0.0;
};

// RawUpYScale x (largest + 0.0001) and RawUpYScale x (smallest - 0.0001) over
// the whole history array (unfilled entries hold 0).
YLimits rawAutoscale(const SelectedSnapshot& data, int RawUpYScale);


struct RawPlotState {
    AnalysisMode Mode = AnalysisMode::Spike;
    int RawUpYScale = 1000;  // displayed units per mV
    float thresholdMv = 0;   // the selected channel's yMThreshAry
    float ep1Ms = 10.0f;     // EPThreshAry1, EPThreshAry2 of the channel
    float ep2Ms = 80.0f;
};

// x of an EP window bound (ms after the trace start) in the upper plot.
double epBoundX(float boundMs, const PlotRange& range, int w);
// The trace-time mapping of the upper plot for the EP window drag.
struct RawTraceX {
    double firstSample;  // trace sample at the left edge
    double samples;      // samples across the plot
};
RawTraceX rawTraceX(const PlotRange& range);

// DrawSelectChRec / DrawSelectChLoad: background, grid, trace, the red overlay
// of the mode, the axes. Returns the sample window drawn.
SampleWindow buildSelectChFrame(DrawList& out, const ViewColors& colors, const SelectedSnapshot& data,
                                   const PlotRange& range, const RawPlotState& state, int w, int h);

// The empty plot of either view (DrawSelectChWaku, DrawSelectFreqChWaku).
void buildEmptyPlotFrame(DrawList& out, const ViewColors& colors, int w, int h);

// --- Lower plot ---

// Lower X mapping: xminMs = XMin x EpXScale, xmaxMs = XMax x EpXScale (replay EP
// truncates both to whole ms); t is drawn when xminMs <= t <= xmaxMs, at
// (t - xminMs) x w / trunc(xmaxMs - xminMs).
struct AnalysisX {
    double xminMs = 0.0;
    double xmaxMs = 0.0;
    double pixelsPerMs = 0.0;
    bool drawable = false;  // a range under a whole ms has no scale
    bool contains(double t) const { return drawable && t >= xminMs && t <= xmaxMs; }
    double x(double t) const { return (t - xminMs) * pixelsPerMs; }
};
AnalysisX analysisX(const PlotRange& range, int EpXScale, int w, bool wholeMs);

struct AnalysisState {
    AnalysisMode Mode = AnalysisMode::Spike;
    int EpXScale = 1000;
    int EpYScale = 1000;
    int hyouziStep = 1;
};

// Autoscale maxima and minima (YMin is 0 for the spike rate and ISI).
double getFreqYAutoScaleMax(const SelectedSnapshot& data, const AnalysisX& xr);
double getISIYAutoScaleMax(const SelectedSnapshot& data, const AnalysisX& xr);
double getEPYAutoScaleMax(const SelectedSnapshot& data, int EpYScale);
double getEPYAutoScaleMin(const SelectedSnapshot& data, int EpYScale);

// DrawFreqSelectCh{Rec,Load}, DrawISISelectCh{Rec,Load}, DrawEPSelectCh{Rec,Load}.
void buildFreqFrame(DrawList& out, const ViewColors& colors, const SelectedSnapshot& data, const PlotRange& range,
                    const AnalysisState& state, int w, int h);
void buildISIFrame(DrawList& out, const ViewColors& colors, const SelectedSnapshot& data, const PlotRange& range,
                   const AnalysisState& state, int w, int h);
void buildEPFrame(DrawList& out, const ViewColors& colors, const SelectedSnapshot& data, const PlotRange& range,
                  const AnalysisState& state, int w, int h);
// The view of the state's mode.
void buildAnalysisFrame(DrawList& out, const ViewColors& colors, const SelectedSnapshot& data,
                        const PlotRange& range, const AnalysisState& state, int w, int h);
