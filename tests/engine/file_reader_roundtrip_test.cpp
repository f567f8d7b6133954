// Recordings made by the acquisition pipeline on the simulated device read
// back exactly: every sample is the written count times the conversion factor.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "acquisition/acquisition_ni.h"
#include "acquisition/rounding.h"
#include "acquisition/sim_device.h"
#include "acquisition/timer.h"
#include "files/file_reader.h"
#include "tests/engine/file_reader_test_files.h"
#include "tests/engine/sim_recording.h"

namespace {

class RecordedRunTest : public ::testing::Test {
protected:
    // Records `traces` traces of `seconds` each, with one interval pass
    // between them, and keeps the counts each block wrote.
    void record(double seconds, int traces) {
        run.record(path, seconds, traces, [&](double remaining) {
            traceStarts.push_back(run.clock->getTraceOffsetMsec());
            const int scans = remaining >= 0.5 ? 10000 : static_cast<int>(remaining * 20000 + 0.5);
            // The format's count: mV x shortRate truncated toward zero, saturating.
            std::vector<std::int16_t> counts(static_cast<std::size_t>(scans) * 16);
            for (std::size_t i = 0; i < counts.size(); ++i)
                counts[i] = korin::truncToInt16(acq.aryData[i] * acq.shortRate);
            written.push_back(std::move(counts));
        });
    }

    testfiles::TempDir dir;
    std::string path = dir.file("run.pldat");
    SimRecording run{11};
    AcquisitionNI& acq = run.acq;
    std::vector<std::vector<std::int16_t>> written;
    std::vector<double> traceStarts;
};

TEST_F(RecordedRunTest, MultiTraceRunReadsBackAsWrittenCountsTimesTheConversionFactor) {
    record(1.2, 3);
    FileReader reader;
    ASSERT_TRUE(reader.open(path)) << reader.errorText();
    ASSERT_TRUE(reader.read()) << reader.errorText();
    EXPECT_EQ(reader.TraceMax, 3);
    EXPECT_EQ(reader.MaxBlock, 3);
    EXPECT_EQ(reader.DurationMax, 1200.0);
    EXPECT_EQ(reader.conversionFactor, 6.103515625E-05);
    EXPECT_EQ(reader.layout().header.startTicks, 637792167032500000);
    ASSERT_EQ(reader.AllBlock, 9);
    EXPECT_EQ(reader.blockIndex().end(), pldat::BlockIndex::End::FileEnd);

    reader.syokika();
    for (int n = 0; n < reader.AllBlock; ++n) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(reader.readData());
        EXPECT_EQ(reader.traceNumberIndex, n / 3);
        EXPECT_EQ(reader.traceBlockNumberIndex, n % 3);
        EXPECT_EQ(reader.traceOffsetTime, traceStarts[n]);
        const std::vector<std::int16_t>& counts = written[n];
        std::size_t mismatches = 0;
        for (std::size_t i = 0; i < counts.size(); ++i)
            mismatches += reader.aryData[i] != counts[i] * reader.conversionFactor;
        for (std::size_t i = counts.size(); i < 160000; ++i) mismatches += reader.aryData[i] != 0.0;
        EXPECT_EQ(mismatches, 0u);
    }
    EXPECT_EQ(reader.EpIndex, 3);
    EXPECT_EQ(reader.spikeIndex, 6.0);  // two bins per trace
}

TEST_F(RecordedRunTest, RunCutMidBlockReadsUpToItsLastWholeBlock) {
    record(1.0, 2);
    std::filesystem::resize_file(path, 123 + 3 * testfiles::kFullBlockBytes + 77);
    FileReader reader;
    ASSERT_TRUE(reader.open(path));
    ASSERT_TRUE(reader.read());
    EXPECT_EQ(reader.AllBlock, 3);
    reader.syokika();
    for (int n = 0; n < 3; ++n) ASSERT_TRUE(reader.readData());
    EXPECT_EQ(reader.aryData[16 * 9999 + 15], written[2][16 * 9999 + 15] * reader.conversionFactor);
    EXPECT_FALSE(reader.readData());
}

}  // namespace
