// Reading side of the .pldat layout: decoding the file and block headers,
// judging whether they make sense, and locating every whole block by walking
// the block headers once. Blocks need not be of equal size: a trace whose
// duration is not a multiple of 500 ms ends with a short block, and each
// header's last field says how many sample bytes follow it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "files/recording_writer.h"

namespace pldat {

inline constexpr int kMaxBlockScans = 10000;
inline constexpr int kShownChannels = 16;  // channels a reader can show
inline constexpr std::uint8_t kNoScanPosition = 255;
inline constexpr std::uint64_t kMinFileBytes = kFileHeaderBytes + kBlockHeaderBytes;
// Largest sample data of one block: a full block with every channel flag set.
inline constexpr std::size_t kMaxBlockDataBytes =
    static_cast<std::size_t>(kMaxBlockScans) * kChannelFlagBytes * 2;

struct FileHeaderFields {
    std::int32_t traceCount = 0;
    std::int32_t blocksPerTrace = 0;
    std::uint8_t fixedByte = 0;
    double sampleRate = 0;
    double traceDurationMs = 0;
    double inputRangeMicrovolts = 0;
    double conversionFactor = 0;  // mV per count
    std::uint8_t channelFlags[kChannelFlagBytes] = {};
    std::int16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::int32_t timeOfDayMs = 0;
    std::int16_t timeZoneMinutes = 0;
    std::int64_t startTicks = 0;
};

struct BlockHeaderFields : BlockHeader {
    std::int32_t sampleByteCount = 0;
};

void decodeFileHeader(const std::uint8_t bytes[kFileHeaderBytes], FileHeaderFields& out);
void decodeBlockHeader(const std::uint8_t bytes[kBlockHeaderBytes], BlockHeaderFields& out);

// Number of channel flags equal to 1 among all 64: the values per scan.
int presentChannelCount(const FileHeaderFields& header);

// Why a file header cannot be read, or an empty text when it can.
std::string fileHeaderProblem(const FileHeaderFields& header);
// Why a block header cannot be read with `presentChannels` values per scan, or empty.
std::string blockHeaderProblem(const BlockHeaderFields& header, int presentChannels);

// A file opened read-only for positioned reads; 64-bit offsets throughout.
class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Opens `path`; false with the reason in `error`. A directory is refused.
    bool open(const std::string& path, std::string& error);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    std::uint64_t length() const { return length_; }
    // Reads exactly `size` bytes at `offset`; false if the file ends first or fails.
    bool readAt(std::uint64_t offset, void* out, std::size_t size) const;
    // Whether `path` names this open file under any name (same device and inode).
    bool isSameFile(const std::string& path) const;

private:
    int fd_ = -1;
    std::uint64_t length_ = 0;
};

// The parts of a file that decide how it is read: its file header and the
// header of its first block, both judged sound.
struct FileLayout {
    FileHeaderFields header;
    BlockHeaderFields firstBlock;
    int presentChannels = 0;
    std::uint64_t fileLength = 0;
};

// Reads and judges the file header and the first block header; false with a
// message meant for the user in `error`.
bool readLayout(const ReadOnlyFile& file, FileLayout& layout, std::string& error);

// Byte positions of the whole blocks of a file. Capacity is fixed: the replay
// buffers hold 48 hours of analysis, so no longer file can be replayed whole.
class BlockIndex {
public:
    static constexpr int kMaxBlocks = 345'600;  // 48 hours of 500 ms blocks

    enum class End {
        FileEnd,     // the last block ends exactly at the end of the file
        CutTail,     // bytes after the last whole block: a header or samples cut short
        BadHeader,   // a block header that makes no sense; nothing after it is read
        Capacity,    // more blocks than kMaxBlocks
    };

    // Called for every whole block found, in file order.
    using Visitor = std::function<void(int block, std::uint64_t position, const BlockHeaderFields& header)>;

    BlockIndex();

    // Walks the block headers from the end of the file header. Returns the
    // number of whole blocks found.
    int build(const ReadOnlyFile& file, const FileLayout& layout, const Visitor& visit = nullptr);

    int count() const { return count_; }
    std::uint64_t position(int block) const { return positions_[block]; }
    End end() const { return end_; }
    // Bytes after the last whole block (0 when the file ends with one).
    std::uint64_t trailingBytes() const { return trailingBytes_; }
    // For End::BadHeader: where the header starts and what is wrong with it.
    std::uint64_t badHeaderPosition() const { return badHeaderPosition_; }
    const std::string& badHeaderReason() const { return badHeaderReason_; }

private:
    std::unique_ptr<std::uint64_t[]> positions_;
    int count_ = 0;
    End end_ = End::FileEnd;
    std::uint64_t trailingBytes_ = 0;
    std::uint64_t badHeaderPosition_ = 0;
    std::string badHeaderReason_;
};

}  // namespace pldat
