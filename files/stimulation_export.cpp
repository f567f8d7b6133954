#include "files/stimulation_export.h"

#include <cmath>
#include <filesystem>
#include <system_error>

namespace stimlog {

namespace {

constexpr double kSamplesPerMs = 20.0;  // the 20 kHz time base of onsets

}  // namespace

std::vector<Row> exportRows(const std::vector<Row>& rows, const ExportRange& range) {
    std::vector<Row> kept;
    for (const Row& row : rows) {
        if (row.trace < range.firstTrace || row.trace < range.traceFrom || row.trace > range.traceTo) continue;
        const double from = row.trace == range.firstTrace ? range.firstTraceMs : range.msFrom;
        if (row.onsetMs < from || !(row.onsetMs < range.msTo)) continue;
        kept.push_back(row);
        // In whole samples, as onsets are made, so that 60.05 - 50 reads 10.05.
        kept.back().onsetMs =
            static_cast<double>(std::llround(row.onsetMs * kSamplesPerMs) - std::llround(from * kSamplesPerMs)) /
            kSamplesPerMs;
    }
    return kept;
}

std::string exportPathFor(const std::string& exportStem) { return exportStem + kSuffix; }

std::string writeExportLog(const std::string& recordingPath, const std::string& exportStem,
                           const ExportRange& range) {
    const std::string source = pathFor(recordingPath);
    const ReadResult log = read(source);
    if (!log.exists) return {};
    if (!log.problem.empty()) return source + ": " + log.problem + "; the export has no stimulation log";
    const std::string target = exportPathFor(exportStem);
    std::error_code ec;
    if (std::filesystem::equivalent(source, target, ec))
        return target + " is the recording's stimulation log; the export has none of its own";
    Writer out;
    const std::vector<Row> rows = exportRows(log.rows, range);
    if (!out.open(target) || !out.append(rows)) return "file open error: " + target + " (" + out.error() + ")";
    return {};
}

}  // namespace stimlog
