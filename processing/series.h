// The histories a run builds block by block: one-second spike-rate bins,
// absolute spike time stamps and one evoked-potential (EP) entry per trace.
// The arrays belong to their owner (the acquisition object or the file reader)
// and have fixed capacities; these functions never write past them. A series
// that is full stops growing and says so once per run on standard output.
#pragma once

#include <cstdint>
#include <optional>

class DetectSpike;

namespace korin {

constexpr int kSeriesChannels = 16;
constexpr std::int32_t kMaxBins = 172'800;        // 48 hours of one-second bins
constexpr std::int32_t kMaxEPEntries = 172'800;   // one per trace
constexpr std::int32_t kMaxTimeStamps = 1'000'000;  // per channel
constexpr double kBlockMs = 500.0;
constexpr double kHalfBin = 0.5;
constexpr int kEPBlockScans = 10000;
constexpr float kEPSamplesPerMs = 20.0f;
// A stamp tick is one scan at 20 kHz; block starts are divided by the
// single-precision 0.05 (0.05000000074505806), not by 0.05 itself.
constexpr double kStampTickMs = static_cast<double>(0.05f);

// Conversion between mV and 16-bit counts. Live data know counts per mV
// (shortRate); a recording file stores mV per count. Each keeps its own
// arithmetic so live and replay give the numbers they always gave.
struct CountScale {
    double factor;
    bool countsPerMv;

    static CountScale live(double shortRate) { return {shortRate, true}; }
    static CountScale file(double conversionFactor) { return {conversionFactor, false}; }

    // Truncated toward zero; saturates at the 16-bit limits instead of wrapping.
    std::int16_t toCounts(double mv) const;
    double toMillivolts(std::int16_t counts) const;
};

// Which series have already said they are full; reset with the series.
struct FullNotices {
    bool bins = false;
    bool epEntries = false;
    bool timeStamps = false;
    bool stampRange = false;  // also ends the stamping of the run
};

// ---- Spike-rate bins ----

struct SpikeBins {
    std::int16_t* const* counts;  // [16][capacity] spikes per bin (SpikeData)
    double* endTimesMs;           // [capacity] run time at the end of the bin's last block (spikeTime)
    double& index;                // bin position in half bins (spikeIndex)
    std::int32_t capacity = kMaxBins;
};

// Adds one block's spike counts to bin floor(index), sets its end time and
// advances index by half a bin. Channels whose `channelsOn` flag is 0 are not
// counted (null counts every channel). Returns false, changing nothing, when
// the bins are full.
bool addBlockToBins(SpikeBins& bins, const std::int16_t* blockCounts, double blockEndMs, FullNotices& notices,
                    const std::uint8_t* channelsOn = nullptr);

// At a trace's last block: a half-filled bin is closed so that the next trace
// starts a bin of its own.
void closeHalfBin(SpikeBins& bins);

// ---- Time stamps ----

struct TimeStamps {
    std::int32_t* const* stamps;  // [16][capacity] samples since the run start (TimeStampData)
    std::int32_t* counts;         // [16] stamps stored per channel (spikeCount)
    std::int32_t capacity = kMaxTimeStamps;
};

// The block start in stamp ticks: ms / 0.05f rounded half to even.
std::int64_t blockStartTicks(double blockStartMs);

// Appends the detector's stamps of one block as absolute sample indices.
// Stamps that do not fit a full channel are dropped; once a stamp passes the
// 32-bit range no channel is stamped again until the notices are reset.
void appendTimeStamps(TimeStamps& series, const DetectSpike& detector, double blockStartMs, FullNotices& notices);

// Interval k >= 1 of a channel's stamps and the time it is plotted at, in ms,
// computed in single precision as the analysis view draws them.
float stampTimeMs(std::int32_t stamp);
float interSpikeIntervalMs(const std::int32_t* stamps, std::int32_t k);

// ---- Evoked potential ----

// Most negative count of one channel of a block (16 values per scan, the
// channel at `column`) over the scans k with line1 x 20 <= k <= line2 x 20.
// Nothing when no scan of the block lies in the window.
std::optional<std::int16_t> epAmplitude(const double* block, int column, float line1Ms, float line2Ms,
                                        const CountScale& scale);

struct EPSeries {
    std::int16_t* const* amplitudes;  // [16][capacity] counts (EPAmpData)
    double* timesMs;                  // [capacity] (epKeikaTime)
    std::int32_t& count;              // entries so far (EpIndex)
    std::int32_t capacity = kMaxEPEntries;
};

// Measures one entry from a trace's first block for every channel whose
// `channelsOn` flag is set (null: all); a channel without a sample in its
// window keeps the entry it had. Then stores the entry time and counts the
// entry. Returns false, changing nothing, when the series is full.
bool addEPEntry(EPSeries& series, const double* block, const float* line1Ms, const float* line2Ms,
                const CountScale& scale, double entryTimeMs, FullNotices& notices,
                const std::uint8_t* channelsOn = nullptr);

}  // namespace korin
