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

SelectedViewPlan planAfterLiveFrame(const SelectedViewInput& in) {
    const double t0 = std::max(0.0, in.timeInTraceSec - in.RawUpXaxis);
    const double d = divisor(in.EpXScale);
    return plan(in, t0, t0 + in.RawUpXaxis, (in.elapsedRunSec + 0.5) / d,
                (in.elapsedRunSec + in.traceDurationSec) / d);
}

SelectedViewPlan planAfterReplayFrame(const SelectedViewInput& in) {
    const double t = in.blockOffsetMs / 1000.0;
    double t0 = std::max(0.0, t - in.RawUpXaxis);
    double t1 = t0 + in.RawUpXaxis;
    // Once the history is full the last block's half second is past its end.
    if (t >= in.RawUpXaxis) {
        t0 += 0.5;
        t1 += 0.5;
    }
    const double d = divisor(in.EpXScale);
    return plan(in, t0, t1, (in.replayElapsedSec + 1.0) / d, (in.longestTraceSec + in.replayElapsedSec) / d);
}
