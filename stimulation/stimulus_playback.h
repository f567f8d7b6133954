// What became of each trace's stimulus in a run: which outputs were armed for
// the trace and whether the device refused the pattern (at its preparation,
// its start, its routing or a repeat write). A device error on the stimulus
// side never stops a run, so this is where a run remembers it.
//
// One entry per trace, allocated once with the controller and cleared at each
// run's set-up. Entries are atomic: the interface thread arms and refuses, a
// repeating worker may refuse at the same time, and any thread may read.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "processing/series.h"

class StimulusPlayback {
public:
    // As many traces as a run keeps evoked-potential entries for (48 hours).
    static constexpr std::int64_t kMaxTraces = korin::kMaxEPEntries;

    StimulusPlayback();

    // Forgets the last run.
    void clear();
    // Trace `trace` (0-based, as the run clock counts) is to play S1's pattern
    // when `s1` and S2's when `s2`.
    void armed(std::int64_t trace, bool s1, bool s2);
    // The device refused the trace's pattern: none of its armed outputs played.
    void refused(std::int64_t trace);

    // Whether output f (0 = S1, 1 = S2) played its pattern in `trace`: armed
    // and not refused.
    // False for a trace that had no pattern on that output.
    bool played(std::int64_t trace, int f) const;
    // Whether output f was armed in `trace`, played or not.
    bool armedIn(std::int64_t trace, int f) const;
    bool refusedIn(std::int64_t trace) const;

    // Refusals so far (a trace refused twice counts twice); changes with every
    // new one, so a reader can tell that something happened since it looked.
    std::uint64_t refusals() const { return refusals_.load(); }
    // The trace (0-based) refused last, −1 when none.
    std::int64_t lastRefusedTrace() const { return lastRefused_.load(); }
    // Every refused trace, as trace numbers from 1, ascending.
    std::vector<std::int64_t> refusedTraceNumbers() const;

private:
    static constexpr std::uint8_t kArmedS1 = 1;
    static constexpr std::uint8_t kArmedS2 = 2;
    static constexpr std::uint8_t kRefused = 4;

    std::uint8_t entry(std::int64_t trace) const;
    void mark(std::int64_t trace, std::uint8_t bits);

    std::unique_ptr<std::atomic<std::uint8_t>[]> traces_;
    std::atomic<std::int64_t> used_{0};  // one past the highest trace touched
    std::atomic<std::uint64_t> refusals_{0};
    std::atomic<std::int64_t> lastRefused_{-1};
};

namespace stim {

// "The stimulus of trace N was not played (see the console)." for the trace
// refused last; "" when none was.
std::string notPlayedStatus(const StimulusPlayback& playback);
// "Stimulus not played in traces: 2, 5-7" (runs of traces joined); "" when
// every trace played.
std::string notPlayedSummaryLine(const StimulusPlayback& playback);

}  // namespace stim
