// One 500 ms block through Kiroku on the free-running simulated device: the
// device read, scaling, both filter stages, the recording file, spike
// detection, bins, time stamps and both view rings. The budget is 10 ms per
// block on one core, 50 times real time; "x_realtime" is the factor achieved.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "acquisition/acquisition_ni.h"
#include "acquisition/sim_device.h"
#include "acquisition/timer.h"

namespace {

constexpr double kBlockSeconds = 0.5;
constexpr float kHighPassHz = 100.0f;
constexpr int kBlocksPerFile = 64;  // a fresh file now and then keeps the disk use small

void BM_KirokuBlockWithFileAndBothFilterStages(benchmark::State& state) {
    const auto lowPassHz = static_cast<float>(state.range(0));
    auto device = std::make_shared<SimulatedDevice>(SimulatedDevice::Options{7, false});
    auto acq = std::make_unique<AcquisitionNI>(device);
    acq->setInputRange(2000);
    if (acq->KidouNi() != 0) {
        state.SkipWithError("simulated device set-up failed");
        return;
    }
    acq->syokika();
    acq->setFilter(lowPassHz, kHighPassHz, 1, 1);
    float pthre[16] = {}, mthre[16], post[16], ep1[16], ep2[16];
    for (int c = 0; c < 16; ++c) {
        mthre[c] = -0.02f;
        post[c] = 0.5f;
        ep1[c] = 10.0f;
        ep2[c] = 80.0f;
    }
    acq->setThresh(pthre, mthre, post);
    acq->setEP(ep1, ep2);

    // A trace long enough never to end inside the benchmark.
    auto clock = std::make_shared<Timer>(1e6, 1, 1e6, 0);
    clock->setStartDateTime(2022, 1, 31, 9, 5, 3, 250);
    acq->timer = clock;
    acq->pldatExportOn = 1;
    const std::string path =
        (std::filesystem::temp_directory_path() / ("korin16_pipeline_bench_" + std::to_string(::getpid()))).string();
    auto reopen = [&] {
        acq->fileclose();
        std::error_code ignored;
        std::filesystem::remove(acq->file.path(), ignored);
        return acq->fileopen(path + ".pldat") == 0;
    };
    if (!reopen()) {
        state.SkipWithError("cannot create the recording file");
        return;
    }

    int blocksInFile = 0;
    for (auto _ : state) {
        if (acq->Kiroku(clock->getRemainingTime()) != 0) {
            state.SkipWithError("Kiroku failed");
            break;
        }
        clock->Plus500ms();
        clock->Plusblock();
        clock->PlusKeikaTime();
        if (++blocksInFile == kBlocksPerFile) {
            state.PauseTiming();
            blocksInFile = 0;
            if (!reopen()) state.SkipWithError("cannot create the recording file");
            state.ResumeTiming();
        }
    }
    acq->fileclose();
    std::error_code ignored;
    std::filesystem::remove(acq->file.path(), ignored);
    state.counters["x_realtime"] =
        benchmark::Counter(kBlockSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_KirokuBlockWithFileAndBothFilterStages)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);
