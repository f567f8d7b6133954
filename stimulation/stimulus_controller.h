// The window's side of stimulation, without any window: arms the output of the
// program that the run clock's step selects before each trace, starts it with
// the trace, runs the worker that ends or repeats it, and plays the Manual
// program once during a pause. Run control and the window drive it on the
// interface thread; the workers run on their own threads and never touch a
// program: each gets its own copy of the buffer when its output is prepared.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "stimulation/pulse_parameters.h"
#include "stimulation/stim_worker.h"
#include "stimulation/stimulus_playback.h"
#include "stimulation/trace_stimulation.h"

class AcquisitionNI;

class StimulusController {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Program numbers, as the step codes of the run clock and the editor's tabs.
    static constexpr int kStep1 = 0;
    static constexpr int kStep2 = 1;
    static constexpr int kManual = 2;

    // The acquisition object and the three programs must outlive the controller.
    StimulusController(AcquisitionNI& acquisition, PulseParameters& step1, PulseParameters& step2,
                       PulseParameters& manual);
    ~StimulusController();
    StimulusController(const StimulusController&) = delete;
    StimulusController& operator=(const StimulusController&) = delete;

    // --- Run settings, read from the window at set-up ---
    // The "Enable step" boxes of Step 1 and Step 2.
    void setStepsEnabled(bool step1, bool step2);
    // Trace duration in ms (two decimals), for the repeat count.
    void setTraceTimeMs(double tracetimems) { tracetimems_ = tracetimems; }
    // Whether a stop of the run is in progress (the window's stop flag).
    void setStopInProgress(std::function<bool()> stopping) { stopping_ = std::move(stopping); }
    // Source of the time that measures a pause; the steady clock by default.
    void setClock(Clock now) { now_ = std::move(now); }

    PulseParameters& program(int step);
    const PulseParameters& program(int step) const;

    // --- Checks before a run or a manual stimulation ---
    // True when some output with pulses, in any of the three programs, does not
    // end on a 0 sample.
    bool PulsePost0Check() const;
    // The alert that must keep a run from starting, or "" when it may start:
    // a negative time or an oversized pattern on an output of an enabled step,
    // then the trailing-zero check of all three programs.
    std::string runStartProblem(bool step1Enabled, bool step2Enabled) const;
    // The same for "Start Stim", on the Manual program, and a pulse beyond the
    // stimulator's range.
    std::string manualStartProblem() const;
    // The alert that keeps a run of `traces` traces from starting because a
    // trace would go beyond the stimulator's range ("" when none would), with
    // the enabled steps taking turns. Needs the increments parsed.
    std::string runCurrentProblem(bool step1Enabled, bool step2Enabled, std::int64_t traces) const;
    // The question "Start Stim" asks first when an output of the Manual program
    // has pulses but no electrode (it is not played); "" when none has.
    std::string manualNoElectrodeQuestion() const;

    // --- Step outputs, trace by trace ---
    // Prepares the coming trace's output (or none) for the run clock's step;
    // ends the previous trace's output first. Follow it with poTaskStimChSelect.
    void getStimPatternArray();
    void poTaskStimChSelect();
    // At a trace start: restarts the input with the output, then the worker.
    void StimOutPut();
    void StimSleepStart();
    // Remembers when Pause was pressed, for the elapsed-time catch-up.
    void notePause();
    // First trace start of a run or of a resume: catches the run clock up on a
    // pause, then starts the stimulus with the input, or the input alone.
    void StimTimer_Tick_First();
    // In the paused wait: ends the workers and stops the output task.
    void pauseOutput();
    // At the end of a run: ends every worker, stops and clears the output task.
    void finishRun();

    void setTaskStep1() { prepareStep(kStep1, Outputs::kBoth); }
    void setTaskStep1S1() { prepareStep(kStep1, Outputs::kS1); }
    void setTaskStep1S2() { prepareStep(kStep1, Outputs::kS2); }
    void setTaskStep2() { prepareStep(kStep2, Outputs::kBoth); }
    void setTaskStep2S1() { prepareStep(kStep2, Outputs::kS1); }
    void setTaskStep2S2() { prepareStep(kStep2, Outputs::kS2); }

    // A prepared step output, owned by its worker.
    struct PreparedOutput {
        std::vector<float> buffer;  // interleaved volts; kept only in repeat mode
        std::int32_t samples = 0;   // per output
        std::int32_t repeat = 0;
        bool repeatAll = false;
        std::int64_t trace = 0;  // the run clock's trace (0-based) it is for
        int step = kStep1;
        stim::TraceOutput output;  // what the log's rows of the trace are made from
    };
    // The step output a trace start set going last, for the rows of its trace.
    struct StartedOutput {
        int step = kStep1;
        std::int64_t trace = 0;  // 0-based
        stim::TraceOutput output;
    };
    // Counts the step outputs started; changes when a trace start set one going.
    std::uint64_t startedOutputs() const { return startedOutputs_; }
    const StartedOutput& lastStarted() const { return lastStarted_; }
    // Worker bodies: finite mode waits the pattern and stops the output;
    // "repeat all the time" writes the pattern again until StimStop.
    void aoTaskStep1(const PreparedOutput& out, StimWorker& self) { runStepOutput(out, self); }
    void aoTaskStep1S1(const PreparedOutput& out, StimWorker& self) { runStepOutput(out, self); }
    void aoTaskStep1S2(const PreparedOutput& out, StimWorker& self) { runStepOutput(out, self); }
    void aoTaskStep2(const PreparedOutput& out, StimWorker& self) { runStepOutput(out, self); }
    void aoTaskStep2S1(const PreparedOutput& out, StimWorker& self) { runStepOutput(out, self); }
    void aoTaskStep2S2(const PreparedOutput& out, StimWorker& self) { runStepOutput(out, self); }

    // --- Manual stimulation (during a pause between traces) ---
    // Samples per output of the Manual program: the longer output when both
    // are on, else the one on; 0 when neither is.
    std::int32_t manualPatternLength() const;
    // Route, build and arm the Manual program (both outputs, S1 only, S2 only).
    void setaoTaskMNL() { prepareManual(Outputs::kBoth); }
    void setaoTaskMNL1() { prepareManual(Outputs::kS1); }
    void setaoTaskMNL2() { prepareManual(Outputs::kS2); }
    // "Start Stim": arms the Manual program, starts input and output and the
    // worker that sets stimStop when the pattern is over. False (and nothing
    // done) when neither output of the Manual program is on.
    bool startManualStim();
    // "Stop Stim": cancels the worker at once, stops the output, sets stimStop.
    void stopManualStim();
    void aoTaskMNL(std::int32_t durationMs, StimWorker& self);
    // The outputs the last "Start Stim" played, and whether the device refused
    // its pattern (routing, preparation or start).
    const stim::TraceOutput& manualOutput() const { return manualOutput_; }
    bool manualRefused() const { return manualRefused_; }

    // --- Readouts of the programs (step: kStep1, kStep2, kManual) ---
    std::uint8_t getStimOnOrOff(int step, int S) const { return stim::getStimOnOrOff(program(step), S); }
    float getMaxIntensity(int step, int f, std::int32_t index) const {
        return stim::getMaxIntensity(program(step), f, index);
    }
    std::int32_t getTimeLineXMaxF1(int step) const { return stim::getTimeLineXMaxF1(program(step)); }
    std::int32_t getTimeLineXMaxF2(int step) const { return stim::getTimeLineXMaxF2(program(step)); }
    std::int32_t getTimeLineXMax(int step) const { return stim::getTimeLineXMax(program(step)); }

    // What became of every trace's stimulus in the current (or last) run: the
    // device refusals, by trace and output. Cleared by clearPlayback at set-up.
    const StimulusPlayback& playback() const { return playback_; }
    void clearPlayback() { playback_.clear(); }

    // A stimulus is prepared for the coming trace.
    std::atomic<std::uint8_t> StimOnOff{0};
    // The manual output has ended (set by its worker, read by the manual loop).
    std::atomic<std::uint8_t> stimStop{0};

    StimWorker threadF1F2, threadF1, threadF2;        // Step 1: both outputs, S1 only, S2 only
    StimWorker threadS2F1F2, threadS2F1, threadS2F2;  // Step 2
    StimWorker threadMNL;                             // Manual

private:
    enum class Outputs { kBoth, kS1, kS2 };

    void prepareStep(int step, Outputs which);
    void prepareManual(Outputs which);
    void routeCodes(const PulseParameters& p, Outputs which);
    // Builds the interleaved buffer of `which` outputs into p.PulseAmplitudeAryS1S2.
    std::int32_t buildBuffer(PulseParameters& p, Outputs which, bool byRep, std::int32_t roop);
    void runStepOutput(const PreparedOutput& out, StimWorker& self);
    StimWorker* stepSlot(int step, Outputs which);
    void cancelStepWorkers();
    // Ends the previous trace's output: workers stopped and joined, task stopped.
    void endStepOutput();
    // Sets StimStop, stops a live output task, then cancels and joins the step
    // workers. True when it stopped the task.
    bool endStepWorkers();
    bool stopping() const { return stopping_ && stopping_(); }

    AcquisitionNI& acq_;
    PulseParameters* programs_[3];
    bool stepEnabled_[2] = {false, false};
    double tracetimems_ = 0;
    std::function<bool()> stopping_;
    Clock now_ = [] { return std::chrono::steady_clock::now(); };
    std::optional<std::chrono::steady_clock::time_point> pausedAt_;

    // The output armed by the last preparation and the slot that will run it.
    StimWorker* preparedSlot_ = nullptr;
    std::optional<PreparedOutput> prepared_;
    std::int32_t manualDurationMs_ = 0;
    stim::TraceOutput manualOutput_;
    bool manualRefused_ = false;
    StartedOutput lastStarted_;
    std::uint64_t startedOutputs_ = 0;
    // The output task was started and nothing has stopped it yet; a finite
    // worker clears it after its stop.
    std::atomic<bool> outputLive_{false};
    StimulusPlayback playback_;
};
