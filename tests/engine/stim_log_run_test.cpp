// The stimulation log of recorded runs on the simulated Dev1: the rows each
// trace appends, read back from the file beside the recording and set against
// the block headers and the recorded samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "files/file_reader.h"
#include "files/stimulation_log.h"
#include "tests/engine/sim_run_rig.h"
#include "tests/engine/stim_test_helpers.h"

namespace fs = std::filesystem;
using stimtest::pulse;

namespace {

constexpr int kElectrode5 = 4;  // electrode index
constexpr int kFileHeaderBytes = 123;
constexpr int kBlockHeaderBytes = 39;
constexpr int kScans = 10000;

// Two pulses: 10 ms and 60.05 ms into the trace (1201 samples).
std::vector<PulseConfigs> twoPulses() {
    return {pulse("Biphasic", "0.2", "-10", "10", "49.75"), pulse("Biphasic", "0.2", "-10", "0.1", "39.75")};
}

struct LogRun : stimtest::SimRunRig {
    // traceStimulation() as each trace ended, by trace number from 1.
    std::map<int, std::vector<stimlog::Row>> seen;

    void SetUp() override {
        SimRunRig::SetUp();
        run.onTraceEnd = [this](int trace) { seen[trace + 1] = run.traceStimulation(); };
    }

    void byRepOnElectrode5(PulseParameters& p) {
        p.S1Ch = kElectrode5;
        p.setPulses(PulseParameters::kS1, twoPulses());
        p.addIncrementByRepS1 = 1;
        p.autoincrementS1 = "5";
    }
    std::vector<stimlog::Row> record(const char* traces) {
        window.texts[RunText::Repeat] = traces;
        run.toolStripButtonRec_Click();
        EXPECT_TRUE(window.alerts.empty()) << window.alerts.front();
        EXPECT_EQ(run.stimulationLogPath(), stimlog::pathFor(run.dataFilePath()));
        const stimlog::ReadResult log = stimlog::read(run.stimulationLogPath());
        EXPECT_EQ(log.problem, "");
        return log.rows;
    }
    // Step, loop and start (ms) of every trace, from the block headers.
    std::vector<pldat::BlockHeaderFields> firstBlocks() const {
        FileReader reader;
        EXPECT_TRUE(reader.open(run.dataFilePath()) && reader.read()) << reader.errorText();
        std::vector<pldat::BlockHeaderFields> firsts;
        for (std::int32_t n = 0; n < reader.AllBlock; ++n) {
            pldat::BlockHeaderFields h;
            EXPECT_TRUE(reader.blockHeaderAt(n, h));
            if (h.firstBlock) firsts.push_back(h);
        }
        return firsts;
    }
};

std::vector<char> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Counts of channel `c` of trace `trace` (0-based), every block of the trace in turn.
std::vector<std::int16_t> traceCounts(const std::vector<char>& file, int trace, int blocksPerTrace, int c) {
    std::vector<std::int16_t> counts;
    const std::size_t blockBytes = kBlockHeaderBytes + kScans * 32;
    for (int b = 0; b < blocksPerTrace; ++b) {
        const std::size_t at = kFileHeaderBytes + (trace * blocksPerTrace + b) * blockBytes + kBlockHeaderBytes;
        for (int k = 0; k < kScans; ++k) {
            std::int16_t v;
            std::memcpy(&v, file.data() + at + (k * 16 + c) * 2, 2);
            counts.push_back(v);
        }
    }
    return counts;
}

}  // namespace

TEST_F(LogRun, ThreeTracesByRepLogTheirPulsesWithTheRepetitionsIntensities) {
    byRepOnElectrode5(step1);
    window.step1Enabled = true;
    const std::vector<stimlog::Row> rows = record("3");
    ASSERT_EQ(rows.size(), 6u);
    const std::vector<pldat::BlockHeaderFields> firsts = firstBlocks();
    ASSERT_EQ(firsts.size(), 3u);
    const double intensity[] = {-10, -15, -20};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int t = static_cast<int>(i / 2);
        EXPECT_EQ(rows[i].trace, t + 1);
        EXPECT_EQ(rows[i].step, '1');
        EXPECT_EQ(rows[i].loop, firsts[t].loopNumber);
        EXPECT_EQ(rows[i].traceStartS * 1000, firsts[t].traceStartMs);
        EXPECT_EQ(rows[i].output, 0);
        EXPECT_EQ(rows[i].electrode, 5);
        EXPECT_EQ(rows[i].pulse, static_cast<int>(i % 2) + 1);
        EXPECT_EQ(rows[i].onsetMs, i % 2 == 0 ? 10.0 : 60.05);
        EXPECT_EQ(rows[i].intensityUa, intensity[t]);
        EXPECT_TRUE(rows[i].played);
    }
    EXPECT_EQ(firsts[2].traceStartMs, 4000.0) << "a trace every 2 s";
    for (int trace = 1; trace <= 3; ++trace) {
        ASSERT_EQ(seen[trace].size(), 2u) << "the rows the trace's blocks could read";
        EXPECT_EQ(seen[trace][1].intensityUa, intensity[trace - 1]);
    }
}

TEST_F(LogRun, BothStepsTakeTurnsInTheRowsAsInTheBlockHeaders) {
    byRepOnElectrode5(step1);
    step2.S1Ch = kElectrode5;
    step2.setPulses(PulseParameters::kS1, {pulse("Const", "1", "-30", "20", "20")});
    window.step1Enabled = window.step2Enabled = true;
    const std::vector<stimlog::Row> rows = record("4");
    const std::vector<pldat::BlockHeaderFields> firsts = firstBlocks();
    ASSERT_EQ(firsts.size(), 4u);
    std::vector<int> rowTraces;
    for (const stimlog::Row& r : rows) {
        const pldat::BlockHeaderFields& h = firsts[r.trace - 1];
        EXPECT_EQ(r.step, static_cast<char>('1' + h.step)) << "trace " << r.trace;
        EXPECT_EQ(r.loop, h.loopNumber) << "trace " << r.trace;
        rowTraces.push_back(r.trace);
    }
    EXPECT_EQ(rowTraces, (std::vector<int>{1, 1, 2, 3, 3, 4}));
    EXPECT_EQ(rows[2].onsetMs, 20.0);
    EXPECT_EQ(rows[2].intensityUa, -30.0);
    EXPECT_EQ(rows[4].intensityUa, -15.0) << "step 1's second loop";
}

TEST_F(LogRun, EveryOnsetIsWhereTheRecordingShowsItsArtefact) {
    byRepOnElectrode5(step1);
    window.step1Enabled = true;
    const std::vector<stimlog::Row> rows = record("2");
    ASSERT_EQ(rows.size(), 4u);
    const std::vector<char> file = bytesOf(run.dataFilePath());
    constexpr int kSearch = 100;  // 5 ms either side
    constexpr int kTolerance = 2;  // 0.1 ms
    for (const stimlog::Row& r : rows) {
        const std::vector<std::int16_t> x = traceCounts(file, r.trace - 1, 2, kElectrode5);
        const int onset = static_cast<int>(std::lround(r.onsetMs * 20));
        int at = -1;
        int largest = -1;
        for (int k = onset - kSearch; k < onset + kSearch; ++k) {
            const int jump = std::abs(x[k + 1] - x[k]);
            if (jump > largest) largest = jump, at = k;
        }
        EXPECT_LE(std::abs(at - onset), kTolerance) << "trace " << r.trace << " pulse " << r.pulse;
    }
}

TEST_F(LogRun, RepeatAllLogsEveryPatternOfTheTrace) {
    step1.S1Ch = kElectrode5;
    step1.setPulses(PulseParameters::kS1, {stimtest::standardBiphasic()});  // 100 ms
    step1.repeatAll = 1;
    window.step1Enabled = true;
    const std::vector<stimlog::Row> rows = record("2");
    ASSERT_EQ(rows.size(), 20u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].trace, static_cast<int>(i / 10) + 1);
        EXPECT_EQ(rows[i].onsetMs, 100.0 * static_cast<double>(i % 10));
    }
}

TEST_F(LogRun, StimulusTheDeviceRefusedIsLoggedAsNotPlayed) {
    step1.S1Ch = kElectrode5;
    step1.setPulses(PulseParameters::kS1, {stimtest::standardBiphasic()});
    window.step1Enabled = true;
    run.onTraceEnd = [this](int trace) {
        if (trace == 0) device->failAnalogTimings(1);  // trace 2's pattern, prepared as trace 1 ends
    };
    testing::internal::CaptureStdout();
    const std::vector<stimlog::Row> rows = record("3");
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].played);
    EXPECT_FALSE(rows[1].played);
    EXPECT_TRUE(rows[2].played);
}

TEST_F(LogRun, ARunWithoutStimulusLogsTheColumnNamesOnly) {
    const std::vector<stimlog::Row> rows = record("2");
    EXPECT_TRUE(rows.empty());
    EXPECT_TRUE(fs::exists(run.stimulationLogPath()));
    EXPECT_TRUE(seen[1].empty() && seen[2].empty());
}

TEST_F(LogRun, ALogThatCannotBeCreatedIsToldAndTheRunRecords) {
    byRepOnElectrode5(step1);
    window.step1Enabled = true;
    const fs::path log = folder / "20220131_09h05m03s_stimulation.csv";
    fs::create_directories(log);  // a folder where the log would go
    window.texts[RunText::Repeat] = "1";
    testing::internal::CaptureStdout();
    run.toolStripButtonRec_Click();
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(window.alerts.empty());
    EXPECT_NE(console.find("file open error: " + log.string() + " (Is a directory)"), std::string::npos) << console;
    EXPECT_EQ(fs::file_size(run.dataFilePath()), 123u + 2u * (39u + 320'000u));
    EXPECT_EQ(run.stimulationLogPath(), "");
    EXPECT_EQ(seen[1].size(), 2u) << "the rows are there for the trace all the same";
}

TEST_F(LogRun, ManualTrainBetweenTracesIsLoggedBesideItsOwnFile) {
    byRepOnElectrode5(step1);
    window.step1Enabled = true;
    manual.S1Ch = kElectrode5;
    std::vector<PulseConfigs> train(20, pulse("Biphasic", "0.2", "-40", "0", "9.8"));  // 100 Hz
    manual.setPulses(PulseParameters::kS1, train);
    int pausedPolls = 0;
    bool delivering = false;  // the manual loop pumps events too
    window.onPoll = [&](long long) {
        if (!run.PauseTyuu || !window.manualEnabled || delivering) return;
        ++pausedPolls;
        if (pausedPolls == 1) {
            delivering = true;
            run.buttonMNL_Click();
            delivering = false;
        }
        if (pausedPolls == 2) run.toolStripButtonRec_Click();  // resume, still recording
    };
    run.onTraceEnd = [&](int trace) {
        seen[trace + 1] = run.traceStimulation();
        if (trace == 0) run.toolStripButtonPause_Click();
    };
    const std::vector<stimlog::Row> rows = record("2");
    EXPECT_EQ(rows.size(), 4u) << "both traces of the run";
    ASSERT_FALSE(run.manualFilePath().empty());
    const stimlog::ReadResult log = stimlog::read(stimlog::pathFor(run.manualFilePath()));
    EXPECT_EQ(log.problem, "");
    ASSERT_EQ(log.rows.size(), 20u);
    for (std::size_t i = 0; i < log.rows.size(); ++i) {
        EXPECT_EQ(log.rows[i].trace, 1);
        EXPECT_EQ(log.rows[i].step, 'M');
        EXPECT_EQ(log.rows[i].loop, 0);
        EXPECT_EQ(log.rows[i].pulse, static_cast<int>(i) + 1);
        EXPECT_EQ(log.rows[i].onsetMs, 10.0 * static_cast<double>(i));
        EXPECT_EQ(log.rows[i].intensityUa, -40.0);
        EXPECT_TRUE(log.rows[i].played);
    }
}
