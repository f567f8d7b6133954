#include "acquisition/sim_device.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

using namespace daqmx;

namespace {

constexpr const char* kInputChannels = "Dev1/ai0:7,Dev1/ai16:23";
constexpr double kRange = 0.2;                 // input range "2000" at the device
constexpr double kLsb = 2 * kRange / 65536.0;  // one count of the 16-bit converter
constexpr uInt64 kBufferScans = 2'560'000;
constexpr int kScans = 1000;
constexpr int kChannels = 16;
constexpr double kUvPerDeviceVolt = 1e4;  // 1e6 µV per V over the gain of 100

SimulatedDevice::Options freeRunning(std::uint64_t seed = 1) { return {seed, false}; }

TaskHandle openInput(SimulatedDevice& dev, const char* channels = kInputChannels, double range = kRange,
                     uInt64 buffer = kBufferScans) {
    TaskHandle task = nullptr;
    EXPECT_EQ(dev.DAQmxCreateTask("", &task), 0);
    EXPECT_EQ(dev.DAQmxCreateAIVoltageChan(task, channels, "Voltage", DAQmx_Val_Diff, -range, range, DAQmx_Val_Volts,
                                           nullptr),
              0);
    EXPECT_EQ(dev.DAQmxCfgSampClkTiming(task, "OnboardClock", 20000.0, DAQmx_Val_Rising, DAQmx_Val_ContSamps, buffer),
              0);
    return task;
}

int32 readScans(SimulatedDevice& dev, TaskHandle task, std::vector<double>& out, int scans = kScans,
                int channels = kChannels) {
    out.assign(static_cast<std::size_t>(scans) * channels, std::nan(""));
    int32 read = 0;
    return dev.DAQmxReadAnalogF64(task, scans, 20.0, DAQmx_Val_GroupByScanNumber, out.data(),
                                  static_cast<uInt32>(out.size()), &read, nullptr);
}

std::string errorText(SimulatedDevice& dev) {
    char text[kExtendedErrorBufferSize] = {};
    dev.DAQmxGetExtendedErrorInfo(text, sizeof text);
    return text;
}

// Routing word for electrode 1..16 on S1 (S2 unrouted), as the router expects it.
std::uint32_t routeS1(int electrode) {
    const std::uint32_t code = electrode <= 8 ? 15 + electrode : electrode - 1;
    return 24 * 32 + code;
}

void route(SimulatedDevice& dev, std::uint32_t word) {
    TaskHandle lines = nullptr;
    ASSERT_EQ(dev.DAQmxCreateTask("", &lines), 0);
    ASSERT_EQ(dev.DAQmxCreateDOChan(lines, "Dev1/port0/line0:9", "", DAQmx_Val_ChanForAllLines), 0);
    ASSERT_EQ(dev.DAQmxStartTask(lines), 0);
    ASSERT_EQ(dev.DAQmxWriteDigitalU32(lines, 1, 1, 10.0, DAQmx_Val_GroupByChannel, &word, nullptr, nullptr), 0);
    ASSERT_EQ(dev.DAQmxClearTask(lines), 0);
}

TaskHandle openOutput(SimulatedDevice& dev, int32 mode, uInt64 samples, const std::vector<double>& interleaved) {
    TaskHandle task = nullptr;
    EXPECT_EQ(dev.DAQmxCreateTask("", &task), 0);
    EXPECT_EQ(dev.DAQmxCreateAOVoltageChan(task, "Dev1/ao0:1", "", -4.0, 4.0, DAQmx_Val_Volts, nullptr), 0);
    EXPECT_EQ(dev.DAQmxCfgSampClkTiming(task, "OnboardClock", 20000.0, DAQmx_Val_Rising, mode, samples), 0);
    int32 written = 0;
    EXPECT_EQ(dev.DAQmxWriteAnalogF64(task, static_cast<int32>(interleaved.size() / 2), 0, 20.0,
                                      DAQmx_Val_GroupByScanNumber, interleaved.data(), &written, nullptr),
              0);
    return task;
}

// Biphasic pulses on S1 (0.04 V per µA): 200 µs cathodic, 200 µs anodic.
std::vector<double> pulsePattern(int scans, const std::vector<int>& starts, double microamps) {
    std::vector<double> pattern(static_cast<std::size_t>(scans) * 2, 0.0);
    for (int start : starts)
        for (int k = 0; k < 8; ++k) pattern[static_cast<std::size_t>(start + k) * 2] = (k < 4 ? -1 : 1) * microamps * 0.04;
    return pattern;
}

// Starts input and a finite output together, as a trace start does, and
// returns `reads` x 1000 scans in µV at the electrode.
std::vector<double> stimulate(SimulatedDevice& dev, std::uint32_t word, const std::vector<double>& pattern,
                              int reads = 3) {
    route(dev, word);
    TaskHandle input = openInput(dev);
    TaskHandle output = openOutput(dev, DAQmx_Val_FiniteSamps, pattern.size() / 2, pattern);
    EXPECT_EQ(dev.DAQmxStartTask(input), 0);
    EXPECT_EQ(dev.DAQmxStartTask(output), 0);
    std::vector<double> all, block;
    for (int r = 0; r < reads; ++r) {
        EXPECT_EQ(readScans(dev, input, block), 0);
        all.insert(all.end(), block.begin(), block.end());
    }
    dev.DAQmxClearTask(output);
    dev.DAQmxClearTask(input);
    for (double& v : all) v *= kUvPerDeviceVolt;
    return all;
}

double meanOf(const std::vector<double>& uv, int channel, int fromScan, int toScan) {
    double sum = 0;
    for (int k = fromScan; k < toScan; ++k) sum += uv[static_cast<std::size_t>(k) * kChannels + channel];
    return sum / (toScan - fromScan);
}

// Field potential 5-20 ms after a pulse at `pulseScan`, against the 20 ms before it.
double evokedUv(const std::vector<double>& uv, int channel, int pulseScan) {
    return meanOf(uv, channel, pulseScan + 100, pulseScan + 400) - meanOf(uv, channel, pulseScan - 400, pulseScan);
}

constexpr int kPulseScan = 400;
constexpr int kStimElectrode = 6;                  // row 2, column 2 of the grid
constexpr int kNeighbours[] = {1, 4, 6, 9};        // indices of electrodes 2, 5, 7, 10: 200 µm away
constexpr int kFarChannels[] = {3, 12, 15};        // electrodes 4, 13, 16: 447-566 µm away

}  // namespace

// ---------------------------------------------------------------- channels and conversion

TEST(SimDeviceChannels, ScanOrderIsAi0To7ThenAi16To23) {
    SimulatedDevice dev(freeRunning());
    dev.setCultureEnabled(false);
    for (int c = 0; c < kChannels; ++c) dev.setTestLevel(c, (c + 1) * 256 * kLsb);
    TaskHandle task = openInput(dev);
    std::vector<double> data;
    ASSERT_EQ(readScans(dev, task, data), 0);
    for (int c = 0; c < kChannels; ++c) {
        EXPECT_EQ(data[c], (c + 1) * 256 * kLsb) << "channel " << c;
        EXPECT_EQ(data[999 * kChannels + c], (c + 1) * 256 * kLsb) << "channel " << c;
    }
}

TEST(SimDeviceChannels, SingleInputAi17IsElectrode10) {
    SimulatedDevice dev(freeRunning());
    dev.setCultureEnabled(false);
    dev.setTestLevel(9, 0.05);
    TaskHandle task = openInput(dev, "Dev1/ai17");
    std::vector<double> data;
    ASSERT_EQ(readScans(dev, task, data, kScans, 1), 0);
    EXPECT_EQ(data[0], 0.05);
    EXPECT_EQ(data[999], 0.05);
}

TEST(SimDeviceChannels, ListOrderSetsScanOrder) {
    SimulatedDevice dev(freeRunning());
    dev.setCultureEnabled(false);
    dev.setTestLevel(8, 0.1);  // ai16
    TaskHandle task = openInput(dev, "Dev1/ai16:23,Dev1/ai0:7");
    std::vector<double> data;
    ASSERT_EQ(readScans(dev, task, data), 0);
    EXPECT_EQ(data[0], 0.1);
    EXPECT_EQ(data[8], 0.0);
}

TEST(SimDeviceChannels, UnknownPhysicalChannelsFail) {
    SimulatedDevice dev(freeRunning());
    TaskHandle task = nullptr;
    ASSERT_EQ(dev.DAQmxCreateTask("", &task), 0);
    for (const char* name : {"Dev1/ai8", "Dev1/ai0:8", "Dev1/ai24", "Dev1/ai0:7,", "ai0", "", "Dev1/ai"}) {
        EXPECT_EQ(dev.DAQmxCreateAIVoltageChan(task, name, "", DAQmx_Val_Diff, -kRange, kRange, DAQmx_Val_Volts,
                                               nullptr),
                  DAQmxErrorPhysicalChanDoesNotExist)
            << name;
        EXPECT_NE(errorText(dev).find("Physical channel"), std::string::npos) << name;
    }
    EXPECT_EQ(dev.DAQmxCreateAIVoltageChan(task, "Dev2/ai0", "", DAQmx_Val_Diff, -kRange, kRange, DAQmx_Val_Volts,
                                           nullptr),
              DAQmxErrorDeviceNotFound);
    TaskHandle out = nullptr, lines = nullptr;
    ASSERT_EQ(dev.DAQmxCreateTask("", &out), 0);
    EXPECT_EQ(dev.DAQmxCreateAOVoltageChan(out, "Dev1/ao2", "", -4, 4, DAQmx_Val_Volts, nullptr),
              DAQmxErrorPhysicalChanDoesNotExist);
    ASSERT_EQ(dev.DAQmxCreateTask("", &lines), 0);
    EXPECT_EQ(dev.DAQmxCreateDOChan(lines, "Dev1/port0/line0:10", "", DAQmx_Val_ChanForAllLines),
              DAQmxErrorPhysicalChanDoesNotExist);
    EXPECT_EQ(dev.DAQmxCreateDOChan(lines, "Dev1/port1/line0:9", "", DAQmx_Val_ChanForAllLines),
              DAQmxErrorPhysicalChanDoesNotExist);
}

TEST(SimDeviceChannels, PresenceProbeOnAi0Succeeds) {
    SimulatedDevice dev(freeRunning());
    TaskHandle task = nullptr;
    ASSERT_EQ(dev.DAQmxCreateTask("", &task), 0);
    EXPECT_EQ(dev.DAQmxCreateAIVoltageChan(task, "Dev1/ai0", "", DAQmx_Val_Diff, -kRange, kRange, DAQmx_Val_Volts,
                                           nullptr),
              0);
    EXPECT_EQ(dev.DAQmxClearTask(task), 0);
}

TEST(SimDeviceChannels, OutputLimitsBeyondFourVoltsAreRejected) {
    SimulatedDevice dev(freeRunning());
    TaskHandle task = nullptr;
    ASSERT_EQ(dev.DAQmxCreateTask("", &task), 0);
    EXPECT_EQ(dev.DAQmxCreateAOVoltageChan(task, "Dev1/ao0:1", "", -5.0, 5.0, DAQmx_Val_Volts, nullptr),
              DAQmxErrorInvalidAttributeValue);
    ASSERT_EQ(dev.DAQmxCreateAOVoltageChan(task, "Dev1/ao0:1", "", -4.0, 4.0, DAQmx_Val_Volts, nullptr), 0);
    ASSERT_EQ(dev.DAQmxCfgSampClkTiming(task, "OnboardClock", 20000.0, DAQmx_Val_Rising, DAQmx_Val_FiniteSamps, 2), 0);
    const double tooHigh[] = {4.01, 0.0, 0.0, 0.0};
    EXPECT_EQ(dev.DAQmxWriteAnalogF64(task, 2, 0, 20.0, DAQmx_Val_GroupByScanNumber, tooHigh, nullptr, nullptr),
              SimulatedDevice::kErrorOutputValueOutOfRange);
}

TEST(SimDeviceConversion, ValuesAreQuantisedTo16BitsOfTheRange) {
    SimulatedDevice dev(freeRunning());
    dev.setCultureEnabled(false);
    dev.setTestLevel(0, 0.05);
    dev.setTestLevel(1, 0.05 + 0.4 * kLsb);
    dev.setTestLevel(2, 0.05 + 0.6 * kLsb);
    TaskHandle task = openInput(dev);
    std::vector<double> data;
    ASSERT_EQ(readScans(dev, task, data), 0);
    EXPECT_EQ(data[0], 0.05);
    EXPECT_EQ(data[1], 0.05);
    EXPECT_DOUBLE_EQ(data[2], 0.05 + kLsb);
}

TEST(SimDeviceConversion, ClipsAtTheConfiguredRange) {
    SimulatedDevice dev(freeRunning());
    dev.setCultureEnabled(false);
    dev.setTestLevel(0, 0.3);
    dev.setTestLevel(1, -0.3);
    TaskHandle narrow = openInput(dev);
    std::vector<double> data;
    ASSERT_EQ(readScans(dev, narrow, data), 0);
    EXPECT_EQ(data[0], kRange - kLsb);  // code +32767
    EXPECT_EQ(data[1], -kRange);        // code -32768
    ASSERT_EQ(dev.DAQmxClearTask(narrow), 0);

    TaskHandle wide = openInput(dev, kInputChannels, 1.0);
    ASSERT_EQ(readScans(dev, wide, data), 0);
    EXPECT_NEAR(data[0], 0.3, 1.0 / 32768);
    dev.setTestLevel(0, 1.5);
    ASSERT_EQ(readScans(dev, wide, data), 0);
    EXPECT_EQ(data[0], 1.0 - 2.0 / 65536);
}

TEST(SimDeviceConversion, CultureSignalIsPlausibleAtTheElectrode) {
    SimulatedDevice dev(freeRunning(3));
    TaskHandle task = openInput(dev);
    std::vector<double> data;
    ASSERT_EQ(readScans(dev, task, data), 0);
    for (int c = 0; c < kChannels; ++c) {
        std::vector<double> uv;
        for (int k = 0; k < kScans; ++k) uv.push_back(data[k * kChannels + c] * kUvPerDeviceVolt);
        const double mean = std::accumulate(uv.begin(), uv.end(), 0.0) / kScans;
        double var = 0;
        for (double v : uv) var += (v - mean) * (v - mean);
        EXPECT_LT(std::fabs(mean), 150.0) << "DC offset of channel " << c;
        EXPECT_GT(std::sqrt(var / kScans), 1.0) << "noise of channel " << c;
        EXPECT_LT(std::sqrt(var / kScans), 40.0) << "noise of channel " << c;
    }
}

// ---------------------------------------------------------------- timing

TEST(SimDeviceTiming, RealTimeReadWaitsForTheClock) {
    SimulatedDevice dev({1, true});
    TaskHandle task = openInput(dev);
    std::vector<double> data;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(readScans(dev, task, data), 0);
    ASSERT_EQ(readScans(dev, task, data), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));  // 2 x 50 ms of scans
}

TEST(SimDeviceTiming, FreeRunningReadsDoNotWait) {
    SimulatedDevice dev(freeRunning());
    TaskHandle task = openInput(dev);
    std::vector<double> data;
    const auto start = std::chrono::steady_clock::now();
    for (int r = 0; r < 200; ++r) ASSERT_EQ(readScans(dev, task, data), 0);  // 10 s of device time
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(dev.deviceTick(), 200'000u);
}

TEST(SimDeviceTiming, FirstReadStartsAConfiguredTask) {
    SimulatedDevice dev(freeRunning());
    TaskHandle task = openInput(dev);
    EXPECT_EQ(dev.inputScanPosition(), -1);
    std::vector<double> data;
    ASSERT_EQ(readScans(dev, task, data), 0);
    EXPECT_EQ(dev.inputScanPosition(), 1000);
    EXPECT_EQ(dev.DAQmxStartTask(task), SimulatedDevice::kErrorTaskRunning);
}

TEST(SimDeviceTiming, RestartDeliversSamplesFromTheRestartOn) {
    SimulatedDevice dev(freeRunning());
    dev.setCultureEnabled(false);
    dev.setTestSignal(0, [](std::uint64_t tick) { return static_cast<double>(tick % 30000) * kLsb; });
    TaskHandle task = openInput(dev);
    std::vector<double> data;
    ASSERT_EQ(readScans(dev, task, data), 0);
    EXPECT_EQ(data[0], 0.0);
    EXPECT_EQ(data[999 * kChannels], 999 * kLsb);

    dev.advanceClock(500);  // scans 1000..1499 are produced but never read
    ASSERT_EQ(dev.DAQmxStopTask(task), 0);
    ASSERT_EQ(dev.DAQmxStartTask(task), 0);
    EXPECT_EQ(dev.inputScanPosition(), 0);
    ASSERT_EQ(readScans(dev, task, data), 0);
    EXPECT_EQ(data[0], 1500 * kLsb);
}

TEST(SimDeviceTiming, ReaderOneScanPastTheBufferGetsSamplesNoLongerAvailable) {
    SimulatedDevice dev(freeRunning());
    TaskHandle task = openInput(dev);
    std::vector<double> data;
    ASSERT_EQ(readScans(dev, task, data), 0);
    dev.advanceClock(kBufferScans);  // exactly one buffer behind: still there
    ASSERT_EQ(readScans(dev, task, data), 0);
    dev.advanceClock(kScans + 1);
    EXPECT_EQ(readScans(dev, task, data), DAQmxErrorSamplesNoLongerAvailable);
    EXPECT_NE(errorText(dev).find("no longer available"), std::string::npos);
}

TEST(SimDeviceTiming, RealTimeReaderBehindTheBufferGetsSamplesNoLongerAvailable) {
    SimulatedDevice dev({1, true});
    TaskHandle task = openInput(dev, kInputChannels, kRange, 2000);  // 100 ms buffer
    std::vector<double> data;
    ASSERT_EQ(readScans(dev, task, data), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(160));
    EXPECT_EQ(readScans(dev, task, data), DAQmxErrorSamplesNoLongerAvailable);
}

TEST(SimDeviceTiming, RealTimeReadGivesUpAtItsTimeout) {
    SimulatedDevice dev({1, true});
    TaskHandle task = openInput(dev);
    std::vector<double> data(kScans * kChannels);
    int32 read = -1;
    EXPECT_EQ(dev.DAQmxReadAnalogF64(task, kScans, 0.01, DAQmx_Val_GroupByScanNumber, data.data(),
                                     static_cast<uInt32>(data.size()), &read, nullptr),
              DAQmxErrorReadTimeout);
    EXPECT_EQ(read, 0);
}

TEST(SimDeviceTiming, ReadIntoTooSmallArrayFails) {
    SimulatedDevice dev(freeRunning());
    TaskHandle task = openInput(dev);
    std::vector<double> data(15'999);
    int32 read = -1;
    EXPECT_EQ(dev.DAQmxReadAnalogF64(task, kScans, 20.0, DAQmx_Val_GroupByScanNumber, data.data(), 15'999, &read,
                                     nullptr),
              SimulatedDevice::kErrorReadBufferTooSmall);
    EXPECT_EQ(read, 0);
}

TEST(SimDeviceTiming, SameSeedAndCallsGiveIdenticalData) {
    auto record = [](std::uint64_t seed) {
        SimulatedDevice dev(freeRunning(seed));
        auto stim = stimulate(dev, routeS1(kStimElectrode), pulsePattern(2000, {kPulseScan}, 50.0));
        TaskHandle task = openInput(dev);
        std::vector<double> data;
        for (int r = 0; r < 5; ++r) {
            EXPECT_EQ(readScans(dev, task, data), 0);
            stim.insert(stim.end(), data.begin(), data.end());
        }
        return stim;
    };
    EXPECT_EQ(record(42), record(42));
    EXPECT_NE(record(42), record(43));
}

// ---------------------------------------------------------------- outputs

TEST(SimDeviceOutput, FiniteOutputPlaysOnceFromTheInputScanAtItsStart) {
    SimulatedDevice dev(freeRunning());
    TaskHandle input = openInput(dev);
    std::vector<double> data;
    ASSERT_EQ(readScans(dev, input, data), 0);
    const auto pattern = pulsePattern(300, {10}, 25.0);
    TaskHandle output = openOutput(dev, DAQmx_Val_FiniteSamps, 300, pattern);
    ASSERT_EQ(dev.DAQmxStartTask(output), 0);
    ASSERT_EQ(readScans(dev, input, data), 0);
    const auto samples = dev.analogOutputSamples();
    ASSERT_EQ(samples.size(), 300u);
    EXPECT_EQ(samples.front().inputScan, 1000);
    EXPECT_EQ(samples[10].volts[0], -1.0);
    EXPECT_EQ(samples[14].volts[0], 1.0);
    EXPECT_EQ(samples.back().inputScan, 1299);
}

TEST(SimDeviceOutput, OutputStartedBeforeTheInputBeginsAtInputScanZero) {
    SimulatedDevice dev(freeRunning());
    dev.advanceClock(777);
    TaskHandle output = openOutput(dev, DAQmx_Val_FiniteSamps, 100, pulsePattern(100, {0}, 10.0));
    ASSERT_EQ(dev.DAQmxStartTask(output), 0);
    TaskHandle input = openInput(dev);
    ASSERT_EQ(dev.DAQmxStartTask(input), 0);
    std::vector<double> data;
    ASSERT_EQ(readScans(dev, input, data), 0);
    const auto runs = dev.analogOutputRuns();
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs.front().inputScan, 0);
    EXPECT_EQ(runs.front().tick, 777u);
}

TEST(SimDeviceOutput, ContinuousOutputRegeneratesTheWrittenBuffer) {
    SimulatedDevice dev(freeRunning());
    TaskHandle input = openInput(dev);
    ASSERT_EQ(dev.DAQmxStartTask(input), 0);
    TaskHandle output = openOutput(dev, DAQmx_Val_ContSamps, 200, pulsePattern(100, {10}, 25.0));
    ASSERT_EQ(dev.DAQmxStartTask(output), 0);
    std::vector<double> data;
    ASSERT_EQ(readScans(dev, input, data), 0);
    const auto samples = dev.analogOutputSamples();
    ASSERT_EQ(samples.size(), 1000u);
    for (int p = 0; p < 10; ++p) EXPECT_EQ(samples[p * 100 + 10].volts[0], -1.0) << "pattern " << p;
    EXPECT_EQ(samples[5].volts[0], 0.0);
}

TEST(SimDeviceOutput, LaterContinuousWritesAppendToTheStream) {
    SimulatedDevice dev(freeRunning());
    TaskHandle input = openInput(dev);
    ASSERT_EQ(dev.DAQmxStartTask(input), 0);
    TaskHandle output = openOutput(dev, DAQmx_Val_ContSamps, 200, pulsePattern(100, {10}, 25.0));
    ASSERT_EQ(dev.DAQmxStartTask(output), 0);
    const auto second = pulsePattern(100, {50}, 25.0);
    ASSERT_EQ(dev.DAQmxWriteAnalogF64(output, 100, 0, 20.0, DAQmx_Val_GroupByScanNumber, second.data(), nullptr,
                                      nullptr),
              0);
    std::vector<double> data;
    ASSERT_EQ(readScans(dev, input, data), 0);
    const auto samples = dev.analogOutputSamples();
    EXPECT_EQ(samples[10].volts[0], -1.0);   // first pattern
    EXPECT_EQ(samples[150].volts[0], -1.0);  // second pattern
    EXPECT_EQ(samples[250].volts[0], -1.0);  // regenerated from the last buffer played
    EXPECT_EQ(samples[210].volts[0], 0.0);
}

TEST(SimDeviceOutput, RealTimeContinuousWritesWaitForRoomAndPlayBackToBack) {
    SimulatedDevice dev({1, true});
    TaskHandle input = openInput(dev);
    ASSERT_EQ(dev.DAQmxStartTask(input), 0);
    const auto pattern = pulsePattern(400, {0}, 25.0);  // 20 ms
    TaskHandle output = openOutput(dev, DAQmx_Val_ContSamps, 800, pattern);
    ASSERT_EQ(dev.DAQmxStartTask(output), 0);
    const auto start = std::chrono::steady_clock::now();
    for (int w = 0; w < 5; ++w)
        ASSERT_EQ(dev.DAQmxWriteAnalogF64(output, 400, 0, 20.0, DAQmx_Val_GroupByScanNumber, pattern.data(), nullptr,
                                          nullptr),
                  0);
    // 6 patterns through an 800-scan buffer: the last four writes wait 20 ms each.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const auto samples = dev.analogOutputSamples();
    ASSERT_GE(samples.size(), 2400u);
    for (int p = 0; p < 6; ++p) EXPECT_EQ(samples[p * 400].volts[0], -1.0) << "pattern " << p;
}

TEST(SimDeviceOutput, FreeRunningWriterWaitsForTheReaderOnceTheQueueIsFull) {
    SimulatedDevice dev(freeRunning());
    dev.setCultureEnabled(false);
    TaskHandle input = openInput(dev);
    ASSERT_EQ(dev.DAQmxStartTask(input), 0);
    const std::vector<double> pattern(2 * 500'000, 0.0);
    TaskHandle output = openOutput(dev, DAQmx_Val_ContSamps, 1'000'000, pattern);
    ASSERT_EQ(dev.DAQmxStartTask(output), 0);
    ASSERT_EQ(dev.DAQmxWriteAnalogF64(output, 500'000, 0, 20.0, 1, pattern.data(), nullptr, nullptr), 0);
    std::atomic<bool> written{false};
    std::thread writer([&] {  // the queue holds 1 000 000 scans: this one needs the reader
        EXPECT_EQ(dev.DAQmxWriteAnalogF64(output, 500'000, 0, 20.0, 1, pattern.data(), nullptr, nullptr), 0);
        written = true;
    });
    std::vector<double> data;
    while (!written) ASSERT_EQ(readScans(dev, input, data, 50'000), 0);
    writer.join();
    EXPECT_GE(dev.inputScansDelivered(), 500'000u);
}

TEST(SimDeviceOutput, RoutingWordsAreLoggedInOrderOnTenLines) {
    SimulatedDevice dev(freeRunning());
    route(dev, 786);
    route(dev, 0xFFFFF);
    route(dev, 792);
    EXPECT_EQ(dev.digitalWords(), (std::vector<std::uint32_t>{786, 0x3FF, 792}));
    EXPECT_EQ(dev.routingWord(), 792u);
}

// ---------------------------------------------------------------- stimulation response

TEST(SimDeviceStimulation, RoutedPulseEvokesFieldPotentialOnNeighboursOnly) {
    SimulatedDevice dev(freeRunning(5));
    const auto uv = stimulate(dev, routeS1(kStimElectrode), pulsePattern(2000, {kPulseScan}, 60.0));
    for (int c : kNeighbours) EXPECT_LT(evokedUv(uv, c, kPulseScan), -30.0) << "neighbour channel " << c;
    for (int c : kFarChannels) EXPECT_LT(std::fabs(evokedUv(uv, c, kPulseScan)), 10.0) << "far channel " << c;
}

TEST(SimDeviceStimulation, UnroutedPulseEvokesNothing) {
    SimulatedDevice dev(freeRunning(5));
    const auto uv = stimulate(dev, 792, pulsePattern(2000, {kPulseScan}, 60.0));
    for (int c = 0; c < kChannels; ++c) EXPECT_LT(std::fabs(evokedUv(uv, c, kPulseScan)), 10.0) << "channel " << c;
}

TEST(SimDeviceStimulation, PulseOnTheOutputWithoutElectrodeEvokesNothing) {
    SimulatedDevice dev(freeRunning(5));
    const std::uint32_t s2OnElectrode6 = 21 * 32 + 24;  // S1 unrouted
    const auto uv = stimulate(dev, s2OnElectrode6, pulsePattern(2000, {kPulseScan}, 60.0));
    for (int c : kNeighbours) EXPECT_LT(std::fabs(evokedUv(uv, c, kPulseScan)), 10.0) << "channel " << c;
}

TEST(SimDeviceStimulation, EvokedResponseGrowsWithCurrent) {
    SimulatedDevice dev(freeRunning(5));
    double evoked[3];
    const double currents[] = {15.0, 30.0, 60.0};
    for (int i = 0; i < 3; ++i) {
        const auto uv = stimulate(dev, routeS1(kStimElectrode), pulsePattern(2000, {kPulseScan}, currents[i]));
        evoked[i] = evokedUv(uv, kNeighbours[0], kPulseScan);
        dev.advanceClock(40'000);  // 2 s: let the pathway recover
    }
    EXPECT_GT(evoked[0] - evoked[1], 10.0);  // more negative with more current
    EXPECT_GT(evoked[1] - evoked[2], 10.0);
}

TEST(SimDeviceStimulation, ArtefactReachesFarElectrodesAndDecaysWithinAMillisecond) {
    SimulatedDevice dev(freeRunning(5));
    const auto uv = stimulate(dev, routeS1(kStimElectrode), pulsePattern(2000, {kPulseScan}, 60.0));
    const int far = 15;
    const double baseline = meanOf(uv, far, kPulseScan - 100, kPulseScan);
    EXPECT_GT(std::fabs(uv[(kPulseScan + 2) * kChannels + far] - baseline), 50.0);
    EXPECT_LT(std::fabs(meanOf(uv, far, kPulseScan + 28, kPulseScan + 38) - baseline), 15.0);  // 1-1.5 ms after the end
}

TEST(SimDeviceStimulation, TetanicTrainPotentiatesThatPathwayOverMinutes) {
    SimulatedDevice dev(freeRunning(5));
    const auto before = stimulate(dev, routeS1(kStimElectrode), pulsePattern(2000, {kPulseScan}, 40.0));
    dev.advanceClock(40'000);
    std::vector<int> train;
    for (int p = 0; p < 100; ++p) train.push_back(200 + p * 200);  // 100 pulses at 100 Hz
    stimulate(dev, routeS1(kStimElectrode), pulsePattern(21'000, train, 40.0), 21);
    dev.advanceClock(5 * 60 * 20'000);
    const auto after = stimulate(dev, routeS1(kStimElectrode), pulsePattern(2000, {kPulseScan}, 40.0));

    const double ratio = evokedUv(after, kNeighbours[0], kPulseScan) / evokedUv(before, kNeighbours[0], kPulseScan);
    EXPECT_GT(ratio, 1.3);
    EXPECT_LT(ratio, 1.7);
    EXPECT_GT(dev.potentiation(kStimElectrode - 1), 0.45);
    EXPECT_EQ(dev.potentiation(0), 0.0);  // another pathway
}

TEST(SimDeviceStimulation, TwentyPulseTrainPotentiatesWithinHalfAMinute) {
    SimulatedDevice dev(freeRunning(5));
    const auto before = stimulate(dev, routeS1(kStimElectrode), pulsePattern(2000, {kPulseScan}, 40.0));
    dev.advanceClock(40'000);
    std::vector<int> train;
    for (int p = 0; p < 20; ++p) train.push_back(200 + p * 200);  // 20 pulses at 100 Hz
    stimulate(dev, routeS1(kStimElectrode), pulsePattern(4400, train, 40.0), 5);
    dev.advanceClock(30 * 20'000);
    const auto after = stimulate(dev, routeS1(kStimElectrode), pulsePattern(2000, {kPulseScan}, 40.0));

    const double ratio = evokedUv(after, kNeighbours[0], kPulseScan) / evokedUv(before, kNeighbours[0], kPulseScan);
    EXPECT_GT(ratio, 1.2);
    EXPECT_LT(ratio, 1.55);
    EXPECT_NEAR(dev.potentiation(kStimElectrode - 1), 0.38 * (1 - std::exp(-3.0)), 0.02);
}

TEST(SimDeviceStimulation, SecondOfPairedPulsesFiftyMsApartIsDepressed) {
    SimulatedDevice dev(freeRunning(5));
    const int second = kPulseScan + 1000;  // 50 ms later
    const auto uv = stimulate(dev, routeS1(kStimElectrode), pulsePattern(4000, {kPulseScan, second}, 40.0));
    const double ratio = evokedUv(uv, kNeighbours[0], second) / evokedUv(uv, kNeighbours[0], kPulseScan);
    EXPECT_GT(ratio, 0.5);
    EXPECT_LT(ratio, 0.85);
}

// ---------------------------------------------------------------- faults and errors

TEST(SimDeviceFaults, AbsentDeviceFailsEveryCreate) {
    SimulatedDevice dev(freeRunning());
    TaskHandle early = nullptr;
    ASSERT_EQ(dev.DAQmxCreateTask("", &early), 0);
    dev.setAbsent(true);
    TaskHandle task = reinterpret_cast<TaskHandle>(1);
    EXPECT_EQ(dev.DAQmxCreateTask("", &task), DAQmxErrorDeviceNotFound);
    EXPECT_EQ(task, nullptr);
    EXPECT_NE(errorText(dev).find("Dev1"), std::string::npos);
    EXPECT_EQ(dev.DAQmxCreateAIVoltageChan(early, kInputChannels, "", DAQmx_Val_Diff, -kRange, kRange,
                                           DAQmx_Val_Volts, nullptr),
              DAQmxErrorDeviceNotFound);
    EXPECT_EQ(dev.DAQmxCreateAOVoltageChan(early, "Dev1/ao0:1", "", -4, 4, DAQmx_Val_Volts, nullptr),
              DAQmxErrorDeviceNotFound);
    EXPECT_EQ(dev.DAQmxCreateDOChan(early, "Dev1/port0/line0:9", "", DAQmx_Val_ChanForAllLines),
              DAQmxErrorDeviceNotFound);
}

TEST(SimDeviceFaults, ReadFailsAfterTheGivenScansUntilRestart) {
    SimulatedDevice dev(freeRunning());
    TaskHandle task = openInput(dev);
    dev.failReadAfterScans(2500);
    std::vector<double> data;
    EXPECT_EQ(readScans(dev, task, data), 0);
    EXPECT_EQ(readScans(dev, task, data), 0);
    EXPECT_EQ(readScans(dev, task, data), SimulatedDevice::kErrorDeviceNotAccessible);
    EXPECT_FALSE(errorText(dev).empty());
    EXPECT_EQ(readScans(dev, task, data), SimulatedDevice::kErrorDeviceNotAccessible);
    ASSERT_EQ(dev.DAQmxStopTask(task), 0);
    ASSERT_EQ(dev.DAQmxStartTask(task), 0);
    EXPECT_EQ(readScans(dev, task, data), 0);
}

TEST(SimDeviceFaults, InjectedWriteFailuresFailTheNextWrites) {
    SimulatedDevice dev(freeRunning());
    dev.failAnalogWrites(1);
    dev.failDigitalWrites(1);
    TaskHandle output = nullptr, lines = nullptr;
    ASSERT_EQ(dev.DAQmxCreateTask("", &output), 0);
    ASSERT_EQ(dev.DAQmxCreateAOVoltageChan(output, "Dev1/ao0:1", "", -4, 4, DAQmx_Val_Volts, nullptr), 0);
    ASSERT_EQ(dev.DAQmxCfgSampClkTiming(output, "OnboardClock", 20000.0, DAQmx_Val_Rising, DAQmx_Val_FiniteSamps, 4),
              0);
    const double samples[] = {0, 0, 0, 0};
    EXPECT_EQ(dev.DAQmxWriteAnalogF64(output, 2, 0, 20.0, 1, samples, nullptr, nullptr), DAQmxErrorWriteFailed);
    EXPECT_EQ(dev.DAQmxWriteAnalogF64(output, 2, 0, 20.0, 1, samples, nullptr, nullptr), 0);
    ASSERT_EQ(dev.DAQmxCreateTask("", &lines), 0);
    ASSERT_EQ(dev.DAQmxCreateDOChan(lines, "Dev1/port0/line0:9", "", DAQmx_Val_ChanForAllLines), 0);
    const uInt32 word = 792;
    EXPECT_EQ(dev.DAQmxWriteDigitalU32(lines, 1, 1, 10.0, 0, &word, nullptr, nullptr), DAQmxErrorWriteFailed);
    EXPECT_EQ(dev.DAQmxWriteDigitalU32(lines, 1, 1, 10.0, 0, &word, nullptr, nullptr), 0);
    EXPECT_EQ(dev.digitalWords(), std::vector<std::uint32_t>{792});
}

TEST(SimDeviceFaults, ClearedTaskHandleIsInvalid) {
    SimulatedDevice dev(freeRunning());
    TaskHandle task = openInput(dev);
    ASSERT_EQ(dev.DAQmxClearTask(task), 0);
    EXPECT_EQ(dev.DAQmxClearTask(task), DAQmxErrorInvalidTask);
    std::vector<double> data;
    EXPECT_EQ(readScans(dev, task, data), DAQmxErrorInvalidTask);
}

TEST(SimDeviceFaults, SecondInputTaskCannotRunAlongsideTheFirst) {
    SimulatedDevice dev(freeRunning());
    TaskHandle first = openInput(dev);
    TaskHandle second = openInput(dev);
    ASSERT_EQ(dev.DAQmxStartTask(first), 0);
    EXPECT_EQ(dev.DAQmxStartTask(second), SimulatedDevice::kErrorResourceReserved);
}

TEST(SimDeviceFaults, ExtendedErrorTextBelongsToTheCallingThread) {
    SimulatedDevice dev(freeRunning());
    TaskHandle task = nullptr;
    ASSERT_EQ(dev.DAQmxCreateTask("", &task), 0);
    ASSERT_EQ(dev.DAQmxCreateAIVoltageChan(task, "Dev1/ai8", "", DAQmx_Val_Diff, -kRange, kRange, DAQmx_Val_Volts,
                                           nullptr),
              DAQmxErrorPhysicalChanDoesNotExist);
    std::string otherThreadText = "unset";
    std::thread([&] { otherThreadText = errorText(dev); }).join();
    EXPECT_EQ(otherThreadText, "");
    EXPECT_NE(errorText(dev).find("Dev1/ai8"), std::string::npos);
}

// ---------------------------------------------------------------- concurrency

TEST(SimDeviceConcurrency, OutputWorkersAndTheReaderLoseNothing) {
    SimulatedDevice dev(freeRunning());
    TaskHandle input = openInput(dev);
    std::atomic<int> failures{0};
    std::thread reader([&] {
        std::vector<double> data;
        for (int r = 0; r < 100; ++r)
            if (readScans(dev, input, data) != 0) ++failures;
    });
    std::thread router([&] {
        for (std::uint32_t w = 0; w < 200; ++w) route(dev, w);
    });
    std::thread stimulator([&] {
        const auto pattern = pulsePattern(200, {10}, 20.0);
        for (int i = 0; i < 50; ++i) {
            TaskHandle out = openOutput(dev, DAQmx_Val_FiniteSamps, 200, pattern);
            if (dev.DAQmxStartTask(out) != 0) ++failures;
            if (dev.DAQmxClearTask(out) != 0) ++failures;
        }
    });
    reader.join();
    router.join();
    stimulator.join();
    EXPECT_EQ(failures.load(), 0);
    std::vector<std::uint32_t> expected(200);
    std::iota(expected.begin(), expected.end(), 0u);
    EXPECT_EQ(dev.digitalWords(), expected);
    EXPECT_EQ(dev.inputScansDelivered(), 100'000u);
}
