// The stimulation log beside a recording, "<stem>_stimulation.csv": one row per
// pulse delivered, so a recording says what was done to the tissue, when and
// where. ASCII, CR LF after every line, the column names first. Rows are
// appended and flushed trace by trace, so a killed run keeps every row of the
// traces it stimulated; a last line without its line end is the tail of a
// write that was cut off, and readers drop it rather than the whole log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/csv_lines.h"

namespace stimlog {

inline constexpr const char* kSuffix = "_stimulation.csv";
inline constexpr std::string_view kHeader =
    "trace,step,loop,trace_start_s,output,electrode,pulse,onset_ms,type,duration_ms,intensity_ua,played";
inline constexpr int kColumns = 12;

struct Row {
    std::int32_t trace = 1;   // 1-based; the manual file's own number for a manual row
    char step = '1';          // '1', '2', or 'M' for a manual stimulation
    std::int32_t loop = 0;
    double traceStartS = 0;   // the trace's start, s from the run's start
    std::int32_t output = 0;  // 0 = S1, 1 = S2
    std::int32_t electrode = 0;  // 1-16, 0 when the output is routed to none
    std::int32_t pulse = 1;   // 1-based index in its program
    double onsetMs = 0;       // from the trace's first sample
    bool biphasic = true;     // "Biphasic", else "Const"
    double durationMs = 0;
    double intensityUa = 0;   // as played, sign as programmed
    bool played = true;       // false when the device refused that output in that trace
};

// "<stem>.pldat" -> "<stem>_stimulation.csv"; a name without the extension
// gets the suffix appended.
std::string pathFor(const std::string& recordingPath);

// Room for any one line of writeRow, its CR LF included.
inline constexpr std::size_t kRowRoom = 12 * 34;
// The row as a line of the log with its CR LF, written at `out`; returns the end.
char* writeRow(char* out, const Row& row);

// Appends rows to one log, creating it (with the column names) on first use.
// Every append is one write of whole lines followed by a flush to the disk's
// cache, so the rows of a trace reach the file together or not at all short of
// a full disk. A failure is kept, not thrown: the recording must go on.
class Writer {
public:
    Writer() = default;
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Creates (or truncates) the log at `path` and writes the column names.
    // False, with the reason in error(), when it cannot.
    bool open(const std::string& path);
    // Appends the rows; false (with error()) when the file refuses them. Does
    // nothing, returning false, when no log is open.
    bool append(const Row* rows, std::size_t count);
    bool append(const std::vector<Row>& rows) { return append(rows.data(), rows.size()); }
    void close();

    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }
    std::uint64_t rowsWritten() const { return rows_; }

private:
    int fd_ = -1;
    std::string path_, error_;
    std::uint64_t rows_ = 0;
    std::vector<char> line_;  // room for one append, grown only when a trace has more rows than before
};

using ReadResult = korin::CsvRead<Row>;

// Reads and checks a whole log: any bad line (wrong column count, a field that
// is not a number or not one of its choices, a header that is not the column
// names) makes the log ignored, with the first bad line in `problem`. A last
// line without CR LF is dropped as a cut-off tail and sets cutTail.
ReadResult parse(std::string_view text);
// The log at `path`; exists false and no problem when there is none.
ReadResult read(const std::string& path);

}  // namespace stimlog
