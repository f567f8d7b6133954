// The record mode's run control: the Play, Record, Pause, Stop and manual
// stimulation handlers, the validation and set-up of a run, the run loop that
// records trace after trace with intervals between them, the paused wait and
// the end of a run. It runs on the window's thread and drives the window only
// through RunWindow, so it runs the same in the window, in tests and headless.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/channel_levels.h"
#include "acquisition/disk_space.h"
#include "acquisition/pass_timing.h"
#include "acquisition/run_flags.h"
#include "acquisition/run_window.h"
#include "acquisition/run_gating.h"
#include "acquisition/status_messages.h"
#include "files/file_naming.h"
#include "files/measures_file.h"
#include "files/stimulation_log.h"
#include "processing/evoked_session.h"
#include "processing/first_thresholds.h"

class AcquisitionNI;
class StimulusController;

class RunControl {
public:
    static constexpr const char* kDataFormatPellor = "Pellor (16 bit)";
    static constexpr const char* kStartStim = "Start Stim";
    static constexpr const char* kStopStim = "Stop Stim";

    // `flags` are the window's when it has them (the replay side reads them too);
    // without, run control keeps its own.
    RunControl(AcquisitionNI& acquisition, StimulusController& stimulus, RunWindow& window,
               korin::ChannelLevels& levels, korin::RunFlags* flags = nullptr);
    ~RunControl();

    // --- Handlers (record mode) ---
    void toolStripButtonPlay_Click();
    void toolStripButtonRec_Click();
    void toolStripButtonPause_Click();
    void toolStripButtonStop_Click();
    void buttonMNL_Click();

    // --- The run ---
    void AcquisitionSetUp();
    void TimerStart();
    void AcquisitionLoop();
    void finishMethod();
    void setManualAcquisition();
    void ManualLoop();
    void finishMethodManual();

    // The interval for the next countdown; `repeat` is the traces still to record.
    float getIntervalAll(double repeat) const;
    std::string getIntervalRemaining() const;
    static std::string traceHyouzi(int trace);

    // --- Gating with the run flags ---
    void PlayTyuuDisable() { applyState(korin::RunState::Play); }
    void StopTyuuDisable() { applyState(korin::RunState::Stop); }
    void PauseTyuuDisable() { applyState(korin::RunState::Pause); }
    void applyState(korin::RunState state);

private:
    std::unique_ptr<korin::RunFlags> ownFlags_;
    korin::RunFlags& flags_;

public:
    // --- Run-state flags, shared with the handlers that run inside the event pump ---
    std::atomic<std::uint8_t>& PlayTyuu = flags_.PlayTyuu;
    std::atomic<std::uint8_t>& StopTyuu = flags_.StopTyuu;
    std::atomic<std::uint8_t>& PauseTyuu = flags_.PauseTyuu;
    std::atomic<std::uint8_t>& KyuusiTyuu = flags_.KyuusiTyuu;
    std::atomic<std::uint8_t>& rectf = flags_.rectf;

    // --- Run values ---
    float goukeiZikann = 0;
    float intervalAll = 0;
    double tracetimems = 0;
    float IntervalTime = 0;
    std::int32_t LPF = 1;
    std::int32_t HPF = 1;

    bool runActive() const { return runActive_; }
    // A fault the window stopped at its own boundary (an exception out of a view
    // or a handler run by the event pump): printed, and a run in progress ends at
    // its next check of the stop flag, through finishMethod, with the alert.
    void internalError(const std::string& reason);
    // The files of the current (or last) recorded run; empty when none.
    const std::string& dataFilePath() const { return dataPath_; }
    const std::string& summaryFilePath() const { return summaryPath_; }
    const std::string& manualFilePath() const { return manualPath_; }
    // The stimulation log beside the current (or last) recorded run's data
    // file; empty when the run wrote none.
    const std::string& stimulationLogPath() const { return logPath_; }
    // The pulses of the trace started last, as its log rows (also when the run
    // is not recorded); empty when that trace has no stimulus. Valid from the
    // trace's start until the next trace starts, so the trace's first block
    // can read its onsets and intensities.
    const std::vector<stimlog::Row>& traceStimulation() const { return traceRows_; }
    // The pulses of the last manual stimulation, as its log rows.
    const std::vector<stimlog::Row>& manualStimulation() const { return manualRows_; }

    // The evoked-response measures of the current (or last) run, played or
    // recorded: every stimulated trace measured from the counts its blocks are
    // recorded with, so the table is the one the recording gives headless. Its
    // windows and channels are set from outside and kept from run to run;
    // each set-up empties the table. Manual stimulations are not measured.
    korin::EvokedSession& evokedSession() { return evoked_; }
    const korin::EvokedSession& evokedSession() const { return evoked_; }
    // The measures file beside the current (or last) recorded run's data file;
    // empty when the run wrote none.
    const std::string& measuresFilePath() const { return measuresPath_; }

    // The status line while traces run and at the end of a run, built from what
    // run control knows of the current (or last) run; notices of the run join
    // them here, so that neither text overwrites another.
    std::string runningStatus() const;
    std::string endOfRunStatus() const;

    // Work time of every pass of the current (or last) run.
    const PassTiming& passTiming() const { return passTiming_; }

    // Called after the last block of every trace with the trace's 0-based number.
    std::function<void(int trace)> onTraceEnd;
    // Called on the interface thread right after a trace has been measured
    // (evokedSession() holds it as its last trace); the window redraws there.
    std::function<void()> onTraceMeasured;
    // The local date and time of a run start; the system clock by default.
    std::function<StartDateTime()> localNow = ::localNow;
    // Free bytes at the output folder, asked before a recorded run; the file
    // system by default. Nothing means it cannot be told, and the run goes ahead.
    std::function<std::optional<std::uint64_t>(const std::string& folder)> freeSpace = korin::freeBytesAt;

private:
    // Runs a handler; an exception out of it is printed and ends a run in
    // progress at once, through finishMethod, with the internal-error alert.
    template <typename F>
    void guarded(F&& body);
    // A window call of the run's end: a fault in it is noted, never let stop the finish.
    template <typename F>
    void finishStep(F&& step);
    // Early end of a set-up after the device tasks exist: releases the tasks and
    // closes the files, then returns the controls to the stopped state.
    void abandonSetUp();
    void alertStopped(const std::string& message);
    bool validateAndReadSettings(double& repeat);
    // Before a recorded run: true when it fits the output folder or the user
    // answers Yes to recording anyway.
    bool diskSpaceAgreed(double repeat);
    bool openRecordingFiles();
    // Removes the files this set-up created, for a run that leaves no block.
    void discardRecordingFiles();
    bool measureDCOffset();
    // At every trace start: the rows of the stimulus it set going (none when it
    // set none going), appended to the run's log when there is one.
    void logTraceStimulation();
    void logManualStimulation();
    // A log that cannot be created or written is told on the console, once per
    // log; the recording goes on without it.
    void reportLogFailure(const stimlog::Writer& log, const char* what, bool& told);
    void reportFileFailure(const std::string& path, const std::string& error, const char* what, bool& told);
    // The block Kiroku just recorded (block `blockInTrace` of its trace) into
    // the evoked-response measures; the trace is begun at its first block.
    void measureBlock(int blockInTrace);
    // The measures of a trace that has ended, or of a run that ends.
    void finishTraceMeasures();
    // Runs a step of the measures: a fault in it is told and ends measuring
    // for the run, never the recording; a trace it measured calls the hook.
    template <typename F>
    void measuring(F&& step);
    // The status line again when the device has refused a trace's stimulus
    // since it was last shown, and the sentence that tells of the refusals.
    void showStimulusRefusals();
    std::string stimulusNews() const;
    // The trace list of the refusals, added to the run's settings summary.
    void noteRefusalsInSummary();
    void installFilter();
    void resumeFromPause();
    bool recordingPass();
    bool intervalPass();
    void pausedWait();
    bool manualStimulationRunning() const;
    // A run that starts with no thresholds set gathers its first four filtered
    // blocks; after every pass, once they are in, they set the thresholds.
    void gatherFirstThresholds();
    void takeFirstThresholds();
    korin::status::RunOutcome outcome() const;

    AcquisitionNI& acq_;
    StimulusController& stim_;
    RunWindow& window_;
    korin::ChannelLevels& levels_;

    bool runActive_ = false;
    bool runFinished_ = false;  // the last trace was completed
    bool runRecords_ = false;   // this run writes dataPath_ (which names the last recorded run's file)
    bool inLoop_ = false;
    bool eventPumpUp_ = false;
    // A resume asked for from inside the event pump; the loop carries it out, so
    // that pause and resume cycles never nest one run loop in another.
    std::atomic<bool> resumeRequested_{false};
    bool manualRunning_ = false;
    bool faultPending_ = false;  // the run ends with the internal-error alert
    std::string dataPath_, summaryPath_, manualPath_;
    bool summaryCreated_ = false;  // the summary file did not exist before this run
    bool summaryWritten_ = false;  // this run appended its summary to summaryPath_
    std::uint64_t refusalsShown_ = 0;  // the stimulus refusals the status line tells of
    stimlog::Writer log_, manualLog_;
    std::string logPath_;
    bool logFailureTold_ = false, manualLogFailureTold_ = false;
    std::uint64_t startsLogged_ = 0;  // the controller's started outputs already turned into rows
    std::vector<stimlog::Row> traceRows_, manualRows_;
    korin::EvokedSession evoked_;
    measuresfile::Writer measures_;
    std::string measuresPath_;
    bool measuresFailureTold_ = false;
    bool measuringStopped_ = false;       // a fault ended measuring for this run
    std::int64_t traceScans_ = 0;         // scans of every trace of the run
    std::vector<korin::StimOnset> traceOnsets_;  // keeps its room from trace to trace
    PassTiming passTiming_;
    korin::FirstThresholds firstThresholds_;
};
