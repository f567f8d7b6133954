// A stimulated run end to end on the simulated Dev1: a pulse built with the
// step editor, played by run control, read back from the recording file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "acquisition/acquisition_ni.h"
#include "acquisition/headless_run_window.h"
#include "acquisition/run_control.h"
#include "acquisition/sim_device.h"
#include "files/file_reader.h"
#include "stimulation/step_editor.h"
#include "stimulation/stimulus_controller.h"
#include "tests/engine/stim_test_helpers.h"

namespace fs = std::filesystem;

namespace {

constexpr int kNear = 4;   // electrode 5, row 2 column 1 of the 4 x 4 array
constexpr int kFar = 15;   // electrode 16, the opposite corner
constexpr int kFirstScans = 200;  // the first 10 ms of the trace

double peakOf(const double* block, int channel) {
    double peak = 0;
    for (int k = 0; k < kFirstScans; ++k) peak = std::max(peak, std::fabs(block[16 * k + channel]));
    return peak;
}

}  // namespace

TEST(StimRecordedRun, PulseOnElectrodeFiveShowsItsResponseNearFiveAndNotInTheFarCorner) {
    const fs::path dir = fs::temp_directory_path() / ("korin16_stimrun_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);

    auto acq = std::make_unique<AcquisitionNI>(std::make_shared<SimulatedDevice>(SimulatedDevice::Options{5, false}));
    PulseParameters step1, step2, manual;
    for (PulseParameters* p : {&step1, &step2, &manual}) p->S1Ch = p->S2Ch = PulseParameters::kNoElectrode;
    stim::StepEditor editor(step1, stim::StepKind::Step1);
    editor.setTraceSeconds(1);
    editor.clickElectrode(5);
    editor.tab.fields = stimtest::standardBiphasic();  // −10 µA, 0.1 ms
    ASSERT_TRUE(editor.add().alert.empty());

    StimulusController stimulus(*acq, step1, step2, manual);
    HeadlessRunWindow window;
    window.texts[RunText::OutputFolder] = dir.string();
    window.texts[RunText::Minutes] = "0";
    window.texts[RunText::Seconds] = "1";
    window.step1Enabled = true;
    korin::ChannelLevels levels;
    RunControl run(*acq, stimulus, window, levels);
    run.toolStripButtonRec_Click();
    ASSERT_TRUE(window.alerts.empty()) << window.alerts.front();

    FileReader reader;
    ASSERT_TRUE(reader.open(run.dataFilePath())) << reader.errorText();
    ASSERT_TRUE(reader.read()) << reader.errorText();
    reader.syokika();
    ASSERT_TRUE(reader.readData());
    const double near = peakOf(reader.aryData, kNear);
    const double far = peakOf(reader.aryData, kFar);
    EXPECT_GT(near, 0.2);  // mV: well above the background
    EXPECT_GT(near, 10 * far) << "near " << near << " mV, far " << far << " mV";
    std::printf("peak in the first 10 ms: electrode 5 %.4f mV, electrode 16 %.4f mV\n", near, far);
    fs::remove_all(dir);
}

TEST(StimRecordedRun, StimulusTheDeviceRefusesInTraceTwoIsToldAndTheRunGoesOn) {
    const fs::path dir = fs::temp_directory_path() / ("korin16_stimrefused_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    auto device = std::make_shared<SimulatedDevice>(SimulatedDevice::Options{5, false});
    auto acq = std::make_unique<AcquisitionNI>(device);
    PulseParameters step1, step2, manual;
    for (PulseParameters* p : {&step1, &step2, &manual}) p->S1Ch = p->S2Ch = PulseParameters::kNoElectrode;
    step1.S1Ch = 4;
    step1.setPulses(PulseParameters::kS1, {stimtest::standardBiphasic()});
    StimulusController stimulus(*acq, step1, step2, manual);
    HeadlessRunWindow window;
    window.texts[RunText::OutputFolder] = dir.string();
    window.texts[RunText::Repeat] = "3";
    window.texts[RunText::Minutes] = "0";
    window.texts[RunText::Seconds] = "1";
    window.texts[RunText::IntervalSeconds] = "2";
    window.step1Enabled = true;
    korin::ChannelLevels levels;
    RunControl run(*acq, stimulus, window, levels);
    // Trace 2's stimulus is prepared when trace 1 ends.
    run.onTraceEnd = [&](int trace) {
        if (trace == 0) device->failAnalogTimings(1);
    };
    testing::internal::CaptureStdout();
    run.toolStripButtonRec_Click();
    const std::string console = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(window.alerts.empty()) << window.alerts.front();
    EXPECT_NE(console.find("TaskAOSet!: The analog outputs refused the sample clock"), std::string::npos) << console;

    EXPECT_EQ(window.status, "Run finished: 3 traces recorded to " + run.dataFilePath() +
                                 ". The stimulus of trace 2 was not played (see the console).");
    EXPECT_EQ(fs::file_size(run.dataFilePath()), 123u + 6u * (39u + 320'000u)) << "three traces of two blocks";
    std::ifstream in(run.summaryFilePath(), std::ios::binary);
    const std::string summary{std::istreambuf_iterator<char>(in), {}};
    const std::string line = "\r\nStimulus not played in traces: 2";
    ASSERT_GE(summary.size(), line.size());
    EXPECT_EQ(summary.substr(summary.size() - line.size()), line) << "the last line, with no line end after it";
    EXPECT_TRUE(stimulus.playback().played(0, PulseParameters::kS1));
    EXPECT_FALSE(stimulus.playback().played(1, PulseParameters::kS1));
    EXPECT_TRUE(stimulus.playback().played(2, PulseParameters::kS1));

    run.onTraceEnd = nullptr;
    window.texts[RunText::Repeat] = "1";
    run.toolStripButtonPlay_Click();
    EXPECT_EQ(window.status, "Run finished: 1 trace, not recorded") << "the last run's news is not this run's";
    fs::remove_all(dir);
}
