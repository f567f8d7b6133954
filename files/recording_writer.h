// The .pldat recording format as written: the 123-byte file header, the 39-byte
// block header and 16-bit samples, all little-endian with no padding, and the
// append-only stream that puts them on disk one whole block at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace pldat {

inline constexpr std::size_t kFileHeaderBytes = 123;
inline constexpr std::size_t kBlockHeaderBytes = 39;
inline constexpr std::size_t kChannelFlagBytes = 64;
inline constexpr int kPresentChannels = 16;
inline constexpr int kBytesPerScan = kPresentChannels * 2;
inline constexpr std::uint8_t kFixedByte = 1;  // meaning unknown; readers ignore it
inline constexpr double kSampleRate = 20000.0;
// Stored as is, never derived from the machine's zone.
inline constexpr std::int16_t kTimeZoneMinutes = 540;
inline constexpr std::uint8_t kNoStep = 255;
inline constexpr double kBlockMs = 500.0;
inline constexpr int kReadsPerBlock = 10;  // a block is read in ten reads of 1000 scans
inline constexpr int kScansPerRead = 1000;
// A read lasts 0.05 s as single precision holds it (0.05000000074505806), so a
// remaining 0.2 s gives 3.99999994 reads, rounded to 4.
inline constexpr double kReadSeconds = static_cast<double>(0.05f);

// Reads of the block that starts with `remainingSeconds` of its trace left:
// the remaining time over kReadSeconds, halves to even, 0 to kReadsPerBlock.
// A block holds that many reads of scans, so the last block of a trace whose
// duration is not a multiple of 0.5 s is short.
int readsForRemaining(double remainingSeconds);

// The 16-bit count a file stores for `mV`: mV x shortRate truncated toward
// zero, saturating at -32768 and 32767 beyond full scale.
std::int16_t countOf(double mV, double shortRate);

struct FileHeader {
    std::int32_t traceCount = 0;
    std::int32_t blocksPerTrace = 0;
    double sampleRate = kSampleRate;
    double traceDurationMs = 0;
    double inputRangeMicrovolts = 0;
    double conversionFactor = 0;  // mV per count
    std::int16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::int32_t timeOfDayMs = 0;
    std::int64_t startTicks = 0;  // 100 ns ticks since 0001-01-01
};

struct BlockHeader {
    std::int32_t traceIndex = 0;
    std::int32_t blockIndex = 0;
    double traceStartMs = 0;
    double blockOffsetMs = 0;
    std::int32_t samplesPerChannel = 0;
    std::uint8_t firstBlock = 0;
    std::uint8_t lastBlock = 0;
    std::int32_t loopNumber = 0;
    std::uint8_t step = kNoStep;
};

// Serialises the headers byte-exactly into `out`.
void encodeFileHeader(const FileHeader& header, std::uint8_t out[kFileHeaderBytes]);
void encodeBlockHeader(const BlockHeader& header, std::uint8_t out[kBlockHeaderBytes]);

}  // namespace pldat

// Append-only binary file. Data go to a buffer and reach the file at commit(),
// one record (header, block) at a time, so a failed write can be rolled back to
// the end of the last whole record: a file cut short by a full disk still holds
// every block written before. After a failure the stream writes nothing more.
class RecordingStream {
public:
    // Room for a file header or one full block with its header, in one write.
    static constexpr std::size_t kBufferBytes = 512 * 1024;
    static constexpr int kMaxCopyNumber = 9999;

    RecordingStream() = default;
    ~RecordingStream();
    RecordingStream(const RecordingStream&) = delete;
    RecordingStream& operator=(const RecordingStream&) = delete;

    // Creates `path` for writing. An existing file is never truncated: the first
    // free name of path_2, path_3, ... (numbered before the extension) is taken
    // instead. A device node (/dev/null) is written as given. False on failure,
    // with the reason in errorText().
    bool create(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    // The name actually created.
    const std::string& path() const { return path_; }

    void append(const void* bytes, std::size_t size);
    // Appends `count` mV values as little-endian 16-bit counts, mV x shortRate
    // truncated toward zero; beyond full scale they saturate at -32768 and 32767.
    void appendCounts(const double* values, std::size_t count, double shortRate);
    // Appends `count` counts already made (countOf) as little-endian 16-bit values.
    void appendCounts(const std::int16_t* counts, std::size_t count);
    // Writes out everything appended since the last commit. On failure rolls the
    // file back to its last committed length, keeps the reason and returns false.
    bool commit();
    // Closes the file (a pending uncommitted tail is dropped) and forgets it.
    void close();

    bool failed() const { return failed_; }
    const std::string& errorText() const { return error_; }
    std::uint64_t committedBytes() const { return committed_; }

private:
    bool flushPending();
    void fail(const std::string& what, int err);

    int fd_ = -1;
    std::string path_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t used_ = 0;
    std::uint64_t written_ = 0;    // bytes handed to the file so far
    std::uint64_t committed_ = 0;  // file length at the last successful commit
    bool failed_ = false;
    std::string error_;
};
