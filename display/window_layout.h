// The window layout of drawSizeChange as a pure function: where the frames of
// the four display areas and the panels inside them go for a given base-panel
// size, arrangement and mode. The window applies the rectangles.
#pragma once

#include "display/cell_layout.h"

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct WindowLayout {
    static constexpr int kControlPanelWidth = 250;  // panelAcquisitionNew / panelReplay at (0, 0)
    static constexpr int kBottomReserve = 25;

    // False when the base panel has height 0 (minimised): leave everything as it is.
    bool apply = false;

    // Frames, in base-panel coordinates. The time line has size 0 in replay.
    PixelRect panelTimeLineDodai;
    PixelRect panelRawDataDodai;
    PixelRect panelRawDataUpDodai;
    PixelRect panelFreqDodai;

    // Panels, each in its frame's coordinates.
    PixelRect panelRawData1;   // in panelRawDataDodai
    PixelRect panelRawDataUp;  // in panelRawDataUpDodai
    PixelRect panelFreq;       // in panelFreqDodai
    PixelRect panelStimF1;     // in panelTimeLineDodai
    PixelRect panelStimF2;     // in panelTimeLineDodai, directly below panelStimF1
};

// Ww, Hw: the base panel's width and height.
WindowLayout drawSizeChange(int Ww, int Hw, ArrayType type, bool replayMode);
