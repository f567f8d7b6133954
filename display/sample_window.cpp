#include "display/sample_window.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSamplesPerSec = 20000.0;
// Sample indices are held within this, far beyond any array yet exact in a
// double and an int64 alike, and i1 - i0 cannot overflow.
constexpr double kFar = 1e15;

std::int64_t sampleIndex(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<std::int64_t>(std::clamp(v, -kFar, kFar));
}

}  // namespace

SampleWindow sampleWindow(double T0, double xMin, double xMax, double w) {
    SampleWindow s;
    const double a = std::trunc((xMin - T0) * kSamplesPerSec);
    const double b = std::trunc((xMax - xMin) * kSamplesPerSec + a);
    s.i0 = sampleIndex(a);
    s.i1 = sampleIndex(b);
    s.p = s.span() != 0 ? w / static_cast<double>(s.span()) : 0.0;
    if (s.i0 <= 0) {
        s.firstX = -static_cast<double>(s.i0) * s.p;
        s.i0 = 0;
    }
    return s;
}

SampleSegments segmentsIn(const SampleWindow& w, std::int64_t length) {
    return {w.i0 + 1, std::min(w.i1, length)};
}
