#include "files/block_index.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

static_assert(sizeof(off_t) >= 8, "recordings pass 2 GB: file positions must be 64-bit");

namespace pldat {
namespace {

// Little-endian field reader over a fixed-size header buffer.
class FieldReader {
public:
    explicit FieldReader(const std::uint8_t* in) : p_(in) {}
    std::uint8_t u8() { return *p_++; }
    std::int16_t i16() { return static_cast<std::int16_t>(le(2)); }
    std::int32_t i32() { return static_cast<std::int32_t>(le(4)); }
    std::int64_t i64() { return static_cast<std::int64_t>(le(8)); }
    double f64() { return std::bit_cast<double>(le(8)); }
    void bytes(std::uint8_t* out, std::size_t n) {
        std::memcpy(out, p_, n);
        p_ += n;
    }

private:
    std::uint64_t le(int n) {
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(p_[i]) << (8 * i);
        p_ += n;
        return v;
    }
    const std::uint8_t* p_;
};

std::string text(const char* format, auto... args) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

}  // namespace

void decodeFileHeader(const std::uint8_t bytes[kFileHeaderBytes], FileHeaderFields& out) {
    FieldReader r(bytes);
    out.traceCount = r.i32();
    out.blocksPerTrace = r.i32();
    out.fixedByte = r.u8();
    out.sampleRate = r.f64();
    out.traceDurationMs = r.f64();
    out.inputRangeMicrovolts = r.f64();
    out.conversionFactor = r.f64();
    r.bytes(out.channelFlags, kChannelFlagBytes);
    out.year = r.i16();
    out.month = r.u8();
    out.day = r.u8();
    out.timeOfDayMs = r.i32();
    out.timeZoneMinutes = r.i16();
    out.startTicks = r.i64();
}

void decodeBlockHeader(const std::uint8_t bytes[kBlockHeaderBytes], BlockHeaderFields& out) {
    FieldReader r(bytes);
    out.traceIndex = r.i32();
    out.blockIndex = r.i32();
    out.traceStartMs = r.f64();
    out.blockOffsetMs = r.f64();
    out.samplesPerChannel = r.i32();
    out.firstBlock = r.u8();
    out.lastBlock = r.u8();
    out.loopNumber = r.i32();
    out.step = r.u8();
    out.sampleByteCount = r.i32();
}

int presentChannelCount(const FileHeaderFields& header) {
    int n = 0;
    for (std::uint8_t flag : header.channelFlags) n += flag == 1;
    return n;
}

std::string fileHeaderProblem(const FileHeaderFields& h) {
    if (h.traceCount <= 0) return text("its trace count is %d", h.traceCount);
    if (h.blocksPerTrace <= 0) return text("its block count per trace is %d", h.blocksPerTrace);
    if (!std::isfinite(h.traceDurationMs) || h.traceDurationMs < 0)
        return text("its trace duration is %g ms", h.traceDurationMs);
    if (!std::isfinite(h.conversionFactor) || h.conversionFactor <= 0)
        return text("its conversion factor is %g mV per count", h.conversionFactor);
    if (presentChannelCount(h) == 0) return "no channel is marked present";
    return {};
}

std::string blockHeaderProblem(const BlockHeaderFields& h, int presentChannels) {
    if (h.samplesPerChannel < 0 || h.samplesPerChannel > kMaxBlockScans)
        return text("it holds %d samples per channel (0 to %d possible)", h.samplesPerChannel, kMaxBlockScans);
    const std::int64_t expected = static_cast<std::int64_t>(h.samplesPerChannel) * presentChannels * 2;
    if (h.sampleByteCount != expected)
        return text("its byte count %d does not match %d samples of %d channels (%lld bytes)", h.sampleByteCount,
                    h.samplesPerChannel, presentChannels, static_cast<long long>(expected));
    return {};
}

ReadOnlyFile::~ReadOnlyFile() { close(); }

bool ReadOnlyFile::open(const std::string& path, std::string& error) {
    close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "Cannot open \"" + path + "\": " + std::strerror(errno) + ".";
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "Cannot open \"" + path + "\": it is not a regular file.";
        ::close(fd);
        return false;
    }
    fd_ = fd;
    length_ = static_cast<std::uint64_t>(st.st_size);
    return true;
}

void ReadOnlyFile::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    length_ = 0;
}

bool ReadOnlyFile::readAt(std::uint64_t offset, void* out, std::size_t size) const {
    if (fd_ < 0) return false;
    auto* p = static_cast<std::uint8_t*>(out);
    while (size > 0) {
        const ssize_t n = ::pread(fd_, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadOnlyFile::isSameFile(const std::string& path) const {
    struct stat open {}, named {};
    if (fd_ < 0 || ::fstat(fd_, &open) != 0 || ::stat(path.c_str(), &named) != 0) return false;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

bool readLayout(const ReadOnlyFile& file, FileLayout& layout, std::string& error) {
    layout.fileLength = file.length();
    if (layout.fileLength < kMinFileBytes) {
        error = text("The file is too short to be a recording: %llu bytes, where a file header and a first block "
                     "header need %llu.",
                     static_cast<unsigned long long>(layout.fileLength),
                     static_cast<unsigned long long>(kMinFileBytes));
        return false;
    }
    std::uint8_t bytes[kFileHeaderBytes];
    std::uint8_t blockBytes[kBlockHeaderBytes];
    if (!file.readAt(0, bytes, sizeof bytes) || !file.readAt(kFileHeaderBytes, blockBytes, sizeof blockBytes)) {
        error = "The file could not be read up to the end of its first block header.";
        return false;
    }
    decodeFileHeader(bytes, layout.header);
    if (std::string problem = fileHeaderProblem(layout.header); !problem.empty()) {
        error = "This is not a readable recording: " + problem + ".";
        return false;
    }
    layout.presentChannels = presentChannelCount(layout.header);
    decodeBlockHeader(blockBytes, layout.firstBlock);
    if (std::string problem = blockHeaderProblem(layout.firstBlock, layout.presentChannels); !problem.empty()) {
        error = "This is not a readable recording: the first block header makes no sense, " + problem + ".";
        return false;
    }
    return true;
}

BlockIndex::BlockIndex() : positions_(new std::uint64_t[kMaxBlocks]()) {}

int BlockIndex::build(const ReadOnlyFile& file, const FileLayout& layout, const Visitor& visit) {
    count_ = 0;
    end_ = End::FileEnd;
    trailingBytes_ = 0;
    badHeaderReason_.clear();
    const std::uint64_t length = layout.fileLength;
    std::uint64_t position = kFileHeaderBytes;
    while (position < length) {
        if (count_ == kMaxBlocks) {
            end_ = End::Capacity;
            break;
        }
        std::uint8_t bytes[kBlockHeaderBytes];
        if (length - position < kBlockHeaderBytes || !file.readAt(position, bytes, sizeof bytes)) {
            end_ = End::CutTail;
            break;
        }
        BlockHeaderFields header;
        decodeBlockHeader(bytes, header);
        if (std::string problem = blockHeaderProblem(header, layout.presentChannels); !problem.empty()) {
            end_ = End::BadHeader;
            badHeaderPosition_ = position;
            badHeaderReason_ = std::move(problem);
            break;
        }
        const std::uint64_t size = kBlockHeaderBytes + static_cast<std::uint64_t>(header.sampleByteCount);
        if (length - position < size) {
            end_ = End::CutTail;
            break;
        }
        positions_[count_] = position;
        if (visit) visit(count_, position, header);
        ++count_;
        position += size;
    }
    trailingBytes_ = length > position ? length - position : 0;
    return count_;
}

}  // namespace pldat
