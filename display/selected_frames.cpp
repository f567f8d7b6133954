#include "display/selected_frames.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "display/plot_parts.h"
#include "display/primitives.h"
#include "processing/readouts.h"

namespace {

using selected_view::kSamplesPerSec;
constexpr std::int32_t kHistory = SelectedSnapshot::kHistoryLength;
using plot_parts::Series;
using plot_parts::YMap;
using plot_parts::axes;
using plot_parts::begin;
using plot_parts::yMap;

double epValue(const SelectedSnapshot& d, std::int32_t i, int EpYScale) {
    return d.scale.toMillivolts(d.epAmplitudes[i]) * EpYScale;
}

std::int32_t epEntries(const SelectedSnapshot& d) {
    if (d.epAmplitudes == nullptr || d.epTimesMs == nullptr) return 0;
    return std::clamp(d.EpIndex, 0, korin::kMaxEPEntries);
}

}  // namespace

PlotRange drawableY(PlotRange r) {
    if (r.yMax == r.yMin || !std::isfinite(r.yMax - r.yMin)) {
        r.yMin = 0.0;
        r.yMax = 1.0;
    }
    return r;
}

// --- Upper plot ------------------------------------------------------------------

double rawT0Live(double timeInTraceSec) { return std::max(0.0, timeInTraceSec - selected_view::kHistorySec); }

double rawT0Replay(double blockOffsetMs) {
    const double b = blockOffsetMs / 1000.0;
    return b - selected_view::kHistorySec < 0 ? 0.0 : b - (selected_view::kHistorySec - 0.5);
}

double rawT0(const SelectedSnapshot& data) {
    return data.replay ? rawT0Replay(data.blockOffsetMs) : rawT0Live(data.timeInTraceSec);
}

YLimits rawAutoscale(const SelectedSnapshot& data, int RawUpYScale) {
    double hi = 0.0;
    double lo = 0.0;
    if (data.history != nullptr) {
        hi = lo = data.history[0];
        for (std::int32_t i = 1; i < kHistory; ++i) {
            const double v = data.history[i];
            if (v > hi) hi = v;
            if (v < lo) lo = v;
        }
    }
    return {RawUpYScale * (hi + selected_view::kRawMarginMv), RawUpYScale * (lo - selected_view::kRawMarginMv)};
}

RawTraceX rawTraceX(const PlotRange& range) {
    const double first = std::trunc(range.xMin * kSamplesPerSec);
    const double last = std::trunc((range.xMax - range.xMin) * kSamplesPerSec + first);
    return {first, last - first};
}

double epBoundX(float boundMs, const PlotRange& range, int w) {
    const RawTraceX t = rawTraceX(range);
    if (t.samples == 0) return std::numeric_limits<double>::quiet_NaN();
    return (boundMs * korin::kEPSamplesPerMs - t.firstSample) * (w / t.samples);
}

SampleWindow buildSelectChFrame(DrawList& out, const ViewColors& colors, const SelectedSnapshot& data,
                                   const PlotRange& range, const RawPlotState& state, int w, int h) {
    begin(out, colors, w, h, !data.replay);
    const SampleWindow win = sampleWindow(rawT0(data), range.xMin, range.xMax, w);
    const YMap y = yMap(range, h);
    const double scale = state.RawUpYScale;
    const float fh = static_cast<float>(h);

    const SampleSegments drawn = segmentsIn(win, std::min<std::int64_t>(kHistory, data.validSamples()));
    if (win.span() > 0 && drawn.count() > 0) {
        out.reserveMore(2 * static_cast<std::size_t>(drawn.count() + 1));
        out.setColor(colors.LineColor16);
        out.begin(Primitive::Lines);
        const float p = static_cast<float>(win.p);
        float lastX = static_cast<float>(win.firstX);
        float lastY = y(data.sample(static_cast<std::int32_t>(win.i0)) * scale);
        for (std::int64_t i = drawn.first; i < drawn.end; ++i) {
            const float x = lastX + p;
            const float yi = y(data.sample(static_cast<std::int32_t>(i)) * scale);
            Line2D(out, lastX, lastY, x, yi, fh, 0.0f);
            lastX = x;
            lastY = yi;
        }
        out.end();
    }

    out.setColor(selected_view::kOverlayRed);
    if (state.Mode == AnalysisMode::EP) {
        for (float bound : {state.ep1Ms, state.ep2Ms}) {
            const double x = epBoundX(bound, range, w);
            if (std::isfinite(x)) LineEP(out, 0.0f, fh, static_cast<float>(x), static_cast<float>(w));
        }
    } else {
        LineThreshold(out, 0.0f, static_cast<float>(w), y(state.thresholdMv * scale), fh, 0.0f);
    }
    axes(out, w, h);
    return win;
}

void buildEmptyPlotFrame(DrawList& out, const ViewColors& colors, int w, int h) {
    begin(out, colors, w, h, false);
    axes(out, w, h);
}

// --- Lower plot ------------------------------------------------------------------

AnalysisX analysisX(const PlotRange& range, int EpXScale, int w, bool wholeMs) {
    AnalysisX a;
    a.xminMs = range.xMin * EpXScale;
    a.xmaxMs = range.xMax * EpXScale;
    if (wholeMs) {
        a.xminMs = std::trunc(a.xminMs);
        a.xmaxMs = std::trunc(a.xmaxMs);
    }
    const double span = std::trunc(a.xmaxMs - a.xminMs);
    a.drawable = span > 0 && std::isfinite(span);
    a.pixelsPerMs = a.drawable ? w / span : 0.0;
    return a;
}

double getFreqYAutoScaleMax(const SelectedSnapshot& data, const AnalysisX& xr) {
    double m = -1.0;
    const std::int32_t n = data.completedBins();
    for (std::int32_t i = 0; i < n; ++i)
        if (xr.contains(data.binEndMs[i]) && data.binCounts[i] > m) m = data.binCounts[i];
    return m + 1.0;
}

double getISIYAutoScaleMax(const SelectedSnapshot& data, const AnalysisX& xr) {
    if (data.stamps == nullptr || data.stampCount < 2) return 0.0;
    double m = -1.0;
    const std::int32_t n = std::min(data.stampCount, korin::kMaxTimeStamps);
    for (std::int32_t j = 1; j < n; ++j) {
        if (!xr.contains(korin::stampTimeMs(data.stamps[j]))) continue;
        const double v = korin::interSpikeIntervalMs(data.stamps, j);
        if (v > m) m = v;
    }
    return m + 1.0;
}

namespace {

// Over the channel's whole amplitude array, unfilled entries (0) included.
std::pair<int, int> epExtremes(const SelectedSnapshot& data) {
    if (data.epAmplitudes == nullptr) return {0, 0};
    int hi = data.epAmplitudes[0];
    int lo = hi;
    for (std::int32_t i = 1; i < korin::kMaxEPEntries; ++i) {
        const int v = data.epAmplitudes[i];
        hi = std::max(hi, v);
        lo = std::min(lo, v);
    }
    return {hi, lo};
}

}  // namespace

double getEPYAutoScaleMax(const SelectedSnapshot& data, int EpYScale) {
    return data.toMv(epExtremes(data).first + 1.0) * EpYScale + selected_view::kEPMarginMv * EpYScale;
}

double getEPYAutoScaleMin(const SelectedSnapshot& data, int EpYScale) {
    return data.toMv(epExtremes(data).second - 1.0) * EpYScale - selected_view::kEPMarginMv * EpYScale;
}

void buildFreqFrame(DrawList& out, const ViewColors& colors, const SelectedSnapshot& data, const PlotRange& range,
                    const AnalysisState& state, int w, int h) {
    begin(out, colors, w, h, false);
    const AnalysisX xr = analysisX(range, state.EpXScale, w, false);
    const YMap y = yMap(range, h);
    out.setColor(colors.LineColor16);
    Series series(out, Primitive::Quads, h);
    const std::int32_t n = data.completedBins();
    for (std::int32_t i = 0; i < n; ++i) {
        const double t = data.binEndMs[i];
        if (xr.contains(t)) series.add(static_cast<float>(xr.x(t)), y(data.binCounts[i]));
    }
    series.flush();
    axes(out, w, h);
}

void buildISIFrame(DrawList& out, const ViewColors& colors, const SelectedSnapshot& data, const PlotRange& range,
                   const AnalysisState& state, int w, int h) {
    begin(out, colors, w, h, false);
    const AnalysisX xr = analysisX(range, state.EpXScale, w, false);
    const YMap y = yMap(range, h);
    out.setColor(colors.LineColor16);
    Series series(out, Primitive::Quads, h);
    const std::int32_t n = data.stamps != nullptr ? std::min(data.stampCount, korin::kMaxTimeStamps) : 0;
    for (std::int32_t j = 1; j < n; ++j) {
        const double t = korin::stampTimeMs(data.stamps[j]);
        if (xr.contains(t)) series.add(static_cast<float>(xr.x(t)), y(korin::interSpikeIntervalMs(data.stamps, j)));
    }
    series.flush();
    axes(out, w, h);
}

void buildEPFrame(DrawList& out, const ViewColors& colors, const SelectedSnapshot& data, const PlotRange& range,
                  const AnalysisState& state, int w, int h) {
    begin(out, colors, w, h, false);
    const AnalysisX xr = analysisX(range, state.EpXScale, w, data.replay);
    const YMap y = yMap(range, h);
    const int S = data.stepsPerCycle;
    const std::int32_t n = epEntries(data);
    out.setColor(colors.LineColor16);
    const auto plot = [&](Series& series, auto shown) {
        for (std::int32_t i = 0; i < n; ++i) {
            const double t = data.epTimesMs[i];
            if (shown(i) && xr.contains(t)) series.add(static_cast<float>(xr.x(t)), y(epValue(data, i, state.EpYScale)));
        }
        series.flush();
    };
    if (state.hyouziStep == -1) {
        Series squares(out, Primitive::Quads, h);
        plot(squares, [S](std::int32_t i) { return S == 0 || i % S == 0; });
        if (S > 1) {
            Series triangles(out, Primitive::Triangles, h);
            plot(triangles, [S](std::int32_t i) { return i % S == 1; });
        }
    } else {
        Series squares(out, Primitive::Quads, h);
        const int s = state.hyouziStep;
        plot(squares, [s, S](std::int32_t i) { return korin::epEntryShown(i, s, S); });
    }
    axes(out, w, h);
}

void buildAnalysisFrame(DrawList& out, const ViewColors& colors, const SelectedSnapshot& data,
                        const PlotRange& range, const AnalysisState& state, int w, int h) {
    switch (state.Mode) {
    case AnalysisMode::Spike: buildFreqFrame(out, colors, data, range, state, w, h); break;
    case AnalysisMode::EP: buildEPFrame(out, colors, data, range, state, w, h); break;
    case AnalysisMode::ISI: buildISIFrame(out, colors, data, range, state, w, h); break;
    // Drawn from the measures table (buildSlopeFrame), which this snapshot does not hold.
    case AnalysisMode::Slope: buildEmptyPlotFrame(out, colors, w, h); break;
    }
}
