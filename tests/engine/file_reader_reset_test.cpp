// A reset clears only what a replay filled; these tests hold it to what a
// freshly constructed reader holds, array by array over the whole length.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "files/file_reader.h"
#include "tests/engine/file_reader_test_files.h"

using namespace testfiles;

// The reader's private history storage, of which selectChAry shows a part.
struct FileReaderStorage {
    static constexpr int kHistoryCapacity = FileReader::kHistoryCapacity;
    static const double* history(const FileReader& r, int c) {
        return r.selectChAryStorage_.get() + static_cast<std::size_t>(c) * kHistoryCapacity;
    }
};

namespace {

constexpr int kChannels = FileReader::kChannels;

constexpr int kPresent[] = {0, 1, 2, 5, 9};

std::int16_t spiky(int n, int k, int j) {
    return static_cast<std::int16_t>((k + 37 * j + 101 * n) % 400 < 3 ? -3000 : (k % 7 - 3) * 10);
}

// Two traces of 33 full blocks (the history scrolls and compacts within one) of
// five channels out of sixteen, each with a spike of -3000 counts every 400 scans.
std::string longRecording(const TempDir& dir) {
    RecordingSpec plan;
    plan.traces = 2;
    plan.durationMs = 16500;
    plan.traceIntervalMs = 20000;
    plan.header.flags = {};
    for (int ch : kPresent) plan.header.flags[ch] = 1;
    return dir.write("long.pldat", recording(plan, spiky).data);
}

struct Replay {
    float pthre[kChannels] = {}, mthre[kChannels] = {}, post[kChannels] = {}, ep1[kChannels] = {},
          ep2[kChannels] = {};
    std::uint8_t selected[kChannels] = {};

    // What the window does with a file: threshold reads, then a replay of every
    // block with a few steps back, a sample window, a channel switched off for
    // a while and the filter on for part of the second trace.
    void start(FileReader& r, const std::string& path) {
        for (int c = 0; c < kChannels; ++c) {
            mthre[c] = -0.05f;
            post[c] = 0.5f;
            ep1[c] = 10.0f;
            ep2[c] = 80.0f;
            selected[c] = 1;
        }
        ASSERT_TRUE(r.open(path));
        ASSERT_TRUE(r.read());
        r.Pthre = pthre;
        r.Mthre = mthre;
        r.Postthre = post;
        r.EPline1 = ep1;
        r.EPline2 = ep2;
        r.ACSelectary = selected;
        r.selectch = 1;
        r.syokika();
        for (int i = 0; i < 5; ++i) r.readThresholdData();
        r.syokika();
        r.setFilter(0.0f, 0.0f, 0, 0);
        r.KaisiPoint = 0;
        r.OwariPoint = 10000;
        r.tracefrom1 = 1;
        r.traceto1 = 2;
        r.msfrom1 = 0;
        r.msto1 = 16500;
        r.setLastReplayBlock();
    }

    // Step `n` of the replay; false once the replay is over.
    bool step(FileReader& r, int n) {
        if (r.isLastBlockReplay()) return false;
        if (n == 20) {
            for (int i = 0; i < 3 && r.backBlock() == 1; ++i) {
                r.readHeader();
                r.backSkip();
            }
        }
        if (n == 44) {
            r.KaisiPoint = 2500;
            r.OwariPoint = 7500;
            selected[5] = 0;
        }
        if (n == 50) {
            r.setFilter(2000.0f, 10.0f, 1, 1);
            r.KaisiPoint = 0;
            r.OwariPoint = 10000;
            selected[5] = 1;
        }
        if (n == 60) r.setFilter(0.0f, 0.0f, 0, 0);
        r.readHeader();
        EXPECT_TRUE(r.readData());
        return true;
    }

    void run(FileReader& r, const std::string& path) {
        start(r, path);
        for (int n = 0; step(r, n); ++n) {
        }
    }
};

template <typename T>
void expectSame(const char* name, int c, const T* got, const T* fresh, std::size_t n) {
    // Bytewise: a -0.0 left behind counts as a difference.
    if (std::memcmp(got, fresh, n * sizeof(T)) == 0) return;
    std::size_t i = 0;
    while (std::memcmp(got + i, fresh + i, sizeof(T)) == 0) ++i;
    ADD_FAILURE() << name << "[" << c << "][" << i << "] is " << got[i] << ", a fresh reader has " << fresh[i];
}

void expectSameArrays(const FileReader& r, const FileReader& fresh) {
    for (int c = 0; c < kChannels; ++c) {
        expectSame("chAry", c, r.chAry[c], fresh.chAry[c], FileReader::kChAryLength);
        expectSame("history storage", c, FileReaderStorage::history(r, c), FileReaderStorage::history(fresh, c),
                   FileReaderStorage::kHistoryCapacity);
        expectSame("selectChAry", c, r.selectChAry[c], fresh.selectChAry[c], FileReader::kSelectChAryLength);
        expectSame("SpikeData", c, r.SpikeData[c], fresh.SpikeData[c], FileReader::kMaxBins);
        expectSame("EPAmpData", c, r.EPAmpData[c], fresh.EPAmpData[c], FileReader::kMaxBins);
        expectSame("TimeStampData", c, r.TimeStampData[c], fresh.TimeStampData[c], FileReader::kMaxTimeStamps);
    }
    expectSame("spikeTime", 0, r.spikeTime, fresh.spikeTime, FileReader::kMaxBins);
    expectSame("epKeikaTime", 0, r.epKeikaTime, fresh.epKeikaTime, FileReader::kMaxBins);
    expectSame("OffsetAry", 0, r.OffsetAry, fresh.OffsetAry, FileReader::kMaxTraces);
    expectSame("spikeCount", 0, r.spikeCount, fresh.spikeCount, kChannels);
}

void expectSameCounters(const FileReader& r, const FileReader& fresh) {
    EXPECT_EQ(r.NowBlock, fresh.NowBlock);
    EXPECT_EQ(r.BlockNum, fresh.BlockNum);
    EXPECT_EQ(r.NowSeleIndex, fresh.NowSeleIndex);
    EXPECT_EQ(r.selectChdataIndex, fresh.selectChdataIndex);
    EXPECT_EQ(r.DrawChartMaxIndex, fresh.DrawChartMaxIndex);
    EXPECT_EQ(r.DrawSelectChMaxIndex, fresh.DrawSelectChMaxIndex);
    EXPECT_EQ(r.spikeIndex, fresh.spikeIndex);
    EXPECT_EQ(r.EpIndex, fresh.EpIndex);
    EXPECT_EQ(r.FreqDrawTiming, fresh.FreqDrawTiming);
}

TEST(FileReaderReset, AfterALongReplayEveryArrayIsAsAFreshReaderHasIt) {
    TempDir dir;
    const std::string path = longRecording(dir);
    auto r = std::make_unique<FileReader>();
    Replay replay;
    replay.run(*r, path);
    // The replay filled what the reset must clear: a scrolled history, spikes,
    // bins, evoked potentials and trace starts.
    ASSERT_EQ(r->NowBlock, 66);
    ASSERT_EQ(r->DrawSelectChMaxIndex, FileReader::kSelectChAryLength);
    ASSERT_GT(r->spikeCount[0], 0);
    ASSERT_EQ(r->EpIndex, 2);
    ASSERT_EQ(r->OffsetAry[1], 20000.0);

    r->syokika();
    auto fresh = std::make_unique<FileReader>();
    expectSameArrays(*r, *fresh);
    expectSameCounters(*r, *fresh);
}

// Block values as a plain reading gives them: the kept scans of block n packed
// at the front, every other value 0.
std::vector<double> plainBlock(int n, int from, int to) {
    std::vector<double> v(FileReader::kBlockValues, 0.0);
    for (int k = from; k < to; ++k)
        for (int j = 0; j < 5; ++j) v[kChannels * (k - from) + kPresent[j]] = kCf2000 * spiky(n, k, j);
    return v;
}

TEST(FileReaderReset, EveryWindowSlotHoldsItsWholeBlockAfterTheReset) {
    TempDir dir;
    const std::string path = longRecording(dir);
    auto r = std::make_unique<FileReader>();
    Replay replay;
    replay.run(*r, path);
    replay.start(*r, path);
    std::vector<std::vector<double>> shown;  // aryData of the blocks in the window, oldest first
    for (int n = 0; replay.step(*r, n); ++n) {
        SCOPED_TRACE("after step " + std::to_string(n));
        if (r->traceBlockNumberIndex == 0 || n == 20) shown.clear();  // a new trace, or steps back
        if (r->filter->isOn() == false)
            expectSame("aryData", 0, r->aryData, plainBlock(r->NowBlock - 1, r->KaisiPoint, r->OwariPoint).data(),
                       FileReader::kBlockValues);
        shown.emplace_back(r->aryData, r->aryData + FileReader::kBlockValues);
        if (shown.size() > 5) shown.erase(shown.begin());
        if (n >= 20 && n < 25) continue;  // the window holds blocks read back
        ASSERT_EQ(static_cast<std::size_t>(r->BlockNum), shown.size());
        for (int c = 0; c < kChannels; ++c) {
            if (c == 5) continue;  // switched off for a while: its slots keep older blocks
            for (int slot = 0; slot < FileReader::kWindowBlocks; ++slot) {
                std::vector<double> expected(FileReader::kBlockScans, 0.0);
                if (slot < r->BlockNum)
                    for (int k = 0; k < FileReader::kBlockScans; ++k) expected[k] = shown[slot][kChannels * k + c];
                expectSame("chAry slot", c, r->chAry[c] + slot * FileReader::kBlockScans, expected.data(),
                           FileReader::kBlockScans);
            }
        }
        if (HasFailure()) return;
    }
}

TEST(FileReaderReset, ASecondReplayAfterTheResetMatchesAFreshReaderReplayAtEveryStep) {
    TempDir dir;
    const std::string path = longRecording(dir);
    auto used = std::make_unique<FileReader>();
    Replay first;
    first.run(*used, path);
    auto fresh = std::make_unique<FileReader>();
    Replay again, once;
    again.start(*used, path);
    once.start(*fresh, path);
    for (int n = 0; again.step(*used, n); ++n) {
        ASSERT_TRUE(once.step(*fresh, n));
        SCOPED_TRACE("after step " + std::to_string(n));
        for (int c = 0; c < kChannels; ++c) {
            expectSame("chAry", c, used->chAry[c], fresh->chAry[c], FileReader::kChAryLength);
            if (n % 5 == 0)
                expectSame("selectChAry", c, used->selectChAry[c], fresh->selectChAry[c],
                           FileReader::kSelectChAryLength);
        }
        expectSame("aryData", 0, used->aryData, fresh->aryData, FileReader::kBlockValues);
        expectSameCounters(*used, *fresh);
        if (HasFailure()) return;
    }
    EXPECT_TRUE(fresh->isLastBlockReplay());
    expectSameArrays(*used, *fresh);
}

}  // namespace
