#include "acquisition/acquisition_ni.h"

#include <gtest/gtest.h>

#include "fake_daq_driver.h"
#include "processing/filter.h"

namespace {

struct AcquisitionFixture : ::testing::Test {
    std::shared_ptr<FakeDaqDriver> driver = std::make_shared<FakeDaqDriver>();
    // Large: one instance per test, as the window keeps one per process.
    std::unique_ptr<AcquisitionNI> acq = std::make_unique<AcquisitionNI>(driver);
};

}  // namespace

TEST_F(AcquisitionFixture, Range2000GivesLimitsOf0_2VoltAndShortRate16384) {
    acq->setInputRange(2000);
    ASSERT_EQ(acq->KidouNi(), 0);
    EXPECT_DOUBLE_EQ(acq->INPUTRANGE2, 0.2);
    EXPECT_DOUBLE_EQ(acq->shortRate, 16384.0);
    EXPECT_DOUBLE_EQ(driver->lastAiMin, -0.2);
    EXPECT_DOUBLE_EQ(driver->lastAiMax, 0.2);
    EXPECT_EQ(driver->lastAiChannels, "Dev1/ai0:7,Dev1/ai16:23");
    EXPECT_DOUBLE_EQ(1 / acq->shortRate, 0.00006103515625);
}

TEST_F(AcquisitionFixture, Range10000GivesLimitsOf1VoltAndShortRate3276_8) {
    acq->setInputRange(10000);
    ASSERT_EQ(acq->KidouNi(), 0);
    EXPECT_DOUBLE_EQ(acq->INPUTRANGE2, 1.0);
    EXPECT_DOUBLE_EQ(acq->shortRate, 3276.8);
    EXPECT_DOUBLE_EQ(driver->lastAiMax, 1.0);
    EXPECT_DOUBLE_EQ(1 / acq->shortRate, 0.00030517578125);
}

TEST_F(AcquisitionFixture, KidouNiCreatesInputThenOutputTaskAndStartsNothing) {
    ASSERT_EQ(acq->KidouNi(), 0);
    EXPECT_EQ(driver->calls, (std::vector<std::string>{"CreateTask", "CreateAIVoltageChan", "CfgSampClkTiming",
                                                       "CreateTask", "CreateAOVoltageChan"}));
    EXPECT_TRUE(acq->hasInputTask());
    EXPECT_NE(acq->taskHandleAnalog1.load(), nullptr);
}

TEST_F(AcquisitionFixture, MissingDeviceFailsSetUpAndKeepsNoTask) {
    driver->failWith["CreateAIVoltageChan"] = daqmx::DAQmxErrorDeviceNotFound;
    EXPECT_EQ(acq->KidouNi(), 1);
    EXPECT_FALSE(acq->hasInputTask());
    EXPECT_EQ(driver->count("CfgSampClkTiming"), 0);
    EXPECT_EQ(driver->createdTasks, driver->clearedTasks);
}

TEST_F(AcquisitionFixture, FailingOutputTaskFailsSetUpAndReleasesTheInputTask) {
    driver->failWith["CreateAOVoltageChan"] = daqmx::DAQmxErrorDeviceNotFound;
    EXPECT_EQ(acq->KidouNi(), 1);
    EXPECT_FALSE(acq->hasInputTask());
    EXPECT_EQ(acq->taskHandleAnalog1.load(), nullptr);
    EXPECT_EQ(driver->createdTasks, driver->clearedTasks);
}

TEST_F(AcquisitionFixture, ScaledReadIsVoltsTimesTenMinusOffset) {
    driver->signal = [](long long, int c) { return c == 2 ? 0.05 : 0.0; };
    acq->dcOffsetValue[2] = 0.1;
    ASSERT_EQ(acq->KidouNi(), 0);
    std::vector<double> block(AcquisitionNI::kBlockValues, -1.0);
    ASSERT_EQ(acq->scaledRead(3, block.data()), 0);
    EXPECT_NEAR(block[2], 0.4, 1e-12);
    EXPECT_NEAR(block[16 * 2999 + 2], 0.4, 1e-12);
    EXPECT_EQ(block[16 * 2999 + 3], 0.0);
    EXPECT_EQ(block[16 * 3000 + 2], 0.0) << "positions the reads did not fill hold 0";
}

TEST_F(AcquisitionFixture, ScaledReadKeepsScanOrderAcrossReads) {
    driver->signal = [](long long scan, int c) { return scan * 0.001 + c * 1e-6; };
    ASSERT_EQ(acq->KidouNi(), 0);
    std::vector<double> block(AcquisitionNI::kBlockValues);
    ASSERT_EQ(acq->scaledRead(10, block.data()), 0);
    EXPECT_NEAR(block[16 * 1500 + 7], (1500 * 0.001 + 7e-6) * 10, 1e-9);
    EXPECT_NEAR(block[16 * 9999 + 15], (9999 * 0.001 + 15e-6) * 10, 1e-9);
}

TEST_F(AcquisitionFixture, ReadonlyConsumesExactlyTheScansAndOnlyMovesFilterState) {
    driver->signal = [](long long, int) { return 0.01; };
    ASSERT_EQ(acq->KidouNi(), 0);
    acq->filter = std::make_unique<Filter>(1000.0f, 1.0f, 1, 0);
    acq->syokika();
    acq->readonly(3);
    EXPECT_EQ(driver->scansDelivered, 3000);
    EXPECT_NE(acq->filter->VV[0], 0.0f);
    EXPECT_EQ(acq->DrawChartMaxIndex, 0);
    EXPECT_EQ(acq->chAry[0][0], 0.0);
    EXPECT_EQ(acq->aryData[0], 0.0);
}

TEST_F(AcquisitionFixture, FailedReadonlyPrintsAndClearsTheTask) {
    ASSERT_EQ(acq->KidouNi(), 0);
    driver->failReadAfterScans = 1500;
    testing::internal::CaptureStdout();
    EXPECT_EQ(acq->readonly(3), 1);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "DAQmx Error: Simulated read failure\n");
    EXPECT_FALSE(acq->hasInputTask());
}

TEST_F(AcquisitionFixture, TeisiTwiceTouchesNoDeviceTheSecondTime) {
    ASSERT_EQ(acq->KidouNi(), 0);
    EXPECT_EQ(acq->Teisi(), 0);
    std::size_t callsAfterFirst = driver->calls.size();
    EXPECT_EQ(acq->Teisi(), 1);
    EXPECT_EQ(acq->TeisiStoponly(), 1);
    EXPECT_EQ(driver->calls.size(), callsAfterFirst);
}

TEST_F(AcquisitionFixture, StartFailurePrintsItsLines) {
    ASSERT_EQ(acq->KidouNi(), 0);
    driver->failWith["StartTask"] = -200000;
    testing::internal::CaptureStdout();
    EXPECT_EQ(acq->startTaskDCAfter(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "DAQmx Error: startTask StartTask failed\nDAQmx Error: startTaskDCAfter StartTask failed\n");
}

TEST_F(AcquisitionFixture, ReadJudgesOnlyItsOwnStatus) {
    ASSERT_EQ(acq->KidouNi(), 0);
    acq->error = -200999;  // as a stimulus worker might leave it
    EXPECT_EQ(acq->readonly(1), 0);
    EXPECT_TRUE(acq->hasInputTask());
}

TEST_F(AcquisitionFixture, SyokikaZeroesHistoriesAndSyokikaAryOnlyRings) {
    acq->SpikeData[3][10] = 5;
    acq->TimeStampData[15][999'999] = 7;
    acq->chAry[0][49'999] = 1.0;
    acq->spikeCount[4] = 9;
    acq->tail = 30;
    acq->syokikaAry();
    EXPECT_EQ(acq->SpikeData[3][10], 5);
    EXPECT_EQ(acq->chAry[0][49'999], 0.0);
    EXPECT_EQ(acq->tail, 0);
    acq->syokika();
    EXPECT_EQ(acq->SpikeData[3][10], 0);
    EXPECT_EQ(acq->TimeStampData[15][999'999], 0);
    EXPECT_EQ(acq->spikeCount[4], 0);
    EXPECT_EQ(acq->first, 1);
    EXPECT_EQ(acq->FreqDrawTiming, 1);
}
