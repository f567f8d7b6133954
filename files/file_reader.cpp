#include "files/file_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "acquisition/rounding.h"

namespace {

constexpr std::int32_t kLoopNone = 0;
constexpr std::int32_t kSecondLoop = 2;

std::int32_t clampToInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

std::int64_t ceilBlocks(double ms) {
    return korin::truncSaturating<std::int32_t>(std::ceil(ms / FileReader::kBlockMs));
}

// `scans` scans of little-endian counts, `values` per scan, to mV in 16-value
// scans: value j goes to channel slotOfValue[j], or nowhere when that is < 0.
void unpackScans(const std::uint8_t* in, std::int32_t scans, std::int32_t values, const std::int8_t* slotOfValue,
                 double conversionFactor, double* out) {
    const std::size_t scanBytes = static_cast<std::size_t>(values) * 2;
    for (std::int32_t k = 0; k < scans; ++k, in += scanBytes, out += FileReader::kChannels) {
        for (std::int32_t j = 0; j < values; ++j) {
            const int slot = slotOfValue[j];
            if (slot < 0) continue;
            const auto count = static_cast<std::int16_t>(in[2 * j] | (in[2 * j + 1] << 8));
            out[slot] = conversionFactor * count;
        }
    }
}

// Channel values at stride 16, `scans` of them.
void fillChannel(double* channel, std::int32_t scans, double value) {
    for (std::int32_t k = 0; k < scans; ++k) channel[FileReader::kChannels * k] = value;
}
void copyChannel(double* dst, const double* src, std::int32_t scans) {
    for (std::int32_t k = 0; k < scans; ++k) dst[FileReader::kChannels * k] = src[FileReader::kChannels * k];
}

}  // namespace

template <typename T>
FileReader::Storage<T> FileReader::zeroedStorage(std::size_t count) {
    // calloc: large zeroed blocks come straight from the system as untouched
    // pages, so a reader costs memory only for what a replay really uses.
    void* p = std::calloc(count, sizeof(T));
    if (!p) throw std::bad_alloc();
    return Storage<T>(static_cast<T*>(p));
}

FileReader::FileReader()
    : filter(std::make_unique<Filter>(0.0f, 0.0f, 0, 0)),
      index_(std::make_unique<pldat::BlockIndex>()),
      raw_(zeroedStorage<std::uint8_t>(pldat::kBlockHeaderBytes + pldat::kMaxBlockDataBytes)),
      block_(zeroedStorage<double>(kBlockValues)),
      chAryStorage_(zeroedStorage<double>(static_cast<std::size_t>(kChannels) * kChAryLength)),
      selectChAryStorage_(zeroedStorage<double>(static_cast<std::size_t>(kChannels) * kHistoryCapacity)),
      aryTempchStorage_(zeroedStorage<double>(kChAryLength)),
      aryDataStorage_(zeroedStorage<double>(kBlockValues)),
      spikeDataStorage_(zeroedStorage<std::int16_t>(static_cast<std::size_t>(kChannels) * kMaxBins)),
      spikeTimeStorage_(zeroedStorage<double>(kMaxBins)),
      timeStampStorage_(zeroedStorage<std::int32_t>(static_cast<std::size_t>(kChannels) * kMaxTimeStamps)),
      epAmpStorage_(zeroedStorage<std::int16_t>(static_cast<std::size_t>(kChannels) * kMaxBins)),
      epKeikaTimeStorage_(zeroedStorage<double>(kMaxBins)),
      offsetStorage_(zeroedStorage<double>(kMaxTraces)) {
    for (int c = 0; c < kChannels; ++c) {
        chAry[c] = chAryStorage_.get() + static_cast<std::size_t>(c) * kChAryLength;
        selectChAry[c] = selectChAryStorage_.get() + static_cast<std::size_t>(c) * kHistoryCapacity;
        SpikeData[c] = spikeDataStorage_.get() + static_cast<std::size_t>(c) * kMaxBins;
        TimeStampData[c] = timeStampStorage_.get() + static_cast<std::size_t>(c) * kMaxTimeStamps;
        EPAmpData[c] = epAmpStorage_.get() + static_cast<std::size_t>(c) * kMaxBins;
        defaultSelection_[c] = 1;
    }
    aryTempch = aryTempchStorage_.get();
    aryData = aryDataStorage_.get();
    spikeTime = spikeTimeStorage_.get();
    epKeikaTime = epKeikaTimeStorage_.get();
    OffsetAry = offsetStorage_.get();
    Pthre = defaultPthre_;
    Mthre = defaultMthre_;
    Postthre = defaultPostthre_;
    EPline1 = defaultEPline1_;
    EPline2 = defaultEPline2_;
    ACSelectary = defaultSelection_;
}

FileReader::~FileReader() { Close(); }

bool FileReader::open(const std::string& path) {
    Close();
    error_.clear();
    return file_.open(path, error_);
}

bool FileReader::read() {
    FileSetOn = false;
    AllBlock = 0;
    if (!file_.isOpen()) {
        error_ = "No recording file is open.";
        return false;
    }
    if (!pldat::readLayout(file_, layout_, error_)) {
        file_.close();
        return false;
    }
    const pldat::FileHeaderFields& h = layout_.header;
    TraceMax = h.traceCount;
    MaxBlock = h.blocksPerTrace;
    DurationMax = h.traceDurationMs;
    conversionFactor = h.conversionFactor;
    AC = 0;
    std::fill_n(slotOfValue_, 64, static_cast<std::int8_t>(-1));
    for (int ch = 0; ch < 64; ++ch) {
        const std::uint8_t flag = h.channelFlags[ch];
        ACary[ch] = ch < kChannels ? flag : 0;
        chIndex[ch] = pldat::kNoScanPosition;
        if (flag == 1) {
            chIndex[ch] = static_cast<std::uint8_t>(AC);
            if (ch < kChannels) slotOfValue_[AC] = static_cast<std::int8_t>(ch);
            ++AC;
        }
    }
    point = layout_.firstBlock.samplesPerChannel;
    perBlockSize = layout_.firstBlock.sampleByteCount;

    // StepMax counts the traces of the first pass through the stimulation
    // steps: the walk ends at the first block of loop 2, in a file without
    // steps (loop 0, step 255), or after one trace of a single-trace file.
    StepMax = 0;
    bool stepWalkDone = false;
    std::int32_t walkBlock = 0;
    std::int32_t walkTrace = 0;
    auto countSteps = [&](int, std::uint64_t, const pldat::BlockHeaderFields& header) {
        if (stepWalkDone) return;
        if (walkTrace >= TraceMax || header.loopNumber == kLoopNone || header.loopNumber == kSecondLoop) {
            stepWalkDone = true;
            return;
        }
        if (walkBlock == 0) ++StepMax;
        if (header.step == pldat::kNoStep || TraceMax == 1) {
            stepWalkDone = true;
            return;
        }
        if (++walkBlock == MaxBlock) {
            walkBlock = 0;
            ++walkTrace;
        }
    };
    AllBlock = index_->build(file_, layout_, countSteps);
    if (AllBlock == 0) {
        error_ = "The recording holds no whole block: it was cut short after " +
                 std::to_string(layout_.fileLength) + " bytes.";
        file_.close();
        return false;
    }
    FileSetOn = true;
    return true;
}

void FileReader::Close() {
    if (FileSetOn || file_.isOpen()) file_.close();
    FileSetOn = false;
}

void FileReader::setFilter(float syuuhasuu1, float syuuhasuuH1, std::int32_t LPF1, std::int32_t HPF1) {
    filter = std::make_unique<Filter>(syuuhasuu1, syuuhasuuH1, LPF1, HPF1);
}

void FileReader::syokika() {
    BlockNum = 0;
    NowBlock = 0;
    BackTyuu = false;
    syokikaAry();
    for (int c = 0; c < kChannels; ++c) {
        std::fill_n(SpikeData[c], binsUsed_, static_cast<std::int16_t>(0));
        std::fill_n(EPAmpData[c], epUsed_, static_cast<std::int16_t>(0));
        std::fill_n(TimeStampData[c], stampsUsed_[c], 0);
        stampsUsed_[c] = 0;
        spikeCount[c] = 0;
    }
    std::fill_n(spikeTime, binsUsed_, 0.0);
    std::fill_n(epKeikaTime, epUsed_, 0.0);
    std::fill_n(OffsetAry, tracesUsed_, 0.0);
    binsUsed_ = epUsed_ = tracesUsed_ = 0;
    spikeIndex = 0;
    EpIndex = 0;
    NowSeleIndex = 0;
    analysedEnd_ = 0;
    notices_ = {};
    FreqDrawTiming = true;
}

void FileReader::syokikaAry() {
    BlockNum = 0;
    for (int c = 0; c < kChannels; ++c) {
        for (int slot = 0; slot < kWindowBlocks; ++slot) {
            std::fill_n(chAry[c] + slot * kBlockScans, slotScans_[c][slot], 0.0);
            slotScans_[c][slot] = 0;
        }
    }
    DrawChartMaxIndex = 0;
    resetHistory();
}

void FileReader::resetHistory() {
    for (int c = 0; c < kChannels; ++c) {
        double* base = selectChAryStorage_.get() + static_cast<std::size_t>(c) * kHistoryCapacity;
        std::fill_n(base, historyUsed_[c], 0.0);
        historyUsed_[c] = 0;
        selectChAry[c] = base;
    }
    historyStart_ = 0;
    selectChdataIndex = 0;
    DrawSelectChMaxIndex = 0;
}

bool FileReader::blockHeaderAt(std::int32_t n, pldat::BlockHeaderFields& header) const {
    return loadHeader(n, header);
}

bool FileReader::loadHeader(std::int32_t n, pldat::BlockHeaderFields& header) const {
    if (!FileSetOn || n < 0 || n >= AllBlock) return false;
    std::uint8_t bytes[pldat::kBlockHeaderBytes];
    if (!file_.readAt(index_->position(n), bytes, sizeof bytes)) return false;
    pldat::decodeBlockHeader(bytes, header);
    // The walk at read() judged this header; a file changed since is not trusted.
    return pldat::blockHeaderProblem(header, AC).empty();
}

bool FileReader::loadBlock(std::int32_t n, bool whole, pldat::BlockHeaderFields& header, std::int32_t& keptScans) {
    keptScans = 0;
    if (!FileSetOn || n < 0 || n >= AllBlock) return false;
    const std::uint64_t position = index_->position(n);
    std::uint8_t* raw = raw_.get();
    if (!file_.readAt(position, raw, pldat::kBlockHeaderBytes)) return false;
    pldat::decodeBlockHeader(raw, header);
    if (!pldat::blockHeaderProblem(header, AC).empty()) return false;
    std::uint8_t* samples = raw + pldat::kBlockHeaderBytes;
    if (!file_.readAt(position + pldat::kBlockHeaderBytes, samples, static_cast<std::size_t>(header.sampleByteCount)))
        return false;

    clearBlock();
    const std::int32_t first = whole ? 0 : std::max(KaisiPoint, 0);
    const std::int32_t end = whole ? header.samplesPerChannel : std::min(OwariPoint, header.samplesPerChannel);
    if (end <= first) return true;
    keptScans = end - first;
    for (int c = 0; c < kChannels; ++c) channelScans_[c] = ACary[c] == 1 ? keptScans : 0;
    const std::uint8_t* in = samples + static_cast<std::size_t>(first) * AC * 2;
    unpackScans(in, keptScans, AC, slotOfValue_, conversionFactor, block_.get());
    return true;
}

void FileReader::takeHeader(const pldat::BlockHeaderFields& header, bool forReplay) {
    traceNumberIndex = header.traceIndex;
    traceBlockNumberIndex = header.blockIndex;
    traceOffsetTime = header.traceStartMs;
    blockOffsetTime = header.blockOffsetMs;
    if (!forReplay) return;
    if (traceNumberIndex >= 0 && traceNumberIndex < kMaxTraces) {
        OffsetAry[traceNumberIndex] = traceOffsetTime;
        tracesUsed_ = std::max(tracesUsed_, traceNumberIndex + 1);
    }
    // The display buffers hold the current trace only.
    if (header.firstBlock == 1) syokikaAry();
}

bool FileReader::readHeader() {
    pldat::BlockHeaderFields header;
    if (!loadHeader(NowBlock, header)) return false;
    takeHeader(header, true);
    return true;
}

void FileReader::filterBlock(Filter& f) {
    // The whole block, the zeros after the kept scans too.
    if (!f.isOn()) return;
    f.filterScans(block_.get(), kBlockScans);
    std::fill_n(channelScans_, kChannels, kBlockScans);
}

void FileReader::clearBlock() {
    const std::int32_t scans = channelScans_[0];
    if (std::all_of(channelScans_, channelScans_ + kChannels, [&](std::int32_t n) { return n == scans; })) {
        std::fill_n(block_.get(), static_cast<std::size_t>(scans) * kChannels, 0.0);
    } else {
        for (int c = 0; c < kChannels; ++c) fillChannel(block_.get() + c, channelScans_[c], 0.0);
    }
    std::fill_n(channelScans_, kChannels, 0);
}

void FileReader::copyBlockToAryData() {
    // A file of few channels fills few of the sixteen: copy those, and clear
    // the ones the previous block had filled.
    const std::int32_t scans = channelScans_[0];
    if (std::all_of(channelScans_, channelScans_ + kChannels, [&](std::int32_t n) { return n == scans; })) {
        std::copy_n(block_.get(), static_cast<std::size_t>(scans) * kChannels, aryData);
        double* after = aryData + static_cast<std::size_t>(scans) * kChannels;
        for (int c = 0; c < kChannels; ++c) fillChannel(after + c, aryDataScans_[c] - scans, 0.0);
    } else {
        for (int c = 0; c < kChannels; ++c)
            copyChannel(aryData + c, block_.get() + c, std::max(channelScans_[c], aryDataScans_[c]));
    }
    std::copy_n(channelScans_, kChannels, aryDataScans_);
}

bool FileReader::readThresholdData() {
    pldat::BlockHeaderFields header;
    std::int32_t kept = 0;
    if (!loadBlock(NowBlock, true, header, kept)) return false;
    takeHeader(header, false);
    copyBlockToAryData();
    filterBlock(*filter);
    pushWindowBack();
    ++BlockNum;
    ++NowBlock;
    return true;
}

void FileReader::setLastReplayBlock() {
    const std::int64_t blocksPerTrace = ceilBlocks(DurationMax);
    const std::int64_t endBlock = ceilBlocks(static_cast<double>(msto1));
    lastblock = clampToInt32((static_cast<std::int64_t>(traceto1) - 1) * blocksPerTrace + endBlock);
}

bool FileReader::isLastBlockReplay() const { return NowBlock >= lastblock || NowBlock >= AllBlock; }

std::int32_t FileReader::getKeikaTimeSec() const {
    return korin::truncToInt32((blockOffsetTime + traceOffsetTime) / 1000.0);
}
