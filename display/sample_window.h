// Which samples of an array a time range shows, for the plots that draw one
// segment per sample (the raw trace of the selected channel, the stimulus time
// line). The range comes from limit fields the user types into, so every value
// is worked in double and clamped far beyond any array: no text can overflow
// the sample indices, and a frame walks only samples that exist.
#pragma once

#include <cstdint>

// i0 = trunc((XMin - T0) x 20000), i1 = trunc((XMax - XMin) x 20000 + i0),
// p = w / (i1 - i0) pixels per sample; a range starting before sample 0 draws
// sample 0 at firstX = -i0 p and starts at i0 = 0.
struct SampleWindow {
    std::int64_t i0 = 0;
    std::int64_t i1 = 0;
    double p = 0.0;
    double firstX = 0.0;
    std::int64_t span() const { return i1 - i0; }
    // x of sample i.
    double xOf(std::int64_t i) const { return firstX + static_cast<double>(i - i0) * p; }
};
SampleWindow sampleWindow(double T0, double xMin, double xMax, double w);

// The segments, from sample i - 1 to sample i, that an array of `length`
// samples has inside a window: first <= i < end, none when end <= first.
struct SampleSegments {
    std::int64_t first = 1;
    std::int64_t end = 1;
    std::int64_t count() const { return end > first ? end - first : 0; }
};
SampleSegments segmentsIn(const SampleWindow& w, std::int64_t length);
