// The evoked-response measures of live runs on the simulated Dev1: every
// stimulated trace is measured as it is recorded, played runs included, and a
// measures file that cannot be made never costs the recording.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files/measures_file.h"
#include "tests/engine/sim_run_rig.h"
#include "tests/engine/stim_test_helpers.h"

namespace fs = std::filesystem;
using stimtest::pulse;

namespace {

constexpr int kElectrode5 = 4;  // electrode index

struct LiveMeasures : stimtest::SimRunRig {
    std::vector<std::int32_t> measuredAt;  // the last measured trace each time the hook ran

    void SetUp() override {
        SimRunRig::SetUp();
        step1.S1Ch = kElectrode5;
        step1.setPulses(PulseParameters::kS1, {pulse("Biphasic", "0.2", "-60", "10", "89.8")});
        window.step1Enabled = true;
        window.texts[RunText::Repeat] = "3";
        run.onTraceMeasured = [this] { measuredAt.push_back(run.evokedSession().lastInfo().trace); };
    }
};

TEST_F(LiveMeasures, PlayMeasuresEveryStimulatedTraceWithNoFile) {
    run.toolStripButtonPlay_Click();
    EXPECT_EQ(measuredAt, (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(run.evokedSession().table().traceCount(), 3);
    EXPECT_EQ(run.measuresFilePath(), "");
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(LiveMeasures, ARecordedRunWritesEveryTracesRowsBesideItsDataFile) {
    run.toolStripButtonRec_Click();
    EXPECT_EQ(run.measuresFilePath(), measuresfile::pathFor(run.dataFilePath()));
    const measuresfile::ReadResult file = measuresfile::read(run.measuresFilePath());
    ASSERT_EQ(file.problem, "");
    EXPECT_EQ(file.rows.size(), 3u * 16u) << "one row per trace and channel";
    EXPECT_EQ(file.rows.back().info.trace, 3);
}

TEST_F(LiveMeasures, AMeasuresFileThatCannotBeCreatedIsToldAndTheRunRecords) {
    const fs::path measures = folder / "20220131_09h05m03s_measures.csv";
    fs::create_directories(measures);  // a folder where the file would go
    testing::internal::CaptureStdout();
    run.toolStripButtonRec_Click();
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(window.alerts.empty());
    EXPECT_NE(console.find("file open error: " + measures.string() + " (Is a directory)"), std::string::npos)
        << console;
    EXPECT_EQ(fs::file_size(run.dataFilePath()), 123u + 3u * 2u * (39u + 320'000u));
    EXPECT_EQ(run.measuresFilePath(), "");
    EXPECT_EQ(run.evokedSession().table().traceCount(), 3) << "the live table is kept all the same";
}

TEST_F(LiveMeasures, ARunStoppedBeforeItsFirstBlockLeavesNoMeasuresFile) {
    window.onPoll = [&](long long) { run.toolStripButtonStop_Click(); };  // during the offset reads
    run.toolStripButtonRec_Click();
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_TRUE(measuredAt.empty());
}

}  // namespace
