#include "display/copy_data.h"

#include <algorithm>

#include "acquisition/number_text.h"
#include "display/selected_labels.h"
#include "processing/readouts.h"

namespace {

std::string num(double v) { return korin::defaultNumberText(v); }

void spikeRows(std::string& out, const SelectedSnapshot& d) {
    out += "time (ms)\tSpikes per Second\n";
    const std::int32_t n = d.completedBins();
    for (std::int32_t i = 0; i < n; ++i) out += num(d.binEndMs[i]) + '\t' + num(d.binCounts[i]) + '\n';
}

void isiRows(std::string& out, const SelectedSnapshot& d) {
    out += "time (ms)\tISI (ms)\n";
    const std::int32_t n = d.stamps != nullptr ? std::min(d.stampCount, korin::kMaxTimeStamps) : 0;
    for (std::int32_t k = 1; k < n; ++k)
        out += singleText(korin::stampTimeMs(d.stamps[k])) + '\t' +
               singleText(korin::interSpikeIntervalMs(d.stamps, k)) + '\n';
}

void epRows(std::string& out, const SelectedSnapshot& d, const CopyDataOptions& o) {
    const std::string amplitude = o.epMilli ? "Amplitude (mV)" : "Amplitude (uV)";
    const int S = d.stepsPerCycle;
    const std::int32_t n = d.epAmplitudes != nullptr && d.epTimesMs != nullptr
                               ? std::clamp(d.EpIndex, 0, korin::kMaxEPEntries)
                               : 0;
    const auto pair = [&](std::int32_t k) {
        // Scaled before the conversion, as the amplitudes have always been copied.
        const double scaled = static_cast<double>(d.epAmplitudes[k]) * o.EpYScale;
        const double v = d.scale.countsPerMv ? scaled / d.scale.factor : scaled * d.scale.factor;
        return num(d.epTimesMs[k]) + '\t' + num(v);
    };
    if (o.hyouziStep == -1) {
        out += "time (ms)\t" + amplitude;
        if (S > 1) out += "\ttime (ms)_step2\t" + amplitude + "_step2";
        out += '\n';
        for (std::int32_t k = 0; k < n; ++k) {
            if (S == 0 || k % S == 0) {
                out += pair(k);
                if (S <= 1) out += '\n';
            } else if (S > 1 && k % S == 1) {
                out += '\t' + pair(k) + '\n';
            }
        }
        return;
    }
    out += "time (ms)\t" + amplitude + '\n';
    for (std::int32_t k = 0; k < n; ++k)
        if (korin::epEntryShown(k, o.hyouziStep, S)) out += pair(k) + '\n';
}

}  // namespace

std::string copyDataText(const SelectedSnapshot& data, const CopyDataOptions& options) {
    std::string out;
    switch (options.Mode) {
    case AnalysisMode::Spike: spikeRows(out, data); break;
    case AnalysisMode::ISI: isiRows(out, data); break;
    case AnalysisMode::EP: epRows(out, data, options); break;
    case AnalysisMode::Slope: break;  // the measures table's rows: slopeCopyDataText
    }
    return out;
}
