// The sixteen-channel view (panelRawData1): all sixteen filtered traces, one
// cell per channel, live from the acquisition rings or from the replay reader's
// window. Clicking a cell selects its channel. The window owns the colours, the
// view settings, the start-up flags and the selected-channel views; it binds
// them to the view, which otherwise keeps its own copies.
#pragma once

#include <cstdint>
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

// Where the window keeps what the view shares with it. Anything left unbound
// (empty or null) stays in the view's own storage.
struct SixteenChannelBinding {
    std::function<SixteenChannelSettings()> getSettings;
    std::function<void(const SixteenChannelSettings&)> setSettings;
    std::uint8_t* ReplayMode = nullptr;
    bool* sizechange = nullptr;      // cleared by the selected-channel update
    bool* Tatiagari = nullptr;       // start-up: the axis menus do not redraw
    bool* PaintTatiagari = nullptr;  // start-up painting (below)
    bool* Paint16ChFirst = nullptr;
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
    void setHooks(SixteenChannelHooks hooks) { hooks_ = std::move(hooks); }
    void bind(const SixteenChannelBinding& binding);
    // Shown on a right click, after the click has selected its channel.
    void setContextMenu(QMenu* menu);

    // One live frame from the acquisition rings, then the selected-channel update.
    void DrawChart();
    // One replay frame from the reader's window, then the selected-channel update.
    void DrawChartLoad();
    // Empty cells; no selected-channel update.
    void DrawWaku();
    void DrawWakuRec() { DrawWaku(); }
    void DrawWakuReplay() { DrawWaku(); }
    // The view's part of the window's SizeChangeDraw: the data of the current
    // mode again, or, when stopped with none, the empty frames of all three views.
    void SizeChangeDraw(bool stopped);

    // Whether the source of each mode has processed a block (its DrawTyuu).
    bool liveDataShown() const;
    bool replayDataShown() const;
    bool dataShown() const { return replayMode() ? replayDataShown() : liveDataShown(); }

    // A click at panel pixel (x, y) with any button.
    void panelRawData1_MouseClick(int x, int y);
    // "X-axis" and "Y-axis" items (indices into raw_axis::kXItems / kYItems).
    void comboduration_SelectedIndexChanged(int item);
    void combovoltage_SelectedIndexChanged(int item);

    SixteenChannelSettings settings() const;
    void setSettings(const SixteenChannelSettings& s);
    bool replayMode() const { return *ReplayMode_ != 0; }
    void setReplayMode(bool on) { *ReplayMode_ = on ? 1 : 0; }
    bool sizechange() const { return *sizechange_; }
    void setSizechange(bool on) { *sizechange_ = on; }
    // While PaintTatiagari is set the first paint draws the empty cells and later
    // paints show that picture unchanged; after it every paint redraws.
    void setStartUp(bool Tatiagari, bool PaintTatiagari) {
        *Tatiagari_ = Tatiagari;
        *PaintTatiagari_ = PaintTatiagari;
    }
    Shown shown() const { return shown_; }

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

    SixteenChannelBinding binding_;
    SixteenChannelSettings ownSettings_;
    std::uint8_t ownReplayMode_ = 0;
    bool ownSizechange_ = false;
    bool ownTatiagari_ = true;
    bool ownPaintTatiagari_ = true;
    bool ownPaint16ChFirst_ = true;
    std::uint8_t* ReplayMode_ = &ownReplayMode_;
    bool* sizechange_ = &ownSizechange_;
    bool* Tatiagari_ = &ownTatiagari_;
    bool* PaintTatiagari_ = &ownPaintTatiagari_;
    bool* Paint16ChFirst_ = &ownPaint16ChFirst_;
};

// Puts a sixteen-channel view into the window's placeholder frame for
// panelRawData1, filling it (object name: the placeholder's + "View").
SixteenChannelView* installSixteenChannelView(QWidget* placeholder, const ViewColors& colors);
