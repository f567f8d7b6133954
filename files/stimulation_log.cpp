#include "files/stimulation_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <sstream>

#include "acquisition/number_text.h"
#include "files/csv_lines.h"
#include "files/fd_write.h"

namespace stimlog {

std::string pathFor(const std::string& recordingPath) {
    static constexpr std::string_view kExtension = ".pldat";
    std::string stem = recordingPath;
    if (stem.size() >= kExtension.size() && stem.compare(stem.size() - kExtension.size(), kExtension.size(),
                                                         kExtension) == 0) {
        stem.resize(stem.size() - kExtension.size());
    }
    return stem + kSuffix;
}

char* writeRow(char* out, const Row& row) {
    auto comma = [&out] { *out++ = ','; };
    auto text = [&out](std::string_view s) {
        std::memcpy(out, s.data(), s.size());
        out += s.size();
    };
    out = korin::writeShortest(out, row.trace);
    comma();
    *out++ = row.step;
    comma();
    out = korin::writeShortest(out, row.loop);
    comma();
    out = korin::writeShortest(out, row.traceStartS);
    comma();
    text(row.output == 0 ? "S1" : "S2");
    comma();
    out = korin::writeShortest(out, row.electrode);
    comma();
    out = korin::writeShortest(out, row.pulse);
    comma();
    out = korin::writeShortest(out, row.onsetMs);
    comma();
    text(row.biphasic ? "Biphasic" : "Const");
    comma();
    out = korin::writeShortest(out, row.durationMs);
    comma();
    out = korin::writeShortest(out, row.intensityUa);
    comma();
    *out++ = row.played ? '1' : '0';
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

Writer::~Writer() { close(); }

bool Writer::open(const std::string& path) {
    close();
    path_ = path;
    error_.clear();
    rows_ = 0;
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    std::string header(kHeader);
    header += "\r\n";
    std::uint64_t written = 0;
    if (!korin::writeAll(fd_, header.data(), header.size(), written)) {
        error_ = std::strerror(errno);
        close();
        return false;
    }
    return true;
}

bool Writer::append(const Row* rows, std::size_t count) {
    if (fd_ < 0) return false;
    if (count == 0) return true;
    if (line_.size() < count * kRowRoom) line_.resize(count * kRowRoom);
    char* end = line_.data();
    for (std::size_t i = 0; i < count; ++i) end = writeRow(end, rows[i]);
    std::uint64_t written = 0;
    if (!korin::writeAll(fd_, line_.data(), static_cast<std::size_t>(end - line_.data()), written)) {
        error_ = std::strerror(errno);
        return false;
    }
    rows_ += count;
    return true;
}

void Writer::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

namespace {

bool wholeField(std::string_view f, std::int32_t& value) {
    if (f.empty() || f.front() == '+') return false;
    const auto r = std::from_chars(f.data(), f.data() + f.size(), value);
    return r.ec == std::errc() && r.ptr == f.data() + f.size();
}

bool decimalField(std::string_view f, double& value) {
    // Plain decimals as the writer writes them; no "inf", "nan", hex or "+".
    if (f.empty()) return false;
    for (char c : f) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == 'E' || c == '+')) return false;
    }
    if (f.front() == '+') return false;
    const auto r = std::from_chars(f.data(), f.data() + f.size(), value);
    return r.ec == std::errc() && r.ptr == f.data() + f.size() && std::isfinite(value);
}

// The problem of one data line, "" when it is a sound row.
std::string parseRow(std::string_view line, Row& row) {
    std::string_view fields[kColumns];
    int n = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        const std::string_view f = line.substr(start, comma == std::string_view::npos ? comma : comma - start);
        if (n < kColumns) fields[n] = f;
        ++n;
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (n != kColumns) return std::to_string(n) + " fields (" + std::to_string(kColumns) + " expected)";
    auto notNumber = [](const char* name) { return std::string(name) + " is not a number"; };
    if (!wholeField(fields[0], row.trace)) return notNumber("trace");
    if (fields[1] != "1" && fields[1] != "2" && fields[1] != "M") return "step is not one of 1, 2, M";
    row.step = fields[1][0];
    if (!wholeField(fields[2], row.loop)) return notNumber("loop");
    if (!decimalField(fields[3], row.traceStartS)) return notNumber("trace_start_s");
    if (fields[4] != "S1" && fields[4] != "S2") return "output is not one of S1, S2";
    row.output = fields[4] == "S1" ? 0 : 1;
    if (!wholeField(fields[5], row.electrode)) return notNumber("electrode");
    if (!wholeField(fields[6], row.pulse)) return notNumber("pulse");
    if (!decimalField(fields[7], row.onsetMs)) return notNumber("onset_ms");
    if (fields[8] != "Biphasic" && fields[8] != "Const") return "type is not one of Biphasic, Const";
    row.biphasic = fields[8] == "Biphasic";
    if (!decimalField(fields[9], row.durationMs)) return notNumber("duration_ms");
    if (!decimalField(fields[10], row.intensityUa)) return notNumber("intensity_ua");
    if (fields[11] != "0" && fields[11] != "1") return "played is not one of 0, 1";
    row.played = fields[11] == "1";
    return "";
}

}  // namespace

constexpr korin::CsvFormat kFormat{kHeader, "not the log's column names", "; the log is ignored"};

ReadResult parse(std::string_view text) { return korin::parseCsv<Row>(text, kFormat, parseRow); }

ReadResult read(const std::string& path) { return korin::readCsv<Row>(path, kFormat, parseRow); }

}  // namespace stimlog
