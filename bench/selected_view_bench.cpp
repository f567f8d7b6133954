// CPU side of one frame of the selected-channel plots: the upper raw trace with
// a full 200 000-sample history (10 s, every sample a clipped segment) and the
// lower analyses of a two-hour run, vertices built into the frame the OpenGL
// side submits. The panel is the default window's plot (516 x 258).
// Target: at most 5 ms per frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "display/selected_frames.h"

namespace {

constexpr int kW = 516;
constexpr int kH = 258;
constexpr int kHistory = SelectedSnapshot::kHistoryLength;
constexpr int kBins = 7200;        // two hours of one-second bins
constexpr int kStamps = 100'000;   // about 14 spikes per second
constexpr int kEntries = 720;      // one trace every 10 s

struct Data {
    Data() : history(kHistory), counts(korin::kMaxBins), ends(korin::kMaxBins), stamps(kStamps),
             amplitudes(korin::kMaxEPEntries), times(korin::kMaxEPEntries) {
        std::mt19937 rng(2022);
        std::normal_distribution<double> noise(0.0, 0.015);
        for (int i = 0; i < kHistory; ++i) {
            double v = noise(rng) + 0.03 * std::sin(2.0 * std::numbers::pi * i / 4000.0);
            if (i % 1000 < 10) v -= 0.15;
            history[i] = v;
        }
        std::poisson_distribution<int> rate(14);
        for (int i = 0; i < kBins; ++i) {
            counts[i] = static_cast<std::int16_t>(rate(rng));
            ends[i] = 1000.0 * (i + 1);
        }
        std::int32_t t = 0;
        std::exponential_distribution<double> gap(14.0 / 20000.0);
        for (int i = 0; i < kStamps; ++i) stamps[i] = t += 1 + static_cast<std::int32_t>(gap(rng));
        for (int i = 0; i < kEntries; ++i) {
            amplitudes[i] = static_cast<std::int16_t>(-3000 - 10 * (i % 50));
            times[i] = 10000.0 * i;
        }
    }
    SelectedSnapshot snapshot() const {
        SelectedSnapshot s;
        s.DrawTyuu = true;
        s.history = history.data();
        s.DrawSelectChMaxIndex = kHistory;
        s.ring = true;
        s.tail = 12345;
        s.timeInTraceSec = 12.0;
        s.binCounts = counts.data();
        s.binEndMs = ends.data();
        s.spikeIndex = kBins;
        s.stamps = stamps.data();
        s.stampCount = kStamps;
        s.epAmplitudes = amplitudes.data();
        s.epTimesMs = times.data();
        s.EpIndex = kEntries;
        s.scale = korin::CountScale::live(16384.0);
        s.stepsPerCycle = 2;
        return s;
    }
    std::vector<double> history;
    std::vector<std::int16_t> counts;
    std::vector<double> ends;
    std::vector<std::int32_t> stamps;
    std::vector<std::int16_t> amplitudes;
    std::vector<double> times;
};

const Data& data() {
    static const Data d;
    return d;
}

void BM_SelectedRawFrame(benchmark::State& state) {
    const SelectedSnapshot s = data().snapshot();
    const ViewColors colors;
    const bool autoscale = state.range(0) != 0;
    DrawList list;
    for (auto _ : state) {
        PlotRange range{2.0, 12.0, -100.0, 100.0};
        if (autoscale) {
            const YLimits l = rawAutoscale(s, 1000);
            range.yMax = l.max;
            range.yMin = l.min;
        }
        buildSelectChFrame(list, colors, s, range, {}, kW, kH);
        benchmark::DoNotOptimize(list.vertices().data());
    }
    state.counters["vertices"] = static_cast<double>(list.vertices().size());
}
// Argument: Y autoscale over the whole history.
BENCHMARK(BM_SelectedRawFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SelectedAnalysisFrame(benchmark::State& state) {
    const SelectedSnapshot s = data().snapshot();
    const ViewColors colors;
    AnalysisState st;
    st.Mode = static_cast<AnalysisMode>(state.range(0));
    st.hyouziStep = -1;
    const PlotRange range{0.0, 7200.0, 0.0, 40.0};
    DrawList list;
    for (auto _ : state) {
        PlotRange r = range;
        const AnalysisX xr = analysisX(r, st.EpXScale, kW, false);
        switch (st.Mode) {
        case AnalysisMode::Spike: r.yMax = getFreqYAutoScaleMax(s, xr); break;
        case AnalysisMode::ISI: r.yMax = getISIYAutoScaleMax(s, xr); break;
        case AnalysisMode::EP:
            r.yMax = getEPYAutoScaleMax(s, st.EpYScale);
            r.yMin = getEPYAutoScaleMin(s, st.EpYScale);
            break;
        case AnalysisMode::Slope: break;  // drawn from a measures table, not this snapshot
        }
        buildAnalysisFrame(list, colors, s, r, st, kW, kH);
        benchmark::DoNotOptimize(list.vertices().data());
    }
    state.counters["vertices"] = static_cast<double>(list.vertices().size());
}
// Argument: Mode (0 spike rate, 1 EP, 2 ISI), each with its autoscale.
BENCHMARK(BM_SelectedAnalysisFrame)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
