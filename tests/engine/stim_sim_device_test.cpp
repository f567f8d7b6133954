// The stimulus output against the simulated "Dev1", free-running: the device
// clock moves only with the input reads, so what the outputs played can be
// checked scan by scan against the input.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/engine/stim_test_helpers.h"
#include "acquisition/acquisition_ni.h"
#include "acquisition/sim_device.h"
#include "acquisition/timer.h"
#include "stimulation/stimulus_controller.h"

using namespace std::chrono_literals;

namespace {

using stimtest::handle;
using stimtest::pulse;
using stimtest::standardBiphasic;
using stimtest::waitUntil;

// Counts the analog writes of a simulated device, free-running or paced in real time.
class CountingDevice : public SimulatedDevice {
public:
    explicit CountingDevice(bool realTime = false) : SimulatedDevice(Options{1, realTime}) {}
    std::atomic<int> analogWrites{0};
    daqmx::int32 DAQmxWriteAnalogF64(daqmx::TaskHandle t, daqmx::int32 n, daqmx::bool32 autoStart, double timeout,
                                     daqmx::bool32 layout, const double data[], daqmx::int32* written,
                                     daqmx::bool32* reserved) override {
        ++analogWrites;
        return SimulatedDevice::DAQmxWriteAnalogF64(t, n, autoStart, timeout, layout, data, written, reserved);
    }
};

struct CountingRealTimeDevice : CountingDevice {
    CountingRealTimeDevice() : CountingDevice(true) {}
};

struct StimSimDeviceTest : ::testing::Test {
    static inline std::shared_ptr<CountingDevice> device;
    static inline std::unique_ptr<AcquisitionNI> acq;

    static void SetUpTestSuite() {
        device = std::make_shared<CountingDevice>();
        device->setCultureEnabled(false);
        acq = std::make_unique<AcquisitionNI>(device);
    }
    static void TearDownTestSuite() {
        acq.reset();
        device.reset();
    }

    PulseParameters step1, step2, manual;
    std::shared_ptr<Timer> clock = std::make_shared<Timer>(1.0, 10, 2.0, 1.0);
    std::unique_ptr<StimulusController> stim;

    void SetUp() override {
        device->clearFaults();
        acq->setInputRange(2000);
        ASSERT_EQ(acq->KidouNi(), 0);
        acq->StimStop = 0;
        for (PulseParameters* p : {&step1, &step2, &manual}) p->S1Ch = p->S2Ch = -1;
        clock->setStep({0});
        clock->setMaxStepNum(1);
        acq->timer = clock;
        stim = std::make_unique<StimulusController>(*acq, step1, step2, manual);
        stim->setStepsEnabled(true, false);
        stim->setTraceTimeMs(1000.0);
        device->clearOutputLog();
        device->analogWrites = 0;
    }
    void TearDown() override {
        stim->finishRun();
        stim.reset();
        acq->Teisi();
        acq->timer.reset();
    }

    void prepareAndRoute() {
        stim->getStimPatternArray();
        stim->poTaskStimChSelect();
    }
    void endTrace() {
        clock->PlusTrace();
        clock->PlusStep();
        acq->StimStop = 1;
    }
    void readBlocks(int blocks) {
        for (int b = 0; b < blocks; ++b) ASSERT_EQ(acq->readonly(10), 0);
    }
    // S1 volts of every generated scan since the log was cleared, by input scan.
    std::vector<double> s1Played() {
        std::vector<double> out;
        for (const auto& s : device->analogOutputSamples()) {
            if (s.inputScan < 0) continue;
            if (out.size() <= static_cast<std::size_t>(s.inputScan)) out.resize(s.inputScan + 1, 0.0);
            out[s.inputScan] = s.volts[0];
        }
        return out;
    }
    static std::vector<std::size_t> pulseStarts(const std::vector<double>& v) {
        std::vector<std::size_t> starts;
        for (std::size_t i = 0; i < v.size(); ++i)
            if (v[i] < 0 && (i == 0 || v[i - 1] >= 0)) starts.push_back(i);
        return starts;
    }
};

}  // namespace

TEST_F(StimSimDeviceTest, FinitePatternPlaysOnceFromTheTracesFirstScanAndIsStoppedAfterItsLength) {
    step1.S1Ch = 2;
    step1.setPulses(0, {standardBiphasic()});
    prepareAndRoute();
    auto start = std::chrono::steady_clock::now();
    stim->StimOutPut();
    readBlocks(1);
    auto played = s1Played();
    ASSERT_GE(played.size(), 2000u);
    EXPECT_EQ(played[0], -0.4);
    EXPECT_EQ(played[1], 0.4);
    EXPECT_EQ(pulseStarts(played), (std::vector<std::size_t>{0}));
    ASSERT_TRUE(waitUntil([&] { return !stim->threadF1.running(); }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
}

TEST_F(StimSimDeviceTest, StoppedFiniteTaskIsPreparedAndPlayedAgainNextTrace) {
    step1.S1Ch = 2;
    step1.setPulses(0, {standardBiphasic()});
    prepareAndRoute();
    stim->StimOutPut();
    readBlocks(1);
    ASSERT_TRUE(waitUntil([&] { return !stim->threadF1.running(); }));
    endTrace();
    prepareAndRoute();
    device->clearOutputLog();
    testing::internal::CaptureStdout();
    stim->StimOutPut();
    readBlocks(1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(pulseStarts(s1Played()), (std::vector<std::size_t>{0}));
}

TEST_F(StimSimDeviceTest, RepeatAllTheTimeWritesElevenPatternsAndGoesQuietAtTheTraceEnd) {
    step1.S1Ch = 2;
    step1.repeatAll = 1;
    step1.setPulses(0, {standardBiphasic()});
    prepareAndRoute();
    stim->StimOutPut();
    ASSERT_TRUE(waitUntil([&] { return !stim->threadF1.running(); }));
    EXPECT_EQ(device->analogWrites, 11);
    readBlocks(2);  // the 1000 ms trace
    EXPECT_EQ(pulseStarts(s1Played()),
              (std::vector<std::size_t>{0, 2000, 4000, 6000, 8000, 10000, 12000, 14000, 16000, 18000}));
    stim->setStepsEnabled(false, false);  // the next trace has no stimulus
    endTrace();
    prepareAndRoute();
    device->clearOutputLog();
    readBlocks(2);  // the interval
    EXPECT_TRUE(pulseStarts(s1Played()).empty());
}

TEST_F(StimSimDeviceTest, FirstTracePlaysStoredIntensityAndSecondPassTheIncrementedOne) {
    step1.S1Ch = 2;
    step1.addIncrementByRepS1 = 1;
    step1.autoincrementS1float = 5;
    step1.setPulses(0, {standardBiphasic()});
    prepareAndRoute();
    stim->StimOutPut();
    readBlocks(1);
    EXPECT_EQ(s1Played().at(0), -0.4);
    endTrace();
    prepareAndRoute();
    device->clearOutputLog();
    stim->StimOutPut();
    readBlocks(1);
    EXPECT_EQ(s1Played().at(0), -0.6);
}

TEST_F(StimSimDeviceTest, ManualStimulationPlaysOnceAndSetsStimStop) {
    manual.S1Ch = 0;
    manual.setPulses(0, {standardBiphasic()});
    ASSERT_TRUE(stim->startManualStim());
    readBlocks(1);
    ASSERT_TRUE(waitUntil([&] { return stim->stimStop == 1; }));
    EXPECT_EQ(pulseStarts(s1Played()), (std::vector<std::size_t>{0}));
    EXPECT_EQ(device->routingWord(), 24u * 32 + 16);
}

TEST_F(StimSimDeviceTest, StopStimEndsAFiftySecondManualPatternAtOnce) {
    manual.S1Ch = 0;
    manual.setPulses(0, {pulse("Const", "1", "5", "0", "49999")});
    ASSERT_TRUE(stim->startManualStim());
    auto start = std::chrono::steady_clock::now();
    stim->stopManualStim();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(stim->stimStop, 1);
    EXPECT_FALSE(stim->threadMNL.running());
}

TEST_F(StimSimDeviceTest, RoutingWordOnTheDeviceMatchesThePreparedOutputs) {
    step1.S1Ch = 2;
    step1.setPulses(0, {standardBiphasic()});
    prepareAndRoute();
    EXPECT_EQ(device->routingWord(), 786u);
    stim->setStepsEnabled(false, false);
    endTrace();
    prepareAndRoute();
    EXPECT_EQ(device->routingWord(), 792u);
}

TEST_F(StimSimDeviceTest, FailedOutputWritePrintsAndTheRunKeepsReading) {
    step1.S1Ch = 2;
    step1.setPulses(0, {standardBiphasic()});
    device->failAnalogWrites(1);
    testing::internal::CaptureStdout();
    prepareAndRoute();
    stim->StimOutPut();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("DAQmx Error\u3000TaskAOSet!: Write to the analog outputs failed"), std::string::npos) << out;
    EXPECT_NE(out.find("DAQmx Error\u3000AOTask!: "), std::string::npos) << out;
    readBlocks(2);
    EXPECT_TRUE(pulseStarts(s1Played()).empty());
}

TEST_F(StimSimDeviceTest, ThirtySecondRepeatPatternPlaysThroughANinetySecondTrace) {
    step1.S1Ch = 2;
    step1.repeatAll = 1;
    step1.setPulses(0, {pulse("Biphasic", "0.1", "-10", "0", "29999.9")});  // 600 000 samples
    stim->setTraceTimeMs(90'000.0);
    prepareAndRoute();
    stim->StimOutPut();
    // Free-running, the reader could race through the first pattern before the
    // worker's thread has even started; on the real clock it has 30 s. Its later
    // writes wait for room, and the device holds the reader for those.
    ASSERT_TRUE(waitUntil([] { return device->analogWrites >= 2; }));
    readBlocks(180);
    std::vector<std::int64_t> starts;
    for (const auto& run : device->analogOutputRuns())
        if (run.inputScan >= 0 && run.volts[0] < 0) starts.push_back(run.inputScan);
    EXPECT_EQ(starts, (std::vector<std::int64_t>{0, 600'000, 1'200'000}));
}

namespace {

// A repeat pattern of 5 s on the real-time device, whose worker then waits in
// its third write for a whole pattern's room.
struct StimRealTimeTest : ::testing::Test {
    std::shared_ptr<CountingRealTimeDevice> device = std::make_shared<CountingRealTimeDevice>();
    std::unique_ptr<AcquisitionNI> acq = std::make_unique<AcquisitionNI>(device);
    PulseParameters step1, step2, manual;
    std::shared_ptr<Timer> clock = std::make_shared<Timer>(10.0, 10, 12.0, 2.0);
    std::unique_ptr<StimulusController> stim;

    void SetUp() override {
        device->setCultureEnabled(false);
        acq->setInputRange(2000);
        ASSERT_EQ(acq->KidouNi(), 0);
        clock->setStep({0});
        clock->setMaxStepNum(1);
        acq->timer = clock;
        step1.S1Ch = 2;
        step1.S2Ch = -1;
        step1.repeatAll = 1;
        step1.setPulses(0, {pulse("Biphasic", "0.1", "-10", "0", "4999.9")});  // 100 000 samples
        stim = std::make_unique<StimulusController>(*acq, step1, step2, manual);
        stim->setStepsEnabled(true, false);
        stim->setTraceTimeMs(10'000.0);
    }
    void TearDown() override {
        stim->finishRun();
        stim.reset();
        acq->Teisi();
    }
    void startBlockedWorker() {
        stim->getStimPatternArray();
        stim->poTaskStimChSelect();
        stim->StimOutPut();
        ASSERT_TRUE(waitUntil([&] { return device->analogWrites == 3; }));
        std::this_thread::sleep_for(50ms);  // inside the third write's wait
    }
    template <typename F>
    static std::chrono::steady_clock::duration timed(F&& f) {
        const auto start = std::chrono::steady_clock::now();
        f();
        return std::chrono::steady_clock::now() - start;
    }
};

}  // namespace

TEST_F(StimRealTimeTest, PauseReturnsWithinOnePassAndTheTaskPlaysAtTheResume) {
    startBlockedWorker();
    testing::internal::CaptureStdout();
    EXPECT_LT(timed([&] { stim->pauseOutput(); }), 2s);
    EXPECT_FALSE(stim->threadF1.running());
    stim->StimTimer_Tick_First();  // the resume prepares and starts the pattern again
    ASSERT_TRUE(waitUntil([&] { return device->analogWrites == 6; }));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "a stop asked for is no device error";
    EXPECT_NE(acq->taskHandleAnalog1.load(), nullptr);
}

TEST_F(StimRealTimeTest, TraceEndReturnsWithinOnePassAndTheNextTracePlays) {
    startBlockedWorker();
    testing::internal::CaptureStdout();
    clock->PlusTrace();
    clock->PlusStep();
    EXPECT_LT(timed([&] { stim->getStimPatternArray(); }), 2s);
    stim->StimOutPut();
    ASSERT_TRUE(waitUntil([&] { return device->analogWrites == 6; }));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(StimRealTimeTest, FinishingTheRunReturnsWithinOnePass) {
    startBlockedWorker();
    EXPECT_LT(timed([&] { stim->finishRun(); }), 2s);
    EXPECT_EQ(acq->taskHandleAnalog1.load(), nullptr);
}
