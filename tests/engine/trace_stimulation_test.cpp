// The rows one trace's stimulus gives the log: onsets in samples as the buffer
// is rendered, intensities as played, one pattern or back-to-back repetitions.
#include <gtest/gtest.h>

#include <vector>

#include "stimulation/trace_stimulation.h"
#include "tests/engine/stim_test_helpers.h"

using stimtest::pulse;

namespace {

struct Expected {
    std::int32_t output;
    std::int32_t pulse;
    double onsetMs;
    double durationMs;
    double intensityUa;
};

// S1 on electrode 5: two biphasic pulses of 0.2 ms, 10 ms and 60.05 ms into the pattern.
PulseParameters twoPulses() {
    PulseParameters p;
    p.S1Ch = 4;
    p.S2Ch = PulseParameters::kNoElectrode;
    p.setPulses(PulseParameters::kS1, {pulse("Biphasic", "0.2", "-10", "10", "49.75"),
                                       pulse("Biphasic", "0.2", "-10", "0.1", "39.75")});
    p.addIncrementByRepS1 = 1;
    p.autoincrementS1float = 5;
    return p;
}

void expectRows(const std::vector<stimlog::Row>& rows, const std::vector<Expected>& expected) {
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].output, expected[i].output) << "row " << i;
        EXPECT_EQ(rows[i].pulse, expected[i].pulse) << "row " << i;
        EXPECT_EQ(rows[i].onsetMs, expected[i].onsetMs) << "row " << i;
        EXPECT_EQ(rows[i].durationMs, expected[i].durationMs) << "row " << i;
        EXPECT_EQ(rows[i].intensityUa, expected[i].intensityUa) << "row " << i;
    }
}

stim::TracePlace place(double traceMs) {
    stim::TracePlace at;
    at.traceMs = traceMs;
    return at;
}

}  // namespace

TEST(TraceStimulation, ByRepIntensitiesFollowTheRepetitionAndOnsetsTheSamples) {
    const PulseParameters p = twoPulses();
    struct Case {
        bool byRep;
        std::int32_t roop;
        double intensity;
    } cases[] = {{false, 2, -10}, {true, 0, -10}, {true, 1, -15}, {true, 2, -20}};
    std::vector<stimlog::Row> rows;
    for (const Case& c : cases) {
        stim::traceRows(p, {true, false, c.byRep, c.roop, false, 0}, place(1000), rows);
        // 200 + 4 + 995 samples, then 2 more of pre: 1201 samples = 60.05 ms.
        expectRows(rows, {{0, 1, 10.0, 0.2, c.intensity}, {0, 2, 60.05, 0.2, c.intensity}});
        EXPECT_EQ(rows[0].electrode, 5);
        EXPECT_TRUE(rows[0].biphasic);
    }
}

TEST(TraceStimulation, PlaceAndPlayedComeFromTheTrace) {
    stim::TracePlace at = place(1000);
    at.trace = 3;
    at.step = '2';
    at.loop = 2;
    at.traceStartS = 3.25;
    at.playedS1 = false;
    std::vector<stimlog::Row> rows;
    stim::traceRows(twoPulses(), {true, false, false, 0, false, 0}, at, rows);
    ASSERT_EQ(rows.size(), 2u);
    for (const stimlog::Row& r : rows) {
        EXPECT_EQ(r.trace, 3);
        EXPECT_EQ(r.step, '2');
        EXPECT_EQ(r.loop, 2);
        EXPECT_EQ(r.traceStartS, 3.25);
        EXPECT_FALSE(r.played);
    }
}

TEST(TraceStimulation, BothOutputsGiveS1RowsThenS2RowsWithTheirOwnElectrodes) {
    PulseParameters p = twoPulses();
    p.S2Ch = 15;
    p.setPulses(PulseParameters::kS2, {pulse("Const", "1.25", "5", "0.7", "10"),
                                       pulse("Const", "0", "5", "1", "1"),  // no sample of current: no pulse
                                       pulse("Const", "1", "-7.3", "2", "10")});
    std::vector<stimlog::Row> rows;
    stim::traceRows(p, {true, true, true, 2, false, 0}, place(1000), rows);
    // "0.7" ms is 13 samples (the float lies below 0.7), so S2's third pulse
    // starts at 13 + 25 + 200 + 20 + 20 + 40 = 318 samples; Const keeps its
    // intensity under "by rep #".
    expectRows(rows, {{0, 1, 10.0, 0.2, -20},
                      {0, 2, 60.05, 0.2, -20},
                      {1, 1, 0.65, 1.25, 5},
                      {1, 3, 15.9, 1.0, -7.3}});
    EXPECT_EQ(rows[2].electrode, 16);
    EXPECT_FALSE(rows[2].biphasic);
}

TEST(TraceStimulation, RepeatAllGivesEveryPatternThatStartsInsideTheTrace) {
    PulseParameters p;
    p.S1Ch = 0;
    p.setPulses(PulseParameters::kS1, {pulse("Biphasic", "0.1", "-10", "0", "99.9")});  // 100 ms
    struct Case {
        double traceMs;
        std::int32_t repeat;
        std::size_t rows;
        double lastOnsetMs;
    } cases[] = {
        {1000, 10, 10, 900},  // the eleventh write would start as the trace ends
        {1050, 10, 11, 1000},
        {1000, 3, 4, 300},  // no more patterns than are written
        {50, 0, 1, 0},
    };
    std::vector<stimlog::Row> rows;
    for (const Case& c : cases) {
        stim::traceRows(p, {true, false, false, 0, true, c.repeat}, place(c.traceMs), rows);
        ASSERT_EQ(rows.size(), c.rows) << c.traceMs;
        EXPECT_EQ(rows.back().onsetMs, c.lastOnsetMs) << c.traceMs;
        EXPECT_EQ(rows.back().pulse, 1);
    }
}

TEST(TraceStimulation, PatternStartedLateIsShiftedAndCutAtTheTraceEnd) {
    stim::TracePlace at = place(1000);
    at.patternStartMs = 950;  // a trace resumed 950 ms in plays its pattern from there
    std::vector<stimlog::Row> rows;
    stim::traceRows(twoPulses(), {true, false, false, 0, false, 0}, at, rows);
    expectRows(rows, {{0, 1, 960.0, 0.2, -10}});
}

TEST(TraceStimulation, IntensityIsTheShortestDecimalOfTheFloat) {
    EXPECT_EQ(stim::intensityUa(-12.3f), -12.3);
    EXPECT_EQ(stim::intensityUa(0.1f), 0.1);
    EXPECT_EQ(stim::intensityUa(100.0f), 100.0);
}
