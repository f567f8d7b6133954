#include "processing/measures_table.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace korin {
namespace {

// The measures kept per channel and response, in this order.
enum Stored : int { kBaseline, kAmplitude, kLatency, kMaxSlope, kWindowSlope, kSlope2080, kStoredCount };

int storedIndex(EvokedMeasure m) {
    switch (m) {
        case EvokedMeasure::MaxSlope: return kMaxSlope;
        case EvokedMeasure::WindowSlope: return kWindowSlope;
        case EvokedMeasure::Slope2080: return kSlope2080;
        case EvokedMeasure::Amplitude: return kAmplitude;
    }
    return kMaxSlope;
}

char* field(char* out, float value) { return std::isnan(value) ? out : writeShortest(out, value); }
char* field(char* out, double value) { return std::isnan(value) ? out : writeShortest(out, value); }
char* field(char* out, std::int32_t value) { return writeShortest(out, value); }

template <class T>
char* column(char* out, T value) {
    *out++ = ',';
    return field(out, value);
}

}  // namespace

struct MeasuresTable::Entry {
    TraceInfo info;
    double onsetMs[kMaxResponses];
    float intensityUa[kMaxResponses];
    std::uint16_t channels;
    std::uint8_t responses;
    float values[kEvokedChannels][kMaxResponses][kStoredCount];
    float pprMaxSlope[kEvokedChannels];
};

char* writeMeasureRow(char* out, const MeasureRow& row) {
    out = field(out, row.info.trace);
    out = column(out, row.info.step);
    out = column(out, row.info.loop);
    out = column(out, row.info.timeS);
    out = column(out, row.channel);
    out = column(out, row.response);
    out = column(out, row.onsetMs);
    out = column(out, row.intensityUa);
    out = column(out, row.baselineMv);
    out = column(out, row.amplitudeMv);
    out = column(out, row.latencyMs);
    out = column(out, row.maxSlope);
    out = column(out, row.windowSlope);
    out = column(out, row.slope2080);
    return column(out, row.pprMaxSlope);
}

MeasuresTable::MeasuresTable() = default;
MeasuresTable::~MeasuresTable() = default;

MeasuresTable::Entry& MeasuresTable::entry(std::int32_t t) const { return chunks_[t / kChunkTraces][t % kChunkTraces]; }

bool MeasuresTable::append(const TraceInfo& info, const TraceMeasures& measures) {
    if (full()) return false;
    const int responses = std::min(measures.responses.count, kMaxResponses);
    if (responses <= 0) return true;
    std::unique_ptr<Entry[]>& chunk = chunks_[count_ / kChunkTraces];
    if (!chunk) chunk.reset(new Entry[kChunkTraces]);
    Entry& e = chunk[count_ % kChunkTraces];
    e.info = info;
    e.channels = measures.channels;
    e.responses = static_cast<std::uint8_t>(responses);
    for (int r = 0; r < kMaxResponses; ++r) {
        e.onsetMs[r] = measures.responses.onsetMs[r];
        e.intensityUa[r] = static_cast<float>(measures.responses.intensityUa[r]);
    }
    for (int c = 0; c < kEvokedChannels; ++c) {
        const ChannelMeasures& ch = measures.channel[c];
        for (int r = 0; r < kMaxResponses; ++r) {
            const ResponseMeasures& m = ch.response[r];
            float* v = e.values[c][r];
            v[kBaseline] = static_cast<float>(m.baselineMv);
            v[kAmplitude] = static_cast<float>(m.amplitudeMv);
            v[kLatency] = static_cast<float>(m.latencyMs);
            v[kMaxSlope] = static_cast<float>(m.maxSlope);
            v[kWindowSlope] = static_cast<float>(m.windowSlope);
            v[kSlope2080] = static_cast<float>(m.slope2080);
        }
        e.pprMaxSlope[c] = static_cast<float>(ch.ppr.maxSlope);
    }
    ++count_;
    return true;
}

void MeasuresTable::clear() { count_ = 0; }

const TraceInfo& MeasuresTable::info(std::int32_t t) const { return entry(t).info; }
int MeasuresTable::responses(std::int32_t t) const { return entry(t).responses; }
std::uint16_t MeasuresTable::channels(std::int32_t t) const { return entry(t).channels; }
double MeasuresTable::onsetMs(std::int32_t t, int response) const { return entry(t).onsetMs[response]; }
float MeasuresTable::intensityUa(std::int32_t t, int response) const { return entry(t).intensityUa[response]; }

bool MeasuresTable::hasRow(std::int32_t t, int channel, int response) const {
    const Entry& e = entry(t);
    return response >= 0 && response < e.responses && channel >= 0 && channel < kEvokedChannels &&
           hasChannel(e.channels, channel);
}

float MeasuresTable::value(std::int32_t t, int channel, int response, EvokedMeasure measure) const {
    if (!hasRow(t, channel, response)) return kNoneFloat;
    return entry(t).values[channel][response][storedIndex(measure)];
}

std::int32_t MeasuresTable::rowCount(std::int32_t t) const {
    const Entry& e = entry(t);
    return std::popcount(e.channels) * e.responses;
}

MeasureRow MeasuresTable::row(std::int32_t t, int channel, int response) const {
    MeasureRow row;
    if (!hasRow(t, channel, response)) return row;
    const Entry& e = entry(t);
    const float* v = e.values[channel][response];
    row.info = e.info;
    row.channel = channel + 1;
    row.response = response + 1;
    row.onsetMs = e.onsetMs[response];
    row.intensityUa = e.intensityUa[response];
    row.baselineMv = v[kBaseline];
    row.amplitudeMv = v[kAmplitude];
    row.latencyMs = v[kLatency];
    row.maxSlope = v[kMaxSlope];
    row.windowSlope = v[kWindowSlope];
    row.slope2080 = v[kSlope2080];
    if (response == kMaxResponses - 1) row.pprMaxSlope = e.pprMaxSlope[channel];
    return row;
}

}  // namespace korin
