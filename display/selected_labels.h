// The label canvas behind each selected-channel plot: axis titles, ticks and
// tick labels, as positioned texts and tick lines in canvas pixels. The window
// paints them; here are only the places and the texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "display/selected_frames.h"

namespace plot_labels {

inline constexpr float kYohakuY = 60.0f;   // horizontal margin around the plot
inline constexpr float kYohakuT = 60.0f;   // vertical margin
inline constexpr float kYokoidou = 24.0f;  // the plot's shift inside the canvas
inline constexpr float kTateidou = 2.0f;
inline constexpr float kTickLength = 6.0f;
inline constexpr float kXLabelGap = 7.0f;
inline constexpr int kXTicks = 6;
inline constexpr int kYTicks = 5;
inline constexpr float kTitlePoints = 9.0f;  // fonttitle
inline constexpr float kScalePoints = 8.0f;  // fontscale

}  // namespace plot_labels

// SlopeTrace: the upper plot in Slope mode (ms after the onset); Slope: its time course.
enum class PlotKind { Raw, Spike, ISI, EP, SlopeTrace, Slope };

struct CanvasText {
    enum class Anchor {
        Centre,           // centred on (x, y)
        RightMiddle,      // right end at x, vertically centred on y
        TopCentre,        // top edge at y, centred on x
        RotatedCentre,    // turned by -90 degrees, centred on (x, y)
    };
    float x = 0.0f;
    float y = 0.0f;
    Anchor anchor = Anchor::Centre;
    bool title = false;  // title font, else the scale font
    std::string text;
};

struct CanvasTick {
    float x0, y0, x1, y1;
};

struct LabelCanvas {
    int width = 0;
    int height = 0;
    std::vector<CanvasText> texts;
    std::vector<CanvasTick> ticks;
};

// Units of the labels: the upper Y unit for the raw plot, the lower ones for the analyses.
struct LabelUnits {
    bool yMilli = false;   // "mV" rather than "μV"
    bool xMinutes = false; // "min" rather than "sec"
};

// The canvas of one plot of W x H with the given limits; `yTitle`, when given,
// replaces the kind's Y title (the Slope view's names its measure).
LabelCanvas buildLabelCanvas(PlotKind kind, const PlotRange& range, LabelUnits units, int W, int H,
                             std::string_view yTitle = {});

// Fixed decimals as the labels and range boxes show them ("0.00", "0.00000").
std::string fixedText(double value, int decimals);
// A single-precision value in its shortest text ("12.5", "7").
std::string singleText(float value);

// Range box texts written by an autoscale: YMax and YMin.
struct AutoscaleTexts {
    std::string yMax;
    std::string yMin;
};
AutoscaleTexts rawAutoscaleTexts(const YLimits& limits);
AutoscaleTexts freqAutoscaleTexts(double yMax, bool replay);
AutoscaleTexts isiAutoscaleTexts(double yMax);
AutoscaleTexts epAutoscaleTexts(double yMax, double yMin);

// RawUpXaxis as stored after a raw draw: the X width with six decimals.
std::string rawUpXaxisText(const PlotRange& range);
