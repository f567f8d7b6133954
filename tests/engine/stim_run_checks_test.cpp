// The checks a run's programs pass before anything is touched: the current of
// every trace against the stimulator's ±100 µA, and outputs that reach no tissue.
#include "stimulation/run_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquisition/alert_messages.h"
#include "stimulation/step_editor.h"
#include "tests/engine/stim_test_helpers.h"

namespace {

using stimtest::pulse;

constexpr int kS1 = PulseParameters::kS1;
constexpr int kS2 = PulseParameters::kS2;

// Output f of `p` on electrode 1 with one pulse, "by rep #" at `increment` when given.
void onePulse(PulseParameters& p, int f, const char* type, const char* intensity, const char* increment = nullptr) {
    (f == kS1 ? p.S1Ch : p.S2Ch) = 0;
    p.setPulses(f, {pulse(type, "0.1", intensity, "0", "99.9")});
    if (increment == nullptr) return;
    (f == kS1 ? p.addIncrementByRepS1 : p.addIncrementByRepS2) = 1;
    (f == kS1 ? p.autoincrementS1 : p.autoincrementS2) = increment;
    ASSERT_TRUE(p.parseAutoIncrement(f));
}

std::string firstExcessText(const std::vector<const PulseParameters*>& order, std::int64_t traces) {
    const auto excess = stim::firstCurrentExcess(order, traces);
    return excess ? stim::traceCurrentMessage(*excess) : std::string();
}

}  // namespace

TEST(RunCurrentCheck, OneStepCasesNameTheFirstTraceBeyondTheLimit) {
    struct Case {
        const char* type;
        const char* intensity;
        const char* increment;  // "by rep #" on S1 when set
        std::int64_t traces;
        const char* message;  // "" when the run may start
    };
    const Case cases[] = {
        {"Biphasic", "-100", "5", 2,
         "Trace 2 would stimulate with -105 \u00b5A on S1; the stimulator's limit is 100 \u00b5A."},
        {"Biphasic", "-95", "5", 2, ""},
        {"Biphasic", "-95", "5", 3,
         "Trace 3 would stimulate with -105 \u00b5A on S1; the stimulator's limit is 100 \u00b5A."},
        {"Biphasic", "100", nullptr, 1, ""},
        {"Biphasic", "-100.5", nullptr, 5,
         "Trace 1 would stimulate with -100.5 \u00b5A on S1; the stimulator's limit is 100 \u00b5A."},
        {"Biphasic", "-100", "-5", 10, ""},        // a negative increment only weakens the pulse
        {"Const", "-100", "5", 10, ""},            // "by rep #" leaves Const pulses alone
        {"Biphasic", "-100", "5", 0, ""},          // "# Repeat" 0 records one trace
        // -99 - 1000 x 0.001 is -100 in single precision; one repetition more is beyond.
        {"Biphasic", "-99", "0.001", 1'000'000,
         "Trace 1002 would stimulate with -100.001 \u00b5A on S1; the stimulator's limit is 100 \u00b5A."},
    };
    for (const Case& c : cases) {
        PulseParameters p;
        p.S1Ch = p.S2Ch = PulseParameters::kNoElectrode;
        onePulse(p, kS1, c.type, c.intensity, c.increment);
        EXPECT_EQ(firstExcessText({&p}, c.traces), c.message) << c.type << " " << c.intensity << " over " << c.traces;
    }
}

TEST(RunCurrentCheck, AlternatingStepsCountEachStepsOwnRepetitions) {
    PulseParameters step1, step2;
    for (PulseParameters* p : {&step1, &step2}) p->S1Ch = p->S2Ch = PulseParameters::kNoElectrode;
    onePulse(step1, kS1, "Biphasic", "-10");
    onePulse(step2, kS2, "Biphasic", "-90", "5");
    // Step 2 plays traces 2, 4, 6, 8 at -90, -95, -100, -105 µA.
    EXPECT_EQ(firstExcessText({&step1, &step2}, 20),
              "Trace 8 would stimulate with -105 \u00b5A on S2; the stimulator's limit is 100 \u00b5A.");
    EXPECT_EQ(firstExcessText({&step1, &step2}, 7), "");
}

TEST(RunCurrentCheck, OnlyOutputsThatAreOnCountAndTheLargestPulseIsNamed) {
    PulseParameters p;
    p.S1Ch = PulseParameters::kNoElectrode;
    p.setPulses(kS1, {pulse("Biphasic", "0.1", "-150", "0", "99.9")});  // no electrode: never played
    EXPECT_EQ(firstExcessText({&p}, 1), "");
    p.S2Ch = 3;
    p.setPulses(kS2, {pulse("Biphasic", "0.1", "-50", "0", "9.9"), pulse("Const", "1", "120", "0", "9")});
    EXPECT_EQ(firstExcessText({&p}, 1),
              "Trace 1 would stimulate with 120 \u00b5A on S2; the stimulator's limit is 100 \u00b5A.");
}

TEST(RunCurrentCheck, InAllUnitsTakingMinusHundredToMinusHundredFiveIsBeyond) {
    PulseParameters p;
    p.S1Ch = p.S2Ch = PulseParameters::kNoElectrode;
    stim::StepEditor editor(p, stim::StepKind::Step1);
    editor.setTraceSeconds(1);
    editor.clickElectrode(1);
    editor.tab.fields = pulse("Biphasic", "0.1", "-100", "0", "99.9");
    ASSERT_TRUE(editor.add().alert.empty());
    editor.setIncrementText("5");
    editor.setPulseAllUnitsIncrement();
    ASSERT_EQ(p.PulseConfigS1[0].Intensity, "-105");
    EXPECT_EQ(firstExcessText({&p}, 1),
              "Trace 1 would stimulate with -105 \u00b5A on S1; the stimulator's limit is 100 \u00b5A.");
}

TEST(RunCurrentCheck, ManualProgramBeyondTheLimitIsNamedAsTheManualProgram) {
    PulseParameters manual;
    manual.S1Ch = PulseParameters::kNoElectrode;
    onePulse(manual, kS2, "Biphasic", "-100.25");
    EXPECT_FALSE(stim::storedCurrentExcess(manual, kS1));
    const auto excess = stim::storedCurrentExcess(manual, kS2);
    ASSERT_TRUE(excess);
    EXPECT_EQ(stim::manualCurrentMessage(*excess),
              "The Manual program would stimulate with -100.25 \u00b5A on S2; the stimulator's limit is 100 \u00b5A.");
}

TEST(UntargetedOutputs, PulsesWithoutElectrodeAndElectrodeWithoutPulsesWarnOnceEach) {
    PulseParameters p;
    p.S1Ch = PulseParameters::kNoElectrode;
    p.S2Ch = 4;
    p.setPulses(kS1, {stimtest::standardBiphasic()});
    EXPECT_EQ(stim::untargetedOutputWarnings(p, ""),
              (std::vector<std::string>{"S1 has pulses but no electrode: nothing reaches the tissue.",
                                        "S2 has an electrode but no pulses: electrode 5 gets no stimulus."}));
    EXPECT_EQ(stim::untargetedOutputWarnings(p, " of Step 2").front(),
              "S1 of Step 2 has pulses but no electrode: nothing reaches the tissue.");
    p.S1Ch = 0;
    p.setPulses(kS2, {stimtest::standardBiphasic()});
    EXPECT_TRUE(stim::untargetedOutputWarnings(p, "").empty());
}
