#include "processing/evoked_response.h"

#include <algorithm>

#include "processing/thresholds.h"

namespace korin {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

bool usableOnset(double ms) { return std::isfinite(ms) && ms >= 0; }

// The earliest usable onset at or after `fromMs`; +inf when there is none.
double earliestFrom(const StimOnset* onsets, int count, double fromMs) {
    double best = kInfinity;
    for (int i = 0; i < count; ++i) {
        const double t = onsets[i].onsetMs;
        if (usableOnset(t) && t >= fromMs && t < best) best = t;
    }
    return best;
}

// A sample index for an onset that may be +inf (no next stimulus).
std::int64_t sampleOrEnd(double ms, std::int64_t end) {
    return std::isfinite(ms) ? std::min(firstSampleAtOrAfter(ms), end) : end;
}

SampleRange unite(SampleRange a, SampleRange b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return {std::min(a.first, b.first), std::max(a.end, b.end)};
}

// Least-squares slope in mV/ms over the samples of `r`, which the view holds.
// With i = 0 .. n-1 the sample times are i / 20 ms, so
// slope = 20 sum (i - mean i)(y - mean y) / sum (i - mean i)^2, the latter n(n^2 - 1)/12.
template <class View>
double leastSquaresSlope(const View& v, SampleRange r) {
    const auto n = static_cast<double>(r.size());
    if (n < 2) return kNone;
    double sum = 0;
    for (std::int64_t k = r.first; k < r.end; ++k) sum += v.at(k);
    const double mean = sum / n;
    const double centre = (n - 1) / 2;
    double num = 0;
    for (std::int64_t k = r.first; k < r.end; ++k) num += (static_cast<double>(k - r.first) - centre) * (v.at(k) - mean);
    return num * kSamplesPerMs / (n * (n * n - 1) / 12);
}

template <class View>
Baseline baselineWith(const View& v, SampleRange r) {
    if (!v.holds(r)) return {};
    const auto n = static_cast<double>(r.size());
    // About the first sample: a flat baseline is then exactly its value, with SD 0.
    const double x0 = v.at(r.first);
    double sum = 0;
    for (std::int64_t k = r.first; k < r.end; ++k) sum += v.at(k) - x0;
    const double mean = x0 + sum / n;
    double squares = 0;
    for (std::int64_t k = r.first; k < r.end; ++k) squares += (v.at(k) - mean) * (v.at(k) - mean);
    return {mean, std::sqrt(squares / n)};
}

// The steepest descent over every run of `width` samples inside `window`, in
// one pass: for the run starting at j, S = sum y and T = sum (k - j) y over its
// samples; moving one sample on, S' = S - y(j) + y(j + width) and
// T' = T + width y(j + width) - S'. The run's slope is proportional to
// T - (width - 1)/2 S. Samples are taken relative to the window's first one so
// the sums stay small.
template <class View>
void steepestRun(const View& v, SampleRange window, std::int32_t width, ResponseMeasures& m) {
    if (width < 2 || window.size() < width) return;
    const double y0 = v.at(window.first);
    const double centre = (width - 1) / 2.0;
    double s = 0, t = 0;
    for (std::int32_t i = 0; i < width; ++i) {
        const double y = v.at(window.first + i) - y0;
        s += y;
        t += i * y;
    }
    double best = t - centre * s;
    double bestSum = s;
    std::int64_t bestFirst = window.first;
    for (std::int64_t j = window.first + 1; j + width <= window.end; ++j) {
        const double incoming = v.at(j + width - 1) - y0;
        s += incoming - (v.at(j - 1) - y0);
        t += width * incoming - s;
        if (const double steepness = t - centre * s; steepness < best) {
            best = steepness;
            bestSum = s;
            bestFirst = j;
        }
    }
    const double w = width;
    m.maxSlope = best * kSamplesPerMs / (w * (w * w - 1) / 12);
    const double meanMv = y0 + bestSum / w;
    const double halfSpanMs = centre / kSamplesPerMs;
    const double centreMs = (static_cast<double>(bestFirst) + centre) / kSamplesPerMs;
    m.maxSlopeLine = {centreMs - halfSpanMs, meanMv - m.maxSlope * halfSpanMs, centreMs + halfSpanMs,
                      meanMv + m.maxSlope * halfSpanMs};
}

// The fall from the first sample at or below 20 % of the amplitude to the first
// at or below 80 % after it, both included, up to the peak.
template <class View>
double fallSlope(const View& v, SampleRange window, std::int64_t peak, double amplitude, const Baseline& b) {
    if (!(amplitude < 0) || !(-amplitude >= kMinDepthInSd * b.sdMv)) return kNone;
    // The peak is at or below both levels, so neither search passes it.
    std::int64_t low = window.first;
    while (low < peak && v.at(low) - b.meanMv > kLowLevel * amplitude) ++low;
    std::int64_t high = low;
    while (high < peak && v.at(high) - b.meanMv > kHighLevel * amplitude) ++high;
    return leastSquaresSlope(v, {low, high + 1});
}

template <class View>
ResponseMeasures measureWith(const View& v, const ResponsePlan& p, const Baseline& b) {
    ResponseMeasures m;
    m.onsetMs = p.onsetMs;
    m.baselineMv = b.meanMv;
    m.baselineSdMv = b.sdMv;
    if (v.holds(p.slope)) m.windowSlope = leastSquaresSlope(v, p.slope);
    if (!v.holds(p.measure)) return m;
    std::int64_t peak = p.measure.first;
    double lowest = v.at(peak);
    for (std::int64_t k = p.measure.first + 1; k < p.measure.end; ++k) {
        if (const double x = v.at(k); x < lowest) {
            lowest = x;
            peak = k;
        }
    }
    m.latencyMs = static_cast<double>(peak) / kSamplesPerMs - p.onsetMs;
    m.amplitudeMv = lowest - b.meanMv;
    steepestRun(v, p.measure, p.widthSamples, m);
    m.slope2080 = fallSlope(v, p.measure, peak, m.amplitudeMv, b);
    return m;
}

template <class SpanView, class TailView>
void channelWith(const SpanView* spans, const TailView& tail, const TracePlan& plan, ChannelMeasures& out) {
    out = ChannelMeasures{};
    for (int r = 0; r < plan.count; ++r) {
        const ResponsePlan& p = plan.response[r];
        const Baseline b = p.baselineFromTail ? baselineWith(tail, plan.tail) : baselineWith(spans[r], p.baseline);
        out.response[r] = measureWith(spans[r], p, b);
    }
    if (plan.count == kMaxResponses) out.ppr = pairedRatios(out.response[0], out.response[1]);
}

}  // namespace

ResponseOnsets selectResponses(const StimOnset* onsets, int count) {
    ResponseOnsets out;
    double starts[kMaxResponses + 1];
    starts[0] = earliestFrom(onsets, count, 0.0);
    for (int r = 1; r <= kMaxResponses; ++r)
        starts[r] = std::isfinite(starts[r - 1]) ? earliestFrom(onsets, count, starts[r - 1] + kSameResponseMs)
                                                 : kInfinity;
    for (int r = 0; r < kMaxResponses && std::isfinite(starts[r]); ++r) {
        out.count = r + 1;
        out.onsetMs[r] = out.lastMs[r] = starts[r];
        out.nextMs[r] = starts[r + 1];
        for (int i = 0; i < count; ++i) {
            const StimOnset& s = onsets[i];
            if (!usableOnset(s.onsetMs) || s.onsetMs < starts[r] || s.onsetMs >= starts[r] + kSameResponseMs) continue;
            out.lastMs[r] = std::max(out.lastMs[r], s.onsetMs);
            // Larger in magnitude wins; of equal magnitudes the negative, so the order of the log does not matter.
            const double kept = out.intensityUa[r];
            if (!std::isfinite(s.intensityUa)) continue;
            if (isNone(kept) || std::fabs(s.intensityUa) > std::fabs(kept) ||
                (std::fabs(s.intensityUa) == std::fabs(kept) && s.intensityUa < kept))
                out.intensityUa[r] = s.intensityUa;
        }
    }
    for (int i = 0; i < count; ++i) {
        const double t = onsets[i].onsetMs;
        if (usableOnset(t) && (isNone(out.latestMs) || t > out.latestMs)) out.latestMs = t;
    }
    return out;
}

SampleRange ResponsePlan::span() const { return unite(unite(baseline, measure), slope); }

TracePlan planTrace(const ResponseOnsets& responses, std::int64_t traceScans, const EvokedWindows& w) {
    TracePlan plan;
    plan.traceScans = std::max<std::int64_t>(traceScans, 0);
    plan.count = std::clamp(responses.count, 0, kMaxResponses);
    bool tailNeeded = false;
    for (int r = 0; r < plan.count; ++r) {
        ResponsePlan& p = plan.response[r];
        const double onset = responses.onsetMs[r];
        p.onsetMs = onset;
        p.widthSamples = runSamples(w.widthMs);
        // Nothing is read before the blank of the stimulus's last pulse ends, or
        // from the next stimulus on.
        const std::int64_t clearFrom = firstSampleAtOrAfter(responses.lastMs[r] + w.blankMs);
        const std::int64_t clearTo = sampleOrEnd(responses.nextMs[r], plan.traceScans);

        p.measure = samplesIn(onset + w.winFromMs, onset + w.winToMs);
        p.measure.first = std::max(p.measure.first, clearFrom);
        p.measure.end = std::min(p.measure.end, clearTo);

        const SampleRange slope = samplesIn(onset + w.slopeFromMs, onset + w.slopeToMs);
        if (slope.first >= clearFrom && slope.end <= clearTo) p.slope = slope;

        SampleRange base = samplesIn(onset - w.baseFromMs, onset - w.baseToMs);
        if (base.first < 0) {
            p.baselineFromTail = tailNeeded = true;
        } else {
            if (r > 0) base.first = std::max(base.first, firstSampleAtOrAfter(responses.lastMs[r - 1] + w.blankMs));
            if (!base.empty()) p.baseline = base;
        }
    }
    if (tailNeeded) {
        // Only when every stimulus's windows are over before the last 10 ms begin.
        const SampleRange tail{plan.traceScans - runSamples(kTailBaselineMs), plan.traceScans};
        const double quietFromMs = responses.latestMs + std::max(w.winToMs, w.slopeToMs);
        if (tail.first >= 0 && std::isfinite(quietFromMs) && tail.first >= firstSampleAtOrAfter(quietFromMs))
            plan.tail = tail;
    }
    return plan;
}

Baseline baselineOver(const MvSamples& samples, SampleRange range) { return baselineWith(samples, range); }
Baseline baselineOver(const CountSamples& samples, SampleRange range) { return baselineWith(samples, range); }

ResponseMeasures measureResponse(const MvSamples& samples, const ResponsePlan& plan, const Baseline& baseline) {
    return measureWith(samples, plan, baseline);
}
ResponseMeasures measureResponse(const CountSamples& samples, const ResponsePlan& plan, const Baseline& baseline) {
    return measureWith(samples, plan, baseline);
}

double ratioOrNone(double second, double first) {
    if (isNone(first) || isNone(second) || first == 0) return kNone;
    return second / first;
}

PairedRatios pairedRatios(const ResponseMeasures& first, const ResponseMeasures& second) {
    return {ratioOrNone(second.amplitudeMv, first.amplitudeMv), ratioOrNone(second.maxSlope, first.maxSlope),
            ratioOrNone(second.windowSlope, first.windowSlope), ratioOrNone(second.slope2080, first.slope2080)};
}

void measureChannel(const MvSamples& trace, const TracePlan& plan, ChannelMeasures& out) {
    const MvSamples spans[kMaxResponses] = {trace, trace};
    channelWith(spans, trace, plan, out);
}

void measureChannel(const CountSamples& trace, const TracePlan& plan, ChannelMeasures& out) {
    const CountSamples spans[kMaxResponses] = {trace, trace};
    channelWith(spans, trace, plan, out);
}

void measureChannel(const MvSamples* spans, const MvSamples& tail, const TracePlan& plan, ChannelMeasures& out) {
    channelWith(spans, tail, plan, out);
}

}  // namespace korin
