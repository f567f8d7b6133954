// The stimulation log beside a recording: its lines, a round trip through the
// file, and a damaged or cut-off log as the readers see it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/measures_file.h"
#include "files/stimulation_log.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kHeaderLine = "trace,step,loop,trace_start_s,output,electrode,pulse,onset_ms,type,"
                                    "duration_ms,intensity_ua,played\r\n";

stimlog::Row row(std::int32_t trace, char step, std::int32_t loop, double startS, std::int32_t output,
                 std::int32_t electrode, std::int32_t pulse, double onsetMs, bool biphasic, double durationMs,
                 double intensityUa, bool played) {
    return {trace, step, loop, startS, output, electrode, pulse, onsetMs, biphasic, durationMs, intensityUa, played};
}

bool sameRow(const stimlog::Row& a, const stimlog::Row& b) {
    return a.trace == b.trace && a.step == b.step && a.loop == b.loop && a.traceStartS == b.traceStartS &&
           a.output == b.output && a.electrode == b.electrode && a.pulse == b.pulse && a.onsetMs == b.onsetMs &&
           a.biphasic == b.biphasic && a.durationMs == b.durationMs && a.intensityUa == b.intensityUa &&
           a.played == b.played;
}

std::string lineOf(const stimlog::Row& r) {
    char text[stimlog::kRowRoom];
    return std::string(text, stimlog::writeRow(text, r));
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct LogFolder : ::testing::Test {
    fs::path folder;
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("korin16-stimlog-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
};

const std::vector<stimlog::Row> kRows = {
    row(1, '1', 1, 0.0, 0, 5, 1, 10.0, true, 0.2, -10.0, true),
    row(2, '2', 1, 1.5, 0, 5, 2, 60.05, true, 0.2, -15.0, false),
    row(3, '1', 2, 3.25, 1, 16, 1, 999.95, false, 1.25, 12.3, true),
    row(1, 'M', 0, 0.0, 1, 0, 20, 190.0, true, 0.65, -0.25, true),
};

}  // namespace

TEST(StimulationLogRow, LineHoldsTheShortestTextOfEveryValue) {
    struct Case {
        stimlog::Row row;
        const char* line;
    } cases[] = {
        {kRows[0], "1,1,1,0,S1,5,1,10,Biphasic,0.2,-10,1\r\n"},
        {kRows[1], "2,2,1,1.5,S1,5,2,60.05,Biphasic,0.2,-15,0\r\n"},
        {kRows[2], "3,1,2,3.25,S2,16,1,999.95,Const,1.25,12.3,1\r\n"},
        {kRows[3], "1,M,0,0,S2,0,20,190,Biphasic,0.65,-0.25,1\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(lineOf(c.row), c.line);
}

TEST(StimulationLogPath, SitsBesideTheRecordingUnderItsStem) {
    EXPECT_EQ(stimlog::pathFor("/d/20220131_09h05m03s.pldat"), "/d/20220131_09h05m03s_stimulation.csv");
    EXPECT_EQ(stimlog::pathFor("/d/20220131_09h05m03s_2.pldat"), "/d/20220131_09h05m03s_2_stimulation.csv");
    EXPECT_EQ(stimlog::pathFor("/d/x_Manual Stim.pldat"), "/d/x_Manual Stim_stimulation.csv");
    EXPECT_EQ(stimlog::pathFor("/d/export"), "/d/export_stimulation.csv");
}

TEST_F(LogFolder, RowsAppendedTraceByTraceReadBackEqual) {
    const std::string path = (folder / "r_stimulation.csv").string();
    stimlog::Writer log;
    ASSERT_TRUE(log.open(path)) << log.error();
    ASSERT_TRUE(log.append(kRows.data(), 2));
    ASSERT_TRUE(log.append(kRows.data() + 2, 2));
    log.close();
    EXPECT_EQ(log.rowsWritten(), 4u);
    const std::string text = fileText(path);
    EXPECT_EQ(text.substr(0, std::string(kHeaderLine).size()), kHeaderLine);

    const stimlog::ReadResult read = stimlog::read(path);
    EXPECT_TRUE(read.exists);
    EXPECT_EQ(read.problem, "");
    EXPECT_FALSE(read.cutTail);
    ASSERT_EQ(read.rows.size(), kRows.size());
    for (std::size_t i = 0; i < kRows.size(); ++i) EXPECT_TRUE(sameRow(read.rows[i], kRows[i])) << "row " << i;
}

TEST_F(LogFolder, NoLogIsNoProblem) {
    const stimlog::ReadResult read = stimlog::read((folder / "none_stimulation.csv").string());
    EXPECT_FALSE(read.exists);
    EXPECT_EQ(read.problem, "");
}

// A FIFO in a log's place would hang a reader that opened it: info, replay and
// measure must go on without it, saying what is there instead.
TEST_F(LogFolder, WhatIsNotARegularFileIsToldWithoutOpeningIt) {
    const std::string fifo = (folder / "f.csv").string(), sub = (folder / "d.csv").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(sub);
    const struct {
        std::string path, kind;
    } cases[] = {{fifo, "a FIFO, not a file"}, {sub, "a folder, not a file"}};
    for (const auto& c : cases) {
        const stimlog::ReadResult log = stimlog::read(c.path);
        EXPECT_TRUE(log.exists && log.rows.empty());
        EXPECT_EQ(log.problem, "cannot be read (" + c.kind + "); the log is ignored");
        EXPECT_EQ(measuresfile::read(c.path).problem, "cannot be read (" + c.kind + ")");
    }
}

TEST_F(LogFolder, AnUncreatableLogIsToldNotThrown) {
    stimlog::Writer log;
    EXPECT_FALSE(log.open((folder / "missing" / "r_stimulation.csv").string()));
    EXPECT_EQ(log.error(), "No such file or directory");
    EXPECT_FALSE(log.append(kRows));
}

TEST(StimulationLogParse, DamageIsToldWithItsLineAndIgnoresTheLog) {
    const std::string good = "1,1,1,0,S1,5,1,10,Biphasic,0.2,-10,1\r\n";
    struct Case {
        std::string text;
        const char* problem;
    } cases[] = {
        {"", "line 1: not the log's column names; the log is ignored"},
        {"trace,step\r\n" + good, "line 1: not the log's column names; the log is ignored"},
        {kHeaderLine + good + "1,1,1,0,S1,5,1,10,Biphasic,0.2,-10\r\n",
         "line 3: 11 fields (12 expected); the log is ignored"},
        {kHeaderLine + good + good + "x,1,1,0,S1,5,1,10,Biphasic,0.2,-10,1\r\n",
         "line 4: trace is not a number; the log is ignored"},
        {kHeaderLine + std::string("1,3,1,0,S1,5,1,10,Biphasic,0.2,-10,1\r\n"),
         "line 2: step is not one of 1, 2, M; the log is ignored"},
        {kHeaderLine + std::string("1,1,1,0,S3,5,1,10,Biphasic,0.2,-10,1\r\n"),
         "line 2: output is not one of S1, S2; the log is ignored"},
        {kHeaderLine + std::string("1,1,1,0,S1,5,1,nan,Biphasic,0.2,-10,1\r\n"),
         "line 2: onset_ms is not a number; the log is ignored"},
        {kHeaderLine + std::string("1,1,1,0,S1,5,1,10,Mono,0.2,-10,1\r\n"),
         "line 2: type is not one of Biphasic, Const; the log is ignored"},
        {kHeaderLine + std::string("1,1,1,0,S1,5,1,10,Biphasic,0.2,+10,1\r\n"),
         "line 2: intensity_ua is not a number; the log is ignored"},
        {kHeaderLine + std::string("1,1,1,0,S1,5,1,10,Biphasic,0.2,-10,yes\r\n"),
         "line 2: played is not one of 0, 1; the log is ignored"},
        {kHeaderLine + good + "1,1,1,0,S1,5,1,10,Biphasic,0.2,-10,1\n" + good,
         "line 3: no CR LF line end; the log is ignored"},
    };
    for (const Case& c : cases) {
        const stimlog::ReadResult read = stimlog::parse(c.text);
        EXPECT_EQ(read.problem, c.problem) << c.text;
        EXPECT_TRUE(read.rows.empty()) << c.text;
    }
}

TEST(StimulationLogParse, CutTailIsDroppedAndTheRowsBeforeItStand) {
    const std::string good = "1,1,1,0,S1,5,1,10,Biphasic,0.2,-10,1\r\n";
    const stimlog::ReadResult read = stimlog::parse(kHeaderLine + good + good + "2,1,2,1.5,S1,5,1,1");
    EXPECT_EQ(read.problem, "");
    EXPECT_TRUE(read.cutTail);
    EXPECT_EQ(read.rows.size(), 2u);

    const stimlog::ReadResult headerOnly = stimlog::parse(kHeaderLine);
    EXPECT_EQ(headerOnly.problem, "");
    EXPECT_TRUE(headerOnly.rows.empty());
}
