#include "processing/thresholds.h"

#include <algorithm>
#include <cmath>

namespace korin {

double dcOffset(const double* samples, int count) {
    double sum = 0;
    for (int n = 0; n < count; ++n) sum += static_cast<float>(samples[n]);
    return sum / count;
}

void DCOffsetKeisann(const double* const* chAry, double* dcOffsetValue) {
    for (int c = 0; c < kThresholdChannels; ++c) dcOffsetValue[c] = dcOffset(chAry[c]);
}

AutoThreshold autoThreshold(const double* samples, int length) {
    const int windows = length / kThresholdWindowSamples;
    float keptMean = 0;
    float keptSd = 0;
    for (int w = 0; w < windows; ++w) {
        const double* x = samples + w * kThresholdWindowSamples;
        float sum = 0;
        for (int n = 0; n < kThresholdWindowSamples; ++n) sum += static_cast<float>(x[n]);
        const float mean = sum / kThresholdWindowSamples;
        float squares = 0;
        for (int n = 0; n < kThresholdWindowSamples; ++n) {
            const float d = static_cast<float>(x[n]) - mean;
            squares += d * d;
        }
        const float sd = static_cast<float>(std::sqrt(static_cast<double>(squares) / kThresholdWindowSamples));
        if (w == 0 || sd < keptSd) {
            keptMean = mean;
            keptSd = sd;
        }
    }
    const double spread = static_cast<double>(keptSd) * kThresholdSdPercent / 100.0;
    return {static_cast<float>(keptMean - spread), static_cast<float>(keptMean + spread)};
}

void thresholdKeisann(const double* const* chAry, int length, float* yMThreshAry, float* yPThreshAry,
                      float* PostAry) {
    for (int c = 0; c < kThresholdChannels; ++c) {
        const AutoThreshold t = autoThreshold(chAry[c], length);
        yMThreshAry[c] = t.lower;
        yPThreshAry[c] = t.upper;
        PostAry[c] = kAutoPostMs;
    }
}

std::optional<float> manualThresholdMv(int y, const RawViewY& view) {
    const double range = view.yMax - view.yMin;
    if (!(range != 0.0) || !std::isfinite(range) || view.height <= 0 || view.rawUpYScale == 0) return std::nullopt;
    const double clampedY = std::clamp(y, 0, view.height);
    const double s = view.height / range;
    const double value = (s * view.yMax - clampedY) / s;
    return static_cast<float>(value / view.rawUpYScale);
}

float pointerToTraceMs(int x, const RawViewX& view) {
    if (!(view.samples > 0) || view.width <= 0) return 0.0f;
    const double clampedX = std::clamp(x, 0, view.width);
    const double p = view.width / view.samples;  // pixels per sample
    return static_cast<float>((view.firstSample * p + clampedX) / (p * kSamplesPerMs));
}

EPEdge nearerEPEdge(float t, float start, float end) {
    return std::fabs(t - start) < std::fabs(t - end) ? EPEdge::Start : EPEdge::End;
}

EPEdge moveNearerEPEdge(int x, const RawViewX& view, int channel, float* EPThreshAry1, float* EPThreshAry2) {
    const float t = pointerToTraceMs(x, view);
    const EPEdge edge = nearerEPEdge(t, EPThreshAry1[channel], EPThreshAry2[channel]);
    float* target = edge == EPEdge::Start ? EPThreshAry1 : EPThreshAry2;
    std::fill_n(target, kThresholdChannels, t);
    return edge;
}

}  // namespace korin
