// A run control on the simulated Dev1 (seed 5, free-running) recording into a
// folder of its own: 1 s traces every 2 s, no filter, no electrode on any
// program, a fixed start time. Fixtures add their programs and hooks.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "acquisition/acquisition_ni.h"
#include "acquisition/headless_run_window.h"
#include "acquisition/run_control.h"
#include "acquisition/sim_device.h"
#include "stimulation/stimulus_controller.h"

namespace stimtest {

struct SimRunRig : ::testing::Test {
    std::shared_ptr<SimulatedDevice> device = std::make_shared<SimulatedDevice>(SimulatedDevice::Options{5, false});
    std::unique_ptr<AcquisitionNI> acq = std::make_unique<AcquisitionNI>(device);
    PulseParameters step1, step2, manual;
    StimulusController stimulus{*acq, step1, step2, manual};
    HeadlessRunWindow window;
    korin::ChannelLevels levels;
    RunControl run{*acq, stimulus, window, levels};
    std::filesystem::path folder;

    void SetUp() override {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() / ("korin16-" + std::string(test->test_suite_name()) + "-" +
                                                           std::to_string(::getpid()) + "-" + test->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        for (PulseParameters* p : {&step1, &step2, &manual}) p->S1Ch = p->S2Ch = PulseParameters::kNoElectrode;
        window.texts[RunText::OutputFolder] = folder.string();
        window.texts[RunText::Hours] = window.texts[RunText::Minutes] = "0";
        window.texts[RunText::Seconds] = "1";
        window.texts[RunText::IntervalHours] = window.texts[RunText::IntervalMinutes] = "0";
        window.texts[RunText::IntervalSeconds] = "2";
        window.texts[RunText::Highpass] = window.texts[RunText::Lowpass] = "None";
        run.localNow = [] { return StartDateTime{2022, 1, 31, 9, 5, 3, 45}; };
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
};

}  // namespace stimtest
