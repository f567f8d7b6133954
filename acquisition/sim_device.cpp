#include "acquisition/sim_device.h"

#include "acquisition/sim_channels.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <thread>

using namespace daqmx;

namespace {

constexpr std::int64_t kNanosPerTick = 50'000;  // 20 kHz
constexpr double kVoltsPerMicrovoltAtElectrode = 1e-6 * SimulatedDevice::kAmplifierGain;
constexpr int kScratchScans = 1000;
constexpr std::size_t kMaxLogEntries = std::size_t{1} << 18;
constexpr double kHalfCodes = 32768.0;  // 16-bit converter: codes -32768 .. 32767
constexpr int32 kValCfgDefault = -1;
constexpr int32 kValFalling = 10171;
constexpr std::uint64_t kDefaultOutputBufferScans = 10'000;
constexpr auto kWriterCatchUp = std::chrono::seconds(1);
constexpr const char* kAbsentText =
    "Device identifier is invalid: no device named \"Dev1\" is present.\n"
    "Device Specified: Dev1\nCheck that the device is connected and powered.";

struct LastError {
    std::uint64_t device = 0;
    std::string text;
};
// The driver keeps its extended error text per calling thread.
thread_local LastError tlsLastError;
std::atomic<std::uint64_t> nextSerial{1};

// The driver's timeout in seconds; negative waits (practically) forever.
std::chrono::steady_clock::time_point deadlineAfter(double timeout) {
    const auto now = std::chrono::steady_clock::now();
    constexpr double kYearSeconds = 365.0 * 24 * 3600;
    if (!(timeout >= 0) || timeout > kYearSeconds) return now + std::chrono::hours(24 * 365);
    return now + std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(timeout));
}

std::string formatNumber(double v) {
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, v);
    return std::string(text, r.ptr);
}

}  // namespace

struct SimulatedDevice::Task {
    std::uint64_t id = 0;
    std::string name;
    Kind kind = Kind::None;
    std::vector<Channel> channels;
    bool timed = false;
    bool running = false;
    std::uint64_t runId = 0;  // changes at every start and stop, so a waiting call notices
    // Input.
    std::uint64_t bufferScans = 0;
    std::uint64_t startTick = 0;
    std::uint64_t readPos = 0;
    int32 faultStatus = 0;
    // Output.
    sim::OutputStream stream;
};

SimulatedDevice::SimulatedDevice() : SimulatedDevice(Options{}) {}

SimulatedDevice::SimulatedDevice(Options options)
    : realTime_(options.realTime),
      serial_(nextSerial.fetch_add(1)),
      epoch_(Clock::now()),
      culture_(options.seed),
      scratch_(static_cast<std::size_t>(kScratchScans) * kInputs) {}

SimulatedDevice::~SimulatedDevice() = default;

// ---------------------------------------------------------------- helpers

SimulatedDevice::Task* SimulatedDevice::find(TaskHandle handle) {
    const auto id = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
    if ((id >> 32) != serial_) return nullptr;  // another device's handle, or garbage
    const auto it = tasks_.find(id);
    return it == tasks_.end() ? nullptr : it->second.get();
}

int32 SimulatedDevice::fail(int32 status, const std::string& message, const Task* task) {
    std::string text = message;
    if (task) text += "\nTask Name: " + task->name;
    text += "\n\nStatus Code: " + std::to_string(status);
    tlsLastError = {serial_, std::move(text)};
    return status;
}

int32 SimulatedDevice::checkCreate(TaskHandle handle, Kind kind, Task*& task) {
    if (absent_) return fail(DAQmxErrorDeviceNotFound, kAbsentText);
    task = find(handle);
    if (!task) return fail(DAQmxErrorInvalidTask, "Task specified is invalid or does not exist.");
    if (task->running) return fail(kErrorTaskRunning, "Channels cannot be added while the task is running.", task);
    if (task->kind != Kind::None && task->kind != kind)
        return fail(DAQmxErrorInvalidAttributeValue,
                    "A task holds channels of one kind only (analog input, analog output or digital output).", task);
    return 0;
}

int32 SimulatedDevice::checkNotInTask(const Task& task, const std::vector<Channel>& added) {
    for (const Channel& channel : added)
        for (const Channel& present : task.channels)
            if (present.physical == channel.physical)
                return fail(DAQmxErrorInvalidAttributeValue, "A physical channel is already in the task.", &task);
    return 0;
}

int32 SimulatedDevice::checkUse(TaskHandle handle, Kind kind, const char* operation, Task*& task) {
    task = find(handle);
    if (!task) return fail(DAQmxErrorInvalidTask, "Task specified is invalid or does not exist.");
    if (task->kind != kind)
        return fail(DAQmxErrorInvalidAttributeValue,
                    std::string(operation) + " does not apply to the channels of this task.", task);
    if (absent_)
        return fail(kErrorDeviceNotAccessible,
                    "Device cannot be accessed: it is no longer present in the system.\nDevice: Dev1", task);
    return 0;
}

std::uint64_t SimulatedDevice::nowTick() const {
    if (!realTime_) return clockOffset_;
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - epoch_).count();
    return static_cast<std::uint64_t>(ns / kNanosPerTick) + clockOffset_;
}

SimulatedDevice::Clock::time_point SimulatedDevice::wallTimeOf(std::uint64_t tick) const {
    if (tick <= clockOffset_) return epoch_;
    return epoch_ + std::chrono::nanoseconds(static_cast<std::int64_t>(tick - clockOffset_) * kNanosPerTick);
}

double SimulatedDevice::convert(double volts, const Channel& channel) const {
    if (std::isnan(volts)) volts = 0.0;
    // Halves to even, like the converter's rounding; clipped at the rails.
    const double code = std::clamp(std::nearbyint((volts - channel.mid) / channel.voltsPerCount), -kHalfCodes,
                                   kHalfCodes - 1.0);
    return channel.mid + code * channel.voltsPerCount;
}

// ---------------------------------------------------------------- tasks and channels

int32 SimulatedDevice::DAQmxCreateTask(const char* taskName, TaskHandle* taskHandle) {
    Lock lock(mutex_);
    if (taskHandle) *taskHandle = nullptr;
    if (absent_) return fail(DAQmxErrorDeviceNotFound, kAbsentText);
    if (!taskHandle) return fail(DAQmxErrorInvalidAttributeValue, "The task handle pointer is null.");
    auto task = std::make_unique<Task>();
    task->id = (serial_ << 32) | nextTaskId_;
    task->name = taskName && *taskName ? std::string(taskName) : "_unnamedTask<" + std::to_string(nextTaskId_ - 1) + ">";
    ++nextTaskId_;
    *taskHandle = reinterpret_cast<TaskHandle>(static_cast<std::uintptr_t>(task->id));
    tasks_.emplace(task->id, std::move(task));
    return 0;
}

int32 SimulatedDevice::DAQmxCreateAIVoltageChan(TaskHandle taskHandle, const char* physicalChannel, const char*,
                                                int32 terminalConfig, float64 minVal, float64 maxVal, int32 units,
                                                const char* customScaleName) {
    Lock lock(mutex_);
    Task* task = nullptr;
    if (const int32 status = checkCreate(taskHandle, Kind::AnalogIn, task); failed(status)) return status;
    if (terminalConfig != DAQmx_Val_Diff && terminalConfig != kValCfgDefault)
        return fail(DAQmxErrorInvalidAttributeValue,
                    "Requested terminal configuration is not supported: the electrode inputs are wired differentially.\n"
                    "Requested Value: " + std::to_string(terminalConfig),
                    task);
    if (units != DAQmx_Val_Volts || (customScaleName && *customScaleName))
        return fail(DAQmxErrorInvalidAttributeValue, "Only volts without a custom scale are supported.", task);
    if (!(minVal < maxVal) || minVal < -kInputLimitVolts || maxVal > kInputLimitVolts)
        return fail(DAQmxErrorInvalidAttributeValue,
                    "Requested input limits are not supported.\nMinimum: " + formatNumber(minVal) +
                        "\nMaximum: " + formatNumber(maxVal) + "\nSupported: -10 V to 10 V",
                    task);

    const sim::ChannelList list = sim::parseInputChannels(physicalChannel);
    if (failed(list.status)) return fail(list.status, list.message, task);
    std::vector<Channel> added;
    for (int channel : list.physical)
        added.push_back({channel, minVal, maxVal, (minVal + maxVal) / 2.0, (maxVal - minVal) / (2.0 * kHalfCodes)});
    if (const int32 status = checkNotInTask(*task, added); failed(status)) return status;
    task->channels.insert(task->channels.end(), added.begin(), added.end());
    task->kind = Kind::AnalogIn;
    return 0;
}

int32 SimulatedDevice::DAQmxCreateAOVoltageChan(TaskHandle taskHandle, const char* physicalChannel, const char*,
                                                float64 minVal, float64 maxVal, int32 units,
                                                const char* customScaleName) {
    Lock lock(mutex_);
    Task* task = nullptr;
    if (const int32 status = checkCreate(taskHandle, Kind::AnalogOut, task); failed(status)) return status;
    if (units != DAQmx_Val_Volts || (customScaleName && *customScaleName))
        return fail(DAQmxErrorInvalidAttributeValue, "Only volts without a custom scale are supported.", task);
    if (!(minVal < maxVal) || minVal < -kOutputLimitVolts || maxVal > kOutputLimitVolts)
        return fail(DAQmxErrorInvalidAttributeValue,
                    "Requested output limits are not supported: the stimulator accepts -4 V to 4 V (±100 µA).\n"
                    "Minimum: " + formatNumber(minVal) + "\nMaximum: " + formatNumber(maxVal),
                    task);
    const sim::ChannelList list = sim::parseOutputChannels(physicalChannel);
    if (failed(list.status)) return fail(list.status, list.message, task);
    std::vector<Channel> added;
    for (int channel : list.physical) added.push_back({channel, minVal, maxVal, 0.0, 0.0});
    if (const int32 status = checkNotInTask(*task, added); failed(status)) return status;
    task->channels.insert(task->channels.end(), added.begin(), added.end());
    task->kind = Kind::AnalogOut;
    task->timed = false;  // channels changed: timing must be configured again
    return 0;
}

int32 SimulatedDevice::DAQmxCreateDOChan(TaskHandle taskHandle, const char* lines, const char*, int32 lineGrouping) {
    Lock lock(mutex_);
    Task* task = nullptr;
    if (const int32 status = checkCreate(taskHandle, Kind::Digital, task); failed(status)) return status;
    const sim::ChannelList list = sim::parseRoutingLines(lines);
    if (failed(list.status)) return fail(list.status, list.message, task);
    if (lineGrouping != DAQmx_Val_ChanForAllLines)
        return fail(DAQmxErrorInvalidAttributeValue,
                    "The router's ten lines are written as one channel for all lines.", task);
    if (!task->channels.empty())
        return fail(DAQmxErrorInvalidAttributeValue, "The routing lines are already in the task.", task);
    task->channels.push_back({0, 0.0, 0.0, 0.0, 0.0});
    task->kind = Kind::Digital;
    return 0;
}

int32 SimulatedDevice::DAQmxCfgSampClkTiming(TaskHandle taskHandle, const char* source, float64 rate,
                                             int32 activeEdge, int32 sampleMode, uInt64 sampsPerChan) {
    Lock lock(mutex_);
    Task* task = find(taskHandle);
    if (!task) return fail(DAQmxErrorInvalidTask, "Task specified is invalid or does not exist.");
    if (task->kind == Kind::None) return fail(kErrorNoChannels, "The task contains no channels.", task);
    if (task->kind == Kind::Digital)
        return fail(DAQmxErrorInvalidAttributeValue, "The routing lines are static: they take no sample clock.", task);
    if (task->running)
        return fail(kErrorTaskRunning, "Timing cannot be changed while the task is running.", task);
    const std::string_view clock = source ? source : "";
    const std::string_view onboard = "onboardclock";
    const auto sameLetter = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == static_cast<unsigned char>(b);
    };
    if (!clock.empty() && !std::equal(clock.begin(), clock.end(), onboard.begin(), onboard.end(), sameLetter))
        return fail(DAQmxErrorInvalidAttributeValue,
                    "Sample clock source is not supported.\nSource: " + std::string(source) +
                        "\nSupported: OnboardClock",
                    task);
    if (rate != kSampleRate)
        return fail(DAQmxErrorInvalidAttributeValue,
                    "Sample clock rate is not supported by the simulated device.\nRequested: " + formatNumber(rate) +
                        "\nSupported: 20000",
                    task);
    if (activeEdge != DAQmx_Val_Rising && activeEdge != kValFalling)
        return fail(DAQmxErrorInvalidAttributeValue, "Active edge is not valid.", task);
    if (sampleMode != DAQmx_Val_ContSamps && sampleMode != DAQmx_Val_FiniteSamps)
        return fail(DAQmxErrorInvalidAttributeValue, "Sample mode is not valid.", task);

    if (task->kind == Kind::AnalogIn) {
        if (sampleMode != DAQmx_Val_ContSamps)
            return fail(DAQmxErrorInvalidAttributeValue, "The simulated inputs acquire continuously only.", task);
        task->bufferScans = sampsPerChan > 0 ? sampsPerChan : kDefaultInputBufferScans;
    } else {
        if (analogTimingFailures_ != 0) {
            if (analogTimingFailures_ > 0) --analogTimingFailures_;
            return fail(DAQmxErrorInvalidAttributeValue,
                        "The analog outputs refused the sample clock: the device did not accept the configuration.",
                        task);
        }
        const bool continuous = sampleMode == DAQmx_Val_ContSamps;
        const std::uint64_t scans = sampsPerChan > 0 ? sampsPerChan : (continuous ? kDefaultOutputBufferScans : 0);
        if (scans == 0 || scans > kMaxOutputBufferScans)
            return fail(DAQmxErrorInvalidAttributeValue,
                        "Samples per channel is out of range.\nRequested: " + std::to_string(sampsPerChan) +
                            "\nSupported: 1 to " + std::to_string(kMaxOutputBufferScans),
                        task);
        // Free-running, output plays only as fast as the reader reads: let writes queue well ahead.
        task->stream.configure(continuous, scans, static_cast<int>(task->channels.size()),
                               realTime_ ? scans : kFreeRunningQueueScans);
    }
    task->timed = true;
    return 0;
}

// ---------------------------------------------------------------- start, stop, clear

int32 SimulatedDevice::startInput(Task& task) {
    if (runningInput_ && runningInput_ != &task)
        return fail(kErrorResourceReserved,
                    "The specified resource is reserved: another analog input task is running.", &task);
    const std::uint64_t now = nowTick();
    advanceOutputs(now);
    task.running = true;
    task.startTick = now;
    task.readPos = 0;
    task.faultStatus = 0;
    ++task.runId;
    runningInput_ = &task;
    inputStarted_ = true;
    lastInputStart_ = now;
    if (armedOutput_) {
        generatingOutput_ = armedOutput_;
        armedOutput_ = nullptr;
    }
    return 0;
}

int32 SimulatedDevice::startOutput(Task& task) {
    if ((generatingOutput_ && generatingOutput_ != &task) || (armedOutput_ && armedOutput_ != &task))
        return fail(kErrorResourceReserved,
                    "The specified resource is reserved: another analog output task is running.", &task);
    if (!task.stream.start())
        return fail(kErrorOutputBufferEmpty,
                    "Generation cannot be started because the output buffer is empty.\n"
                    "Write samples before starting the output task.",
                    &task);
    advanceOutputs(nowTick());
    task.running = true;
    ++task.runId;
    // Aligned with the input: from the present scan, or from the input's start.
    if (runningInput_)
        generatingOutput_ = &task;
    else
        armedOutput_ = &task;
    return 0;
}

void SimulatedDevice::stopTask(Task& task) {
    if (!task.running) return;
    if (task.kind == Kind::AnalogIn && runningInput_ == &task) runningInput_ = nullptr;
    if (task.kind == Kind::AnalogOut) {
        advanceOutputs(nowTick());
        if (generatingOutput_ == &task) generatingOutput_ = nullptr;
        if (armedOutput_ == &task) armedOutput_ = nullptr;
        task.stream.stop();
        outputPlayed_.notify_all();  // a writer waiting for room gives up
    }
    task.running = false;
    ++task.runId;
}

int32 SimulatedDevice::DAQmxStartTask(TaskHandle taskHandle) {
    Lock lock(mutex_);
    Task* task = find(taskHandle);
    if (!task) return fail(DAQmxErrorInvalidTask, "Task specified is invalid or does not exist.");
    if (absent_)
        return fail(kErrorDeviceNotAccessible,
                    "Device cannot be accessed: it is no longer present in the system.\nDevice: Dev1", task);
    if (task->kind == Kind::None) return fail(kErrorNoChannels, "The task contains no channels.", task);
    if (task->running) return fail(kErrorTaskRunning, "The task is already running.", task);
    if (task->kind == Kind::AnalogIn && task->timed) return startInput(*task);
    if (task->kind == Kind::AnalogOut && task->timed) return startOutput(*task);
    task->running = true;  // on-demand channels: nothing to clock
    ++task->runId;
    return 0;
}

int32 SimulatedDevice::DAQmxStopTask(TaskHandle taskHandle) {
    Lock lock(mutex_);
    Task* task = find(taskHandle);
    if (!task) return fail(DAQmxErrorInvalidTask, "Task specified is invalid or does not exist.");
    stopTask(*task);
    return 0;
}

int32 SimulatedDevice::DAQmxClearTask(TaskHandle taskHandle) {
    Lock lock(mutex_);
    Task* task = find(taskHandle);
    if (!task) return fail(DAQmxErrorInvalidTask, "Task specified is invalid or does not exist.");
    stopTask(*task);
    tasks_.erase(task->id);
    return 0;
}

// ---------------------------------------------------------------- input

int32 SimulatedDevice::DAQmxReadAnalogF64(TaskHandle taskHandle, int32 numSampsPerChan, float64 timeout,
                                          bool32 fillMode, float64 readArray[], uInt32 arraySizeInSamps,
                                          int32* sampsPerChanRead, bool32*) {
    if (sampsPerChanRead) *sampsPerChanRead = 0;
    Lock lock(mutex_);
    Task* task = nullptr;
    if (const int32 status = checkUse(taskHandle, Kind::AnalogIn, "DAQmxReadAnalogF64", task); failed(status))
        return status;
    if (!task->timed)
        return fail(DAQmxErrorInvalidAttributeValue,
                    "The simulated inputs are read with a sample clock only: configure the timing first.", task);
    if (fillMode != DAQmx_Val_GroupByScanNumber && fillMode != DAQmx_Val_GroupByChannel)
        return fail(DAQmxErrorInvalidAttributeValue, "Fill mode is not valid.", task);
    if (numSampsPerChan < -1)
        return fail(DAQmxErrorInvalidAttributeValue, "Number of samples per channel is not valid.", task);
    const std::uint64_t channels = task->channels.size();
    if (numSampsPerChan > 0 && static_cast<std::uint64_t>(numSampsPerChan) > task->bufferScans)
        return fail(DAQmxErrorInvalidAttributeValue,
                    "Requested more samples per channel than the input buffer holds.\nRequested: " +
                        std::to_string(numSampsPerChan) + "\nBuffer Size: " + std::to_string(task->bufferScans),
                    task);
    if (numSampsPerChan > 0 &&
        (!readArray || static_cast<std::uint64_t>(arraySizeInSamps) < channels * static_cast<std::uint64_t>(numSampsPerChan)))
        return fail(kErrorReadBufferTooSmall,
                    "Buffer is too small to fit read data.\nRequired Buffer Size in Samples: " +
                        std::to_string(channels * numSampsPerChan) +
                        "\nBuffer Size in Samples: " + std::to_string(arraySizeInSamps),
                    task);
    if (!task->running)
        if (const int32 status = startInput(*task); failed(status)) return status;  // a read starts the task

    if (!realTime_ && writerHasRoom()) {
        // A bounded wait: a writer that never comes back must not stall the reader.
        outputPlayed_.notify_all();
        writerProgress_.wait_for(lock, kWriterCatchUp, [&] { return !writerHasRoom(); });
        task = find(taskHandle);
        if (!task) return fail(DAQmxErrorInvalidTask, "The task was cleared while the read waited.");
    }
    const auto deadline = deadlineAfter(timeout);
    const std::uint64_t runId = task->runId;
    std::uint64_t scans = 0;
    for (;;) {
        const std::uint64_t first = task->startTick + task->readPos;
        const std::uint64_t now = nowTick();
        const std::uint64_t available = now > first ? now - first : 0;
        if (available > task->bufferScans)
            return fail(DAQmxErrorSamplesNoLongerAvailable,
                        "Attempted to read samples that are no longer available: the reader fell behind and the "
                        "requested samples were overwritten in the input buffer.\nRequested Sample: " +
                            std::to_string(task->readPos) + "\nSamples Behind: " + std::to_string(available) +
                            "\nBuffer Size: " + std::to_string(task->bufferScans),
                        task);
        if (task->faultStatus != 0)
            return fail(task->faultStatus,
                        "Device cannot be accessed: it stopped answering during the acquisition.\nDevice: Dev1", task);
        scans = numSampsPerChan >= 0 ? static_cast<std::uint64_t>(numSampsPerChan)
                                     : std::min<std::uint64_t>(available, readArray ? arraySizeInSamps / channels : 0);
        if (available >= scans) break;
        if (!realTime_) {
            clockOffset_ += first + scans - now;  // free-running: the clock runs as fast as the reader
            continue;
        }
        auto wake = wallTimeOf(first + scans);
        if (wake > deadline) {
            if (Clock::now() >= deadline)
                return fail(DAQmxErrorReadTimeout,
                            "Wait until done did not indicate all samples were acquired before the timeout.", task);
            wake = deadline;
        }
        lock.unlock();
        std::this_thread::sleep_until(wake);
        lock.lock();
        task = find(taskHandle);
        if (!task || task->runId != runId)
            return fail(DAQmxErrorInvalidTask, "The task was stopped or cleared while the read waited.");
    }

    if (readFailArmed_ && scansDelivered_ + scans > readFailAfter_) {
        readFailArmed_ = false;
        task->faultStatus = kErrorDeviceNotAccessible;
        return fail(kErrorDeviceNotAccessible,
                    "Device cannot be accessed: it stopped answering during the acquisition.\nDevice: Dev1", task);
    }
    produce(*task, task->startTick + task->readPos, scans, fillMode == DAQmx_Val_GroupByScanNumber, readArray);
    task->readPos += scans;
    scansDelivered_ += scans;
    if (!realTime_) outputPlayed_.notify_all();
    if (sampsPerChanRead) *sampsPerChanRead = static_cast<int32>(scans);
    return 0;
}

void SimulatedDevice::produce(const Task& task, std::uint64_t first, std::uint64_t scans, bool byScan, double* out) {
    const std::size_t channels = task.channels.size();
    for (std::uint64_t done = 0; done < scans;) {
        const int chunk = static_cast<int>(std::min<std::uint64_t>(kScratchScans, scans - done));
        const std::uint64_t start = first + done;
        advanceOutputs(start + chunk);  // the tissue sees every stimulus before its response is drawn
        if (cultureEnabled_) culture_.generate(start, chunk, scratch_.data());
        for (int k = 0; k < chunk; ++k) {
            const float* scan = &scratch_[static_cast<std::size_t>(k) * kInputs];
            for (std::size_t i = 0; i < channels; ++i) {
                const Channel& channel = task.channels[i];
                double volts = cultureEnabled_ ? scan[channel.physical] * kVoltsPerMicrovoltAtElectrode : 0.0;
                if (testSignals_[channel.physical]) volts += testSignals_[channel.physical](start + k);
                const std::uint64_t index = byScan ? (done + k) * channels + i : i * scans + done + k;
                out[index] = convert(volts, channel);
            }
        }
        done += chunk;
    }
}

// ---------------------------------------------------------------- outputs

void SimulatedDevice::advanceOutputs(std::uint64_t tick) {
    if (tick <= materialized_) return;
    Task* task = generatingOutput_;
    if (task && !task->stream.finished()) {
        double values[sim::kOutputs];
        for (std::uint64_t t = materialized_; t < tick; ++t) {
            if (!task->stream.next(values)) break;  // finite generation over: the level holds
            double levels[sim::kOutputs] = {held_[0], held_[1]};
            for (std::size_t i = 0; i < task->channels.size(); ++i) levels[task->channels[i].physical] = values[i];
            if (levels[0] != held_[0] || levels[1] != held_[1]) {
                held_[0] = levels[0];
                held_[1] = levels[1];
                culture_.setLevels(t, held_[0], held_[1], word_);
            }
            logAnalog(t, 1);
        }
    }
    materialized_ = tick;
}

void SimulatedDevice::logAnalog(std::uint64_t tick, std::uint32_t count) {
    const std::int64_t scan = inputStarted_ ? static_cast<std::int64_t>(tick - lastInputStart_) : -1;
    if (!analogLog_.empty()) {
        AnalogRun& last = analogLog_.back();
        const bool sameScanLine = scan < 0 ? last.inputScan < 0 : last.inputScan + last.count == scan;
        if (last.tick + last.count == tick && sameScanLine && last.volts[0] == held_[0] &&
            last.volts[1] == held_[1] && last.count <= UINT32_MAX - count) {
            last.count += count;
            return;
        }
    }
    if (analogLog_.size() == kMaxLogEntries) analogLog_.pop_front();
    analogLog_.push_back({scan, tick, count, {held_[0], held_[1]}});
}

void SimulatedDevice::setHeld(std::uint64_t tick, const double* volts, const Task& task) {
    for (std::size_t i = 0; i < task.channels.size(); ++i) held_[task.channels[i].physical] = volts[i];
    culture_.setLevels(tick, held_[0], held_[1], word_);
    logAnalog(tick, 1);
}

int32 SimulatedDevice::DAQmxWriteAnalogF64(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart,
                                           float64 timeout, bool32 dataLayout, const float64 writeArray[],
                                           int32* sampsPerChanWritten, bool32*) {
    if (sampsPerChanWritten) *sampsPerChanWritten = 0;
    Lock lock(mutex_);
    Task* task = nullptr;
    if (const int32 status = checkUse(taskHandle, Kind::AnalogOut, "DAQmxWriteAnalogF64", task); failed(status))
        return status;
    if (analogWriteFailures_ != 0) {
        if (analogWriteFailures_ > 0) --analogWriteFailures_;
        return fail(DAQmxErrorWriteFailed, "Write to the analog outputs failed: the device did not accept the data.",
                    task);
    }
    if (numSampsPerChan < 0)
        return fail(DAQmxErrorInvalidAttributeValue, "Number of samples per channel is not valid.", task);
    if (numSampsPerChan == 0) return 0;
    if (!writeArray) return fail(DAQmxErrorInvalidAttributeValue, "The write array is null.", task);
    if (dataLayout != DAQmx_Val_GroupByScanNumber && dataLayout != DAQmx_Val_GroupByChannel)
        return fail(DAQmxErrorInvalidAttributeValue, "Data layout is not valid.", task);
    const std::size_t channels = task->channels.size();
    const auto scans = static_cast<std::size_t>(numSampsPerChan);
    const bool byChannel = dataLayout == DAQmx_Val_GroupByChannel;
    for (std::size_t k = 0; k < scans; ++k) {
        for (std::size_t i = 0; i < channels; ++i) {
            const double v = writeArray[byChannel ? i * scans + k : k * channels + i];
            const Channel& channel = task->channels[i];
            if (!(v >= channel.minVal && v <= channel.maxVal))
                return fail(kErrorOutputValueOutOfRange,
                            "Attempted writing analog data that is too large or too small.\nChannel: Dev1/ao" +
                                std::to_string(channel.physical) + "\nValue: " + formatNumber(v) + "\nSample Index: " +
                                std::to_string(k),
                            task);
        }
    }

    if (!task->timed) {
        if (scans != 1)
            return fail(DAQmxErrorInvalidAttributeValue,
                        "Without a sample clock the outputs take one sample per channel at a time.", task);
        const std::uint64_t now = nowTick();
        advanceOutputs(now);
        setHeld(now, writeArray, *task);  // one scan: both layouts agree
        if (sampsPerChanWritten) *sampsPerChanWritten = 1;
        return 0;
    }

    if (scans > task->stream.limit())
        return fail(DAQmxErrorWriteFailed,
                    "Attempted to write more samples than the output buffer holds.\nSamples: " + std::to_string(scans) +
                        "\nBuffer Size: " + std::to_string(task->stream.limit()),
                    task);
    const auto deadline = deadlineAfter(timeout);
    const std::uint64_t runId = task->runId;
    for (;;) {
        advanceOutputs(nowTick());
        const std::uint64_t room = task->stream.room();
        if (room >= scans) break;
        // Room comes only from a continuous generation that plays on.
        const bool drains = (generatingOutput_ == task || armedOutput_ == task) && task->stream.continuous();
        if (!drains || Clock::now() >= deadline)
            return fail(kErrorWriteTimeout,
                        "Some or all of the samples to write could not be written to the buffer: no room before the "
                        "timeout.\nSamples: " + std::to_string(scans) + "\nRoom: " + std::to_string(room),
                        task);
        if (realTime_) {
            // A stop of the task wakes the wait at once, as the driver's write returns.
            const auto wake = std::min(wallTimeOf(nowTick() + (scans - room)), deadline);
            outputPlayed_.wait_until(lock, wake);
        } else {
            waitingWrites_.push_back({taskHandle, scans});
            outputPlayed_.wait_until(lock, deadline);
            waitingWrites_.erase(std::find_if(waitingWrites_.begin(), waitingWrites_.end(), [&](const WaitingWrite& w) {
                return w.task == taskHandle && w.scans == scans;
            }));
            writerProgress_.notify_all();
        }
        task = find(taskHandle);
        if (!task || task->runId != runId)
            return fail(DAQmxErrorInvalidTask, "The task was stopped or cleared while the write waited.");
    }
    const double* data = writeArray;
    if (byChannel) {
        writeScratch_.resize(scans * channels);
        for (std::size_t k = 0; k < scans; ++k)
            for (std::size_t i = 0; i < channels; ++i) writeScratch_[k * channels + i] = writeArray[i * scans + k];
        data = writeScratch_.data();
    }
    task->stream.write(data, scans);
    if (autoStart && !task->running)
        if (const int32 status = startOutput(*task); failed(status)) return status;
    if (sampsPerChanWritten) *sampsPerChanWritten = numSampsPerChan;
    return 0;
}

bool SimulatedDevice::writerHasRoom() {
    for (const WaitingWrite& w : waitingWrites_) {
        const Task* task = find(w.task);
        if (task && task->stream.room() >= w.scans) return true;
    }
    return false;
}

int32 SimulatedDevice::DAQmxWriteDigitalU32(TaskHandle taskHandle, int32 numSampsPerChan, bool32 autoStart, float64,
                                            bool32, const uInt32 writeArray[], int32* sampsPerChanWritten, bool32*) {
    if (sampsPerChanWritten) *sampsPerChanWritten = 0;
    Lock lock(mutex_);
    Task* task = nullptr;
    if (const int32 status = checkUse(taskHandle, Kind::Digital, "DAQmxWriteDigitalU32", task); failed(status))
        return status;
    if (digitalWriteFailures_ != 0) {
        if (digitalWriteFailures_ > 0) --digitalWriteFailures_;
        return fail(DAQmxErrorWriteFailed, "Write to the routing lines failed: the device did not accept the data.",
                    task);
    }
    if (numSampsPerChan != 1 || !writeArray)
        return fail(DAQmxErrorInvalidAttributeValue, "The routing lines take one word per write.", task);
    const std::uint64_t now = nowTick();
    advanceOutputs(now);
    word_ = writeArray[0] & kRoutingMask;
    culture_.setLevels(now, held_[0], held_[1], word_);
    if (digitalLog_.size() == kMaxLogEntries) digitalLog_.pop_front();
    digitalLog_.push_back(word_);
    if (autoStart) task->running = true;
    if (sampsPerChanWritten) *sampsPerChanWritten = 1;
    return 0;
}

int32 SimulatedDevice::DAQmxGetExtendedErrorInfo(char errorString[], uInt32 bufferSize) {
    const std::string empty;
    const std::string& text = tlsLastError.device == serial_ ? tlsLastError.text : empty;
    if (!errorString || bufferSize == 0) return static_cast<int32>(text.size() + 1);
    const std::size_t n = std::min<std::size_t>(text.size(), bufferSize - 1);
    std::memcpy(errorString, text.data(), n);
    errorString[n] = '\0';
    return 0;
}

// ---------------------------------------------------------------- test interface

std::uint64_t SimulatedDevice::deviceTick() const {
    Lock lock(mutex_);
    return nowTick();
}

std::int64_t SimulatedDevice::inputScanPosition() const {
    Lock lock(mutex_);
    if (!runningInput_) return -1;
    return static_cast<std::int64_t>(nowTick() - runningInput_->startTick);
}

std::uint64_t SimulatedDevice::inputScansDelivered() const {
    Lock lock(mutex_);
    return scansDelivered_;
}

void SimulatedDevice::advanceClock(std::uint64_t ticks) {
    Lock lock(mutex_);
    clockOffset_ += ticks;
    if (!realTime_) {
        advanceOutputs(nowTick());
        outputPlayed_.notify_all();
    }
}

void SimulatedDevice::setCultureEnabled(bool enabled) {
    Lock lock(mutex_);
    cultureEnabled_ = enabled;
}

void SimulatedDevice::setTestSignal(int channel, std::function<double(std::uint64_t)> deviceVolts) {
    if (channel < 0 || channel >= kInputs) return;
    Lock lock(mutex_);
    testSignals_[channel] = std::move(deviceVolts);
}

void SimulatedDevice::setTestLevel(int channel, double deviceVolts) {
    setTestSignal(channel, [deviceVolts](std::uint64_t) { return deviceVolts; });
}

void SimulatedDevice::clearTestSignals() {
    Lock lock(mutex_);
    for (auto& signal : testSignals_) signal = nullptr;
}

std::vector<SimulatedDevice::AnalogRun> SimulatedDevice::analogOutputRuns() {
    Lock lock(mutex_);
    advanceOutputs(nowTick());
    return {analogLog_.begin(), analogLog_.end()};
}

std::vector<SimulatedDevice::AnalogSample> SimulatedDevice::analogOutputSamples() {
    std::vector<AnalogSample> samples;
    for (const AnalogRun& run : analogOutputRuns())
        for (std::uint32_t k = 0; k < run.count; ++k)
            samples.push_back({run.inputScan < 0 ? -1 : run.inputScan + k, {run.volts[0], run.volts[1]}});
    return samples;
}

std::vector<std::uint32_t> SimulatedDevice::digitalWords() const {
    Lock lock(mutex_);
    return {digitalLog_.begin(), digitalLog_.end()};
}

std::uint32_t SimulatedDevice::routingWord() const {
    Lock lock(mutex_);
    return word_;
}

void SimulatedDevice::clearOutputLog() {
    Lock lock(mutex_);
    advanceOutputs(nowTick());
    analogLog_.clear();
    digitalLog_.clear();
}

double SimulatedDevice::potentiation(int electrode) const {
    Lock lock(mutex_);
    return culture_.potentiation(electrode);
}

void SimulatedDevice::setAbsent(bool absent) {
    Lock lock(mutex_);
    absent_ = absent;
}

void SimulatedDevice::failReadAfterScans(std::uint64_t scans) {
    Lock lock(mutex_);
    readFailArmed_ = true;
    readFailAfter_ = scansDelivered_ + scans;
}

void SimulatedDevice::failAnalogWrites(int count) {
    Lock lock(mutex_);
    analogWriteFailures_ = count;
}

void SimulatedDevice::failAnalogTimings(int count) {
    Lock lock(mutex_);
    analogTimingFailures_ = count;
}

void SimulatedDevice::failDigitalWrites(int count) {
    Lock lock(mutex_);
    digitalWriteFailures_ = count;
}

void SimulatedDevice::clearFaults() {
    Lock lock(mutex_);
    absent_ = false;
    readFailArmed_ = false;
    analogWriteFailures_ = 0;
    analogTimingFailures_ = 0;
    digitalWriteFailures_ = 0;
}
