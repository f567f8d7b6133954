#include "stimulation/stimulus_controller.h"

#include <algorithm>
#include <cmath>

#include "acquisition/acquisition_ni.h"
#include "acquisition/alert_messages.h"
#include "acquisition/timer.h"
#include "stimulation/electrode_routing.h"
#include "stimulation/run_checks.h"

namespace {

constexpr std::uint8_t kNoStep = 255;

}  // namespace

StimulusController::StimulusController(AcquisitionNI& acquisition, PulseParameters& step1,
                                       PulseParameters& step2, PulseParameters& manual)
    : acq_(acquisition), programs_{&step1, &step2, &manual} {}

StimulusController::~StimulusController() {
    endStepWorkers();
    threadMNL.cancel();
    threadMNL.join();
}

void StimulusController::setStepsEnabled(bool step1, bool step2) {
    stepEnabled_[kStep1] = step1;
    stepEnabled_[kStep2] = step2;
}

PulseParameters& StimulusController::program(int step) { return *programs_[std::clamp(step, 0, 2)]; }
const PulseParameters& StimulusController::program(int step) const { return *programs_[std::clamp(step, 0, 2)]; }

bool StimulusController::PulsePost0Check() const {
    for (const PulseParameters* p : programs_)
        for (int f : {PulseParameters::kS1, PulseParameters::kS2})
            if (stim::endsAboveZero(*p, f)) return true;
    return false;
}

// Lengths and signs come first: an oversized pattern is held cut short, so its
// last sample says nothing about its Post.
std::string StimulusController::runStartProblem(bool step1Enabled, bool step2Enabled) const {
    const bool enabled[] = {step1Enabled, step2Enabled};
    for (int step : {kStep1, kStep2})
        if (enabled[step])
            if (auto problem = stim::programProblem(program(step)); !problem.empty()) return problem;
    return PulsePost0Check() ? korin::alerts::kLastPulsePostRun : std::string();
}

std::string StimulusController::manualStartProblem() const {
    if (auto problem = stim::programProblem(program(kManual)); !problem.empty()) return problem;
    for (int f : {PulseParameters::kS1, PulseParameters::kS2})
        if (auto excess = stim::storedCurrentExcess(program(kManual), f)) return stim::manualCurrentMessage(*excess);
    return PulsePost0Check() ? korin::alerts::kLastPulsePostManual : std::string();
}

std::string StimulusController::runCurrentProblem(bool step1Enabled, bool step2Enabled, std::int64_t traces) const {
    std::vector<const PulseParameters*> order;
    if (step1Enabled) order.push_back(&program(kStep1));
    if (step2Enabled) order.push_back(&program(kStep2));
    const std::optional<stim::CurrentExcess> excess = stim::firstCurrentExcess(order, traces);
    return excess ? stim::traceCurrentMessage(*excess) : std::string();
}

std::string StimulusController::manualNoElectrodeQuestion() const {
    const PulseParameters& p = program(kManual);
    auto unrouted = [&](int f) { return p.pulseCount(f) != 0 && p.electrode(f) == PulseParameters::kNoElectrode; };
    const bool s1 = unrouted(PulseParameters::kS1);
    const bool s2 = unrouted(PulseParameters::kS2);
    if (s1 && s2) return korin::alerts::kManualNoElectrodesQuestion;
    if (!s1 && !s2) return {};
    return korin::alerts::fillIn(korin::alerts::kManualNoElectrodeQuestion, "{S}", s1 ? "S1" : "S2");
}

// --- Step outputs ---

void StimulusController::getStimPatternArray() {
    endStepOutput();
    if (stopping()) {
        acq_.TeisiAO();
        return;
    }
    const std::uint8_t step = acq_.timer ? acq_.timer->getStep() : kNoStep;
    if ((step != kStep1 && step != kStep2) || !stepEnabled_[step]) {
        acq_.setPOch(stim::kNotRouted, stim::kNotRouted);
        StimOnOff = 0;
        return;
    }
    const PulseParameters& p = program(step);
    const bool s1 = stim::getStimOnOrOff(p, PulseParameters::kS1);
    const bool s2 = stim::getStimOnOrOff(p, PulseParameters::kS2);
    if (!s1 && !s2) {
        acq_.setPOch(stim::kNotRouted, stim::kNotRouted);
        StimOnOff = 0;
        return;
    }
    prepareStep(step, s1 && s2 ? Outputs::kBoth : s1 ? Outputs::kS1 : Outputs::kS2);
    StimOnOff = 1;
}

void StimulusController::poTaskStimChSelect() {
    acq_.POTask();
    // A word that never reached the port leaves the pattern on the wrong electrodes.
    if (acq_.lastRoutingFailed() && StimOnOff && prepared_) playback_.refused(prepared_->trace);
}

void StimulusController::StimOutPut() {
    // A pause inside a trace used up the armed output; arm it again so the
    // resumed trace plays its pattern from the start like every other trace.
    if (StimOnOff && !prepared_ && !stopping()) {
        getStimPatternArray();
        poTaskStimChSelect();
    }
    if (acq_.AOTask() != 0 && StimOnOff && prepared_) playback_.refused(prepared_->trace);
    StimSleepStart();
}

void StimulusController::StimSleepStart() {
    if (stopping()) {
        endStepOutput();
        acq_.TeisiAO();
        return;
    }
    if (!StimOnOff || !prepared_ || preparedSlot_ == nullptr) return;
    StimWorker* slot = preparedSlot_;
    PreparedOutput out = std::move(*prepared_);
    prepared_.reset();
    preparedSlot_ = nullptr;
    lastStarted_ = {out.step, out.trace, out.output};
    ++startedOutputs_;
    using Body = void (StimulusController::*)(const PreparedOutput&, StimWorker&);
    Body body = slot == &threadF1F2     ? &StimulusController::aoTaskStep1
                : slot == &threadF1     ? &StimulusController::aoTaskStep1S1
                : slot == &threadF2     ? &StimulusController::aoTaskStep1S2
                : slot == &threadS2F1F2 ? &StimulusController::aoTaskStep2
                : slot == &threadS2F1   ? &StimulusController::aoTaskStep2S1
                                        : &StimulusController::aoTaskStep2S2;
    outputLive_ = true;
    slot->start([this, body, out = std::move(out)](StimWorker& self) { (this->*body)(out, self); });
}

void StimulusController::notePause() { pausedAt_ = now_(); }

void StimulusController::StimTimer_Tick_First() {
    Timer* clock = acq_.timer.get();
    if (clock != nullptr && clock->getKeikaTime() != 0) {
        double paused = pausedAt_ ? std::chrono::duration<double>(now_() - *pausedAt_).count() : 0.0;
        clock->PlusKeikaTime(paused > 0 ? std::trunc(paused) : 0.0);  // whole seconds
    }
    if (StimOnOff)
        StimOutPut();
    else
        acq_.startTaskDCAfter();
}

void StimulusController::pauseOutput() {
    if (!endStepWorkers()) acq_.teisiOnlyAO();
}

void StimulusController::finishRun() {
    StimOnOff = 0;
    stimStop = 1;
    endStepWorkers();
    threadMNL.cancel();
    threadMNL.join();
    prepared_.reset();
    preparedSlot_ = nullptr;
    outputLive_ = false;
    acq_.TeisiAO();
}

void StimulusController::routeCodes(const PulseParameters& p, Outputs which) {
    acq_.chS1 = which == Outputs::kS2 ? stim::kNotRouted : stim::getPOch(p.S1Ch);
    acq_.chS2 = which == Outputs::kS1 ? stim::kNotRouted : stim::getPOch(p.S2Ch);
}

std::int32_t StimulusController::buildBuffer(PulseParameters& p, Outputs which, bool byRep, std::int32_t roop) {
    auto pick = [&](int f) {
        return byRep && p.incrementsByRep(f) ? stim::getPulseAllUnitsIncrementRep(p, f, roop) : p.samples(f);
    };
    const std::vector<float> s1 = which != Outputs::kS2 ? pick(PulseParameters::kS1) : std::vector<float>();
    const std::vector<float> s2 = which != Outputs::kS1 ? pick(PulseParameters::kS2) : std::vector<float>();
    p.PulseAmplitudeAryS1S2 = stim::interleaveVolts(s1, s2);
    return static_cast<std::int32_t>(p.PulseAmplitudeAryS1S2.size() / 2);
}

void StimulusController::prepareStep(int step, Outputs which) {
    PulseParameters& p = program(step);
    routeCodes(p, which);
    // The first trace of a run plays the stored intensities; later ones the
    // repetition's ("by rep #"), counted in passes through the enabled steps.
    const Timer* clock = acq_.timer.get();
    const bool laterTrace = clock != nullptr && clock->getnowtrace() >= 1;
    const std::int32_t roop = clock != nullptr ? clock->getLoop() - 1 : 0;
    const std::int32_t n = buildBuffer(p, which, laterTrace, roop);

    PreparedOutput out;
    out.samples = n;
    out.repeatAll = p.repeatAll != 0;
    out.trace = clock != nullptr ? static_cast<std::int64_t>(clock->getnowtrace()) : 0;
    out.step = step;
    out.output = {which != Outputs::kS2, which != Outputs::kS1, laterTrace, roop, out.repeatAll, 0};
    playback_.armed(out.trace, which != Outputs::kS2, which != Outputs::kS1);
    int refused = 0;
    if (out.repeatAll) {
        p.repeat = stim::repeatCount(tracetimems_, n);
        out.repeat = p.repeat;
        out.output.repeat = p.repeat;
        out.buffer = p.PulseAmplitudeAryS1S2;
        refused = acq_.TaskAORepeatSet(n, p.PulseAmplitudeAryS1S2.data(), p.repeat);
    } else {
        refused = acq_.TaskAOSet(n, p.PulseAmplitudeAryS1S2.data());
    }
    if (refused != 0) playback_.refused(out.trace);
    prepared_ = std::move(out);
    preparedSlot_ = stepSlot(step, which);
}

StimWorker* StimulusController::stepSlot(int step, Outputs which) {
    if (step == kStep1)
        return which == Outputs::kBoth ? &threadF1F2 : which == Outputs::kS1 ? &threadF1 : &threadF2;
    return which == Outputs::kBoth ? &threadS2F1F2 : which == Outputs::kS1 ? &threadS2F1 : &threadS2F2;
}

void StimulusController::runStepOutput(const PreparedOutput& out, StimWorker& self) {
    if (!out.repeatAll) {
        if (!self.waitFor(std::chrono::milliseconds(stim::patternDurationMs(out.samples)))) return;
        // Stopped, the finite task can be prepared again for the next trace.
        if (outputLive_.exchange(false)) acq_.teisiOnlyAO();
        return;
    }
    if (acq_.AORepeatTask(out.samples, out.buffer.data(), out.repeat) != 0) playback_.refused(out.trace);
}

bool StimulusController::endStepWorkers() {
    acq_.StimStop = 1;
    // A repeating worker can sit in a write that waits a whole pattern for room
    // in the device buffer; the task is stopped first so that write returns and
    // the join below never waits the pattern out.
    const bool stopped = outputLive_.exchange(false);
    if (stopped) acq_.teisiOnlyAO();
    cancelStepWorkers();
    return stopped;
}

void StimulusController::cancelStepWorkers() {
    StimWorker* slots[] = {&threadF1F2, &threadF1, &threadF2, &threadS2F1F2, &threadS2F1, &threadS2F2};
    for (StimWorker* w : slots) w->cancel();
    for (StimWorker* w : slots) w->join();
}

void StimulusController::endStepOutput() {
    // The trace is over: a repeating output stops here rather than play on
    // through the interval, and a pattern longer than the trace is cut.
    endStepWorkers();
}

// --- Manual ---

std::int32_t StimulusController::manualPatternLength() const {
    const PulseParameters& p = program(kManual);
    const bool s1 = stim::getStimOnOrOff(p, PulseParameters::kS1);
    const bool s2 = stim::getStimOnOrOff(p, PulseParameters::kS2);
    if (s1 && s2) return stim::getTimeLineXMax(p);
    if (s1) return stim::getTimeLineXMaxF1(p);
    if (s2) return stim::getTimeLineXMaxF2(p);
    return 0;
}

void StimulusController::prepareManual(Outputs which) {
    PulseParameters& p = program(kManual);
    routeCodes(p, which);
    poTaskStimChSelect();
    manualOutput_ = {which != Outputs::kS2, which != Outputs::kS1, false, 0, false, 0};
    manualRefused_ = acq_.lastRoutingFailed();
    const std::int32_t n = buildBuffer(p, which, false, 0);
    manualDurationMs_ = stim::patternDurationMs(n);
    if (acq_.TaskAOSet(n, p.PulseAmplitudeAryS1S2.data()) != 0) manualRefused_ = true;
}

bool StimulusController::startManualStim() {
    const PulseParameters& p = program(kManual);
    const bool s1 = stim::getStimOnOrOff(p, PulseParameters::kS1);
    const bool s2 = stim::getStimOnOrOff(p, PulseParameters::kS2);
    if (!s1 && !s2) return false;
    // The output task is the Manual program's now: no step worker may touch it.
    endStepWorkers();
    threadMNL.cancel();
    threadMNL.join();
    stimStop = 0;
    if (s1 && s2)
        setaoTaskMNL();
    else if (s1)
        setaoTaskMNL1();
    else
        setaoTaskMNL2();
    acq_.startTaskOnly();
    if (acq_.AOTaskMNL() != 0) manualRefused_ = true;
    const std::int32_t ms = manualDurationMs_;
    threadMNL.start([this, ms](StimWorker& self) { aoTaskMNL(ms, self); });
    return true;
}

void StimulusController::stopManualStim() {
    threadMNL.cancel();
    threadMNL.join();
    acq_.teisiOnlyAO();
    stimStop = 1;
}

void StimulusController::aoTaskMNL(std::int32_t durationMs, StimWorker& self) {
    if (!self.waitFor(std::chrono::milliseconds(durationMs))) return;
    acq_.teisiOnlyAO();
    stimStop = 1;
}
