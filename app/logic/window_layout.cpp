#include "app/logic/window_layout.h"

#include <algorithm>

#include "app/logic/window_modes.h"

namespace korin {

std::optional<WindowLayout> computeWindowLayout(int baseWidth, int baseHeight, std::string_view layoutType,
                                                bool replayMode) {
    if (baseHeight == 0) return std::nullopt;
    const int hr = baseHeight - kLayoutBottomMargin;
    const int wr = baseWidth - kControlPanelWidth;
    const int left = kControlPanelWidth;
    const bool typeA = layoutType == kLayoutTypeA;

    WindowLayout out;
    out.controlPanel = {0, 0, kControlPanelWidth, baseHeight};
    out.rawDataUp = {left, hr / 2 + 25, wr / 2, hr / 2};
    out.freq = {left + wr / 2, hr / 2 + 25, wr / 2, hr / 2};

    if (replayMode) {
        out.timeLine = {left, 0, 0, 0};
        out.rawData = {left, 0, wr, hr / 2 + 25};
    } else if (typeA) {
        out.timeLine = {left, 0, wr / 2, hr / 2 + 25};
        out.rawData = {left + wr / 2, 0, wr / 2, hr / 2 + 25};
    } else {
        out.timeLine = {left, 0, wr, hr / 4};
        out.rawData = {left, hr / 4, wr, hr / 4 + 27};
    }

    // Type C in record mode leaves the sixteen-channel panel 2 px short of the
    // other cases' frame-minus-17 rule.
    const int rawData1Height =
        (!replayMode && !typeA) ? hr / 4 + 8 : out.rawData.height - kRawData1Shrink;
    out.rawData1 = {0, kRawData1Top, out.rawData.width, rawData1Height};
    out.rawDataUpPlot = {kPlotLeft, kPlotTop, out.rawDataUp.width - kPlotShrink, out.rawDataUp.height - kPlotShrink};
    out.freqPlot = {kPlotLeft, kPlotTop, out.freq.width - kPlotShrink, out.freq.height - kPlotShrink};

    // A hidden time line (replay) leaves the stimulus panels empty, not negative.
    const int stimWidth = std::max(0, out.timeLine.width - kStimPanelShrinkX);
    const int stimHeight = std::max(0, (out.timeLine.height - kStimPanelShrinkY) / 2);
    out.stimF1 = {kStimPanelLeft, kStimPanelTop, stimWidth, stimHeight};
    out.stimF2 = {kStimPanelLeft, kStimPanelTop + stimHeight, stimWidth, stimHeight};
    return out;
}

}  // namespace korin
