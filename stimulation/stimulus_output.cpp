// The stimulus side of the acquisition object: playing a pattern on the
// two-channel analog-output task (made with the input task) and routing the
// stimulator's outputs to electrodes through the digital port. Device errors
// here are printed and never stop a run.
// AORepeatTask and teisiOnlyAO also run on the stimulus worker threads, so the
// state they share with the interface thread is atomic, and every call stages
// the pattern in a buffer of its own.
#include <cstdio>
#include <string>
#include <vector>

#include "acquisition/acquisition_ni.h"
#include "acquisition/rounding.h"
#include "stimulation/electrode_routing.h"

using namespace daqmx;

namespace {

constexpr double kWriteTimeoutSec = 20.0;
constexpr double kRoutingTimeoutSec = 10.0;
// Both outputs of one pattern are staged in at most this many values.
constexpr std::size_t kStagingValues = 2'000'000;
constexpr const char* kFullWidthSpace = "\u3000";

// A repeat-mode write waits for a whole pattern's room in the device buffer,
// so its timeout covers the pattern itself besides the usual 20 s.
double repeatWriteTimeoutSec(int len) {
    return static_cast<double>(len) / AcquisitionNI::kSampleRate + kWriteTimeoutSec;
}

// One call per line, so lines of concurrent workers never interleave.
void printLine(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// The call's own copy of the pattern as the device gets it: every value goes
// through its two-decimal text form ("0.00"), i.e. to the nearest 0.01 V.
// Empty when the pattern does not fit the staging area.
std::vector<double> stage(int len, const float* dataF1F2, const char* operation) {
    if (len <= 0 || dataF1F2 == nullptr || static_cast<std::size_t>(len) * 2 > kStagingValues) {
        printLine(std::string("Stimulus pattern refused by ") + operation + ": " + std::to_string(len) +
                  " samples per output (1 to " + std::to_string(kStagingValues / 2) + " fit the output buffer)");
        return {};
    }
    std::vector<double> staging(static_cast<std::size_t>(len) * 2);
    for (std::size_t i = 0; i < staging.size(); ++i)
        staging[i] = korin::roundHalfEven(static_cast<double>(dataF1F2[i]), 2);
    return staging;
}

bool nothingRouted(const AcquisitionNI& acq) {
    return acq.chS1 == AcquisitionNI::kNoElectrode && acq.chS2 == AcquisitionNI::kNoElectrode;
}

}  // namespace

int AcquisitionNI::TaskAOSet(int len, const float* dataF1F2) {
    if (nothingRouted(*this)) return 0;
    std::vector<double> staging = stage(len, dataF1F2, "TaskAOSet");
    if (staging.empty()) return 1;
    TaskHandle ao = taskHandleAnalog1;
    int32 status = driver_->DAQmxCfgSampClkTiming(ao, "OnboardClock", kSampleRate, DAQmx_Val_Rising,
                                                  DAQmx_Val_FiniteSamps, static_cast<uInt64>(len));
    if (!failed(status))
        status = driver_->DAQmxWriteAnalogF64(ao, len, 0, kWriteTimeoutSec, DAQmx_Val_GroupByScanNumber,
                                              staging.data(), nullptr, nullptr);
    error = status;
    if (failed(status)) {
        printLine(std::string("DAQmx Error") + kFullWidthSpace + "TaskAOSet!: " + extendedErrorText());
        return 1;
    }
    StimRepeat = 0;
    return 0;
}

int AcquisitionNI::TaskAORepeatSet(int len, const float* dataF1F2, int repeat) {
    if (nothingRouted(*this)) return 0;
    StimStop = 0;
    std::vector<double> staging = stage(len, dataF1F2, "TaskAORepeatSet");
    if (staging.empty()) return 1;
    TaskHandle ao = taskHandleAnalog1;
    // The continuous buffer holds two patterns: one written now, the next
    // written by the worker while the first plays.
    int32 status = driver_->DAQmxCfgSampClkTiming(ao, "OnboardClock", kSampleRate, DAQmx_Val_Rising,
                                                  DAQmx_Val_ContSamps, 2 * static_cast<uInt64>(len));
    if (!failed(status))
        status = driver_->DAQmxWriteAnalogF64(ao, len, 0, repeatWriteTimeoutSec(len), DAQmx_Val_GroupByScanNumber,
                                              staging.data(), nullptr, nullptr);
    error = status;
    if (failed(status)) {
        printLine("DAQmx Error!: " + extendedErrorText());
        printLine("test2");
        driver_->DAQmxStopTask(ao);
        driver_->DAQmxClearTask(ao);
        // Forget the cleared handle; later output calls of the run fail and print.
        taskHandleAnalog1.compare_exchange_strong(ao, nullptr);
        printLine("test3");
        return 1;
    }
    StimRepeat = repeat;
    return 0;
}

int AcquisitionNI::AORepeatTask(int len, const float* dataF1F2, int /*repeat*/) {
    std::vector<double> staging = stage(len, dataF1F2, "AORepeatTask");
    if (staging.empty()) return 1;
    TaskHandle ao = taskHandleAnalog1;
    const int writes = StimRepeat;  // the count TaskAORepeatSet stored
    const double timeout = repeatWriteTimeoutSec(len);
    for (int i = 0; i < writes; ++i) {
        if (StimStop) break;
        int32 status = driver_->DAQmxWriteAnalogF64(ao, len, 0, timeout, DAQmx_Val_GroupByScanNumber,
                                                    staging.data(), nullptr, nullptr);
        // The stop was asked for and the task stopped under the waiting write:
        // the end of this trace's output, not a fault; the task stays for the next.
        if (failed(status) && StimStop) break;
        error = status;
        if (failed(status)) {
            std::string text = extendedErrorText();
            driver_->DAQmxStopTask(ao);
            driver_->DAQmxClearTask(ao);
            taskHandleAnalog1.compare_exchange_strong(ao, nullptr);
            printLine(std::string("DAQmx Error!") + kFullWidthSpace + "AORepeatTask: " + text);
            return 1;
        }
    }
    return 0;
}

int AcquisitionNI::AOTask() {
    // Restart the input right before the output so that sample 0 of the
    // pattern and of the trace's first block begin together.
    TeisiStoponly();
    startTaskOnly();
    int32 status = driver_->DAQmxStartTask(taskHandleAnalog1);
    error = status;
    if (!failed(status)) return 0;
    printLine(std::string("DAQmx Error") + kFullWidthSpace + "AOTask!: " + extendedErrorText());
    return 1;
}

int AcquisitionNI::AOTaskMNL() {
    int32 status = driver_->DAQmxStartTask(taskHandleAnalog1);
    error = status;
    if (!failed(status)) return 0;
    printLine(std::string("DAQmx Error") + kFullWidthSpace + "AOTaskMNL: " + extendedErrorText());
    return 1;
}

int AcquisitionNI::TeisiAO() {
    // The handle is forgotten once cleared, so a second call touches no freed task.
    TaskHandle ao = taskHandleAnalog1.exchange(nullptr);
    if (ao == nullptr) return 1;
    driver_->DAQmxStopTask(ao);
    error = driver_->DAQmxClearTask(ao);
    return 0;
}

int AcquisitionNI::teisiOnlyAO() {
    TaskHandle ao = taskHandleAnalog1;
    if (ao == nullptr) return 1;
    error = driver_->DAQmxStopTask(ao);
    return 0;
}

int AcquisitionNI::POTask() {
    const uInt32 word = stim::routingWord(chS1, chS2);
    TaskHandle task = nullptr;
    int32 status = driver_->DAQmxCreateTask("", &task);
    const bool created = !failed(status);
    if (!failed(status)) status = driver_->DAQmxCreateDOChan(task, kRoutingLines, "", DAQmx_Val_ChanForAllLines);
    if (!failed(status)) status = driver_->DAQmxStartTask(task);
    if (!failed(status))
        status = driver_->DAQmxWriteDigitalU32(task, 1, 1, kRoutingTimeoutSec, DAQmx_Val_GroupByChannel, &word,
                                               nullptr, nullptr);
    error = status;
    routingFailed_ = failed(status);
    std::string text = failed(status) ? extendedErrorText() : std::string();
    // The port lines keep the written level after the task is released.
    if (created) {
        driver_->DAQmxStopTask(task);
        driver_->DAQmxClearTask(task);
    }
    if (failed(status)) printLine("DAQmx Error: " + text);
    return 0;
}

void AcquisitionNI::setPOch(std::int32_t S1, std::int32_t S2) {
    chS1 = S1;
    chS2 = S2;
}
