// The pulses one trace delivers, as rows of the stimulation log: for each
// output that plays, every pulse of its list with its onset from the trace's
// first sample, its duration and the intensity it is played with. Onsets are
// counted in samples exactly as the output buffer is rendered (pre, duration
// and post of every earlier pulse, then this pulse's pre), and only then turned
// into ms, so a row's onset is the sample the pulse starts on.
//
// The row buffer is the caller's: filling it again reuses its room, so a run
// allocates only when a trace has more rows than any before it.
#pragma once

#include <cstdint>
#include <vector>

#include "files/stimulation_log.h"
#include "stimulation/pulse_parameters.h"

namespace stim {

// What a trace's output was prepared with, beyond the program itself.
struct TraceOutput {
    bool s1 = false;           // the outputs that play
    bool s2 = false;
    bool byRep = false;        // "by rep #" applies (not on a run's first trace)
    std::int32_t roop = 0;     // the repetition index "by rep #" uses
    bool repeatAll = false;    // the pattern plays back to back
    std::int32_t repeat = 0;   // the extra patterns "repeat all the time" writes
};

// Where the rows belong.
struct TracePlace {
    std::int32_t trace = 1;    // 1-based
    char step = '1';           // '1', '2', or 'M' for a manual stimulation
    std::int32_t loop = 0;
    double traceStartS = 0;
    double patternStartMs = 0;  // where the pattern's sample 0 falls in the trace
    double traceMs = 0;         // pulses from here on are never played (the trace is over)
    bool playedS1 = true;       // the device took each output's pattern
    bool playedS2 = true;
};

// Onset of a sample count, in ms: samples / 20 rounded once, so that equal
// sample counts always give equal texts in the log.
inline double samplesToMs(std::int64_t samples) { return static_cast<double>(samples) / kSamplesPerMs; }

// The intensity a single-precision value stands for, as the shortest decimal
// that reads back to it ("-12.3", not -12.300000190734863).
double intensityUa(float value);

// Replaces `rows` with the rows of `program` played as `output` at `place`:
// S1's pulses, then S2's, each in list order; with "repeat all the time",
// repetition after repetition of the pattern. A pulse of no samples is no
// pulse and has no row; nor has a pulse whose onset falls at or after
// place.traceMs.
void traceRows(const PulseParameters& program, const TraceOutput& output, const TracePlace& place,
               std::vector<stimlog::Row>& rows);

}  // namespace stim
