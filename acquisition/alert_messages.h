// Every text the system shows in its two alert dialogs, in one place. The engine
// returns these texts; the window only shows them.
#pragma once

#include <string>
#include <string_view>

namespace korin::alerts {

// Information dialog (ShowAlertForm).
inline constexpr const char* kInformationTitle = "Alert!";
inline constexpr const char* kInformationDefaultText = "DAQmx Error";
// Yes/no dialog (ShowAlertForm2).
inline constexpr const char* kQuestionTitle = "Save?";
inline constexpr const char* kQuestionDefaultText = "Would do you like to save the current protocol";

inline constexpr const char* kNumericalValue = "Please input a numerical value.";
// Run set-up ends the sentence with a full stop; the manual stimulation start does not.
inline constexpr const char* kLastPulsePostRun = "\"Post\" value of the last pulse must be over 0 ms.";
inline constexpr const char* kLastPulsePostManual = "\"Post\" value of the last pulse must be over 0 ms";
inline constexpr const char* kNegativePulseTime = "Duration, Pre and Post must be 0 ms or more.";
inline constexpr const char* kZeroLengthPulse =
    "A pulse, with its pre and post times, must last at least one sample (0.05 ms).";
// Run set-up, before anything is touched: {N} is the first trace (from 1) that
// would go beyond the stimulator's range, {X} its intensity and {S} "S1" or "S2".
inline constexpr const char* kTraceCurrentBeyondLimit =
    "Trace {N} would stimulate with {X} \u00b5A on {S}; the stimulator's limit is 100 \u00b5A.";
// "Start Stim", for the Manual program.
inline constexpr const char* kManualCurrentBeyondLimit =
    "The Manual program would stimulate with {X} \u00b5A on {S}; the stimulator's limit is 100 \u00b5A.";
inline constexpr const char* kPatternTooLong =
    "A stimulation pattern must not be longer than 50 s (1000000 samples) per stimulator.";
inline constexpr const char* kUnitsNotWhole = "The number of units must be a whole number of 1 or more.";
inline constexpr const char* kPatternLongerThanTrace = "A stimulation pattern must be shorter than the record time.";
inline constexpr const char* kIntervalNotLongerThanTrace =
    "A repeat interval must be greater than the trace duration.";
inline constexpr const char* kTraceDurationZero = "Please set a trace duration longer than 0 seconds.";
inline constexpr const char* kDeviceSetupIncomplete = "The DAQ device setup is incomplete.";
inline constexpr const char* kNoOutputFolder = "Please specify an output folder.";
inline constexpr const char* kNoOutputFileName = "Please specify an output file name.";
inline constexpr const char* kSamplingError = "The acquisition has stopped due to a sampling error.";
// A data file that cannot be created, and one that can no longer be written.
inline constexpr const char* kRecordingFileNotCreated = "The recording file could not be created.";
inline constexpr const char* kRecordingFileNotWritten =
    "The recording has stopped: the data file could not be written.";
// Export files of a replay that cannot be created, and that can no longer be written.
inline constexpr const char* kExportFileNotCreated = "The export file could not be created.";
inline constexpr const char* kExportFileNotWritten = "The export has stopped: the export file could not be written.";
// An export output that is the recording being replayed, or another recording.
inline constexpr const char* kExportWouldOverwrite = "The export would overwrite a recording.";
// An exception out of a view, a handler or a loop: the run, replay or export
// ended through its normal finish, and what was written is kept.
inline constexpr const char* kRunInternalError =
    "The run has stopped because of an internal error. The recording keeps every block up to this point.";
inline constexpr const char* kReplayInternalError = "The replay has stopped because of an internal error.";
inline constexpr const char* kExportInternalError =
    "The export has stopped because of an internal error. The export files keep every block up to this point.";
// A block of the file being replayed that can no longer be read.
inline constexpr const char* kReplayFileNotRead = "The recording file could not be read.";
// Asked with the yes/no dialog before a recorded run that may not fit on the
// disk; {N} and {M} stand for whole minutes.
inline constexpr const char* kDiskSpaceQuestion =
    "The output folder has room for about {N} min of recording, but this run records {M} min. Record anyway?";
// The line added to the settings summary of a run in which the device refused
// a trace's stimulus, before the trace list.
inline constexpr const char* kStimulusNotPlayedSummary = "Stimulus not played in traces: ";
// Console warnings of korin16-cli about an output that reaches no tissue; {S}
// names the output ("S1", or "S1 of Step 2"), {E} the electrode (1-16).
inline constexpr const char* kPulsesWithoutElectrode = "{S} has pulses but no electrode: nothing reaches the tissue.";
inline constexpr const char* kElectrodeWithoutPulses =
    "{S} has an electrode but no pulses: electrode {E} gets no stimulus.";
// Asked with the yes/no dialog at "Start Stim" when an output of the Manual
// program has pulses but no electrode; {S} stands for "S1" or "S2".
inline constexpr const char* kManualNoElectrodeQuestion =
    "Manual {S} has pulses but no electrode: nothing reaches the tissue. Deliver anyway?";
inline constexpr const char* kManualNoElectrodesQuestion =
    "Manual S1 and S2 have pulses but no electrode: nothing reaches the tissue. Deliver anyway?";
// Asked with the yes/no dialog when the window closes while the preset reads "Custom".
inline constexpr const char* kSaveSettingsQuestion = "Would you like to save the current settings?";

// Evoked-response windows (the windows dialog and `korin16-cli measure --windows`), in ms.
inline constexpr const char* kEvokedWindowsCount =
    "Please give eight window values: BASE_FROM,BASE_TO,BLANK,WIN_FROM,WIN_TO,SLOPE_FROM,SLOPE_TO,WIDTH (ms).";
inline constexpr const char* kEvokedBaselineWindow =
    "The baseline must end at or before the onset and be at least 0.1 ms long.";
inline constexpr const char* kEvokedBlank = "The artefact blank must be 0 ms or longer.";
inline constexpr const char* kEvokedMeasureWindow =
    "The measure window must start at or after the end of the blank and end after it starts.";
inline constexpr const char* kEvokedSlopeWindow =
    "The slope window must start at or after the end of the blank and be at least 0.1 ms long.";
inline constexpr const char* kEvokedSlopeWidth =
    "The slope width must be at least 0.1 ms and no longer than the measure window.";
inline constexpr const char* kEvokedWindowReach = "Every window must lie within 100 ms of the onset.";

// A catalogue text with its first `placeholder` ("{N}") replaced by `value`.
inline std::string fillIn(std::string text, std::string_view placeholder, std::string_view value) {
    const std::size_t at = text.find(placeholder);
    if (at != std::string::npos) text.replace(at, placeholder.size(), value);
    return text;
}

}  // namespace korin::alerts
