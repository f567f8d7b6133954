// Synthetic evoked responses whose measures are known exactly: a baseline
// offset, a linear fall of known slope from fallFromMs to peakMs, an
// alpha-shaped recovery after the peak, and optionally a large artefact in the
// blank right after the onset. Times are ms from the trace's first sample.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "processing/evoked_response.h"

namespace evoked_test {

constexpr double kSamplesPerMs = 20.0;
constexpr double kArtefactMv = 8.0;

struct Shape {
    double onsetMs = 10.0;
    double baselineMv = 0.3;
    double fallFromMs = 11.2;
    double peakMs = 14.2;
    double slope = -0.8;  // mV/ms
    double tailTauMs = 3.0;
    bool artefact = false;

    double amplitude() const { return slope * (peakMs - fallFromMs); }

    // The deflection from the baseline at time t.
    double deflection(double t) const {
        if (artefact && t >= onsetMs && t < onsetMs + 1.0) return t < onsetMs + 0.5 ? kArtefactMv : -kArtefactMv;
        if (t < fallFromMs) return 0.0;
        if (t <= peakMs) return slope * (t - fallFromMs);
        const double x = 1.0 + (t - peakMs) / tailTauMs;  // x e^(1 - x) falls from 1 at the peak
        return amplitude() * x * std::exp(1.0 - x);
    }
};

inline double sampleMs(std::int64_t k) { return static_cast<double>(k) / kSamplesPerMs; }

// A trace of `scans` samples holding the responses on one baseline (the first shape's).
inline std::vector<double> trace(const std::vector<Shape>& shapes, int scans) {
    std::vector<double> v(scans);
    for (int k = 0; k < scans; ++k) {
        v[k] = shapes.front().baselineMv;
        for (const Shape& s : shapes) v[k] += s.deflection(sampleMs(k));
    }
    return v;
}

inline std::vector<double> trace(const Shape& shape, int scans) { return trace(std::vector<Shape>{shape}, scans); }

inline bool sameOrBothNone(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// Every measure equal, bit for bit, or none in both.
inline void expectSameMeasures(const korin::ResponseMeasures& a, const korin::ResponseMeasures& b) {
    const std::pair<double, double> pairs[] = {
        {a.baselineMv, b.baselineMv},   {a.amplitudeMv, b.amplitudeMv},
        {a.latencyMs, b.latencyMs},     {a.maxSlope, b.maxSlope},
        {a.windowSlope, b.windowSlope}, {a.slope2080, b.slope2080},
        {a.maxSlopeLine.fromMv, b.maxSlopeLine.fromMv}};
    for (auto [x, y] : pairs) EXPECT_TRUE(sameOrBothNone(x, y)) << x << " vs " << y;
}

}  // namespace evoked_test
