#include <gtest/gtest.h>

#include "tests/engine/file_size_limit.h"
#include <sys/resource.h>

#include <bit>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "acquisition/acquisition_ni.h"
#include "acquisition/sim_device.h"
#include "acquisition/timer.h"
#include "fake_daq_driver.h"
#include "processing/filter.h"

namespace fs = std::filesystem;

namespace {

constexpr int kScans = AcquisitionNI::kBlockScans;
constexpr double kVoltsToMv = 10.0;

// Device signal with one negative spike per 500 ms block on channel 0: -0.2 mV
// at the electrode from scan 100 to 105 of every block, 0 elsewhere. With the
// threshold at -0.1 mV the detector accepts it at scan 106.
double spikeEveryBlock(long long scan, int channel) {
    const long long k = scan % kScans;
    return channel == 0 && k >= 100 && k <= 105 ? -0.02 : 0.0;
}

// The run loop's bookkeeping around Kiroku, on any driver.
struct RunHarness : ::testing::Test {
    std::unique_ptr<AcquisitionNI> acq;
    std::shared_ptr<Timer> clock;
    float pthre[16] = {};
    float mthre[16] = {};
    float post[16] = {};
    float ep1[16] = {};
    float ep2[16] = {};

    void init(std::shared_ptr<daqmx::Driver> driver, float threshold) {
        acq = std::make_unique<AcquisitionNI>(std::move(driver));
        for (int c = 0; c < 16; ++c) {
            mthre[c] = threshold;
            post[c] = 0.5f;
            ep1[c] = 10.0f;
            ep2[c] = 80.0f;
        }
        acq->setInputRange(2000);
        ASSERT_EQ(acq->KidouNi(), 0);
        acq->syokika();
        acq->setThresh(pthre, mthre, post);
        acq->setEP(ep1, ep2);
    }

    void startRun(double duration, double traces, double interval) {
        clock = std::make_shared<Timer>(duration, traces, interval, std::max(0.0, interval - duration));
        clock->setStartDateTime(2022, 1, 31, 9, 5, 3, 250);
        acq->timer = clock;
    }

    // One recording pass of the run loop: the block, then the clock.
    int recordPass() {
        if (clock->getTime() == 0 && clock->getnowtrace() != 0) clock->setTraceOffsetMsec(clock->getKeikaTime());
        const int result = acq->Kiroku(clock->getRemainingTime());
        clock->Plus500ms();
        clock->Plusblock();
        clock->PlusKeikaTime();
        return result;
    }

    // The end of a trace and `passes` interval passes, as the run loop does them.
    void endTrace(int passes) {
        clock->PlusTrace();
        clock->PlusStep();
        clock->ResetTimer();
        acq->first = 1;
        for (int i = 0; i < passes; ++i) {
            ASSERT_EQ(acq->readonly(10), 0);
            clock->PlusKeikaTime();
        }
    }
};

struct PipelineFixture : RunHarness {
    std::shared_ptr<FakeDaqDriver> driver = std::make_shared<FakeDaqDriver>();
    void SetUp() override { init(driver, -0.1f); }
};

}  // namespace

TEST_F(PipelineFixture, TraceOf1_2SecondsReads10_10_4AndDiscardsTheRest) {
    startRun(1.2, 1, 1.2);
    std::vector<long long> delivered;
    for (int b = 0; b < 3; ++b) {
        ASSERT_EQ(recordPass(), 0);
        delivered.push_back(driver->scansDelivered);
    }
    EXPECT_EQ(delivered, (std::vector<long long>{10000, 20000, 30000}));
    EXPECT_EQ(driver->count("ReadAnalogF64"), 30);
    EXPECT_EQ(acq->DrawChartMaxIndex, 24000);
    EXPECT_EQ(acq->DrawSelectChMaxIndex, 24000);
}

TEST_F(PipelineFixture, LastBlockOfA1_2SecondTraceHoldsZerosAfterItsRealScans) {
    driver->signal = [](long long, int) { return 0.01; };
    startRun(1.2, 1, 1.2);
    for (int b = 0; b < 3; ++b) ASSERT_EQ(recordPass(), 0);
    for (int c : {0, 15}) {
        EXPECT_DOUBLE_EQ(acq->chAry[c][20000 + 3999], 0.1);
        EXPECT_EQ(acq->chAry[c][20000 + 4000], 0.0);
        EXPECT_EQ(acq->chAry[c][29999], 0.0);
        EXPECT_DOUBLE_EQ(acq->selectChAry[c][23999], 0.1);
        EXPECT_EQ(acq->selectChAry[c][24000], 0.0);
    }
    EXPECT_EQ(acq->tailA, 30000);
    EXPECT_EQ(acq->tail, 30000);
}

TEST_F(PipelineFixture, SecondTraceCountsIntoItsOwnBin) {
    driver->signal = spikeEveryBlock;
    startRun(1.5, 2, 2.0);
    for (int b = 0; b < 3; ++b) ASSERT_EQ(recordPass(), 0);
    endTrace(1);
    ASSERT_EQ(recordPass(), 0);

    EXPECT_EQ(acq->SpikeData[0][0], 2);
    EXPECT_EQ(acq->SpikeData[0][1], 1);
    EXPECT_EQ(acq->SpikeData[0][2], 1);
    EXPECT_EQ(acq->spikeTime[1], 1500.0);
    EXPECT_EQ(acq->spikeTime[2], 2000.0 + 500.0);
    EXPECT_EQ(acq->spikeIndex, 2.5);
}

TEST_F(PipelineFixture, TimeStampsAreSampleIndicesSinceTheRunStart) {
    driver->signal = spikeEveryBlock;
    startRun(1.0, 2, 3.0);
    for (int b = 0; b < 2; ++b) ASSERT_EQ(recordPass(), 0);
    endTrace(4);
    ASSERT_EQ(recordPass(), 0);

    ASSERT_EQ(acq->spikeCount[0], 3);
    EXPECT_EQ(acq->TimeStampData[0][0], 106);
    EXPECT_EQ(acq->TimeStampData[0][1], 10106);
    EXPECT_EQ(acq->TimeStampData[0][2], 60106);  // trace 2 starts at 3000 ms
    EXPECT_EQ(acq->spikeCount[1], 0);
}

TEST_F(PipelineFixture, ARunPastTheLast32BitTickStoresNoStampBeyondItAndSaysSoOnce) {
    driver->signal = spikeEveryBlock;
    startRun(3.0, 1, 3.0);
    // 107 373 000 ms is tick 2 147 459 968: the spike of the fourth block
    // (30 106 ticks on) would pass 2^31 - 1.
    clock->setTraceOffsetMsec(107'373.0);
    testing::internal::CaptureStdout();
    for (int b = 0; b < 6; ++b) ASSERT_EQ(recordPass(), 0);
    const std::string out = testing::internal::GetCapturedStdout();

    ASSERT_EQ(acq->spikeCount[0], 3);
    EXPECT_EQ(acq->TimeStampData[0][0], 2'147'459'968 + 106);
    EXPECT_EQ(acq->TimeStampData[0][2], 2'147'459'968 + 20'106);
    EXPECT_EQ(acq->TimeStampData[0][3], 0);
    EXPECT_EQ(acq->SpikeData[0][2], 2) << "spikes are still counted in their bins";
    std::size_t lines = 0;
    for (auto at = out.find("largest value"); at != std::string::npos; at = out.find("largest value", at + 1)) ++lines;
    EXPECT_EQ(lines, 1u) << out;
}

TEST_F(PipelineFixture, ThresholdEditedBetweenBlocksActsAtTheNextBlock) {
    driver->signal = spikeEveryBlock;
    startRun(2.0, 1, 2.0);
    ASSERT_EQ(recordPass(), 0);
    EXPECT_EQ(acq->spikeCount[0], 1);

    mthre[0] = -0.5f;  // below the -0.2 mV spike: no longer crossed
    ASSERT_EQ(recordPass(), 0);
    EXPECT_EQ(acq->spikeCount[0], 1);

    mthre[0] = -0.1f;
    ASSERT_EQ(recordPass(), 0);
    EXPECT_EQ(acq->spikeCount[0], 2);
}

TEST_F(PipelineFixture, WithoutFilterStagesBlockValuesAreExactlyTheScaledDeviceValues) {
    driver->signal = [](long long scan, int c) { return 0.0123 * (c + 1) - 1e-7 * static_cast<double>(scan % 977); };
    double offsets[16];
    for (int c = 0; c < 16; ++c) offsets[c] = 0.01 * c;
    acq->setdcOffsetValue(offsets);
    acq->setFilter(5000.0f, 1.0f, 0, 0);
    startRun(1.0, 1, 1.0);
    ASSERT_EQ(recordPass(), 0);
    ASSERT_EQ(recordPass(), 0);

    for (int k : {0, 1, 4321, 9999})
        for (int c : {0, 7, 15}) {
            const double expected = driver->signal(10000 + k, c) * kVoltsToMv - offsets[c];
            EXPECT_EQ(acq->aryData[16 * k + c], expected) << "scan " << k << " channel " << c;
            EXPECT_EQ(acq->chAry[c][10000 + k], expected);
        }
}

TEST_F(PipelineFixture, FilterRunsOverTheWholeBlockZeroRestIncluded) {
    driver->signal = [](long long, int c) { return 0.001 * (c + 1); };
    acq->setFilter(5000.0f, 1.0f, 0, 1);
    startRun(0.2, 1, 0.2);
    ASSERT_EQ(recordPass(), 0);

    Filter reference(5000.0f, 1.0f, 0, 1);
    for (int k = 0; k < kScans; ++k)
        for (int c = 0; c < 16; ++c) {
            const double expected = reference.filterSyori(c, k < 4000 ? driver->signal(k, c) * kVoltsToMv : 0.0);
            ASSERT_EQ(acq->aryData[16 * k + c], expected) << "scan " << k << " channel " << c;
        }
}

TEST_F(PipelineFixture, EvokedPotentialIsTheMinimumCountOfScans200To1600) {
    // Channel 0: the minimum sits on the window's first scan; channel 1 on its
    // last; channel 2 has deeper values just outside it.
    driver->signal = [](long long scan, int c) {
        if (c == 0 && scan == 200) return -0.02;
        if (c == 1 && scan == 1600) return -0.02;
        if (c == 2 && (scan == 199 || scan == 1601)) return -0.05;
        if (c <= 2 && scan > 200 && scan < 1600) return -0.01;
        return 0.0;
    };
    startRun(1.0, 1, 1.0);
    ASSERT_EQ(recordPass(), 0);

    EXPECT_EQ(acq->EPAmpData[0][0], -3276);  // -0.2 mV x 16384 = -3276.8, truncated
    EXPECT_EQ(acq->EPAmpData[1][0], -3276);
    EXPECT_EQ(acq->EPAmpData[2][0], -1638);  // -0.1 mV
    EXPECT_EQ(acq->EPAmpData[3][0], 0);
    EXPECT_EQ(acq->EpIndex, 1);
}

TEST_F(PipelineFixture, EvokedPotentialIsMeasuredOnlyOnATraceFirstBlockAtItsRunTime) {
    driver->signal = [](long long scan, int) { return scan % kScans == 1000 ? -0.02 : 0.0; };
    startRun(1.0, 2, 3.0);
    for (int b = 0; b < 2; ++b) ASSERT_EQ(recordPass(), 0);
    EXPECT_EQ(acq->EpIndex, 1);
    endTrace(4);
    ASSERT_EQ(recordPass(), 0);

    EXPECT_EQ(acq->EpIndex, 2);
    EXPECT_EQ(acq->EPAmpData[5][1], -3276);
    EXPECT_EQ(acq->epKeikaTime[0], 0.0);
    EXPECT_EQ(acq->epKeikaTime[1], 3000.0);
}

TEST_F(PipelineFixture, EvokedPotentialWindowBeyondTheFirstBlockLeavesTheEntryAtZero) {
    driver->signal = [](long long, int) { return -0.01; };
    for (int c = 0; c < 16; ++c) {
        ep1[c] = 600.0f;
        ep2[c] = 700.0f;
    }
    startRun(1.0, 1, 1.0);
    ASSERT_EQ(recordPass(), 0);
    EXPECT_EQ(acq->EPAmpData[0][0], 0);
    EXPECT_EQ(acq->EpIndex, 1);
}

TEST_F(PipelineFixture, ReadFailureMidBlockChangesNothingAndReturns1) {
    driver->signal = spikeEveryBlock;
    startRun(2.0, 1, 2.0);
    ASSERT_EQ(recordPass(), 0);
    const double ringValue = acq->chAry[0][105];
    driver->failReadAfterScans = 15000;

    testing::internal::CaptureStdout();
    EXPECT_EQ(acq->Kiroku(clock->getRemainingTime()), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DAQmx Error: Simulated read failure\n");

    EXPECT_EQ(acq->BlockNum, 1);
    EXPECT_EQ(acq->DrawChartMaxIndex, 10000);
    EXPECT_EQ(acq->DrawSelectChMaxIndex, 10000);
    EXPECT_EQ(acq->tailA, 10000);
    EXPECT_EQ(acq->tail, 10000);
    EXPECT_EQ(acq->chAry[0][105], ringValue);
    EXPECT_EQ(acq->chAry[0][10105], 0.0);
    EXPECT_EQ(acq->spikeIndex, 0.5);
    EXPECT_EQ(acq->SpikeData[0][0], 1);
    EXPECT_EQ(acq->spikeCount[0], 1);
    EXPECT_FALSE(acq->hasInputTask());
}

TEST_F(PipelineFixture, ReadFailureOnATraceFirstBlockKeepsThePreviousTraceRings) {
    driver->signal = [](long long, int) { return 0.01; };
    startRun(0.5, 2, 1.0);
    ASSERT_EQ(recordPass(), 0);
    endTrace(1);
    driver->failReadAfterScans = driver->scansDelivered;

    testing::internal::CaptureStdout();
    EXPECT_EQ(acq->Kiroku(clock->getRemainingTime()), 1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(acq->DrawChartMaxIndex, 10000);
    EXPECT_DOUBLE_EQ(acq->chAry[3][9999], 0.1);
    EXPECT_EQ(acq->EpIndex, 1);
}

TEST_F(PipelineFixture, BlockWithoutAnInputTaskFailsWithoutTouchingTheDevice) {
    startRun(1.0, 1, 1.0);
    acq->Teisi();
    testing::internal::CaptureStdout();
    EXPECT_EQ(acq->Kiroku(clock->getRemainingTime()), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DAQmx Error: no input task\n");
    EXPECT_EQ(driver->count("ReadAnalogF64"), 0);
    EXPECT_EQ(acq->DrawTyuu, 0);
}

TEST_F(PipelineFixture, ManualBlockFillsTheRingsWithoutAnyAnalysis) {
    driver->signal = spikeEveryBlock;
    acq->syokikaAry();
    ASSERT_EQ(acq->manualKiroku(), 0);
    ASSERT_EQ(acq->manualKiroku(), 0);

    EXPECT_EQ(acq->BlockNum, 2);
    EXPECT_EQ(acq->DrawChartMaxIndex, 20000);
    EXPECT_EQ(acq->DrawTyuu, 1);
    EXPECT_DOUBLE_EQ(acq->chAry[0][10100], -0.2);
    EXPECT_EQ(acq->spikeCount[0], 0);
    EXPECT_EQ(acq->spikeIndex, 0.0);
    EXPECT_EQ(acq->EpIndex, 0);
}

TEST_F(PipelineFixture, ManualReadFailurePrintsItsOwnErrorLine) {
    driver->failReadAfterScans = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(acq->manualKiroku(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DAQmx Error!!: Simulated read failure\n");
    EXPECT_FALSE(acq->hasInputTask());
}

TEST_F(PipelineFixture, DCDataStoresRawVoltsTimesTenWithoutOffsetOrFilter) {
    driver->signal = [](long long, int c) { return 0.005 * c; };
    acq->dcOffsetValue[4] = 1.0;
    acq->setFilter(1000.0f, 1.0f, 1, 1);
    acq->tailA = 20000;
    ASSERT_EQ(acq->DCData(true), 0);

    EXPECT_DOUBLE_EQ(acq->chAry[4][0], 0.2);
    EXPECT_DOUBLE_EQ(acq->chAry[4][9999], 0.2);
    EXPECT_EQ(acq->tailA, 20000);
    EXPECT_EQ(acq->DrawChartMaxIndex, 0);
}

TEST_F(PipelineFixture, DCDataWithoutStoreLeavesTheRingAlone) {
    driver->signal = [](long long, int) { return 0.01; };
    ASSERT_EQ(acq->DCData(false), 0);
    EXPECT_EQ(acq->chAry[0][0], 0.0);
    EXPECT_EQ(driver->scansDelivered, 10000);
}

// ---------------------------------------------------------------------------
// Recording through the pipeline

namespace {

std::vector<std::uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Bytes {
    std::vector<std::uint8_t> v;
    Bytes& le(std::uint64_t x, int n) {
        for (int i = 0; i < n; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
        return *this;
    }
    Bytes& u8(std::uint8_t x) { return le(x, 1); }
    Bytes& i16(std::int16_t x) { return le(static_cast<std::uint16_t>(x), 2); }
    Bytes& i32(std::int32_t x) { return le(static_cast<std::uint32_t>(x), 4); }
    Bytes& f64(double x) { return le(std::bit_cast<std::uint64_t>(x), 8); }
};

struct RecordingFixture : PipelineFixture {
    fs::path dir;
    void SetUp() override {
        PipelineFixture::SetUp();
        dir = fs::path(::testing::TempDir()) /
              ("pipeline_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        acq->pldatExportOn = 1;
    }
    void TearDown() override {
        acq->fileclose();
        fs::remove_all(dir);
    }
    std::string path() const { return (dir / "run.pldat").string(); }
};

constexpr std::size_t kHeader = 123;
constexpr std::size_t kFullBlock = 39 + 320'000;

// A level per channel and a slow ramp, in device volts.
double rampSignal(long long scan, int c) { return 0.0001 * (c - 8) + 1e-8 * static_cast<double>(scan % 20000); }

}  // namespace

TEST_F(RecordingFixture, TwoTracesOf1_2SecondsAreByteExact) {
    driver->signal = rampSignal;
    startRun(1.2, 2, 2.0);
    ASSERT_EQ(acq->fileopen(path()), 0);
    for (int b = 0; b < 3; ++b) ASSERT_EQ(recordPass(), 0);
    endTrace(1);  // 1.5 s of trace and 0.5 s of interval: trace 2 starts at 2000 ms, scan 40000
    for (int b = 0; b < 3; ++b) ASSERT_EQ(recordPass(), 0);
    acq->fileclose();

    const auto bytes = readAll(path());
    const std::size_t lastBlock = 39 + 4000 * 32;
    ASSERT_EQ(bytes.size(), kHeader + 2 * (2 * kFullBlock + lastBlock));

    std::size_t at = kHeader;
    for (int t = 0; t < 2; ++t)
        for (int b = 0; b < 3; ++b) {
            const int samples = b < 2 ? 10000 : 4000;
            const auto expected = Bytes()
                                      .i32(t)
                                      .i32(b)
                                      .f64(t * 2000.0)
                                      .f64(b * 500.0)
                                      .i32(samples)
                                      .u8(b == 0)
                                      .u8(b == 2)
                                      .i32(0)
                                      .u8(255)
                                      .i32(samples * 32);
            ASSERT_EQ(std::vector<std::uint8_t>(bytes.begin() + at, bytes.begin() + at + 39), expected.v)
                << "trace " << t << " block " << b;
            at += 39;
            const long long firstScan = t * 40000LL + b * 10000LL;
            for (int k = 0; k < samples; ++k)
                for (int c = 0; c < 16; ++c) {
                    const auto count = static_cast<std::int16_t>(bytes[at] | (bytes[at + 1] << 8));
                    const auto expectedCount =
                        static_cast<std::int16_t>(std::trunc(rampSignal(firstScan + k, c) * kVoltsToMv * 16384));
                    ASSERT_EQ(count, expectedCount) << "trace " << t << " block " << b << " scan " << k;
                    at += 2;
                }
        }
}

TEST_F(RecordingFixture, WriteFailureIsReportedAs2AndTheFileKeepsEveryEarlierBlock) {
    driver->signal = spikeEveryBlock;
    startRun(2.0, 1, 2.0);
    ASSERT_EQ(acq->fileopen(path()), 0);
    std::vector<int> results;
    testing::internal::CaptureStdout();
    {
        FileSizeLimit limit(kHeader + 2 * kFullBlock + 1000);
        for (int b = 0; b < 4; ++b) results.push_back(recordPass());
    }
    const std::string console = testing::internal::GetCapturedStdout();
    acq->fileclose();

    EXPECT_EQ(results, (std::vector<int>{0, 0, AcquisitionNI::kFileWriteFailed, AcquisitionNI::kFileWriteFailed}));
    EXPECT_NE(console.find("File too large"), std::string::npos);
    EXPECT_EQ(fs::file_size(path()), kHeader + 2 * kFullBlock);
    EXPECT_EQ(acq->BlockNum, 4) << "the block itself still reaches the views and analyses";
    EXPECT_EQ(acq->spikeCount[0], 4);
}

TEST_F(RecordingFixture, PlayWithoutRecordWritesNothing) {
    startRun(1.0, 1, 1.0);
    ASSERT_EQ(acq->fileopen(path()), 0);
    acq->pldatExportOn = 0;
    for (int b = 0; b < 2; ++b) ASSERT_EQ(recordPass(), 0);
    acq->fileclose();
    EXPECT_EQ(fs::file_size(path()), kHeader);
}

TEST_F(RecordingFixture, ManualStimulationBlocksGoToTheManualFile) {
    startRun(1.0, 1, 1.0);
    Timer manualClock(0, 0, 0, 0);
    manualClock.setStartDateTime(2022, 1, 31, 9, 7, 0, 0);
    const std::string manualPath = (dir / "m_Manual Stim.pldat").string();
    ASSERT_EQ(acq->fileopenManual(manualPath, 2, 800, manualClock), 0);
    acq->syokikaAry();
    ASSERT_EQ(acq->manualKiroku(), 0);
    ASSERT_EQ(acq->manualKiroku(), 0);
    acq->filecloseManual();

    const auto bytes = readAll(manualPath);
    ASSERT_EQ(bytes.size(), kHeader + 2 * kFullBlock);
    const auto second = Bytes().i32(0).i32(1).f64(0.0).f64(500.0).i32(10000).u8(0).u8(0).i32(0).u8(0).i32(320000);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + kHeader + kFullBlock, bytes.begin() + kHeader + kFullBlock + 39),
              second.v);
}

// ---------------------------------------------------------------------------
// On the free-running simulated device (culture signal, device clock)

namespace {

struct SimPipelineFixture : RunHarness {
    std::shared_ptr<SimulatedDevice> device = std::make_shared<SimulatedDevice>(SimulatedDevice::Options{3, false});
    void SetUp() override {
        init(device, -0.02f);
        acq->setFilter(5000.0f, 100.0f, 1, 1);
    }
};

}  // namespace

TEST_F(SimPipelineFixture, TraceOf1_2SecondsConsumesThreeWholeBlocksOfDeviceData) {
    startRun(1.2, 1, 1.2);
    std::vector<std::uint64_t> delivered;
    for (int b = 0; b < 3; ++b) {
        ASSERT_EQ(recordPass(), 0);
        delivered.push_back(device->inputScansDelivered());
    }
    EXPECT_EQ(delivered, (std::vector<std::uint64_t>{10000, 20000, 30000}));
    EXPECT_EQ(acq->DrawChartMaxIndex, 24000);
}

TEST_F(SimPipelineFixture, FreqDrawTimingAndSpikeIndexOverA1_5SecondTrace) {
    startRun(1.5, 1, 1.5);
    std::vector<int> timing;
    std::vector<double> index;
    for (int b = 0; b < 3; ++b) {
        ASSERT_EQ(recordPass(), 0);
        timing.push_back(acq->FreqDrawTiming);
        index.push_back(acq->spikeIndex);
    }
    EXPECT_EQ(timing, (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(index, (std::vector<double>{0.5, 1.0, 2.0}));
}

TEST_F(SimPipelineFixture, ReadFailureMidBlockReturns1AndKeepsBlockNumRingsAndBins) {
    startRun(2.0, 1, 2.0);
    ASSERT_EQ(recordPass(), 0);
    const std::vector<double> ring(acq->chAry[0], acq->chAry[0] + 20000);
    const std::int16_t bin = acq->SpikeData[0][0];
    const std::int32_t stamps = acq->spikeCount[0];
    device->failReadAfterScans(5500);

    testing::internal::CaptureStdout();
    EXPECT_EQ(acq->Kiroku(clock->getRemainingTime()), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("DAQmx Error: ", 0), 0u);

    EXPECT_EQ(acq->BlockNum, 1);
    EXPECT_EQ(acq->tailA, 10000);
    EXPECT_EQ(acq->DrawChartMaxIndex, 10000);
    EXPECT_EQ(std::vector<double>(acq->chAry[0], acq->chAry[0] + 20000), ring);
    EXPECT_EQ(acq->spikeIndex, 0.5);
    EXPECT_EQ(acq->SpikeData[0][0], bin);
    EXPECT_EQ(acq->spikeCount[0], stamps);
    EXPECT_FALSE(acq->hasInputTask());
}

TEST_F(SimPipelineFixture, ThreeTracesOfOneSecondMakeSixBlocksHandedOverAsRecorded) {
    const fs::path dir = fs::path(::testing::TempDir()) / "sim_pipeline_three_traces";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string path = (dir / "run.pldat").string();
    acq->pldatExportOn = 1;
    startRun(1.0, 3, 3.0);
    ASSERT_EQ(acq->fileopen(path), 0);
    for (int t = 0; t < 3; ++t) {
        for (int b = 0; b < 2; ++b) ASSERT_EQ(recordPass(), 0);
        if (t < 2) endTrace(4);
    }
    acq->fileclose();

    const auto bytes = readAll(path);
    ASSERT_EQ(bytes.size(), kHeader + 6 * kFullBlock);
    for (int n = 0; n < 6; ++n) {
        const int t = n / 2, b = n % 2;
        const auto expected =
            Bytes().i32(t).i32(b).f64(t * 3000.0).f64(b * 500.0).i32(10000).u8(b == 0).u8(b == 1).i32(0).u8(255).i32(
                320000);
        const std::size_t at = kHeader + n * kFullBlock;
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + at, bytes.begin() + at + 39), expected.v) << "block " << n;
    }
    // The last block's samples are the counts of the block the pipeline handed over.
    const std::size_t last = kHeader + 5 * kFullBlock + 39;
    for (int i : {0, 1, 777, 159999}) {
        const auto count = static_cast<std::int16_t>(bytes[last + 2 * i] | (bytes[last + 2 * i + 1] << 8));
        EXPECT_EQ(count, static_cast<std::int16_t>(std::trunc(acq->aryData[i] * 16384))) << "value " << i;
    }
    fs::remove_all(dir);
}
