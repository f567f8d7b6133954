// Throughput of the per-block signal processing. A block is 500 ms of sixteen
// channels; the "realtime" counter says how many blocks' worth of real time
// one block's processing takes (100 means one hundred times faster than real time).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

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

// Arguments: low-pass cut-off (Hz), low-pass switch, high-pass switch.
void BM_FilterBlock(benchmark::State& state) {
    const std::vector<double> block = noisyBlock();
    Filter filter(static_cast<float>(state.range(0)), 1.0f, static_cast<std::int32_t>(state.range(1)),
                  static_cast<std::int32_t>(state.range(2)));
    for (auto _ : state) {
        double sum = 0;
        for (int n = 0; n < kScans; ++n)
            for (int c = 0; c < kChannels; ++c) sum += filter.filterSyori(c, block[n * kChannels + c]);
        benchmark::DoNotOptimize(sum);
    }
    reportRealTime(state);
}
BENCHMARK(BM_FilterBlock)
    ->ArgNames({"fc", "LPF", "HPF"})
    ->Args({1000, 0, 1})
    ->Args({1000, 1, 0})
    ->Args({2500, 1, 0})
    ->Args({5000, 1, 0})
    ->Args({10000, 1, 0})
    ->Args({1000, 1, 1})
    ->Args({2500, 1, 1})
    ->Args({5000, 1, 1})
    ->Args({10000, 1, 1})
    ->Args({5000, 0, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace
