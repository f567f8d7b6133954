// CPU side of one live frame of the sixteen-channel view: every sample of all
// sixteen cells turned into clipped line vertices, the grids, numbers and the
// selection frame. A full ring at X-axis "500" is 16 x 50 000 samples; the
// panel is the default window's in layout "C" (1022 x 240, cells 122 x 112).
// Target: at most 10 ms per frame.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "display/sixteen_channel_frame.h"

namespace {

constexpr int kChannels = ChartSnapshot::kChannels;
constexpr int kLength = ChartSnapshot::kLength;
constexpr int kPanelWidth = 1022;
constexpr int kPanelHeight = 240;

// Noise of about 15 uV RMS, a slow 30 uV wave and a -150 uV spike every 50 ms,
// so at Y-axis "50" some segments leave the cell and are clipped.
struct Rings {
    Rings() : storage(kChannels, std::vector<double>(kLength)) {
        std::mt19937 rng(2022);
        std::normal_distribution<double> noise(0.0, 0.015);
        for (int c = 0; c < kChannels; ++c) {
            for (int i = 0; i < kLength; ++i) {
                double v = noise(rng) + 0.03 * std::sin(2.0 * std::numbers::pi * i / (4000.0 + 300.0 * c));
                if ((i + 97 * c) % 1000 < 10) v -= 0.15;
                storage[c][i] = v;
            }
            table[c] = storage[c].data();
        }
    }
    std::vector<std::vector<double>> storage;
    std::array<const double*, kChannels> table{};
};

void BM_LiveFrameVertices(benchmark::State& state) {
    static const Rings rings;
    SixteenChannelSettings settings;
    settings.UIType = "C";
    settings.RawXaxis = std::to_string(state.range(0));
    settings.Rawauto = state.range(1) != 0;
    const ViewColors colors;
    ChartSnapshot snap;
    snap.chAry = rings.table.data();
    snap.DrawChartMaxIndex = kLength;
    snap.ring = true;
    snap.tailA = 12345;
    snap.DrawTyuu = true;
    DrawList list;
    for (auto _ : state) {
        buildChartFrame(list, settings, colors, snap, kPanelWidth, kPanelHeight, true);
        benchmark::DoNotOptimize(list.vertices().data());
    }
    state.counters["vertices"] = static_cast<double>(list.vertices().size());
}
// Arguments: X-axis (ms per division), autoscale.
BENCHMARK(BM_LiveFrameVertices)->Args({500, 0})->Args({500, 1})->Args({100, 0})->Unit(benchmark::kMillisecond);

}  // namespace
