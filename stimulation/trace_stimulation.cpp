#include "stimulation/trace_stimulation.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "stimulation/electrode_routing.h"

namespace stim {

double intensityUa(float value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    double wide = 0;
    std::from_chars(text, written.ptr, wide);
    return wide;
}

namespace {

// Appends output f's pulses for one pattern starting at sample `start` of the trace.
void addPattern(const PulseParameters& program, int f, const TraceOutput& output, const TracePlace& place,
                std::int64_t start, std::vector<stimlog::Row>& rows) {
    const std::vector<PulseConfigs>& list = program.pulses(f);
    const std::int32_t electrode = program.electrode(f);
    const bool byRep = output.byRep && program.incrementsByRep(f);
    std::int64_t position = start;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const PulseShape shape = shapeOf(list[i]);
        const std::int64_t onset = position + shape.pre;
        position += shape.total();
        if (shape.duration <= 0) continue;
        stimlog::Row row;
        row.onsetMs = samplesToMs(onset);
        if (!(row.onsetMs < place.traceMs)) break;
        row.trace = place.trace;
        row.step = place.step;
        row.loop = place.loop;
        row.traceStartS = place.traceStartS;
        row.output = f;
        row.electrode = electrode >= 0 && electrode < kElectrodes ? electrode + 1 : 0;
        row.pulse = static_cast<std::int32_t>(i + 1);
        row.biphasic = shape.biphasic;
        row.durationMs = samplesToMs(shape.duration);
        const float intensity =
            byRep && shape.biphasic ? repIntensity(shape.intensity, output.roop, program.increment(f)) : shape.intensity;
        row.intensityUa = intensityUa(intensity);
        row.played = f == PulseParameters::kS1 ? place.playedS1 : place.playedS2;
        rows.push_back(row);
    }
}

}  // namespace

void traceRows(const PulseParameters& program, const TraceOutput& output, const TracePlace& place,
               std::vector<stimlog::Row>& rows) {
    rows.clear();
    const std::int64_t s1 = output.s1 ? listSamples(program.pulses(PulseParameters::kS1)) : 0;
    const std::int64_t s2 = output.s2 ? listSamples(program.pulses(PulseParameters::kS2)) : 0;
    const std::int64_t period = std::max(s1, s2);  // samples per output of the interleaved buffer
    const std::int64_t first = std::llround(place.patternStartMs * kSamplesPerMs);
    std::int64_t patterns = 1;
    if (output.repeatAll && period > 0) {
        // Only the patterns that start inside the trace play: the output ends with it.
        const auto inside = static_cast<std::int64_t>(std::ceil((place.traceMs * kSamplesPerMs - first) / period));
        patterns = std::clamp<std::int64_t>(inside, 0, std::int64_t{output.repeat} + 1);
    }
    for (std::int64_t k = 0; k < patterns; ++k) {
        const std::int64_t start = first + k * period;
        if (output.s1) addPattern(program, PulseParameters::kS1, output, place, start, rows);
        if (output.s2) addPattern(program, PulseParameters::kS2, output, place, start, rows);
    }
}

}  // namespace stim
