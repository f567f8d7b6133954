// The stimulation log of an export: the rows of the recording's log whose
// onsets fall in the exported range, each onset moved to count from the first
// sample exported of its trace, written as "<export path>_stimulation.csv"
// beside the export files in the log's own format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/stimulation_log.h"

namespace stimlog {

// What an export keeps of each trace: traces traceFrom to traceTo (1-based),
// from msFrom to msTo of each. An export resumed part-way starts later in its
// first trace: firstTrace from firstTraceMs on.
struct ExportRange {
    std::int32_t traceFrom = 1;
    std::int32_t traceTo = 1;
    double msFrom = 0;
    double msTo = 0;
    std::int32_t firstTrace = 1;
    double firstTraceMs = 0;
};

// The rows whose trace and onset lie in the range, in their order, onsets
// from the first exported sample of their trace.
std::vector<Row> exportRows(const std::vector<Row>& rows, const ExportRange& range);

// "<exportStem>_stimulation.csv".
std::string exportPathFor(const std::string& exportStem);

// Writes the export's log for the recording at `recordingPath`; nothing when
// the recording has no log. Returns what went wrong, for the console ("" when
// nothing did): a damaged log, a log that cannot be written, or an export
// whose log would be the recording's own.
std::string writeExportLog(const std::string& recordingPath, const std::string& exportStem,
                           const ExportRange& range);

}  // namespace stimlog
