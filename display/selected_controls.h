// The controls around the selected-channel plots as pure rules: range-box text
// as a number, the unit conversions of the range texts, the spots by each axis
// end that open a range box, the double-click ranges, and the pointer readout's
// texts and place.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "display/selected_source.h"
#include "display/selected_view_update.h"

// A range text as a number; 0 when it is not one.
double checkText(std::string_view text);

// Y texts between "μV" (1000 per mV) and "mV" (1): x 1000 to μV, / 1000 to mV, "0.00000".
std::string convertYUnitText(std::string_view text, int oldScale, int newScale);
// X texts between "sec" (1000 ms per unit) and "min" (60000): x 60 to seconds, / 60 to minutes, "0.00000".
std::string convertXUnitText(std::string_view text, int oldScale, int newScale);

// The range boxes of a plot and the 50 x 21 spots that open them, in the
// coordinates of the plot's frame; `plot` is the plot panel's rectangle there.
enum class AxisLimit { None, XMin, XMax, YMin, YMax };
struct BoxRect {
    int x = 0;
    int y = 0;
    int width = 50;
    int height = 21;
    bool contains(int px, int py) const { return px > x && px < x + width && py > y && py < y + height; }
};
BoxRect axisLimitBox(AxisLimit limit, const BoxRect& plot);
// The limit whose spot holds (x, y), if any.
AxisLimit axisLimitAt(int x, int y, const BoxRect& plot);

// Double-click on the upper plot with data: the X range that follows the data
// (replay aligns it with the follow rule rather than starting it at the last block).
RawXRange upperDoubleClickRange(const SelectedSnapshot& data, double RawUpXaxis);
// Double-click on the lower plot with data: 0 to the current time in the lower X
// unit (replay: reader time in whole seconds + 1; live: elapsed run time).
RawXRange lowerDoubleClickRange(const SelectedSnapshot& data, int EpXScale);

// --- Pointer readout ---

struct ReadoutTexts {
    std::array<std::string, 4> labels;
};
// "X:" two decimals, "Y:" plain number; labels 3 and 4 empty.
ReadoutTexts setLabelTextSpike(const float* zahyou);
// "X:" two decimals, "Y:" three decimals.
ReadoutTexts setLabelText(const float* zahyou);
// As setLabelText, with "F1:" and "F2:" plain numbers.
ReadoutTexts setLabelTextStim(const float* zahyou);

// Where the readout window goes for a pointer at (x, y) in the analysis plot:
// left = x + container left + window left + 84, top = y + container top +
// window top + 2, its size the previous readout's extent plus 10 x 5.
struct ReadoutPlacement {
    int left, top, width, height;
};
inline constexpr int kReadoutLeftOffset = 60 + 24;     // YohakuYRaw + yokoidouRaw
inline constexpr int kReadoutTopOffset = 60 + 2 - 60;  // YohakuTRaw + tateidouRaw - 60
ReadoutPlacement placeReadout(int x, int y, int containerLeft, int containerTop, int windowLeft, int windowTop,
                              int labelWidth, int labelHeight);
