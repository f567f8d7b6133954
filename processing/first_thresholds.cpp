#include "processing/first_thresholds.h"

#include <algorithm>
#include <cstddef>

namespace korin {

FirstThresholds::FirstThresholds() : storage_(new double[std::size_t(kThresholdChannels) * kSamples]()) {
    for (int c = 0; c < kThresholdChannels; ++c) channels_[c] = storage_.get() + std::size_t(c) * kSamples;
}

void FirstThresholds::add(const double* interleaved, int scans) {
    const int taken = std::clamp(scans, 0, kSamples - filled_);
    for (int c = 0; c < kThresholdChannels; ++c) {
        double* out = storage_.get() + std::size_t(c) * kSamples + filled_;
        for (int k = 0; k < taken; ++k) out[k] = interleaved[std::size_t(k) * kThresholdChannels + c];
    }
    filled_ += taken;
}

void FirstThresholds::compute(float* yMThreshAry, float* yPThreshAry, float* PostAry) const {
    thresholdKeisann(channels_, kSamples, yMThreshAry, yPThreshAry, PostAry);
}

}  // namespace korin
