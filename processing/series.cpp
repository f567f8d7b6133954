#include "processing/series.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "acquisition/rounding.h"
#include "processing/detect_spike.h"

namespace korin {
namespace {

void sayFullOnce(bool& said, const char* message) {
    if (said) return;
    said = true;
    std::printf("%s\n", message);
    std::fflush(stdout);
}

}  // namespace

std::int16_t CountScale::toCounts(double mv) const {
    return truncToInt16(countsPerMv ? mv * factor : mv / factor);
}

double CountScale::toMillivolts(std::int16_t counts) const {
    return countsPerMv ? counts / factor : counts * factor;
}

bool addBlockToBins(SpikeBins& bins, const std::int16_t* blockCounts, double blockEndMs, FullNotices& notices,
                    const std::uint8_t* channelsOn) {
    const double position = std::floor(bins.index);
    if (!(position >= 0 && position < bins.capacity)) {
        sayFullOnce(notices.bins, "Spike-rate bins are full: later spikes are not counted.");
        return false;
    }
    const auto b = static_cast<std::int32_t>(position);
    for (int c = 0; c < kSeriesChannels; ++c) {
        if (channelsOn && !channelsOn[c]) continue;
        const int sum = bins.counts[c][b] + blockCounts[c];
        bins.counts[c][b] = static_cast<std::int16_t>(std::min<int>(sum, std::numeric_limits<std::int16_t>::max()));
    }
    bins.endTimesMs[b] = blockEndMs;
    bins.index = roundHalfEven(bins.index + kHalfBin, 2);
    return true;
}

void closeHalfBin(SpikeBins& bins) {
    if (bins.index != std::floor(bins.index)) bins.index = roundHalfEven(bins.index + kHalfBin, 2);
}

std::int64_t blockStartTicks(double blockStartMs) {
    return static_cast<std::int64_t>(roundHalfEven(blockStartMs / kStampTickMs));
}

void appendTimeStamps(TimeStamps& series, const DetectSpike& detector, double blockStartMs, FullNotices& notices) {
    // Past the last 32-bit tick (about 29.8 h into a run) nothing more is
    // stamped in this run, so every series stays in time order.
    if (notices.stampRange) return;
    constexpr auto kLastTick = static_cast<double>(std::numeric_limits<std::int32_t>::max());
    const double startTicks = roundHalfEven(blockStartMs / kStampTickMs);
    // A block before the run start exists only in a damaged file: it has no stamps.
    if (!(startTicks >= 0)) return;
    const bool blockPastLimit = startTicks > kLastTick;
    const std::int64_t base = blockPastLimit ? 0 : static_cast<std::int64_t>(startTicks);
    for (int c = 0; c < kSeriesChannels; ++c) {
        std::int32_t* stamps = series.stamps[c];
        std::int32_t& count = series.counts[c];
        for (int j = 0; j < detector.timespikes[c]; ++j) {
            if (count >= series.capacity) {
                sayFullOnce(notices.timeStamps, "Spike time stamps are full: later spikes are not time-stamped.");
                break;
            }
            const std::int64_t stamp = base + detector.TimeStampData[c][j];
            if (blockPastLimit || stamp > std::numeric_limits<std::int32_t>::max()) {
                sayFullOnce(notices.stampRange,
                            "Spike time stamps have reached their largest value: later spikes are not time-stamped.");
                break;
            }
            stamps[count++] = static_cast<std::int32_t>(stamp);
        }
    }
}

float stampTimeMs(std::int32_t stamp) { return static_cast<float>(stamp) * 0.05f; }

float interSpikeIntervalMs(const std::int32_t* stamps, std::int32_t k) {
    return static_cast<float>(stamps[k] - stamps[k - 1]) * 0.05f;
}

std::optional<std::int16_t> epAmplitude(const double* block, int column, float line1Ms, float line2Ms,
                                        const CountScale& scale) {
    // Scan indices compare with the window edges in single precision.
    const float lo = line1Ms * kEPSamplesPerMs;
    const float hi = line2Ms * kEPSamplesPerMs;
    if (std::isnan(lo) || std::isnan(hi)) return std::nullopt;
    const double first = std::max(0.0, std::ceil(static_cast<double>(lo)));
    const double last = std::min(kEPBlockScans - 1.0, std::floor(static_cast<double>(hi)));
    if (first > last) return std::nullopt;
    std::int16_t smallest = std::numeric_limits<std::int16_t>::max();
    for (auto k = static_cast<int>(first); k <= static_cast<int>(last); ++k)
        smallest = std::min(smallest, scale.toCounts(block[kSeriesChannels * k + column]));
    return smallest;
}

bool addEPEntry(EPSeries& series, const double* block, const float* line1Ms, const float* line2Ms,
                const CountScale& scale, double entryTimeMs, FullNotices& notices, const std::uint8_t* channelsOn) {
    if (series.count < 0 || series.count >= series.capacity) {
        sayFullOnce(notices.epEntries, "Evoked-potential entries are full: later traces are not measured.");
        return false;
    }
    const std::int32_t k = series.count;
    for (int c = 0; c < kSeriesChannels; ++c) {
        if (channelsOn && !channelsOn[c]) continue;
        if (const auto amplitude = epAmplitude(block, c, line1Ms[c], line2Ms[c], scale))
            series.amplitudes[c][k] = *amplitude;
    }
    series.timesMs[k] = entryTimeMs;
    ++series.count;
    return true;
}

}  // namespace korin
