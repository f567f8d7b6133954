// Opening and parsing recordings: header fields, the block index, counts back
// to mV, and files that are cut, odd or broken.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>

#include "files/file_reader.h"
#include "tests/engine/file_reader_test_files.h"

using namespace testfiles;

namespace {

class FileReaderTest : public ::testing::Test {
protected:
    // Opens and reads `bytes`; the reader is left as read() leaves it.
    bool load(const Bytes& bytes, const std::string& name = "rec.pldat") {
        return reader.open(dir.write(name, bytes.data)) && reader.read();
    }
    // Reads block n forward with the whole block kept.
    void readBlock(int n) {
        reader.NowBlock = n;
        reader.KaisiPoint = 0;
        reader.OwariPoint = 10000;
        ASSERT_TRUE(reader.readData());
    }

    TempDir dir;
    FileReader reader;
};

TEST_F(FileReaderTest, ReadsTheFileHeaderAndFirstBlockHeader) {
    RecordingSpec plan;
    plan.traces = 3;
    plan.durationMs = 1000;
    ASSERT_TRUE(load(recording(plan)));
    EXPECT_TRUE(reader.FileSetOn);
    EXPECT_EQ(reader.TraceMax, 3);
    EXPECT_EQ(reader.MaxBlock, 2);
    EXPECT_EQ(reader.DurationMax, 1000.0);
    EXPECT_EQ(reader.conversionFactor, 6.103515625E-05);
    EXPECT_EQ(reader.AC, 16);
    EXPECT_EQ(reader.point, 10000);
    EXPECT_EQ(reader.perBlockSize, 320000);
    EXPECT_EQ(reader.AllBlock, 6);
    for (int c = 0; c < 16; ++c) {
        EXPECT_EQ(reader.ACary[c], 1);
        EXPECT_EQ(reader.chIndex[c], c);
    }
    EXPECT_EQ(reader.ACary[16], 0);
    EXPECT_EQ(reader.chIndex[16], 255);
    EXPECT_EQ(reader.layout().header.year, 2022);
    EXPECT_EQ(reader.layout().header.startTicks, 637792167032500000);
}

TEST_F(FileReaderTest, SamplesComeBackAsCountsTimesTheConversionFactor) {
    auto counts = [](int, int k, int j) -> std::int16_t {
        if (k == 0) return j == 0 ? 16384 : (j == 1 ? -8192 : (j == 2 ? 32767 : -32768));
        return static_cast<std::int16_t>(k - j);
    };
    ASSERT_TRUE(load(recording({}, counts)));
    readBlock(0);
    EXPECT_EQ(reader.aryData[0], 1.0);
    EXPECT_EQ(reader.aryData[1], -0.5);
    EXPECT_EQ(reader.aryData[2], 32767 * kCf2000);
    EXPECT_EQ(reader.aryData[3], -2.0);
    EXPECT_EQ(reader.aryData[16 * 9999 + 15], (9999 - 15) * kCf2000);
}

TEST_F(FileReaderTest, ShortLastBlocksOfOddDurationsAreReplayedFromTheirOwnBytes) {
    RecordingSpec plan;
    plan.traces = 3;
    plan.durationMs = 1200;  // blocks of 10000, 10000 and 4000 scans per trace
    ASSERT_TRUE(load(recording(plan)));
    // The equal-stride count would be (3 x 2 x 320039 + 3 x 128039) / 320039 = 7.
    ASSERT_EQ(reader.AllBlock, 9);
    for (int n = 0; n < 9; ++n) {
        SCOPED_TRACE(n);
        readBlock(n);
        EXPECT_EQ(reader.traceNumberIndex, n / 3);
        EXPECT_EQ(reader.traceBlockNumberIndex, n % 3);
        EXPECT_EQ(reader.aryData[5], identityCount(n, 0, 5) * kCf2000);
    }
    EXPECT_EQ(reader.blockIndex().position(8), 123 + 2 * (2 * kFullBlockBytes + 39 + 4000 * 32) + 2 * kFullBlockBytes);
}

TEST_F(FileReaderTest, ShortBlockKeepsZerosAfterItsScans) {
    RecordingSpec plan;
    plan.durationMs = 1200;
    ASSERT_TRUE(load(recording(plan)));
    readBlock(2);
    EXPECT_EQ(reader.aryData[16 * 3999 + 1], identityCount(2, 3999, 1) * kCf2000);
    EXPECT_EQ(reader.aryData[16 * 4000 + 1], 0.0);
}

TEST_F(FileReaderTest, TruncatedFileReadsUpToItsLastWholeBlock) {
    RecordingSpec plan;
    plan.traces = 2;
    Bytes bytes = recording(plan);
    bytes.data.resize(123 + 3 * kFullBlockBytes + 1000);  // cut inside block 3
    ASSERT_TRUE(load(bytes));
    EXPECT_EQ(reader.AllBlock, 3);
    EXPECT_EQ(reader.blockIndex().end(), pldat::BlockIndex::End::CutTail);
    EXPECT_EQ(reader.blockIndex().trailingBytes(), 1000u);
    readBlock(2);
    EXPECT_EQ(reader.aryData[16 * 9999 + 15], identityCount(2, 9999, 15) * kCf2000);
    EXPECT_FALSE(reader.readData());
    EXPECT_EQ(reader.NowBlock, 3);
}

TEST_F(FileReaderTest, TailCutInsideABlockHeaderIsIgnored) {
    Bytes bytes = recording({});
    bytes.data.resize(bytes.data.size() + 20, 0xAB);
    ASSERT_TRUE(load(bytes));
    EXPECT_EQ(reader.AllBlock, 2);
    EXPECT_EQ(reader.blockIndex().trailingBytes(), 20u);
}

TEST_F(FileReaderTest, NonsenseHeaderMidFileEndsTheIndexBeforeIt) {
    RecordingSpec plan;
    plan.traces = 3;
    Bytes bytes = recording(plan);
    const std::size_t samplesField = 123 + 3 * kFullBlockBytes + 24;
    bytes.data[samplesField + 1] = 0x7F;  // block 3 claims about 32 000 scans
    ASSERT_TRUE(load(bytes));
    EXPECT_EQ(reader.AllBlock, 3);
    EXPECT_EQ(reader.blockIndex().end(), pldat::BlockIndex::End::BadHeader);
    EXPECT_EQ(reader.blockIndex().badHeaderPosition(), 123 + 3 * kFullBlockBytes);
}

TEST_F(FileReaderTest, FilesThatCannotBeRecordingsAreRefusedWithAMessage) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    Bytes whole = recording({});
    cases.push_back({"header and a cut first block header",
                     std::vector<std::uint8_t>(whole.data.begin(), whole.data.begin() + 161)});
    cases.push_back({"header and first block header, samples cut",
                     std::vector<std::uint8_t>(whole.data.begin(), whole.data.begin() + 162 + 100)});
    std::mt19937 rng(7);
    std::vector<std::uint8_t> garbage(200000);
    for (auto& b : garbage) b = static_cast<std::uint8_t>(rng());
    cases.push_back({"random bytes", garbage});

    auto withBlock = [](FileHeaderSpec h, BlockSpec s) {
        Bytes b;
        appendFileHeader(b, h);
        appendBlockHeader(b, s, h.presentChannels());
        b.data.resize(b.data.size() + 320000);
        return b.data;
    };
    BlockSpec tooMany;
    tooMany.samples = 10001;
    cases.push_back({"10001 samples per channel", withBlock({}, tooMany)});
    BlockSpec negative;
    negative.samples = -1;
    cases.push_back({"negative sample count", withBlock({}, negative)});
    BlockSpec mismatch;
    mismatch.byteCount = 320002;
    cases.push_back({"byte count not samples x channels x 2", withBlock({}, mismatch)});
    FileHeaderSpec noChannel;
    noChannel.flags = {};
    cases.push_back({"no channel present", withBlock(noChannel, {})});
    FileHeaderSpec zeroTraces;
    zeroTraces.traceCount = 0;
    cases.push_back({"trace count 0", withBlock(zeroTraces, {})});
    FileHeaderSpec badFactor;
    badFactor.conversionFactor = std::nan("");
    cases.push_back({"conversion factor NaN", withBlock(badFactor, {})});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileReader r;
        Bytes b;
        b.data = c.bytes;
        ASSERT_TRUE(r.open(dir.write("broken.pldat", b.data)));
        EXPECT_FALSE(r.read());
        EXPECT_FALSE(r.FileSetOn);
        EXPECT_FALSE(r.errorText().empty());
        EXPECT_FALSE(r.readData());
        EXPECT_FALSE(r.readHeader());
        EXPECT_EQ(r.backBlock(), 0);
    }
}

TEST_F(FileReaderTest, MissingFileAndDirectoryAreRefusedAtOpen) {
    EXPECT_FALSE(reader.open(dir.file("no such file.pldat")));
    EXPECT_NE(reader.errorText().find("no such file.pldat"), std::string::npos);
    EXPECT_FALSE(reader.read());
    EXPECT_FALSE(reader.open(dir.file("")));
    EXPECT_FALSE(reader.FileSetOn);
}

TEST_F(FileReaderTest, ReadsNothingAfterClose) {
    ASSERT_TRUE(load(recording({})));
    reader.Close();
    EXPECT_FALSE(reader.FileSetOn);
    EXPECT_FALSE(reader.readData());
}

TEST_F(FileReaderTest, AbsentChannelLeavesItsSlotEmptyAndTheOthersInPlace) {
    RecordingSpec plan;
    plan.header.flags[2] = 0;  // channel 3 absent: 15 values per scan
    ASSERT_TRUE(load(recording(plan)));
    EXPECT_EQ(reader.AC, 15);
    EXPECT_EQ(reader.chIndex[2], 255);
    EXPECT_EQ(reader.chIndex[3], 2);
    readBlock(0);
    EXPECT_EQ(reader.aryData[16 * 5 + 2], 0.0);
    EXPECT_EQ(reader.aryData[16 * 5 + 3], identityCount(0, 5, 2) * kCf2000);  // channel 4 is value 2
    EXPECT_EQ(reader.aryData[16 * 5 + 15], identityCount(0, 5, 14) * kCf2000);
}

TEST_F(FileReaderTest, ChannelsBeyondSixteenAreSkipped) {
    RecordingSpec plan;
    for (int i = 16; i < 20; ++i) plan.header.flags[i] = 1;  // 20 values per scan
    ASSERT_TRUE(load(recording(plan)));
    EXPECT_EQ(reader.AC, 20);
    EXPECT_EQ(reader.perBlockSize, 400000);
    readBlock(1);
    EXPECT_EQ(reader.aryData[16 * 9999 + 15], identityCount(1, 9999, 15) * kCf2000);
    EXPECT_EQ(reader.aryData[16 * 9999], identityCount(1, 9999, 0) * kCf2000);
}

TEST_F(FileReaderTest, StepMaxCountsTheTracesOfTheFirstLoop) {
    struct Case {
        int steps;
        int expected;
    };
    for (Case c : {Case{0, 0}, Case{1, 1}, Case{2, 2}}) {
        SCOPED_TRACE(c.steps);
        RecordingSpec plan;
        plan.traces = 6;
        plan.durationMs = 100;  // one short block per trace
        plan.steps = c.steps;
        FileReader r;
        ASSERT_TRUE(r.open(dir.write("steps.pldat", recording(plan).data)));
        ASSERT_TRUE(r.read());
        EXPECT_EQ(r.StepMax, c.expected);
    }
}

TEST_F(FileReaderTest, SingleTraceFileWithStepsHasStepMaxOne) {
    RecordingSpec plan;
    plan.traces = 1;
    plan.steps = 2;
    ASSERT_TRUE(load(recording(plan)));
    EXPECT_EQ(reader.StepMax, 1);
}

TEST_F(FileReaderTest, BlockOfAFileOverTwoGigabytesIsFoundAtItsSixtyFourBitPosition) {
    // 7000 full blocks, sparse: headers only, the samples are holes.
    const std::string path = dir.file("long.pldat");
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    FileHeaderSpec h;
    h.traceCount = 3500;
    Bytes header;
    appendFileHeader(header, h);
    ASSERT_EQ(::pwrite(fd, header.data.data(), header.data.size(), 0), 123);
    for (int n = 0; n < 7000; ++n) {
        Bytes b;
        BlockSpec s;
        s.trace = n / 2;
        s.block = n % 2;
        s.first = n % 2 == 0;
        s.last = n % 2 == 1;
        appendBlockHeader(b, s, 16);
        const off_t at = static_cast<off_t>(123 + static_cast<std::uint64_t>(n) * 320039);
        ASSERT_EQ(::pwrite(fd, b.data.data(), 39, at), 39);
    }
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(123 + 7000ull * 320039)), 0);
    ::close(fd);

    ASSERT_TRUE(reader.open(path));
    ASSERT_TRUE(reader.read());
    EXPECT_EQ(reader.AllBlock, 7000);
    EXPECT_EQ(reader.blockIndex().position(6999), 123 + 6999ull * 320039);
    reader.NowBlock = 6999;
    ASSERT_TRUE(reader.readHeader());
    EXPECT_EQ(reader.traceNumberIndex, 3499);
    EXPECT_EQ(reader.traceBlockNumberIndex, 1);
}

}  // namespace
