#include "display/slope_frames.h"

#include <algorithm>
#include <cmath>

#include "acquisition/rounding.h"
#include "display/plot_parts.h"
#include "display/primitives.h"

using namespace slope_view;
using plot_parts::axes;
using plot_parts::Series;
using plot_parts::yMap;

namespace {

constexpr double kMsPerSample = 1.0 / korin::kSamplesPerMs;

// A horizontal dashed line across the plot at y, when it lies in it.
void dashedLine(DrawList& out, float y, int w, int h) {
    if (!(y >= 0.0f && y <= static_cast<float>(h))) return;
    out.begin(Primitive::Lines);
    for (float x = 0.0f; x < static_cast<float>(w); x += kDashPeriodPx) {
        out.vertex(x, y);
        out.vertex(std::min(x + kDashPx, static_cast<float>(w)), y);
    }
    out.end();
}

struct Extremes {
    double lo = korin::kNone;
    double hi = korin::kNone;
    void add(double v) {
        if (korin::isNone(v) || !std::isfinite(v)) return;
        if (korin::isNone(lo) || v < lo) lo = v;
        if (korin::isNone(hi) || v > hi) hi = v;
    }
    // In the plot's unit, with room around; 0 to 1 when there is nothing.
    YLimits limits(double flatRoom) const {
        if (korin::isNone(lo)) return {1.0, 0.0};
        double room = (hi - lo) * kAutoscaleRoom;
        if (room == 0.0) room = lo != 0.0 ? std::fabs(lo) * kAutoscaleRoom : flatRoom;
        return {hi + room, lo - room};
    }
};

}  // namespace

// --- Time course -------------------------------------------------------------------

double slopeReference(const SlopeInputs& in, int channel, const SlopeSettings& s) {
    if (in.table == nullptr) return korin::kNone;
    const korin::MeasureMean base =
        korin::meanOverTraces(*in.table, channel, kSlopeResponse, s.measure, 0, s.baselineTraces);
    if (korin::isNone(base.mean)) return korin::kNone;
    if (!s.absolute) return base.mean == 0.0 ? korin::kNone : kPercentReference;
    return base.mean;
}

YLimits slopeAutoscale(const SlopeInputs& in, int channel, const SlopeState& state) {
    Extremes e;
    forEachSlopePoint(in, channel, state, [&](const SlopePoint& p) { e.add(p.value); });
    e.add(slopeReference(in, channel, state.settings));
    return e.limits(kFlatRoom);
}

void buildSlopeFrame(DrawList& out, const ViewColors& colors, const SlopeInputs& in, int channel,
                     const PlotRange& range, const SlopeState& state, int w, int h) {
    plot_parts::begin(out, colors, w, h, false);
    const AnalysisX xr = analysisX(range, state.EpXScale, w, false);
    const plot_parts::YMap y = yMap(range, h);

    const double reference = slopeReference(in, channel, state.settings);
    if (!korin::isNone(reference)) {
        out.setColor(selected_view::kOverlayRed);
        dashedLine(out, y(reference), w, h);
    }

    out.setColor(colors.LineColor16);
    const auto plot = [&](Primitive marker, bool step2) {
        Series series(out, marker, h);
        forEachSlopePoint(in, channel, state, [&](const SlopePoint& p) {
            if (p.step2 == step2 && xr.contains(p.tMs)) series.add(static_cast<float>(xr.x(p.tMs)), y(p.value));
        });
        series.flush();
    };
    plot(Primitive::Quads, false);
    plot(Primitive::Triangles, true);
    axes(out, w, h);
}

korin::PointerReadout slopeReadout(const SlopeInputs& in, int channel, const SlopeState& state,
                                   const korin::AnalysisView& view, int xMP, int yMP) {
    korin::PointerReadout hit;
    forEachSlopePoint(in, channel, state, [&](const SlopePoint& p) {
        if (hit.hit() || p.tMs < view.xMinMs || p.tMs > view.xMaxMs) return;
        if (std::fabs(korin::plotX(p.tMs, view) - xMP) > korin::kReachPixels ||
            std::fabs(korin::plotY(p.value, view) - yMP) > korin::kReachPixels)
            return;
        hit = {p.entry, static_cast<float>(korin::roundHalfEven(p.tMs / state.EpXScale, 2)),
               static_cast<float>(p.value)};
    });
    return hit;
}

std::string slopeCopyDataText(const korin::MeasuresTable* table, int channel) {
    std::string out(korin::kMeasuresHeader);
    out += '\n';
    if (table == nullptr) return out;
    char line[korin::kMeasureRowRoom];
    for (std::int32_t t = 0; t < table->traceCount(); ++t)
        for (int r = 0; r < korin::kMaxResponses; ++r) {
            if (!table->hasRow(t, channel, r)) continue;
            char* end = korin::writeMeasureRow(line, table->row(t, channel, r));
            out.append(line, static_cast<std::size_t>(end - line));
            out += '\n';
        }
    return out;
}

std::string slopeYTitle(const SlopeSettings& s) {
    const bool amplitude = s.measure == korin::EvokedMeasure::Amplitude;
    std::string title;
    switch (s.measure) {
    case korin::EvokedMeasure::MaxSlope: title = "Max slope"; break;
    case korin::EvokedMeasure::WindowSlope: title = "Window slope"; break;
    case korin::EvokedMeasure::Slope2080: title = "20-80 % slope"; break;
    case korin::EvokedMeasure::Amplitude: title = "Amplitude"; break;
    }
    if (!s.absolute) return title + " (% of baseline)";
    return title + (amplitude ? " (mV)" : " (mV/ms)");
}

// --- Upper plot --------------------------------------------------------------------

SlopeTraceCapture::SlopeTraceCapture()
    : samples_(new double[static_cast<std::size_t>(korin::kEvokedChannels) * kShownSamples]) {}

bool SlopeTraceCapture::holds(const SlopeInputs& in) const {
    if (in.table == nullptr || in.last == nullptr) return entries_ == -1 && korin::isNone(onsetMs_);
    return entries_ == in.table->traceCount() && info_.trace == in.lastInfo.trace && info_.timeS == in.lastInfo.timeS;
}

void SlopeTraceCapture::clear() {
    entries_ = -1;
    onsetMs_ = korin::kNone;
    std::fill(std::begin(count_), std::end(count_), 0);
}

void SlopeTraceCapture::begin(const SlopeInputs& in) {
    clear();
    if (in.table == nullptr || in.last == nullptr) return;
    entries_ = in.table->traceCount();
    info_ = in.lastInfo;
    const korin::TraceMeasures& m = *in.last;
    // An emptied table (a new run) makes the last trace one of the run before.
    if (entries_ == 0 || m.responses.count <= 0) return;
    onsetMs_ = m.responses.onsetMs[kSlopeResponse];
    firstSample_ = korin::firstSampleAtOrAfter(onsetMs_);
    for (int c = 0; c < korin::kEvokedChannels; ++c)
        lines_[c] = korin::hasChannel(m.channels, c) ? m.channel[c].response[kSlopeResponse].maxSlopeLine
                                                      : korin::FittedLine{};
}

void SlopeTraceCapture::take(int channel, const SelectedSnapshot& s) {
    if (s.history == nullptr) return;
    // History sample 0 lies at T0 (s within the trace), always on a sample.
    const auto t0Samples = static_cast<std::int64_t>(std::llround(rawT0(s) * selected_view::kSamplesPerSec));
    const std::int64_t first = firstSample_ - t0Samples;
    const std::int64_t valid = std::min<std::int64_t>(s.validSamples(), SelectedSnapshot::kHistoryLength);
    if (first < 0 || first >= valid) return;
    const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(kShownSamples, valid - first));
    double* out = samples_.get() + static_cast<std::size_t>(channel) * kShownSamples;
    for (std::int32_t i = 0; i < n; ++i) out[i] = s.sample(static_cast<std::int32_t>(first + i));
    count_[channel] = n;
}

SlopeTraceView SlopeTraceCapture::view(int channel, const korin::EvokedWindows& windows) const {
    SlopeTraceView v;
    if (channel < 0 || channel >= korin::kEvokedChannels || korin::isNone(onsetMs_)) return v;
    v.samples = samples_.get() + static_cast<std::size_t>(channel) * kShownSamples;
    v.count = count_[channel];
    v.firstMs = static_cast<double>(firstSample_) * kMsPerSample;
    v.onsetMs = onsetMs_;
    v.windows = windows;
    v.line = lines_[channel];
    return v;
}

YLimits slopeTraceAutoscale(const SlopeTraceView& trace, int RawUpYScale) {
    Extremes e;
    for (std::int32_t i = 0; i < trace.count; ++i) e.add(trace.samples[i] * RawUpYScale);
    e.add(trace.line.fromMv * RawUpYScale);
    e.add(trace.line.toMv * RawUpYScale);
    return e.limits(selected_view::kRawMarginMv * RawUpYScale);
}

void buildSlopeTraceFrame(DrawList& out, const ViewColors& colors, const SlopeTraceView& trace,
                          const PlotRange& range, int RawUpYScale, int w, int h) {
    plot_parts::begin(out, colors, w, h, false);
    if (!trace.shows()) {
        axes(out, w, h);
        return;
    }
    const plot_parts::YMap y = yMap(range, h);
    const double pxPerMs = w / kShownMs;
    const auto x = [&](double msAfterOnset) { return static_cast<float>(msAfterOnset * pxPerMs); };
    const float fh = static_cast<float>(h);
    const float fw = static_cast<float>(w);

    // The blank: where the artefact lies and nothing is measured.
    out.setColor(kBlankGrey);
    out.begin(Primitive::Quads);
    const float blankEnd = std::min(x(trace.windows.blankMs), fw);
    out.vertex(0.0f, 0.0f);
    out.vertex(blankEnd, 0.0f);
    out.vertex(blankEnd, fh);
    out.vertex(0.0f, fh);
    out.end();

    out.setColor(kWindowBlue);
    for (double edge : {trace.windows.winFromMs, trace.windows.winToMs}) LineEP(out, 0.0f, fh, x(edge), fw);

    if (trace.count > 1) {
        out.setColor(colors.LineColor16);
        out.begin(Primitive::Lines);
        const double start = trace.firstMs - trace.onsetMs;
        float lastX = x(start);
        float lastY = y(trace.samples[0] * RawUpYScale);
        for (std::int32_t i = 1; i < trace.count; ++i) {
            const float xi = x(start + i * kMsPerSample);
            const float yi = y(trace.samples[i] * RawUpYScale);
            Line2D(out, lastX, lastY, xi, yi, fh, 0.0f);
            lastX = xi;
            lastY = yi;
        }
        out.end();
    }

    const korin::FittedLine& line = trace.line;
    if (!korin::isNone(line.fromMs) && !korin::isNone(line.toMs)) {
        out.setColor(selected_view::kOverlayRed);
        out.setLineWidth(kFittedLineWidth);
        out.begin(Primitive::Lines);
        Line2D(out, x(line.fromMs - trace.onsetMs), y(line.fromMv * RawUpYScale), x(line.toMs - trace.onsetMs),
               y(line.toMv * RawUpYScale), fh, 0.0f);
        out.end();
    }
    axes(out, w, h);
}
