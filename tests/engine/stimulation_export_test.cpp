// The stimulation log of an export: the rows in the exported range, onsets from
// the first exported sample of their trace.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <vector>

#include "files/stimulation_export.h"

namespace fs = std::filesystem;

namespace {

stimlog::Row at(std::int32_t trace, double onsetMs) {
    stimlog::Row row;
    row.trace = trace;
    row.onsetMs = onsetMs;
    return row;
}

// Two pulses a trace, 10 and 60.05 ms in, traces 1-3; and one at 999.95 ms of trace 3.
const std::vector<stimlog::Row> kRows = {at(1, 10), at(1, 60.05), at(2, 10), at(2, 60.05),
                                         at(3, 10), at(3, 60.05), at(3, 999.95)};

std::vector<std::pair<int, double>> traceAndOnset(const std::vector<stimlog::Row>& rows) {
    std::vector<std::pair<int, double>> out;
    for (const stimlog::Row& r : rows) out.emplace_back(r.trace, r.onsetMs);
    return out;
}

}  // namespace

TEST(StimulationExport, RowsInTheRangeCountFromTheFirstExportedSample) {
    using Kept = std::vector<std::pair<int, double>>;
    struct Case {
        const char* what;
        stimlog::ExportRange range;
        Kept kept;
    } cases[] = {
        {"whole recording", {1, 3, 0, 1000, 1, 0}, {{1, 10}, {1, 60.05}, {2, 10}, {2, 60.05}, {3, 10}, {3, 60.05}, {3, 999.95}}},
        {"traces 2-3 from 50 ms", {2, 3, 50, 1000, 2, 50}, {{2, 10.05}, {3, 10.05}, {3, 949.95}}},
        {"the first 60 ms", {1, 3, 0, 60, 1, 0}, {{1, 10}, {2, 10}, {3, 10}}},
        {"an onset at the range's start is in it", {1, 1, 10, 20, 1, 10}, {{1, 0}}},
                // Resumed at trace 2's second block: nothing of trace 2's first 500 ms.
        {"resumed", {1, 3, 0, 1000, 2, 500}, {{3, 10}, {3, 60.05}, {3, 999.95}}},
    };
    for (const Case& c : cases) EXPECT_EQ(traceAndOnset(stimlog::exportRows(kRows, c.range)), c.kept) << c.what;
}

TEST(StimulationExport, AnExportNamedAsTheRecordingLeavesItsLogAlone) {
    const fs::path dir = fs::temp_directory_path() / ("korin16-stimexport-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string recording = (dir / "rec.pldat").string();
    stimlog::Writer log;
    ASSERT_TRUE(log.open(stimlog::pathFor(recording)));
    ASSERT_TRUE(log.append(kRows));
    log.close();

    EXPECT_EQ(stimlog::writeExportLog(recording, (dir / "rec").string(), {1, 3, 50, 1000, 1, 50}),
              (dir / "rec_stimulation.csv").string() + " is the recording's stimulation log; the export has none of its own");
    EXPECT_EQ(stimlog::read(stimlog::pathFor(recording)).rows.size(), kRows.size());

    EXPECT_EQ(stimlog::writeExportLog(recording, (dir / "part").string(), {2, 2, 0, 1000, 2, 0}), "");
    EXPECT_EQ(traceAndOnset(stimlog::read((dir / "part_stimulation.csv").string()).rows),
              (std::vector<std::pair<int, double>>{{2, 10}, {2, 60.05}}));
    EXPECT_EQ(stimlog::writeExportLog((dir / "nolog.pldat").string(), (dir / "none").string(), {}), "");
    EXPECT_FALSE(fs::exists(dir / "none_stimulation.csv"));
    fs::remove_all(dir);
}
