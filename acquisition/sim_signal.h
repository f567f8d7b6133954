// The biology behind the simulated "Dev1": a slice or culture on a 4 x 4
// sixteen-electrode array, as seen at the electrodes (microvolts, before the
// amplifier). Background noise, DC offset with slow drift, mains hum,
// spontaneously firing units, network bursts, and the tissue's answer to the
// stimulator: artefact, evoked field potential, evoked spikes, and pathway
// potentiation after tetanic trains.
//
// Time is counted in ticks of the 20 kHz device clock. Everything is drawn
// from one seed with the project's own generators, so a seed gives the same
// signal on every platform. Not thread-safe: the device serialises access.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace sim {

inline constexpr int kElectrodes = 16;
inline constexpr double kTicksPerSecond = 20000.0;
inline constexpr double kVoltsPerMicroamp = 0.04;  // stimulator input scale
inline constexpr int kOutputs = 2;                  // stimulator outputs S1, S2 (ao0, ao1)

// Electrode index (0..15) routed to `output` (0 = S1, 1 = S2) by the ten-line
// routing word, or -1 when that output is not connected to any electrode.
int routedElectrode(std::uint32_t word, int output);

// xoshiro256** seeded through splitmix64: fast, and identical everywhere
// (the standard library's distributions are not).
class Rng {
public:
    explicit Rng(std::uint64_t seed);
    std::uint64_t next();
    double uniform();  // [0, 1)
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    double exponential(double mean);
    double normal();  // Box-Muller; for set-up and per-event draws, not per sample

private:
    std::uint64_t s_[4];
};

class Culture {
public:
    explicit Culture(std::uint64_t seed);

    // The stimulator output levels (volts at ao0, ao1) and the routing word hold
    // these values from `tick` on. Calls come in non-decreasing tick order and
    // never before the end of what has been generated.
    void setLevels(std::uint64_t tick, double ao0, double ao1, std::uint32_t word);

    // Writes the electrode signal in microvolts for ticks [start, start + scans),
    // interleaved by scan (16 values per scan). `start` must not precede the end
    // of the previous call; a gap is skipped (spikes and noise of the gap are not
    // drawn, but stimuli in it still act on the tissue).
    void generate(std::uint64_t start, int scans, float* out);

    std::uint64_t cursor() const { return cursor_; }
    // Current potentiation of the pathway stimulated through `electrode`
    // (0 = baseline, 0.5 = evoked response 50 % larger).
    double potentiation(int electrode) const;
    int unitCount() const { return static_cast<int>(units_.size()); }

private:
    static constexpr int kChunkTicks = 1000;
    static constexpr int kSpikeTicks = 40;  // 2 ms waveform window
    static constexpr int kEpTicks = 1400;   // 70 ms evoked-potential window
    static constexpr int kHumPeriod = 400;  // 50 Hz at 20 kHz
    static constexpr int kNormalTableBits = 16;
    static constexpr std::size_t kMaxPendingSpikes = 4096;
    static constexpr std::size_t kMaxWaves = 512;
    static constexpr std::size_t kMaxChanges = 1 << 16;

    struct Unit {
        int channel;
        double rateHz;
        std::uint64_t refractoryTicks;
        std::uint64_t nextCandidate;
        int templ;
    };
    struct PendingSpike {
        std::uint64_t start;
        int channel;
        int templ;
        float scale;
    };
    struct Wave {
        std::uint64_t start;
        float amp[kElectrodes];
    };
    struct Site {
        double ltp = 0, target = 0;
        std::uint64_t ltpTick = 0;
        bool pulsed = false;
        std::uint64_t lastPulse = 0;
        double resource = 1.0;
        std::uint64_t resourceTick = 0;
        double latencyTicks = 50;
        float epGain[kElectrodes] = {};
        float artefactGain[kElectrodes] = {};
    };
    struct Change {
        std::uint64_t tick;
        float volts[kOutputs];
        std::uint32_t word;
    };

    void buildTissue();
    void generateChunk(std::uint64_t a, int n, float* out);
    void addBackground(std::uint64_t a, int n, float* out);
    void drawSpontaneousSpikes(std::uint64_t end);
    void runStimulus(std::uint64_t a, std::uint64_t b, float* out);
    void applyChangesAt(std::uint64_t tick);
    void addArtefact(std::uint64_t from, std::uint64_t to, std::uint64_t a, float* out);
    void onset(int electrode, double microamps, std::uint64_t tick);
    void addPendingSpikes(std::uint64_t a, int n, float* out);
    void addWaves(std::uint64_t a, int n, float* out);
    void addBurstField(std::uint64_t a, int n, float* out);
    void skipTo(std::uint64_t tick);
    void scheduleBursts(std::uint64_t tick);
    double offsetAt(int channel, std::uint64_t tick) const;
    static double drive(double microamps);
    void relaxPotentiation(Site& site, std::uint64_t tick) const;
    float normal() {
        if (normalsLeft_ == 0) {
            normalBits_ = noiseRng_.next();
            normalsLeft_ = 4;
        }
        const auto index = static_cast<std::size_t>(normalBits_ & ((1u << kNormalTableBits) - 1));
        normalBits_ >>= kNormalTableBits;
        --normalsLeft_;
        return normalTable_[index];
    }

    Rng setupRng_, noiseRng_, unitRng_, stimRng_, burstRng_;
    std::uint64_t cursor_ = 0;

    // Per channel, at the electrode.
    std::array<float, kElectrodes> noiseRms_{}, backgroundScale_{}, background_{}, humUv_{};
    std::array<int, kElectrodes> humPhase_{};
    std::array<double, kElectrodes> offsetUv_{}, driftUv_{}, driftPeriodTicks_{}, driftPhase_{};
    std::array<float, kElectrodes> burstParticipation_{};
    float backgroundDecay_ = 0;
    std::vector<float> normalTable_;
    std::vector<float> humTable_;  // two periods, so a phase offset never wraps
    std::uint64_t normalBits_ = 0;
    int normalsLeft_ = 0;

    std::vector<Unit> units_;
    std::vector<float> templates_;  // kSpikeTicks per unit
    std::vector<PendingSpike> pending_;
    std::vector<Wave> waves_;
    std::vector<float> epShape_;

    std::uint64_t burstStart_ = 0, burstEnd_ = 0;
    float burstFieldUv_ = 0;

    std::array<Site, kElectrodes> sites_{};
    std::vector<Change> changes_;  // ring
    std::size_t changeHead_ = 0, changeCount_ = 0;
    float levels_[kOutputs] = {0, 0};
    std::uint32_t word_ = 0;
    bool active_[kOutputs] = {false, false};
    int activeElectrode_[kOutputs] = {-1, -1};
    double residual_[kOutputs] = {0, 0};
    int residualElectrode_[kOutputs] = {-1, -1};
};

}  // namespace sim
