// The stimulus time-line view as geometry: the S1 and S2 panels as step plots
// of a program's sample arrays (the selected pulse highlighted), the axes
// picture behind them (titles, "S1"/"S2", ticks and their labels), the
// autoscale rules and the hit areas that open the six range fields. Pixels are
// those of the axes picture (y down); the S1 panel's top-left corner sits at
// (yokoidou + YohakuY, tateidou + YohakuTStim) = (80, 32) in it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "display/colors.h"
#include "display/draw_list.h"
#include "display/sample_window.h"
#include "stimulation/pulse_parameters.h"

namespace stimline {

inline constexpr float YohakuY = 50;      // left margin of the panels in the picture
inline constexpr float YohakuTStim = 40;  // top margin
inline constexpr float yokoidou = 30;     // horizontal offset of the plot area
inline constexpr float tateidou = -8;     // vertical offset of the plot area
inline constexpr float kBandMargin = 5;   // the band runs from 5 px to H − 5 px
inline constexpr float kTickLength = 6;
inline constexpr int kTimeTicks = 6;
inline constexpr float kTitlePoints = 9;
inline constexpr float kScalePoints = 8;

// The axes picture's size and the panel size that follows from it.
struct TimeLineGeometry {
    float pictureWidth = 0;
    float HeightPicture = 0;
    float WidthTimeLine() const { return pictureWidth - 2 * YohakuY; }
    float HeightTimeLine() const { return (HeightPicture - 2 * YohakuTStim) / 2; }
    float plotLeft() const { return yokoidou + YohakuY; }
    float panelTop(int f) const { return tateidou + YohakuTStim + f * HeightTimeLine(); }
};

// A range field's text as a number: single precision, 0 when it does not parse.
float checkText(std::string_view text);

// The samples of a panel `width` wide that a time range in seconds shows; the
// pattern's sample 0 is at time 0.
inline SampleWindow timeLineWindow(float xMinSeconds, float xMaxSeconds, float width) {
    return sampleWindow(0.0, xMinSeconds, xMaxSeconds, width);
}

// One panel's content.
struct StimPanel {
    const std::vector<float>* samples = nullptr;  // µA per sample
    bool hasPulses = false;
    float xMin = 0, xMax = 0;  // seconds
    float yMin = 0, yMax = 0;  // µA
    // Samples i with highlightFrom < i <= highlightTo are drawn in the highlight colour.
    std::int32_t highlightFrom = -1;
    std::int32_t highlightTo = -1;
};

// drawStimF1 / drawStimF2 as a frame: white clear and fill, the background band,
// then the step plot clipped to the band. False, with only the band drawn, when
// the ranges give no finite scale.
bool buildStimPanelFrame(DrawList& out, const StimPanel& panel, const ViewColors& colors, int width, int height);

// The sample under pixel column X: the last one whose x is at most X, or -1
// when X lies left of the first sample or the window shows none. Worked
// out, not walked, so a click costs the same whatever range is typed.
std::int64_t hitSample(std::int64_t length, const SampleWindow& window, float X);
// getF1UnitNumber / getF2UnitNumber: the 1-based pulse of output f under pixel
// X, as text, "0" for none.
std::string getUnitNumber(const PulseParameters& program, int f, float X, float xMin, float xMax, float width);
inline std::string getF1UnitNumber(const PulseParameters& p, float X, float xMin, float xMax, float width) {
    return getUnitNumber(p, PulseParameters::kS1, X, xMin, xMax, width);
}
inline std::string getF2UnitNumber(const PulseParameters& p, float X, float xMin, float xMax, float width) {
    return getUnitNumber(p, PulseParameters::kS2, X, xMin, xMax, width);
}

// The axes picture (drawziku).
struct AxisLabel {
    enum class Align { Left, Center, Right };
    float x = 0;
    float y = 0;  // vertical centre of the text
    std::string text;
    Align align = Align::Left;
    float points = kScalePoints;
    bool title = false;  // title font, else the scale font
};
struct AxisPicture {
    std::vector<Vertex2> ticks;  // pairs of end points
    std::vector<AxisLabel> labels;
};
struct AxisTexts {
    float xMin = 0, xMax = 0;  // seconds
    std::string s1Ymax, s1Ymin, s2Ymax, s2Ymin;  // as typed
};
AxisPicture drawziku(const TimeLineGeometry& g, const AxisTexts& texts);

// Vertical autoscale of one output: {Ymax, Ymin} texts with two decimals, from
// the whole array, the largest sample (at least 0) + 1 and the smallest (at most 0) − 1.
struct YRangeTexts {
    std::string yMax, yMin;
};
YRangeTexts verticalAutoscale(const std::vector<float>& samples);
// Time autoscale: the X maximum text with five decimals for the longer
// non-empty output, "" when both lists are empty (range unchanged).
std::string timeAutoscale(const PulseParameters& program);

// The range field a click on the axes picture at (x, y) opens.
enum class RangeField { None, XMin, XMax, S1Ymax, S1Ymin, S2Ymax, S2Ymin };
RangeField rangeFieldAt(const TimeLineGeometry& g, float x, float y);

}  // namespace stimline
