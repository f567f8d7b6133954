#include "processing/evoked_windows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string_view>

#include "acquisition/alert_messages.h"

namespace {

using korin::EvokedWindows;
namespace alerts = korin::alerts;

TEST(EvokedWindows, DefaultsReadAndWriteAsTheCommaList) {
    EXPECT_EQ(korin::windowsText(EvokedWindows{}), "2,0.2,1,1,15,1.5,3,1");
    const korin::WindowsParse parsed = korin::parseWindows(" 2, 0.2,1,1,15 ,1.5,3,1");
    ASSERT_TRUE(parsed.windows);
    EXPECT_EQ(*parsed.windows, EvokedWindows{});
    const EvokedWindows odd{3.35, 0.05, 0.7, 0.75, 42.5, 0.8, 2.15, 0.35};
    EXPECT_EQ(korin::parseWindows(korin::windowsText(odd)).windows, odd);
}

TEST(EvokedWindows, SampleRulesAreHalfOpenOnTheTwentyKilohertzGrid) {
    EXPECT_EQ(korin::firstSampleAtOrAfter(9.8), 196);  // 10 - 0.2 is 9.799999999999999 in binary
    EXPECT_EQ(korin::firstSampleAtOrAfter(10.01), 201);
    EXPECT_EQ(korin::samplesIn(11.0, 25.0), (korin::SampleRange{220, 500}));
    EXPECT_EQ(korin::runSamples(1.0), 20);
    EXPECT_EQ(korin::runSamples(1.02), 21);
}

TEST(EvokedWindows, InconsistentWindowsAreRefusedWithTheirReason) {
    struct Case {
        double EvokedWindows::*field;
        double value;
        std::string_view problem;
    };
    const Case cases[] = {
        {&EvokedWindows::baseToMs, -0.1, alerts::kEvokedBaselineWindow},
        {&EvokedWindows::baseFromMs, 0.25, alerts::kEvokedBaselineWindow},  // 0.05 ms long
        {&EvokedWindows::blankMs, -1.0, alerts::kEvokedBlank},
        {&EvokedWindows::winFromMs, 0.5, alerts::kEvokedMeasureWindow},  // inside the blank
        {&EvokedWindows::winToMs, 1.0, alerts::kEvokedMeasureWindow},
        {&EvokedWindows::slopeFromMs, 0.9, alerts::kEvokedSlopeWindow},
        {&EvokedWindows::slopeToMs, 1.55, alerts::kEvokedSlopeWindow},
        {&EvokedWindows::widthMs, 0.05, alerts::kEvokedSlopeWidth},
        {&EvokedWindows::widthMs, 14.5, alerts::kEvokedSlopeWidth},  // longer than the measure window
        {&EvokedWindows::winToMs, 100.5, alerts::kEvokedWindowReach},
        {&EvokedWindows::baseFromMs, 120.0, alerts::kEvokedWindowReach},
        {&EvokedWindows::slopeToMs, NAN, alerts::kNumericalValue},
    };
    for (const Case& c : cases) {
        EvokedWindows w;
        w.*c.field = c.value;
        EXPECT_EQ(korin::windowsProblem(w), c.problem) << c.value;
    }
    // Edges a user types exactly are not refused for binary noise: 0.3 - 0.2 is below 0.1 in doubles.
    EXPECT_FALSE(korin::windowsProblem({0.3, 0.2, 1.0, 1.0, 15.0, 1.5, 3.0, 1.0}));
    EXPECT_FALSE(korin::windowsProblem({2.0, 0.0, 0.0, 0.0, 14.0, 0.0, 3.0, 14.0}));
}

TEST(EvokedWindows, ParseRefusesMiscountsAndNonNumbers) {
    struct Case {
        std::string_view list;
        std::string_view problem;
    };
    const Case cases[] = {
        {"", alerts::kEvokedWindowsCount},
        {"2,0.2,1,1,15,1.5,3", alerts::kEvokedWindowsCount},
        {"2,0.2,1,1,15,1.5,3,1,1", alerts::kEvokedWindowsCount},
        {"2,0.2,1,,15,1.5,3,1", alerts::kEvokedWindowsCount},
        {"2,0.2,1,1,15,1.5,3,x", alerts::kNumericalValue},
        {"2,0.2,1,1,15,1.5,3,inf", alerts::kNumericalValue},
        {"2,0.2,1,0.5,15,1.5,3,1", alerts::kEvokedMeasureWindow},
    };
    for (const Case& c : cases) {
        const korin::WindowsParse parsed = korin::parseWindows(c.list);
        EXPECT_FALSE(parsed.windows) << c.list;
        EXPECT_EQ(parsed.problem, c.problem) << c.list;
    }
}

}  // namespace
