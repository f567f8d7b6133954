#include "files/export_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <algorithm>
#include <bit>
#include <filesystem>

#include "files/fd_write.h"
#include "files/file_naming.h"
#include "files/text_encoding.h"

using korin::toShiftJis;
using korin::writeAll;

namespace {

constexpr std::size_t kBufferBytes = 1 << 20;
// to_chars of any double with ten decimals stays below this.
constexpr std::size_t kValueRoom = 400;
constexpr const char* kLineEnd = "\r\n";

int createFile(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

char* slowCsvValue(char* out, double mv) {
    return std::to_chars(out, out + kValueRoom, mv, std::chars_format::fixed, ExportWriter::kCsvDecimals).ptr;
}

// Truncated toward zero and held inside the int16 range; NaN gives 0. Branch
// free, so the per-value loop stays cheap.
inline std::int16_t saturatedCount(double counts) {
    double t = std::max(counts, -32768.0);
    t = std::min(t, 32767.0);
    t = t == t ? t : 0.0;
    return static_cast<std::int16_t>(static_cast<std::int32_t>(t));
}

// Counts of `scans` scans of the channels listed, little-endian int16, at `out`.
// `scale` is 1 / factor when Multiply, else the factor. All sixteen channels
// are one contiguous run, which the compiler turns into vector code.
template <bool Multiply>
void storeCounts(const double* first, int scans, const int* channels, int count, double scale, char* out) {
    static_assert(std::endian::native == std::endian::little, "counts are stored in host order");
    auto convert = [scale](double v) { return saturatedCount(Multiply ? v * scale : v / scale); };
    if (count == FileReader::kChannels) {
        const std::size_t values = static_cast<std::size_t>(scans) * FileReader::kChannels;
        std::int16_t counts[FileReader::kChannels];
        for (std::size_t i = 0; i < values; i += FileReader::kChannels) {
            for (int c = 0; c < FileReader::kChannels; ++c) counts[c] = convert(first[i + c]);
            std::memcpy(out + 2 * i, counts, sizeof counts);
        }
        return;
    }
    for (int s = 0; s < scans; ++s, first += FileReader::kChannels, out += 2 * count) {
        for (int i = 0; i < count; ++i) {
            const std::int16_t value = convert(first[channels[i]]);
            std::memcpy(out + 2 * i, &value, sizeof value);
        }
    }
}

}  // namespace

ExportWriter::ExportWriter() : buffer_(new char[kBufferBytes]) {}

ExportWriter::~ExportWriter() { close(); }

std::int16_t ExportWriter::shortCount(double mv, double conversionFactor) {
    return saturatedCount(mv / conversionFactor);
}

char* ExportWriter::formatCsvValue(char* out, double mv) {
    // Fast path: for |mv| < 100, mv x 1e10 is within 1e-4 of its exact value,
    // so a fraction clear of one half rounds to the digits of the exact value;
    // the rest (near ties, large or odd values) goes through to_chars.
    constexpr double kScale = 1e10;
    constexpr double kFastLimit = 100.0;
    constexpr double kTieMargin = 1e-3;
    if (!(std::fabs(mv) < kFastLimit)) return slowCsvValue(out, mv);
    const double scaled = std::fabs(mv) * kScale;
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) < kTieMargin) return slowCsvValue(out, mv);
    auto digits = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
    if (std::signbit(mv)) *out++ = '-';
    // At least 11 digits: "0." and ten decimals.
    char text[24];
    int n = 0;
    do {
        text[n++] = static_cast<char>('0' + digits % 10);
        digits /= 10;
    } while (digits != 0 || n < kCsvDecimals + 1);
    while (n > kCsvDecimals) *out++ = text[--n];
    *out++ = '.';
    while (n > 0) *out++ = text[--n];
    return out;
}

std::string ExportWriter::headerText(double conversionFactor, const int* channels, int count) {
    char factor[400];
    char* end = std::to_chars(factor, factor + sizeof factor, conversionFactor, std::chars_format::fixed,
                              kFactorDecimals).ptr;
    std::string text = "Conversion factor: short to mV,";
    text.append(factor, end);
    text += kLineEnd;
    // The last line has no line end.
    text += "Active channels";
    for (int i = 0; i < count; ++i) text += "," + std::to_string(channels[i] + 1);
    return toShiftJis(text);
}

void ExportWriter::fail(const char* what) {
    error_ = std::string(what) + " " + path_ + ": " + std::strerror(errno);
    failed_ = true;
}

bool ExportWriter::refuseRecording(const std::string& output, const FileReader& reader) {
    std::error_code ec;
    // Through links too: the name written to may not be the name of the file it reaches.
    const std::filesystem::path target = std::filesystem::canonical(output, ec);
    if (ec) return false;  // nothing there yet
    if (reader.isReading(output)) {
        error_ = output + " is the recording being exported";
    } else if (target.extension() == kRecordingExtension) {
        error_ = output + " is the recording " + target.string();
    } else {
        return false;
    }
    refused_ = true;
    return true;
}

bool ExportWriter::open(const std::string& path, ExportFormat format, const FileReader& reader) {
    close();
    failed_ = false;
    refused_ = false;
    error_.clear();
    format_ = format;
    used_ = 0;
    written_ = wholeBlocks_ = 0;
    channelCount_ = 0;
    for (int c = 0; c < FileReader::kChannels; ++c)
        if (reader.ACSelectary[c] == 1 && reader.ACary[c] == 1) channels_[channelCount_++] = c;

    const std::string hdrPath = path + kHeaderExtension;
    const std::string dataPath = format == ExportFormat::Short ? path + kBinaryExtension : path;
    if (refuseRecording(dataPath, reader)) return false;
    if (format == ExportFormat::Short && refuseRecording(hdrPath, reader)) return false;

    if (format == ExportFormat::Short) {
        path_ = hdrPath;
        const int hdr = createFile(path_);
        if (hdr < 0) {
            fail("cannot create");
            return false;
        }
        const std::string text = headerText(reader.conversionFactor, channels_, channelCount_);
        std::uint64_t ignored = 0;
        const bool ok = writeAll(hdr, text.data(), text.size(), ignored);
        if (!ok) fail("cannot write");
        if (::close(hdr) != 0 && ok) fail("cannot write");
        if (failed_) {
            ::unlink(hdrPath.c_str());
            return false;
        }
    }
    path_ = dataPath;
    fd_ = createFile(path_);
    if (fd_ < 0) {
        fail("cannot create");
        // A header without its samples would describe an export that is not there.
        if (format == ExportFormat::Short) ::unlink(hdrPath.c_str());
        return false;
    }
    if (format == ExportFormat::Csv) {
        std::string header;
        for (int i = 0; i < channelCount_; ++i) header += "Ch" + std::to_string(channels_[i] + 1) + ",";
        header += kLineEnd;
        header = toShiftJis(header);
        std::memcpy(buffer_.get(), header.data(), header.size());
        used_ = header.size();
        endBlock();
        if (failed_) {
            close();
            return false;
        }
    }
    return true;
}

bool ExportWriter::flush() {
    if (failed_) return false;
    if (used_ == 0) return true;
    const bool ok = writeAll(fd_, buffer_.get(), used_, written_);
    used_ = 0;
    if (ok) return true;
    fail("cannot write");
    // Nothing of the block that failed stays behind; if even that fails, the
    // file still holds every whole block before it.
    const int cut = ::ftruncate(fd_, static_cast<off_t>(wholeBlocks_));
    (void)cut;
    return false;
}

void ExportWriter::endBlock() {
    if (flush()) wholeBlocks_ = written_;
}

void ExportWriter::WriteBinary(const FileReader& reader, int scans) {
    if (fd_ < 0 || failed_ || format_ != ExportFormat::Short) return;
    const double cf = reader.conversionFactor;
    // Multiplying by 1 / factor gives the quotient bit for bit only when the
    // factor is a power of two (as for the 2000 uV range); else divide.
    int exponent = 0;
    const bool exactInverse = std::frexp(cf, &exponent) == 0.5;
    const std::size_t scanBytes = static_cast<std::size_t>(channelCount_) * 2;
    for (int k = 0; k < scans && scanBytes > 0;) {
        if (used_ + scanBytes > kBufferBytes && !flush()) break;
        const int n = std::min(scans - k, static_cast<int>((kBufferBytes - used_) / scanBytes));
        const double* first = reader.aryData + static_cast<std::size_t>(FileReader::kChannels) * k;
        char* out = buffer_.get() + used_;
        if (exactInverse)
            storeCounts<true>(first, n, channels_, channelCount_, 1.0 / cf, out);
        else
            storeCounts<false>(first, n, channels_, channelCount_, cf, out);
        used_ += static_cast<std::size_t>(n) * scanBytes;
        k += n;
    }
    endBlock();
}

void ExportWriter::WriteCSV(const FileReader& reader, int scans) {
    if (fd_ < 0 || failed_ || format_ != ExportFormat::Csv) return;
    const double* data = reader.aryData;
    const std::size_t rowRoom = (kValueRoom + 1) * static_cast<std::size_t>(channelCount_) + 2;
    char* buffer = buffer_.get();
    // The rows are ASCII, which Shift-JIS leaves as it is.
    for (int k = 0; k < scans; ++k) {
        if (used_ + rowRoom > kBufferBytes && !flush()) break;
        const double* scan = data + static_cast<std::size_t>(FileReader::kChannels) * k;
        char* out = buffer + used_;
        for (int i = 0; i < channelCount_; ++i) {
            out = formatCsvValue(out, scan[channels_[i]]);
            *out++ = ',';
        }
        *out++ = '\r';
        *out++ = '\n';
        used_ = static_cast<std::size_t>(out - buffer);
    }
    endBlock();
}

bool ExportWriter::close() {
    if (fd_ < 0) return !failed_;
    endBlock();
    if (::close(fd_) != 0 && !failed_) fail("cannot write");
    fd_ = -1;
    return !failed_;
}
