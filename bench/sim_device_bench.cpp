// Cost of the simulated "Dev1": one 500 ms block is ten reads of 1000 scans
// of sixteen channels, and must take a few milliseconds at most.
#include "acquisition/sim_device.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace daqmx;

namespace {

constexpr int kReadsPerBlock = 10;
constexpr int kScansPerRead = 1000;
constexpr int kValuesPerRead = kScansPerRead * SimulatedDevice::kInputs;

TaskHandle openInput(SimulatedDevice& dev) {
    TaskHandle task = nullptr;
    dev.DAQmxCreateTask("", &task);
    dev.DAQmxCreateAIVoltageChan(task, "Dev1/ai0:7,Dev1/ai16:23", "Voltage", DAQmx_Val_Diff, -0.2, 0.2,
                                 DAQmx_Val_Volts, nullptr);
    dev.DAQmxCfgSampClkTiming(task, "OnboardClock", 20000.0, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 2'560'000);
    return task;
}

void readBlocks(benchmark::State& state, SimulatedDevice& dev, TaskHandle input) {
    std::vector<double> data(kValuesPerRead);
    for (auto _ : state) {
        for (int r = 0; r < kReadsPerBlock; ++r) {
            int32 read = 0;
            if (dev.DAQmxReadAnalogF64(input, kScansPerRead, 20.0, DAQmx_Val_GroupByScanNumber, data.data(),
                                       kValuesPerRead, &read, nullptr) != 0)
                state.SkipWithError("read failed");
        }
        benchmark::DoNotOptimize(data.data());
    }
    state.SetItemsProcessed(state.iterations() * kReadsPerBlock * kScansPerRead);
}

void BM_SimDeviceBlock(benchmark::State& state) {
    SimulatedDevice dev({1, false});
    readBlocks(state, dev, openInput(dev));
}
BENCHMARK(BM_SimDeviceBlock)->Unit(benchmark::kMillisecond);

// The same with a 100 Hz train of 50 µA pulses routed to electrode 6:
// artefacts, evoked potentials and evoked spikes on top of the background.
void BM_SimDeviceBlockWithStimulation(benchmark::State& state) {
    SimulatedDevice dev({1, false});
    TaskHandle lines = nullptr;
    dev.DAQmxCreateTask("", &lines);
    dev.DAQmxCreateDOChan(lines, "Dev1/port0/line0:9", "", DAQmx_Val_ChanForAllLines);
    const uInt32 word = 24 * 32 + 21;
    dev.DAQmxWriteDigitalU32(lines, 1, 1, 10.0, DAQmx_Val_GroupByChannel, &word, nullptr, nullptr);

    constexpr int kPatternScans = 200;  // 10 ms
    std::vector<double> pattern(kPatternScans * 2, 0.0);
    for (int k = 0; k < 8; ++k) pattern[k * 2] = k < 4 ? -2.0 : 2.0;
    TaskHandle output = nullptr;
    dev.DAQmxCreateTask("", &output);
    dev.DAQmxCreateAOVoltageChan(output, "Dev1/ao0:1", "", -4.0, 4.0, DAQmx_Val_Volts, nullptr);
    dev.DAQmxCfgSampClkTiming(output, "OnboardClock", 20000.0, DAQmx_Val_Rising, DAQmx_Val_ContSamps,
                              2 * kPatternScans);
    dev.DAQmxWriteAnalogF64(output, kPatternScans, 0, 20.0, DAQmx_Val_GroupByScanNumber, pattern.data(), nullptr,
                            nullptr);
    TaskHandle input = openInput(dev);
    dev.DAQmxStartTask(input);
    dev.DAQmxStartTask(output);
    readBlocks(state, dev, input);
}
BENCHMARK(BM_SimDeviceBlockWithStimulation)->Unit(benchmark::kMillisecond);

}  // namespace
