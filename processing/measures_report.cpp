#include "processing/measures_report.h"

#include <algorithm>
#include <cmath>

namespace korin {

ChannelReport reportChannel(const MeasuresTable& table, int channel, std::int32_t baselineTraces) {
    ChannelReport report;
    const std::int32_t traces = table.traceCount();
    const std::int32_t baselineEnd = std::clamp(baselineTraces, 0, traces);
    report.baseline = meanOverTraces(table, channel, 0, EvokedMeasure::MaxSlope, 0, baselineEnd);
    for (std::int32_t t = 0; t < baselineEnd; ++t)
        if (!std::isnan(table.value(t, channel, 0, EvokedMeasure::Slope2080))) ++report.respondingTraces;
    report.responds = report.baseline.count > 0 && report.baseline.mean != 0 &&
                      report.respondingTraces >= kMinRespondingShare * report.baseline.count;
    report.last = meanOverTraces(table, channel, 0, EvokedMeasure::MaxSlope,
                                 std::max(traces - kReportLastTraces, 0), traces);
    if (report.responds) report.lastPercent = percentOf(report.last.mean, report.baseline.mean);

    double sum = 0;
    for (std::int32_t t = 0; t < traces; ++t) {
        if (!table.hasRow(t, channel, 1)) continue;
        const float ratio = table.row(t, channel, 1).pprMaxSlope;
        if (std::isnan(ratio)) continue;
        sum += ratio;
        ++report.ppr.count;
    }
    if (report.ppr.count > 0) report.ppr.mean = sum / report.ppr.count;

    std::vector<IntensityMean> io = meansPerIntensity(table, channel, 0, EvokedMeasure::MaxSlope);
    if (io.size() > 1) report.io = std::move(io);
    return report;
}

}  // namespace korin
