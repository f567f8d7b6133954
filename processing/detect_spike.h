// Threshold spike detector for one 500 ms block of the sixteen filtered
// channels: a spike starts when a channel crosses its threshold from the near
// side, its peak is followed while the trace moves further away from zero, and
// it is accepted when the trace comes back past half the threshold. A dead time
// after each accepted peak holds back the next crossing. Nothing carries over
// from one block to the next.
#pragma once

#include <cstdint>
#include <memory>

class DetectSpike {
public:
    static constexpr int kChannels = 16;
    static constexpr int kBlockScans = 10000;
    static constexpr int kMaxStampsPerBlock = 1000;  // per channel
    static constexpr float kSampleMs = 0.05f;         // one scan at 20 kHz

    // Polarity of the channel being scanned.
    static constexpr std::int32_t kNegativeGoing = 1;
    static constexpr std::int32_t kPositiveGoing = 0;
    static constexpr std::int32_t kNotScanned = 2;

    DetectSpike();
    DetectSpike(const DetectSpike&) = delete;
    DetectSpike& operator=(const DetectSpike&) = delete;

    // Scans one block (kBlockScans scans interleaved by scan, mV). threshM holds
    // each channel's signed threshold (mV; below 0 detects negative-going spikes,
    // 0 or above positive-going), post its dead time (ms); threshP is accepted for
    // the callers' symmetry and not consulted. Results stay in timespikes and
    // TimeStampData until the next call. `filledScans`, when given, says per
    // channel that every scan from that one on is 0: zeros never start a spike
    // and only the first of them can end one, so the scan stops there with the
    // same result.
    void DetectSpikeBlock(const double* arraydata, const float* threshP, const float* threshM,
                          const float* post, const std::int32_t* filledScans = nullptr);

    std::int32_t chansize = kChannels;
    std::int32_t Binsize = kBlockScans;
    std::int32_t type = kNotScanned;
    // Spikes accepted per channel in the last block (at most kMaxStampsPerBlock).
    std::int16_t timespikes[kChannels] = {};
    // Per channel, the scan index (0..9999) at which each spike was accepted, ascending.
    std::int32_t* TimeStampData[kChannels];

private:
    // Scans channel c; returns its count of accepted spikes.
    std::int16_t scanChannel(const double* arraydata, int c, float thr, float deadTime, int scans);

    std::unique_ptr<std::int32_t[]> stampStorage_;
};
