// Measures the first two responses of a trace on all sixteen channels while the
// trace arrives block by block, as the live pipeline and replay see it.
//
// A response's windows may straddle two blocks, and a response too early in
// its trace for its own baseline takes the trace's last 10 ms, which arrive
// with the trace's last block. So the measurer keeps, per channel, only the
// samples it needs (each response's span, at most 200 ms, and the last 10 ms)
// in buffers allocated once, and measures when they are all in: a few hundred
// samples per channel are copied instead of blocks of 1.28 MB being held.
// Nothing is allocated after construction. One thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "processing/evoked_response.h"
#include "processing/evoked_windows.h"
#include "processing/thresholds.h"

namespace korin {

constexpr int kEvokedChannels = 16;
constexpr std::uint16_t kAllEvokedChannels = 0xFFFF;  // bit c: channel index c

inline bool hasChannel(std::uint16_t channels, int c) { return (channels >> c & 1U) != 0; }

// Every measure of one trace: its responses, and per channel (those whose bit
// is set in `channels`; the others hold none) the measures and their ratios.
struct TraceMeasures {
    ResponseOnsets responses;
    std::uint16_t channels = 0;
    ChannelMeasures channel[kEvokedChannels];
};

class EvokedTraceMeasurer {
public:
    // A baseline reaching 100 ms before its onset and windows reaching 100 ms
    // after it, plus one sample for an onset between samples.
    static constexpr std::int64_t kSpanCapacity = static_cast<std::int64_t>(2 * kMaxEvokedReachMs * kSamplesPerMs) + 2;
    static constexpr std::int64_t kTailCapacity = static_cast<std::int64_t>(kTailBaselineMs * kSamplesPerMs);

    EvokedTraceMeasurer();

    // The windows for the traces begun from now on. A refused set (its message
    // returned) leaves the windows as they were.
    std::optional<std::string_view> setWindows(const EvokedWindows& windows);
    const EvokedWindows& windows() const { return windows_; }

    // Starts a trace of `traceScans` scans; forgets what the last one gathered.
    void beginTrace(const ResponseOnsets& responses, std::int64_t traceScans,
                    std::uint16_t channels = kAllEvokedChannels);
    const TracePlan& plan() const { return plan_; }

    // Keeps what the measures need of one channel's samples. Stretches must
    // come in trace order: one that starts after a sample still missing is
    // ignored, and the windows that need that sample give none.
    void addSamples(int channel, const MvSamples& samples);
    void addSamples(int channel, const CountSamples& samples);
    // A live block: `scans` scans of sixteen interleaved channels, the first
    // being scan `firstScan` of the trace.
    void addBlock(const double* block, std::int64_t firstScan, std::int32_t scans);

    // Every sample the measures need has arrived (at the trace's last block at
    // the latest, when every block was given).
    bool complete() const;

    // All channels of the trace, both responses and their ratios, from what has
    // arrived; no allocation.
    void measure(TraceMeasures& out) const;

private:
    template <class View>
    void gather(int channel, const View& samples);
    double* spanBuffer(int channel, int response) const;
    double* tailBuffer(int channel) const;

    EvokedWindows windows_;
    ResponseOnsets responses_;
    TracePlan plan_;
    std::uint16_t channels_ = 0;
    std::unique_ptr<double[]> spans_;  // [channel][response][kSpanCapacity]
    std::unique_ptr<double[]> tails_;  // [channel][kTailCapacity]
    std::int64_t spanFilled_[kEvokedChannels][kMaxResponses] = {};
    std::int64_t tailFilled_[kEvokedChannels] = {};
};

}  // namespace korin
