// Replay of one recording file: learns the layout from the headers, then
// delivers the recording one 500 ms block at a time, forward or one step back.
// A forward block is converted to mV, cut to the sample window, filtered,
// handed to export, written into the buffers the views draw from and, the
// first time it is seen, analysed (spikes, one-second bins, time stamps, and
// the evoked potential of a trace's first block).
//
// The window owns one reader per open file, sets the public input fields
// before each call and reads the output buffers directly. Every buffer is
// allocated once by the constructor with sizes fixed by the system, never by
// what a file says. Single-threaded.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "files/block_index.h"
#include "processing/detect_spike.h"
#include "processing/filter.h"
#include "processing/series.h"

class ExportWriter;
class FileReader;

// Receives the blocks read forward while export is on (`rectf`); `scans` is
// the number of scans the sample window keeps, packed at the front of
// `reader.aryData`.
class ReplayExporter {
public:
    virtual ~ReplayExporter() = default;
    virtual void WriteBinary(const FileReader& reader, int scans) = 0;
    virtual void WriteCSV(const FileReader& reader, int scans) = 0;
};

class FileReader {
public:
    static constexpr int kChannels = 16;
    static constexpr int kBlockScans = 10'000;
    static constexpr int kBlockValues = kBlockScans * kChannels;
    static constexpr int kWindowBlocks = 5;
    static constexpr int kChAryLength = kWindowBlocks * kBlockScans;  // 2.5 s
    static constexpr int kSelectChAryLength = 200'000;                // 10 s
    static constexpr int kMaxBins = korin::kMaxBins;
    static constexpr int kMaxTraces = kMaxBins;  // every trace opens a bin
    static constexpr int kMaxTimeStamps = korin::kMaxTimeStamps;
    static constexpr double kBlockMs = korin::kBlockMs;

    FileReader();
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // Opens `path` for reading. False (with errorText()) if it cannot be opened.
    bool open(const std::string& path);
    // Parses the file header and the first block header and indexes every whole
    // block. False (with errorText(), the file closed, FileSetOn false) when the
    // file is too short or its headers make no sense; a tail cut mid-block is
    // ignored.
    bool read();
    // Closes the file if one is set.
    void Close();
    const std::string& errorText() const { return error_; }

    // Replaces the replay filter (cut-offs in Hz, switches 0 = off).
    void setFilter(float syuuhasuu1, float syuuhasuuH1, std::int32_t LPF1, std::int32_t HPF1);
    // Full reset before a replay starts at block 0.
    void syokika();
    // Clears the display buffers at the start of a trace.
    void syokikaAry();

    // Reads the header of block NowBlock without its samples; a trace's first
    // block clears the display buffers. False when there is no such block.
    bool readHeader();
    // Reads block NowBlock forward and processes it; false (nothing changed but
    // the position after a step back) past the last block.
    bool readData();
    // Reads block NowBlock whole into the sixteen-channel window for the
    // threshold estimate: filtered, not analysed, not exported.
    bool readThresholdData();
    // Moves NowBlock to the block before the window: 1 if there is one, else 0
    // with the position unchanged.
    std::int32_t backBlock();
    // Reads block NowBlock as a step back, prepended to the sixteen-channel window.
    bool backSkip();
    // lastblock from the replay range (traceto1, msto1) and the trace duration.
    void setLastReplayBlock();
    bool isLastBlockReplay() const;
    // Start of the newest block in the window, in whole seconds of the run.
    std::int32_t getKeikaTimeSec() const;

    // Layout of the open file: headers as read, and the whole blocks found.
    const pldat::FileLayout& layout() const { return layout_; }
    const pldat::BlockIndex& blockIndex() const { return *index_; }
    // The header of block n (0-based over the file); false if unreadable.
    bool blockHeaderAt(std::int32_t n, pldat::BlockHeaderFields& header) const;
    // Whether `path` names the open recording itself, under whatever name.
    bool isReading(const std::string& path) const { return file_.isSameFile(path); }

    // --- File and layout (set by read) ---
    std::int32_t TraceMax = 0;
    std::int32_t MaxBlock = 0;
    double DurationMax = 0;
    double conversionFactor = 0;
    std::uint8_t ACary[64] = {};
    std::int32_t AC = 0;
    std::uint8_t chIndex[64] = {};
    std::int32_t point = 0;
    std::int32_t perBlockSize = 0;
    std::int32_t AllBlock = 0;
    std::int32_t StepMax = 0;
    bool FileSetOn = false;
    double* OffsetAry;  // kMaxTraces entries

    // --- Position and window ---
    std::int32_t NowBlock = 0;
    std::int32_t BlockNum = 0;
    bool BackTyuu = false;
    std::int32_t traceNumberIndex = 0;
    std::int32_t traceBlockNumberIndex = 0;
    double traceOffsetTime = 0;
    double blockOffsetTime = 0;
    std::int32_t KaisiPoint = 0;
    std::int32_t OwariPoint = kBlockScans;
    std::int32_t tracefrom1 = 1;
    std::int32_t traceto1 = 1;
    std::int32_t msfrom1 = 0;
    std::int32_t msto1 = 0;
    std::int32_t lastblock = 0;
    std::int32_t NowSeleIndex = 0;

    // --- Processing inputs (the window's arrays once it sets them) ---
    std::unique_ptr<Filter> filter;
    DetectSpike detectspike;
    float* Pthre;
    float* Mthre;
    float* Postthre;
    float* EPline1;
    float* EPline2;
    std::uint8_t* ACSelectary;
    std::int32_t selectch = 0;
    bool rectf = false;
    bool csvExportOn = false;
    bool shortExportOn = false;
    ReplayExporter* exporter = nullptr;

    // --- Export files, for the format of shortExportOn (else CSV) ---
    // Short: creates path + ".bin" and writes path + ".hdr"; CSV: creates `path`
    // with its header line. The reader's own writer becomes `exporter`. False
    // (with exportErrorText()) when the files cannot be created.
    bool fileopen(const std::string& path);
    void WriteBinary(std::int32_t scans);
    void WriteCSV(std::int32_t scans);
    // Closes the export files; false if a write failed since fileopen.
    bool fileclose();
    bool exportFailed() const;
    // The last fileopen refused an output that is a recording; nothing was written.
    bool exportRefused() const;
    std::string exportErrorText() const;
    std::shared_ptr<ExportWriter> exportWriter;  // made by the first fileopen

    // --- Output buffers ---
    double* chAry[kChannels];  // kChAryLength each, oldest slot first
    double* aryTempch;         // kChAryLength
    double* aryData;           // kBlockValues: channel c of scan k at 16 k + c
    std::int32_t DrawChartMaxIndex = 0;
    // kSelectChAryLength each, oldest sample first. The pointers move as the
    // history scrolls: read them afresh for every drawing.
    double* selectChAry[kChannels];
    std::int32_t selectChdataIndex = 0;
    std::int32_t DrawSelectChMaxIndex = 0;
    std::int16_t* SpikeData[kChannels];  // kMaxBins each
    double* spikeTime;                   // kMaxBins
    double spikeIndex = 0;
    std::int32_t* TimeStampData[kChannels];  // kMaxTimeStamps each
    std::int32_t spikeCount[kChannels] = {};
    std::int16_t* EPAmpData[kChannels];  // kMaxBins each
    double* epKeikaTime;                 // kMaxBins
    std::int32_t EpIndex = 0;
    bool DrawTyuu = false;
    bool FreqDrawTiming = true;

private:
    friend struct FileReaderStorage;  // tests: the whole of the private buffers

    struct FreeDeleter {
        void operator()(void* p) const { std::free(p); }
    };
    template <typename T>
    using Storage = std::unique_ptr<T[], FreeDeleter>;
    template <typename T>
    static Storage<T> zeroedStorage(std::size_t count);

    // The history is a sliding view into a longer array, so scrolling it moves
    // a start offset and the samples are compacted only once in a while.
    static constexpr int kHistorySlack = 10 * kBlockScans;
    static constexpr int kHistoryCapacity = kSelectChAryLength + kHistorySlack;

    // Header of block n; false if the block does not exist or cannot be read.
    bool loadHeader(std::int32_t n, pldat::BlockHeaderFields& header) const;
    // Header and samples of block n into block_: the scans of the sample window
    // (all scans when `whole`) packed at the front, zeros after them.
    bool loadBlock(std::int32_t n, bool whole, pldat::BlockHeaderFields& header, std::int32_t& keptScans);
    // The header fields every read keeps; `forReplay` also clears the display
    // at a trace's first block and remembers the trace start.
    void takeHeader(const pldat::BlockHeaderFields& header, bool forReplay);
    void filterBlock(Filter& f);
    bool isSelected(int c) const { return ACSelectary[c] != 0; }
    bool selectedChannelShown() const;
    std::int32_t analysedEnd() const;

    // Forward: the block becomes the newest slot of the sixteen-channel window.
    void pushWindowBack();
    // Back: the block becomes the oldest slot.
    void pushWindowFront();
    void appendHistory(std::int32_t scans);
    void analyse(const pldat::BlockHeaderFields& header);
    void measureEvokedPotential();
    void resetHistory();
    // Slot `slot` of chAry[c] becomes `scans` values of channel c of `block`
    // (scan stride 16), zeros after them.
    void writeSlot(int c, int slot, const double* block, std::int32_t scans);
    // Slot `from` of chAry[c] is copied over slot `to`.
    void moveSlot(int c, int from, int to);
    // Copies block_ to aryData, whose old contents beyond the block become 0.
    void copyBlockToAryData();
    // Zeroes block_ where it may hold values.
    void clearBlock();

    pldat::ReadOnlyFile file_;
    pldat::FileLayout layout_;
    std::unique_ptr<pldat::BlockIndex> index_;
    std::string error_;
    // Scan position j of the file's values -> channel slot 0..15, or -1.
    std::int8_t slotOfValue_[64] = {};
    std::int32_t analysedEnd_ = 0;  // one past the last block analysed
    std::int32_t historyStart_ = 0;  // offset of selectChAry[c] in its storage
    std::optional<Filter> backFilter_;
    korin::FullNotices notices_;

    // Leading parts of the buffers that may hold non-zero values (everything
    // after them is 0), so a reset clears, and a block copies and scans, only
    // what was written: a short block costs what it holds, not 10 000 scans.
    std::int32_t channelScans_[kChannels] = {};  // of channel c in block_ (0 for a channel not in the file)
    std::int32_t aryDataScans_[kChannels] = {};  // of channel c in aryData
    std::int32_t slotScans_[kChannels][kWindowBlocks] = {};  // of each 10 000-scan slot of chAry[c]
    std::int32_t historyUsed_[kChannels] = {};  // of each channel's kHistoryCapacity
    std::int32_t binsUsed_ = 0;
    std::int32_t epUsed_ = 0;
    std::int32_t stampsUsed_[kChannels] = {};
    std::int32_t tracesUsed_ = 0;

    float defaultPthre_[kChannels] = {};
    float defaultMthre_[kChannels] = {};
    float defaultPostthre_[kChannels] = {};
    float defaultEPline1_[kChannels] = {};
    float defaultEPline2_[kChannels] = {};
    std::uint8_t defaultSelection_[kChannels];

    Storage<std::uint8_t> raw_;  // one block as stored: header and samples
    Storage<double> block_;      // kBlockValues: the block being processed
    Storage<double> chAryStorage_;
    Storage<double> selectChAryStorage_;
    Storage<double> aryTempchStorage_;
    Storage<double> aryDataStorage_;
    Storage<std::int16_t> spikeDataStorage_;
    Storage<double> spikeTimeStorage_;
    Storage<std::int32_t> timeStampStorage_;
    Storage<std::int16_t> epAmpStorage_;
    Storage<double> epKeikaTimeStorage_;
    Storage<double> offsetStorage_;
};
