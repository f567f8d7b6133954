#include "acquisition/run_control.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>
#include <thread>

#include "acquisition/acquisition_ni.h"
#include "acquisition/caught_fault.h"
#include "acquisition/rounding.h"
#include "acquisition/timer.h"
#include "acquisition/alert_messages.h"
#include "acquisition/number_text.h"
#include "files/settings_summary.h"
#include "files/trace_stimuli.h"
#include "processing/filter.h"
#include "processing/filter_selectors.h"
#include "processing/thresholds.h"
#include "stimulation/stimulus_controller.h"
#include "stimulation/stimulus_playback.h"
#include "stimulation/trace_stimulation.h"

using korin::RunState;
namespace alerts = korin::alerts;

namespace {

constexpr int kDCOffsetBlocks = 11;
constexpr int kFilterPrimingReads = 3;  // 150 ms through the new filter
constexpr int kThresholdBlock = 4;      // thresholds after the trace's first 2 s
constexpr float kShortestCountdown = 0.5f;

// A live block holds all sixteen channels in order.
constexpr std::uint8_t kLiveCountPositions[korin::kEvokedChannels] = {0, 1, 2,  3,  4,  5,  6,  7,
                                                                       8, 9, 10, 11, 12, 13, 14, 15};

// Scans of a trace of `seconds`, block by block as the run loop records it:
// the last block of a trace that is no multiple of 0.5 s is short.
std::int64_t scansPerTrace(float seconds) {
    Timer clock(seconds, 1, 0, 0);
    std::int64_t scans = 0;
    while (clock.getRemainingTime() > 0) {
        scans += std::int64_t{pldat::readsForRemaining(clock.getRemainingTime())} * pldat::kScansPerRead;
        clock.Plus500ms();
    }
    return scans;
}

}  // namespace

RunControl::RunControl(AcquisitionNI& acquisition, StimulusController& stimulus, RunWindow& window,
                       korin::ChannelLevels& levels, korin::RunFlags* flags)
    : ownFlags_(flags ? nullptr : std::make_unique<korin::RunFlags>()),
      flags_(flags ? *flags : *ownFlags_),
      acq_(acquisition),
      stim_(stimulus),
      window_(window),
      levels_(levels) {
    stim_.setStopInProgress([this] { return StopTyuu.load() != 0; });
}

RunControl::~RunControl() {
    if (runActive_) finishMethod();
}

// Defined before the handlers that use them.
template <typename F>
void RunControl::guarded(F&& body) {
    const std::optional<std::string> fault = korin::caughtFault(body);
    if (!fault) return;
    korin::printInternalError(*fault);
    if (runActive_) {
        faultPending_ = true;
        finishMethod();
    } else {
        StopTyuuDisable();  // no run exists: the controls must not stay gated for one
    }
}

template <typename F>
void RunControl::finishStep(F&& step) {
    if (const std::optional<std::string> fault = korin::caughtFault(step)) {
        korin::printInternalError(*fault);
        faultPending_ = true;
    }
}

void RunControl::internalError(const std::string& reason) {
    korin::printInternalError(reason);
    if (!runActive_) return;
    // Every wait and loop of a run checks the stop flag after its pump, so the
    // run ends there, with no block after this one.
    faultPending_ = true;
    StopTyuuDisable();
}

void RunControl::applyState(RunState state) {
    flags_.apply(state);
    window_.applyRunState(state, rectf != 0);
}

void RunControl::alertStopped(const std::string& message) {
    StopTyuuDisable();
    window_.ShowAlertForm(message);
}

// --- Handlers ---

bool RunControl::manualStimulationRunning() const { return window_.text(RunText::ManualButton) != kStartStim; }

void RunControl::resumeFromPause() {
    if (manualStimulationRunning()) return;
    window_.setManualButtonEnabled(false);
    window_.setText(RunText::ManualButton, kStartStim);
    PlayTyuu = 1;
    PauseTyuu = 0;
    PlayTyuuDisable();
    if (inLoop_) resumeRequested_ = true;
}

void RunControl::toolStripButtonPlay_Click() {
    guarded([&] {
        acq_.pldatExportOn = 0;
        rectf = 0;
        if (PauseTyuu) {
            resumeFromPause();
            return;
        }
        if (runActive_) return;  // gated off while running; a stray click must not start a second run
        PlayTyuu = 1;
        PauseTyuu = 0;
        PlayTyuuDisable();
        AcquisitionSetUp();
    });
}

void RunControl::toolStripButtonRec_Click() {
    guarded([&] {
        rectf = 1;
        if (PauseTyuu) {
            resumeFromPause();
            return;
        }
        if (runActive_) return;
        PlayTyuu = 1;
        PauseTyuu = 0;
        acq_.pldatExportOn = window_.text(RunText::DataFormat) == kDataFormatPellor ? 1 : 0;
        if (window_.text(RunText::OutputFolder).empty()) {
            rectf = 0;
            alertStopped(alerts::kNoOutputFolder);
            return;
        }
        PlayTyuuDisable();
        AcquisitionSetUp();
    });
}

void RunControl::toolStripButtonPause_Click() {
    guarded([&] {
        stim_.notePause();
        PauseTyuuDisable();
    });
}

void RunControl::toolStripButtonStop_Click() {
    guarded([&] { StopTyuuDisable(); });
}

void RunControl::buttonMNL_Click() {
    guarded([&] {
        if (!manualStimulationRunning()) {
            // Checked only when starting: "Stop Stim" must always stop.
            if (std::string problem = stim_.manualStartProblem(); !problem.empty()) {
                window_.ShowAlertForm(problem);
                return;
            }
            // An output with pulses but no electrode is not played: the user
            // decides whether the rest of the Manual program goes ahead.
            if (const std::string question = stim_.manualNoElectrodeQuestion();
                !question.empty() && !window_.askYesNo(question))
                return;
            if (stim_.manualPatternLength() <= 0) {
                window_.showStatus(korin::status::kManualNothingToDeliver);
                return;
            }
            setManualAcquisition();
        } else {
            stim_.stopManualStim();
        }
    });
}

// --- Set-up ---

bool RunControl::validateAndReadSettings(double& repeat) {
    using korin::parseDouble;
    std::optional<double> seconds = parseDouble(window_.text(RunText::Seconds));
    if (!seconds) {
        alertStopped(alerts::kNumericalValue);
        return false;
    }
    const double secondsRounded = korin::roundHalfEven(*seconds, 1);
    window_.setText(RunText::Seconds, korin::defaultNumberText(secondsRounded));

    std::optional<double> hours = parseDouble(window_.text(RunText::Hours));
    std::optional<double> minutes = parseDouble(window_.text(RunText::Minutes));
    std::optional<double> inHours = parseDouble(window_.text(RunText::IntervalHours));
    std::optional<double> inMinutes = parseDouble(window_.text(RunText::IntervalMinutes));
    std::optional<double> inSeconds = parseDouble(window_.text(RunText::IntervalSeconds));
    std::optional<double> traces = parseDouble(window_.text(RunText::Repeat));
    if (!hours || !minutes || !inHours || !inMinutes || !inSeconds || !traces) {
        alertStopped(alerts::kNumericalValue);
        return false;
    }
    goukeiZikann = static_cast<float>(*hours) * 3600.0f + static_cast<float>(*minutes) * 60.0f +
                   static_cast<float>(secondsRounded);
    intervalAll = static_cast<float>(*inHours) * 3600.0f + static_cast<float>(*inMinutes) * 60.0f +
                  static_cast<float>(*inSeconds);
    tracetimems = korin::roundHalfEven(static_cast<double>(goukeiZikann) * 1000.0, 2);
    repeat = std::trunc(*traces);
    // A trace of no blocks would record nothing and write a file no reader takes.
    if (!(goukeiZikann > 0)) {
        alertStopped(alerts::kTraceDurationZero);
        return false;
    }
    if (repeat >= 2 && intervalAll - goukeiZikann <= 0) {
        alertStopped(alerts::kIntervalNotLongerThanTrace);
        return false;
    }
    for (int step : {StimulusController::kStep1, StimulusController::kStep2}) {
        if (!window_.stepEnabled(step)) continue;
        PulseParameters& program = stim_.program(step);
        for (int f : {PulseParameters::kS1, PulseParameters::kS2})
            if (program.incrementsByRep(f) && !program.parseAutoIncrement(f)) {
                alertStopped(alerts::kNumericalValue);
                return false;
            }
    }
    return true;
}

bool RunControl::diskSpaceAgreed(double repeat) {
    const std::optional<std::uint64_t> room = freeSpace ? freeSpace(window_.text(RunText::OutputFolder)) : std::nullopt;
    if (!room) return true;
    const auto traces = static_cast<std::int64_t>(std::max(1.0, repeat));
    const auto blocks = static_cast<std::int64_t>(std::ceil(static_cast<double>(goukeiZikann) * 2));
    const std::optional<korin::DiskShortfall> shortfall = korin::diskShortfall(traces, goukeiZikann, blocks, *room);
    return !shortfall || window_.askYesNo(korin::diskSpaceQuestion(*shortfall));
}

void RunControl::discardRecordingFiles() {
    std::error_code ignored;
    if (!dataPath_.empty()) std::filesystem::remove(dataPath_, ignored);
    dataPath_.clear();
    log_.close();
    if (!logPath_.empty()) std::filesystem::remove(logPath_, ignored);
    logPath_.clear();
    evoked_.setSink(nullptr);
    measures_.close();
    if (!measuresPath_.empty()) std::filesystem::remove(measuresPath_, ignored);
    measuresPath_.clear();
    if (summaryCreated_ && !summaryPath_.empty()) std::filesystem::remove(summaryPath_, ignored);
    summaryCreated_ = false;
}

void RunControl::abandonSetUp() {
    stim_.finishRun();
    acq_.Teisi();
    acq_.fileclose();
    discardRecordingFiles();
    if (eventPumpUp_) window_.terminateEventPump();
    eventPumpUp_ = false;
    runActive_ = false;
    StopTyuuDisable();
}

bool RunControl::openRecordingFiles() {
    StartDateTime start{acq_.timer->getYear(), acq_.timer->getMonth(), acq_.timer->getDay(), 0, 0, 0, 0};
    const std::int32_t ms = acq_.timer->getMsecStartTime();
    start.hour = ms / 3'600'000;
    start.minute = ms / 60'000 % 60;
    start.second = ms / 1000 % 60;
    start.millisecond = ms % 1000;
    const std::string stamp = timeStampText(start);
    const std::string folder = window_.text(RunText::OutputFolder);
    const std::string added = window_.text(RunText::AddText);

    dataPath_.clear();
    summaryPath_.clear();
    summaryCreated_ = false;
    log_.close();
    logPath_.clear();
    measures_.close();
    measuresPath_.clear();
    if (acq_.pldatExportOn) {
        if (acq_.fileopen(recordingFilePath(folder, stamp, added)) != 0) {
            std::printf("%s %s\n", alerts::kRecordingFileNotCreated, acq_.file.errorText().c_str());
            std::fflush(stdout);
            abandonSetUp();
            window_.ShowAlertForm(alerts::kRecordingFileNotCreated);
            return false;
        }
        dataPath_ = acq_.file.path();
        // Beside the data file under its name, so a "_2" of the data file is the log's too.
        logFailureTold_ = false;
        if (log_.open(stimlog::pathFor(dataPath_)))
            logPath_ = log_.path();
        else
            reportLogFailure(log_, "file open error", logFailureTold_);
        measuresFailureTold_ = false;
        if (measures_.open(measuresfile::pathFor(dataPath_)))
            measuresPath_ = measures_.path();
        else
            reportFileFailure(measures_.path(), measures_.error(), "file open error", measuresFailureTold_);
    }

    SettingsSummary summary;
    summary.start = start;
    summary.repeat = window_.text(RunText::Repeat);
    summary.hours = window_.text(RunText::Hours);
    summary.minutes = window_.text(RunText::Minutes);
    summary.seconds = window_.text(RunText::Seconds);
    summary.intervalHours = window_.text(RunText::IntervalHours);
    summary.intervalMinutes = window_.text(RunText::IntervalMinutes);
    summary.intervalSeconds = window_.text(RunText::IntervalSeconds);
    summary.inputRange = window_.text(RunText::InputRange);
    summary.highpass = window_.text(RunText::Highpass);
    summary.lowpass = window_.text(RunText::Lowpass);
    summary.conversionFactor = 1.0 / acq_.shortRate;
    // The summary shares the data file's name, "_2" included when a run of the
    // same second took the plain one.
    summaryPath_ = dataPath_.empty() ? settingsFilePath(folder, stamp, added) : settingsPathForData(dataPath_);
    std::error_code ignored;
    summaryCreated_ = !std::filesystem::exists(summaryPath_, ignored);
    std::string why;
    if (!appendSettingsSummary(summaryPath_, summary, &why)) {
        std::printf("file open error\n");
        std::fflush(stdout);
        abandonSetUp();
        return false;
    }
    summaryWritten_ = true;
    return true;
}

void RunControl::showStimulusRefusals() {
    const std::uint64_t refusals = stim_.playback().refusals();
    if (refusals == refusalsShown_) return;
    refusalsShown_ = refusals;
    window_.showStatus(runningStatus());
}

std::string RunControl::stimulusNews() const { return stim::notPlayedStatus(stim_.playback()); }

void RunControl::noteRefusalsInSummary() {
    const std::string line = stim::notPlayedSummaryLine(stim_.playback());
    if (line.empty() || !summaryWritten_) return;
    std::string why;
    if (!appendSettingsSummaryLine(summaryPath_, line, &why)) {
        std::printf("%s (%s)\n", line.c_str(), why.c_str());
        std::fflush(stdout);
    }
}

void RunControl::reportLogFailure(const stimlog::Writer& log, const char* what, bool& told) {
    reportFileFailure(log.path(), log.error(), what, told);
}

void RunControl::reportFileFailure(const std::string& path, const std::string& error, const char* what,
                                   bool& told) {
    if (told) return;
    told = true;
    std::printf("%s: %s (%s)\n", what, path.c_str(), error.c_str());
    std::fflush(stdout);
}

// --- Evoked-response measures ---

template <typename F>
void RunControl::measuring(F&& step) {
    if (measuringStopped_) return;
    const std::uint64_t before = evoked_.measuredTraces();
    if (const std::optional<std::string> fault = korin::caughtFault(step)) {
        measuringStopped_ = true;
        std::printf("Evoked-response measures stopped for this run: %s\n", fault->c_str());
        std::fflush(stdout);
    }
    if (measures_.failed())
        reportFileFailure(measures_.path(), measures_.error(), "file write error", measuresFailureTold_);
    if (evoked_.measuredTraces() == before || !onTraceMeasured) return;
    // The window's redraw: a fault in it is told; the run goes on.
    if (const std::optional<std::string> fault = korin::caughtFault(onTraceMeasured))
        korin::printInternalError(*fault);
}

void RunControl::measureBlock(int blockInTrace) {
    measuring([&] {
        const int scans = acq_.blockCountScans();
        if (blockInTrace == 0) {
            const korin::TraceInfo info = measuresfile::traceInfoOf(acq_.blockHeaderFor(scans, 0));
            traceOnsets_.clear();
            measuresfile::appendOnsets(traceRows_.data(), traceRows_.size(), info.trace, traceOnsets_);
            evoked_.beginTrace(info, traceOnsets_.data(), static_cast<int>(traceOnsets_.size()), traceScans_);
        }
        // The counts as the file holds them, worth the file header's mV per count.
        evoked_.addCounts(acq_.blockCounts(), AcquisitionNI::kChannels, kLiveCountPositions, 1.0 / acq_.shortRate,
                          std::int64_t{blockInTrace} * AcquisitionNI::kBlockScans, scans);
    });
}

void RunControl::finishTraceMeasures() {
    measuring([&] { evoked_.endRun(); });
}

void RunControl::logTraceStimulation() {
    if (stim_.startedOutputs() == startsLogged_) {
        traceRows_.clear();
        return;
    }
    startsLogged_ = stim_.startedOutputs();
    const Timer& clock = *acq_.timer;
    const StimulusController::StartedOutput& started = stim_.lastStarted();
    stim::TracePlace place;
    place.trace = static_cast<std::int32_t>(started.trace + 1);
    place.step = started.step == StimulusController::kStep2 ? '2' : '1';
    place.loop = clock.getLoop();
    // The trace start its blocks will carry: a trace that begins now takes the
    // elapsed time, as its first recording pass will; a resumed one keeps its own.
    const bool begins = clock.getTime() == 0 && clock.getnowtrace() != 0;
    const double startMs =
        begins ? korin::roundHalfEven(clock.getKeikaTime() * 1000, 1) : clock.getTraceOffsetMsec();
    place.traceStartS = startMs / 1000;
    place.patternStartMs = clock.getTime() * 1000;  // a trace resumed after a pause plays its pattern anew
    place.traceMs = tracetimems;
    place.playedS1 = stim_.playback().played(started.trace, PulseParameters::kS1);
    place.playedS2 = stim_.playback().played(started.trace, PulseParameters::kS2);
    stim::traceRows(stim_.program(started.step), started.output, place, traceRows_);
    if (log_.isOpen() && !log_.append(traceRows_)) reportLogFailure(log_, "file write error", logFailureTold_);
}

void RunControl::logManualStimulation() {
    const std::int32_t length = stim_.manualPatternLength();
    stim::TracePlace place;
    place.trace = 1;  // the manual file's one trace
    place.step = 'M';
    place.traceMs = stim::samplesToMs(length);
    place.playedS1 = place.playedS2 = !stim_.manualRefused();
    stim::traceRows(stim_.program(StimulusController::kManual), stim_.manualOutput(), place, manualRows_);
    if (manualLog_.isOpen() && !manualLog_.append(manualRows_))
        reportLogFailure(manualLog_, "file write error", manualLogFailureTold_);
}

bool RunControl::measureDCOffset() {
    acq_.syokikaAry();
    // The previous run's trace and times would read as this run's meanwhile.
    for (RunText label : {RunText::LabelTrace, RunText::LabelRemaining, RunText::LabelInterval})
        window_.setText(label, "");
    for (int block = 0; block < kDCOffsetBlocks; ++block) {
        window_.showStatus(korin::status::dcOffsetLeft((kDCOffsetBlocks - block) * Timer::kBlockSeconds));
        if (acq_.DCData(block == kDCOffsetBlocks - 1) != 0) {
            finishMethod();
            window_.ShowAlertForm(alerts::kSamplingError);
            return false;
        }
        window_.pollEvents();
        if (!runActive_) return false;  // a handler inside the pump ended the run
    }
    korin::DCOffsetKeisann(acq_.chAry, acq_.dcOffsetValue);
    return true;
}

void RunControl::installFilter() {
    korin::SwitchReading lpfNone = korin::isFilterComboBoxNoneLPF(window_.text(RunText::Lowpass));
    window_.setText(RunText::Lowpass, lpfNone.text);
    korin::SwitchReading hpfNone = korin::isFilterComboBoxNoneHPF(window_.text(RunText::Highpass));
    window_.setText(RunText::Highpass, hpfNone.text);
    LPF = lpfNone.none ? 0 : 1;
    HPF = hpfNone.none ? 0 : 1;
    korin::ValueReading lpf = korin::getFilterComboBoxValueLPF(window_.text(RunText::Lowpass));
    if (LPF) window_.setText(RunText::Lowpass, lpf.text);
    korin::ValueReading hpf = korin::getFilterComboBoxValueHPF(window_.text(RunText::Highpass));
    if (HPF) window_.setText(RunText::Highpass, hpf.text);
    acq_.setFilter(lpf.value, hpf.value, LPF, HPF);
}

void RunControl::AcquisitionSetUp() {
    window_.showStatus("");
    runFinished_ = runRecords_ = false;
    window_.applyEnterBackColor();
    if (std::string problem = stim_.runStartProblem(window_.stepEnabled(StimulusController::kStep1),
                                                    window_.stepEnabled(StimulusController::kStep2));
        !problem.empty()) {
        alertStopped(problem);
        return;
    }
    double repeat = 0;
    if (!validateAndReadSettings(repeat)) return;
    if (std::string problem = stim_.runCurrentProblem(window_.stepEnabled(StimulusController::kStep1),
                                                      window_.stepEnabled(StimulusController::kStep2),
                                                      korin::truncSaturating<std::int64_t>(repeat));
        !problem.empty()) {
        alertStopped(problem);
        return;
    }
    if (rectf && acq_.pldatExportOn && !diskSpaceAgreed(repeat)) {
        StopTyuuDisable();
        return;
    }
    const float gap = std::max(0.0f, intervalAll - goukeiZikann);

    const StartDateTime start = localNow();
    acq_.timer = std::make_shared<Timer>(goukeiZikann, repeat, intervalAll, gap);
    acq_.timer->setStartDateTime(start.year, start.month, start.day, start.hour, start.minute, start.second,
                                 start.millisecond);

    acq_.setPOch(AcquisitionNI::kNoElectrode, AcquisitionNI::kNoElectrode);
    stim_.poTaskStimChSelect();

    acq_.syokika();
    acq_.setInputRange(korin::parseDouble(window_.text(RunText::InputRange)).value_or(2000.0));
    if (acq_.KidouNi() != 0) {
        alertStopped(alerts::kDeviceSetupIncomplete);
        return;
    }
    runActive_ = true;
    passTiming_.clear();
    PlayTyuuDisable();
    // A new run: the last run's refusals are no longer news.
    stim_.clearPlayback();
    refusalsShown_ = 0;
    summaryWritten_ = false;
    startsLogged_ = stim_.startedOutputs();
    traceRows_.clear();

    manualPath_.clear();
    if (rectf && !openRecordingFiles()) return;
    runRecords_ = rectf && !dataPath_.empty();
    evoked_.setSink(measures_.isOpen() ? &measures_ : nullptr);
    evoked_.beginRun();
    measuringStopped_ = false;
    traceScans_ = scansPerTrace(goukeiZikann);

    std::vector<std::uint8_t> order;
    const bool step1 = window_.stepEnabled(StimulusController::kStep1);
    const bool step2 = window_.stepEnabled(StimulusController::kStep2);
    if (step1) order.push_back(StimulusController::kStep1);
    if (step2) order.push_back(StimulusController::kStep2);
    acq_.timer->setMaxStepNum(static_cast<std::int32_t>(order.size()));
    acq_.timer->setStep(std::move(order));

    KyuusiTyuu = 0;
    IntervalTime = getIntervalAll(repeat);

    stim_.setStepsEnabled(step1, step2);
    stim_.setTraceTimeMs(tracetimems);
    stim_.getStimPatternArray();
    stim_.poTaskStimChSelect();

    if (!window_.initEventPump()) {
        std::printf("Can't initialize GLFW\n");
        std::fflush(stdout);
        abandonSetUp();
        return;
    }
    eventPumpUp_ = true;

    if (!measureDCOffset()) return;
    if (StopTyuu) {
        finishMethod();
        return;
    }
    installFilter();
    if ((LPF || HPF) && acq_.readonly(kFilterPrimingReads) != 0) {
        finishMethod();
        window_.ShowAlertForm(alerts::kSamplingError);
        return;
    }
    acq_.setEP(levels_.EPThreshAry1, levels_.EPThreshAry2);
    acq_.setThresh(levels_.yPThreshAry, levels_.yMThreshAry, levels_.PostAry, &levels_.thresholdsSet);
    gatherFirstThresholds();
    TimerStart();
}

// --- The loop ---

void RunControl::TimerStart() {
    if (acq_.timer->getnowtrace() != 0) {
        PlayTyuuDisable();
        stim_.getStimPatternArray();
        stim_.poTaskStimChSelect();
    }
    acq_.first = 1;
    stim_.StimTimer_Tick_First();  // pause catch-up, then the input (with the stimulus) restarts
    logTraceStimulation();
    KyuusiTyuu = 0;
    window_.showStatus(runningStatus());
    if (!inLoop_) AcquisitionLoop();
}

bool RunControl::recordingPass() {
    Timer& clock = *acq_.timer;
    if (clock.getTime() == 0 && clock.getnowtrace() != 0) clock.setTraceOffsetMsec(clock.getKeikaTime());
    const int blockInTrace = static_cast<int>(clock.getnowblock());
    const int result = acq_.Kiroku(clock.getRemainingTime());
    // Measured only once recorded: a block the file refused is not in the table either.
    if (result == 0) measureBlock(blockInTrace);
    if (result != 0) {
        finishMethod();
        window_.ShowAlertForm(result == AcquisitionNI::kFileWriteFailed ? alerts::kRecordingFileNotWritten
                                                                          : alerts::kSamplingError);
        return false;
    }
    clock.Plus500ms();
    clock.Plusblock();
    if (clock.getnowblock() == kThresholdBlock) {
        korin::thresholdKeisann(acq_.chAry, korin::kLiveThresholdSamples, levels_.yMThreshAry,
                                levels_.yPThreshAry, levels_.PostAry);
        levels_.markThresholdsSet();
        acq_.setThresh(levels_.yPThreshAry, levels_.yMThreshAry, levels_.PostAry, &levels_.thresholdsSet);
    }
    window_.setText(RunText::LabelTrace, traceHyouzi(static_cast<int>(clock.getnowtrace()) + 1));
    window_.setText(RunText::LabelRemaining, clock.getTimeRemaining());
    IntervalTime = static_cast<float>(korin::roundHalfEven(IntervalTime - 0.5, 1));
    window_.setText(RunText::LabelInterval, getIntervalRemaining());
    return true;
}

bool RunControl::intervalPass() {
    IntervalTime = static_cast<float>(korin::roundHalfEven(IntervalTime - 0.5, 1));
    window_.setText(RunText::LabelInterval, getIntervalRemaining());
    if (acq_.readonly(AcquisitionNI::kReadsPerBlock) != 0) {
        finishMethod();
        window_.ShowAlertForm(alerts::kSamplingError);
        return false;
    }
    return true;
}

void RunControl::AcquisitionLoop() {
    inLoop_ = true;
    // Cleared however the loop is left, by an exception too, so that the next run loops again.
    struct LoopScope {
        bool& inLoop;
        ~LoopScope() { inLoop = false; }
    } scope{inLoop_};
    Timer& clock = *acq_.timer;
    using Clock = std::chrono::steady_clock;
    Clock::time_point passStart = Clock::now();
    double readWaitAtStart = acq_.readWaitSeconds;
    auto notePass = [&] {
        const Clock::time_point now = Clock::now();
        const double passMs = std::chrono::duration<double, std::milli>(now - passStart).count();
        passTiming_.add(passMs - (acq_.readWaitSeconds - readWaitAtStart) * 1000.0, passMs);
        passStart = now;
        readWaitAtStart = acq_.readWaitSeconds;
    };
    while (true) {
        if (resumeRequested_.exchange(false)) TimerStart();
        if (StopTyuu) {
            finishMethod();
            break;
        }
        if (PauseTyuu) {
            pausedWait();
            if (!runActive_) break;
            passStart = Clock::now();  // the pause is no pass
            readWaitAtStart = acq_.readWaitSeconds;
            continue;  // resumed: the next pass carries the resume out
        }
        // A new trace starts only between traces: a countdown that runs out
        // inside a trace waits for its end, so no trace is ever cut by the next.
        if (IntervalTime <= 0 && KyuusiTyuu) {
            KyuusiTyuu = 0;
            IntervalTime = getIntervalAll(clock.getTraceMax() - clock.getnowtrace());
            if (stim_.StimOnOff) stim_.StimOutPut();
            logTraceStimulation();
        }
        if (!KyuusiTyuu) {
            if (!recordingPass()) break;
        } else if (!intervalPass()) {
            break;
        }
        takeFirstThresholds();
        if (!PauseTyuu && !KyuusiTyuu) window_.DrawChart();
        if (!KyuusiTyuu && clock.getRemainingTime() <= 0) {
            const int finishedTrace = static_cast<int>(clock.getnowtrace());
            finishTraceMeasures();
            clock.PlusTrace();
            clock.PlusStep();
            if (onTraceEnd) onTraceEnd(finishedTrace);
            if (clock.getRemainingTrace() <= 0) {
                runFinished_ = true;
                window_.setText(RunText::LabelInterval, "00:00:00");
                finishMethod();
                break;
            }
            acq_.StimStop = 1;
            clock.ResetTimer();
            acq_.first = 1;
            KyuusiTyuu = 1;
            if (stim_.StimOnOff) {
                stim_.getStimPatternArray();
                stim_.poTaskStimChSelect();
            }
            window_.setPauseButtonsEnabled(true);
        }
        clock.PlusKeikaTime();
        showStimulusRefusals();
        window_.pollEvents();
        notePass();
    }
}

void RunControl::pausedWait() {
    acq_.TeisiStoponly();
    stim_.pauseOutput();
    if (KyuusiTyuu) {
        window_.setManualButtonEnabled(true);
        IntervalTime = getIntervalAll(acq_.timer->getTraceMax() - acq_.timer->getnowtrace());
    }
    window_.showStatus(korin::status::withNews(
        KyuusiTyuu ? korin::status::kPausedBetweenTraces : korin::status::kPausedInTrace, stimulusNews()));
    while (PauseTyuu) {
        window_.pollEvents();
        if (stim_.stimStop) window_.setText(RunText::ManualButton, kStartStim);
    }
    if (StopTyuu || !resumeRequested_) finishMethod();
}

void RunControl::finishMethod() {
    if (!runActive_) return;  // the end of a run happens exactly once
    runActive_ = false;
    stim_.finishRun();
    finishStep([&] { window_.endSelectedRendering(); });
    if (eventPumpUp_) finishStep([&] { window_.terminateEventPump(); });
    eventPumpUp_ = false;
    acq_.Teisi();
    acq_.firstThresholds = nullptr;
    // A trace cut short by the end of the run still gets the rows of what it recorded.
    finishTraceMeasures();
    evoked_.setSink(nullptr);
    measures_.close();
    // A run stopped before its first block leaves no data file: a header alone
    // is a file no reader takes.
    const bool noBlock = acq_.file.isOpen() && acq_.file.committedBytes() <= pldat::kFileHeaderBytes;
    // Closed whatever the record flag says now: a file that is open is always closed.
    acq_.fileclose();
    log_.close();
    if (noBlock)
        discardRecordingFiles();
    else
        noteRefusalsInSummary();
    acq_.filecloseManual();
    manualLog_.close();
    resumeRequested_ = false;
    // The end of a run ends any manual stimulation with it.
    finishStep([&] { window_.setText(RunText::ManualButton, kStartStim); });
    finishStep([&] { StopTyuuDisable(); });
    finishStep([&] { window_.showStatus(endOfRunStatus()); });
    if (faultPending_) {
        faultPending_ = false;
        window_.ShowAlertForm(alerts::kRunInternalError);
    }
}

// --- First thresholds ---

void RunControl::gatherFirstThresholds() {
    firstThresholds_.restart();
    acq_.firstThresholds = levels_.thresholdsSet ? nullptr : &firstThresholds_;
}

// Spikes count from the block after the fourth. A threshold dragged or computed
// at a trace's fourth block before then ends the gathering instead.
void RunControl::takeFirstThresholds() {
    if (acq_.firstThresholds == nullptr) return;
    if (!levels_.thresholdsSet) {
        if (!firstThresholds_.full()) return;
        firstThresholds_.compute(levels_.yMThreshAry, levels_.yPThreshAry, levels_.PostAry);
        levels_.markThresholdsSet();
        acq_.setThresh(levels_.yPThreshAry, levels_.yMThreshAry, levels_.PostAry, &levels_.thresholdsSet);
    }
    acq_.firstThresholds = nullptr;
}

korin::status::RunOutcome RunControl::outcome() const {
    korin::status::RunOutcome run;
    run.finished = runFinished_;
    if (runRecords_) run.dataFile = dataPath_;
    if (const Timer* clock = acq_.timer.get()) {
        run.tracesComplete = static_cast<std::int64_t>(clock->getnowtrace());
        // "# Repeat" 0 records one trace, as 1 does.
        run.tracesAsked = std::max<std::int64_t>(1, static_cast<std::int64_t>(clock->getTraceMax()));
        run.traceCutShort = !runFinished_ && clock->getTime() > 0;
    }
    return run;
}

std::string RunControl::runningStatus() const {
    return korin::status::withNews(korin::status::runRunning(outcome()), stimulusNews());
}

std::string RunControl::endOfRunStatus() const {
    return korin::status::withNews(korin::status::runEnd(outcome()), stimulusNews());
}

// --- Manual stimulation ---

void RunControl::setManualAcquisition() {
    acq_.syokikaAry();
    const std::int32_t length = stim_.manualPatternLength();
    if (length <= 0) return;
    manualPath_.clear();
    if (rectf) {
        const StartDateTime now = localNow();
        Timer clock(0, 0, 0, 0);
        clock.setStartDateTime(now.year, now.month, now.day, now.hour, now.minute, now.second, now.millisecond);
        const int lengthMs = static_cast<int>(static_cast<double>(length) * static_cast<double>(0.05f));
        if (acq_.pldatExportOn) {
            const std::string path = ::manualFilePath(window_.text(RunText::OutputFolder), timeStampText(now),
                                                      window_.text(RunText::AddText));
            if (acq_.fileopenManual(path, lengthMs / 500 + 1, lengthMs, clock) != 0) {
                window_.ShowAlertForm(alerts::kRecordingFileNotCreated);
                return;
            }
            manualPath_ = acq_.fileM.path();
            manualLogFailureTold_ = false;
            if (!manualLog_.open(stimlog::pathFor(manualPath_)))
                reportLogFailure(manualLog_, "file open error", manualLogFailureTold_);
        }
    }
    if (!stim_.startManualStim()) {
        acq_.filecloseManual();
        manualLog_.close();
        return;
    }
    logManualStimulation();
    window_.setText(RunText::ManualButton, kStopStim);
    ManualLoop();
}

void RunControl::ManualLoop() {
    while (!stim_.stimStop) {
        if (StopTyuu) {  // Stop ends the stimulation first, then the run
            stim_.stopManualStim();
            break;
        }
        if (KyuusiTyuu) {
            const int result = acq_.manualKiroku();
            if (result != 0) {
                stim_.stopManualStim();
                finishMethodManual();
                window_.ShowAlertForm(result == AcquisitionNI::kFileWriteFailed ? alerts::kRecordingFileNotWritten
                                                                                  : alerts::kSamplingError);
                return;
            }
            if (PauseTyuu) window_.DrawChart();
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        // Pumped so that "Stop Stim" and Stop work while a long pattern plays.
        window_.pollEvents();
    }
    finishMethodManual();
}

void RunControl::finishMethodManual() {
    acq_.TeisiStoponly();
    acq_.filecloseManual();
    manualLog_.close();
}

// --- Texts ---

float RunControl::getIntervalAll(double repeat) const {
    if (static_cast<long long>(repeat) == 1) return goukeiZikann >= 1.0f ? goukeiZikann : kShortestCountdown;
    return intervalAll;
}

std::string RunControl::getIntervalRemaining() const { return Timer::formatHms(IntervalTime); }

std::string RunControl::traceHyouzi(int trace) {
    std::string digits = std::to_string(trace);
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
    return digits;
}
