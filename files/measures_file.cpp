#include "files/measures_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "files/csv_lines.h"
#include "files/fd_write.h"

namespace measuresfile {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kTraceRowsMax = korin::kEvokedChannels * korin::kMaxResponses;
constexpr std::size_t kLineRoom = korin::kMeasureRowRoom + kLineEnd.size();

}  // namespace

std::string pathFor(const std::string& recordingPath) {
    static constexpr std::string_view kExtension = ".pldat";
    std::string stem = recordingPath;
    if (stem.size() >= kExtension.size() &&
        stem.compare(stem.size() - kExtension.size(), kExtension.size(), kExtension) == 0)
        stem.resize(stem.size() - kExtension.size());
    return stem + kSuffix;
}

Writer::Writer() : lines_(kTraceRowsMax * kLineRoom) {}

Writer::~Writer() { close(); }

bool Writer::open(const std::string& path) {
    close();
    path_ = path;
    error_.clear();
    failed_ = false;
    rows_ = 0;
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        error_ = std::strerror(errno);
        failed_ = true;
        return false;
    }
    std::string header(korin::kMeasuresHeader);
    header += kLineEnd;
    std::uint64_t written = 0;
    bytes_ = 0;
    const bool headerWritten = korin::writeAll(fd_, header.data(), header.size(), written);
    bytes_ = written;
    if (!headerWritten) {
        error_ = std::strerror(errno);
        failed_ = true;
        close();
        return false;
    }
    return true;
}

bool Writer::append(const korin::MeasuresTable& table, std::int32_t entry) {
    if (fd_ < 0) return false;
    char* end = lines_.data();
    std::uint64_t rows = 0;
    table.forEachRow(entry, [&](const korin::MeasureRow& row) {
        end = korin::writeMeasureRow(end, row);
        std::memcpy(end, kLineEnd.data(), kLineEnd.size());
        end += kLineEnd.size();
        ++rows;
    });
    if (rows == 0) return true;
    std::uint64_t written = 0;
    // Unbuffered: the one write is the flush.
    if (!korin::writeAll(fd_, lines_.data(), static_cast<std::size_t>(end - lines_.data()), written)) {
        error_ = std::strerror(errno);
        failed_ = true;
        // Back to the last whole trace, so later traces do not follow a cut line.
        if (written > 0 && ::ftruncate(fd_, static_cast<off_t>(bytes_)) == 0)
            ::lseek(fd_, static_cast<off_t>(bytes_), SEEK_SET);
        else
            bytes_ += written;
        return false;
    }
    bytes_ += written;
    rows_ += rows;
    return true;
}

void Writer::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

namespace {

bool plainNumber(std::string_view f) {
    // As the writer writes them; no "inf", "nan", hex or leading "+".
    if (f.empty() || f.front() == '+') return false;
    for (char c : f)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == '+')) return false;
    return true;
}

template <class T>
bool numberField(std::string_view f, T& value) {
    if (!plainNumber(f)) return false;
    const auto r = std::from_chars(f.data(), f.data() + f.size(), value);
    return r.ec == std::errc() && r.ptr == f.data() + f.size();
}

// An empty field is none.
template <class T>
bool measureField(std::string_view f, T& value) {
    if (f.empty()) {
        value = std::numeric_limits<T>::quiet_NaN();
        return true;
    }
    return numberField(f, value) && std::isfinite(value);
}

// The problem of one data line, "" when it is a sound row.
std::string parseRow(std::string_view line, korin::MeasureRow& row) {
    std::string_view f[korin::kMeasureColumns];
    int n = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        if (n < korin::kMeasureColumns)
            f[n] = line.substr(start, comma == std::string_view::npos ? comma : comma - start);
        ++n;
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (n != korin::kMeasureColumns)
        return std::to_string(n) + " fields (" + std::to_string(korin::kMeasureColumns) + " expected)";
    auto bad = [](const char* name) { return std::string(name) + " is not a number"; };
    if (!numberField(f[0], row.info.trace)) return bad("trace");
    if (!numberField(f[1], row.info.step)) return bad("step");
    if (!numberField(f[2], row.info.loop)) return bad("loop");
    if (!numberField(f[3], row.info.timeS) || !std::isfinite(row.info.timeS)) return bad("time_s");
    if (!numberField(f[4], row.channel)) return bad("channel");
    if (row.channel < 1 || row.channel > korin::kEvokedChannels) return "channel is not 1-16";
    if (!numberField(f[5], row.response)) return bad("response");
    if (row.response < 1 || row.response > korin::kMaxResponses) return "response is not 1 or 2";
    if (!measureField(f[6], row.onsetMs)) return bad("onset_ms");
    struct Column {
        const char* name;
        float& value;
    } floats[] = {{"intensity_ua", row.intensityUa}, {"baseline_mv", row.baselineMv},
                  {"amplitude_mv", row.amplitudeMv}, {"latency_ms", row.latencyMs},
                  {"max_slope", row.maxSlope},       {"window_slope", row.windowSlope},
                  {"slope_20_80", row.slope2080},    {"ppr_max_slope", row.pprMaxSlope}};
    for (int i = 0; i < 8; ++i)
        if (!measureField(f[7 + i], floats[i].value)) return bad(floats[i].name);
    return "";
}

}  // namespace

constexpr korin::CsvFormat kFormat{korin::kMeasuresHeader, "not the measures file's column names", ""};

ReadResult parse(std::string_view text) { return korin::parseCsv<korin::MeasureRow>(text, kFormat, parseRow); }

ReadResult read(const std::string& path) { return korin::readCsv<korin::MeasureRow>(path, kFormat, parseRow); }

}  // namespace measuresfile
