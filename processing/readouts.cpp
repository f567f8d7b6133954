#include "processing/readouts.h"

#include <algorithm>
#include <cmath>

#include "acquisition/rounding.h"

namespace korin {
namespace {

bool inXRange(double tMs, const AnalysisView& view) { return tMs >= view.xMinMs && tMs <= view.xMaxMs; }

bool withinReach(double tMs, double value, const AnalysisView& view, int xMP, int yMP) {
    return std::fabs(plotX(tMs, view) - xMP) <= kReachPixels && std::fabs(plotY(value, view) - yMP) <= kReachPixels;
}

PointerReadout freqSpikeReadout(const BinsView& bins, const AnalysisView& view, int xMP, int yMP) {
    const double plotted = std::floor(bins.spikeIndex);
    const auto n = plotted > 0 ? static_cast<std::int32_t>(std::min(plotted, static_cast<double>(kMaxBins))) : 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const double t = bins.endTimesMs[i];
        if (!inXRange(t, view)) continue;
        if (withinReach(t, bins.counts[i], view, xMP, yMP))
            return {i, static_cast<float>(roundHalfEven(t / 1000.0, 1)), static_cast<float>(bins.counts[i])};
    }
    return {};
}

PointerReadout isiReadout(const StampsView& stamps, const AnalysisView& view, int xMP, int yMP) {
    for (std::int32_t k = 1; k < stamps.count; ++k) {
        const double t = stampTimeMs(stamps.stamps[k]);
        if (!inXRange(t, view)) continue;
        const float interval = interSpikeIntervalMs(stamps.stamps, k);
        if (withinReach(t, interval, view, xMP, yMP))
            return {k, static_cast<float>(roundHalfEven(t / 1000.0, 1)), interval};
    }
    return {};
}

double epPlottedValue(const EPView& ep, std::int32_t k) {
    return ep.scale.toMillivolts(ep.amplitudes[k]) * ep.epYScale;
}

PointerReadout epReadout(const EPView& ep, const AnalysisView& view, int xMP, int yMP) {
    for (std::int32_t k = 0; k < ep.count; ++k) {
        if (!epEntryShown(k, ep.hyouziStep, ep.stepsPerCycle)) continue;
        const double t = ep.timesMs[k];
        if (!inXRange(t, view)) continue;
        const double value = epPlottedValue(ep, k);
        if (withinReach(t, value, view, xMP, yMP))
            return {k, static_cast<float>(roundHalfEven(t / ep.epXScale, 2)), static_cast<float>(value)};
    }
    return {};
}

}  // namespace

double plotX(double tMs, const AnalysisView& view) {
    return (tMs - view.xMinMs) * view.width / (view.xMaxMs - view.xMinMs);
}

double plotY(double value, const AnalysisView& view) {
    const double s = view.height / (view.yMax - view.yMin);
    return s * view.yMax - value * s;
}

bool epEntryShown(std::int32_t k, int hyouziStep, int stepsPerCycle) {
    const int s = stepsPerCycle;
    if (hyouziStep == -1) {
        if (s <= 0) return true;
        return k % s == 0 || (s > 1 && k % s == 1);
    }
    const int shown = std::min(hyouziStep, std::max(s, 0));
    if (s <= 0) return shown == 0;
    const int step = (k + 1) % s == 0 ? s : (k + 1) % s;
    return step == shown;
}

PointerReadout getRecFreqSpikeZahyou(const BinsView& bins, const AnalysisView& view, int xMP, int yMP) {
    return freqSpikeReadout(bins, view, xMP, yMP);
}

PointerReadout getReadFreqSpikeZahyou(const BinsView& bins, const AnalysisView& view, int xMP, int yMP) {
    return freqSpikeReadout(bins, view, xMP, yMP);
}

PointerReadout getRecISIZahyou(const StampsView& stamps, const AnalysisView& view, int xMP, int yMP) {
    return isiReadout(stamps, view, xMP, yMP);
}

PointerReadout getReadISIZahyou(const StampsView& stamps, const AnalysisView& view, int xMP, int yMP) {
    return isiReadout(stamps, view, xMP, yMP);
}

float getMaxIntensity(const StepIntensity& step, int f, std::int32_t index) {
    float intensity = step.maxAbsIntensity[f];
    if (step.byRepetition[f]) intensity += step.increment[f] * static_cast<float>(index);
    return intensity < 0.0f ? 0.0f : intensity;
}

std::array<float, 2> epEntryIntensities(std::int32_t k, const StepIntensity& step1, const StepIntensity& step2) {
    const StepIntensity* step = nullptr;
    std::int32_t index = k;
    if (step1.enabled && step2.enabled) {
        step = k % 2 == 0 ? &step1 : &step2;
        index = k / 2;  // (k - 1) / 2 for odd k
    } else if (step1.enabled) {
        step = &step1;
    } else if (step2.enabled) {
        step = &step2;
    }
    if (!step) return {0.0f, 0.0f};
    return {getMaxIntensity(*step, 0, index), getMaxIntensity(*step, 1, index)};
}

EPStimReadout getRecEPZahyou(const EPView& ep, const AnalysisView& view, const StepIntensity& step1,
                             const StepIntensity& step2, int xMP, int yMP) {
    EPStimReadout readout;
    static_cast<PointerReadout&>(readout) = epReadout(ep, view, xMP, yMP);
    if (readout.hit()) {
        const std::array<float, 2> intensities = epEntryIntensities(readout.index, step1, step2);
        readout.f1 = intensities[0];
        readout.f2 = intensities[1];
    }
    return readout;
}

PointerReadout getReadEPZahyou(const EPView& ep, const AnalysisView& view, int xMP, int yMP) {
    return epReadout(ep, view, xMP, yMP);
}

}  // namespace korin
