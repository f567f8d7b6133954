// The evoked-response measures of one channel: baseline, baseline-corrected
// amplitude and its latency, the steepest slope over short runs, the slope over
// a fixed window and the 20-80 % slope of the falling phase, for the first two
// stimuli of a trace, and their paired-pulse ratios.
//
// The samples are read where they lie: a strided view over a live block
// (doubles, 16 per scan) or over a recording's int16 counts (the channels the
// file holds per scan, times its conversion factor); nothing is copied and
// nothing allocated. Which samples each measure reads is fixed by the plan of
// the trace (planTrace), from the windows of evoked_windows.h:
//   baseline  [onset - BASE_FROM, onset - BASE_TO); when that starts before
//             the trace, the trace's last 10 ms instead, provided they lie past
//             every stimulus's windows;
//   blank     [last onset of the stimulus, + BLANK): never read;
//   measure   [onset + WIN_FROM, onset + WIN_TO), ended early by the next
//             stimulus or the trace's end;
//   slope     [onset + SLOPE_FROM, onset + SLOPE_TO), measured only when whole.
// Slopes are in mV/ms, amplitudes in mV, times in ms. A measure that cannot be
// taken is NaN ("none"), never a division by zero.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "processing/evoked_windows.h"

namespace korin {

inline constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
inline bool isNone(double value) { return std::isnan(value); }

constexpr int kMaxResponses = 2;
// Onsets closer than this to a response's first onset are the same stimulus
// (S1 and S2 fired together).
constexpr double kSameResponseMs = 1.0;
// The baseline of a response that comes too early in its trace for its own
// baseline window.
constexpr double kTailBaselineMs = 10.0;
// The 20-80 % slope is taken only for responses at least this many baseline
// standard deviations deep, so noise alone never yields one.
constexpr double kMinDepthInSd = 5.0;
constexpr double kLowLevel = 0.2;
constexpr double kHighLevel = 0.8;

// ---- Samples ----

// One channel's samples in mV: value i of the view is trace sample first + i.
struct MvSamples {
    const double* values = nullptr;
    std::ptrdiff_t stride = 1;  // 16 over a live block
    std::int64_t first = 0;
    std::int64_t count = 0;

    double at(std::int64_t sample) const { return values[(sample - first) * stride]; }
    bool holds(SampleRange r) const { return !r.empty() && r.first >= first && r.end <= first + count; }
};

// One channel's 16-bit counts, each worth mvPerCount mV (a recording's
// conversion factor).
struct CountSamples {
    const std::int16_t* counts = nullptr;
    std::ptrdiff_t stride = 1;  // the channels the file holds
    std::int64_t first = 0;
    std::int64_t count = 0;
    double mvPerCount = 1.0;

    double at(std::int64_t sample) const { return counts[(sample - first) * stride] * mvPerCount; }
    bool holds(SampleRange r) const { return !r.empty() && r.first >= first && r.end <= first + count; }
};

// ---- Stimuli and the trace plan ----

// A pulse of the stimulation log: onset in ms from the trace's first sample.
struct StimOnset {
    double onsetMs;
    double intensityUa;
};

// The first two stimuli of a trace.
struct ResponseOnsets {
    int count = 0;
    double onsetMs[kMaxResponses] = {kNone, kNone};      // its first onset
    double lastMs[kMaxResponses] = {kNone, kNone};       // its last onset (< 1 ms after the first)
    double nextMs[kMaxResponses] = {kNone, kNone};       // the next stimulus's onset; +inf when none
    double intensityUa[kMaxResponses] = {kNone, kNone};  // the largest in magnitude of its pulses
    double latestMs = kNone;                             // the trace's last onset of all
};

// From the onsets of every output, in any order: the earliest is the first
// response, the earliest at least 1 ms after it the second. An onset less than
// 1 ms after a response's first onset belongs to that response; negative and
// non-finite onsets are ignored.
ResponseOnsets selectResponses(const StimOnset* onsets, int count);

struct ResponsePlan {
    double onsetMs = kNone;
    SampleRange baseline;           // empty when the tail serves, or nothing can
    bool baselineFromTail = false;  // the trace's last 10 ms (TracePlan::tail)
    SampleRange measure;
    SampleRange slope;              // empty when cut by a stimulus or the trace's end
    std::int32_t widthSamples = 0;  // of each run the steepest slope is sought over

    // Every sample the response is measured from, the tail aside.
    SampleRange span() const;
};

struct TracePlan {
    int count = 0;
    ResponsePlan response[kMaxResponses];
    SampleRange tail;  // the last 10 ms, when a response needs them and they are clear of every stimulus
    std::int64_t traceScans = 0;
};

// The samples each response of a trace of `traceScans` samples is measured
// from. The windows must have passed windowsProblem.
TracePlan planTrace(const ResponseOnsets& responses, std::int64_t traceScans, const EvokedWindows& windows);

// ---- Measures ----

struct Baseline {
    double meanMv = kNone;
    double sdMv = kNone;  // population form
};

// The max-slope run's least-squares line, as recorded (not baseline-corrected),
// from its first to its last sample; times from the trace's first sample.
struct FittedLine {
    double fromMs = kNone;
    double fromMv = kNone;
    double toMs = kNone;
    double toMv = kNone;
};

struct ResponseMeasures {
    double onsetMs = kNone;
    double baselineMv = kNone;
    double baselineSdMv = kNone;
    double amplitudeMv = kNone;  // the most negative baseline-corrected sample of the measure window
    double latencyMs = kNone;    // of that sample (the first, on ties), from the onset
    double maxSlope = kNone;     // the most negative least-squares slope of any run of WIDTH in the window
    double windowSlope = kNone;  // least squares over the slope window
    double slope2080 = kNone;    // least squares over the fall from 20 % to 80 % of the amplitude
    FittedLine maxSlopeLine;
};

// Second response over the first; none when either is none or the first is 0.
struct PairedRatios {
    double amplitude = kNone;
    double maxSlope = kNone;
    double windowSlope = kNone;
    double slope2080 = kNone;
};

struct ChannelMeasures {
    ResponseMeasures response[kMaxResponses];
    PairedRatios ppr;
};

// Mean and SD of the samples of `range`; none when the view does not hold them all.
Baseline baselineOver(const MvSamples& samples, SampleRange range);
Baseline baselineOver(const CountSamples& samples, SampleRange range);

// One response with the baseline given; a window the view does not wholly hold
// gives none for the measures that read it.
ResponseMeasures measureResponse(const MvSamples& samples, const ResponsePlan& plan, const Baseline& baseline);
ResponseMeasures measureResponse(const CountSamples& samples, const ResponsePlan& plan, const Baseline& baseline);

double ratioOrNone(double second, double first);
PairedRatios pairedRatios(const ResponseMeasures& first, const ResponseMeasures& second);

// Every response of one channel and its ratios, from a view of the whole trace.
void measureChannel(const MvSamples& trace, const TracePlan& plan, ChannelMeasures& out);
void measureChannel(const CountSamples& trace, const TracePlan& plan, ChannelMeasures& out);
// The same from separate views: spans[r] holds response r's span, tail the
// trace's last 10 ms (the live measurer's gathered samples).
void measureChannel(const MvSamples* spans, const MvSamples& tail, const TracePlan& plan, ChannelMeasures& out);

}  // namespace korin
