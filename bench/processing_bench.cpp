// Throughput of the per-block signal processing. A block is 500 ms of sixteen
// channels; the "realtime" counter says how many blocks' worth of real time
// one block's processing takes (100 means one hundred times faster than real time).
#include <benchmark/benchmark.h>

#include <cmath>
#include <initializer_list>
#include <numbers>
#include <cstdint>
#include <random>
#include <vector>

#include "processing/detect_spike.h"
#include "processing/filter.h"

namespace {

constexpr int kChannels = 16;
constexpr int kScans = 10000;
constexpr int kValues = kChannels * kScans;
constexpr double kBlockSeconds = 0.5;

// Noise of about 10 uV RMS with a 60 uV negative spike every 20 ms per channel.
std::vector<double> noisyBlock() {
    std::vector<double> block(kValues);
    std::mt19937 rng(12345);
    std::normal_distribution<double> noise(0.0, 0.01);
    for (int n = 0; n < kScans; ++n) {
        for (int c = 0; c < kChannels; ++c) {
            double x = noise(rng);
            const int phase = (n + 37 * c) % 400;
            if (phase < 20) x -= 0.06 * std::sin(std::numbers::pi * phase / 20.0);
            block[n * kChannels + c] = x;
        }
    }
    return block;
}

void reportRealTime(benchmark::State& state) {
    state.counters["realtime"] = benchmark::Counter(
        kBlockSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void filterModes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"fc", "LPF", "HPF"});
    for (int fc : {1000, 2500, 5000, 10000}) b->Args({fc, 1, 0});
    for (int fc : {1000, 2500, 5000, 10000}) b->Args({fc, 1, 1});
    b->Args({1000, 0, 1});
    b->Args({1000, 0, 0});
    b->Unit(benchmark::kMillisecond);
}

Filter filterFor(const benchmark::State& state) {
    return Filter(static_cast<float>(state.range(0)), 1.0f, static_cast<std::int32_t>(state.range(1)),
                  static_cast<std::int32_t>(state.range(2)));
}

// One block through filterSyori, value by value. Arguments: low-pass cut-off
// (Hz), low-pass switch, high-pass switch.
void BM_FilterSyoriBlock(benchmark::State& state) {
    const std::vector<double> block = noisyBlock();
    Filter filter = filterFor(state);
    for (auto _ : state) {
        double sum = 0;
        for (int n = 0; n < kScans; ++n)
            for (int c = 0; c < kChannels; ++c) sum += filter.filterSyori(c, block[n * kChannels + c]);
        benchmark::DoNotOptimize(sum);
    }
    reportRealTime(state);
}
BENCHMARK(BM_FilterSyoriBlock)->Apply(filterModes);

// One block through filterScans, the sixteen channels side by side: what the
// pipelines use.
void BM_FilterScansBlock(benchmark::State& state) {
    const std::vector<double> source = noisyBlock();
    std::vector<double> block(source.size());
    Filter filter = filterFor(state);
    for (auto _ : state) {
        state.PauseTiming();
        block = source;
        state.ResumeTiming();
        filter.filterScans(block.data(), kScans);
        benchmark::DoNotOptimize(block.data());
    }
    reportRealTime(state);
}
BENCHMARK(BM_FilterScansBlock)->Apply(filterModes);

void BM_DetectSpikeBlock(benchmark::State& state) {
    const std::vector<double> block = noisyBlock();
    float threshP[kChannels], threshM[kChannels], post[kChannels];
    for (int c = 0; c < kChannels; ++c) {
        threshP[c] = 0.055f;
        threshM[c] = -0.045f;  // 4.5 SD of the noise: real spikes and a few noise crossings
        post[c] = 0.5f;
    }
    DetectSpike detector;
    for (auto _ : state) {
        detector.DetectSpikeBlock(block.data(), threshP, threshM, post);
        benchmark::DoNotOptimize(detector.timespikes);
    }
    int spikes = 0;
    for (int c = 0; c < kChannels; ++c) spikes += detector.timespikes[c];
    state.counters["spikes"] = spikes;
    reportRealTime(state);
}
BENCHMARK(BM_DetectSpikeBlock)->Unit(benchmark::kMicrosecond);

}  // namespace
