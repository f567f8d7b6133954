#include "files/measures_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "file_reader_test_files.h"
#include "file_size_limit.h"
#include "files/trace_stimuli.h"

namespace {

std::string rowText(const korin::MeasureRow& row) {
    char text[korin::kMeasureRowRoom];
    return std::string(text, korin::writeMeasureRow(text, row));
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Two traces of two responses on channels 3 and 9, some measures none.
void fill(korin::MeasuresTable& table) {
    for (int t = 0; t < 2; ++t) {
        korin::TraceMeasures m;
        m.channels = 1U << 2 | 1U << 8;
        m.responses.count = 2;
        m.responses.onsetMs[0] = 10.05;
        m.responses.onsetMs[1] = 60.05;
        m.responses.intensityUa[0] = m.responses.intensityUa[1] = -17.5 - t;
        for (int c : {2, 8}) {
            for (int r = 0; r < 2; ++r) {
                korin::ResponseMeasures& x = m.channel[c].response[r];
                x.baselineMv = 0.0125 * (c + 1);
                x.amplitudeMv = -1.2345678 / (r + 1);
                x.latencyMs = 4.2;
                x.maxSlope = -0.8 / (r + 1) - t;
                x.windowSlope = -1e-5;
            }
            m.channel[c].ppr.maxSlope = 0.75;
        }
        table.append({t + 1, t + 1, 1, 20.5 * t}, m);
    }
}

const std::string kHeaderLine = std::string(korin::kMeasuresHeader) + "\r\n";

TEST(MeasuresFile, RowsWrittenTraceByTraceReadBackAsTheTable) {
    testfiles::TempDir dir;
    korin::MeasuresTable table;
    fill(table);
    measuresfile::Writer writer;
    ASSERT_TRUE(writer.open(dir.file("m.csv")));
    for (std::int32_t t = 0; t < table.traceCount(); ++t) EXPECT_TRUE(writer.append(table, t));
    writer.close();
    EXPECT_EQ(writer.rowsWritten(), 8U);
    const std::string text = slurp(dir.file("m.csv"));
    EXPECT_EQ(text.substr(0, kHeaderLine.size()), kHeaderLine);
    EXPECT_NE(text.find("\r\n1,1,1,0,3,1,10.05,-17.5,0.0375,-1.2345678,4.2,-0.8,-1e-05,,\r\n"), std::string::npos);
    const measuresfile::ReadResult back = measuresfile::read(dir.file("m.csv"));
    ASSERT_EQ(back.problem, "");
    std::vector<std::string> want, got;
    for (std::int32_t t = 0; t < table.traceCount(); ++t)
        table.forEachRow(t, [&](const korin::MeasureRow& row) { want.push_back(rowText(row)); });
    for (const korin::MeasureRow& row : back.rows) got.push_back(rowText(row));
    EXPECT_EQ(got, want);
}

TEST(MeasuresFile, ADamagedLineIsNamedAndTheRowsIgnored) {
    const std::string good = "1,1,1,0,3,1,10,-20,0.1,-1,4,-0.5,-0.4,-0.3,\r\n";
    const struct {
        std::string text;
        std::string problem;
    } cases[] = {
        {"trace,step\r\n", "line 1: not the measures file's column names"},
        {"", "line 1: not the measures file's column names"},
        {kHeaderLine + good + "1,1,1,0,3,1,10\r\n", "line 3: 7 fields (15 expected)"},
        {kHeaderLine + "x,1,1,0,3,1,10,-20,0.1,-1,4,-0.5,-0.4,-0.3,\r\n", "line 2: trace is not a number"},
        {kHeaderLine + "1,1,1,0,17,1,10,-20,0.1,-1,4,-0.5,-0.4,-0.3,\r\n", "line 2: channel is not 1-16"},
        {kHeaderLine + "1,1,1,0,3,3,10,-20,0.1,-1,4,-0.5,-0.4,-0.3,\r\n", "line 2: response is not 1 or 2"},
        {kHeaderLine + "1,1,1,0,3,1,10,-20,0.1,nan,4,-0.5,-0.4,-0.3,\r\n", "line 2: amplitude_mv is not a number"},
        {kHeaderLine + "1,1,1,,3,1,10,-20,0.1,-1,4,-0.5,-0.4,-0.3,\r\n", "line 2: time_s is not a number"},
        {kHeaderLine + good.substr(0, good.size() - 2) + "\n" + good, "line 2: no CR LF line end"},
    };
    for (const auto& c : cases) {
        const measuresfile::ReadResult r = measuresfile::parse(c.text);
        EXPECT_EQ(r.problem, c.problem) << c.text;
        EXPECT_TRUE(r.rows.empty());
    }
}

TEST(MeasuresFile, ACutOffLastLineIsDroppedAndTheRestKept) {
    const std::string good = "1,1,1,0,3,1,10,-20,0.1,-1,4,-0.5,-0.4,-0.3,\r\n";
    const measuresfile::ReadResult r = measuresfile::parse(kHeaderLine + good + good + "2,1,1,20,3");
    EXPECT_EQ(r.problem, "");
    EXPECT_TRUE(r.cutTail);
    ASSERT_EQ(r.rows.size(), 2U);
    EXPECT_TRUE(std::isnan(r.rows[0].pprMaxSlope));
    EXPECT_EQ(r.rows[0].slope2080, -0.3f);
}

TEST(MeasuresFile, AFullDiskIsKeptNotThrownAndLosesNoWholeTrace) {
    testfiles::TempDir dir;
    korin::MeasuresTable table;
    fill(table);
    measuresfile::Writer writer;
    ASSERT_TRUE(writer.open(dir.file("m.csv")));
    EXPECT_TRUE(writer.append(table, 0));
    const std::string first = slurp(dir.file("m.csv"));
    {
        const FileSizeLimit full(first.size() + 10);
        EXPECT_FALSE(writer.append(table, 1));
    }
    EXPECT_TRUE(writer.failed());
    EXPECT_NE(writer.error(), "");
    EXPECT_EQ(slurp(dir.file("m.csv")), first);  // the cut write taken back
    EXPECT_TRUE(writer.append(table, 1));          // room again: the next trace follows whole
    writer.close();
    const measuresfile::ReadResult back = measuresfile::read(dir.file("m.csv"));
    EXPECT_EQ(back.problem, "");
    EXPECT_EQ(back.rows.size(), 8U);
}

TEST(MeasuresFile, ItsNameIsTheRecordingsStem) {
    EXPECT_EQ(measuresfile::pathFor("/d/20220131_09h05m03s_x.pldat"), "/d/20220131_09h05m03s_x_measures.csv");
    EXPECT_EQ(measuresfile::pathFor("/d/rec"), "/d/rec_measures.csv");
}

TEST(TraceStimuli, PlayedPulsesOfTheRunByTraceWithoutManualOrRefusedRows) {
    auto row = [](std::int32_t trace, char step, double onset, double ua, bool played = true) {
        stimlog::Row r;
        r.trace = trace;
        r.step = step;
        r.onsetMs = onset;
        r.intensityUa = ua;
        r.played = played;
        return r;
    };
    const std::vector<stimlog::Row> rows = {row(2, '1', 10, -20), row(1, '1', 10, -10), row(2, '1', 60, -20),
                                            row(1, 'M', 5, -50),  row(3, '2', 10, -30, false),
                                            row(4, '2', 12.5, -40)};
    const measuresfile::TraceStimuli stimuli(rows);
    auto onsets = [&](std::int32_t t) {
        std::vector<double> v;
        for (const korin::StimOnset& s : stimuli.of(t)) v.push_back(s.onsetMs);
        return v;
    };
    EXPECT_EQ(onsets(1), std::vector<double>{10});
    EXPECT_EQ(onsets(2), (std::vector<double>{10, 60}));
    EXPECT_TRUE(onsets(3).empty());
    EXPECT_EQ(stimuli.of(4)[0].intensityUa, -40);
    EXPECT_TRUE(onsets(0).empty() && onsets(5).empty());

    std::vector<korin::StimOnset> buffer;
    measuresfile::appendOnsets(rows.data(), rows.size(), 1, buffer);
    ASSERT_EQ(buffer.size(), 1U);
    EXPECT_EQ(buffer[0].intensityUa, -10);
}

TEST(TraceStimuli, ABlockHeaderGivesTheTraceAsTheFileNumbersIt) {
    pldat::BlockHeader h;
    h.traceIndex = 6;
    h.step = 1;
    h.loopNumber = 4;
    h.traceStartMs = 120500;
    const korin::TraceInfo info = measuresfile::traceInfoOf(h);
    EXPECT_EQ(info.trace, 7);
    EXPECT_EQ(info.step, 2);
    EXPECT_EQ(info.loop, 4);
    EXPECT_EQ(info.timeS, 120.5);
    h.step = pldat::kNoStep;
    EXPECT_EQ(measuresfile::traceInfoOf(h).step, 0);
}

}  // namespace
