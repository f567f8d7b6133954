#include "display/raw_scales.h"

#include <charconv>
#include <cmath>
#include <string>

double parseAxisValue(std::string_view text, double fallback) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    double v = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v) || v <= 0.0) return fallback;
    return v;
}

int samplesAcross(std::string_view RawXaxis) {
    const double ms = parseAxisValue(RawXaxis, 500.0);
    const double n = ms * raw_axis::kXDivisions * raw_axis::kSamplesPerMs;
    // More than the ring holds cannot be drawn anyway; the cap keeps the int in range.
    return n > 1e9 ? 1'000'000'000 : static_cast<int>(n);
}

double getAmpYAutoScaleMax(const double* ary, int length) {
    double m = length > 0 ? ary[0] : 0.0;
    for (int i = 1; i < length; ++i)
        if (ary[i] > m) m = ary[i];
    return 1000.0 * (m + static_cast<double>(raw_axis::kAutoScaleMarginMv));
}

double getAmpYAutoScaleMin(const double* ary, int length) {
    double m = length > 0 ? ary[0] : 0.0;
    for (int i = 1; i < length; ++i)
        if (ary[i] < m) m = ary[i];
    return 1000.0 * (m - static_cast<double>(raw_axis::kAutoScaleMarginMv));
}

CellYScale fixedYScale(int cellHeight, double RawYaxis) {
    return {cellHeight / (raw_axis::kYDivisions * RawYaxis), cellHeight / 2.0};
}

CellYScale autoYScale(int cellHeight, double Ymax, double Ymin) {
    const double s = cellHeight / (Ymax - Ymin);
    return {s, s * Ymax};
}
