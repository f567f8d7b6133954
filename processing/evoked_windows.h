// The windows of the evoked-response measures, in ms relative to a stimulus
// onset, and the rule that turns a window into the trace samples it covers.
//
// Sample k of a trace lies at k x 0.05 ms. Every window is half-open,
// [from, to): it holds the samples k with from <= k x 0.05 < to, so windows
// that meet share no sample and a window of D ms holds D x 20 samples when its
// edges fall on samples. Edges in ms that are not on the 0.05 ms grid (a
// fractional onset) simply fall between samples: the first sample of [from, to)
// is the first at or after `from`. An edge within a millionth of a sample
// period of a sample counts as on it, so 9.8 ms (10 - 0.2, which binary
// doubles cannot hold) is sample 196.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korin {

struct EvokedWindows {
    double baseFromMs = 2.0;   // BASE_FROM: the baseline starts this long before the onset
    double baseToMs = 0.2;     // BASE_TO: and ends this long before it
    double blankMs = 1.0;      // BLANK: [onset, onset + BLANK) holds the artefact and is never measured
    double winFromMs = 1.0;    // WIN_FROM: the measure window, after the onset
    double winToMs = 15.0;     // WIN_TO
    double slopeFromMs = 1.5;  // SLOPE_FROM: the fixed slope window, after the onset
    double slopeToMs = 3.0;    // SLOPE_TO
    double widthMs = 1.0;      // WIDTH: the runs the steepest slope is sought over

    bool operator==(const EvokedWindows&) const = default;
};

// Two sample periods: a window this long holds at least two samples wherever
// the onset falls, so a least-squares slope over it always exists.
constexpr double kMinEvokedWindowMs = 0.1;
// No window edge lies further than this from its onset; it bounds the samples
// the live measurer keeps per channel (and a tetanus is not a measure window).
constexpr double kMaxEvokedReachMs = 100.0;
constexpr int kEvokedWindowCount = 8;

// A stretch of trace samples [first, end); empty when end <= first.
struct SampleRange {
    std::int64_t first = 0;
    std::int64_t end = 0;

    std::int64_t size() const { return end > first ? end - first : 0; }
    bool empty() const { return end <= first; }
    bool operator==(const SampleRange&) const = default;
};

// The first sample at or after `ms` (from the trace's first sample).
std::int64_t firstSampleAtOrAfter(double ms);

// The samples of the window [fromMs, toMs) of a trace.
SampleRange samplesIn(double fromMs, double toMs);

// Samples in a run of `widthMs` that starts on a sample: 20 for 1.0 ms.
std::int32_t runSamples(double widthMs);

// Nothing when the windows are consistent, else the message that says what is
// wrong (one of the alert texts).
std::optional<std::string_view> windowsProblem(const EvokedWindows& windows);

// Reads "BASE_FROM,BASE_TO,BLANK,WIN_FROM,WIN_TO,SLOPE_FROM,SLOPE_TO,WIDTH" (ms,
// blanks around each number allowed) and checks the result with windowsProblem.
struct WindowsParse {
    std::optional<EvokedWindows> windows;
    std::string_view problem;  // set when windows is empty
};
WindowsParse parseWindows(std::string_view list);

// The same list, each value in its shortest exact form: "2,0.2,1,1,15,1.5,3,1".
std::string windowsText(const EvokedWindows& windows);

}  // namespace korin
