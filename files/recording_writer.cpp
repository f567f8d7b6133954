#include "files/recording_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "acquisition/acquisition_ni.h"
#include "acquisition/rounding.h"
#include "acquisition/timer.h"
#include "files/fd_write.h"
#include "files/file_naming.h"

static_assert(sizeof(off_t) >= 8, "recordings pass 2 GB: file positions must be 64-bit");

namespace pldat {

int readsForRemaining(double remainingSeconds) {
    const double n = korin::roundHalfEven(remainingSeconds / kReadSeconds);
    if (!(n > 0)) return 0;
    return n >= kReadsPerBlock ? kReadsPerBlock : static_cast<int>(n);
}

std::int16_t countOf(double mV, double shortRate) { return korin::truncToInt16(mV * shortRate); }

namespace {

// Little-endian field writer over a fixed-size header buffer.
class FieldWriter {
public:
    explicit FieldWriter(std::uint8_t* out) : p_(out) {}
    void u8(std::uint8_t v) { *p_++ = v; }
    void i16(std::int16_t v) { le(static_cast<std::uint16_t>(v), 2); }
    void i32(std::int32_t v) { le(static_cast<std::uint32_t>(v), 4); }
    void i64(std::int64_t v) { le(static_cast<std::uint64_t>(v), 8); }
    void f64(double v) { le(std::bit_cast<std::uint64_t>(v), 8); }
    void fill(std::uint8_t v, std::size_t n) {
        std::memset(p_, v, n);
        p_ += n;
    }
    std::uint8_t* position() const { return p_; }

private:
    void le(std::uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) *p_++ = static_cast<std::uint8_t>(v >> (8 * i));
    }
    std::uint8_t* p_;
};

}  // namespace

void encodeFileHeader(const FileHeader& h, std::uint8_t out[kFileHeaderBytes]) {
    FieldWriter w(out);
    w.i32(h.traceCount);
    w.i32(h.blocksPerTrace);
    w.u8(kFixedByte);
    w.f64(h.sampleRate);
    w.f64(h.traceDurationMs);
    w.f64(h.inputRangeMicrovolts);
    w.f64(h.conversionFactor);
    w.fill(1, kPresentChannels);
    w.fill(0, kChannelFlagBytes - kPresentChannels);
    w.i16(h.year);
    w.u8(h.month);
    w.u8(h.day);
    w.i32(h.timeOfDayMs);
    w.i16(kTimeZoneMinutes);
    w.i64(h.startTicks);
}

void encodeBlockHeader(const BlockHeader& h, std::uint8_t out[kBlockHeaderBytes]) {
    FieldWriter w(out);
    w.i32(h.traceIndex);
    w.i32(h.blockIndex);
    w.f64(h.traceStartMs);
    w.f64(h.blockOffsetMs);
    w.i32(h.samplesPerChannel);
    w.u8(h.firstBlock);
    w.u8(h.lastBlock);
    w.i32(h.loopNumber);
    w.u8(h.step);
    w.i32(h.samplesPerChannel * kBytesPerScan);
}

}  // namespace pldat

// ---------------------------------------------------------------------------
// RecordingStream

RecordingStream::~RecordingStream() { close(); }

bool RecordingStream::create(const std::string& path) {
    close();
    failed_ = false;
    error_.clear();
    used_ = written_ = committed_ = 0;
    if (!buffer_) buffer_ = std::make_unique<std::uint8_t[]>(kBufferBytes);

    for (int n = 1; n <= kMaxCopyNumber; ++n) {
        const std::string candidate = numberedPath(path, n);
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST && n == 1) {
            struct stat st{};
            if (::stat(candidate.c_str(), &st) == 0 && S_ISCHR(st.st_mode))
                fd = ::open(candidate.c_str(), O_WRONLY | O_CLOEXEC);
            else
                errno = EEXIST;
        }
        if (fd >= 0) {
            fd_ = fd;
            path_ = candidate;
            return true;
        }
        if (errno != EEXIST) {
            fail("cannot create " + candidate, errno);
            return false;
        }
    }
    error_ = "cannot create " + path + ": no free numbered name";
    failed_ = true;
    return false;
}

void RecordingStream::append(const void* bytes, std::size_t size) {
    if (fd_ < 0 || failed_) return;
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    while (size > 0) {
        if (used_ == kBufferBytes && !flushPending()) return;
        const std::size_t n = std::min(size, kBufferBytes - used_);
        std::memcpy(buffer_.get() + used_, p, n);
        used_ += n;
        p += n;
        size -= n;
    }
}

void RecordingStream::appendCounts(const double* values, std::size_t count, double shortRate) {
    if (fd_ < 0 || failed_) return;
    while (count > 0) {
        if (kBufferBytes - used_ < 2 && !flushPending()) return;
        const std::size_t n = std::min(count, (kBufferBytes - used_) / 2);
        std::uint8_t* out = buffer_.get() + used_;
        for (std::size_t i = 0; i < n; ++i) {
            const auto v = static_cast<std::uint16_t>(pldat::countOf(values[i], shortRate));
            out[2 * i] = static_cast<std::uint8_t>(v);
            out[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
        }
        used_ += 2 * n;
        values += n;
        count -= n;
    }
}

void RecordingStream::appendCounts(const std::int16_t* counts, std::size_t count) {
    static_assert(std::endian::native == std::endian::little, "counts are appended as they lie in memory");
    append(counts, count * sizeof(std::int16_t));
}

bool RecordingStream::commit() {
    if (fd_ < 0 || failed_) return false;
    if (!flushPending()) return false;
    committed_ = written_;
    return true;
}

void RecordingStream::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    used_ = 0;
}

bool RecordingStream::flushPending() {
    if (!korin::writeAll(fd_, buffer_.get(), used_, written_)) {
        const int err = errno;
        // Cut a partly written record off so the file ends on a whole block.
        if (written_ > committed_) (void)::ftruncate(fd_, static_cast<off_t>(committed_));
        fail("cannot write " + path_, err);
        return false;
    }
    used_ = 0;
    return true;
}

void RecordingStream::fail(const std::string& what, int err) {
    failed_ = true;
    used_ = 0;
    error_ = what + ": " + std::strerror(err);
}

// ---------------------------------------------------------------------------
// Writer operations of the acquisition engine

namespace {

pldat::FileHeader headerFromClock(const Timer& clock, double inputRange, double shortRate) {
    pldat::FileHeader h;
    h.inputRangeMicrovolts = inputRange;
    h.conversionFactor = 1.0 / shortRate;
    h.year = clock.getYear();
    h.month = static_cast<std::uint8_t>(clock.getMonth());
    h.day = static_cast<std::uint8_t>(clock.getDay());
    h.timeOfDayMs = clock.getMsecStartTime();
    h.startTicks = clock.getDate();
    return h;
}

int openWithHeader(RecordingStream& stream, const std::string& path, const pldat::FileHeader& header) {
    if (!stream.create(path)) return 1;
    std::uint8_t bytes[pldat::kFileHeaderBytes];
    pldat::encodeFileHeader(header, bytes);
    stream.append(bytes, sizeof bytes);
    return stream.commit() ? 0 : 1;
}

void writeSamples(RecordingStream& stream, const double* block, int datapoints, double shortRate) {
    if (!stream.isOpen() || stream.failed()) return;
    datapoints = std::clamp(datapoints, 0, AcquisitionNI::kBlockScans);
    stream.appendCounts(block, static_cast<std::size_t>(datapoints) * AcquisitionNI::kChannels, shortRate);
    if (!stream.commit()) {
        std::printf("File write error: %s\n", stream.errorText().c_str());
        std::fflush(stdout);
    }
}

}  // namespace

int AcquisitionNI::fileopen(const std::string& path) {
    if (!pldatExportOn) return 0;
    file.close();
    if (!timer) return 1;
    pldat::FileHeader h = headerFromClock(*timer, INPUTRANGE, shortRate);
    // "# Repeat" 0 or below records one trace, and the file says so.
    h.traceCount = std::max(1, korin::truncToInt32(timer->getTraceMax()));
    h.blocksPerTrace = korin::truncToInt32(timer->getBlockMax());
    h.traceDurationMs = timer->getTimemMaxmsec();
    return openWithHeader(file, path, h);
}

int AcquisitionNI::fileopenManual(const std::string& path, int blocks, int stimulusMs, const Timer& clock) {
    if (!pldatExportOn) return 0;
    fileM.close();
    pldat::FileHeader h = headerFromClock(clock, INPUTRANGE, shortRate);
    h.traceCount = 1;
    h.blocksPerTrace = blocks;
    h.traceDurationMs = stimulusMs;
    return openWithHeader(fileM, path, h);
}

pldat::BlockHeader AcquisitionNI::blockHeaderFor(int datapoints, int blocknum) const {
    pldat::BlockHeader h;
    if (!timer) return h;
    h.traceIndex = korin::truncToInt32(timer->getnowtrace());
    h.blockIndex = blocknum;
    h.traceStartMs = timer->getTraceOffsetMsec();
    h.blockOffsetMs = timer->getBlockOffsetMsec();
    h.samplesPerChannel = std::clamp(datapoints, 0, kBlockScans);
    h.firstBlock = blocknum == 0 ? 1 : 0;
    h.lastBlock = static_cast<std::uint8_t>(timer->getLastBlock(blocknum));
    h.loopNumber = timer->getLoop();
    h.step = timer->getStep();
    return h;
}

void AcquisitionNI::WriteBlockHeader(int datapoints, int blocknum) {
    if (!pldatExportOn || !timer || !file.isOpen()) return;
    std::uint8_t bytes[pldat::kBlockHeaderBytes];
    pldat::encodeBlockHeader(blockHeaderFor(datapoints, blocknum), bytes);
    file.append(bytes, sizeof bytes);
}

void AcquisitionNI::WriteBinary(int datapoints) {
    makeBlockCounts(datapoints);
    WriteBlockCounts();
}

void AcquisitionNI::WriteBlockCounts() {
    // Same condition as the block header, so samples never go out without one.
    if (!pldatExportOn || !timer || !file.isOpen() || file.failed()) return;
    file.appendCounts(blockCounts_.get(), static_cast<std::size_t>(countedScans_) * kChannels);
    if (!file.commit()) {
        std::printf("File write error: %s\n", file.errorText().c_str());
        std::fflush(stdout);
    }
}

void AcquisitionNI::makeBlockCounts(int scans) {
    countedScans_ = std::clamp(scans, 0, kBlockScans);
    const std::size_t values = static_cast<std::size_t>(countedScans_) * kChannels;
    for (std::size_t i = 0; i < values; ++i) blockCounts_[i] = pldat::countOf(aryData[i], shortRate);
}

void AcquisitionNI::WriteBlockHeaderManual(int datapoints, int blocknum) {
    if (!pldatExportOn || !fileM.isOpen()) return;
    pldat::BlockHeader h;
    h.traceIndex = 0;
    h.blockIndex = blocknum;
    h.traceStartMs = 0.0;
    h.blockOffsetMs = blocknum * pldat::kBlockMs;
    h.samplesPerChannel = std::clamp(datapoints, 0, kBlockScans);
    h.firstBlock = blocknum == 0 ? 1 : 0;
    h.lastBlock = 0;
    h.loopNumber = 0;
    h.step = 0;
    std::uint8_t bytes[pldat::kBlockHeaderBytes];
    pldat::encodeBlockHeader(h, bytes);
    fileM.append(bytes, sizeof bytes);
}

void AcquisitionNI::WriteBinaryManual(int datapoints) {
    if (!pldatExportOn) return;
    writeSamples(fileM, aryData, datapoints, shortRate);
}

void AcquisitionNI::fileclose() { file.close(); }

void AcquisitionNI::filecloseManual() { fileM.close(); }
