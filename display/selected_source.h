// What the selected-channel views draw from, read at the moment of drawing: the
// selected channel's raw history and its analysis series, from the acquisition
// object live or from the file reader in replay. The two sources have the same
// shapes; only the history ring, the count scale and the clocks differ.
#pragma once

#include <cstdint>

#include "processing/series.h"

class AcquisitionNI;

struct SelectedSnapshot {
    static constexpr std::int32_t kHistoryLength = 200'000;  // 10 s at 20 kHz

    bool replay = false;
    bool DrawTyuu = false;  // a block has been processed: data are shown
    int channel = 0;

    // Raw history of the channel, mV. Live, once full, logical sample i is at
    // ring position (tail + i) mod kHistoryLength; replay is oldest first.
    const double* history = nullptr;
    std::int32_t DrawSelectChMaxIndex = 0;
    bool ring = false;
    std::int32_t tail = 0;

    // One-second spike-rate bins of the channel.
    const std::int16_t* binCounts = nullptr;
    const double* binEndMs = nullptr;  // spikeTime
    double spikeIndex = 0.0;

    // Spike time stamps of the channel (samples at 20 kHz since the run start).
    const std::int32_t* stamps = nullptr;
    std::int32_t stampCount = 0;

    // Evoked-potential entries: amplitudes of the channel (counts, the whole
    // array of kMaxEPEntries), entry times (ms) and how many are filled.
    const std::int16_t* epAmplitudes = nullptr;
    const double* epTimesMs = nullptr;
    std::int32_t EpIndex = 0;
    korin::CountScale scale = korin::CountScale::live(1.0);
    int stepsPerCycle = 0;

    // Clocks. Live: the run clock's time within the trace, elapsed run time and
    // trace duration, in s. Replay: the last block's offset (ms), the reader's
    // time in whole seconds and the longest trace (s).
    double timeInTraceSec = 0.0;
    double elapsedRunSec = 0.0;
    double traceDurationSec = 0.0;
    double blockOffsetMs = 0.0;
    double replayElapsedSec = 0.0;
    double longestTraceSec = 0.0;

    // Samples of the history that hold data.
    std::int32_t validSamples() const;
    // Logical history sample i (0 = oldest held).
    double sample(std::int32_t i) const {
        if (!ring || DrawSelectChMaxIndex < kHistoryLength) return history[i];
        std::int32_t j = tail + i;
        if (j >= kHistoryLength) j -= kHistoryLength;
        return history[j];
    }
    std::int32_t completedBins() const;
    // Counts (or a bound of them, which may pass the 16-bit range) in mV.
    double toMv(double counts) const { return scale.countsPerMv ? counts / scale.factor : counts * scale.factor; }
};

// Live data of `channel` (0..15); the clocks are read from the acquisition's run clock.
SelectedSnapshot liveSelected(const AcquisitionNI& acquisition, int channel);

// The reader's data of `channel`: the same fields under the same names.
template <class Reader>
SelectedSnapshot replaySelected(const Reader& reader, int channel) {
    SelectedSnapshot s;
    if (channel < 0 || channel >= 16) channel = 0;
    s.replay = true;
    s.DrawTyuu = reader.DrawTyuu;
    s.channel = channel;
    s.history = reader.selectChAry[channel];
    s.DrawSelectChMaxIndex = reader.DrawSelectChMaxIndex;
    s.binCounts = reader.SpikeData[channel];
    s.binEndMs = reader.spikeTime;
    s.spikeIndex = reader.spikeIndex;
    s.stamps = reader.TimeStampData[channel];
    s.stampCount = reader.spikeCount[channel];
    s.epAmplitudes = reader.EPAmpData[channel];
    s.epTimesMs = reader.epKeikaTime;
    s.EpIndex = reader.EpIndex;
    s.scale = korin::CountScale::file(reader.conversionFactor);
    s.stepsPerCycle = reader.StepMax;
    s.blockOffsetMs = reader.blockOffsetTime;
    s.replayElapsedSec = reader.getKeikaTimeSec();
    s.longestTraceSec = reader.DurationMax / 1000.0;
    return s;
}
