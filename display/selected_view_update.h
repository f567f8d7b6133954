// What the sixteen-channel view's frame asks of the selected-channel views
// after it is drawn: the new X ranges of the raw and analysis plots and which
// of them to redraw. Pure arithmetic; the window applies the plan.
#pragma once

#include <cstdint>

// Slope: an evoked-response measure per trace over the run (display/slope_frames.h).
enum class AnalysisMode : std::uint8_t { Spike = 0, EP = 1, ISI = 2, Slope = 3 };

struct SelectedViewInput {
    AnalysisMode Mode = AnalysisMode::Spike;
    double RawUpXaxis = 10.0;      // raw plot width, s
    std::int32_t EpXScale = 1000;  // ms per analysis X unit: 1000 (sec) or 60000 (min)
    bool FreqDrawTiming = false;   // a spike bin has just been completed
    bool sizechange = false;       // size, selection or colour change
    bool rawRangeTextsNumeric = true;  // EP mode keeps the user's raw range unless it does not parse

    // Live frame.
    double timeInTraceSec = 0.0;   // run clock's time within the trace
    double elapsedRunSec = 0.0;    // run clock's elapsed run time
    double traceDurationSec = 0.0;

    // Replay frame.
    double blockOffsetMs = 0.0;     // offset of the last block read
    double replayElapsedSec = 0.0;  // reader time in whole seconds
    double longestTraceSec = 0.0;
};

struct SelectedViewPlan {
    bool setRawRange = false;  // raw plot's X range texts become rawXMin, rawXMax (s)
    double rawXMin = 0.0;
    double rawXMax = 0.0;
    bool drawSelectCh = true;  // the raw plot is redrawn after every frame
    bool setFreqRange = false; // analysis X range texts become "0" and freqXMax
    double freqXMax = 0.0;
    bool drawFreq = false;     // DrawFreqSelectCh
    bool clearSizechange = false;
};

// The upper plot's X range (s within the trace) that follows the data: live
// from max(0, t - RawUpXaxis); replay the same from the last block's offset b,
// shifted by the block's half second once b >= RawUpXaxis.
struct RawXRange {
    double xMin = 0.0;
    double xMax = 0.0;
};
RawXRange rawFollowLive(double timeInTraceSec, double RawUpXaxis);
RawXRange rawFollowReplay(double blockOffsetMs, double RawUpXaxis);

// EpXScale / 1000 as an integer division (1 or 60), never below 1.
double analysisDivisor(std::int32_t EpXScale);

// After DrawChart.
SelectedViewPlan planAfterLiveFrame(const SelectedViewInput& in);
// After DrawChartLoad.
SelectedViewPlan planAfterReplayFrame(const SelectedViewInput& in);
