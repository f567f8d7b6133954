#include "files/recording_writer.h"

#include <gtest/gtest.h>

#include "tests/engine/file_size_limit.h"
#include <sys/resource.h>

#include <bit>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "acquisition/acquisition_ni.h"
#include "acquisition/timer.h"
#include "fake_daq_driver.h"

namespace fs = std::filesystem;

namespace {

// Expected bytes spelled out field by field, little-endian, independent of the writer.
struct Bytes {
    std::vector<std::uint8_t> v;
    Bytes& le(std::uint64_t x, int n) {
        for (int i = 0; i < n; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
        return *this;
    }
    Bytes& u8(std::uint8_t x) { return le(x, 1); }
    Bytes& i16(std::int16_t x) { return le(static_cast<std::uint16_t>(x), 2); }
    Bytes& i32(std::int32_t x) { return le(static_cast<std::uint32_t>(x), 4); }
    Bytes& i64(std::int64_t x) { return le(static_cast<std::uint64_t>(x), 8); }
    Bytes& f64(double x) { return le(std::bit_cast<std::uint64_t>(x), 8); }
    Bytes& repeat(std::uint8_t x, int n) {
        v.insert(v.end(), n, x);
        return *this;
    }
};

Bytes blockHeader(int trace, int block, double traceStart, double offset, int samples, int firstFlag, int lastFlag,
                  int loop, int step) {
    return Bytes()
        .i32(trace)
        .i32(block)
        .f64(traceStart)
        .f64(offset)
        .i32(samples)
        .u8(firstFlag)
        .u8(lastFlag)
        .i32(loop)
        .u8(step)
        .i32(samples * 32);
}

std::vector<std::uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::uint8_t> slice(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t n) {
    if (at + n > bytes.size()) return {};
    return {bytes.begin() + at, bytes.begin() + at + n};
}

std::int16_t sampleAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::int16_t>(bytes[at] | (bytes[at + 1] << 8));
}

struct WriterFixture : ::testing::Test {
    std::shared_ptr<FakeDaqDriver> driver = std::make_shared<FakeDaqDriver>();
    std::unique_ptr<AcquisitionNI> acq = std::make_unique<AcquisitionNI>(driver);
    fs::path dir;

    void SetUp() override {
        dir = fs::path(::testing::TempDir()) /
              ("writer_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        acq->INPUTRANGE = 2000;
        acq->shortRate = 16384;
        acq->pldatExportOn = 1;
    }
    void TearDown() override {
        acq->fileclose();
        acq->filecloseManual();
        fs::remove_all(dir);
    }

    std::shared_ptr<Timer> startClock(double duration, double traces, double interval) {
        auto clock = std::make_shared<Timer>(duration, traces, interval, interval - duration);
        clock->setStartDateTime(2022, 1, 31, 9, 5, 3, 250);
        acq->timer = clock;
        return clock;
    }

    // Writes one trace the way the run loop paces it: one block per 0.5 s pass,
    // `scans` samples per channel in each, then the interval passes.
    void writeTrace(Timer& clock, const std::vector<int>& scans, int intervalPasses) {
        if (clock.getnowtrace() != 0) clock.setTraceOffsetMsec(clock.getKeikaTime());
        for (std::size_t b = 0; b < scans.size(); ++b) {
            acq->WriteBlockHeader(scans[b], static_cast<int>(b));
            acq->WriteBinary(scans[b]);
            clock.Plus500ms();
            clock.Plusblock();
            clock.PlusKeikaTime();
        }
        clock.PlusTrace();
        clock.PlusStep();
        clock.ResetTimer();
        for (int i = 0; i < intervalPasses; ++i) clock.PlusKeikaTime();
    }

    std::string path(const std::string& name) const { return (dir / name).string(); }
};

constexpr std::size_t kHeader = 123;
constexpr std::size_t kFullBlock = 39 + 320'000;

}  // namespace

TEST_F(WriterFixture, FileHeaderOfARecordingRunMatchesItsLayoutByteForByte) {
    startClock(1.0, 3, 3.0);
    ASSERT_EQ(acq->fileopen(path("run.pldat")), 0);
    acq->fileclose();

    const Bytes expected = Bytes()
                               .i32(3)              // traces
                               .i32(2)              // blocks per trace
                               .u8(1)               // fixed byte
                               .f64(20000.0)        // Hz
                               .f64(1000.0)         // trace ms
                               .f64(2000.0)         // input range µV
                               .f64(6.103515625E-05)  // mV per count
                               .repeat(1, 16)
                               .repeat(0, 48)
                               .i16(2022)
                               .u8(1)
                               .u8(31)
                               .i32(32'703'250)
                               .i16(540)
                               .i64(637'792'167'032'500'000);
    ASSERT_EQ(expected.v.size(), 123u);
    EXPECT_EQ(readAll(path("run.pldat")), expected.v);
}

TEST_F(WriterFixture, LeapDayMidnightStartGivesItsTickCount) {
    auto clock = startClock(1.0, 1, 1.0);
    clock->setStartDateTime(2020, 2, 29, 0, 0, 0, 0);
    ASSERT_EQ(acq->fileopen(path("leap.pldat")), 0);
    acq->fileclose();
    const auto bytes = readAll(path("leap.pldat"));
    EXPECT_EQ(slice(bytes, 105, 18), Bytes().i16(2020).u8(2).u8(29).i32(0).i16(540).i64(637'185'312'000'000'000).v);
}

TEST_F(WriterFixture, ThreeTracesOfOneSecondGiveSixBlocksWithPerTraceIndicesAndFlags) {
    auto clock = startClock(1.0, 3, 3.0);
    ASSERT_EQ(acq->fileopen(path("run.pldat")), 0);
    for (int t = 0; t < 3; ++t) writeTrace(*clock, {10000, 10000}, 4);
    acq->fileclose();

    const auto bytes = readAll(path("run.pldat"));
    ASSERT_EQ(bytes.size(), kHeader + 6 * kFullBlock);
    const double traceStart[3] = {0.0, 3000.0, 6000.0};
    for (int n = 0; n < 6; ++n) {
        const int trace = n / 2, block = n % 2;
        EXPECT_EQ(slice(bytes, kHeader + n * kFullBlock, 39),
                  blockHeader(trace, block, traceStart[trace], block * 500.0, 10000, block == 0, block == 1, 0, 255).v)
            << "block " << n;
    }
}

TEST_F(WriterFixture, TraceOf1_2SecondsEndsWithABlockOf4000Samples) {
    auto clock = startClock(1.2, 1, 1.2);
    ASSERT_EQ(acq->fileopen(path("run.pldat")), 0);
    writeTrace(*clock, {10000, 10000, 4000}, 0);
    acq->fileclose();

    const auto bytes = readAll(path("run.pldat"));
    EXPECT_EQ(slice(bytes, 4, 4), Bytes().i32(3).v);  // blocks per trace
    EXPECT_EQ(slice(bytes, 17, 8), Bytes().f64(1200.0).v);
    ASSERT_EQ(bytes.size(), kHeader + 2 * kFullBlock + 39 + 128'000);
    EXPECT_EQ(slice(bytes, kHeader + 2 * kFullBlock, 39), blockHeader(0, 2, 0.0, 1000.0, 4000, 0, 1, 0, 255).v);
}

TEST_F(WriterFixture, TraceOfATenthOfASecondIsOneBlockOf2000Samples) {
    auto clock = startClock(0.1, 1, 0.1);
    ASSERT_EQ(acq->fileopen(path("run.pldat")), 0);
    writeTrace(*clock, {2000}, 0);
    acq->fileclose();

    const auto bytes = readAll(path("run.pldat"));
    EXPECT_EQ(slice(bytes, 4, 4), Bytes().i32(1).v);
    EXPECT_EQ(slice(bytes, 17, 8), Bytes().f64(100.0).v);
    ASSERT_EQ(bytes.size(), kHeader + 39 + 64'000);
    EXPECT_EQ(slice(bytes, kHeader, 39), blockHeader(0, 0, 0.0, 0.0, 2000, 1, 1, 0, 255).v);
}

TEST_F(WriterFixture, BothStepsAlternateStepByteAndCountLoopsByPairs) {
    auto clock = startClock(0.5, 4, 1.0);
    clock->setStep({0, 1});
    clock->setMaxStepNum(2);
    ASSERT_EQ(acq->fileopen(path("run.pldat")), 0);
    for (int t = 0; t < 4; ++t) writeTrace(*clock, {10000}, 1);
    acq->fileclose();

    const auto bytes = readAll(path("run.pldat"));
    ASSERT_EQ(bytes.size(), kHeader + 4 * kFullBlock);
    const int loops[4] = {1, 1, 2, 2}, steps[4] = {0, 1, 0, 1};
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(slice(bytes, kHeader + t * kFullBlock, 39),
                  blockHeader(t, 0, t * 1000.0, 0.0, 10000, 1, 1, loops[t], steps[t]).v)
            << "trace " << t;
}

TEST_F(WriterFixture, SamplesAreMillivoltsTimesShortRateTruncatedTowardZero) {
    startClock(0.5, 1, 0.5);
    const double mV[8] = {1.0, -0.5, 0.00009, -0.00009, -2.0, 1.99993896484375, 0.0, 0.25};
    for (int c = 0; c < 8; ++c) acq->aryData[c] = mV[c];
    ASSERT_EQ(acq->fileopen(path("run.pldat")), 0);
    acq->WriteBlockHeader(10000, 0);
    acq->WriteBinary(10000);
    acq->fileclose();

    const auto bytes = readAll(path("run.pldat"));
    const std::int16_t expected[8] = {16384, -8192, 1, -1, -32768, 32767, 0, 4096};
    for (int c = 0; c < 8; ++c) EXPECT_EQ(sampleAt(bytes, kHeader + 39 + 2 * c), expected[c]) << "channel " << c;
}

TEST_F(WriterFixture, SamplesBeyondFullScaleSaturateInsteadOfWrapping) {
    startClock(0.5, 1, 0.5);
    acq->aryData[0] = 2.5;
    acq->aryData[1] = -2.5;
    acq->aryData[2] = 1e9;
    ASSERT_EQ(acq->fileopen(path("run.pldat")), 0);
    acq->WriteBlockHeader(10000, 0);
    acq->WriteBinary(10000);
    acq->fileclose();

    const auto bytes = readAll(path("run.pldat"));
    EXPECT_EQ(sampleAt(bytes, kHeader + 39), 32767);
    EXPECT_EQ(sampleAt(bytes, kHeader + 41), -32768);
    EXPECT_EQ(sampleAt(bytes, kHeader + 43), 32767);
}

TEST_F(WriterFixture, InputRange10000StoresItsFactorAndCountsOf3276_8PerMillivolt) {
    acq->INPUTRANGE = 10000;
    acq->shortRate = 3276.8;
    startClock(0.5, 1, 0.5);
    acq->aryData[0] = 1.0;
    ASSERT_EQ(acq->fileopen(path("run.pldat")), 0);
    acq->WriteBlockHeader(10000, 0);
    acq->WriteBinary(10000);
    acq->fileclose();

    const auto bytes = readAll(path("run.pldat"));
    EXPECT_EQ(slice(bytes, 25, 16), Bytes().f64(10000.0).f64(3.0517578125E-04).v);
    EXPECT_EQ(sampleAt(bytes, kHeader + 39), 3276);
}

TEST_F(WriterFixture, ManualStimulationFileHoldsItsConstantFields) {
    startClock(1.0, 3, 3.0);
    Timer manualClock(0, 0, 0, 0);
    manualClock.setStartDateTime(2022, 1, 31, 9, 7, 0, 5);
    ASSERT_EQ(acq->fileopenManual(path("m.pldat"), 3, 1200, manualClock), 0);
    for (int b = 0; b < 3; ++b) {
        acq->WriteBlockHeaderManual(10000, b);
        acq->WriteBinaryManual(10000);
    }
    acq->filecloseManual();

    const auto bytes = readAll(path("m.pldat"));
    ASSERT_EQ(bytes.size(), kHeader + 3 * kFullBlock);
    EXPECT_EQ(slice(bytes, 0, 33), Bytes().i32(1).i32(3).u8(1).f64(20000.0).f64(1200.0).f64(2000.0).v);
    EXPECT_EQ(slice(bytes, 109, 4), Bytes().i32(((9 * 60 + 7) * 60 + 0) * 1000 + 5).v);
    for (int b = 0; b < 3; ++b)
        EXPECT_EQ(slice(bytes, kHeader + b * kFullBlock, 39), blockHeader(0, b, 0.0, b * 500.0, 10000, b == 0, 0, 0, 0).v)
            << "block " << b;
}

TEST_F(WriterFixture, NothingIsCreatedWhenTheRunWritesNoDataFile) {
    startClock(1.0, 1, 1.0);
    acq->pldatExportOn = 0;
    EXPECT_EQ(acq->fileopen(path("run.pldat")), 0);
    acq->WriteBlockHeader(10000, 0);
    acq->WriteBinary(10000);
    EXPECT_FALSE(fs::exists(path("run.pldat")));
}

TEST_F(WriterFixture, ExistingRecordingIsNeverTruncatedTheNewOneGetsANumber) {
    startClock(1.0, 1, 1.0);
    { std::ofstream(path("run.pldat"), std::ios::binary) << "earlier recording"; }
    { std::ofstream(path("run_2.pldat"), std::ios::binary) << "second"; }

    ASSERT_EQ(acq->fileopen(path("run.pldat")), 0);
    acq->fileclose();

    EXPECT_EQ(acq->file.path(), path("run_3.pldat"));
    EXPECT_EQ(fs::file_size(path("run_3.pldat")), kHeader);
    EXPECT_EQ(fs::file_size(path("run.pldat")), 17u);
    EXPECT_EQ(fs::file_size(path("run_2.pldat")), 6u);
}

TEST_F(WriterFixture, DataFileThatCannotBeCreatedIsReported) {
    startClock(1.0, 1, 1.0);
    EXPECT_EQ(acq->fileopen(path("no/such/folder/run.pldat")), 1);
    EXPECT_NE(acq->file.errorText().find("No such file or directory"), std::string::npos);
    acq->WriteBlockHeader(10000, 0);  // harmless without a file
    acq->WriteBinary(10000);
}

TEST_F(WriterFixture, FullDeviceFailsTheFileHeaderAndIsReported) {
    startClock(1.0, 1, 1.0);
    EXPECT_EQ(acq->fileopen("/dev/full"), 1);
    EXPECT_TRUE(acq->file.failed());
    EXPECT_NE(acq->file.errorText().find("No space left on device"), std::string::npos);
}

namespace {

}  // namespace

TEST_F(WriterFixture, WriteFailureMidRunKeepsEveryEarlierWholeBlock) {
    startClock(2.0, 1, 2.0);
    acq->aryData[0] = 0.5;
    ASSERT_EQ(acq->fileopen(path("run.pldat")), 0);
    {
        FileSizeLimit limit(kHeader + 2 * kFullBlock + 1000);
        for (int b = 0; b < 4; ++b) {
            acq->WriteBlockHeader(10000, b);
            acq->WriteBinary(10000);
            EXPECT_EQ(acq->file.failed(), b >= 2) << "block " << b;
        }
    }
    acq->fileclose();

    EXPECT_NE(acq->file.errorText().find("File too large"), std::string::npos);
    const auto bytes = readAll(path("run.pldat"));
    ASSERT_EQ(bytes.size(), kHeader + 2 * kFullBlock);
    EXPECT_EQ(slice(bytes, kHeader + kFullBlock, 39), blockHeader(0, 1, 0.0, 0.0, 10000, 0, 0, 0, 255).v);
    EXPECT_EQ(sampleAt(bytes, kHeader + kFullBlock + 39), 8192);
}

TEST_F(WriterFixture, CloseTwiceAndWritesAfterCloseDoNothing) {
    startClock(1.0, 1, 1.0);
    ASSERT_EQ(acq->fileopen(path("run.pldat")), 0);
    acq->fileclose();
    acq->fileclose();
    acq->WriteBlockHeader(10000, 0);
    acq->WriteBinary(10000);
    EXPECT_EQ(fs::file_size(path("run.pldat")), kHeader);
}

TEST_F(WriterFixture, RecordLargerThanTheStreamBufferIsWrittenWhole) {
    const std::size_t values = RecordingStream::kBufferBytes;  // twice the buffer in bytes
    std::vector<double> mV(values);
    for (std::size_t i = 0; i < values; ++i) mV[i] = static_cast<double>(i % 1000) / 16384;
    RecordingStream stream;
    ASSERT_TRUE(stream.create(path("big.bin")));
    stream.appendCounts(mV.data(), values, 16384);
    ASSERT_TRUE(stream.commit());
    stream.close();

    const auto bytes = readAll(path("big.bin"));
    ASSERT_EQ(bytes.size(), 2 * values);
    EXPECT_EQ(sampleAt(bytes, 2 * (values - 1)), static_cast<std::int16_t>((values - 1) % 1000));
    EXPECT_EQ(stream.committedBytes(), 2 * values);
}
