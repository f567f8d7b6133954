// Run control on the free-running simulated Dev1 with its culture: what the
// loop does to the input task and to the spike counts, block by block.
#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <vector>

#include "acquisition/acquisition_ni.h"
#include "acquisition/headless_run_window.h"
#include "acquisition/run_control.h"
#include "acquisition/sim_device.h"
#include "stimulation/stimulus_controller.h"
#include "tests/engine/stim_test_helpers.h"

namespace {

struct SimDeviceRun : ::testing::Test {
    std::shared_ptr<SimulatedDevice> device = std::make_shared<SimulatedDevice>(SimulatedDevice::Options{7, false});
    AcquisitionNI acq{device};
    PulseParameters step1, step2, manual;
    StimulusController stim{acq, step1, step2, manual};
    HeadlessRunWindow window;
    korin::ChannelLevels levels;  // as the window has them at start-up
    RunControl run{acq, stim, window, levels};
    // Per recording pass: the input task's scan position and the spikes of the block.
    std::vector<std::int64_t> positions;
    std::vector<int> spikes;

    int lastDraws = 0, lastSpikes = 0;

    // After every drawn (recording) pass; the last pass of a run ends it before
    // pumping events, so the trace-end hook samples that one.
    void sample() {
        const int total = std::accumulate(acq.spikeCount, acq.spikeCount + AcquisitionNI::kChannels, 0);
        if (window.draws > lastDraws) {
            positions.push_back(device->inputScanPosition());
            spikes.push_back(total - lastSpikes);
        }
        lastDraws = window.draws;
        lastSpikes = total;
    }
    void SetUp() override {
        window.texts[RunText::Hours] = window.texts[RunText::Minutes] = "0";
        window.texts[RunText::IntervalHours] = window.texts[RunText::IntervalMinutes] = "0";
        window.onPoll = [this](long long) { sample(); };
        run.onTraceEnd = [this](int) { sample(); };
    }
    void play(const char* repeat, const char* seconds, const char* interval) {
        window.texts[RunText::Repeat] = repeat;
        window.texts[RunText::Seconds] = seconds;
        window.texts[RunText::IntervalSeconds] = interval;
        positions.clear();
        spikes.clear();
        lastDraws = window.draws;
        lastSpikes = 0;  // the set-up clears the counts
        run.toolStripButtonPlay_Click();
        ASSERT_TRUE(window.alerts.empty());
    }
};

}  // namespace

TEST_F(SimDeviceRun, InputRunsOnThroughATraceWhoseCountdownEndsInsideIt) {
    step1.S1Ch = 2;
    step1.setPulses(PulseParameters::kS1, {stimtest::standardBiphasic()});
    window.step1Enabled = true;
    play("0", "2", "0");
    // Restarted once with the stimulus at the trace start, never inside the trace.
    EXPECT_EQ(positions, (std::vector<std::int64_t>{10'000, 20'000, 30'000, 40'000}));
}

TEST_F(SimDeviceRun, NoSpikesBeforeTheFirstThresholdsThenTheNextRunCountsFromItsFirstBlock) {
    play("1", "3", "0");
    ASSERT_EQ(spikes.size(), 6u);
    EXPECT_EQ(std::vector<int>(spikes.begin(), spikes.begin() + 4), std::vector<int>(4, 0));
    EXPECT_GT(spikes[4] + spikes[5], 0);
    EXPECT_TRUE(levels.thresholdsSet);

    play("1", "1", "0");  // too short to compute thresholds of its own
    ASSERT_EQ(spikes.size(), 2u);
    EXPECT_GT(spikes[0], 0);
}

TEST_F(SimDeviceRun, EPPresetTracesCountSpikesOnceTheirFirstFourFilteredBlocksAreIn) {
    play("3", "0.1", "20");  // the EP presets' 0.1 s every 20 s, filtered from 1 Hz to 5000 Hz
    ASSERT_EQ(spikes.size(), 3u);
    EXPECT_EQ(spikes[0], 0) << "the first trace comes before its fourth block";
    EXPECT_TRUE(levels.thresholdsSet);
    EXPECT_GT(spikes[1] + spikes[2], 0);
}
