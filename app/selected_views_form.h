// The window's selected-channel plots: the upper raw trace (panelRawDataUp), the
// lower analysis plot (panelFreq) with their label canvases, menus, range boxes
// and clicks, the pointer readout over the analysis plot, the drags in the raw
// plot, the two copy commands, and the window's SizeChangeDraw. The form makes
// one and it connects itself to the form's frames, fields and hooks.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

#include "app/logic/raw_plot_drag.h"
#include "display/selected_frames.h"
#include "display/selected_labels.h"
#include "display/slope_frames.h"

class Korin16Form;
class PlotPanel;
class PointerInformation;
class QLabel;
class QLineEdit;
class QWidget;

class SelectedViewsForm : public QObject {
    Q_OBJECT
public:
    // `pointerinfo` is the form's readout window.
    SelectedViewsForm(Korin16Form& form, PointerInformation* pointerinfo);

    // --- Views ---
    // The raw plot: the reader's history when a new block came (or the size
    // changed) in replay mode, the live ring outside it, else its empty frame.
    void DrawSelectCh();
    void DrawSelectChRec();
    void DrawSelectChLoad();
    // The analysis plot from the shown source, or its empty frame when none has data.
    void DrawFreqSelectCh();
    void DrawSelectChWaku();
    void DrawSelectFreqChWaku();
    // Both plots again after the analysis mode changed.
    void redrawBoth();
    // Everything after a size, selection or colour change, the stimulus views
    // through the form's drawStimViews hook.
    void SizeChangeDraw();
    // Keeps the last measured response of every channel for the Slope mode's
    // upper plot, from the shown source's history (after new measures came).
    void captureSlopeTrace();

    // --- Menus ---
    void rawUpXaxisItem(const QString& seconds);
    void rawUpUnitItem(const QString& unit);
    void epYUnitItem(const QString& unit);
    void epXUnitItem(const QString& unit);
    void stepFilterItem(int hyouziStep);
    void setRawUpAuto(bool on);
    void setFreqAuto(bool on);

    // --- Pointer and clicks (panel pixels; canvas clicks in frame pixels) ---
    void panelFreq_MouseMove(int x, int y);
    void panelRawDataUp_MouseDown(bool leftButton) { drag.press(leftButton); }
    void panelRawDataUp_MouseUp() { drag.release(); }
    void panelRawDataUp_MouseLeave() { drag.release(); }
    void panelRawDataUp_MouseMove(int x, int y, bool leftHeld);
    void panelRawDataUp_DoubleClick();
    void panelFreq_DoubleClick();
    void pictureBoxRawDataUp_Click(int x, int y);
    void pictureBoxFreq_Click(int x, int y);

    // --- Clipboard ---
    void toolStripMenuItemCopyData_Click();
    void toolStripMenuItemCopyImage_Click();
    void toolStripMenuItemCopyImageRawData_Click();
    void toolStripMenuItemCopyImage16_Click();

    PlotPanel* rawView() const { return rawView_; }
    PlotPanel* freqView() const { return freqView_; }

    // A manual threshold drag gives the thresholds a value (the engine detects
    // nothing before the thresholds are set); the form connects this.
    std::function<void()> markThresholdsSet;

    korin::RawPlotDrag drag;
    // Limits last drawn by each lower view, X in ms.
    float freqxMin = 0, freqxMax = 0, freqyMin = 0, freqyMax = 0;
    float isixMin = 0, isixMax = 0, isiyMin = 0, isiyMax = 0;
    float epxMin = 0, epxMax = 0, epyMin = 0, epyMax = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectMenus();
    bool replayShown() const;
    bool liveShown() const;
    bool dataShown() const { return replayShown() || liveShown(); }
    // The source of the current mode: the reader's selected channel in replay, else the live one.
    SelectedSnapshot snapshot() const;
    void drawRaw(const SelectedSnapshot& data);
    void drawAnalysis(const SelectedSnapshot& data);
    void drawSlopeTrace(const SelectedSnapshot& data);
    void drawSlope(const SelectedSnapshot& data);
    void redrawRaw();
    PlotRange rawRange() const;
    PlotRange freqRange() const;
    void paintCanvas(QLabel* canvas, QWidget* frame, PlotKind kind, const PlotRange& range, LabelUnits units,
                     std::string_view yTitle = {});
    void openLimitBox(QWidget* frame, PlotPanel* panel, int x, int y, bool upper);
    void limitBoxEntered(QLineEdit* box, bool upper);
    void afterSixteenChannelPaint();
    SlopeState slopeState() const;

    Korin16Form& form_;
    PointerInformation* pointerinfo_;
    PlotPanel* rawView_;
    PlotPanel* freqView_;
    bool repaintQueued_ = false;
    int rawDrawnWidth_ = -1;
    int rawDrawnHeight_ = -1;
};
