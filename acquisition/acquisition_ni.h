// The acquisition engine object: the analog-input task of the sixteen electrodes,
// the stimulator's output task, the input-range scaling, the per-channel DC
// offsets and every buffer the recording pipeline fills and the views read.
// One instance lives for the whole process; all buffers are allocated once here.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "acquisition/daqmx.h"
#include "files/recording_writer.h"
#include "processing/series.h"

class Timer;
class Filter;
class DetectSpike;
namespace korin {
class FirstThresholds;
}

class AcquisitionNI {
public:
    static constexpr int kChannels = 16;
    static constexpr int kScansPerRead = 1000;
    static constexpr int kReadsPerBlock = 10;
    static constexpr int kBlockScans = kScansPerRead * kReadsPerBlock;  // 500 ms at 20 kHz
    static constexpr int kBlockValues = kBlockScans * kChannels;
    static constexpr int kReadValues = kScansPerRead * kChannels;
    static constexpr double kSampleRate = 20000.0;
    static constexpr daqmx::uInt64 kInputBufferScans = 2'560'000;
    static constexpr double kReadTimeoutSec = 20.0;
    static constexpr int kChAryLength = 50'000;         // 2.5 s: five blocks
    static constexpr int kSelectChAryLength = 200'000;  // 10 s: twenty blocks
    static constexpr int kMaxBins = 172'800;            // 48 hours of one-second bins
    static constexpr int kMaxTimeStamps = 1'000'000;    // per channel
    static constexpr double kVoltsToMillivoltsAtElectrode = 10.0;  // 1000 mV/V over gain 100
    static constexpr const char* kInputChannels = "Dev1/ai0:7,Dev1/ai16:23";
    static constexpr const char* kOutputChannels = "Dev1/ao0:1";
    static constexpr const char* kRoutingLines = "Dev1/port0/line0:9";
    static constexpr std::int32_t kNoElectrode = 24;

    explicit AcquisitionNI(std::shared_ptr<daqmx::Driver> driver);
    ~AcquisitionNI();
    AcquisitionNI(const AcquisitionNI&) = delete;
    AcquisitionNI& operator=(const AcquisitionNI&) = delete;

    daqmx::Driver& driver() { return *driver_; }
    const std::shared_ptr<daqmx::Driver>& sharedDriver() const { return driver_; }
    // Another device for the next run: refused (false, nothing changed) while
    // an input or output task is open.
    bool setDriver(std::shared_ptr<daqmx::Driver> driver);

    // --- Input task (0 = success, 1 = failure) ---
    void setInputRange(double inputrange);
    int KidouNi();
    int startTaskOnly();
    int startTaskDCAfter();
    int TeisiStoponly();
    int Teisi();
    void syokika();
    void syokikaAry();
    int readonly(int roopMax);
    bool hasInputTask() const { return taskHandle1 != nullptr; }

    // --- Block recording pipeline ---
    // Results of Kiroku and manualKiroku besides 0 (recorded) and 1 (device
    // error, input task cleared): the block was acquired but the recording file
    // could not be written; the file keeps every block before it.
    static constexpr int kFileWriteFailed = 2;
    int Kiroku(double time);
    int manualKiroku();
    int DCData(bool tf);
    void setFilter(float syuuhasuu1, float syuuhasuuH1, std::int32_t LPF, std::int32_t HPF);
    // `ready`, when given, says whether the thresholds have been set yet; while
    // it reads false no spikes are detected. Without it they always count.
    void setThresh(float* p, float* m, float* post, const bool* ready = nullptr);
    void setEP(float* line1, float* line2);
    void setdcOffsetValue(const double* value);

    // --- Recording file writer ---
    int fileopen(const std::string& path);
    int fileopenManual(const std::string& path, int blocks, int stimulusMs, const Timer& clock);
    // The header the current block of the run's file gets (the run clock's
    // trace, step, loop and times); a default header without a clock.
    pldat::BlockHeader blockHeaderFor(int datapoints, int blocknum) const;
    void WriteBlockHeader(int datapoints, int blocknum);
    // The first `datapoints` scans of aryData into the run's file, through blockCounts().
    void WriteBinary(int datapoints);
    // blockCounts() as they are into the run's file: the samples of its current block.
    void WriteBlockCounts();
    void WriteBlockHeaderManual(int datapoints, int blocknum);
    void WriteBinaryManual(int datapoints);
    void fileclose();
    void filecloseManual();
    // The last recorded block as 16-bit counts (countOf, scans of sixteen
    // interleaved values), made by every Kiroku whether or not a file is
    // written: the run file's samples are these counts.
    const std::int16_t* blockCounts() const { return blockCounts_.get(); }
    int blockCountScans() const { return countedScans_; }
    // The recording files: `file` of the run, `fileM` of a manual stimulation.
    RecordingStream file;
    RecordingStream fileM;

    // --- Stimulus output ---
    // The output operations print a device refusal and carry on; each returns
    // 1 when the device refused the pattern (or its start), else 0, so the
    // caller can remember which trace went unstimulated.
    int kidouAO();
    int TaskAOSet(int len, const float* dataF1F2);
    int TaskAORepeatSet(int len, const float* dataF1F2, int repeat);
    int AORepeatTask(int len, const float* dataF1F2, int repeat);
    // Restarts the input (that part is never reported here) and starts the output.
    int AOTask();
    int AOTaskMNL();
    int TeisiAO();
    int teisiOnlyAO();
    // Always 0, as callers rely on; whether the word reached the port is
    // lastRoutingFailed().
    int POTask();
    bool lastRoutingFailed() const { return routingFailed_.load(); }
    void setPOch(std::int32_t S1, std::int32_t S2);

    // --- Device and scaling ---
    daqmx::TaskHandle taskHandle1 = nullptr;
    std::atomic<daqmx::TaskHandle> taskHandleAnalog1{nullptr};
    // Last device status, for reports only: each operation judges its own calls,
    // so a status left here by a stimulus worker never decides a read.
    std::atomic<daqmx::int32> error{0};
    double INPUTRANGE = 5.0;
    double INPUTRANGEBairitu = 100.0;
    double INPUTRANGE2 = 5.0;
    double shortRate = 0;
    double dcOffsetValue[kChannels] = {};
    std::shared_ptr<Timer> timer;
    std::unique_ptr<Filter> filter;
    std::unique_ptr<DetectSpike> detectspike;

    // --- Buffers (16-entry tables into storage allocated once) ---
    double* chAry[kChannels];
    std::int32_t tailA = 0;
    std::int32_t DrawChartMaxIndex = 0;
    double* selectChAry[kChannels];
    std::int32_t tail = 0;
    std::int32_t DrawSelectChMaxIndex = 0;
    double* aryData;
    std::int16_t* SpikeData[kChannels];
    double* spikeTime;
    double spikeIndex = 0;
    std::int32_t* TimeStampData[kChannels];
    std::int32_t spikeCount[kChannels] = {};
    std::int16_t* EPAmpData[kChannels];
    double* epKeikaTime;
    std::int32_t EpIndex = 0;
    // Which of the histories above have said they are full (once per run).
    korin::FullNotices seriesNotices;
    // Per-channel settings; point at the caller's arrays after setThresh/setEP.
    float* Pthre;
    float* Mthre;
    float* Postthre;
    const bool* ThreshReady = nullptr;
    // While set, the real scans of every block of device data that passes the
    // live filter (Kiroku with its discard read, readonly between traces) are
    // handed to it as well: run control gathers a run's first thresholds there.
    korin::FirstThresholds* firstThresholds = nullptr;
    float* EPline1;
    float* EPline2;

    // --- Flags and counters ---
    std::uint8_t first = 0;
    std::uint8_t DrawTyuu = 0;
    std::uint8_t FreqDrawTiming = 1;
    std::int32_t BlockNum = 0;
    std::uint8_t pldatExportOn = 0;
    std::atomic<std::uint8_t> StimStop{0};
    std::atomic<std::int32_t> chS1{kNoElectrode};
    std::atomic<std::int32_t> chS2{kNoElectrode};
    std::atomic<std::int32_t> StimRepeat{0};

    // Fills `block` (kBlockValues) with `reads` scaled reads of 1000 scans:
    // volts x 10 minus the channel's offset; unread positions hold 0.
    // Returns the first failing status, or 0. `withOffset` false gives raw values.
    daqmx::int32 scaledRead(int reads, double* block, bool withOffset = true);
    // Wall time spent inside the device's read calls since construction (the
    // device pacing the loop), so run control can tell its own work apart.
    double readWaitSeconds = 0;
    // Fetches and returns the driver's extended error text.
    std::string extendedErrorText();
    // Filters the first `scans` scans of `block` in place, scan by scan.
    void filterBlock(double* block, int scans);
    // The counts of the first `scans` scans of aryData into blockCounts().
    void makeBlockCounts(int scans);
    // The block-sized scratch area of the scaled read (kBlockValues). The
    // discard read reuses it, so a caller is done with it before readonly().
    double* blockScratch() { return blockScratch_.get(); }

private:
    std::shared_ptr<daqmx::Driver> driver_;
    std::atomic<bool> routingFailed_{false};  // the last POTask did not reach the port
    std::unique_ptr<double[]> chAryStorage_;
    std::unique_ptr<double[]> selectChAryStorage_;
    std::unique_ptr<double[]> aryDataStorage_;
    std::unique_ptr<double[]> blockScratch_;
    std::unique_ptr<std::int16_t[]> blockCounts_;
    int countedScans_ = 0;
    std::unique_ptr<double[]> readScratch_;
    std::unique_ptr<std::int16_t[]> spikeDataStorage_;
    std::unique_ptr<double[]> spikeTimeStorage_;
    std::unique_ptr<std::int32_t[]> timeStampStorage_;
    std::unique_ptr<std::int16_t[]> epAmpStorage_;
    std::unique_ptr<double[]> epKeikaTimeStorage_;
    float defaultPthre_[kChannels] = {};
    float defaultMthre_[kChannels] = {};
    float defaultPostthre_[kChannels] = {};
    float defaultEPline1_[kChannels] = {};
    float defaultEPline2_[kChannels] = {};
};
