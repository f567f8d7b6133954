// Every text of the status line beside the device indicator: what a run or a
// replay is doing and how it ended. Run control and replay control choose
// them; the window only shows them. Alerts, which stop the user, are in
// alert_messages.h.
#pragma once

#include <cstdint>
#include <string>

namespace korin::status {

// A pause between traces offers the Manual program; one inside a trace does not.
inline constexpr const char* kPausedBetweenTraces =
    "Paused. Play or Record resumes; Start Stim delivers the Manual program.";
inline constexpr const char* kPausedInTrace =
    "Paused inside a trace. Play or Record resumes; Start Stim waits for a pause between traces.";
// "Start Stim" when no output of the Manual program has both pulses and an electrode.
inline constexpr const char* kManualNothingToDeliver =
    "Start Stim delivered nothing: no output of the Manual program has pulses and an electrode.";
inline constexpr const char* kReplayFinished = "Replay finished";
inline constexpr const char* kReplaying = "Replaying";
inline constexpr const char* kReplayPaused = "Replay paused. Play goes on; Stop starts again at the range's first block.";
// Play in replay mode with no recording open.
inline constexpr const char* kNoRecordingOpen = "Open a recording with \"...\" beside \"Filename\" first.";

// "Measuring the DC offset: 5.5 s left", before each of the set-up's offset blocks.
std::string dcOffsetLeft(double seconds);

// After the device refused the stimulus of trace N (from 1), added to what the
// line says for the rest of the run and after it: "The stimulus of trace 2 was
// not played (see the console)."
std::string stimulusNotPlayed(std::int64_t traceNumber);
// `status` with `news` after it as a sentence of its own; either may be "".
std::string withNews(const std::string& status, const std::string& news);

// What run control knows of a run when it reports on it.
struct RunOutcome {
    std::int64_t tracesComplete = 0;
    std::int64_t tracesAsked = 1;
    bool finished = false;       // the last trace was completed
    bool traceCutShort = false;  // the trace in progress had blocks when the run ended
    std::string dataFile;        // empty when nothing was recorded
};

// While traces run: "Recording to FILE", or that Play records nothing.
std::string runRunning(const RunOutcome& run);
// At the end of a run: "Run finished: N traces recorded to FILE", or how far it got.
std::string runEnd(const RunOutcome& run);

// At the end of an export: written whole, or stopped (Pause, Stop, a write error).
std::string exportWritten(const std::string& path, std::int64_t blocks);
std::string exportStopped(const std::string& path, std::int64_t blocks);
std::string exporting(const std::string& path);

}  // namespace korin::status
