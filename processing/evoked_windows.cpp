#include "processing/evoked_windows.h"

#include <algorithm>
#include <cmath>

#include "acquisition/alert_messages.h"
#include "acquisition/number_text.h"
#include "processing/thresholds.h"

namespace korin {
namespace {

// In samples: ms values such as 9.8 land a few 1e-15 off their sample.
constexpr double kEdgeToleranceSamples = 1e-6;
// In ms: 0.3 - 0.2 is 0.09999999999999998, and is meant as 0.1.
constexpr double kLengthToleranceMs = 1e-9;

bool atLeast(double length, double minimum) { return length >= minimum - kLengthToleranceMs; }

}  // namespace

std::int64_t firstSampleAtOrAfter(double ms) {
    // Held far inside int64, so an absurd onset from a damaged log cannot overflow the conversion.
    constexpr double kFarthest = 0x1p62;
    const double sample = std::ceil(ms * kSamplesPerMs - kEdgeToleranceSamples);
    return static_cast<std::int64_t>(std::clamp(sample, -kFarthest, kFarthest));
}

SampleRange samplesIn(double fromMs, double toMs) { return {firstSampleAtOrAfter(fromMs), firstSampleAtOrAfter(toMs)}; }

std::int32_t runSamples(double widthMs) { return static_cast<std::int32_t>(firstSampleAtOrAfter(widthMs)); }

std::optional<std::string_view> windowsProblem(const EvokedWindows& w) {
    for (double v : {w.baseFromMs, w.baseToMs, w.blankMs, w.winFromMs, w.winToMs, w.slopeFromMs, w.slopeToMs,
                     w.widthMs})
        if (!std::isfinite(v)) return alerts::kNumericalValue;
    if (w.baseToMs < 0 || !atLeast(w.baseFromMs - w.baseToMs, kMinEvokedWindowMs)) return alerts::kEvokedBaselineWindow;
    if (w.blankMs < 0) return alerts::kEvokedBlank;
    if (w.winFromMs < w.blankMs || w.winToMs <= w.winFromMs) return alerts::kEvokedMeasureWindow;
    if (w.slopeFromMs < w.blankMs || !atLeast(w.slopeToMs - w.slopeFromMs, kMinEvokedWindowMs))
        return alerts::kEvokedSlopeWindow;
    if (!atLeast(w.widthMs, kMinEvokedWindowMs) || w.widthMs > w.winToMs - w.winFromMs + kLengthToleranceMs)
        return alerts::kEvokedSlopeWidth;
    if (w.baseFromMs > kMaxEvokedReachMs || w.winToMs > kMaxEvokedReachMs || w.slopeToMs > kMaxEvokedReachMs)
        return alerts::kEvokedWindowReach;
    return std::nullopt;
}

WindowsParse parseWindows(std::string_view list) {
    double values[kEvokedWindowCount];
    int count = 0;
    for (;;) {
        const std::size_t comma = list.find(',');
        if (count == kEvokedWindowCount) return {std::nullopt, alerts::kEvokedWindowsCount};
        const auto value = parseDouble(list.substr(0, comma));
        if (!value) {
            // A blank field between commas is a miscount, not a bad number.
            const bool blank = list.substr(0, comma).find_first_not_of(" \t") == std::string_view::npos;
            return {std::nullopt, blank ? alerts::kEvokedWindowsCount : alerts::kNumericalValue};
        }
        values[count++] = *value;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    if (count != kEvokedWindowCount) return {std::nullopt, alerts::kEvokedWindowsCount};
    const EvokedWindows w{values[0], values[1], values[2], values[3], values[4], values[5], values[6], values[7]};
    if (const auto problem = windowsProblem(w)) return {std::nullopt, *problem};
    return {w, {}};
}

std::string windowsText(const EvokedWindows& w) {
    std::string text;
    for (double v : {w.baseFromMs, w.baseToMs, w.blankMs, w.winFromMs, w.winToMs, w.slopeFromMs, w.slopeToMs,
                     w.widthMs}) {
        if (!text.empty()) text += ',';
        text += defaultNumberText(v);
    }
    return text;
}

}  // namespace korin
