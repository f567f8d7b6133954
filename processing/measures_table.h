// The evoked-response measures of a run: one entry per measured trace holding
// every channel's responses, and the lines of the measures file, one row per
// trace, channel and response:
//   trace,step,loop,time_s,channel,response,onset_ms,intensity_ua,baseline_mv,
//   amplitude_mv,latency_ms,max_slope,window_slope,slope_20_80,ppr_max_slope
//
// Capacity is that of the evoked-potential series, 172 800 traces (48 hours of
// one-second traces). The measures are kept in single precision (seven
// significant digits, far finer than any electrode resolves): an entry is 888
// bytes, so a full table would be 153 MB. It is therefore allocated in chunks of
// 1024 traces (0.9 MB) as it grows, never per trace; a chunk once
// made is kept for the next run, and entries never move, so a reference to one
// stays valid. One thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string_view>

#include "acquisition/number_text.h"
#include "processing/evoked_trace.h"
#include "processing/series.h"

namespace korin {

// The measures a view or a summary can choose, in the order of the window's menu.
enum class EvokedMeasure : std::int32_t { MaxSlope = 0, WindowSlope = 1, Slope2080 = 2, Amplitude = 3 };

// Where a trace lies in its run (the run clock's, or a recording's block headers).
struct TraceInfo {
    std::int32_t trace = 0;  // 1-based
    std::int32_t step = 0;
    std::int32_t loop = 0;
    double timeS = 0;  // the trace's start in the run
};

inline constexpr float kNoneFloat = std::numeric_limits<float>::quiet_NaN();

// One line of the measures file; none is NaN.
struct MeasureRow {
    TraceInfo info;
    std::int32_t channel = 0;   // 1-16
    std::int32_t response = 0;  // 1 or 2
    double onsetMs = kNone;
    float intensityUa = kNoneFloat;
    float baselineMv = kNoneFloat;
    float amplitudeMv = kNoneFloat;
    float latencyMs = kNoneFloat;
    float maxSlope = kNoneFloat;
    float windowSlope = kNoneFloat;
    float slope2080 = kNoneFloat;
    float pprMaxSlope = kNoneFloat;  // on the second response's row: its max slope over the first's
};

inline constexpr std::string_view kMeasuresHeader =
    "trace,step,loop,time_s,channel,response,onset_ms,intensity_ua,baseline_mv,amplitude_mv,latency_ms,"
    "max_slope,window_slope,slope_20_80,ppr_max_slope";
constexpr int kMeasureColumns = 15;
constexpr std::size_t kMeasureRowRoom = kMeasureColumns * (kShortestTextRoom + 1);

// The row as a line of the measures file, without its line end (the writer adds
// CR LF): ASCII, each number in its shortest exact form, an empty field for
// none. Writes at most kMeasureRowRoom characters at `out`; returns the end.
char* writeMeasureRow(char* out, const MeasureRow& row);

class MeasuresTable {
public:
    static constexpr std::int32_t kCapacity = kMaxEPEntries;
    static constexpr std::int32_t kChunkTraces = 1024;

    MeasuresTable();
    ~MeasuresTable();
    MeasuresTable(const MeasuresTable&) = delete;
    MeasuresTable& operator=(const MeasuresTable&) = delete;

    // Stores a measured trace. A trace without a response has no rows and is
    // not stored. False, changing nothing, when the table is full.
    bool append(const TraceInfo& info, const TraceMeasures& measures);
    // Empties the table for a new run; the chunks are kept.
    void clear();

    std::int32_t traceCount() const { return count_; }
    bool full() const { return count_ >= kCapacity; }

    // Entry t = 0 .. traceCount() - 1.
    const TraceInfo& info(std::int32_t t) const;
    int responses(std::int32_t t) const;
    std::uint16_t channels(std::int32_t t) const;  // bit c: channel index c
    double onsetMs(std::int32_t t, int response) const;
    float intensityUa(std::int32_t t, int response) const;
    // Channel index 0-15, response index 0-1; NaN when none or not measured.
    float value(std::int32_t t, int channel, int response, EvokedMeasure measure) const;

    bool hasRow(std::int32_t t, int channel, int response) const;
    MeasureRow row(std::int32_t t, int channel, int response) const;
    std::int32_t rowCount(std::int32_t t) const;
    // The rows of entry t in the file's order (channel, then response).
    template <class F>
    void forEachRow(std::int32_t t, F&& f) const {
        for (int c = 0; c < kEvokedChannels; ++c)
            for (int r = 0; r < kMaxResponses; ++r)
                if (hasRow(t, c, r)) f(row(t, c, r));
    }

private:
    struct Entry;
    static constexpr std::int32_t kChunks = (kCapacity + kChunkTraces - 1) / kChunkTraces;
    Entry& entry(std::int32_t t) const;

    std::unique_ptr<Entry[]> chunks_[kChunks];
    std::int32_t count_ = 0;
};

}  // namespace korin
