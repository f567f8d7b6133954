#include "acquisition/sim_signal.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kPi = 3.141592653589793;
constexpr double kPitchUm = 200.0;  // 4 x 4 grid
constexpr int kGridSide = 4;

// Background, at the electrode.
constexpr double kNoiseRmsMinUv = 2.5, kNoiseRmsMaxUv = 4.5;
constexpr double kBackgroundRmsMinUv = 1.0, kBackgroundRmsMaxUv = 2.5;
constexpr double kBackgroundTauTicks = 100.0;  // 5 ms: low-frequency field background
constexpr double kOffsetMaxUv = 90.0;
constexpr double kDriftMinUv = 4.0, kDriftMaxUv = 12.0;
constexpr double kDriftPeriodMinS = 180.0, kDriftPeriodMaxS = 720.0;
constexpr double kHumMinUv = 0.5, kHumMaxUv = 2.0;

// Spontaneous units.
constexpr double kUnitCountWeights[] = {0.2, 0.35, 0.3, 0.15};  // 0, 1, 2, 3 units
constexpr double kRateMinHz = 0.5, kRateMaxHz = 5.0;  // a quiet culture between bursts
constexpr double kSpikeMinUv = 40.0, kSpikeMaxUv = 200.0;
constexpr double kRefractoryMinMs = 2.0, kRefractoryMaxMs = 3.0;
constexpr double kTroughMs = 0.5;  // position of the negative peak in the window

// Network bursts.
constexpr double kBurstMeanIntervalS = 25.0, kBurstMinIntervalS = 4.0;
constexpr double kBurstMinS = 0.15, kBurstMaxS = 0.5;
constexpr double kBurstRateGain = 12.0;
constexpr double kBurstFieldMinUv = 15.0, kBurstFieldMaxUv = 40.0;

// Stimulation.
constexpr double kPulseThresholdUa = 0.5;
constexpr double kArtefactUvPerUa = 200.0;  // at the stimulated electrode
constexpr double kArtefactSpreadUm = 60.0;
constexpr double kArtefactTauTicks = 5.0;   // 0.25 ms: gone within about 1 ms
constexpr double kResidualFloorUa = 1e-3;
// A field EPSP of about 1 mV: it, not the units, sets the slope. Fully
// potentiated on the stimulated electrode it can touch the 2000 uV range's limit.
constexpr double kEpMaxUv = 1000.0;
// Half the pathway recruited at 40 uA, most of it by 80 uA: an input-output
// run from 10 to 80 uA climbs the whole curve.
constexpr double kEpHalfCurrentUa = 40.0, kEpSlopeUa = 12.0;
constexpr double kEpSpreadUm = 180.0;  // neighbours 200 um away get about a third, 400 um none
constexpr double kEpMinWeight = 0.02;
constexpr double kEpJitter = 0.03;  // trace-to-trace spread of the response, relative
constexpr double kEpTauTicks = 100.0;  // alpha shape: peak 5 ms after onset, ~15 ms wide
constexpr double kLatencyMinMs = 2.0, kLatencyMaxMs = 3.0;
constexpr double kDepressionUse = 0.35;
constexpr double kDepressionRecoveryTicks = 8000.0;  // 400 ms
constexpr std::uint64_t kTetanicIsiTicks = 400;      // pulses 20 ms apart or closer
// Each pulse of a tetanic train raises the pathway's lasting gain by 2 %, up to
// +50 %: a train of 20 pulses at 100 Hz gives +38 %, one of 100 the full +50 %.
constexpr double kLtpPerTetanicPulse = 0.02, kMaxLtp = 0.5;
constexpr double kLtpTauTicks = 10.0 * kTicksPerSecond;  // expressed within about half a minute
constexpr double kEvokedSpikeMaxProbability = 0.5, kEvokedSpikeMinWeight = 0.15;
constexpr double kEvokedSpikeMinMs = 4.0, kEvokedSpikeMaxMs = 12.0;

std::uint64_t splitmix64(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

std::uint64_t msToTicks(double ms) { return static_cast<std::uint64_t>(ms * kTicksPerSecond / 1000.0); }
std::uint64_t sToTicks(double s) { return static_cast<std::uint64_t>(s * kTicksPerSecond); }

double distanceUm(int e1, int e2) {
    const double dr = (e1 / kGridSide) - (e2 / kGridSide);
    const double dc = (e1 % kGridSide) - (e2 % kGridSide);
    return kPitchUm * std::sqrt(dr * dr + dc * dc);
}

// Independent streams per purpose, so that e.g. a stimulus does not shift the noise.
Rng stream(std::uint64_t seed, std::uint64_t purpose) {
    std::uint64_t x = seed ^ (0xD1B54A32D192ED03ull * (purpose + 1));
    return Rng(splitmix64(x));
}

}  // namespace

int routedElectrode(std::uint32_t word, int output) {
    const std::uint32_t code = (word >> (5 * output)) & 31u;
    if (code >= 16 && code <= 23) return static_cast<int>(code) - 16;  // electrodes 1-8
    if (code >= 8 && code <= 15) return static_cast<int>(code);        // electrodes 9-16
    return -1;
}

Rng::Rng(std::uint64_t seed) {
    for (auto& s : s_) s = splitmix64(seed);
}

std::uint64_t Rng::next() {
    const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 45);
    return result;
}

double Rng::uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

double Rng::exponential(double mean) { return -mean * std::log(1.0 - uniform()); }

double Rng::normal() {
    const double u1 = 1.0 - uniform();
    const double u2 = uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(kTwoPi * u2);
}

Culture::Culture(std::uint64_t seed)
    : setupRng_(stream(seed, 0)),
      noiseRng_(stream(seed, 1)),
      unitRng_(stream(seed, 2)),
      stimRng_(stream(seed, 3)),
      burstRng_(stream(seed, 4)) {
    buildTissue();
}

void Culture::buildTissue() {
    // Gaussian noise by table look-up: per-sample Box-Muller would dominate the cost.
    const std::size_t tableSize = std::size_t{1} << kNormalTableBits;
    normalTable_.resize(tableSize);
    double sum = 0, sumSq = 0;
    for (auto& v : normalTable_) {
        v = static_cast<float>(setupRng_.normal());
        sum += v;
        sumSq += static_cast<double>(v) * v;
    }
    const double mean = sum / tableSize;
    const double sd = std::sqrt(sumSq / tableSize - mean * mean);
    for (auto& v : normalTable_) v = static_cast<float>((v - mean) / sd);

    humTable_.resize(2 * kHumPeriod);
    for (int i = 0; i < 2 * kHumPeriod; ++i) humTable_[i] = static_cast<float>(std::sin(kTwoPi * i / kHumPeriod));

    const double decay = std::exp(-1.0 / kBackgroundTauTicks);
    backgroundDecay_ = static_cast<float>(decay);
    for (int c = 0; c < kElectrodes; ++c) {
        noiseRms_[c] = static_cast<float>(setupRng_.uniform(kNoiseRmsMinUv, kNoiseRmsMaxUv));
        const double bgRms = setupRng_.uniform(kBackgroundRmsMinUv, kBackgroundRmsMaxUv);
        backgroundScale_[c] = static_cast<float>(bgRms * std::sqrt(1.0 - decay * decay));
        background_[c] = static_cast<float>(bgRms * setupRng_.normal());
        offsetUv_[c] = setupRng_.uniform(-kOffsetMaxUv, kOffsetMaxUv);
        driftUv_[c] = setupRng_.uniform(kDriftMinUv, kDriftMaxUv);
        driftPeriodTicks_[c] = setupRng_.uniform(kDriftPeriodMinS, kDriftPeriodMaxS) * kTicksPerSecond;
        driftPhase_[c] = setupRng_.uniform(0.0, kTwoPi);
        humUv_[c] = static_cast<float>(setupRng_.uniform(kHumMinUv, kHumMaxUv));
        humPhase_[c] = static_cast<int>(setupRng_.uniform() * kHumPeriod);
        burstParticipation_[c] = static_cast<float>(setupRng_.uniform(0.3, 1.0));
    }

    for (int c = 0; c < kElectrodes; ++c) {
        double pick = setupRng_.uniform();
        int count = 0;
        while (count < 3 && pick >= kUnitCountWeights[count]) pick -= kUnitCountWeights[count++];
        for (int i = 0; i < count; ++i) {
            Unit unit;
            unit.channel = c;
            unit.rateHz = std::exp(setupRng_.uniform(std::log(kRateMinHz), std::log(kRateMaxHz)));
            unit.refractoryTicks = msToTicks(setupRng_.uniform(kRefractoryMinMs, kRefractoryMaxMs));
            unit.templ = static_cast<int>(units_.size());
            const double meanGapTicks = kTicksPerSecond / (unit.rateHz * kBurstRateGain);
            unit.nextCandidate = static_cast<std::uint64_t>(unitRng_.exponential(meanGapTicks));
            units_.push_back(unit);

            // Negative-first extracellular waveform, about 1 ms from trough to the end of the rebound.
            const double amplitude = setupRng_.uniform(kSpikeMinUv, kSpikeMaxUv);
            const double sigma1 = setupRng_.uniform(0.10, 0.16);
            const double sigma2 = setupRng_.uniform(0.25, 0.35);
            const double lag = setupRng_.uniform(0.30, 0.45);
            const double rebound = setupRng_.uniform(0.25, 0.45);
            double shape[kSpikeTicks];
            double minimum = 0;
            for (int k = 0; k < kSpikeTicks; ++k) {
                const double t = k * 1000.0 / kTicksPerSecond;
                const double a = (t - kTroughMs) / sigma1;
                const double b = (t - kTroughMs - lag) / sigma2;
                shape[k] = -std::exp(-a * a) + rebound * std::exp(-b * b);
                minimum = std::min(minimum, shape[k]);
            }
            for (double v : shape) templates_.push_back(static_cast<float>(v / -minimum * amplitude));
        }
    }

    epShape_.resize(kEpTicks);
    for (int k = 0; k < kEpTicks; ++k) {
        const double x = k / kEpTauTicks;
        epShape_[k] = static_cast<float>(x * std::exp(1.0 - x));
    }

    for (int e = 0; e < kElectrodes; ++e) {
        Site& site = sites_[e];
        site.latencyTicks = setupRng_.uniform(kLatencyMinMs, kLatencyMaxMs) * kTicksPerSecond / 1000.0;
        for (int c = 0; c < kElectrodes; ++c) {
            const double d = distanceUm(e, c);
            const double w = std::exp(-(d / kEpSpreadUm) * (d / kEpSpreadUm));
            const double factor = setupRng_.uniform(0.7, 1.3);
            site.epGain[c] = w < kEpMinWeight ? 0.0f : static_cast<float>(w * factor);
            const double spread = d / kArtefactSpreadUm;
            site.artefactGain[c] =
                static_cast<float>(kArtefactUvPerUa / (1.0 + spread * spread) * setupRng_.uniform(0.8, 1.2));
        }
    }

    burstEnd_ = 0;
    scheduleBursts(0);
    pending_.reserve(kMaxPendingSpikes);
    waves_.reserve(kMaxWaves);
    changes_.resize(kMaxChanges);
}

void Culture::setLevels(std::uint64_t tick, double ao0, double ao1, std::uint32_t word) {
    tick = std::max(tick, cursor_);
    if (changeCount_ == kMaxChanges) {
        // Nobody has read for a very long time: fold the oldest change in early.
        const Change& oldest = changes_[changeHead_];
        std::copy(std::begin(oldest.volts), std::end(oldest.volts), levels_);
        word_ = oldest.word;
        changeHead_ = (changeHead_ + 1) % kMaxChanges;
        --changeCount_;
    }
    Change& change = changes_[(changeHead_ + changeCount_) % kMaxChanges];
    change.tick = tick;
    change.volts[0] = static_cast<float>(ao0);
    change.volts[1] = static_cast<float>(ao1);
    change.word = word;
    ++changeCount_;
}

void Culture::generate(std::uint64_t start, int scans, float* out) {
    if (start > cursor_) skipTo(start);
    int done = 0;
    while (done < scans) {
        const int n = std::min(kChunkTicks, scans - done);
        generateChunk(cursor_, n, out + static_cast<std::size_t>(done) * kElectrodes);
        cursor_ += n;
        done += n;
    }
}

void Culture::generateChunk(std::uint64_t a, int n, float* out) {
    addBackground(a, n, out);
    scheduleBursts(a);
    drawSpontaneousSpikes(a + n);
    runStimulus(a, a + n, out);
    addPendingSpikes(a, n, out);
    addWaves(a, n, out);
    addBurstField(a, n, out);
}

double Culture::offsetAt(int channel, std::uint64_t tick) const {
    return offsetUv_[channel] +
           driftUv_[channel] * std::sin(kTwoPi * static_cast<double>(tick) / driftPeriodTicks_[channel] +
                                        driftPhase_[channel]);
}

void Culture::addBackground(std::uint64_t a, int n, float* out) {
    float offset[kElectrodes], slope[kElectrodes];
    for (int c = 0; c < kElectrodes; ++c) {
        const double o0 = offsetAt(c, a);
        offset[c] = static_cast<float>(o0);
        slope[c] = static_cast<float>((offsetAt(c, a + n) - o0) / n);
    }
    int hum = static_cast<int>(a % kHumPeriod);
    for (int k = 0; k < n; ++k) {
        float* scan = out + static_cast<std::size_t>(k) * kElectrodes;
        for (int c = 0; c < kElectrodes; ++c) {
            const float bg = background_[c] * backgroundDecay_ + backgroundScale_[c] * normal();
            background_[c] = bg;
            scan[c] = offset[c] + slope[c] * static_cast<float>(k) + humUv_[c] * humTable_[hum + humPhase_[c]] +
                      noiseRms_[c] * normal() + bg;
        }
        if (++hum == kHumPeriod) hum = 0;
    }
}

void Culture::scheduleBursts(std::uint64_t tick) {
    while (burstEnd_ <= tick) {
        burstStart_ = burstEnd_ + sToTicks(kBurstMinIntervalS +
                                           burstRng_.exponential(kBurstMeanIntervalS - kBurstMinIntervalS));
        burstEnd_ = burstStart_ + sToTicks(burstRng_.uniform(kBurstMinS, kBurstMaxS));
        burstFieldUv_ = static_cast<float>(burstRng_.uniform(kBurstFieldMinUv, kBurstFieldMaxUv));
    }
}

void Culture::drawSpontaneousSpikes(std::uint64_t end) {
    // Thinning: candidates at the burst rate, accepted at the rate of the moment.
    for (Unit& unit : units_) {
        const double meanGapTicks = kTicksPerSecond / (unit.rateHz * kBurstRateGain);
        const double inBurstAccept =
            (1.0 + (kBurstRateGain - 1.0) * burstParticipation_[unit.channel]) / kBurstRateGain;
        while (unit.nextCandidate < end) {
            const std::uint64_t t = unit.nextCandidate;
            const bool inBurst = t >= burstStart_ && t < burstEnd_;
            const double accept = inBurst ? inBurstAccept : 1.0 / kBurstRateGain;
            const auto gap = static_cast<std::uint64_t>(unitRng_.exponential(meanGapTicks));
            if (unitRng_.uniform() < accept) {
                if (pending_.size() < kMaxPendingSpikes)
                    pending_.push_back({t, unit.channel, unit.templ, static_cast<float>(unitRng_.uniform(0.93, 1.07))});
                unit.nextCandidate = t + unit.refractoryTicks + gap;
            } else {
                unit.nextCandidate = t + 1 + gap;
            }
        }
    }
}

void Culture::runStimulus(std::uint64_t a, std::uint64_t b, float* out) {
    std::uint64_t pos = a;
    while (pos < b) {
        if (changeCount_ > 0 && changes_[changeHead_].tick <= pos) applyChangesAt(pos);
        const std::uint64_t next = changeCount_ > 0 ? std::min(b, changes_[changeHead_].tick) : b;
        if (out) {
            addArtefact(pos, next, a, out);
        } else {
            // Skipped span: only the residual's state matters afterwards.
            for (int o = 0; o < kOutputs; ++o) {
                const int e = routedElectrode(word_, o);
                const double current = e >= 0 ? levels_[o] / kVoltsPerMicroamp : 0.0;
                if (current != 0.0) {
                    residual_[o] = current;
                    residualElectrode_[o] = e;
                } else {
                    residual_[o] *= std::exp(-static_cast<double>(next - pos) / kArtefactTauTicks);
                }
            }
        }
        pos = next;
    }
}

void Culture::applyChangesAt(std::uint64_t tick) {
    while (changeCount_ > 0 && changes_[changeHead_].tick <= tick) {
        const Change& change = changes_[changeHead_];
        std::copy(std::begin(change.volts), std::end(change.volts), levels_);
        word_ = change.word;
        changeHead_ = (changeHead_ + 1) % kMaxChanges;
        --changeCount_;
    }
    for (int o = 0; o < kOutputs; ++o) {
        const int e = routedElectrode(word_, o);
        const double microamps = std::fabs(levels_[o] / kVoltsPerMicroamp);
        const bool on = e >= 0 && microamps > kPulseThresholdUa;
        if (on && (!active_[o] || activeElectrode_[o] != e)) onset(e, microamps, tick);
        active_[o] = on;
        activeElectrode_[o] = on ? e : -1;
    }
}

void Culture::addArtefact(std::uint64_t from, std::uint64_t to, std::uint64_t a, float* out) {
    const double decay = std::exp(-1.0 / kArtefactTauTicks);
    for (int o = 0; o < kOutputs; ++o) {
        const int e = routedElectrode(word_, o);
        const double current = e >= 0 ? levels_[o] / kVoltsPerMicroamp : 0.0;
        if (current != 0.0 && residualElectrode_[o] != e) {
            residual_[o] = 0.0;
            residualElectrode_[o] = e;
        }
        const int site = residualElectrode_[o];
        if (site < 0) continue;
        double r = residual_[o];
        if (current == 0.0 && std::fabs(r) < kResidualFloorUa) {
            residual_[o] = 0.0;
            continue;
        }
        // The direct part follows the current; the electrode's polarisation
        // (the residual) charges during the pulse and relaxes after it.
        const float* gain = sites_[site].artefactGain;
        for (std::uint64_t t = from; t < to; ++t) {
            r = r * decay + current * (1.0 - decay);
            const auto artefact = static_cast<float>(current + r);
            float* scan = out + (t - a) * kElectrodes;
            for (int c = 0; c < kElectrodes; ++c) scan[c] += gain[c] * artefact;
            if (current == 0.0 && std::fabs(r) < kResidualFloorUa) break;
        }
        residual_[o] = r;
    }
}

double Culture::drive(double microamps) {
    auto sigmoid = [](double i) { return 1.0 / (1.0 + std::exp(-(i - kEpHalfCurrentUa) / kEpSlopeUa)); };
    const double base = sigmoid(0.0);
    return std::max(0.0, (sigmoid(microamps) - base) / (1.0 - base));
}

void Culture::relaxPotentiation(Site& site, std::uint64_t tick) const {
    if (tick <= site.ltpTick) return;
    site.ltp += (site.target - site.ltp) * (1.0 - std::exp(-static_cast<double>(tick - site.ltpTick) / kLtpTauTicks));
    site.ltpTick = tick;
}

void Culture::onset(int electrode, double microamps, std::uint64_t tick) {
    Site& site = sites_[electrode];
    relaxPotentiation(site, tick);
    if (site.pulsed && tick - site.lastPulse <= kTetanicIsiTicks)
        site.target = std::min(kMaxLtp, site.target + kLtpPerTetanicPulse);
    site.pulsed = true;
    site.lastPulse = tick;

    const double recovered = 1.0 - (1.0 - site.resource) *
                                       std::exp(-static_cast<double>(tick - site.resourceTick) / kDepressionRecoveryTicks);
    site.resource = recovered * (1.0 - kDepressionUse);
    site.resourceTick = tick;

    const double d = drive(microamps);
    const double gain = d * recovered * (1.0 + site.ltp);
    if (gain > 1e-3 && waves_.size() < kMaxWaves) {
        Wave wave;
        wave.start = tick + static_cast<std::uint64_t>(site.latencyTicks + stimRng_.uniform(-4.0, 4.0));
        const double jitter = std::clamp(1.0 + kEpJitter * stimRng_.normal(), 0.85, 1.15);
        for (int c = 0; c < kElectrodes; ++c)
            wave.amp[c] = static_cast<float>(-kEpMaxUv * gain * site.epGain[c] * jitter);
        waves_.push_back(wave);
    }
    for (const Unit& unit : units_) {
        const double w = std::min(1.0, static_cast<double>(site.epGain[unit.channel]));
        if (w < kEvokedSpikeMinWeight) continue;
        // Driven by the synaptic response, so they depress and potentiate with it.
        const double p = std::min(0.95, kEvokedSpikeMaxProbability * gain * w);
        const std::uint64_t latency = msToTicks(stimRng_.uniform(kEvokedSpikeMinMs, kEvokedSpikeMaxMs));
        if (stimRng_.uniform() < p && pending_.size() < kMaxPendingSpikes)
            pending_.push_back({tick + latency, unit.channel, unit.templ, 1.0f});
    }
}

double Culture::potentiation(int electrode) const {
    if (electrode < 0 || electrode >= kElectrodes) return 0.0;
    Site site = sites_[electrode];
    relaxPotentiation(site, cursor_);
    return site.ltp;
}

void Culture::addPendingSpikes(std::uint64_t a, int n, float* out) {
    const std::uint64_t b = a + n;
    for (std::size_t i = 0; i < pending_.size();) {
        const PendingSpike& spike = pending_[i];
        if (spike.start < b) {
            const std::uint64_t from = std::max(a, spike.start);
            const std::uint64_t to = std::min(b, spike.start + kSpikeTicks);
            const float* shape = &templates_[static_cast<std::size_t>(spike.templ) * kSpikeTicks];
            for (std::uint64_t t = from; t < to; ++t)
                out[(t - a) * kElectrodes + spike.channel] += spike.scale * shape[t - spike.start];
        }
        if (spike.start + kSpikeTicks <= b) {
            pending_[i] = pending_.back();
            pending_.pop_back();
        } else {
            ++i;
        }
    }
}

void Culture::addWaves(std::uint64_t a, int n, float* out) {
    const std::uint64_t b = a + n;
    for (std::size_t i = 0; i < waves_.size();) {
        const Wave& wave = waves_[i];
        if (wave.start < b) {
            const std::uint64_t from = std::max(a, wave.start);
            const std::uint64_t to = std::min(b, wave.start + kEpTicks);
            for (std::uint64_t t = from; t < to; ++t) {
                const float shape = epShape_[t - wave.start];
                float* scan = out + (t - a) * kElectrodes;
                for (int c = 0; c < kElectrodes; ++c) scan[c] += wave.amp[c] * shape;
            }
        }
        if (wave.start + kEpTicks <= b) {
            waves_[i] = waves_.back();
            waves_.pop_back();
        } else {
            ++i;
        }
    }
}

void Culture::addBurstField(std::uint64_t a, int n, float* out) {
    const std::uint64_t b = a + n;
    if (burstStart_ >= b || burstEnd_ <= a) return;
    const std::uint64_t from = std::max(a, burstStart_);
    const std::uint64_t to = std::min(b, burstEnd_);
    const double length = static_cast<double>(burstEnd_ - burstStart_);
    for (std::uint64_t t = from; t < to; ++t) {
        const double s = std::sin(kPi * static_cast<double>(t - burstStart_) / length);
        const auto field = static_cast<float>(-burstFieldUv_ * s * s);
        float* scan = out + (t - a) * kElectrodes;
        for (int c = 0; c < kElectrodes; ++c) scan[c] += field * burstParticipation_[c];
    }
}

void Culture::skipTo(std::uint64_t tick) {
    runStimulus(cursor_, tick, nullptr);
    scheduleBursts(tick);
    for (Unit& unit : units_) {
        // Poisson firing has no memory: redraw from the end of the gap.
        if (unit.nextCandidate < tick) {
            const double meanGapTicks = kTicksPerSecond / (unit.rateHz * kBurstRateGain);
            unit.nextCandidate = tick + static_cast<std::uint64_t>(unitRng_.exponential(meanGapTicks));
        }
    }
    std::erase_if(pending_, [tick](const PendingSpike& s) { return s.start + kSpikeTicks <= tick; });
    std::erase_if(waves_, [tick](const Wave& w) { return w.start + kEpTicks <= tick; });
    cursor_ = tick;
}

}  // namespace sim
