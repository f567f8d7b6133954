#include "processing/measures_summary.h"

#include <algorithm>
#include <cmath>

namespace korin {

MeasureMean meanOverTraces(const MeasuresTable& table, int channel, int response, EvokedMeasure measure,
                           std::int32_t fromTrace, std::int32_t toTrace) {
    MeasureMean out;
    double sum = 0;
    const std::int32_t end = std::min(toTrace, table.traceCount());
    for (std::int32_t t = std::max(fromTrace, 0); t < end; ++t) {
        const float v = table.value(t, channel, response, measure);
        if (std::isnan(v)) continue;
        sum += v;
        ++out.count;
    }
    if (out.count > 0) out.mean = sum / out.count;
    return out;
}

double percentOf(double value, double reference) {
    if (isNone(value) || isNone(reference) || reference == 0) return kNone;
    return 100.0 * value / reference;
}

BaselineNormaliser::BaselineNormaliser(const MeasuresTable& table, int channel, int response, EvokedMeasure measure,
                                       std::int32_t baselineTraces)
    : table_(table), channel_(channel), response_(response), measure_(measure),
      baseline_(meanOverTraces(table, channel, response, measure, 0, baselineTraces)) {}

double BaselineNormaliser::percent(std::int32_t t) const {
    return percentOf(table_.value(t, channel_, response_, measure_), baseline_.mean);
}

std::vector<IntensityMean> meansPerIntensity(const MeasuresTable& table, int channel, int response,
                                             EvokedMeasure measure) {
    struct Sum {
        double intensity;
        double sum = 0;
        std::int32_t count = 0;
    };
    std::vector<Sum> sums;
    for (std::int32_t t = 0; t < table.traceCount(); ++t) {
        if (!table.hasRow(t, channel, response)) continue;
        const float intensity = table.intensityUa(t, response);
        if (std::isnan(intensity)) continue;
        auto it = std::find_if(sums.begin(), sums.end(), [&](const Sum& s) { return s.intensity == intensity; });
        if (it == sums.end()) it = sums.insert(sums.end(), Sum{intensity});
        const float v = table.value(t, channel, response, measure);
        if (std::isnan(v)) continue;
        it->sum += v;
        ++it->count;
    }
    std::sort(sums.begin(), sums.end(), [](const Sum& a, const Sum& b) { return a.intensity < b.intensity; });
    std::vector<IntensityMean> out;
    out.reserve(sums.size());
    for (const Sum& s : sums)
        out.push_back({s.intensity, {s.count > 0 ? s.sum / s.count : kNone, s.count}});
    return out;
}

}  // namespace korin
