// What the evoked-response measures need of a recording beyond its samples:
// each trace's stimuli from the stimulation log beside it, and where a block's
// trace lies in its run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "files/block_index.h"
#include "files/stimulation_log.h"
#include "processing/evoked_response.h"
#include "processing/measures_table.h"

namespace measuresfile {

// The onset and intensity of every pulse of `rows` played in run trace
// `trace` (1-based), appended to `out`. Manual rows belong to the manual
// file's own numbering, and an output the device refused delivered nothing:
// both are left out. `out` keeps its room, so a buffer reused trace after
// trace stops allocating once it has held the longest trace.
void appendOnsets(const stimlog::Row* rows, std::size_t count, std::int32_t trace,
                  std::vector<korin::StimOnset>& out);

// The stimuli of every trace of a log, looked up by trace.
class TraceStimuli {
public:
    TraceStimuli() = default;
    explicit TraceStimuli(const std::vector<stimlog::Row>& rows);

    // Trace `trace` (1-based); empty when it had no pulse played.
    std::span<const korin::StimOnset> of(std::int32_t trace) const;
    bool empty() const { return onsets_.empty(); }

private:
    std::vector<korin::StimOnset> onsets_;  // by trace
    std::vector<std::size_t> firstOf_;      // [trace]: the first of its onsets; one more entry than traces
};

// A block's trace as the measures file gives it: 1-based, its step 1 or 2 (0
// when the run had no stimulation steps), its loop, its start in s.
korin::TraceInfo traceInfoOf(const pldat::BlockHeader& header);

}  // namespace measuresfile
