#include <gtest/gtest.h>

#include "app/logic/button_colours.h"
#include "app/logic/window_layout.h"
#include "app/logic/window_modes.h"

using namespace korin;

// The default client area, 1272 x 979, as the base panel: Hr = 954, Wr = 1022.
TEST(WindowLayout, TypeCInRecordModeStacksTimeLineAndSixteenChannels) {
    const auto layout = computeWindowLayout(1272, 979, "C", false);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->controlPanel, (PixelRect{0, 0, 250, 979}));
    EXPECT_EQ(layout->timeLine, (PixelRect{250, 0, 1022, 238}));
    EXPECT_EQ(layout->rawData, (PixelRect{250, 238, 1022, 265}));
    EXPECT_EQ(layout->rawDataUp, (PixelRect{250, 502, 511, 477}));
    EXPECT_EQ(layout->freq, (PixelRect{761, 502, 511, 477}));
    EXPECT_EQ(layout->rawData1, (PixelRect{0, 19, 1022, 246}));
}

TEST(WindowLayout, TypeAInRecordModePutsTimeLineBesideSixteenChannels) {
    const auto layout = computeWindowLayout(1272, 979, "A", false);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->timeLine, (PixelRect{250, 0, 511, 502}));
    EXPECT_EQ(layout->rawData, (PixelRect{761, 0, 511, 502}));
    EXPECT_EQ(layout->rawData1, (PixelRect{0, 19, 511, 485}));
}

TEST(WindowLayout, ReplayHidesTheTimeLineAndWidensSixteenChannels) {
    for (const char* type : {"A", "C"}) {
        const auto layout = computeWindowLayout(1272, 979, type, true);
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->timeLine.width, 0) << type;
        EXPECT_EQ(layout->timeLine.height, 0) << type;
        EXPECT_EQ(layout->rawData, (PixelRect{250, 0, 1022, 502})) << type;
        EXPECT_EQ(layout->stimF1.width, 0) << type;
    }
}

TEST(WindowLayout, PlotsSitAt84By62AndAre120PixelsSmallerThanTheirFrames) {
    const auto layout = computeWindowLayout(1272, 979, "C", false);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->rawDataUpPlot, (PixelRect{84, 62, 391, 357}));
    EXPECT_EQ(layout->freqPlot, (PixelRect{84, 62, 391, 357}));
}

TEST(WindowLayout, StimulusPanelsShareTheTimeLineBelowEachOther) {
    const auto layout = computeWindowLayout(1272, 979, "C", false);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->stimF1, (PixelRect{80, 32, 922, 79}));
    EXPECT_EQ(layout->stimF2, (PixelRect{80, 111, 922, 79}));
}

TEST(WindowLayout, MinimisedWindowIsNotLaidOut) {
    EXPECT_FALSE(computeWindowLayout(1272, 0, "C", false).has_value());
}

TEST(WindowModes, ModeClicksFromSpikeGiveEpIsiSlopeSpike) {
    std::uint8_t mode = kModeSpike;
    for (const char* text : {"EP", "ISI", "Slope", "Spike"}) {
        mode = nextAnalysisMode(mode);
        EXPECT_EQ(analysisModeText(mode), text);
    }
    EXPECT_EQ(kModeSlope, 3);
}

TEST(ButtonColours, DimmedFormsKeepTheHueWithAlphaTen) {
    EXPECT_EQ(buttonColours(ButtonKind::Ordinary, false),
              (ButtonColours{{10, 90, 90, 90}, {10, 255, 255, 255}}));
    EXPECT_EQ(buttonColours(ButtonKind::Record, true), (ButtonColours{{255, 255, 0, 0}, {255, 255, 255, 255}}));
    EXPECT_EQ(buttonColours(ButtonKind::Record, false), (ButtonColours{{10, 255, 0, 0}, {10, 255, 255, 255}}));
}

TEST(ButtonColours, SelectedOrdinaryButtonSwapsForeAndBack) {
    EXPECT_EQ(buttonColours(ButtonKind::OrdinarySelected, true),
              (ButtonColours{{255, 255, 255, 255}, {255, 90, 90, 90}}));
    EXPECT_EQ(buttonColours(ButtonKind::OrdinarySelected, false),
              (ButtonColours{{10, 255, 255, 255}, {10, 90, 90, 90}}));
}
