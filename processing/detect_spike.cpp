#include "processing/detect_spike.h"

#include <algorithm>

#include "acquisition/rounding.h"

namespace {

// Times are compared in ms rounded to 0.01 ms, so that a dead time that is a
// multiple of one scan (0.05 ms) compares exactly.
float r2(float ms) { return korin::roundViaText(ms, 2); }

float scanTimeMs(int n) { return static_cast<float>(n) * DetectSpike::kSampleMs; }

}  // namespace

DetectSpike::DetectSpike() : stampStorage_(new std::int32_t[kChannels * kMaxStampsPerBlock]()) {
    for (int c = 0; c < kChannels; ++c) TimeStampData[c] = stampStorage_.get() + c * kMaxStampsPerBlock;
}

void DetectSpike::DetectSpikeBlock(const double* arraydata, const float* /*threshP*/, const float* threshM,
                                   const float* post, const std::int32_t* filledScans) {
    std::fill_n(timespikes, kChannels, static_cast<std::int16_t>(0));
    std::fill_n(stampStorage_.get(), kChannels * kMaxStampsPerBlock, 0);
    // A channel that fills its stamp array stops there; the channels after it are
    // still scanned and keep their own counts.
    for (int c = 0; c < kChannels; ++c) {
        const int scans = filledScans ? std::clamp(filledScans[c] + 1, 1, static_cast<int>(kBlockScans)) : kBlockScans;
        timespikes[c] = scanChannel(arraydata, c, threshM[c], post[c], scans);
    }
}

std::int16_t DetectSpike::scanChannel(const double* arraydata, int c, float thr, float deadTime, int scans) {
    const bool negative = thr < 0.0f;
    type = negative ? kNegativeGoing : kPositiveGoing;
    // Signed so one set of comparisons serves both polarities: beyond(x) means
    // x lies past the threshold, away from zero.
    const double sign = negative ? -1.0 : 1.0;
    const double threshold = sign * static_cast<double>(thr);
    const double acceptLevel = sign * (static_cast<double>(thr) * 0.5);
    std::int32_t* stamps = TimeStampData[c];

    std::int16_t count = 0;
    float lastPeakMs = -deadTime;  // the first spike of a block is never held back
    bool inSpike = false;
    int peak = 0;
    double peakValue = 0;
    double previous = 0;
    for (int n = 0; n < scans; ++n) {
        const double x = sign * arraydata[kChannels * n + c];
        if (!inSpike) {
            // A crossing needs its predecessor strictly on the near side; the dead
            // time runs from the previous peak to this crossing.
            if (x > threshold && n >= 1 && previous < threshold &&
                r2(static_cast<float>(n * 0.05 - static_cast<double>(lastPeakMs))) >= deadTime) {
                inSpike = true;
                peak = n;
                peakValue = x;
            }
        } else if (x > peakValue) {
            peak = n;  // only a strictly more extreme sample moves the peak
            peakValue = x;
        } else if (x <= acceptLevel) {
            // The stamp is the sample where the trace came back past half the threshold.
            stamps[count++] = n;
            lastPeakMs = r2(scanTimeMs(peak));
            inSpike = false;
            if (count == kMaxStampsPerBlock) break;
        }
        previous = x;
    }
    return count;
}
