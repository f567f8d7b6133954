#include "display/selected_view_update.h"

#include <algorithm>

namespace {

// EpXScale / 1000 as the integer division it has always been (1 or 60);
// a corrupt scale below 1000 would divide by zero, so it counts as seconds.
double divisor(std::int32_t EpXScale) {
    return std::max<std::int32_t>(EpXScale / 1000, 1);
}

SelectedViewPlan plan(const SelectedViewInput& in, double rawXMin, double rawXMax, double spikeIsiEnd,
                      double epEnd) {
    SelectedViewPlan p;
    const bool followRaw = in.Mode != AnalysisMode::EP || !in.rawRangeTextsNumeric;
    if (followRaw) {
        p.setRawRange = true;
        p.rawXMin = rawXMin;
        p.rawXMax = rawXMax;
    }
    switch (in.Mode) {
    case AnalysisMode::Spike:
        if (in.FreqDrawTiming || in.sizechange) {
            p.setFreqRange = p.drawFreq = p.clearSizechange = true;
            p.freqXMax = spikeIsiEnd;
        }
        break;
    case AnalysisMode::EP:
    case AnalysisMode::Slope:  // one point per trace, as the EP view
        p.setFreqRange = p.drawFreq = p.clearSizechange = true;
        p.freqXMax = epEnd;
        break;
    case AnalysisMode::ISI:
        p.setFreqRange = p.drawFreq = p.clearSizechange = true;
        p.freqXMax = spikeIsiEnd;
        break;
    }
    return p;
}

}  // namespace

RawXRange rawFollowLive(double timeInTraceSec, double RawUpXaxis) {
    const double t0 = std::max(0.0, timeInTraceSec - RawUpXaxis);
    return {t0, t0 + RawUpXaxis};
}

RawXRange rawFollowReplay(double blockOffsetMs, double RawUpXaxis) {
    const double t = blockOffsetMs / 1000.0;
    RawXRange r{std::max(0.0, t - RawUpXaxis), 0.0};
    r.xMax = r.xMin + RawUpXaxis;
    // Once the history is full the last block's half second is past its end.
    if (t >= RawUpXaxis) {
        r.xMin += 0.5;
        r.xMax += 0.5;
    }
    return r;
}

SelectedViewPlan planAfterLiveFrame(const SelectedViewInput& in) {
    const RawXRange r = rawFollowLive(in.timeInTraceSec, in.RawUpXaxis);
    const double d = divisor(in.EpXScale);
    return plan(in, r.xMin, r.xMax, (in.elapsedRunSec + 0.5) / d, (in.elapsedRunSec + in.traceDurationSec) / d);
}

SelectedViewPlan planAfterReplayFrame(const SelectedViewInput& in) {
    const RawXRange r = rawFollowReplay(in.blockOffsetMs, in.RawUpXaxis);
    const double d = divisor(in.EpXScale);
    return plan(in, r.xMin, r.xMax, (in.replayElapsedSec + 1.0) / d, (in.longestTraceSec + in.replayElapsedSec) / d);
}

double analysisDivisor(std::int32_t EpXScale) { return divisor(EpXScale); }
