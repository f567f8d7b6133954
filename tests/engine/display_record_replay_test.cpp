// A run recorded on the simulated device is drawn the same live and in replay:
// the sixteen-channel frame built from the acquisition rings and the one built
// from the reader's window of the recorded file agree vertex for vertex, within
// the 16-bit quantisation of the file.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "acquisition/acquisition_ni.h"
#include "acquisition/sim_device.h"
#include "acquisition/timer.h"
#include "display/sixteen_channel_frame.h"
#include "files/file_reader.h"
#include "tests/engine/file_reader_test_files.h"
#include "tests/engine/sim_recording.h"

namespace {

class RecordAndReplayFrames : public ::testing::Test {
protected:
    // One trace of `blocks` half-second blocks, recorded to `path`.
    void record(int blocks) { run.record(path, 0.5 * blocks, 1); }

    testfiles::TempDir dir;
    std::string path = dir.file("run.pldat");
    SimRecording run{7};
    AcquisitionNI& acq = run.acq;
};

TEST_F(RecordAndReplayFrames, RecordedRunReplaysToTheFrameItShowedLive) {
    record(3);
    SixteenChannelSettings settings;
    settings.RawYaxis = "500";  // +-1 mV: a count (0.06 uV) is 0.006 px, and nothing reaches the edges
    const ViewColors colors;
    DrawList live;
    buildChartFrame(live, settings, colors, liveSnapshot(acq), 845, 415, true);

    FileReader reader;
    ASSERT_TRUE(reader.open(path)) << reader.errorText();
    ASSERT_TRUE(reader.read()) << reader.errorText();
    reader.syokika();
    for (int b = 0; b < 3; ++b) ASSERT_TRUE(reader.readData());
    DrawList replay;
    buildChartFrame(replay, settings, colors, replaySnapshot(reader), 845, 415, false);

    ASSERT_EQ(acq.DrawChartMaxIndex, 30000);
    ASSERT_EQ(reader.DrawChartMaxIndex, 30000);
    ASSERT_EQ(live.vertices().size(), replay.vertices().size());
    ASSERT_EQ(live.batches().size(), replay.batches().size());
    float largest = 0.0f;
    for (std::size_t i = 0; i < live.vertices().size(); ++i) {
        ASSERT_EQ(live.vertices()[i].x, replay.vertices()[i].x) << i;
        largest = std::max(largest, std::abs(live.vertices()[i].y - replay.vertices()[i].y));
    }
    EXPECT_LT(largest, 0.01f);
}

TEST_F(RecordAndReplayFrames, SimulatedSignalIsDrawnAsAVisibleTraceInEveryCell) {
    record(2);
    SixteenChannelSettings settings;
    settings.Rawauto = true;
    ViewColors colors;
    colors.LineColor16 = {1, 2, 3};
    DrawList frame;
    buildChartFrame(frame, settings, colors, liveSnapshot(acq), 845, 415, true);
    int traces = 0;
    for (const DrawBatch& b : frame.batches()) {
        if (b.color != toDrawingColor(colors.LineColor16)) continue;
        ++traces;
        EXPECT_EQ(b.count, 2u * 19999u);  // autoscaled: nothing clipped, every sample drawn
        float top = 1e9f, bottom = -1e9f;
        for (std::uint32_t i = 0; i < b.count; ++i) {
            top = std::min(top, frame.vertices()[b.first + i].y);
            bottom = std::max(bottom, frame.vertices()[b.first + i].y);
        }
        EXPECT_GT(bottom - top, 20.0f);  // not a flat line
    }
    EXPECT_EQ(traces, 16);
}

}  // namespace
