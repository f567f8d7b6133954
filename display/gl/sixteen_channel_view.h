// The sixteen-channel view (panelRawData1): all sixteen filtered traces, one
// cell per channel, live from the acquisition rings or from the replay reader's
// window. Clicking a cell selects its channel. The window owns the colours and
// the selected-channel views; it plugs them in through hooks.
#pragma once

#include <functional>

#include "display/chart_source.h"
#include "display/colors.h"
#include "display/gl/gl_panel.h"
#include "display/sixteen_channel_settings.h"

class QMenu;

// Behaviour outside the view that its frames and clicks set off; an empty hook does nothing.
struct SixteenChannelHooks {
    std::function<void()> afterLiveFrame;    // update the selected-channel views after DrawChart
    std::function<void()> afterReplayFrame;  // the same after DrawChartLoad
    std::function<void()> DrawSelectCh;
    std::function<void()> DrawFreqSelectCh;
    std::function<void()> DrawSelectChWaku;
    std::function<void()> DrawSelectFreqChWaku;
};

class SixteenChannelView : public GlPanel {
    Q_OBJECT
public:
    enum class Shown { Nothing, Empty, Live, Replay };

    // `colors` are the window's shared trace colours; they outlive the view.
    explicit SixteenChannelView(const ViewColors& colors, QWidget* parent = nullptr);

    void setLiveSource(const AcquisitionNI* acquisition);
    void setLiveSource(std::function<ChartSnapshot()> source) { live_ = std::move(source); }
    void setReplaySource(std::function<ChartSnapshot()> source) { replay_ = std::move(source); }
    // Any reader with chAry, DrawChartMaxIndex, ACSelectary and DrawTyuu (FileReader).
    template <class Reader>
    void setReplaySource(const Reader* reader) {
        replay_ = reader ? std::function<ChartSnapshot()>([reader] { return replaySnapshot(*reader); }) : nullptr;
    }
    void setHooks(SixteenChannelHooks hooks) { hooks_ = std::move(hooks); }
    // Shown on a right click, after the click has selected its channel.
    void setContextMenu(QMenu* menu) { menu_ = menu; }

    // One live frame from the acquisition rings, then the selected-channel update.
    void DrawChart();
    // One replay frame from the reader's window, then the selected-channel update.
    void DrawChartLoad();
    // Empty cells; no selected-channel update.
    void DrawWaku();
    void DrawWakuRec() { DrawWaku(); }
    void DrawWakuReplay() { DrawWaku(); }

    // Whether the source of the current mode has processed a block.
    bool liveDataShown() const;
    bool replayDataShown() const;
    bool dataShown() const { return ReplayMode ? replayDataShown() : liveDataShown(); }

    // A click at panel pixel (x, y) with any button.
    void panelRawData1_MouseClick(int x, int y);
    // "X-axis" and "Y-axis" items (indices into raw_axis::kXItems / kYItems).
    void comboduration_SelectedIndexChanged(int item);
    void combovoltage_SelectedIndexChanged(int item);

    Shown shown() const { return shown_; }

    SixteenChannelSettings settings;
    bool ReplayMode = false;
    // Set before a redraw caused by a size, selection or colour change so that the
    // analysis view redraws too; the selected-channel update clears it.
    bool sizechange = false;
    // Start-up: the axis menus do not redraw while Tatiagari is set; while
    // PaintTatiagari is set the first paint draws the empty cells and later
    // paints show that picture unchanged.
    bool Tatiagari = true;
    bool PaintTatiagari = true;
    bool Paint16ChFirst = true;

signals:
    // A click selected channel `index` (0..15); emitted before the redraw.
    void channelSelected(int index);

protected:
    void prepareFrame() override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void build(Shown what);
    void redrawAfterAxisChange();

    const ViewColors& colors_;
    std::function<ChartSnapshot()> live_;
    std::function<ChartSnapshot()> replay_;
    SixteenChannelHooks hooks_;
    QMenu* menu_ = nullptr;
    Shown shown_ = Shown::Nothing;
};

// Puts a sixteen-channel view into the window's placeholder frame for
// panelRawData1, filling it (object name: the placeholder's + "View").
SixteenChannelView* installSixteenChannelView(QWidget* placeholder, const ViewColors& colors);
