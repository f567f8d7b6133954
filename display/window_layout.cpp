#include "display/window_layout.h"

#include <algorithm>

namespace {

constexpr int kRawDataTop = 19;        // panelRawData1 below the frame's caption
constexpr int kRawDataShorter = 17;
constexpr int kPlotLeft = 84;          // YohakuYRaw 60 + yokoidouRaw 24
constexpr int kPlotTop = 62;           // YohakuTRaw 60 + tateidouRaw 2
constexpr int kPlotShrink = 120;       // the label margins on both sides
constexpr int kStimLeft = 80;
constexpr int kStimTop = 32;
constexpr int kStimNarrower = 100;
constexpr int kStimAxesHeight = 80;

PixelRect sized(int x, int y, int w, int h) {
    return {x, y, std::max(w, 0), std::max(h, 0)};
}

}  // namespace

WindowLayout drawSizeChange(int Ww, int Hw, ArrayType type, bool replayMode) {
    WindowLayout L;
    if (Hw == 0) return L;
    L.apply = true;

    const int base = WindowLayout::kControlPanelWidth;
    const int Hr = Hw - WindowLayout::kBottomReserve;
    const int Wr = Ww - base;

    // The two selected-channel frames share the lower half in every layout.
    L.panelRawDataUpDodai = sized(base, Hr / 2 + 25, Wr / 2, Hr / 2);
    L.panelFreqDodai = sized(base + Wr / 2, Hr / 2 + 25, Wr / 2, Hr / 2);

    bool cLive = false;
    if (replayMode) {
        L.panelTimeLineDodai = sized(base, 0, 0, 0);
        L.panelRawDataDodai = sized(base, 0, Wr, Hr / 2 + 25);
    } else if (type == ArrayType::A) {
        L.panelTimeLineDodai = sized(base, 0, Wr / 2, Hr / 2 + 25);
        L.panelRawDataDodai = sized(base + Wr / 2, 0, Wr / 2, Hr / 2 + 25);
    } else {
        L.panelTimeLineDodai = sized(base, 0, Wr, Hr / 4);
        L.panelRawDataDodai = sized(base, Hr / 4, Wr, Hr / 4 + 27);
        cLive = true;
    }

    const PixelRect& raw = L.panelRawDataDodai;
    L.panelRawData1 = sized(0, kRawDataTop, raw.width, cLive ? Hr / 4 + 8 : raw.height - kRawDataShorter);
    L.panelRawDataUp = sized(kPlotLeft, kPlotTop, L.panelRawDataUpDodai.width - kPlotShrink,
                             L.panelRawDataUpDodai.height - kPlotShrink);
    L.panelFreq = sized(kPlotLeft, kPlotTop, L.panelFreqDodai.width - kPlotShrink,
                        L.panelFreqDodai.height - kPlotShrink);

    const PixelRect& tl = L.panelTimeLineDodai;
    const int stimW = tl.width - kStimNarrower;
    const int stimH = (tl.height - kStimAxesHeight) / 2;
    L.panelStimF1 = sized(kStimLeft, kStimTop, stimW, stimH);
    L.panelStimF2 = sized(kStimLeft, kStimTop + std::max(stimH, 0), stimW, stimH);
    return L;
}
