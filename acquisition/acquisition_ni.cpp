#include "acquisition/acquisition_ni.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "acquisition/timer.h"
#include "processing/detect_spike.h"
#include "processing/filter.h"
#include "processing/first_thresholds.h"

using namespace daqmx;

AcquisitionNI::AcquisitionNI(std::shared_ptr<Driver> driver)
    : detectspike(std::make_unique<DetectSpike>()),
      Pthre(defaultPthre_),
      Mthre(defaultMthre_),
      Postthre(defaultPostthre_),
      EPline1(defaultEPline1_),
      EPline2(defaultEPline2_),
      driver_(std::move(driver)),
      chAryStorage_(new double[std::size_t(kChannels) * kChAryLength]()),
      selectChAryStorage_(new double[std::size_t(kChannels) * kSelectChAryLength]()),
      aryDataStorage_(new double[kBlockValues]()),
      blockScratch_(new double[kBlockValues]()),
      blockCounts_(new std::int16_t[kBlockValues]()),
      readScratch_(new double[kReadValues]()),
      spikeDataStorage_(new std::int16_t[std::size_t(kChannels) * kMaxBins]()),
      spikeTimeStorage_(new double[kMaxBins]()),
      timeStampStorage_(new std::int32_t[std::size_t(kChannels) * kMaxTimeStamps]()),
      epAmpStorage_(new std::int16_t[std::size_t(kChannels) * kMaxBins]()),
      epKeikaTimeStorage_(new double[kMaxBins]()) {
    for (int c = 0; c < kChannels; ++c) {
        chAry[c] = chAryStorage_.get() + std::size_t(c) * kChAryLength;
        selectChAry[c] = selectChAryStorage_.get() + std::size_t(c) * kSelectChAryLength;
        SpikeData[c] = spikeDataStorage_.get() + std::size_t(c) * kMaxBins;
        TimeStampData[c] = timeStampStorage_.get() + std::size_t(c) * kMaxTimeStamps;
        EPAmpData[c] = epAmpStorage_.get() + std::size_t(c) * kMaxBins;
    }
    aryData = aryDataStorage_.get();
    spikeTime = spikeTimeStorage_.get();
    epKeikaTime = epKeikaTimeStorage_.get();
}

bool AcquisitionNI::setDriver(std::shared_ptr<Driver> driver) {
    if (!driver || taskHandle1 != nullptr || taskHandleAnalog1.load() != nullptr) return false;
    driver_ = std::move(driver);
    return true;
}

AcquisitionNI::~AcquisitionNI() {
    // Release device tasks a crashed-out run may have left behind.
    if (taskHandle1 != nullptr) {
        driver_->DAQmxStopTask(taskHandle1);
        driver_->DAQmxClearTask(taskHandle1);
    }
    if (TaskHandle ao = taskHandleAnalog1.exchange(nullptr)) {
        driver_->DAQmxStopTask(ao);
        driver_->DAQmxClearTask(ao);
    }
}

void AcquisitionNI::setInputRange(double inputrange) { INPUTRANGE = inputrange; }

std::string AcquisitionNI::extendedErrorText() {
    char buffer[kExtendedErrorBufferSize] = {};
    driver_->DAQmxGetExtendedErrorInfo(buffer, sizeof buffer);
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

int AcquisitionNI::KidouNi() {
    taskHandle1 = nullptr;
    taskHandleAnalog1 = nullptr;
    INPUTRANGE2 = INPUTRANGE * INPUTRANGEBairitu / 1000 / 1000;
    shortRate = INPUTRANGEBairitu * 32768 / (INPUTRANGE2 * 1000);

    TaskHandle task = nullptr;
    int32 status = driver_->DAQmxCreateTask("", &task);
    if (!failed(status))
        status = driver_->DAQmxCreateAIVoltageChan(task, kInputChannels, "Voltage", DAQmx_Val_Diff,
                                                   -INPUTRANGE2, INPUTRANGE2, DAQmx_Val_Volts, nullptr);
    if (!failed(status))
        status = driver_->DAQmxCfgSampClkTiming(task, "OnboardClock", kSampleRate, DAQmx_Val_Rising,
                                                DAQmx_Val_ContSamps, kInputBufferScans);
    error = status;
    if (!failed(status)) {
        taskHandle1 = task;
        if (kidouAO() != 0) status = -1;
    }
    if (failed(status)) {
        extendedErrorText();  // fetched for the driver's sake; the caller shows its own message
        // A half-configured task would hold the device until the process ends.
        if (task != nullptr) driver_->DAQmxClearTask(task);
        taskHandle1 = nullptr;
        if (TaskHandle ao = taskHandleAnalog1.exchange(nullptr)) driver_->DAQmxClearTask(ao);
        return 1;
    }
    return 0;
}

int AcquisitionNI::startTaskOnly() {
    if (taskHandle1 == nullptr) return 1;
    int32 status = driver_->DAQmxStartTask(taskHandle1);
    error = status;
    if (failed(status)) {
        std::printf("DAQmx Error: startTask %s\n", extendedErrorText().c_str());
        std::fflush(stdout);
        return 1;
    }
    return 0;
}

int AcquisitionNI::startTaskDCAfter() {
    if (taskHandle1 == nullptr) return 1;
    int32 status = driver_->DAQmxStopTask(taskHandle1);
    error = status;
    if (failed(status) || startTaskOnly() != 0) {
        std::printf("DAQmx Error: startTaskDCAfter %s\n", extendedErrorText().c_str());
        std::fflush(stdout);
        return 1;
    }
    return 0;
}

int AcquisitionNI::TeisiStoponly() {
    if (taskHandle1 == nullptr) return 1;
    error = driver_->DAQmxStopTask(taskHandle1);
    return 0;
}

int AcquisitionNI::Teisi() {
    if (taskHandle1 == nullptr) return 1;
    driver_->DAQmxStopTask(taskHandle1);
    error = driver_->DAQmxClearTask(taskHandle1);
    taskHandle1 = nullptr;
    return 0;
}

void AcquisitionNI::syokika() {
    BlockNum = 0;
    std::fill_n(chAryStorage_.get(), std::size_t(kChannels) * kChAryLength, 0.0);
    std::fill_n(selectChAryStorage_.get(), std::size_t(kChannels) * kSelectChAryLength, 0.0);
    std::fill_n(spikeDataStorage_.get(), std::size_t(kChannels) * kMaxBins, std::int16_t{0});
    std::fill_n(epAmpStorage_.get(), std::size_t(kChannels) * kMaxBins, std::int16_t{0});
    std::fill_n(timeStampStorage_.get(), std::size_t(kChannels) * kMaxTimeStamps, 0);
    std::fill_n(spikeTime, kMaxBins, 0.0);
    std::fill_n(epKeikaTime, kMaxBins, 0.0);
    std::fill_n(spikeCount, kChannels, 0);
    spikeIndex = 0;
    DrawChartMaxIndex = 0;
    DrawSelectChMaxIndex = 0;
    FreqDrawTiming = 1;
    first = 1;
    EpIndex = 0;
}

void AcquisitionNI::syokikaAry() {
    BlockNum = 0;
    std::fill_n(chAryStorage_.get(), std::size_t(kChannels) * kChAryLength, 0.0);
    std::fill_n(selectChAryStorage_.get(), std::size_t(kChannels) * kSelectChAryLength, 0.0);
    DrawChartMaxIndex = 0;
    DrawSelectChMaxIndex = 0;
    tailA = 0;
    tail = 0;
}

int32 AcquisitionNI::scaledRead(int reads, double* block, bool withOffset) {
    reads = std::clamp(reads, 0, kReadsPerBlock);
    double* readArray = readScratch_.get();
    for (int r = 0; r < reads; ++r) {
        int32 got = 0;
        const auto before = std::chrono::steady_clock::now();
        int32 status = driver_->DAQmxReadAnalogF64(taskHandle1, kScansPerRead, kReadTimeoutSec,
                                                   DAQmx_Val_GroupByScanNumber, readArray, kReadValues, &got,
                                                   nullptr);
        readWaitSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count();
        if (failed(status)) {
            error = status;
            return status;
        }
        double* out = block + std::size_t(r) * kReadValues;
        for (int k = 0; k < kScansPerRead; ++k) {
            for (int c = 0; c < kChannels; ++c) {
                double v = readArray[k * kChannels + c] * kVoltsToMillivoltsAtElectrode;
                out[k * kChannels + c] = withOffset ? v - dcOffsetValue[c] : v;
            }
        }
    }
    std::fill(block + std::size_t(reads) * kReadValues, block + kBlockValues, 0.0);
    return 0;
}

void AcquisitionNI::filterBlock(double* block, int scans) {
    if (!filter || !filter->isOn()) return;
    filter->filterScans(block, scans);  // the sixteen channels side by side; same values as filterSyori
}

int AcquisitionNI::readonly(int roopMax) {
    roopMax = std::clamp(roopMax, 0, kReadsPerBlock);
    double* block = blockScratch_.get();
    int32 status = taskHandle1 == nullptr ? DAQmxErrorInvalidTask : scaledRead(roopMax, block);
    if (failed(status)) {
        std::printf("DAQmx Error: %s\n", extendedErrorText().c_str());
        std::fflush(stdout);
        Teisi();
        return 1;
    }
    filterBlock(block, roopMax * kScansPerRead);
    if (firstThresholds) firstThresholds->add(block, roopMax * kScansPerRead);
    return 0;
}

// The stimulator's output task is made together with the input task, once per run.
int AcquisitionNI::kidouAO() {
    TaskHandle task = nullptr;
    int32 status = driver_->DAQmxCreateTask("", &task);
    if (!failed(status))
        status = driver_->DAQmxCreateAOVoltageChan(task, kOutputChannels, "", -4.0, 4.0, DAQmx_Val_Volts, nullptr);
    error = status;
    if (failed(status)) {
        extendedErrorText();
        std::printf("test2\n");
        std::fflush(stdout);
        if (task != nullptr) driver_->DAQmxClearTask(task);
        return 1;
    }
    taskHandleAnalog1 = task;
    return 0;
}
