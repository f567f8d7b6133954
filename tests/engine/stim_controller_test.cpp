#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/alert_messages.h"
#include "tests/engine/stim_test_helpers.h"
#include "acquisition/acquisition_ni.h"
#include "acquisition/timer.h"
#include "stim_fake_driver.h"
#include "stimulation/stimulus_controller.h"

using namespace std::chrono_literals;

namespace {

using stimtest::handle;
using stimtest::pulse;
using stimtest::standardBiphasic;
using stimtest::waitUntil;



// 1 000 000 samples, 50 s.
PulseConfigs fiftySeconds() { return pulse("Const", "1", "5", "0", "49999"); }


struct StimControllerTest : ::testing::Test {
    static inline std::shared_ptr<StimRecordingDriver> driver;
    static inline std::unique_ptr<AcquisitionNI> acq;

    static void SetUpTestSuite() {
        driver = std::make_shared<StimRecordingDriver>();
        acq = std::make_unique<AcquisitionNI>(driver);
    }
    static void TearDownTestSuite() {
        acq.reset();
        driver.reset();
    }

    PulseParameters step1, step2, manual;
    std::shared_ptr<Timer> clock = std::make_shared<Timer>(1.0, 10, 2.0, 1.0);
    std::unique_ptr<StimulusController> stim;

    void SetUp() override {
        driver->reset();
        acq->taskHandle1 = handle(3);        // input task, "t3" in the log
        acq->taskHandleAnalog1 = handle(7);  // output task, "t7"
        acq->setPOch(24, 24);
        acq->StimStop = 0;
        acq->StimRepeat = 0;
        for (PulseParameters* p : {&step1, &step2, &manual}) p->S1Ch = p->S2Ch = -1;
        clock->setStep({0});
        clock->setMaxStepNum(1);
        acq->timer = clock;
        stim = std::make_unique<StimulusController>(*acq, step1, step2, manual);
        stim->setStepsEnabled(true, false);
        stim->setTraceTimeMs(1000.0);
    }
    void TearDown() override {
        stim.reset();
        acq->timer.reset();
        acq->taskHandle1 = nullptr;
        acq->taskHandleAnalog1 = nullptr;
    }

    // What run control does at the end of a trace before preparing the next.
    void endTrace() {
        clock->PlusTrace();
        clock->PlusStep();
        acq->StimStop = 1;
    }
    void prepareAndRoute() {
        stim->getStimPatternArray();
        stim->poTaskStimChSelect();
    }
};

}  // namespace

TEST_F(StimControllerTest, ElectrodeThreeOnS1RoutesCode18AndWord786WithS2Silent) {
    step1.S1Ch = 2;
    step1.setPulses(0, {standardBiphasic()});
    prepareAndRoute();
    EXPECT_EQ(acq->chS1, 18);
    EXPECT_EQ(acq->chS2, 24);
    EXPECT_EQ(driver->digitalWords(), (std::vector<std::uint32_t>{786}));
    EXPECT_EQ(stim->StimOnOff, 1);
    const auto& buffer = step1.PulseAmplitudeAryS1S2;
    ASSERT_EQ(buffer.size(), 4000u);
    for (std::size_t i = 1; i < buffer.size(); i += 2) ASSERT_EQ(buffer[i], 0.0f) << i;
}

TEST_F(StimControllerTest, ElectrodesNineAndSixteenRouteWord488AndPlayBothOutputs) {
    step1.S1Ch = 8;
    step1.S2Ch = 15;
    step1.setPulses(0, {standardBiphasic()});
    step1.setPulses(1, {pulse("Const", "1", "5", "0", "199")});  // 4000 samples
    prepareAndRoute();
    EXPECT_EQ(driver->digitalWords(), (std::vector<std::uint32_t>{488}));
    EXPECT_EQ(driver->count("CfgSampClkTiming t7 OnboardClock 20000 10280 10178 4000"), 1);
    auto written = driver->analogWrites().at(0);
    EXPECT_EQ(written[0], -0.4);
    EXPECT_EQ(written[1], 0.2);
}

TEST_F(StimControllerTest, NoStepEnabledPreparesNothingAndRoutesWord792) {
    step1.S1Ch = 2;
    step1.setPulses(0, {standardBiphasic()});
    stim->setStepsEnabled(false, false);
    acq->setPOch(18, 24);
    prepareAndRoute();
    EXPECT_EQ(stim->StimOnOff, 0);
    EXPECT_EQ(driver->digitalWords(), (std::vector<std::uint32_t>{792}));
    EXPECT_EQ(driver->count("WriteAnalogF64"), 0);
}

TEST_F(StimControllerTest, StepTwoEnabledButClockOnStepOneWithStepOneUntickedPreparesNothing) {
    for (PulseParameters* p : {&step1, &step2}) {
        p->S1Ch = 2;
        p->setPulses(0, {standardBiphasic()});
    }
    stim->setStepsEnabled(false, true);
    prepareAndRoute();
    EXPECT_EQ(stim->StimOnOff, 0);
    EXPECT_EQ(driver->digitalWords(), (std::vector<std::uint32_t>{792}));
}


TEST_F(StimControllerTest, StopInProgressOnlyStopsAndClearsTheOutput) {
    step1.S1Ch = 2;
    step1.setPulses(0, {standardBiphasic()});
    stim->setStopInProgress([] { return true; });
    stim->getStimPatternArray();
    EXPECT_EQ(driver->calls(), (std::vector<std::string>{"StopTask t7", "ClearTask t7"}));
    EXPECT_EQ(stim->StimOnOff, 0);
}

TEST_F(StimControllerTest, FinitePatternWorkerStopsTheOutputAfterItsHundredMs) {
    step1.S1Ch = 2;
    step1.setPulses(0, {standardBiphasic()});
    prepareAndRoute();
    driver->reset();
    auto start = std::chrono::steady_clock::now();
    stim->StimOutPut();
    ASSERT_TRUE(waitUntil([] { return driver->count("StopTask t7") == 1; }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_EQ(driver->calls(), (std::vector<std::string>{"StopTask t3", "StartTask t3", "StartTask t7",
                                                         "StopTask t7"}));
}

TEST_F(StimControllerTest, RepeatAllTheTimeWritesAHundredMsPatternElevenTimesInASecondTrace) {
    step1.S1Ch = 2;
    step1.repeatAll = 1;
    step1.setPulses(0, {standardBiphasic()});
    prepareAndRoute();
    EXPECT_EQ(step1.repeat, 10);
    EXPECT_EQ(driver->count("CfgSampClkTiming t7 OnboardClock 20000 10280 10123 4000"), 1);
    stim->StimOutPut();
    ASSERT_TRUE(waitUntil([] { return driver->count("WriteAnalogF64") == 11; }));
    endTrace();
    prepareAndRoute();
    EXPECT_EQ(driver->count("WriteAnalogF64"), 12);  // 11, then the next trace's first
}

TEST_F(StimControllerTest, RepeatingOutputStopsAtTraceEndInsteadOfPlayingThroughTheInterval) {
    step1.S1Ch = 2;
    step1.repeatAll = 1;
    step1.setPulses(0, {standardBiphasic()});
    stim->setStepsEnabled(true, false);
    prepareAndRoute();
    stim->StimOutPut();
    ASSERT_TRUE(waitUntil([] { return driver->count("WriteAnalogF64") == 11; }));
    driver->reset();
    stim->setStepsEnabled(false, false);  // the next trace has no stimulus
    endTrace();
    prepareAndRoute();
    EXPECT_EQ(driver->count("StopTask t7"), 1);
}

TEST_F(StimControllerTest, StimStopEndsARepeatingWorkerBeforeItsNextWrite) {
    step1.S1Ch = 2;
    step1.repeatAll = 1;
    step1.setPulses(0, {standardBiphasic()});
    std::atomic<int> writes{0};
    driver->onWrite([&] {
        if (++writes >= 2) std::this_thread::sleep_for(5ms);  // the device makes room one pattern at a time
    });
    prepareAndRoute();
    stim->StimOutPut();
    ASSERT_TRUE(waitUntil([&] { return writes >= 4; }));
    endTrace();
    stim->getStimPatternArray();
    EXPECT_LT(writes.load(), 11);
    EXPECT_GE(driver->count("StopTask t7"), 1);
}

TEST_F(StimControllerTest, FirstTracePlaysStoredIntensitiesAndSecondPassPlaysIncrementedOnes) {
    step1.S1Ch = 2;
    step1.addIncrementByRepS1 = 1;
    step1.autoincrementS1 = "5";
    ASSERT_TRUE(step1.parseAutoIncrement(0));
    step1.setPulses(0, {standardBiphasic()});
    prepareAndRoute();
    EXPECT_EQ(driver->analogWrites().back()[0], -0.4);
    endTrace();  // one step enabled: every trace is a new pass
    prepareAndRoute();
    EXPECT_EQ(driver->analogWrites().back()[0], -0.6);  // −15 µA
    EXPECT_EQ(driver->analogWrites().back()[2], 0.6);
    EXPECT_EQ(step1.PulseAmplitudeAry[0], -10.0f);
}

TEST_F(StimControllerTest, AlternatingStepsIncrementOncePerPassThroughBoth) {
    for (PulseParameters* p : {&step1, &step2}) {
        p->S1Ch = 2;
        p->addIncrementByRepS1 = 1;
        p->autoincrementS1float = 5;
        p->setPulses(0, {standardBiphasic()});
    }
    clock->setStep({0, 1});
    clock->setMaxStepNum(2);
    stim->setStepsEnabled(true, true);
    std::vector<double> firstValues;
    for (int trace = 0; trace < 4; ++trace) {
        prepareAndRoute();
        firstValues.push_back(driver->analogWrites().back()[0]);
        endTrace();
    }
    EXPECT_EQ(firstValues, (std::vector<double>{-0.4, -0.4, -0.6, -0.6}));
}

TEST_F(StimControllerTest, FailedOutputWritePrintsAndTheTraceStillStartsItsInput) {
    step1.S1Ch = 2;
    step1.setPulses(0, {standardBiphasic()});
    driver->fail("WriteAnalogF64", daqmx::DAQmxErrorWriteFailed);
    testing::internal::CaptureStdout();
    prepareAndRoute();
    stim->StimOutPut();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DAQmx Error\u3000TaskAOSet!: WriteAnalogF64 failed\n");
    EXPECT_EQ(stim->StimOnOff, 1);
    EXPECT_EQ(driver->count("StartTask t3"), 1);
}

TEST_F(StimControllerTest, PatternLongerThanTheTraceIsCutAtTheTraceEnd) {
    step1.S1Ch = 2;
    step1.setPulses(0, {fiftySeconds()});
    prepareAndRoute();
    stim->StimOutPut();
    driver->reset();
    endTrace();
    auto start = std::chrono::steady_clock::now();
    stim->getStimPatternArray();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(driver->calls().at(0), "StopTask t7");
}

TEST_F(StimControllerTest, ManualStimulationPlaysOnceAndSetsStimStop) {
    manual.S2Ch = 0;
    manual.setPulses(1, {standardBiphasic()});
    ASSERT_TRUE(stim->startManualStim());
    EXPECT_EQ(stim->stimStop, 0);
    ASSERT_TRUE(waitUntil([&] { return stim->stimStop == 1; }));
    EXPECT_EQ(driver->calls(),
              (std::vector<std::string>{"CreateTask", "CreateDOChan t101 Dev1/port0/line0:9 '' 1", "StartTask t101",
                                        "WriteDigitalU32 t101 1 1 10 0 536", "StopTask t101", "ClearTask t101",
                                        "CfgSampClkTiming t7 OnboardClock 20000 10280 10178 2000",
                                        "WriteAnalogF64 t7 2000 0 20 1 - -", "StartTask t3", "StartTask t7",
                                        "StopTask t7"}));
    EXPECT_EQ(driver->analogWrites().at(0)[1], -0.4);
}



TEST_F(StimControllerTest, ManualWithNeitherOutputOnDoesNothing) {
    manual.setPulses(0, {standardBiphasic()});  // no electrode
    stim->stimStop = 1;
    EXPECT_FALSE(stim->startManualStim());
    EXPECT_EQ(stim->stimStop, 1);
    EXPECT_TRUE(driver->calls().empty());
}

TEST_F(StimControllerTest, ManualLengthIsTheLongerOutputWhenBothAreOn) {
    manual.S1Ch = 0;
    manual.S2Ch = 1;
    manual.setPulses(0, {standardBiphasic()});
    manual.setPulses(1, {standardBiphasic(), standardBiphasic()});
    EXPECT_EQ(stim->manualPatternLength(), 4000);
    manual.S2Ch = -1;
    EXPECT_EQ(stim->manualPatternLength(), 2000);
}

TEST_F(StimControllerTest, PostZeroOnTheLastPulseOfAnyProgramFailsTheCheck) {
    for (PulseParameters* p : {&step1, &step2, &manual}) {
        for (PulseParameters* q : {&step1, &step2, &manual}) q->setPulses(0, {standardBiphasic()});
        EXPECT_FALSE(stim->PulsePost0Check());
        p->setPulses(0, {standardBiphasic(), pulse("Biphasic", "0.1", "-10", "0", "0")});
        EXPECT_TRUE(stim->PulsePost0Check());
    }
}

TEST_F(StimControllerTest, PostZeroCheckCoversDisabledStepsAndS2) {
    stim->setStepsEnabled(false, false);
    step2.setPulses(1, {pulse("Const", "1", "5", "0", "0")});
    EXPECT_TRUE(stim->PulsePost0Check());
    EXPECT_EQ(stim->runStartProblem(false, false), "\"Post\" value of the last pulse must be over 0 ms.");
    EXPECT_EQ(stim->manualStartProblem(), "\"Post\" value of the last pulse must be over 0 ms");
}

TEST_F(StimControllerTest, RunWithNegativePreOnAnEnabledStepIsRefused) {
    step1.S1Ch = 0;
    step1.setPulses(0, {pulse("Biphasic", "0.1", "-10", "-2", "10")});
    EXPECT_EQ(stim->runStartProblem(true, false), korin::alerts::kNegativePulseTime);
    EXPECT_EQ(stim->runStartProblem(false, true), "");
}

TEST_F(StimControllerTest, ManualPatternOverAMillionSamplesIsRefused) {
    manual.S1Ch = 0;
    manual.setPulses(0, {fiftySeconds(), standardBiphasic()});
    EXPECT_EQ(stim->manualStartProblem(), korin::alerts::kPatternTooLong);
}

TEST_F(StimControllerTest, ResumeAddsTheWholeSecondsOfThePause) {
    auto now = std::chrono::steady_clock::time_point{};
    stim->setClock([&] { return now; });
    clock->PlusKeikaTime();  // 0.5 s into the run
    stim->notePause();
    now += 7800ms;
    stim->StimTimer_Tick_First();
    EXPECT_DOUBLE_EQ(clock->getKeikaTime(), 7.5);
}

TEST_F(StimControllerTest, FirstStartWithoutStimulusOnlyRestartsTheInput) {
    stim->StimTimer_Tick_First();
    EXPECT_DOUBLE_EQ(clock->getKeikaTime(), 0.0);
    EXPECT_EQ(driver->calls(), (std::vector<std::string>{"StopTask t3", "StartTask t3"}));
}

TEST_F(StimControllerTest, ResumeInsideTheFirstTracePlaysThePatternAgain) {
    step1.S1Ch = 2;
    step1.setPulses(0, {fiftySeconds()});
    prepareAndRoute();
    stim->StimTimer_Tick_First();
    stim->pauseOutput();
    driver->reset();
    stim->StimTimer_Tick_First();
    EXPECT_EQ(driver->count("WriteAnalogF64"), 1);
    EXPECT_EQ(driver->count("StartTask t7"), 1);
}

TEST_F(StimControllerTest, FinishRunEndsEveryWorkerAndClearsTheOutputOnce) {
    step1.S1Ch = 2;
    step1.setPulses(0, {fiftySeconds()});
    prepareAndRoute();
    stim->StimOutPut();
    driver->reset();
    stim->finishRun();
    // Stopped before the workers are joined, so no write holds the end up.
    EXPECT_EQ(driver->calls(), (std::vector<std::string>{"StopTask t7", "StopTask t7", "ClearTask t7"}));
    EXPECT_EQ(stim->StimOnOff, 0);
    EXPECT_EQ(stim->stimStop, 1);
    EXPECT_EQ(acq->StimStop, 1);
    EXPECT_FALSE(stim->threadF1.running());
}

TEST_F(StimControllerTest, DestroyingTheControllerJoinsAWaitingWorker) {
    manual.S1Ch = 0;
    manual.setPulses(0, {fiftySeconds()});
    ASSERT_TRUE(stim->startManualStim());
    auto start = std::chrono::steady_clock::now();
    stim.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

TEST_F(StimControllerTest, TracesAlternatingRepeatAndFiniteStepsKeepWorkersApart) {
    step1.S1Ch = 2;
    step1.repeatAll = 1;
    step1.setPulses(0, {pulse("Biphasic", "0.1", "-10", "0", "0.9")});  // 19 samples
    step2.S2Ch = 3;
    step2.addIncrementByRepS2 = 1;
    step2.autoincrementS2float = 1;
    step2.setPulses(1, {pulse("Biphasic", "0.1", "-10", "0", "1.9")});  // 39 samples
    clock->setStep({0, 1});
    clock->setMaxStepNum(2);
    stim->setStepsEnabled(true, true);
    stim->setTraceTimeMs(50.0);
    driver->onWrite([] { std::this_thread::sleep_for(1ms); });
    for (int trace = 0; trace < 8; ++trace) {
        prepareAndRoute();
        stim->StimOutPut();
        std::this_thread::sleep_for(3ms);
        endTrace();
    }
    stim->finishRun();
    EXPECT_EQ(driver->count("WriteDigitalU32"), 8);
    EXPECT_EQ(driver->count("ClearTask t7"), 1);
    EXPECT_FALSE(stim->threadF1.running());
    EXPECT_FALSE(stim->threadS2F2.running());
}

// --- Device refusals, remembered per trace ---

namespace {

struct Refusal {
    const char* op;  // the device operation that refuses in the second trace
    bool repeatAll;
};

struct RefusedInTraceTwo : StimControllerTest, ::testing::WithParamInterface<Refusal> {};

}  // namespace

TEST_P(RefusedInTraceTwo, CountsAgainstThatTraceAndItsArmedOutputOnly) {
    step1.S1Ch = 2;
    step1.repeatAll = GetParam().repeatAll ? 1 : 0;
    step1.setPulses(PulseParameters::kS1, {standardBiphasic()});
    prepareAndRoute();
    stim->StimOutPut();
    endTrace();
    driver->fail(GetParam().op, daqmx::DAQmxErrorWriteFailed);
    testing::internal::CaptureStdout();
    prepareAndRoute();
    stim->StimOutPut();
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_NE(console.find(std::string(GetParam().op) + " failed"), std::string::npos) << console;
    const StimulusPlayback& playback = stim->playback();
    EXPECT_TRUE(playback.played(0, PulseParameters::kS1));
    EXPECT_TRUE(playback.armedIn(1, PulseParameters::kS1));
    EXPECT_FALSE(playback.played(1, PulseParameters::kS1));
    EXPECT_FALSE(playback.armedIn(1, PulseParameters::kS2));
    EXPECT_EQ(playback.refusedTraceNumbers(), std::vector<std::int64_t>{2});
}

INSTANTIATE_TEST_SUITE_P(DeviceOperations, RefusedInTraceTwo,
                         ::testing::Values(Refusal{"WriteAnalogF64", false}, Refusal{"CfgSampClkTiming", false},
                                           Refusal{"StartTask", false}, Refusal{"WriteDigitalU32", false},
                                           Refusal{"WriteAnalogF64", true}),
                         [](const ::testing::TestParamInfo<Refusal>& info) {
                             return std::string(info.param.op) + (info.param.repeatAll ? "Repeating" : "Finite");
                         });

TEST_F(StimControllerTest, ARepeatWriteTheDeviceRefusesMidTraceCountsTheTraceAsNotPlayed) {
    step1.S1Ch = 2;
    step1.repeatAll = 1;
    step1.setPulses(PulseParameters::kS1, {standardBiphasic()});
    driver->fail("WriteAnalogF64", daqmx::DAQmxErrorWriteFailed, 3);  // the set-up's write and one repeat pass
    testing::internal::CaptureStdout();
    prepareAndRoute();
    stim->StimOutPut();
    ASSERT_TRUE(waitUntil([&] { return stim->playback().refusals() == 1; }));
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(stim->playback().played(0, PulseParameters::kS1));
    EXPECT_EQ(stim->playback().lastRefusedTrace(), 0);
}

TEST_F(StimControllerTest, StartStimRefusesAManualPulseBeyondTheStimulatorsRange) {
    manual.S1Ch = 0;
    manual.setPulses(PulseParameters::kS1, {pulse("Biphasic", "0.1", "-105", "0", "99.9")});
    EXPECT_EQ(stim->manualStartProblem(),
              "The Manual program would stimulate with -105 \u00b5A on S1; the stimulator's limit is 100 \u00b5A.");
}
