#include "display/selected_controls.h"

#include "acquisition/number_text.h"
#include "display/selected_labels.h"

double checkText(std::string_view text) { return korin::parseDouble(text).value_or(0.0); }

std::string convertYUnitText(std::string_view text, int oldScale, int newScale) {
    return fixedText(checkText(text) * newScale / oldScale, 5);
}

std::string convertXUnitText(std::string_view text, int oldScale, int newScale) {
    return fixedText(checkText(text) * oldScale / newScale, 5);
}

BoxRect axisLimitBox(AxisLimit limit, const BoxRect& plot) {
    constexpr int kW = 50;
    constexpr int kH = 21;
    const int left = plot.x - kW - 5;
    const int bottom = plot.y + plot.height - 1;
    const int right = plot.x + plot.width - 1;
    switch (limit) {
    case AxisLimit::YMax: return {left, plot.y - kH / 2, kW, kH};
    case AxisLimit::YMin: return {left, bottom - kH / 2, kW, kH};
    case AxisLimit::XMin: return {plot.x - kW / 2, bottom + 6, kW, kH};
    case AxisLimit::XMax: return {right - kW / 2, bottom + 6, kW, kH};
    case AxisLimit::None: break;
    }
    return {0, 0, 0, 0};
}

AxisLimit axisLimitAt(int x, int y, const BoxRect& plot) {
    for (AxisLimit l : {AxisLimit::XMin, AxisLimit::XMax, AxisLimit::YMin, AxisLimit::YMax})
        if (axisLimitBox(l, plot).contains(x, y)) return l;
    return AxisLimit::None;
}

RawXRange upperDoubleClickRange(const SelectedSnapshot& data, double RawUpXaxis) {
    return data.replay ? rawFollowReplay(data.blockOffsetMs, RawUpXaxis)
                       : rawFollowLive(data.timeInTraceSec, RawUpXaxis);
}

RawXRange lowerDoubleClickRange(const SelectedSnapshot& data, int EpXScale) {
    const double now = data.replay ? data.replayElapsedSec + 1.0 : data.elapsedRunSec;
    return {0.0, now / analysisDivisor(EpXScale)};
}

ReadoutTexts setLabelTextSpike(const float* z) { return {{"X:" + fixedText(z[0], 2), "Y:" + singleText(z[1]), "", ""}}; }

ReadoutTexts setLabelText(const float* z) { return {{"X:" + fixedText(z[0], 2), "Y:" + fixedText(z[1], 3), "", ""}}; }

ReadoutTexts setLabelTextStim(const float* z) {
    return {{"X:" + fixedText(z[0], 2), "Y:" + fixedText(z[1], 3), "F1:" + singleText(z[2]), "F2:" + singleText(z[3])}};
}

ReadoutPlacement placeReadout(int x, int y, int containerLeft, int containerTop, int windowLeft, int windowTop,
                              int labelWidth, int labelHeight) {
    return {x + containerLeft + windowLeft + kReadoutLeftOffset, y + containerTop + windowTop + kReadoutTopOffset,
            labelWidth + 10, labelHeight + 5};
}
