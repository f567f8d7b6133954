// korin16-cli measure on recordings with exact responses, its refusals, and
// the same table from the session fed directly and from replay.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquisition/channel_levels.h"
#include "files/measures_file.h"
#include "files/replay_control.h"
#include "files/replay_window.h"
#include "measure_recordings.h"
#include "tools/cli_commands.h"

namespace {

using measure_test::EpRun;

struct Outcome {
    int rc;
    std::string out, err;
};

Outcome measure(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int rc = cliMeasure(static_cast<int>(argv.size()), argv.data());
    std::string out = testing::internal::GetCapturedStdout();
    return {rc, out, testing::internal::GetCapturedStderr()};
}

std::string rowText(const korin::MeasureRow& row) {
    char text[korin::kMeasureRowRoom];
    return std::string(text, korin::writeMeasureRow(text, row));
}

std::vector<std::string> tableRows(const korin::MeasuresTable& table) {
    std::vector<std::string> rows;
    for (std::int32_t t = 0; t < table.traceCount(); ++t)
        table.forEachRow(t, [&](const korin::MeasureRow& row) { rows.push_back(rowText(row)); });
    return rows;
}

std::vector<std::string> fileRows(const std::string& path) {
    const measuresfile::ReadResult file = measuresfile::read(path);
    EXPECT_EQ(file.problem, "");
    std::vector<std::string> rows;
    for (const korin::MeasureRow& row : file.rows) rows.push_back(rowText(row));
    return rows;
}

// Traces of 1.2 s (blocks of 10 000, 10 000 and 4 000 scans): the first
// response too early for its own baseline (the trace's last 10 ms serve), the
// second straddling the first two blocks.
const EpRun kStraddling{.traces = 4, .durationMs = 1200, .onsetsMs = {0.5, 490}, .intervalMs = 2000};

TEST(CliMeasure, RowsOfARecordingAreItsAnalyticMeasures) {
    testfiles::TempDir dir;
    const std::string rec = measure_test::write(dir, "ep", EpRun{});
    const Outcome o = measure({rec, "--out", dir.file("m.csv"), "--baseline-traces", "1"});
    ASSERT_EQ(o.rc, 0) << o.err;
    const measuresfile::ReadResult file = measuresfile::read(dir.file("m.csv"));
    ASSERT_EQ(file.rows.size(), 3U * 16 * 2);
    for (const korin::MeasureRow& row : file.rows) {
        const int t = row.info.trace, c = row.channel - 1;
        SCOPED_TRACE(rowText(row));
        EXPECT_EQ(row.info.step, t % 2 == 1 ? 1 : 2);
        EXPECT_EQ(row.info.loop, (t - 1) / 2 + 1);
        EXPECT_EQ(row.info.timeS, (t - 1) * 5.0);
        EXPECT_EQ(row.onsetMs, row.response == 1 ? 10.0 : 60.0);
        EXPECT_EQ(row.intensityUa, measure_test::intensityOf(t));
        EXPECT_NEAR(row.baselineMv, measure_test::kBaselineMv, 1e-6);
        EXPECT_NEAR(row.amplitudeMv, measure_test::amplitudeOf(c, t), 1e-6);
        EXPECT_NEAR(row.latencyMs, 4.2, 1e-6);
        for (float slope : {row.maxSlope, row.windowSlope, row.slope2080})
            EXPECT_NEAR(slope, measure_test::slopeOf(c, t), 1e-6);
        if (row.response == 2) EXPECT_NEAR(row.pprMaxSlope, 1.0, 1e-6);
        else EXPECT_TRUE(std::isnan(row.pprMaxSlope));
    }
    // Channel 1: -0.0048828125 mV/ms at baseline; the last traces average twice that.
    EXPECT_NE(o.out.find("   1     -0.0049                 200.0 %                1.000"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("  ch       -30       -20       -10"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("   1   -0.0146   -0.0098   -0.0049"), std::string::npos) << o.out;
}

TEST(CliMeasure, FixedOnsetServesARecordingWithoutLog) {
    testfiles::TempDir dir;
    const std::string rec = measure_test::write(dir, "ep", EpRun{}, false);
    const Outcome refused = measure({rec, "--out", dir.file("m.csv")});
    EXPECT_EQ(refused.rc, 1);
    EXPECT_NE(refused.err.find("has no stimulation log"), std::string::npos) << refused.err;

    ASSERT_EQ(measure({rec, "--out", dir.file("m.csv"), "--onset", "10", "--channels", "2,16"}).rc, 0);
    const measuresfile::ReadResult file = measuresfile::read(dir.file("m.csv"));
    ASSERT_EQ(file.rows.size(), 3U * 2);
    for (const korin::MeasureRow& row : file.rows) {
        EXPECT_TRUE(row.channel == 2 || row.channel == 16);
        EXPECT_EQ(row.response, 1);
        EXPECT_TRUE(std::isnan(row.intensityUa));
        EXPECT_NEAR(row.maxSlope, measure_test::slopeOf(row.channel - 1, row.info.trace), 1e-6);
    }
}

TEST(CliMeasure, RefusesBadOptionsAndFiles) {
    testfiles::TempDir dir;
    const std::string rec = measure_test::write(dir, "ep", EpRun{});
    const std::string bare = measure_test::write(dir, "bare", EpRun{}, false);
    const std::string damaged = measure_test::write(dir, "damaged", EpRun{}, false);
    dir.write("damaged_stimulation.csv", {'x', '\r', '\n'});
    const std::string out = dir.file("m.csv");
    struct Case {
        std::vector<std::string> args;
        int rc;
        std::string message;
    };
    const Case cases[] = {
        {{rec}, 2, "usage:"},
        {{rec, "--out", out, "--frobnicate", "1"}, 2, "usage:"},
        {{rec, "--out"}, 2, "usage:"},
        {{dir.file("missing.pldat"), "--out", out}, 1, "missing.pldat: "},
        {{damaged, "--out", out}, 1, "line 1: not the log's column names"},
        {{rec, "--out", out, "--windows", "2,0.2,1"}, 1, "Please give eight window values"},
        {{rec, "--out", out, "--windows", "2,0.2,1,1,15,1.5,3,x"}, 1, "Please input a numerical value."},
        {{rec, "--out", out, "--windows", "2,0.2,1,0.5,15,1.5,3,1"}, 1, "The measure window must start"},
        {{rec, "--out", out, "--channels", "17"}, 1, "channel numbers 1-16"},
        {{rec, "--out", out, "--channels", "3,3"}, 1, "channel 3 twice"},
        {{rec, "--out", out, "--baseline-traces", "0"}, 1, "--baseline-traces takes a whole number"},
        {{rec, "--out", out, "--onset", "ten"}, 1, "--onset takes ms"},
        {{bare, "--out", out, "--onset", "100"}, 1, "not within the file's trace of 100 ms"},
        {{rec, "--out", rec}, 1, "would overwrite a recording"},
        {{rec, "--out", stimlog::pathFor(rec)}, 1, "would overwrite the stimulation log"},
        {{rec, "--out", dir.file("no/such/folder/m.csv")}, 1, "The measures file could not be created."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        const Outcome o = measure(c.args);
        EXPECT_EQ(o.rc, c.rc);
        EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
    }
    EXPECT_FALSE(std::filesystem::exists(out));  // nothing written by a refused command
    EXPECT_EQ(stimlog::read(stimlog::pathFor(rec)).rows.size(), 6U);
}

TEST(CliMeasure, TableIsTheSessionsFedTheRecordedSamplesBlockByBlock) {
    testfiles::TempDir dir;
    const std::string rec = measure_test::write(dir, "ep", kStraddling);
    ASSERT_EQ(measure({rec, "--out", dir.file("m.csv")}).rc, 0);

    // As a live run would hand them over: each block's mV values as recorded.
    korin::EvokedSession session;
    session.beginRun();
    const std::vector<stimlog::Row> log = measure_test::logRows(kStraddling);
    std::vector<double> block(16 * 10000);
    for (int t = 1; t <= kStraddling.traces; ++t) {
        std::vector<korin::StimOnset> onsets;
        measuresfile::appendOnsets(log.data(), log.size(), t, onsets);
        session.beginTrace({t, t % 2 == 1 ? 1 : 2, (t - 1) / 2 + 1, (t - 1) * 2.0}, onsets.data(),
                           static_cast<int>(onsets.size()), 24000);
        for (int b = 0; b < 3; ++b) {
            const int scans = b < 2 ? 10000 : 4000;
            for (int k = 0; k < scans; ++k)
                for (int c = 0; c < 16; ++c)
                    block[16 * k + c] = measure_test::countAt(kStraddling, t, c, b * 10000 + k) * measure_test::kCf;
            session.addBlock(block.data(), b * 10000, scans);
        }
    }
    const std::vector<std::string> rows = tableRows(session.table());
    ASSERT_EQ(rows.size(), 4U * 16 * 2);
    EXPECT_EQ(fileRows(dir.file("m.csv")), rows);
}

TEST(ReplayMeasures, TableIsTheCommandsForTheSameFile) {
    testfiles::TempDir dir;
    const std::string rec = measure_test::write(dir, "ep", kStraddling);
    ASSERT_EQ(measure({rec, "--out", dir.file("m.csv")}).rc, 0);

    HeadlessReplayWindow window;
    window.texts[ReplayText::Delay] = ReplayControl::kFastText;
    korin::ChannelLevels levels;
    ReplayControl replay(window, levels);
    replay.buttonFileOpen_Click(rec);
    ASSERT_TRUE(replay.readerActive);
    replay.toolStripButtonPlay_Click();
    const korin::EvokedSession& session = replay.evokedSession();
    EXPECT_EQ(session.measuredTraces(), 4U);
    EXPECT_EQ(tableRows(session.table()), fileRows(dir.file("m.csv")));
    // The last trace: the straddling response's slope and the tail's baseline.
    EXPECT_EQ(session.lastInfo().trace, 4);
    const korin::ResponseMeasures& last = session.lastMeasures().channel[0].response[1];
    EXPECT_NEAR(last.maxSlope, measure_test::slopeOf(0, 4), 1e-9);
    EXPECT_NEAR(session.lastMeasures().channel[0].response[0].baselineMv, measure_test::kBaselineMv, 1e-12);

    // Played again from the start: the same table, not twice its rows.
    replay.toolStripButtonStop_Click();
    replay.toolStripButtonPlay_Click();
    EXPECT_EQ(tableRows(session.table()), fileRows(dir.file("m.csv")));
}

}  // namespace
