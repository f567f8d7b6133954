#include "acquisition/run_control.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "acquisition/acquisition_ni.h"
#include "acquisition/headless_run_window.h"
#include "acquisition/timer.h"
#include "acquisition/alert_messages.h"
#include "files/file_reader.h"
#include "fake_daq_driver.h"
#include "tests/engine/file_size_limit.h"
#include "tests/engine/stim_test_helpers.h"
#include "stimulation/stimulus_controller.h"

namespace fs = std::filesystem;
namespace alerts = korin::alerts;

namespace {

constexpr long long kDCOffsetPolls = 11;  // the set-up pumps once after each of its 11 DC blocks

template <typename T>
T readAt(const std::vector<char>& bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

struct BlockInfo {
    int trace, block, samples, loop, step;
    double traceStartMs;
};

std::vector<char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<BlockInfo> blocksOf(const std::vector<char>& bytes) {
    std::vector<BlockInfo> blocks;
    std::size_t pos = 123;
    while (pos + 39 <= bytes.size()) {
        BlockInfo b{readAt<std::int32_t>(bytes, pos), readAt<std::int32_t>(bytes, pos + 4),
                    readAt<std::int32_t>(bytes, pos + 24), readAt<std::int32_t>(bytes, pos + 30),
                    static_cast<std::uint8_t>(bytes[pos + 34]), readAt<double>(bytes, pos + 8)};
        blocks.push_back(b);
        pos += 39 + static_cast<std::size_t>(readAt<std::int32_t>(bytes, pos + 35));
    }
    EXPECT_EQ(pos, bytes.size()) << "the file ends after a whole block";
    return blocks;
}

// Tells the fixture about every task start, so a test can tell output starts apart.
class StartWatchingDriver : public FakeDaqDriver {
public:
    std::function<void(TaskHandle)> onStart;
    int32 DAQmxStartTask(TaskHandle task) override {
        if (onStart) onStart(task);
        return FakeDaqDriver::DAQmxStartTask(task);
    }
};

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

struct RunFixture : ::testing::Test {
    std::shared_ptr<StartWatchingDriver> driver = std::make_shared<StartWatchingDriver>();
    std::unique_ptr<AcquisitionNI> acq = std::make_unique<AcquisitionNI>(driver);
    PulseParameters step1, step2, manual;
    StimulusController stim{*acq, step1, step2, manual};
    HeadlessRunWindow window;
    korin::ChannelLevels levels;
    RunControl run{*acq, stim, window, levels};
    fs::path folder;
    // Per pass of the run loop (after the set-up's pumps): whether it recorded.
    std::vector<bool> recorded;
    std::function<void(long long pass)> atPass;

    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("korin16-run-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        int lastDraws = 0;
        window.onPoll = [this, lastDraws](long long poll) mutable {
            if (poll <= kDCOffsetPolls) return;
            recorded.push_back(window.draws > lastDraws);
            lastDraws = window.draws;
            if (atPass) atPass(poll - kDCOffsetPolls);
        };
        run.localNow = [] { return StartDateTime{2022, 1, 31, 9, 5, 3, 45}; };
    }
    void TearDown() override { fs::remove_all(folder); }

    void settings(const std::string& repeat, const std::string& seconds, const std::string& intervalSeconds,
                  const std::string& minutes = "0") {
        window.texts[RunText::Repeat] = repeat;
        window.texts[RunText::Hours] = "0";
        window.texts[RunText::Minutes] = minutes;
        window.texts[RunText::Seconds] = seconds;
        window.texts[RunText::IntervalHours] = "0";
        window.texts[RunText::IntervalMinutes] = "0";
        window.texts[RunText::IntervalSeconds] = intervalSeconds;
        window.texts[RunText::OutputFolder] = folder.string();
    }
    // Passes (1-based) at which a trace's first block was recorded.
    std::vector<int> traceStarts() const {
        std::vector<int> starts;
        for (std::size_t i = 0; i < recorded.size(); ++i)
            if (recorded[i] && (i == 0 || !recorded[i - 1])) starts.push_back(static_cast<int>(i) + 1);
        return starts;
    }
};

}  // namespace

// --- Counting ---

TEST_F(RunFixture, OneSecondTracesEveryThreeSecondsStartAtPasses1_7_13) {
    settings("3", "1", "3");
    run.toolStripButtonPlay_Click();
    EXPECT_EQ(traceStarts(), (std::vector<int>{1, 7, 13}));
    // The last pass (14) finishes the run before pumping events.
    EXPECT_EQ(recorded.size(), 13u);
    EXPECT_EQ(window.draws, 6);
    EXPECT_EQ(run.passTiming().count(), 13);
    EXPECT_EQ(window.state, korin::RunState::Stop);
    EXPECT_TRUE(window.alerts.empty());
    EXPECT_FALSE(run.runActive());
}

TEST_F(RunFixture, SecondTraceOf0_7SecondsWithInterval1_1StartsAtPass4) {
    settings("2", "0.7", "1.1");
    run.toolStripButtonPlay_Click();
    EXPECT_EQ(traceStarts(), (std::vector<int>{1, 4}));
    EXPECT_EQ(window.draws, 4);
}

TEST_F(RunFixture, RepeatZeroRecordsOneTraceAndItsFileSaysOne) {
    settings("0", "1", "0");
    run.toolStripButtonRec_Click();
    EXPECT_EQ(traceStarts(), (std::vector<int>{1}));
    EXPECT_EQ(window.draws, 2);
    EXPECT_TRUE(window.alerts.empty());
    EXPECT_EQ(readAt<std::int32_t>(fileBytes(run.dataFilePath()), 0), 1) << "trace count";
}

// Passes at which the output task starts, against the passes at which traces begin.
struct OutputStarts {
    const char *repeat, *seconds, *interval;
    std::vector<int> passes;
};

class StimulusStartsOncePerTrace : public RunFixture, public ::testing::WithParamInterface<OutputStarts> {};

TEST_P(StimulusStartsOncePerTrace, OnItsFirstBlockOnly) {
    const OutputStarts& c = GetParam();
    settings(c.repeat, c.seconds, c.interval);
    step1.S1Ch = 2;
    step1.setPulses(PulseParameters::kS1, {stimtest::standardBiphasic()});
    window.step1Enabled = true;
    std::vector<int> outputStarts;
    driver->onStart = [&](daqmx::TaskHandle task) {
        if (task == acq->taskHandleAnalog1.load()) outputStarts.push_back(static_cast<int>(recorded.size()) + 1);
    };
    run.toolStripButtonPlay_Click();
    ASSERT_TRUE(window.alerts.empty());
    EXPECT_EQ(outputStarts, c.passes);
    EXPECT_EQ(traceStarts(), c.passes);
}

INSTANTIATE_TEST_SUITE_P(RunFixture, StimulusStartsOncePerTrace,
                         ::testing::Values(OutputStarts{"1", "0.7", "0", {1}},          // countdown 0.5 s
                                           OutputStarts{"3", "0.7", "2", {1, 5, 9}},    // last trace likewise
                                           OutputStarts{"0", "2", "0", {1}}));          // unchecked interval 0

TEST_F(RunFixture, TraceOfZeroSecondsIsRefusedBeforeTheDeviceIsTouched) {
    settings("1", "0", "0");
    run.toolStripButtonRec_Click();
    EXPECT_EQ(window.alerts, std::vector<std::string>{alerts::kTraceDurationZero});
    EXPECT_EQ(window.state, korin::RunState::Stop);
    EXPECT_TRUE(driver->calls.empty());
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(RunFixture, LabelsShowTraceNumberAndRemainingTimes) {
    settings("2", "1", "2");
    std::vector<std::string> traceLabels;
    atPass = [&](long long) { traceLabels.push_back(window.text(RunText::LabelTrace)); };
    run.toolStripButtonPlay_Click();
    ASSERT_GE(traceLabels.size(), 5u);
    EXPECT_EQ(traceLabels[0], "0001");
    EXPECT_EQ(traceLabels[4], "0002");
    EXPECT_EQ(window.text(RunText::LabelRemaining), "00:00:00");
    EXPECT_EQ(window.text(RunText::LabelInterval), "00:00:00");
}

TEST(RunTexts, TraceNumberHasFourDigits) {
    EXPECT_EQ(RunControl::traceHyouzi(1), "0001");
    EXPECT_EQ(RunControl::traceHyouzi(123), "0123");
    EXPECT_EQ(RunControl::traceHyouzi(12345), "12345");
}

// --- Validation ---

TEST_F(RunFixture, IntervalEqualToDurationIsRefusedForTwoTraces) {
    settings("2", "2", "2");
    run.toolStripButtonPlay_Click();
    ASSERT_EQ(window.alerts, std::vector<std::string>{alerts::kIntervalNotLongerThanTrace});
    EXPECT_EQ(window.state, korin::RunState::Stop);
    EXPECT_EQ(driver->count("CreateAIVoltageChan"), 0);
}

TEST_F(RunFixture, IntervalEqualToDurationIsAcceptedForOneTrace) {
    settings("1", "2", "2");
    run.toolStripButtonPlay_Click();
    EXPECT_TRUE(window.alerts.empty());
    EXPECT_EQ(window.draws, 4);
}

TEST_F(RunFixture, RecordWithoutOutputFolderIsRefused) {
    settings("1", "1", "0");
    window.texts[RunText::OutputFolder] = "";
    run.toolStripButtonRec_Click();
    EXPECT_EQ(window.alerts, std::vector<std::string>{alerts::kNoOutputFolder});
    EXPECT_EQ(run.rectf, 0);
    EXPECT_EQ(window.state, korin::RunState::Stop);
}

TEST_F(RunFixture, MissingDeviceIsReportedAndTheControlsReturnToStopped) {
    settings("1", "1", "0");
    driver->failWith["CreateAIVoltageChan"] = daqmx::DAQmxErrorDeviceNotFound;
    run.toolStripButtonRec_Click();
    EXPECT_EQ(window.alerts, std::vector<std::string>{alerts::kDeviceSetupIncomplete});
    EXPECT_EQ(window.state, korin::RunState::Stop);
    EXPECT_FALSE(acq->hasInputTask());
    EXPECT_TRUE(fs::is_empty(folder)) << "no file for a run that never started";
}

TEST_F(RunFixture, NonNumericTimeFieldsNeverStartARun) {
    for (RunText field : {RunText::Hours, RunText::Minutes, RunText::Repeat, RunText::Seconds}) {
        settings("1", "1", "0");
        window.alerts.clear();
        window.texts[field] = "abc";
        run.toolStripButtonPlay_Click();
        EXPECT_EQ(window.alerts, std::vector<std::string>{alerts::kNumericalValue});
        EXPECT_EQ(window.state, korin::RunState::Stop);
        EXPECT_EQ(driver->count("CreateAIVoltageChan"), 0);
    }
}

TEST_F(RunFixture, LastPulseWithoutPostIsRefused) {
    settings("1", "1", "0");
    PulseConfigs pulse;
    pulse.setParameter("Biphasic", "0.2", "50", "1", "0");
    step1.setPulses(PulseParameters::kS1, {pulse});
    run.toolStripButtonPlay_Click();
    EXPECT_EQ(window.alerts, std::vector<std::string>{alerts::kLastPulsePostRun});
    EXPECT_EQ(driver->count("CreateAIVoltageChan"), 0);
}

TEST_F(RunFixture, ATraceBeyondTheStimulatorsRangeIsRefusedBeforeTheDeviceOrAFileIsTouched) {
    settings("2", "1", "2");
    step1.S1Ch = 0;
    step1.setPulses(PulseParameters::kS1, {stimtest::pulse("Biphasic", "0.1", "-100", "0", "99.9")});
    step1.addIncrementByRepS1 = 1;
    step1.autoincrementS1 = "5";
    window.step1Enabled = true;
    run.toolStripButtonRec_Click();
    EXPECT_EQ(window.alerts, std::vector<std::string>{
                                 "Trace 2 would stimulate with -105 \u00b5A on S1; the stimulator's limit is 100 \u00b5A."});
    EXPECT_EQ(window.state, korin::RunState::Stop);
    EXPECT_TRUE(driver->calls.empty());
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(RunFixture, SecondsAreRoundedToATenthBeforeTheSummaryIsWritten) {
    settings("1", "1.25", "0");
    run.toolStripButtonRec_Click();
    EXPECT_EQ(window.text(RunText::Seconds), "1.2");
    std::vector<char> summary = fileBytes(run.summaryFilePath());
    std::string text(summary.begin(), summary.end());
    EXPECT_NE(text.find("Recording time \x81\x46 0h 0m 1.2s"), std::string::npos) << text;
}

// --- Flow ---

TEST_F(RunFixture, StopDuringTheDCOffsetReadsRecordsNothing) {
    settings("3", "1", "3");
    window.onPoll = [&](long long poll) {
        if (poll == 3) run.toolStripButtonStop_Click();
    };
    run.toolStripButtonRec_Click();
    EXPECT_EQ(driver->scansDelivered, 11 * 10000) << "only the DC-offset blocks were read";
    EXPECT_EQ(window.draws, 0);
    EXPECT_FALSE(run.runActive());
    EXPECT_FALSE(acq->hasInputTask());
    EXPECT_TRUE(fs::is_empty(folder)) << "no header-only data file, no summary of a run that recorded nothing";
}

TEST_F(RunFixture, TheDCOffsetPhaseCountsDownOncePerBlockWithTheTraceLabelsCleared) {
    settings("1", "1", "1");
    window.texts[RunText::LabelTrace] = "0020";  // the previous run's last trace
    std::vector<std::string> statuses;
    window.onStatus = [&](const std::string& text) { statuses.push_back(text); };
    std::vector<std::string> labelsDuringOffset;
    window.onPoll = [&](long long poll) {
        if (poll <= kDCOffsetPolls)
            labelsDuringOffset.push_back(window.text(RunText::LabelTrace) + window.text(RunText::LabelRemaining) +
                                         window.text(RunText::LabelInterval));
    };
    run.toolStripButtonRec_Click();
    const std::string file = run.dataFilePath();
    EXPECT_EQ(statuses, (std::vector<std::string>{
                            "",
                            "Measuring the DC offset: 5.5 s left",
                            "Measuring the DC offset: 5 s left",
                            "Measuring the DC offset: 4.5 s left",
                            "Measuring the DC offset: 4 s left",
                            "Measuring the DC offset: 3.5 s left",
                            "Measuring the DC offset: 3 s left",
                            "Measuring the DC offset: 2.5 s left",
                            "Measuring the DC offset: 2 s left",
                            "Measuring the DC offset: 1.5 s left",
                            "Measuring the DC offset: 1 s left",
                            "Measuring the DC offset: 0.5 s left",
                            "Recording to " + file,
                            "Run finished: 1 trace recorded to " + file,
                        }));
    EXPECT_EQ(labelsDuringOffset, std::vector<std::string>(kDCOffsetPolls, ""));
    EXPECT_EQ(window.text(RunText::LabelTrace), "0001");
}

TEST_F(RunFixture, TheEndOfARunSaysHowFarItGotAndWhereItIsRecorded) {
    struct Case {
        bool record;
        long long stopAtPoll;  // 0: never; the DC offset takes polls 1-11
        const char* end;       // FILE stands for the data file
    } cases[] = {
        {true, 0, "Run finished: 2 traces recorded to FILE"},
        {false, 0, "Run finished: 2 traces, not recorded"},
        {true, kDCOffsetPolls + 3, "Run stopped after 1 of 2 traces; recorded to FILE"},  // in the interval
        {true, kDCOffsetPolls + 1, "Run stopped after 0 of 2 traces (trace 1 cut short); recorded to FILE"},
        {false, kDCOffsetPolls + 1, "Run stopped after 0 of 2 traces (trace 1 cut short); not recorded"},
        {true, 3, "Run stopped before its first trace; nothing recorded"},
    };
    settings("2", "1", "3");
    for (const Case& c : cases) {
        window.polls = 0;
        window.onPoll = [&](long long poll) {
            if (poll == c.stopAtPoll) run.toolStripButtonStop_Click();
        };
        c.record ? run.toolStripButtonRec_Click() : run.toolStripButtonPlay_Click();
        std::string expected = c.end;
        if (const auto at = expected.find("FILE"); at != std::string::npos) expected.replace(at, 4, run.dataFilePath());
        EXPECT_EQ(window.status, expected);
        EXPECT_EQ(run.endOfRunStatus(), expected);
    }
}

TEST_F(RunFixture, APauseSaysWhatResumesAndWhetherStartStimIsOffered) {
    struct Case {
        long long pauseAtPass;
        const char* paused;
    } cases[] = {
        {3, "Paused. Play or Record resumes; Start Stim delivers the Manual program."},  // in the interval
        {1, "Paused inside a trace. Play or Record resumes; Start Stim waits for a pause between traces."},
    };
    settings("2", "1", "3");
    for (const Case& c : cases) {
        std::string whilePaused, afterResume;
        int pausePolls = 0;
        atPass = [&](long long pass) {
            if (pass == c.pauseAtPass && pausePolls == 0) run.toolStripButtonPause_Click();
            if (run.PauseTyuu && ++pausePolls == 2) {
                whilePaused = window.status;
                run.toolStripButtonPlay_Click();
            } else if (pausePolls == 2 && afterResume.empty()) {
                afterResume = window.status;
            }
        };
        window.polls = 0;
        run.toolStripButtonPlay_Click();
        EXPECT_EQ(whilePaused, c.paused);
        EXPECT_EQ(afterResume, "Running with Play: nothing is recorded");
    }
}

TEST_F(RunFixture, PauseInAnIntervalThenPlayStartsTheNextTraceAtOnce) {
    settings("3", "1", "5");
    int pausePolls = 0;
    atPass = [&](long long pass) {
        if (pass == 3) run.toolStripButtonPause_Click();
        if (run.PauseTyuu && ++pausePolls == 4) run.toolStripButtonPlay_Click();
    };
    run.toolStripButtonPlay_Click();
    // Passes 1-2 record, pass 3 is in the interval and pauses; the paused wait
    // pumps 3 times (counted as passes here) until Play, then trace 2 records at
    // once and the countdown to trace 3 runs the whole 5 s again.
    std::vector<int> starts = traceStarts();
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(starts[0], 1);
    EXPECT_EQ(starts[1], 3 + 3 + 1);
    EXPECT_EQ(starts[2] - starts[1], 10);
    EXPECT_TRUE(window.alerts.empty());
}

TEST_F(RunFixture, APauseOf7_8SecondsAddsSevenSecondsToTheElapsedTime) {
    settings("2", "1", "3");
    auto now = std::chrono::steady_clock::time_point{};
    stim.setClock([&] { return now; });
    double keikaAtPause = -1, keikaAfterResume = -1;
    int pausePolls = 0;
    atPass = [&](long long pass) {
        if (pass == 3) {
            run.toolStripButtonPause_Click();
            keikaAtPause = acq->timer->getKeikaTime();
        }
        if (run.PauseTyuu && ++pausePolls == 2) {
            now += std::chrono::milliseconds(7800);
            run.toolStripButtonPlay_Click();
        } else if (!run.PauseTyuu && pausePolls == 2 && keikaAfterResume < 0) {
            keikaAfterResume = acq->timer->getKeikaTime();
        }
    };
    run.toolStripButtonPlay_Click();
    // One pass (0.5 s) of the resumed trace lies between the two readings.
    EXPECT_DOUBLE_EQ(keikaAfterResume - keikaAtPause, 7.5);
}

TEST_F(RunFixture, PlayEnablesPauseAtOnceRecordOnlyFromTheFirstInterval) {
    settings("2", "1", "2");
    std::vector<bool> pauseEnabled;
    atPass = [&](long long) { pauseEnabled.push_back(window.pauseEnabled); };
    run.toolStripButtonRec_Click();
    ASSERT_GE(pauseEnabled.size(), 3u);
    EXPECT_FALSE(pauseEnabled[0]);
    EXPECT_TRUE(pauseEnabled[1]) << "the second pass ends the first trace and opens the interval";

    pauseEnabled.clear();
    run.toolStripButtonPlay_Click();
    ASSERT_FALSE(pauseEnabled.empty());
    EXPECT_TRUE(pauseEnabled[0]);
}

TEST_F(RunFixture, AResumedRunIsFinishedOnce) {
    settings("2", "1", "2");
    int pausePolls = 0;
    atPass = [&](long long pass) {
        if (pass == 3) run.toolStripButtonPause_Click();
        if (run.PauseTyuu && ++pausePolls == 2) run.toolStripButtonPlay_Click();
    };
    run.toolStripButtonPlay_Click();
    EXPECT_EQ(window.stopStates, 1);
    EXPECT_EQ(driver->count("ClearTask"), driver->createdTasks);
}

TEST_F(RunFixture, ReadErrorMidTraceFinishesTheRunKeepsTheFileThenAlerts) {
    settings("2", "2", "3");
    // DC offset (11 blocks) + filter priming (3000 scans) + one block, then half a block.
    driver->failReadAfterScans = 110'000 + 3'000 + 10'000 + 5'000;
    std::string stateAtAlert;
    window.onAlert = [&](const std::string&) { stateAtAlert = std::string(korin::runStateName(window.state)); };
    run.toolStripButtonRec_Click();
    EXPECT_EQ(window.alerts, std::vector<std::string>{alerts::kSamplingError});
    EXPECT_EQ(stateAtAlert, "Stop");
    EXPECT_FALSE(acq->file.isOpen());
    EXPECT_EQ(fileBytes(run.dataFilePath()).size(), 123u + 39u + 320'000u);
}

TEST_F(RunFixture, WriteFailureStopsTheRunWithItsAlertAndAReadableFile) {
    settings("1", "3", "0");
    {
        FileSizeLimit roomForTwoBlocks(123 + 2 * (39 + 320'000) + 1000);
        run.toolStripButtonRec_Click();
    }
    EXPECT_EQ(window.alerts, std::vector<std::string>{alerts::kRecordingFileNotWritten});
    EXPECT_EQ(window.state, korin::RunState::Stop);
    std::vector<BlockInfo> blocks = blocksOf(fileBytes(run.dataFilePath()));
    EXPECT_EQ(blocks.size(), 2u);
}

TEST_F(RunFixture, UncreatableDataFileAbandonsTheSetUpAndReleasesTheDevice) {
    settings("1", "1", "0");
    window.texts[RunText::OutputFolder] = (folder / "no-such-folder").string();
    run.toolStripButtonRec_Click();
    EXPECT_EQ(window.alerts, std::vector<std::string>{alerts::kRecordingFileNotCreated});
    EXPECT_EQ(window.state, korin::RunState::Stop);
    EXPECT_FALSE(acq->hasInputTask());
    EXPECT_EQ(driver->count("ClearTask"), driver->createdTasks);
}

TEST_F(RunFixture, GlfwFailureReleasesTheDeviceAndClosesTheFile) {
    settings("1", "1", "0");
    window.eventPumpAvailable = false;
    testing::internal::CaptureStdout();
    run.toolStripButtonRec_Click();
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Can't initialize GLFW"), std::string::npos);
    EXPECT_EQ(window.state, korin::RunState::Stop);
    EXPECT_FALSE(acq->hasInputTask());
    EXPECT_FALSE(acq->file.isOpen());
    EXPECT_TRUE(fs::is_empty(folder)) << "the abandoned set-up takes its files back";
}

TEST_F(RunFixture, UnwritableSummaryRemovesTheDataFileAndLogItCreated) {
    settings("1", "1", "0");
    fs::create_directory(folder / "20220131_09h05m03s_settings.txt");  // a folder where the summary goes
    testing::internal::CaptureStdout();
    run.toolStripButtonRec_Click();
    EXPECT_NE(testing::internal::GetCapturedStdout().find("file open error"), std::string::npos);
    EXPECT_EQ(filesIn(folder), std::vector<fs::path>{"20220131_09h05m03s_settings.txt"});
}

TEST_F(RunFixture, TwoRunsInOneSecondEachHaveTheirOwnSummaryAndLogs) {
    settings("1", "1", "0");
    run.toolStripButtonRec_Click();
    run.toolStripButtonRec_Click();
    EXPECT_EQ(filesIn(folder), (std::vector<fs::path>{"20220131_09h05m03s.pldat", "20220131_09h05m03s_2.pldat",
                                                      "20220131_09h05m03s_2_measures.csv",
                                                      "20220131_09h05m03s_2_settings.txt",
                                                      "20220131_09h05m03s_2_stimulation.csv",
                                                      "20220131_09h05m03s_measures.csv",
                                                      "20220131_09h05m03s_settings.txt",
                                                      "20220131_09h05m03s_stimulation.csv"}));
    std::vector<char> first = fileBytes((folder / "20220131_09h05m03s_settings.txt").string());
    EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 7) << "eight lines, not sixteen";
}

// --- Room on the disk ---

TEST_F(RunFixture, RunLargerThanTheFreeSpaceAsksAndNoTouchesNothing) {
    settings("3", "50", "60");
    run.freeSpace = [](const std::string&) { return std::optional<std::uint64_t>(123 + 200 * 320'039); };
    run.toolStripButtonRec_Click();
    // 200 blocks are 100 s, about 1 min rounded down; 3 x 50 s are 2.5 min, 3 rounded up.
    EXPECT_EQ(window.questions, std::vector<std::string>{"The output folder has room for about 1 min of recording, "
                                                         "but this run records 3 min. Record anyway?"});
    EXPECT_EQ(window.state, korin::RunState::Stop);
    EXPECT_TRUE(driver->calls.empty());
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_TRUE(window.alerts.empty());
}

TEST_F(RunFixture, YesRecordsAnywayAndARunThatFitsIsNotAsked) {
    settings("1", "1", "0");
    run.freeSpace = [](const std::string&) { return std::optional<std::uint64_t>(123 + 2 * 320'039); };
    run.toolStripButtonRec_Click();
    EXPECT_TRUE(window.questions.empty()) << "two blocks fit exactly";
    run.freeSpace = [](const std::string&) { return std::optional<std::uint64_t>(123 + 320'039); };
    window.answer = true;
    run.toolStripButtonRec_Click();
    ASSERT_EQ(window.questions.size(), 1u);
    EXPECT_EQ(blocksOf(fileBytes(run.dataFilePath())).size(), 2u);
}

// --- Files end to end ---

TEST_F(RunFixture, ThreeTracesWithBothStepsAlternateStepsAndCountLoops) {
    settings("3", "1", "2");
    window.step1Enabled = window.step2Enabled = true;
    run.toolStripButtonRec_Click();
    ASSERT_TRUE(window.alerts.empty());
    std::vector<char> bytes = fileBytes(run.dataFilePath());
    EXPECT_EQ(readAt<std::int32_t>(bytes, 0), 3);
    EXPECT_EQ(readAt<std::int32_t>(bytes, 4), 2);
    std::vector<BlockInfo> blocks = blocksOf(bytes);
    ASSERT_EQ(blocks.size(), 6u);
    const int expectedStep[] = {0, 1, 0}, expectedLoop[] = {1, 1, 2};
    const double expectedStart[] = {0, 2000, 4000};  // trace starts include the intervals
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(blocks[i].trace, i / 2);
        EXPECT_EQ(blocks[i].block, i % 2);
        EXPECT_EQ(blocks[i].samples, 10000);
        EXPECT_EQ(blocks[i].step, expectedStep[i / 2]);
        EXPECT_EQ(blocks[i].loop, expectedLoop[i / 2]);
        EXPECT_DOUBLE_EQ(blocks[i].traceStartMs, expectedStart[i / 2]);
    }
}

TEST_F(RunFixture, ShortLastBlockOfEveryTraceIsWrittenWhole) {
    settings("2", "1.2", "2");
    run.toolStripButtonRec_Click();
    std::vector<BlockInfo> blocks = blocksOf(fileBytes(run.dataFilePath()));
    ASSERT_EQ(blocks.size(), 6u);
    EXPECT_EQ(blocks[2].samples, 4000);
    EXPECT_EQ(blocks[5].samples, 4000);
}

TEST_F(RunFixture, SummaryLinesMatchTheControls) {
    settings("5", "30", "30", "1");
    window.texts[RunText::Repeat] = "1";
    window.texts[RunText::Seconds] = "0.5";
    window.texts[RunText::Highpass] = "None";
    window.texts[RunText::InputRange] = "10000";
    run.toolStripButtonRec_Click();
    std::vector<char> bytes = fileBytes(run.summaryFilePath());
    const std::string colon = " \x81\x46 ";
    const std::string expected = "Start time" + colon + "2022/01/31/09h 05m 03s\r\n" + "Repeat number" + colon +
                                 "1\r\n" + "Recording time" + colon + "0h 1m 0.5s\r\n" + "Interval time" + colon +
                                 "0h 0m 30s\r\n" + "Input range (uV)" + colon + "10000\r\n" +
                                 "Highpass filter (Hz)" + colon + "None\r\n" + "Lowpass filter (Hz)" + colon +
                                 "5000\r\n" + "Conversion factor (mV)" + colon + "0.0003051758";
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
    EXPECT_EQ(fs::path(run.dataFilePath()).filename(), "20220131_09h05m03s.pldat");
}

TEST_F(RunFixture, ManualStimulationDuringARecordedPauseWritesItsOwnFile) {
    settings("2", "1", "3");
    PulseConfigs pulse;
    pulse.setParameter("Biphasic", "0.2", "50", "1", "999");  // 20 + 4 + 19 980 samples: 1000.2 ms
    manual.setPulses(PulseParameters::kS1, {pulse});
    manual.S1Ch = 2;
    manual.S2Ch = PulseParameters::kNoElectrode;
    int pausePolls = 0;
    atPass = [&](long long pass) {
        if (pass == 3) run.toolStripButtonPause_Click();
        if (!run.PauseTyuu) return;
        ++pausePolls;
        if (pausePolls == 2) {
            ASSERT_TRUE(window.manualEnabled);
            run.buttonMNL_Click();
        } else if (pausePolls == 3) {
            run.toolStripButtonStop_Click();
        }
    };
    run.toolStripButtonRec_Click();
    ASSERT_FALSE(run.manualFilePath().empty());
    EXPECT_NE(run.manualFilePath().find("_Manual Stim.pldat"), std::string::npos);
    std::vector<char> bytes = fileBytes(run.manualFilePath());
    EXPECT_EQ(readAt<std::int32_t>(bytes, 0), 1);                  // trace count
    EXPECT_EQ(readAt<std::int32_t>(bytes, 4), 1000 / 500 + 1);     // blocks per trace
    EXPECT_DOUBLE_EQ(readAt<double>(bytes, 17), 1000.0);           // stimulus length, ms
    std::vector<BlockInfo> blocks = blocksOf(bytes);
    ASSERT_FALSE(blocks.empty());
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_EQ(blocks[i].trace, 0);
        EXPECT_EQ(blocks[i].block, static_cast<int>(i));
        EXPECT_EQ(blocks[i].samples, 10000);
        EXPECT_EQ(blocks[i].loop, 0);
        EXPECT_EQ(blocks[i].step, 0);
    }
    EXPECT_EQ(window.text(RunText::ManualButton), "Start Stim");
}

TEST_F(RunFixture, StartStimWithPulsesButNoElectrodeAsksAndNoDeliversNothing) {
    PulseConfigs pulse;
    pulse.setParameter("Biphasic", "0.2", "50", "1", "9.6");  // 10 ms
    manual.setPulses(PulseParameters::kS1, {pulse});
    manual.S1Ch = PulseParameters::kNoElectrode;
    const std::string s1Question =
        "Manual S1 has pulses but no electrode: nothing reaches the tissue. Deliver anyway?";
    struct Case {
        bool s2Routed;  // S2 has pulses and electrode 3
        bool yes;
        bool played;
        const char* statusAfter;  // "" for the paused text
    } cases[] = {
        {false, false, false, ""},
        {true, false, false, ""},
        {true, true, true, ""},  // S2 plays; S1 has nothing to play on
        {false, true, false, korin::status::kManualNothingToDeliver},
    };
    settings("2", "1", "3");
    for (const Case& c : cases) {
        manual.setPulses(PulseParameters::kS2, c.s2Routed ? std::vector<PulseConfigs>{pulse} : std::vector<PulseConfigs>{});
        manual.S2Ch = c.s2Routed ? 2 : PulseParameters::kNoElectrode;
        window.answer = c.yes;
        window.questions.clear();
        int pausePolls = 0;
        bool played = false;
        std::string statusAfter;
        atPass = [&](long long pass) {
            if (pass == 3 && !run.PauseTyuu) run.toolStripButtonPause_Click();
            if (!run.PauseTyuu) return;
            if (++pausePolls == 2) {
                const int writesBefore = driver->count("WriteAnalogF64");
                run.buttonMNL_Click();
                played = driver->count("WriteAnalogF64") > writesBefore;
                statusAfter = window.status;
            } else if (pausePolls == 3) {
                run.toolStripButtonStop_Click();
            }
        };
        window.polls = 0;
        run.toolStripButtonRec_Click();
        EXPECT_EQ(window.questions, std::vector<std::string>{s1Question});
        EXPECT_EQ(played, c.played);
        EXPECT_EQ(run.manualFilePath().empty(), !c.played) << "the manual file";
        EXPECT_EQ(statusAfter, *c.statusAfter ? c.statusAfter : korin::status::kPausedBetweenTraces);
    }
}

TEST(PassTimingStats, CountsLatePassesAndPercentiles) {
    PassTiming timing;
    for (int i = 0; i < 98; ++i) timing.add(3.5, 500);
    timing.add(40, 520);
    timing.add(650, 700);
    EXPECT_EQ(timing.count(), 100);
    EXPECT_EQ(timing.lateWorkPasses(), 1);
    EXPECT_DOUBLE_EQ(timing.percentileWorkMs(0.5), 4);
    EXPECT_DOUBLE_EQ(timing.percentileWorkMs(0.99), 41);
    EXPECT_DOUBLE_EQ(timing.maxWorkMs(), 650);
    EXPECT_DOUBLE_EQ(timing.maxPassMs(), 700);
}

TEST_F(RunFixture, ResumeInsideATraceKeepsTheBlockIndicesOfTheFile) {
    settings("2", "2", "3");
    int pausePolls = 0;
    atPass = [&](long long pass) {
        // Passes 1-4 record trace 0, 5-6 are the interval, trace 1 starts at pass 7.
        if (pass == 8) run.toolStripButtonPause_Click();
        if (run.PauseTyuu && ++pausePolls == 3) run.toolStripButtonRec_Click();
    };
    run.toolStripButtonRec_Click();
    ASSERT_TRUE(window.alerts.empty());
    std::vector<char> bytes = fileBytes(run.dataFilePath());
    std::vector<BlockInfo> blocks = blocksOf(bytes);
    ASSERT_EQ(blocks.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(blocks[i].trace, i / 4);
        EXPECT_EQ(blocks[i].block, i % 4) << "block " << i;
        EXPECT_EQ(static_cast<int>(bytes[123 + i * (39 + 320'000) + 28]), i % 4 == 0 ? 1 : 0) << "first-block flag";
    }
}

// --- Internal faults ---

namespace {

enum class FaultSite { ViewDraw, HandlerInPump, WindowBoundary };

class RunFault : public RunFixture, public ::testing::WithParamInterface<FaultSite> {};

std::int32_t blocksReadBack(const std::string& path) {
    FileReader reader;
    EXPECT_TRUE(reader.open(path) && reader.read()) << reader.errorText();
    return reader.AllBlock;
}

}  // namespace

// A view that throws while drawing the third block, a handler that throws
// inside the event pump, and a fault the window caught at its own boundary.
TEST_P(RunFault, EndsTheRunWithItsAlertAndTheFileKeepsTheBlocksSoFar) {
    settings("1", "10", "0");
    const FaultSite site = GetParam();
    window.onDraw = [&] {
        if (site == FaultSite::ViewDraw && window.draws == 3) throw std::runtime_error("view fault");
    };
    atPass = [&](long long pass) {
        if (pass != 3) return;
        if (site == FaultSite::HandlerInPump) throw std::runtime_error("handler fault");
        if (site == FaultSite::WindowBoundary) run.internalError("handler fault");
    };
    std::string stateAtAlert;
    window.onAlert = [&](const std::string&) { stateAtAlert = std::string(korin::runStateName(window.state)); };
    testing::internal::CaptureStdout();
    run.toolStripButtonRec_Click();
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_NE(console.find(site == FaultSite::ViewDraw ? "Internal error: view fault" : "Internal error: handler fault"),
              std::string::npos)
        << console;
    EXPECT_EQ(window.alerts, std::vector<std::string>{alerts::kRunInternalError});
    EXPECT_EQ(stateAtAlert, "Stop");
    EXPECT_FALSE(run.runActive());
    EXPECT_FALSE(acq->file.isOpen());
    EXPECT_EQ(driver->count("ClearTask"), driver->createdTasks);
    EXPECT_EQ(blocksReadBack(run.dataFilePath()), 3);

    window.onDraw = nullptr;
    atPass = nullptr;
    settings("1", "1", "0");
    const int drawsBefore = window.draws;
    run.toolStripButtonPlay_Click();
    EXPECT_EQ(window.draws - drawsBefore, 2) << "the next run loops again";
    EXPECT_EQ(window.alerts.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Sites, RunFault,
                         ::testing::Values(FaultSite::ViewDraw, FaultSite::HandlerInPump, FaultSite::WindowBoundary));

TEST_F(RunFixture, FaultDuringAManualStimulationClosesBothFilesAndStopsTheOutput) {
    settings("2", "1", "3");
    PulseConfigs pulse;
    pulse.setParameter("Biphasic", "0.2", "50", "1", "999");
    manual.setPulses(PulseParameters::kS1, {pulse});
    manual.S1Ch = 2;
    manual.S2Ch = PulseParameters::kNoElectrode;
    bool manualStarted = false;
    atPass = [&](long long pass) {
        if (pass == 3) run.toolStripButtonPause_Click();
        if (run.PauseTyuu && window.manualEnabled && !manualStarted) {
            manualStarted = true;
            run.buttonMNL_Click();
        }
    };
    window.onDraw = [&] {
        if (manualStarted) throw std::runtime_error("view fault");  // the manual loop draws while paused
    };
    testing::internal::CaptureStdout();
    run.toolStripButtonRec_Click();
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(manualStarted);
    EXPECT_EQ(window.alerts, std::vector<std::string>{alerts::kRunInternalError});
    EXPECT_EQ(window.state, korin::RunState::Stop);
    EXPECT_EQ(window.text(RunText::ManualButton), "Start Stim");
    EXPECT_FALSE(acq->file.isOpen());
    EXPECT_FALSE(acq->fileM.isOpen());
    EXPECT_EQ(driver->count("ClearTask"), driver->createdTasks);
    EXPECT_EQ(blocksReadBack(run.dataFilePath()), 2);
    EXPECT_GE(blocksReadBack(run.manualFilePath()), 1);
}

// --- First thresholds ---

// 0.1 s traces every 20 s with the filters off: the first four blocks of device
// data (the trace's 2000 scans, the 8000 read after them, three interval blocks)
// set the thresholds, so the spike of the first trace passes uncounted and the
// one of the second trace counts.
TEST_F(RunFixture, ShortTracesTakeTheFirstThresholdsFromTheFirstFourBlocksOfData) {
    settings("2", "0.1", "20");
    window.texts[RunText::Highpass] = window.texts[RunText::Lowpass] = "None";
    constexpr long long kRunStart = 11 * 10'000;  // the scans after the DC-offset blocks
    driver->signal = [](long long scan, int c) {
        const long long k = scan - kRunStart;
        if (k == 500 || k == 400'500) return -0.02;  // -0.2 mV
        // +-2^-9 V, and +-2^-10 V in the 100 ms from k = 4000 that the first
        // trace's block leaves to its discard read; twice that on odd channels.
        const double volts = (k >= 4000 && k < 6000 ? 1.0 / 1024 : 1.0 / 512) * (1 + c % 2);
        return scan % 2 ? volts : -volts;
    };
    run.toolStripButtonPlay_Click();
    ASSERT_TRUE(window.alerts.empty());
    for (int c = 0; c < 16; ++c) {
        // 5.5 SD of the quiet window, 0.009765625 mV (exact in single precision).
        const float spread = 0.0537109375f * static_cast<float>(1 + c % 2);
        EXPECT_EQ(levels.yMThreshAry[c], -spread) << "channel " << c + 1;
        EXPECT_EQ(levels.yPThreshAry[c], spread) << "channel " << c + 1;
        EXPECT_EQ(levels.PostAry[c], 0.5f);
        ASSERT_EQ(acq->spikeCount[c], 1) << "channel " << c + 1;
        // Stamped where the trace is back past half the threshold: the scan after it.
        EXPECT_EQ(acq->TimeStampData[c][0], 400'501) << "20 s and 501 scans into the run";
    }
}
