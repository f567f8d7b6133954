// Forward replay throughput: readData over a recording of noise with spikes,
// with the replay filter off and with both stages on. The "realtime" counter
// says how many seconds of recording are replayed per second (100 means one
// hundred times faster than real time).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "files/file_reader.h"
#include "tests/engine/file_reader_test_files.h"

namespace {

constexpr int kTraceBlocks = 40;  // 20 s, long enough to scroll every display buffer
constexpr double kBlockSeconds = 0.5;

// About 10 uV RMS of noise with a 60 uV negative spike every 20 ms per channel, in counts.
std::int16_t noisyCount(int n, int k, int j) {
    static thread_local std::mt19937 rng(12345);
    std::normal_distribution<double> noise(0.0, 0.01);
    double mv = noise(rng);
    const int phase = (k + 37 * j + 11 * n) % 400;
    if (phase < 20) mv -= 0.06 * std::sin(3.141592653589793 * phase / 20.0);
    return static_cast<std::int16_t>(mv / testfiles::kCf2000);
}

const std::string& recordingPath() {
    static testfiles::TempDir dir;
    static const std::string path = [] {
        testfiles::RecordingSpec plan;
        plan.durationMs = kTraceBlocks * 500.0;
        return dir.write("bench.pldat", testfiles::recording(plan, noisyCount).data);
    }();
    return path;
}

void replayForward(benchmark::State& state, bool filterOn) {
    FileReader reader;
    if (!reader.open(recordingPath()) || !reader.read()) {
        state.SkipWithError(reader.errorText().c_str());
        return;
    }
    float mthre[16], pthre[16], post[16];
    for (int c = 0; c < 16; ++c) {
        mthre[c] = -0.05f;
        pthre[c] = 0.05f;
        post[c] = 0.5f;
    }
    reader.Mthre = mthre;
    reader.Pthre = pthre;
    reader.Postthre = post;
    auto restart = [&] {
        reader.syokika();
        if (filterOn) reader.setFilter(2000.0f, 10.0f, 1, 1);
    };
    restart();
    for (auto _ : state) {
        if (reader.NowBlock >= reader.AllBlock) {
            state.PauseTiming();
            restart();
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(reader.readData());
    }
    state.counters["realtime"] = benchmark::Counter(kBlockSeconds * static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
}

void BM_ReadDataFilterOff(benchmark::State& state) { replayForward(state, false); }
void BM_ReadDataBothFilterStages(benchmark::State& state) { replayForward(state, true); }

}  // namespace

BENCHMARK(BM_ReadDataFilterOff)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadDataBothFilterStages)->Unit(benchmark::kMillisecond)->UseRealTime();
