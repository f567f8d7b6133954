#include "display/gl/sixteen_channel_view.h"

#include <QMenu>
#include <QMouseEvent>

#include "display/cell_layout.h"
#include "display/gl/fault_boundary.h"
#include "display/sixteen_channel_frame.h"

SixteenChannelView::SixteenChannelView(const ViewColors& colors, QWidget* parent)
    : GlPanel(parent), colors_(colors) {
    setObjectName(QStringLiteral("panelRawData1"));
}

void SixteenChannelView::setLiveSource(const AcquisitionNI* acquisition) {
    if (acquisition == nullptr) {
        live_ = nullptr;
        return;
    }
    live_ = [acquisition] { return liveSnapshot(*acquisition); };
}

void SixteenChannelView::bind(const SixteenChannelBinding& binding) {
    binding_ = binding;
    ReplayMode_ = binding.ReplayMode ? binding.ReplayMode : &ownReplayMode_;
    sizechange_ = binding.sizechange ? binding.sizechange : &ownSizechange_;
    Tatiagari_ = binding.Tatiagari ? binding.Tatiagari : &ownTatiagari_;
    PaintTatiagari_ = binding.PaintTatiagari ? binding.PaintTatiagari : &ownPaintTatiagari_;
    Paint16ChFirst_ = binding.Paint16ChFirst ? binding.Paint16ChFirst : &ownPaint16ChFirst_;
}

void SixteenChannelView::setContextMenu(QMenu* menu) {
    menu_ = menu;
    // The view shows the menu itself; the panel behind it must not show it a second time.
    setContextMenuPolicy(menu != nullptr ? Qt::PreventContextMenu : Qt::DefaultContextMenu);
}

SixteenChannelSettings SixteenChannelView::settings() const {
    return binding_.getSettings ? binding_.getSettings() : ownSettings_;
}

void SixteenChannelView::setSettings(const SixteenChannelSettings& s) {
    if (binding_.setSettings) {
        binding_.setSettings(s);
    } else {
        ownSettings_ = s;
    }
}

bool SixteenChannelView::liveDataShown() const {
    return live_ && live_().DrawTyuu;
}

bool SixteenChannelView::replayDataShown() const {
    return replay_ && replay_().DrawTyuu;
}

void SixteenChannelView::build(Shown what) {
    const SixteenChannelSettings settings = this->settings();
    switch (what) {
    case Shown::Live:
        buildChartFrame(frame(), settings, colors_, live_ ? live_() : ChartSnapshot{}, width(), height(), true);
        break;
    case Shown::Replay:
        buildChartFrame(frame(), settings, colors_, replay_ ? replay_() : ChartSnapshot{}, width(), height(), false);
        break;
    case Shown::Nothing:
    case Shown::Empty:
        what = Shown::Empty;
        buildWakuFrame(frame(), settings, colors_, width(), height());
        break;
    }
    shown_ = what;
}

void SixteenChannelView::DrawChart() {
    build(Shown::Live);
    showFrame();
    if (hooks_.afterLiveFrame) hooks_.afterLiveFrame();
}

void SixteenChannelView::DrawChartLoad() {
    build(Shown::Replay);
    showFrame();
    if (hooks_.afterReplayFrame) hooks_.afterReplayFrame();
}

void SixteenChannelView::DrawWaku() {
    build(Shown::Empty);
    showFrame();
}

void SixteenChannelView::SizeChangeDraw(bool stopped) {
    if (replayMode() ? replayDataShown() : liveDataShown()) {
        setSizechange(true);
        if (replayMode()) {
            DrawChartLoad();
        } else {
            DrawChart();
        }
    } else if (stopped) {
        DrawWaku();
        if (hooks_.DrawSelectChWaku) hooks_.DrawSelectChWaku();
        if (hooks_.DrawSelectFreqChWaku) hooks_.DrawSelectFreqChWaku();
    }
}

void SixteenChannelView::prepareFrame() {
    if (*PaintTatiagari_) {
        if (*Paint16ChFirst_) {
            *Paint16ChFirst_ = false;
            build(Shown::Empty);
        }
        return;
    }
    // After start-up a paint shows the current picture at the panel's current
    // size: a resize rebuilds it from the same source without a new frame's side effects.
    if (shown_ == Shown::Nothing || frame().recipe.width != width() || frame().recipe.height != height())
        build(shown_);
}

void SixteenChannelView::panelRawData1_MouseClick(int x, int y) {
    if (menu_ != nullptr && menu_->isVisible()) menu_->hide();
    SixteenChannelSettings s = settings();
    const int index = channelAtPoint(cellGrid(arrayTypeFromText(s.UIType), width(), height()), x, y);
    s.selectChannel(index);
    setSettings(s);
    emit channelSelected(index);

    if (!replayMode() && liveDataShown()) {
        setSizechange(true);
        DrawChart();
    } else if (replayMode() && replayDataShown()) {
        DrawChartLoad();
        setSizechange(true);
        if (hooks_.DrawSelectCh) hooks_.DrawSelectCh();
        if (hooks_.DrawFreqSelectCh) hooks_.DrawFreqSelectCh();
    } else {
        DrawWaku();
        if (hooks_.DrawSelectChWaku) hooks_.DrawSelectChWaku();
        if (hooks_.DrawSelectFreqChWaku) hooks_.DrawSelectFreqChWaku();
    }
}

void SixteenChannelView::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    korin::ui::shielded([&] { panelRawData1_MouseClick(p.x(), p.y()); });
    if (event->button() == Qt::RightButton && menu_ != nullptr) menu_->popup(event->globalPosition().toPoint());
    event->accept();
}

void SixteenChannelView::comboduration_SelectedIndexChanged(int item) {
    SixteenChannelSettings s = settings();
    s.comboduration_SelectedIndexChanged(item);
    setSettings(s);
    redrawAfterAxisChange();
}

void SixteenChannelView::combovoltage_SelectedIndexChanged(int item) {
    SixteenChannelSettings s = settings();
    s.combovoltage_SelectedIndexChanged(item);
    setSettings(s);
    redrawAfterAxisChange();
}

void SixteenChannelView::redrawAfterAxisChange() {
    if (*Tatiagari_ || !dataShown()) return;
    if (replayMode()) {
        DrawChartLoad();
    } else {
        DrawChart();
    }
}

SixteenChannelView* installSixteenChannelView(QWidget* placeholder, const ViewColors& colors) {
    return fillPlaceholder(placeholder, new SixteenChannelView(colors, placeholder));
}
