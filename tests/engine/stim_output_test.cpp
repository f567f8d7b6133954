#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/engine/stim_test_helpers.h"
#include "acquisition/acquisition_ni.h"
#include "stim_fake_driver.h"

namespace {

using stimtest::handle;
using stimtest::pulse;
using stimtest::standardBiphasic;
using stimtest::waitUntil;


struct StimOutputTest : ::testing::Test {
    // The acquisition object holds every live buffer of a run: one per suite.
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
    void SetUp() override {
        driver->reset();
        acq->taskHandle1 = handle(3);        // input task, "t3" in the log
        acq->taskHandleAnalog1 = handle(7);  // output task, "t7"
        acq->setPOch(18, 24);
        acq->StimStop = 0;
        acq->StimRepeat = 0;
        acq->error = 0;
    }
    void TearDown() override {
        acq->taskHandle1 = nullptr;
        acq->taskHandleAnalog1 = nullptr;
    }
};

// The value the device gets for `v` when it is written as "0.00" text and read back.
double viaText(float v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(v));
    return std::strtod(text, nullptr);
}

}  // namespace

TEST_F(StimOutputTest, FiniteOutputDoesNothingWhenNeitherOutputIsRouted) {
    acq->setPOch(24, 24);
    std::vector<float> data(4000, 0.4f);
    EXPECT_EQ(acq->TaskAOSet(2000, data.data()), 0) << "nothing asked of the device, nothing refused";
    EXPECT_TRUE(driver->calls().empty());
}

TEST_F(StimOutputTest, FiniteOutputConfiguresLenSamplesAndWritesThemInterleaved) {
    acq->StimRepeat = 5;
    std::vector<float> data(4000, 0.0f);
    EXPECT_EQ(acq->TaskAOSet(2000, data.data()), 0);
    EXPECT_EQ(driver->calls(), (std::vector<std::string>{"CfgSampClkTiming t7 OnboardClock 20000 10280 10178 2000",
                                                         "WriteAnalogF64 t7 2000 0 20 1 - -"}));
    EXPECT_EQ(driver->analogWrites().at(0).size(), 4000u);
    EXPECT_EQ(acq->StimRepeat, 0);
}

TEST_F(StimOutputTest, StagedValuesAreTheTwoDecimalTextFormOfTheBuffer) {
    std::vector<float> data;
    for (int k = -4000; k < 4000; ++k) data.push_back(static_cast<float>(k) / 1000.0f);
    data.push_back(0.4f);
    data.push_back(-0.005f);
    const int len = static_cast<int>(data.size() / 2);
    acq->TaskAOSet(len, data.data());
    const auto written = driver->analogWrites().at(0);
    ASSERT_EQ(written.size(), std::size_t(2 * len));
    for (std::size_t i = 0; i < written.size(); ++i) ASSERT_EQ(written[i], viaText(data[i])) << data[i];
    EXPECT_EQ(written[2 * len - 2], 0.4);  // not 0.4000000059604645, the single-precision value
}

TEST_F(StimOutputTest, FiniteOutputWriteFailurePrintsItsLineAndKeepsTheStoredRepeat) {
    driver->fail("WriteAnalogF64", daqmx::DAQmxErrorWriteFailed);
    acq->StimRepeat = 4;
    std::vector<float> data(4000, 0.0f);
    testing::internal::CaptureStdout();
    EXPECT_EQ(acq->TaskAOSet(2000, data.data()), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DAQmx Error\u3000TaskAOSet!: WriteAnalogF64 failed\n");
    EXPECT_EQ(acq->StimRepeat, 4);
    EXPECT_EQ(acq->error, daqmx::DAQmxErrorWriteFailed);
    EXPECT_EQ(acq->taskHandleAnalog1.load(), handle(7));
}


TEST_F(StimOutputTest, PatternBeyondAMillionSamplesPerOutputNeverReachesTheDevice) {
    std::vector<float> data(2'000'002, 0.0f);
    testing::internal::CaptureStdout();
    EXPECT_EQ(acq->TaskAOSet(1'000'001, data.data()), 1);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("1000001 samples per output"), std::string::npos) << out;
    EXPECT_TRUE(driver->calls().empty());
}

TEST_F(StimOutputTest, RepeatingOutputClearsStimStopSizesTheBufferForTwoPatternsAndWritesOnce) {
    acq->StimStop = 1;
    std::vector<float> data(4000, 0.0f);
    acq->TaskAORepeatSet(2000, data.data(), 10);
    EXPECT_EQ(acq->StimStop, 0);
    EXPECT_EQ(driver->calls(), (std::vector<std::string>{"CfgSampClkTiming t7 OnboardClock 20000 10280 10123 4000",
                                                         "WriteAnalogF64 t7 2000 0 20.1 1 - -"}));
    EXPECT_EQ(acq->StimRepeat, 10);
}

TEST_F(StimOutputTest, RepeatWritesWaitThePatternsLengthPlusTwentySeconds) {
    acq->StimRepeat = 2;
    std::vector<float> data(1'200'000, 0.0f);  // 30 s per output
    acq->AORepeatTask(600'000, data.data(), 2);
    EXPECT_EQ(driver->count("WriteAnalogF64 t7 600000 0 50 1"), 2);
}

TEST_F(StimOutputTest, WriteFailingAfterAStopWasAskedForKeepsTheTaskAndPrintsNothing) {
    acq->StimRepeat = 5;
    driver->onWrite([&] { acq->StimStop = 1; });  // the stop arrives while the write waits
    driver->fail("WriteAnalogF64", daqmx::DAQmxErrorWriteFailed);
    std::vector<float> data(40, 0.0f);
    testing::internal::CaptureStdout();
    EXPECT_EQ(acq->AORepeatTask(20, data.data(), 5), 0) << "the end of the trace's output, not a refusal";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(driver->count("ClearTask"), 0);
    EXPECT_NE(acq->taskHandleAnalog1.load(), nullptr);
}


TEST_F(StimOutputTest, RepeatingOutputFailurePrintsTest2ClearsTheTaskAndPrintsTest3) {
    driver->fail("WriteAnalogF64", daqmx::DAQmxErrorWriteFailed);
    std::vector<float> data(4000, 0.0f);
    testing::internal::CaptureStdout();
    EXPECT_EQ(acq->TaskAORepeatSet(2000, data.data(), 10), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DAQmx Error!: WriteAnalogF64 failed\ntest2\ntest3\n");
    auto calls = driver->calls();
    EXPECT_EQ(std::vector<std::string>(calls.end() - 2, calls.end()),
              (std::vector<std::string>{"StopTask t7", "ClearTask t7"}));
    EXPECT_EQ(acq->taskHandleAnalog1.load(), nullptr);
}

TEST_F(StimOutputTest, RepeatWritesTheStoredCountNotTheArgument) {
    acq->StimRepeat = 3;
    std::vector<float> data(40, 0.0f);
    acq->AORepeatTask(20, data.data(), 10);
    EXPECT_EQ(driver->count("WriteAnalogF64 t7 20 0 20.001 1"), 3);
}

TEST_F(StimOutputTest, RepeatLeavesTheLoopWhenStimStopIsSet) {
    acq->StimRepeat = 10;
    int writes = 0;
    driver->onWrite([&] {
        if (++writes == 2) acq->StimStop = 1;
    });
    std::vector<float> data(40, 0.0f);
    EXPECT_EQ(acq->AORepeatTask(20, data.data(), 10), 0);
    EXPECT_EQ(driver->count("WriteAnalogF64"), 2);
}

TEST_F(StimOutputTest, RepeatWriteFailureStopsClearsPrintsAndLeavesTheLoop) {
    acq->StimRepeat = 5;
    driver->fail("WriteAnalogF64", daqmx::DAQmxErrorWriteFailed, 2);
    std::vector<float> data(40, 0.0f);
    testing::internal::CaptureStdout();
    EXPECT_EQ(acq->AORepeatTask(20, data.data(), 5), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DAQmx Error!\u3000AORepeatTask: WriteAnalogF64 failed\n");
    EXPECT_EQ(driver->count("WriteAnalogF64"), 2);
    EXPECT_EQ(driver->count("StopTask t7"), 1);
    EXPECT_EQ(driver->count("ClearTask t7"), 1);
    EXPECT_EQ(acq->taskHandleAnalog1.load(), nullptr);
}

TEST_F(StimOutputTest, OutputStartRestartsTheInputFirst) {
    EXPECT_EQ(acq->AOTask(), 0);
    EXPECT_EQ(driver->calls(), (std::vector<std::string>{"StopTask t3", "StartTask t3", "StartTask t7"}));
}

TEST_F(StimOutputTest, OutputStartFailurePrintsTheAOTaskLine) {
    driver->fail("StartTask", daqmx::DAQmxErrorInvalidTask, 2);  // the input's start succeeds
    testing::internal::CaptureStdout();
    EXPECT_EQ(acq->AOTask(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DAQmx Error\u3000AOTask!: StartTask failed\n");
}


TEST_F(StimOutputTest, ManualStartFailurePrintsTheAOTaskMNLLine) {
    driver->fail("StartTask", daqmx::DAQmxErrorInvalidTask);
    testing::internal::CaptureStdout();
    EXPECT_EQ(acq->AOTaskMNL(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DAQmx Error\u3000AOTaskMNL: StartTask failed\n");
}

TEST_F(StimOutputTest, StopAndClearForgetsTheTaskSoASecondCallFindsNone) {
    EXPECT_EQ(acq->TeisiAO(), 0);
    EXPECT_EQ(acq->TeisiAO(), 1);
    EXPECT_EQ(driver->calls(), (std::vector<std::string>{"StopTask t7", "ClearTask t7"}));
}

TEST_F(StimOutputTest, StopOnlyKeepsTheTask) {
    EXPECT_EQ(acq->teisiOnlyAO(), 0);
    EXPECT_EQ(driver->calls(), (std::vector<std::string>{"StopTask t7"}));
    acq->taskHandleAnalog1 = nullptr;
    EXPECT_EQ(acq->teisiOnlyAO(), 1);
}

TEST_F(StimOutputTest, RoutingWritesWord786ForElectrode3OnS1ThroughAFreshTask) {
    EXPECT_EQ(acq->POTask(), 0);
    EXPECT_FALSE(acq->lastRoutingFailed());
    EXPECT_EQ(driver->calls(),
              (std::vector<std::string>{"CreateTask", "CreateDOChan t101 Dev1/port0/line0:9 '' 1", "StartTask t101",
                                        "WriteDigitalU32 t101 1 1 10 0 786", "StopTask t101", "ClearTask t101"}));
}


TEST_F(StimOutputTest, RoutingFailurePrintsReleasesTheTaskAndStillReturnsZero) {
    driver->fail("CreateDOChan", daqmx::DAQmxErrorDeviceNotFound);
    testing::internal::CaptureStdout();
    EXPECT_EQ(acq->POTask(), 0);
    EXPECT_TRUE(acq->lastRoutingFailed());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DAQmx Error: CreateDOChan failed\n");
    EXPECT_EQ(driver->count("WriteDigitalU32"), 0);
    EXPECT_EQ(driver->count("ClearTask t101"), 1);
}

TEST_F(StimOutputTest, RoutingWithoutATaskTouchesNoHandle) {
    driver->fail("CreateTask", daqmx::DAQmxErrorDeviceNotFound);
    testing::internal::CaptureStdout();
    acq->POTask();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DAQmx Error: CreateTask failed\n");
    EXPECT_EQ(driver->calls(), (std::vector<std::string>{"CreateTask"}));
}
