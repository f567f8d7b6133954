#include <gtest/gtest.h>

#include <algorithm>

#include "display/stim_timeline.h"
#include "stimulation/step_editor.h"
#include "tests/engine/stim_test_helpers.h"

namespace {

using stimtest::standardBiphasic;
using stimline::RangeField;

// A picture 600 x 200: panels 500 x 60, S1 at (80, 32), S2 at (80, 92).
constexpr stimline::TimeLineGeometry kPicture{600, 200};

PulseParameters threePulses() {
    PulseParameters p;
    p.setPulses(PulseParameters::kS1, {standardBiphasic(), standardBiphasic(), standardBiphasic()});
    return p;
}

}  // namespace

TEST(StimTimeline, SingleMinusTenPulseAutoscalesToElevenAndAFifthOfASecond) {
    PulseParameters p;
    p.setPulses(PulseParameters::kS1, {standardBiphasic()});
    const stimline::YRangeTexts y = stimline::verticalAutoscale(p.PulseAmplitudeAry);
    EXPECT_EQ(y.yMax, "11.00");
    EXPECT_EQ(y.yMin, "-11.00");
    EXPECT_EQ(stimline::timeAutoscale(p), "0.10000");
}

TEST(StimTimeline, EmptyListsLeaveTheTimeRangeAndScaleAroundZero) {
    PulseParameters p;
    EXPECT_EQ(stimline::timeAutoscale(p), "");
    EXPECT_EQ(stimline::verticalAutoscale(p.PulseAmplitudeAry).yMax, "1.00");
}

TEST(StimTimeline, EmptyListDrawsOnlyTheBand) {
    DrawList frame;
    PulseParameters p;
    stimline::StimPanel panel{&p.PulseAmplitudeAry, false, 0, 0.1f, -11, 11};
    ASSERT_TRUE(stimline::buildStimPanelFrame(frame, panel, ViewColors{}, 500, 60));
    ASSERT_EQ(frame.batches().size(), 1u);
    EXPECT_EQ(frame.batches()[0].primitive, Primitive::Quads);
    EXPECT_EQ(frame.vertices()[0], (Vertex2{0, 5}));
    EXPECT_EQ(frame.vertices()[2], (Vertex2{500, 55}));
}

TEST(StimTimeline, SelectedPulseIsDrawnInTheHighlightColourWithinItsColumns) {
    PulseParameters p = threePulses();
    const auto [from, to] = stim::getprepostF1(p, 2);
    DrawList frame;
    stimline::StimPanel panel{&p.PulseAmplitudeAry, true, 0, 0.3f, -11, 11, from, to};
    ASSERT_TRUE(stimline::buildStimPanelFrame(frame, panel, ViewColors{}, 600, 60));  // 0.1 px per sample
    int red = 0;
    for (const DrawBatch& b : frame.batches()) {
        if (!(b.color == colors::kSelectionRed)) continue;
        for (std::uint32_t v = b.first; v < b.first + b.count; ++v) {
            ++red;
            EXPECT_GE(frame.vertices()[v].x, 199.9f);
            EXPECT_LE(frame.vertices()[v].x, 400.1f);
        }
    }
    EXPECT_GT(red, 0);
}

TEST(StimTimeline, StepPlotStaysInsideTheBand) {
    PulseParameters p = threePulses();
    DrawList frame;
    stimline::StimPanel panel{&p.PulseAmplitudeAry, true, 0, 0.3f, -5, 5};  // the pulses reach ±10
    ASSERT_TRUE(stimline::buildStimPanelFrame(frame, panel, ViewColors{}, 600, 60));
    for (const Vertex2& v : frame.vertices()) {
        EXPECT_GE(v.y, 5.0f);
        EXPECT_LE(v.y, 55.0f);
    }
}

TEST(StimTimeline, ZeroHeightRangeAbandonsThePlot) {
    PulseParameters p = threePulses();
    DrawList frame;
    stimline::StimPanel panel{&p.PulseAmplitudeAry, true, 0, 0.3f, 0, 0};
    EXPECT_FALSE(stimline::buildStimPanelFrame(frame, panel, ViewColors{}, 600, 60));
}

TEST(StimTimeline, ClickColumnMapsToThePulseUnderIt) {
    const PulseParameters p = threePulses();
    struct Case {
        float x;
        const char* unit;
    };
    for (const Case c : {Case{0.05f, "1"}, Case{50, "1"}, Case{250, "2"}, Case{599, "3"}})
        EXPECT_EQ(stimline::getUnitNumber(p, PulseParameters::kS1, c.x, 0, 0.3f, 600), c.unit) << c.x;
    EXPECT_EQ(stimline::getUnitNumber(p, PulseParameters::kS2, 250, 0, 0.3f, 600), "0");
}

// Whatever is typed into the time fields, a frame and a click walk only samples
// the pattern has; a field that is not a number counts as 0.
TEST(StimTimeline, TypedTimeRangesDrawAndHitOnlyThePatternsSamples) {
    const PulseParameters p = threePulses();
    const auto length = static_cast<std::int64_t>(p.PulseAmplitudeAry.size());
    ASSERT_EQ(length, 6000);
    struct Case {
        const char* xMin;
        const char* xMax;
        bool drawn;
        float X;
        const char* unit;
    };
    const Case cases[] = {
        {"-100000", "0.3", true, 300, "0"},  // the whole pattern within the last pixel
        {"0", "1e30", true, 300, "3"},       // the whole pattern within the first pixel
        {"-1e30", "1e30", true, 450, "3"},
        {"abc", "0.3", true, 300, "2"},
        {"0", "abc", false, 300, "0"},       // no span: only the band
        {"-0.3", "0.3", true, 299, "0"},     // the pattern starts in the middle
        {"-0.3", "0.3", true, 301, "1"},
    };
    for (const Case& c : cases) {
        const float xMin = stimline::checkText(c.xMin), xMax = stimline::checkText(c.xMax);
        const SampleWindow win = stimline::timeLineWindow(xMin, xMax, 600);
        EXPECT_LT(segmentsIn(win, length).count(), length) << c.xMin << " " << c.xMax;
        DrawList frame;
        stimline::StimPanel panel{&p.PulseAmplitudeAry, true, xMin, xMax, -11, 11};
        EXPECT_EQ(stimline::buildStimPanelFrame(frame, panel, ViewColors{}, 600, 60), c.drawn) << c.xMin;
        EXPECT_LE(frame.vertices().capacity(), static_cast<std::size_t>(4 * length + 4)) << c.xMin;
        EXPECT_EQ(stimline::getUnitNumber(p, PulseParameters::kS1, c.X, xMin, xMax, 600), c.unit)
            << c.xMin << " " << c.xMax << " at " << c.X;
    }
}

TEST(StimTimeline, RangeStartingBeforeThePatternShiftsItRight) {
    const PulseParameters p = threePulses();
    DrawList frame;
    stimline::StimPanel panel{&p.PulseAmplitudeAry, true, -0.3f, 0.3f, -11, 11};
    ASSERT_TRUE(stimline::buildStimPanelFrame(frame, panel, ViewColors{}, 600, 60));  // 0.05 px per sample
    float left = 600;
    for (std::size_t v = 4; v < frame.vertices().size(); ++v) left = std::min(left, frame.vertices()[v].x);
    EXPECT_NEAR(left, 300.0f, 0.01f);
}

TEST(StimTimeline, ClicksOnTheAxisEndsOpenTheirRangeFields) {
    struct Case {
        float x, y;
        RangeField field;
    };
    const Case cases[] = {
        {81, 160, RangeField::XMin},    // just below the S2 panel's left end
        {580, 160, RangeField::XMax},   // below its right end
        {60, 40, RangeField::S1Ymax},   // the S1 panel's top
        {60, 85, RangeField::S1Ymin},   // its bottom
        {60, 100, RangeField::S2Ymax},
        {60, 145, RangeField::S2Ymin},
        {300, 160, RangeField::None},   // the middle of the time axis
        {81, 157, RangeField::None},    // the band's edges are outside it
        {60, 60, RangeField::None},
    };
    for (const Case& c : cases) EXPECT_EQ(stimline::rangeFieldAt(kPicture, c.x, c.y), c.field) << c.x << "," << c.y;
}

TEST(StimTimeline, AxisPictureLabelsSixTimeTicksAndTheRangeTexts) {
    const stimline::AxisPicture pic = stimline::drawziku(kPicture, {0, 0.3f, "11.00", "-11.00", "1.00", "-1.00"});
    ASSERT_EQ(pic.ticks.size(), 2u * (6 + 4));
    EXPECT_EQ(pic.ticks[0], (Vertex2{80, 152}));
    EXPECT_EQ(pic.ticks[1], (Vertex2{80, 158}));
    EXPECT_EQ(pic.ticks[10], (Vertex2{580, 152}));
    std::vector<std::string> texts;
    for (const auto& l : pic.labels) texts.push_back(l.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"seconds", "S1", "S2", "0", "0.06", "0.12", "0.18", "0.24", "0.3",
                                               "11.00", "-11.00", "1.00", "-1.00"}));
}
