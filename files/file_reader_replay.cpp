// The replay steps of FileReader: one block forward with its analysis, one
// block back, and the display buffers they fill.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "acquisition/rounding.h"
#include "files/file_reader.h"
#include "processing/series.h"

namespace {

// Sample count of a window edit, kept inside the buffer it counts.
std::int32_t addClamped(std::int32_t value, std::int64_t delta, std::int32_t max) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value + delta, 0, max));
}

// Channel values of `scans` scans (stride 16 in `block`) to consecutive places.
void gatherChannel(double* dst, const double* block, std::int32_t scans) {
    for (std::int32_t k = 0; k < scans; ++k) dst[k] = block[FileReader::kChannels * k];
}

}  // namespace

bool FileReader::selectedChannelShown() const { return selectch >= 0 && selectch < kChannels && isSelected(selectch); }

std::int32_t FileReader::analysedEnd() const { return std::max(NowSeleIndex, analysedEnd_); }

bool FileReader::readData() {
    if (!FileSetOn) return false;
    if (BackTyuu) {
        // The window ends just before NowBlock + BlockNum: continue after it.
        NowBlock = addClamped(NowBlock, BlockNum, INT32_MAX);
        BackTyuu = false;
    }
    pldat::BlockHeaderFields header;
    std::int32_t kept = 0;
    if (!loadBlock(NowBlock, false, header, kept)) return false;
    takeHeader(header, true);
    const std::int64_t windowScans = static_cast<std::int64_t>(OwariPoint) - KaisiPoint;

    filterBlock(*filter);
    copyBlockToAryData();
    if (rectf && exporter) {
        if (shortExportOn)
            exporter->WriteBinary(*this, kept);
        else if (csvExportOn)
            exporter->WriteCSV(*this, kept);
    }
    DrawChartMaxIndex = addClamped(DrawChartMaxIndex, windowScans, kChAryLength);

    // A block seen before (a step back and forward again) is drawn again but
    // never counted twice.
    const bool fresh = NowBlock >= analysedEnd();
    if (fresh) {
        analyse(header);
        analysedEnd_ = NowBlock + 1;
    }
    if (selectedChannelShown()) {
        if (fresh) {
            appendHistory(kept);
            NowSeleIndex = NowBlock + 1;
        } else if (header.firstBlock == 1) {
            appendHistory(kept);
        }
    }
    pushWindowBack();
    DrawTyuu = true;
    BlockNum = std::min(std::max(BlockNum, 0) + 1, kWindowBlocks);
    ++NowBlock;
    if (fresh && header.firstBlock == 1) measureEvokedPotential();
    return true;
}

void FileReader::writeSlot(int c, int slot, const double* block, std::int32_t scans) {
    double* dst = chAry[c] + slot * kBlockScans;
    gatherChannel(dst, block, scans);
    if (slotScans_[c][slot] > scans) std::fill(dst + scans, dst + slotScans_[c][slot], 0.0);
    slotScans_[c][slot] = scans;
}

void FileReader::moveSlot(int c, int from, int to) {
    const double* src = chAry[c] + from * kBlockScans;
    double* dst = chAry[c] + to * kBlockScans;
    const std::int32_t scans = slotScans_[c][from];
    std::copy_n(src, scans, dst);
    if (slotScans_[c][to] > scans) std::fill(dst + scans, dst + slotScans_[c][to], 0.0);
    slotScans_[c][to] = scans;
}

void FileReader::pushWindowBack() {
    const std::int32_t slot = std::max(BlockNum, 0);
    for (int c = 0; c < kChannels; ++c) {
        if (!isSelected(c)) continue;
        if (slot >= kWindowBlocks) {
            for (int s = 0; s + 1 < kWindowBlocks; ++s) moveSlot(c, s + 1, s);
        }
        writeSlot(c, std::min(slot, kWindowBlocks - 1), block_.get() + c, channelScans_[c]);
    }
}

void FileReader::pushWindowFront() {
    for (int c = 0; c < kChannels; ++c) {
        if (!isSelected(c)) continue;
        for (int s = kWindowBlocks - 1; s > 0; --s) moveSlot(c, s - 1, s);
        writeSlot(c, 0, block_.get() + c, channelScans_[c]);
    }
}

void FileReader::appendHistory(std::int32_t scans) {
    DrawSelectChMaxIndex = addClamped(DrawSelectChMaxIndex, scans, kSelectChAryLength);
    // Keep the newest kSelectChAryLength samples: the oldest scroll out.
    const std::int32_t overflow = selectChdataIndex + scans - kSelectChAryLength;
    if (overflow > 0) {
        historyStart_ += overflow;
        selectChdataIndex -= overflow;
    }
    if (historyStart_ + selectChdataIndex + scans > kHistoryCapacity) {
        for (int c = 0; c < kChannels; ++c) {
            // Beyond historyUsed_[c] the storage is 0 already: only what a
            // channel holds moves, and what it held is cleared behind.
            double* base = selectChAryStorage_.get() + static_cast<std::size_t>(c) * kHistoryCapacity;
            const std::int32_t moved = std::clamp(historyUsed_[c] - historyStart_, 0, selectChdataIndex);
            std::memmove(base, base + historyStart_, sizeof(double) * moved);
            std::fill(base + moved, base + std::max(moved, std::min(selectChdataIndex, historyUsed_[c])), 0.0);
        }
        historyStart_ = 0;
    }
    const double* block = block_.get();
    for (int c = 0; c < kChannels; ++c) {
        double* base = selectChAryStorage_.get() + static_cast<std::size_t>(c) * kHistoryCapacity;
        selectChAry[c] = base + historyStart_;
        const std::int32_t at = historyStart_ + selectChdataIndex;
        const std::int32_t values = std::min(channelScans_[c], scans);
        gatherChannel(base + at, block + c, values);
        if (historyUsed_[c] > at + values)
            std::fill(base + at + values, base + std::min(historyUsed_[c], at + scans), 0.0);
        historyUsed_[c] = std::max(historyUsed_[c], at + values);
    }
    selectChdataIndex += scans;
}

void FileReader::analyse(const pldat::BlockHeaderFields& header) {
    detectspike.DetectSpikeBlock(block_.get(), Pthre, Mthre, Postthre, channelScans_);

    korin::SpikeBins bins{SpikeData, spikeTime, spikeIndex, kMaxBins};
    const double blockStart = blockOffsetTime + traceOffsetTime;
    const double bin = std::floor(spikeIndex);
    if (korin::addBlockToBins(bins, detectspike.timespikes, blockStart + kBlockMs, notices_, ACSelectary)) {
        binsUsed_ = std::max(binsUsed_, static_cast<std::int32_t>(bin) + 1);
        // Every trace starts a new bin.
        if (header.lastBlock == 1) {
            FreqDrawTiming = true;
            korin::closeHalfBin(bins);
        } else {
            FreqDrawTiming = !FreqDrawTiming;
        }
    }

    korin::TimeStamps stamps{TimeStampData, spikeCount, kMaxTimeStamps};
    korin::appendTimeStamps(stamps, detectspike, blockStart, notices_);
    for (int c = 0; c < kChannels; ++c) stampsUsed_[c] = std::max(stampsUsed_[c], spikeCount[c]);
}

void FileReader::measureEvokedPotential() {
    korin::EPSeries series{EPAmpData, epKeikaTime, EpIndex, kMaxBins};
    korin::addEPEntry(series, block_.get(), EPline1, EPline2, korin::CountScale::file(conversionFactor),
                      traceOffsetTime, notices_, ACSelectary);
    epUsed_ = std::max(epUsed_, EpIndex);
}

std::int32_t FileReader::backBlock() {
    if (!FileSetOn) return 0;
    if (!BackTyuu) {
        const std::int64_t before = static_cast<std::int64_t>(NowBlock) - std::max(BlockNum, 0) - 1;
        if (before < 0) return 0;
        NowBlock = static_cast<std::int32_t>(before);
    } else {
        if (NowBlock <= 0) {
            NowBlock = 0;
            return 0;
        }
        --NowBlock;
    }
    return 1;
}

bool FileReader::backSkip() {
    BlockNum = std::clamp(BlockNum, 0, kWindowBlocks);
    pldat::BlockHeaderFields header;
    std::int32_t kept = 0;
    if (!loadBlock(NowBlock, false, header, kept)) return false;
    takeHeader(header, true);

    // Shown through the replay filter started afresh, so a step back looks
    // like the forward replay and leaves the forward filter's state alone.
    if (filter->isOn()) {
        backFilter_ = *filter;
        backFilter_->syokika();
        filterBlock(*backFilter_);
    }
    DrawChartMaxIndex = addClamped(DrawChartMaxIndex, static_cast<std::int64_t>(OwariPoint) - KaisiPoint, kChAryLength);
    if (selectedChannelShown() && header.firstBlock == 1) appendHistory(kept);
    pushWindowFront();
    // The window gained a block unless it was full and its newest dropped out.
    BlockNum = std::min(BlockNum + 1, kWindowBlocks);
    DrawTyuu = true;
    BackTyuu = true;
    FreqDrawTiming = !FreqDrawTiming;

    pldat::BlockHeaderFields newest;
    if (loadHeader(NowBlock - 1 + BlockNum, newest)) {
        traceOffsetTime = newest.traceStartMs;
        blockOffsetTime = newest.blockOffsetMs;
    }
    return true;
}
