// The evoked-response measures of one trace: all sixteen channels, two
// responses (paired pulses 50 ms apart), every measure. The live path gathers
// the needed samples from a first block and measures them; the direct path
// reads the block in place. Target: at most 0.2 ms of CPU per trace.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "processing/evoked_trace.h"

namespace {

constexpr int kChannels = korin::kEvokedChannels;
constexpr int kScans = 10000;  // one 500 ms block

// 10 uV noise and an alpha-shaped response 2 ms after each pulse on every channel.
std::vector<double> firstBlock(const std::vector<double>& onsetsMs) {
    std::vector<double> block(kChannels * kScans);
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 0.01);
    for (int k = 0; k < kScans; ++k) {
        const double t = k / 20.0;
        for (int c = 0; c < kChannels; ++c) {
            double v = noise(rng);
            for (double onset : onsetsMs) {
                const double x = (t - onset - 2.0) / 3.0;
                if (x > 0) v -= (0.5 + 0.05 * c) * x * std::exp(1.0 - x);
            }
            block[kChannels * k + c] = v;
        }
    }
    return block;
}

korin::ResponseOnsets pairedPulses(double firstMs) {
    const korin::StimOnset onsets[] = {{firstMs, -40}, {firstMs + 50, -40}};
    return korin::selectResponses(onsets, 2);
}

// Arguments: the first onset (ms); 0 takes the baseline from the trace's last 10 ms.
void BM_MeasureTraceLive(benchmark::State& state) {
    const double firstMs = static_cast<double>(state.range(0));
    const std::vector<double> block = firstBlock({firstMs, firstMs + 50});
    const korin::ResponseOnsets responses = pairedPulses(firstMs);
    korin::EvokedTraceMeasurer measurer;
    korin::TraceMeasures out;
    for (auto _ : state) {
        measurer.beginTrace(responses, kScans);
        measurer.addBlock(block.data(), 0, kScans);
        measurer.measure(out);
        benchmark::DoNotOptimize(out.channel[kChannels - 1].ppr.maxSlope);
    }
}
BENCHMARK(BM_MeasureTraceLive)->ArgName("onset_ms")->Arg(10)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_MeasureTraceInPlace(benchmark::State& state) {
    const std::vector<double> block = firstBlock({10.0, 60.0});
    const korin::TracePlan plan = korin::planTrace(pairedPulses(10.0), kScans, {});
    korin::TraceMeasures out;
    for (auto _ : state) {
        for (int c = 0; c < kChannels; ++c)
            korin::measureChannel(korin::MvSamples{block.data() + c, kChannels, 0, kScans}, plan, out.channel[c]);
        benchmark::DoNotOptimize(out.channel[kChannels - 1].ppr.maxSlope);
    }
}
BENCHMARK(BM_MeasureTraceInPlace)->Unit(benchmark::kMicrosecond);

}  // namespace
