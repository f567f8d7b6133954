// The measures file beside a recording, "<stem>_measures.csv": the evoked-
// response measures of every trace, one line per trace, channel and response
// (the columns of kMeasuresHeader). ASCII, CR LF after every line, an empty
// field for a measure that could not be taken. A trace's lines are written and
// flushed together as soon as it is measured, so a killed run keeps every
// trace measured before; a last line without its line end is the tail of a
// write that was cut off, and the reader drops it rather than the whole file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/csv_lines.h"
#include "processing/evoked_session.h"
#include "processing/measures_table.h"

namespace measuresfile {

inline constexpr const char* kSuffix = "_measures.csv";

// "<stem>.pldat" -> "<stem>_measures.csv"; a name without the extension gets
// the suffix appended.
std::string pathFor(const std::string& recordingPath);

// Writes the rows of each trace to one file, creating it (with the column
// names) at open. Every trace is one write of whole lines into the disk's
// cache, so its rows reach the file together or not at all: a write cut short
// by a full disk is taken back to the last whole trace. A failure is kept, not
// thrown: the recording must go on. Nothing is allocated per trace.
class Writer : public korin::MeasuresSink {
public:
    Writer();
    ~Writer() override;
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Creates (or truncates) the file at `path` and writes the column names.
    // False, with the reason in error(), when it cannot.
    bool open(const std::string& path);
    // Appends the rows of entry `entry`; false (with error()) when the file
    // refuses them, or when no file is open.
    bool append(const korin::MeasuresTable& table, std::int32_t entry);
    void traceMeasured(const korin::MeasuresTable& table, std::int32_t entry) override { append(table, entry); }
    void close();

    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    // Some write since open failed; error() holds the last reason.
    bool failed() const { return failed_; }
    const std::string& error() const { return error_; }
    std::uint64_t rowsWritten() const { return rows_; }

private:
    int fd_ = -1;
    std::string path_, error_;
    bool failed_ = false;
    std::uint64_t rows_ = 0;
    std::uint64_t bytes_ = 0;  // the file's length after the last whole trace
    std::vector<char> lines_;  // room for the most rows one trace can have
};

using ReadResult = korin::CsvRead<korin::MeasureRow>;

// Reads and checks a whole measures file: any bad line (wrong column count, a
// field that is not a number, a header that is not the column names) makes
// the rows empty, with the first bad line in `problem`. A last line without
// CR LF is dropped as a cut-off tail and sets cutTail.
ReadResult parse(std::string_view text);
// The file at `path`; exists false and no problem when there is none.
ReadResult read(const std::string& path);

}  // namespace measuresfile
