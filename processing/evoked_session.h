// The evoked-response measures of a run, trace by trace, for the live run,
// replay and the command-line tool alike. Each trace is begun with where it
// lies in its run and its stimuli; its blocks are handed over as they come (a
// live block of interleaved mV, or a recording's 16-bit counts); as soon as
// every sample the measures need has arrived the trace is measured, stored in
// the table and handed to the sink (the measures file). A window reaching past
// the trace's first block is measured when the block that holds it arrives; a
// trace left before it is complete (a stopped run, a cut recording) is
// measured from what did arrive, so no stimulated trace goes without its rows.
//
// Nothing is allocated per trace: the measurer's buffers are made once, the
// table grows in chunks. One thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "processing/evoked_response.h"
#include "processing/evoked_trace.h"
#include "processing/evoked_windows.h"
#include "processing/measures_table.h"

namespace korin {

// Where the rows of every measured trace go besides the table.
class MeasuresSink {
public:
    virtual ~MeasuresSink() = default;
    // Entry `entry` of `table` has just been stored.
    virtual void traceMeasured(const MeasuresTable& table, std::int32_t entry) = 0;
};

// A channel absent from a recording's scans.
inline constexpr std::uint8_t kNoCountPosition = 255;

class EvokedSession {
public:
    EvokedSession() = default;
    EvokedSession(const EvokedSession&) = delete;
    EvokedSession& operator=(const EvokedSession&) = delete;

    // The windows for the traces begun from now on. A refused set (its message
    // returned) keeps the windows as they were.
    std::optional<std::string_view> setWindows(const EvokedWindows& windows) { return measurer_.setWindows(windows); }
    const EvokedWindows& windows() const { return measurer_.windows(); }
    // The channels measured from the next trace on; bit c is channel index c.
    void setChannels(std::uint16_t channels) { channels_ = channels; }
    std::uint16_t channels() const { return channels_; }
    // Receives every trace stored from now on; null for none. Not owned.
    void setSink(MeasuresSink* sink) { sink_ = sink; }

    // Empties the table and forgets the last trace: a new run or replay.
    void beginRun();
    // Measures the trace still waiting for samples from what has arrived.
    void endRun() { finishTrace(); }

    // Starts a trace of `traceScans` scans whose stimuli are `onsets` (ms from
    // the trace's first sample, any output, any order; the first two stimuli
    // are its responses). A trace still waiting is measured first. A trace
    // without a stimulus is not measured.
    void beginTrace(const TraceInfo& info, const StimOnset* onsets, int count, std::int64_t traceScans);

    // A live block: `scans` scans of sixteen interleaved mV values, the first
    // being scan `firstScan` of the trace. True when it completed the trace
    // and the trace was measured.
    bool addBlock(const double* block, std::int64_t firstScan, std::int32_t scans);
    // A recording's block: `scans` scans of `valuesPerScan` counts, channel
    // index c at position[c] in a scan (kNoCountPosition when not recorded),
    // each count worth `mvPerCount` mV.
    bool addCounts(const std::int16_t* counts, int valuesPerScan, const std::uint8_t position[kEvokedChannels],
                   double mvPerCount, std::int64_t firstScan, std::int32_t scans);

    // A trace is begun and not measured yet.
    bool waiting() const { return waiting_; }

    const MeasuresTable& table() const { return table_; }
    // Traces measured since beginRun, including any the full table could not
    // keep (they still went to the sink). A view compares it to redraw.
    std::uint64_t measuredTraces() const { return measured_; }
    bool tableFull() const { return table_.full(); }

    // The last trace measured, for the view of the response; valid when
    // measuredTraces() > 0.
    const TraceMeasures& lastMeasures() const { return last_; }
    const TraceInfo& lastInfo() const { return lastInfo_; }
    const TracePlan& lastPlan() const { return lastPlan_; }

private:
    bool afterBlock();
    void finishTrace();

    EvokedTraceMeasurer measurer_;
    MeasuresTable table_;
    // A one-trace table for the sink once the run's table is full, so the file
    // still gets every trace, in the table's own rounding.
    MeasuresTable overflow_;
    MeasuresSink* sink_ = nullptr;
    std::uint16_t channels_ = kAllEvokedChannels;
    bool waiting_ = false;
    TraceInfo info_;
    std::uint64_t measured_ = 0;
    TraceMeasures last_;
    TraceInfo lastInfo_;
    TracePlan lastPlan_;
};

}  // namespace korin
