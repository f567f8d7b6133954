// The line rules the program's CSV files share (the stimulation log, the
// measures file): the column names first, CR LF after every line. Their writers
// append whole lines and flush trace by trace, so a last line without its line
// end is the tail of a write cut off by a crash or a full disk: it is dropped
// and the rows before it stand. Any other bad line makes the whole file ignored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "files/regular_file.h"

namespace korin {

template <class Row>
struct CsvRead {
    bool exists = false;    // a file was found
    std::vector<Row> rows;  // empty when the file is damaged
    std::string problem;    // "" or e.g. "line 4: 11 fields (12 expected)" and the suffix
    bool cutTail = false;   // the last line had no line end and was dropped
};

// What a file's reader words for itself: its column names, why line 1 is not
// them, and what follows every problem ("; the log is ignored").
struct CsvFormat {
    std::string_view header;
    std::string_view headerProblem;
    std::string_view problemSuffix;
};

// Checks every line of `text`; `parseRow(line, row)` returns "" or why the
// line (without its CR LF) is bad.
template <class Row, class ParseRow>
CsvRead<Row> parseCsv(std::string_view text, const CsvFormat& format, ParseRow parseRow) {
    CsvRead<Row> result;
    result.exists = true;
    auto damaged = [&](std::size_t line, std::string_view why) {
        result.rows.clear();
        result.problem = "line " + std::to_string(line) + ": ";
        result.problem.append(why).append(format.problemSuffix);
        return result;
    };
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        ++lineNumber;
        const std::size_t lf = text.find('\n', pos);
        if (lf == std::string_view::npos) {
            result.cutTail = true;
            break;
        }
        std::string_view line = text.substr(pos, lf - pos);
        pos = lf + 1;
        if (line.empty() || line.back() != '\r') return damaged(lineNumber, "no CR LF line end");
        line.remove_suffix(1);
        if (lineNumber == 1) {
            if (line != format.header) return damaged(1, format.headerProblem);
            continue;
        }
        Row row{};
        if (const std::string why = parseRow(line, row); !why.empty()) return damaged(lineNumber, why);
        result.rows.push_back(row);
    }
    if (lineNumber == 0 || (lineNumber == 1 && result.cutTail)) return damaged(1, format.headerProblem);
    return result;
}

// The file at `path`, read only when it is a regular file (a FIFO in its place
// must not hang a reader); exists false and no problem when there is none.
template <class Row, class ParseRow>
CsvRead<Row> readCsv(const std::string& path, const CsvFormat& format, ParseRow parseRow) {
    std::string text, why;
    switch (readRegularFile(path, &text, &why)) {
        case ReadStatus::Missing:
            return {};
        case ReadStatus::Failed: {
            CsvRead<Row> unreadable;
            unreadable.exists = true;
            unreadable.problem = "cannot be read (" + why + ")";
            unreadable.problem.append(format.problemSuffix);
            return unreadable;
        }
        case ReadStatus::Read:
            break;
    }
    return parseCsv<Row>(text, format, parseRow);
}

}  // namespace korin
