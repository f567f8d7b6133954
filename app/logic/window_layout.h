// Where the panels of the main window go for a given size of its base panel,
// layout type and mode. Whole pixels; every division truncates.
#pragma once

#include <optional>
#include <string_view>

namespace korin {

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct WindowLayout {
    // On the base panel.
    PixelRect controlPanel;  // panelAcquisitionNew in record mode, panelReplay in replay mode
    PixelRect timeLine;      // panelTimeLineDodai; size 0 in replay mode
    PixelRect rawData;       // panelRawDataDodai
    PixelRect rawDataUp;     // panelRawDataUpDodai
    PixelRect freq;          // panelFreqDodai
    // Inside their frames.
    PixelRect rawData1;      // panelRawData1 in panelRawDataDodai
    PixelRect rawDataUpPlot; // panelRawDataUp in panelRawDataUpDodai
    PixelRect freqPlot;      // panelFreq in panelFreqDodai
    PixelRect stimF1;        // panelStimF1 in the time-line picture
    PixelRect stimF2;        // panelStimF2, right below it
};

inline constexpr int kControlPanelWidth = 250;
inline constexpr int kLayoutBottomMargin = 25;
// The selected-channel plots sit inside a label canvas: margins YohakuYRaw and
// YohakuTRaw of 60 px shifted by yokoidouRaw 24 and tateidouRaw 2.
inline constexpr int kPlotLeft = 84;
inline constexpr int kPlotTop = 62;
inline constexpr int kPlotShrink = 120;
// The stimulus panels inside the time-line picture: (yokoidou + YohakuY, tateidou + YohakuTStim).
inline constexpr int kStimPanelLeft = 80;
inline constexpr int kStimPanelTop = 32;
inline constexpr int kStimPanelShrinkX = 100;
inline constexpr int kStimPanelShrinkY = 80;
// The sixteen-channel panel starts below a 19-px strip of its frame.
inline constexpr int kRawData1Top = 19;
inline constexpr int kRawData1Shrink = 17;

// Nothing when the base panel has height 0 (the window is minimised).
std::optional<WindowLayout> computeWindowLayout(int baseWidth, int baseHeight, std::string_view layoutType,
                                                bool replayMode);

}  // namespace korin
