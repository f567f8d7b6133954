// The simulated "Dev1": a stand-in for the rig's data-acquisition board, with
// a slice or culture on the sixteen-electrode array behind an amplifier of
// gain 100, and the two-channel stimulator with its electrode router on the
// board's outputs.
//
// It honours the operations the system uses: "Dev1/ai0:7,Dev1/ai16:23" as
// sixteen differential inputs with 16-bit conversion within the configured
// limits, a continuous 20 kHz sample clock paced by the blocking read (real
// time) or by the reader alone (free-running, for tests and the command-line
// tool), "Dev1/ao0:1" finite or continuous outputs aligned to the input's scan
// position, and the ten routing lines "Dev1/port0/line0:9".
//
// Thread-safe: one mutex guards the device; a pacing wait never holds it.
// Deterministic: the same seed and the same calls in free-running mode give
// the same data.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "acquisition/daqmx.h"
#include "acquisition/sim_output.h"
#include "acquisition/sim_signal.h"

class SimulatedDevice : public daqmx::Driver {
public:
    struct Options {
        std::uint64_t seed = 1;
        bool realTime = true;  // false: free-running, reads return at once
    };

    // Driver statuses this device returns beyond those of daqmx.h.
    static constexpr daqmx::int32 kErrorResourceReserved = -50103;
    static constexpr daqmx::int32 kErrorDeviceNotAccessible = -201003;
    static constexpr daqmx::int32 kErrorTaskRunning = -200479;
    static constexpr daqmx::int32 kErrorNoChannels = -200478;
    static constexpr daqmx::int32 kErrorOutputBufferEmpty = -200462;
    static constexpr daqmx::int32 kErrorWriteTimeout = -200292;
    static constexpr daqmx::int32 kErrorReadBufferTooSmall = -200229;
    static constexpr daqmx::int32 kErrorOutputValueOutOfRange = -200561;

    static constexpr double kSampleRate = 20000.0;
    static constexpr int kInputs = 16;
    static constexpr double kAmplifierGain = 100.0;
    static constexpr double kInputLimitVolts = 10.0;
    static constexpr double kOutputLimitVolts = 4.0;  // the stimulator's ±100 µA
    static constexpr std::uint32_t kRoutingMask = 0x3FF;
    static constexpr std::uint64_t kDefaultInputBufferScans = 100'000;
    static constexpr std::uint64_t kMaxOutputBufferScans = 4'000'000;
    // Free-running, output time passes only as the reader reads: a continuous
    // output queues up to this much ahead before a write waits for the reader.
    static constexpr std::uint64_t kFreeRunningQueueScans = 1'000'000;

    // A stretch of identical output scans: both outputs' volts from `tick`
    // (device clock) for `count` scans; `inputScan` is the scan position of the
    // input task started last (-1 before any input start).
    struct AnalogRun {
        std::int64_t inputScan;
        std::uint64_t tick;
        std::uint32_t count;
        double volts[2];
    };
    struct AnalogSample {
        std::int64_t inputScan;
        double volts[2];
    };

    SimulatedDevice();
    explicit SimulatedDevice(Options options);
    ~SimulatedDevice() override;
    SimulatedDevice(const SimulatedDevice&) = delete;
    SimulatedDevice& operator=(const SimulatedDevice&) = delete;

    std::string name() const override { return "Simulated Dev1"; }
    bool isSimulated() const override { return true; }

    daqmx::int32 DAQmxCreateTask(const char* taskName, daqmx::TaskHandle* taskHandle) override;
    daqmx::int32 DAQmxCreateAIVoltageChan(daqmx::TaskHandle taskHandle, const char* physicalChannel,
                                          const char* nameToAssignToChannel, daqmx::int32 terminalConfig,
                                          daqmx::float64 minVal, daqmx::float64 maxVal, daqmx::int32 units,
                                          const char* customScaleName) override;
    daqmx::int32 DAQmxCreateAOVoltageChan(daqmx::TaskHandle taskHandle, const char* physicalChannel,
                                          const char* nameToAssignToChannel, daqmx::float64 minVal,
                                          daqmx::float64 maxVal, daqmx::int32 units,
                                          const char* customScaleName) override;
    daqmx::int32 DAQmxCreateDOChan(daqmx::TaskHandle taskHandle, const char* lines,
                                   const char* nameToAssignToLines, daqmx::int32 lineGrouping) override;
    daqmx::int32 DAQmxCfgSampClkTiming(daqmx::TaskHandle taskHandle, const char* source, daqmx::float64 rate,
                                       daqmx::int32 activeEdge, daqmx::int32 sampleMode,
                                       daqmx::uInt64 sampsPerChan) override;
    daqmx::int32 DAQmxReadAnalogF64(daqmx::TaskHandle taskHandle, daqmx::int32 numSampsPerChan,
                                    daqmx::float64 timeout, daqmx::bool32 fillMode, daqmx::float64 readArray[],
                                    daqmx::uInt32 arraySizeInSamps, daqmx::int32* sampsPerChanRead,
                                    daqmx::bool32* reserved) override;
    daqmx::int32 DAQmxWriteAnalogF64(daqmx::TaskHandle taskHandle, daqmx::int32 numSampsPerChan,
                                     daqmx::bool32 autoStart, daqmx::float64 timeout, daqmx::bool32 dataLayout,
                                     const daqmx::float64 writeArray[], daqmx::int32* sampsPerChanWritten,
                                     daqmx::bool32* reserved) override;
    daqmx::int32 DAQmxWriteDigitalU32(daqmx::TaskHandle taskHandle, daqmx::int32 numSampsPerChan,
                                      daqmx::bool32 autoStart, daqmx::float64 timeout, daqmx::bool32 dataLayout,
                                      const daqmx::uInt32 writeArray[], daqmx::int32* sampsPerChanWritten,
                                      daqmx::bool32* reserved) override;
    daqmx::int32 DAQmxStartTask(daqmx::TaskHandle taskHandle) override;
    daqmx::int32 DAQmxStopTask(daqmx::TaskHandle taskHandle) override;
    daqmx::int32 DAQmxClearTask(daqmx::TaskHandle taskHandle) override;
    daqmx::int32 DAQmxGetExtendedErrorInfo(char errorString[], daqmx::uInt32 bufferSize) override;

    // --- Test interface ---

    // Device clock: 20 kHz ticks since construction (plus advanceClock).
    std::uint64_t deviceTick() const;
    // Scans produced since the running input task started; -1 when none runs.
    std::int64_t inputScanPosition() const;
    // Scans delivered by all analog reads since construction.
    std::uint64_t inputScansDelivered() const;
    // Lets device time pass without reading, e.g. a reader that falls behind.
    void advanceClock(std::uint64_t ticks);

    // false: the electrodes carry nothing but the test signals (exact values).
    void setCultureEnabled(bool enabled);
    // Adds deviceVolts(tick) at the device input of program channel 0..15
    // (electrode 1..16: ai0..ai7, ai16..ai23), before conversion and clipping.
    void setTestSignal(int channel, std::function<double(std::uint64_t tick)> deviceVolts);
    void setTestLevel(int channel, double deviceVolts);
    void clearTestSignals();

    // What the analog outputs generated up to now (in free-running mode, up to
    // the end of the last read), oldest first. The log keeps the latest runs.
    std::vector<AnalogRun> analogOutputRuns();
    // The same, one entry per scan (for short tests).
    std::vector<AnalogSample> analogOutputSamples();
    // Every routing word written, in order.
    std::vector<std::uint32_t> digitalWords() const;
    std::uint32_t routingWord() const;
    void clearOutputLog();
    // Potentiation of the pathway stimulated through electrode index 0..15.
    double potentiation(int electrode) const;

    // Fault injection.
    void setAbsent(bool absent);                   // every create fails: device not found
    void failReadAfterScans(std::uint64_t scans);  // the read that passes this many more scans fails
    void failAnalogWrites(int count = -1);         // the next `count` writes fail (-1: all)
    // The next `count` sample-clock configurations of the analog outputs fail
    // (-1: all): the device refuses the pattern a trace's preparation sets up,
    // and no repeating writer in flight can take the fault instead.
    void failAnalogTimings(int count = -1);
    void failDigitalWrites(int count = -1);
    void clearFaults();

private:
    enum class Kind { None, AnalogIn, AnalogOut, Digital };
    struct Channel {
        int physical;  // AI: program channel 0..15; AO: 0..1
        double minVal, maxVal;
        double mid, voltsPerCount;  // 16-bit conversion of an input
    };
    struct Task;
    using Lock = std::unique_lock<std::mutex>;
    using Clock = std::chrono::steady_clock;

    Task* find(daqmx::TaskHandle handle);
    daqmx::int32 fail(daqmx::int32 status, const std::string& message, const Task* task = nullptr);
    daqmx::int32 checkCreate(daqmx::TaskHandle handle, Kind kind, Task*& task);
    daqmx::int32 checkNotInTask(const Task& task, const std::vector<Channel>& added);
    daqmx::int32 checkUse(daqmx::TaskHandle handle, Kind kind, const char* operation, Task*& task);
    std::uint64_t nowTick() const;
    Clock::time_point wallTimeOf(std::uint64_t tick) const;
    daqmx::int32 startInput(Task& task);
    daqmx::int32 startOutput(Task& task);
    void stopTask(Task& task);
    void advanceOutputs(std::uint64_t tick);
    void setHeld(std::uint64_t tick, const double* volts, const Task& task);
    void logAnalog(std::uint64_t tick, std::uint32_t count);
    void produce(const Task& task, std::uint64_t first, std::uint64_t scans, bool byScan, double* out);
    double convert(double volts, const Channel& channel) const;

    const bool realTime_;
    const std::uint64_t serial_;  // tells this device's errors from another's on a thread
    const Clock::time_point epoch_;

    mutable std::mutex mutex_;
    std::condition_variable outputPlayed_;  // free-running writers wait for the reader
    // Free-running, a writer waiting for room writes before the next read goes on,
    // as it would on the real clock, where reads take 50 ms each.
    struct WaitingWrite {
        daqmx::TaskHandle task;
        std::uint64_t scans;
    };
    std::vector<WaitingWrite> waitingWrites_;
    std::condition_variable writerProgress_;
    bool writerHasRoom();
    std::uint64_t clockOffset_ = 0;  // free-running: the whole clock
    std::map<std::uint64_t, std::unique_ptr<Task>> tasks_;
    std::uint64_t nextTaskId_ = 1;
    Task* runningInput_ = nullptr;
    Task* generatingOutput_ = nullptr;
    Task* armedOutput_ = nullptr;  // started before the input: begins with the input
    bool inputStarted_ = false;
    std::uint64_t lastInputStart_ = 0;
    std::uint64_t scansDelivered_ = 0;

    sim::Culture culture_;
    bool cultureEnabled_ = true;
    std::vector<float> scratch_;         // culture output of one chunk, allocated once
    std::vector<double> writeScratch_;  // a by-channel write turned into scan order
    std::function<double(std::uint64_t)> testSignals_[kInputs];

    std::uint64_t materialized_ = 0;  // outputs are played up to this tick
    double held_[2] = {0.0, 0.0};     // present level of ao0, ao1
    std::uint32_t word_ = 0;          // present level of the ten routing lines
    std::deque<AnalogRun> analogLog_;
    std::deque<std::uint32_t> digitalLog_;

    bool absent_ = false;
    bool readFailArmed_ = false;
    std::uint64_t readFailAfter_ = 0;
    int analogWriteFailures_ = 0;
    int analogTimingFailures_ = 0;
    int digitalWriteFailures_ = 0;
};
