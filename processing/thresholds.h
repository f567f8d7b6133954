// Per-channel levels derived from the signal: the DC offset measured when an
// acquisition is set up, the automatic spike thresholds of the quietest 100 ms,
// and the manual threshold and evoked-potential window the user drags in the
// selected-channel raw view. Pure computations over the owner's buffers; the
// window and the pipelines decide when they run.
#pragma once

#include <cstdint>
#include <optional>

namespace korin {

constexpr int kThresholdChannels = 16;
constexpr int kDCOffsetSamples = 10000;            // one block per channel
constexpr int kThresholdWindowSamples = 2000;      // 100 ms
constexpr int kLiveThresholdSamples = 40000;       // the trace's first 2 s
constexpr int kReplayThresholdSamples = 50000;     // the first five blocks of a file
constexpr double kThresholdSdPercent = 550.0;      // 5.5 standard deviations
constexpr float kAutoPostMs = 0.5f;                // dead time set with every automatic threshold
constexpr double kSamplesPerMs = 20.0;             // 20 kHz

// Mean of one channel's block: each sample rounded to single precision, summed
// and divided in double precision.
double dcOffset(const double* samples, int count = kDCOffsetSamples);

// Offsets of the sixteen channels from their buffers (chAry after the DC reads).
void DCOffsetKeisann(const double* const* chAry, double* dcOffsetValue);

struct AutoThreshold {
    float lower;  // mean - 5.5 SD: the detection threshold
    float upper;  // mean + 5.5 SD
};

// Thresholds from the quietest of the consecutive 2000-sample windows of the
// first `length` samples (a strictly smaller SD replaces the kept window, so of
// equal windows the earliest wins). Mean and SD accumulate in single precision.
AutoThreshold autoThreshold(const double* samples, int length);

// All sixteen channels: lower into yMThreshAry, upper into yPThreshAry and
// 0.5 ms into PostAry. `length` is kLiveThresholdSamples or kReplayThresholdSamples.
void thresholdKeisann(const double* const* chAry, int length, float* yMThreshAry, float* yPThreshAry,
                      float* PostAry);

// Vertical mapping of the selected-channel raw view.
struct RawViewY {
    int height;       // H, pixels
    double yMin;      // the range texts, in the displayed unit
    double yMax;
    int rawUpYScale;  // displayed units per mV: 1000 for uV, 1 for mV
};

// The threshold (mV) under a pointer y, clamped to the view. Nothing when the
// view has no vertical extent, which would give no finite value.
std::optional<float> manualThresholdMv(int y, const RawViewY& view);

// Horizontal mapping of the selected-channel raw view in samples of the trace.
struct RawViewX {
    int width;          // W, pixels
    double firstSample; // s0: trace sample at the left edge
    double samples;     // N: samples across the view
};

// The time after the trace start (ms) under a pointer x, clamped to the view;
// 0 when the view spans no samples.
float pointerToTraceMs(int x, const RawViewX& view);

enum class EPEdge { Start, End };

// Which end of the window [start, end] is nearer to t; on equal distance the end.
EPEdge nearerEPEdge(float t, float start, float end);

// Moves the end of the EP window nearer to the pointer, for all sixteen channels,
// judging nearness by the window of `channel`. Returns the end that moved.
EPEdge moveNearerEPEdge(int x, const RawViewX& view, int channel, float* EPThreshAry1, float* EPThreshAry2);

}  // namespace korin
