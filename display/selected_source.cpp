#include "display/selected_source.h"

#include <algorithm>
#include <cmath>

#include "acquisition/acquisition_ni.h"
#include "acquisition/timer.h"

static_assert(AcquisitionNI::kSelectChAryLength == SelectedSnapshot::kHistoryLength);

std::int32_t SelectedSnapshot::validSamples() const {
    if (history == nullptr) return 0;
    return std::clamp(DrawSelectChMaxIndex, 0, kHistoryLength);
}

std::int32_t SelectedSnapshot::completedBins() const {
    if (binCounts == nullptr || binEndMs == nullptr || !(spikeIndex > 0.0)) return 0;
    return static_cast<std::int32_t>(std::min(std::floor(spikeIndex), static_cast<double>(korin::kMaxBins)));
}

SelectedSnapshot liveSelected(const AcquisitionNI& acquisition, int channel) {
    SelectedSnapshot s;
    if (channel < 0 || channel >= AcquisitionNI::kChannels) channel = 0;
    s.DrawTyuu = acquisition.DrawTyuu != 0;
    s.channel = channel;
    s.history = acquisition.selectChAry[channel];
    s.DrawSelectChMaxIndex = acquisition.DrawSelectChMaxIndex;
    s.ring = true;
    s.tail = acquisition.tail;
    s.binCounts = acquisition.SpikeData[channel];
    s.binEndMs = acquisition.spikeTime;
    s.spikeIndex = acquisition.spikeIndex;
    s.stamps = acquisition.TimeStampData[channel];
    s.stampCount = acquisition.spikeCount[channel];
    s.epAmplitudes = acquisition.EPAmpData[channel];
    s.epTimesMs = acquisition.epKeikaTime;
    s.EpIndex = acquisition.EpIndex;
    // Before the first run the rate is 0; a unit scale keeps the arithmetic finite.
    s.scale = korin::CountScale::live(acquisition.shortRate > 0 ? acquisition.shortRate : 1.0);
    if (const Timer* clock = acquisition.timer.get()) {
        s.stepsPerCycle = clock->getMaxStepNum();
        s.timeInTraceSec = clock->getTime();
        s.elapsedRunSec = clock->getKeikaTime();
        s.traceDurationSec = clock->getMaxtime();
    }
    return s;
}
