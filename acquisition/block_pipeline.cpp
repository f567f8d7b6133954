// The block operations of the acquisition engine: every call turns exactly
// 500 ms of device data into one block (read, scale, offset, filter, write,
// detect, bin, time-stamp, evoked potential, view rings). Everything works in
// the buffers allocated at construction; nothing is allocated per block.
#include <algorithm>
#include <cstdio>
#include <string>

#include "acquisition/acquisition_ni.h"
#include "acquisition/timer.h"
#include "processing/detect_spike.h"
#include "processing/filter.h"
#include "processing/first_thresholds.h"
#include "processing/series.h"

using namespace daqmx;

namespace {

using Acq = AcquisitionNI;

constexpr double kLastBlockSeconds = 0.5;
// Scans per copy tile: a tile of the interleaved block stays in cache while
// it is spread over the sixteen channels of both rings.
constexpr int kRingTile = 512;

// Adds `scans` to a filled length, at most the ring's length.
void growFilled(std::int32_t& filled, int scans, int length) { filled = std::min(filled + scans, length); }

void copyToRings(Acq& a, const double* block) {
    // Positions are whole blocks apart; this only guards against a foreign value.
    if (a.tail < 0 || a.tail > Acq::kSelectChAryLength - Acq::kBlockScans) a.tail = 0;
    if (a.tailA < 0 || a.tailA > Acq::kChAryLength - Acq::kBlockScans) a.tailA = 0;
    for (int k0 = 0; k0 < Acq::kBlockScans; k0 += kRingTile) {
        const int k1 = std::min(k0 + kRingTile, Acq::kBlockScans);
        for (int c = 0; c < Acq::kChannels; ++c) {
            double* select = a.selectChAry[c] + a.tail;
            double* chart = a.chAry[c] + a.tailA;
            for (int k = k0; k < k1; ++k) {
                const double v = block[k * Acq::kChannels + c];
                select[k] = v;
                chart[k] = v;
            }
        }
    }
    a.tail += Acq::kBlockScans;
    if (a.tail >= Acq::kSelectChAryLength) a.tail = 0;
    a.tailA += Acq::kBlockScans;
    if (a.tailA >= Acq::kChAryLength) a.tailA = 0;
}

// Run time in ms at the start of the current block.
double blockStartMs(const Acq& a) {
    return a.timer ? a.timer->getBlockOffsetMsec() + a.timer->getTraceOffsetMsec() : 0.0;
}

// Prints the driver's error text on the console line of the block reads and
// clears the input task; the run loop ends the run on the 1 returned.
int failBlock(Acq& a, const char* format) {
    const std::string text = a.hasInputTask() ? a.extendedErrorText() : "no input task";
    std::printf(format, text.c_str());
    std::fflush(stdout);
    a.Teisi();
    return 1;
}

}  // namespace

int AcquisitionNI::Kiroku(double time) {
    const int reads = pldat::readsForRemaining(time);
    const int scans = reads * kScansPerRead;
    double* block = blockScratch();
    const int32 status = taskHandle1 == nullptr ? DAQmxErrorInvalidTask : scaledRead(reads, block);
    if (failed(status)) return failBlock(*this, "DAQmx Error: %s\n");

    // Reset only once the block is in hand, so a failed read leaves the rings as they were.
    if (first) syokikaAry();
    growFilled(DrawChartMaxIndex, scans, kChAryLength);
    growFilled(DrawSelectChMaxIndex, scans, kSelectChAryLength);
    filterBlock(block, kBlockScans);  // the zero rest too, so the filter runs on a full block
    if (firstThresholds) firstThresholds->add(block, scans);
    std::copy_n(block, kBlockValues, aryData);
    makeBlockCounts(scans);

    bool fileFailed = false;
    if (pldatExportOn) {
        // The clock's count, not BlockNum: BlockNum restarts at a resume inside a
        // trace, and the file must not show a new trace beginning there.
        const int blockInTrace = timer ? static_cast<int>(timer->getnowblock()) : BlockNum;
        WriteBlockHeader(scans, blockInTrace);
        WriteBlockCounts();
        fileFailed = file.failed();
    }

    // A run's histories start empty; their full notices start over with them.
    if (spikeIndex == 0 && EpIndex == 0) seriesNotices = {};
    // Until thresholds exist they are 0 and every zero crossing would count:
    // such blocks keep empty bins and no stamps.
    if (ThreshReady == nullptr || *ThreshReady)
        detectspike->DetectSpikeBlock(block, Pthre, Mthre, Postthre);
    else
        std::fill_n(detectspike->timespikes, kChannels, std::int16_t{0});
    const double startMs = blockStartMs(*this);
    korin::SpikeBins bins{SpikeData, spikeTime, spikeIndex, kMaxBins};
    korin::addBlockToBins(bins, detectspike->timespikes, startMs + korin::kBlockMs, seriesNotices);
    korin::TimeStamps stamps{TimeStampData, spikeCount, kMaxTimeStamps};
    korin::appendTimeStamps(stamps, *detectspike, startMs, seriesNotices);
    copyToRings(*this, block);
    DrawTyuu = 1;
    ++BlockNum;

    if (time <= kLastBlockSeconds) {
        FreqDrawTiming = 1;
        korin::closeHalfBin(bins);  // the next trace starts a bin of its own
    } else {
        FreqDrawTiming = FreqDrawTiming ? 0 : 1;
    }
    if (first) {
        korin::EPSeries ep{EPAmpData, epKeikaTime, EpIndex, kMaxBins};
        const double keikaMs = timer ? timer->getKeikaTime() * 1000 : 0.0;
        korin::addEPEntry(ep, block, EPline1, EPline2, korin::CountScale::live(shortRate), keikaMs, seriesNotices);
    }
    first = 0;

    // Every call consumes exactly one block of device data.
    if (reads < kReadsPerBlock && readonly(kReadsPerBlock - reads) != 0) return 1;
    return fileFailed ? kFileWriteFailed : 0;
}

int AcquisitionNI::manualKiroku() {
    double* block = blockScratch();
    const int32 status = taskHandle1 == nullptr ? DAQmxErrorInvalidTask : scaledRead(kReadsPerBlock, block);
    if (failed(status)) return failBlock(*this, "DAQmx Error!!: %s\n");

    growFilled(DrawChartMaxIndex, kBlockScans, kChAryLength);
    growFilled(DrawSelectChMaxIndex, kBlockScans, kSelectChAryLength);
    filterBlock(block, kBlockScans);
    std::copy_n(block, kBlockValues, aryData);

    bool fileFailed = false;
    if (pldatExportOn && fileM.isOpen()) {
        WriteBlockHeaderManual(kBlockScans, BlockNum);
        WriteBinaryManual(kBlockScans);
        fileFailed = fileM.failed();
    }
    copyToRings(*this, block);
    DrawTyuu = 1;
    ++BlockNum;
    return fileFailed ? kFileWriteFailed : 0;
}

int AcquisitionNI::DCData(bool tf) {
    double* block = blockScratch();
    const int32 status =
        taskHandle1 == nullptr ? DAQmxErrorInvalidTask : scaledRead(kReadsPerBlock, block, /*withOffset=*/false);
    if (failed(status)) return failBlock(*this, "DAQmx Error: %s\n");
    if (tf) {
        // Straight into the first block of the chart ring; its position is not used.
        for (int c = 0; c < kChannels; ++c)
            for (int k = 0; k < kBlockScans; ++k) chAry[c][k] = block[k * kChannels + c];
    }
    return 0;
}

void AcquisitionNI::setFilter(float syuuhasuu1, float syuuhasuuH1, std::int32_t LPF, std::int32_t HPF) {
    filter = std::make_unique<Filter>(syuuhasuu1, syuuhasuuH1, LPF, HPF);
}

void AcquisitionNI::setThresh(float* p, float* m, float* post, const bool* ready) {
    Pthre = p;
    Mthre = m;
    Postthre = post;
    ThreshReady = ready;
}

void AcquisitionNI::setEP(float* line1, float* line2) {
    EPline1 = line1;
    EPline2 = line2;
}

void AcquisitionNI::setdcOffsetValue(const double* value) { std::copy_n(value, kChannels, dcOffsetValue); }
