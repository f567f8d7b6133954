// A stimulated run end to end on the simulated Dev1: a pulse built with the
// step editor, played by run control, read back from the recording file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
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
