// The replay steps of FileReader: one block forward with its analysis, one
// block back, and the display buffers they fill.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "acquisition/rounding.h"
#include "files/file_reader.h"

namespace {

constexpr double kHalfBin = 0.5;

// Sample count of a window edit, kept inside the buffer it counts.
std::int32_t addClamped(std::int32_t value, std::int64_t delta, std::int32_t max) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value + delta, 0, max));
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
    std::copy_n(block_.get(), kBlockValues, aryData);
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

void FileReader::pushWindowBack() {
    const std::int32_t slot = std::max(BlockNum, 0);
    const double* block = block_.get();
    for (int c = 0; c < kChannels; ++c) {
        if (!isSelected(c)) continue;
        double* dst = chAry[c];
        if (slot >= kWindowBlocks) {
            std::memmove(dst, dst + kBlockScans, sizeof(double) * (kChAryLength - kBlockScans));
            dst += kChAryLength - kBlockScans;
        } else {
            dst += slot * kBlockScans;
        }
        for (int k = 0; k < kBlockScans; ++k) dst[k] = block[kChannels * k + c];
    }
    chAryUsed_ = std::max(chAryUsed_, std::min(slot + 1, kWindowBlocks) * kBlockScans);
}

void FileReader::pushWindowFront() {
    const double* block = block_.get();
    for (int c = 0; c < kChannels; ++c) {
        if (!isSelected(c)) continue;
        double* dst = chAry[c];
        std::memmove(dst + kBlockScans, dst, sizeof(double) * (kChAryLength - kBlockScans));
        for (int k = 0; k < kBlockScans; ++k) dst[k] = block[kChannels * k + c];
    }
    chAryUsed_ = std::min(chAryUsed_ + kBlockScans, kChAryLength);
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
            double* base = selectChAryStorage_.get() + static_cast<std::size_t>(c) * kHistoryCapacity;
            std::memmove(base, base + historyStart_, sizeof(double) * selectChdataIndex);
        }
        historyStart_ = 0;
    }
    const double* block = block_.get();
    for (int c = 0; c < kChannels; ++c) {
        double* base = selectChAryStorage_.get() + static_cast<std::size_t>(c) * kHistoryCapacity;
        selectChAry[c] = base + historyStart_;
        double* dst = selectChAry[c] + selectChdataIndex;
        for (int k = 0; k < scans; ++k) dst[k] = block[kChannels * k + c];
    }
    selectChdataIndex += scans;
    historyUsed_ = std::max(historyUsed_, historyStart_ + selectChdataIndex);
}

void FileReader::analyse(const pldat::BlockHeaderFields& header) {
    const double* block = block_.get();
    detectspike.DetectSpikeBlock(block, Pthre, Mthre, Postthre);

    // Beyond 48 hours of bins the replay goes on without counting.
    const double bin = std::floor(spikeIndex);
    if (bin >= 0 && bin < kMaxBins) {
        const auto b = static_cast<std::int32_t>(bin);
        for (int c = 0; c < kChannels; ++c) {
            if (!isSelected(c)) continue;
            const int sum = SpikeData[c][b] + detectspike.timespikes[c];
            SpikeData[c][b] = static_cast<std::int16_t>(std::min(sum, static_cast<int>(INT16_MAX)));
        }
        spikeIndex = korin::roundHalfEven(spikeIndex + kHalfBin, 2);
        spikeTime[b] = blockOffsetTime + traceOffsetTime + kBlockMs;
        binsUsed_ = std::max(binsUsed_, b + 1);
        // Every trace starts a new bin.
        if (header.lastBlock == 1) {
            FreqDrawTiming = true;
            if (spikeIndex != std::floor(spikeIndex)) spikeIndex = korin::roundHalfEven(spikeIndex + kHalfBin, 2);
        } else {
            FreqDrawTiming = !FreqDrawTiming;
        }
    }

    const double blockStart = korin::roundHalfEven((blockOffsetTime + traceOffsetTime) / kStampTickMs);
    for (int c = 0; c < kChannels; ++c) {
        const int found = detectspike.timespikes[c];
        std::int32_t* stamps = TimeStampData[c];
        int stored = 0;
        for (int j = 0; j < found && spikeCount[c] + stored < kMaxTimeStamps; ++j, ++stored)
            stamps[spikeCount[c] + stored] = korin::truncToInt32(blockStart + detectspike.TimeStampData[c][j]);
        spikeCount[c] += stored;
        stampsUsed_[c] = std::max(stampsUsed_[c], spikeCount[c]);
    }
}

void FileReader::measureEvokedPotential() {
    if (EpIndex < 0 || EpIndex >= kMaxBins) return;
    const double* block = block_.get();
    for (int c = 0; c < kChannels; ++c) {
        if (!isSelected(c)) continue;
        const float from = EPline1[c] * kScansPerMs;
        const float to = EPline2[c] * kScansPerMs;
        bool any = false;
        std::int16_t lowest = 0;
        for (int k = 0; k < kBlockScans; ++k) {
            const auto at = static_cast<float>(k);
            if (!(from <= at && at <= to)) continue;
            const std::int16_t count = korin::truncToInt16(block[kChannels * k + c] / conversionFactor);
            if (!any || count < lowest) lowest = count;
            any = true;
        }
        if (any) EPAmpData[c][EpIndex] = lowest;
    }
    epKeikaTime[EpIndex] = traceOffsetTime;
    ++EpIndex;
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
