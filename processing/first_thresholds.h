// The spike thresholds of a run that starts with none set. The first four
// blocks of device data that pass the live filter, wherever they fall (in a
// trace or between traces), are gathered per channel and give the thresholds
// by the same computation as a trace's first 2 s. Traces shorter than 2 s never
// reach a fourth block of their own, so a run of them would otherwise detect
// nothing at all. The buffers are allocated once; nothing is allocated per block.
#pragma once

#include <memory>

#include "processing/thresholds.h"

namespace korin {

class FirstThresholds {
public:
    static constexpr int kSamples = kLiveThresholdSamples;  // four blocks per channel

    FirstThresholds();

    // Forgets what was gathered, so the next blocks are the first again.
    void restart() { filled_ = 0; }
    // Appends the first `scans` scans of a block interleaved by scan (16 values
    // a scan); scans past the fourth block are left out.
    void add(const double* interleaved, int scans);
    bool full() const { return filled_ == kSamples; }
    // The thresholds of the gathered samples: lower into yMThreshAry, upper into
    // yPThreshAry, the dead time into PostAry. Only meaningful when full().
    void compute(float* yMThreshAry, float* yPThreshAry, float* PostAry) const;

private:
    std::unique_ptr<double[]> storage_;
    const double* channels_[kThresholdChannels];
    int filled_ = 0;
};

}  // namespace korin
